// Lesson archives as a colleague's computer or a made file would give them.
// The archives are built here byte by byte (every entry type and name a zip
// can carry) or with the library that writes them (for deflated bombs). A
// refused archive names its reason and leaves the Data folder exactly as it
// was; an accepted one becomes a lesson whose picture lines name its folder.

#include "core/settings/lessonarchive.h"
#include "core/settings/lessonlibrary.h"
#include "core/settings/lessonpictures.h"
#include "core/settings/optionsfile.h"
#include "core/settings/windows1256.h"
#include "settingstestutil.h"

#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <archive.h>
#include <archive_entry.h>

using testsupport::succeeded;

namespace {

struct RawEntry
{
    QByteArray name;
    QByteArray data;
    quint32 mode = 0100644; // as unix keeps it in the external attributes
};

quint32 crc32(const QByteArray &bytes)
{
    quint32 crc = 0xffffffffu;
    for (const char c : bytes) {
        crc ^= quint8(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// A stored (uncompressed) zip with exactly these names and modes.
QByteArray rawZip(const QList<RawEntry> &entries)
{
    QByteArray out, central;
    const auto u16 = [](QByteArray &b, quint16 v) { char c[2]; qToLittleEndian(v, c); b.append(c, 2); };
    const auto u32 = [](QByteArray &b, quint32 v) { char c[4]; qToLittleEndian(v, c); b.append(c, 4); };
    for (const RawEntry &e : entries) {
        const quint32 offset = quint32(out.size());
        const quint32 crc = crc32(e.data);
        u32(out, 0x04034b50); u16(out, 20); u16(out, 0x0800); u16(out, 0); u16(out, 0); u16(out, 0x21);
        u32(out, crc); u32(out, quint32(e.data.size())); u32(out, quint32(e.data.size()));
        u16(out, quint16(e.name.size())); u16(out, 0);
        out += e.name + e.data;
        u32(central, 0x02014b50); u16(central, (3 << 8) | 20); u16(central, 20); u16(central, 0x0800);
        u16(central, 0); u16(central, 0); u16(central, 0x21);
        u32(central, crc); u32(central, quint32(e.data.size())); u32(central, quint32(e.data.size()));
        u16(central, quint16(e.name.size())); u16(central, 0); u16(central, 0); u16(central, 0); u16(central, 0);
        u32(central, e.mode << 16); u32(central, offset);
        central += e.name;
    }
    const quint32 centralAt = quint32(out.size());
    out += central;
    u32(out, 0x06054b50); u16(out, 0); u16(out, 0); u16(out, quint16(entries.size())); u16(out, quint16(entries.size()));
    u32(out, quint32(central.size())); u32(out, centralAt); u16(out, 0);
    return out;
}

// A deflated zip of regular files, as any zip program writes one.
// Noise is stored, as zip programs store what does not shrink.
bool deflatedZip(const QString &path, const QList<QPair<QByteArray, QByteArray>> &files, const QByteArray &stored = {})
{
    archive *a = archive_write_new();
    archive_write_set_format_zip(a);
    bool ok = archive_write_open_filename(a, QFile::encodeName(path).constData()) == ARCHIVE_OK;
    for (const auto &file : files) {
        if (file.first == stored)
            archive_write_zip_set_compression_store(a);
        else
            archive_write_zip_set_compression_deflate(a);
        archive_entry *entry = archive_entry_new();
        archive_entry_set_pathname(entry, file.first.constData());
        archive_entry_set_filetype(entry, AE_IFREG);
        archive_entry_set_perm(entry, 0644);
        archive_entry_set_size(entry, file.second.size());
        ok = ok && archive_write_header(a, entry) == ARCHIVE_OK
            && archive_write_data(a, file.second.constData(), size_t(file.second.size())) == file.second.size();
        archive_entry_free(entry);
    }
    ok = ok && archive_write_close(a) == ARCHIVE_OK;
    if (!ok)
        qWarning("%s", archive_error_string(a));
    archive_write_free(a);
    return ok;
}

QByteArray options(const QByteArray &picture1 = QByteArray())
{
    QByteArray bytes;
    const QList<QByteArray> lines = {"0", "0", "Times New Roman", "36", "0", "2", "1", "2", "3", "255", "65535",
                                     "16711680", "0", "200", "200", picture1, "", "", "0", "0", "2"};
    for (const QByteArray &line : lines)
        bytes += line + "\r\n";
    return bytes;
}

QByteArray tinyPng()
{
    return QByteArray::fromHex("89504e470d0a1a0a0000000d4948445200000001000000010802000000907753de0000000c4944415408d7"
                               "63f8cfc000000301010018dd8db00000000049454e44ae426082");
}

} // namespace

class TestLessonArchive : public QObject
{
    Q_OBJECT

    QString data() const { return m_root->filePath(QStringLiteral("Data")); }
    QString zipPath() const { return m_root->filePath(QStringLiteral("lesson.zip")); }
    std::unique_ptr<QTemporaryDir> m_root;

private slots:
    void init()
    {
        m_root = std::make_unique<QTemporaryDir>();
        QVERIFY(m_root->isValid());
        QVERIFY(QDir().mkpath(data() + QStringLiteral(u"/درس")));
        QVERIFY(writeFile(data() + QStringLiteral("/options.txt"), options()));
    }

    void refusesHostileArchives_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("parent folder") << "dotdot" << QStringLiteral(u"يخرج من الدرس");
        QTest::newRow("absolute path") << "absolute" << QStringLiteral(u"مساراً مطلقاً");
        QTest::newRow("drive path") << "drive" << QStringLiteral(u"مساراً مطلقاً");
        QTest::newRow("link") << "symlink" << QStringLiteral(u"رابطاً");
        QTest::newRow("character device") << "device" << QStringLiteral(u"جهازاً");
        QTest::newRow("block device") << "fifo" << QStringLiteral(u"جهازاً");
        QTest::newRow("no clip name") << "badclip" << QStringLiteral(u"لا يصلح");
        QTest::newRow("no picture name") << "badpicture" << QStringLiteral(u"لا يصلح");
        QTest::newRow("nested folder") << "nested" << QStringLiteral(u"لا يصلح");
        QTest::newRow("hidden lesson") << "hiddenlesson" << QStringLiteral(u"اسم الدرس غير صالح");
        QTest::newRow("two lessons") << "twolessons" << QStringLiteral(u"أكثر من درس");
        QTest::newRow("too many entries") << "many" << QStringLiteral(u"أكثر من 300");
        QTest::newRow("no options") << "nooptions" << QStringLiteral(u"ملف الخيارات");
        QTest::newRow("not a zip") << "garbage" << QStringLiteral(u"تالف");
        QTest::newRow("ratio beyond 100:1") << "ratio" << QStringLiteral(u"نسبة الضغط");
        QTest::newRow("beyond 200 MB") << "total" << QStringLiteral(u"200");
    }

    void refusesHostileArchives()
    {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        const QByteArray opts = options();
        const QByteArray wav = "RIFF\x24\0\0\0WAVEfmt ";
        QList<RawEntry> raw = {{"fruit/", {}, 040755}, {"fruit/options.txt", opts}};
        bool isRaw = true;
        if (kind == "dotdot")
            raw << RawEntry{"fruit/../../evil.txt", "x"};
        else if (kind == "absolute")
            raw = {{"/tmp/fruit/options.txt", opts}};
        else if (kind == "drive")
            raw = {{"C:\\fruit\\options.txt", opts}};
        else if (kind == "symlink")
            raw << RawEntry{"fruit/color1.wav", "/etc/passwd", 0120777};
        else if (kind == "device")
            raw << RawEntry{"fruit/color1.wav", {}, 0020644};
        else if (kind == "fifo")
            raw << RawEntry{"fruit/true.wav", {}, 0060644};
        else if (kind == "badclip")
            raw << RawEntry{"fruit/run.sh", "#!/bin/sh\n"};
        else if (kind == "badpicture")
            raw << RawEntry{"fruit/pictures/.hidden.png", tinyPng()};
        else if (kind == "nested")
            raw << RawEntry{"fruit/pictures/more/a.png", tinyPng()};
        else if (kind == "hiddenlesson")
            raw = {{".fruit/options.txt", opts}};
        else if (kind == "twolessons")
            raw << RawEntry{"other/options.txt", opts};
        else if (kind == "many") {
            for (int i = 0; i < LessonArchive::MaxEntries; ++i)
                raw << RawEntry{"fruit/pictures/p" + QByteArray::number(i) + ".png", tinyPng()};
        } else if (kind == "nooptions")
            raw = {{"fruit/color1.wav", wav}};
        else
            isRaw = false;

        if (isRaw) {
            QVERIFY(writeFile(zipPath(), rawZip(raw)));
        } else if (kind == "garbage") {
            QVERIFY(writeFile(zipPath(), QByteArray("PK\x03\x04 this is no archive at all") + QByteArray(300, 'x')));
        } else if (kind == "ratio") {
            QVERIFY(deflatedZip(zipPath(), {{"fruit/options.txt", opts}, {"fruit/color1.wav", QByteArray(20 << 20, '\0')}}));
        } else {
            // Sound-like noise keeps the whole under 100:1, so only the size refuses it.
            QByteArray noise(3 << 20, Qt::Uninitialized);
            QRandomGenerator gen(5);
            gen.fillRange(reinterpret_cast<quint32 *>(noise.data()), noise.size() / 4);
            QVERIFY(deflatedZip(zipPath(), {{"fruit/options.txt", opts}, {"fruit/color1.wav", noise},
                                            {"fruit/color2.wav", QByteArray(199 << 20, '\0')}}, "fruit/color1.wav"));
        }

        const QMap<QString, QByteArray> before = snapshot(data());
        {
            LessonArchive::Import import(data());
            const Result unpacked = import.unpack(zipPath());
            QVERIFY2(!unpacked, qPrintable(kind));
            QVERIFY2(unpacked.text.startsWith(LessonArchive::refusedText(QString())), qPrintable(unpacked.text));
            QVERIFY2(unpacked.text.contains(reason), qPrintable(unpacked.text));
            QCOMPARE(snapshot(data()), before);
        }
        QCOMPARE(snapshot(data()), before);
        QVERIFY(!QFileInfo::exists(m_root->filePath(QStringLiteral("evil.txt"))));
        QVERIFY(!QFileInfo::exists(QStringLiteral("/tmp/fruit")));
    }

    // The same maker's archive accepted: the lesson appears under the name
    // chosen, never under one taken in other letter case, with its pictures
    // named by full paths of its own folder.
    void acceptsALessonAndNamesItsPictures()
    {
        QVERIFY(writeFile(zipPath(), rawZip({{"Fruit/", {}, 040755},
                                              {"Fruit/options.txt", options("pictures/apple.png")},
                                              {"Fruit/COLOR1.WAV", "RIFF"},
                                              {"Fruit/pictures/apple.png", tinyPng()}})));
        const LessonLibrary library(data());
        QVERIFY(writeFile(data() + QStringLiteral("/fruit/options.txt"), options()));
        LessonArchive::Import import(data());
        QString text;
        QVERIFY2(succeeded(import.unpack(zipPath()), &text), qPrintable(text));
        QCOMPARE(import.archivedName(), QStringLiteral("Fruit"));
        QVERIFY(!import.place(library, QStringLiteral("FRUIT")));
        QVERIFY(!import.place(library, LessonLibrary::automaticName()));
        QVERIFY2(succeeded(import.place(library, QStringLiteral(u"فواكه")), &text), qPrintable(text));
        const QString lesson = QFileInfo(data()).canonicalFilePath() + QStringLiteral(u"/فواكه");
        QCOMPARE(readBytes(lesson + QStringLiteral("/COLOR1.WAV")), QByteArray("RIFF"));
        const auto lines = OptionsFile::splitLines(readBytes(lesson + QStringLiteral("/options.txt")));
        QCOMPARE(Windows1256::decode(lines[int(OptionsLine::Picture1) - 1]), lesson + QStringLiteral("/pictures/apple.png"));
        QCOMPARE(readBytes(lesson + QStringLiteral("/pictures/apple.png")), tinyPng());
        for (const QString &entry : QDir(data()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot))
            QVERIFY2(!entry.startsWith(QLatin1Char('.')), qPrintable(entry));
        // Its pictures go with it when it is deleted, and the folder too.
        QVERIFY(library.deleteLesson(QStringLiteral(u"فواكه")));
        QVERIFY(!QFileInfo::exists(lesson));
    }

    // A phone photo held sideways (EXIF orientation) and larger than the
    // screen: kept turned as it is seen, within the screen, its shape kept;
    // the same picture picked again is the same copy.
    void keepsAPhotoTurnedAndWithinTheScreen()
    {
        const QString source = m_root->filePath(QStringLiteral("phone.jpg"));
        QImage wide(3000, 1000, QImage::Format_RGB32);
        wide.fill(Qt::white);
        QImageWriter writer(source, "jpeg");
        writer.setTransformation(QImageIOHandler::TransformationRotate90);
        QVERIFY(writer.write(wide));
        QImageReader seen(source);
        seen.setAutoTransform(true);
        QCOMPARE(seen.read().size(), QSize(1000, 3000));

        const QString pictures = data() + QStringLiteral("/pictures");
        QString stored, again;
        QString text;
        QVERIFY2(succeeded(LessonPictures::keep(source, pictures, QSize(800, 600), &stored), &text), qPrintable(text));
        QCOMPARE(QFileInfo(stored).absolutePath(), QFileInfo(pictures).absoluteFilePath());
        QImageReader kept(stored);
        kept.setAutoTransform(true);
        const QSize size = kept.read().size();
        QVERIFY2(size.height() == 600 && qAbs(size.width() - 200) <= 1,
                 qPrintable(QStringLiteral("%1x%2").arg(size.width()).arg(size.height())));
        QVERIFY(succeeded(LessonPictures::keep(source, pictures, QSize(800, 600), &again), &text));
        QCOMPARE(again, stored);
        QCOMPARE(QDir(pictures).entryList(QDir::Files).size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestLessonArchive)
#include "tst_lessonarchive.moc"
