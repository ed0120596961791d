// The options file and the current-lesson file on disk: round trips, missing
// and odd files, and writes that fail part way (a full disk or a crash).

#include "core/settings/currentlessonfile.h"
#include "core/base/filelookup.h"
#include "core/settings/lessonlibrary.h"
#include "core/settings/optionsfile.h"
#include "core/settings/windows1256.h"
#include "settingstestutil.h"

#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

class TestSettingsFiles : public QObject
{
    Q_OBJECT

private:
    QString optionsPath() const { return m_dir->filePath(QStringLiteral("options.txt")); }

    static OptionsValues someValues()
    {
        OptionsValues v;
        v.askedChoice = 2;
        v.fontName = QStringLiteral("DejaVu Sans");
        v.text1 = QStringLiteral(u"قطة");
        v.text2 = QStringLiteral(u"كلب");
        v.text3 = QStringLiteral(u"بيت");
        v.picture2 = QStringLiteral(u"/tmp/صورة.png");
        v.stretch = true;
        v.childNo = 9;
        v.waitSeconds = 7;
        return v;
    }

    std::unique_ptr<QTemporaryDir> m_dir;

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }

    void saveLoadSaveWritesTheSameBytes()
    {
        const OptionsValues v = someValues();
        QVERIFY(OptionsFile::save(optionsPath(), v).ok);
        const QByteArray first = readBytes(optionsPath());
        OptionsRead read;
        QVERIFY(OptionsFile::load(optionsPath(), &read).ok);
        QVERIFY(read.appliedTo(OptionsValues()) == v);
        QVERIFY(OptionsFile::save(optionsPath(), read.appliedTo(OptionsValues())).ok);
        QCOMPARE(readBytes(optionsPath()), first);
        // Nothing but the file is left in the folder.
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{QStringLiteral("options.txt")});
    }

    void loadFailsOnlyWhenTheFileCannotBeOpened()
    {
        OptionsRead read;
        const Result missing = OptionsFile::load(m_dir->filePath("none.txt"), &read);
        QVERIFY(!missing.ok);
        QVERIFY(!missing.text.isEmpty());
        QVERIFY(!OptionsFile::load(m_dir->path(), &read).ok);
        // A named pipe under the file's name is refused at once instead of
        // waiting for a writer; a link is read only while it stays in its
        // own folder.
        const QByteArray fifo = QFile::encodeName(m_dir->filePath("pipe.txt"));
        QCOMPARE(::mkfifo(fifo.constData(), 0600), 0);
        QVERIFY(!OptionsFile::load(QFile::decodeName(fifo), &read).ok);
        QTemporaryDir elsewhere;
        QVERIFY(OptionsFile::save(elsewhere.filePath("options.txt"), someValues()).ok);
        QVERIFY(QFile::link(elsewhere.filePath("options.txt"), optionsPath()));
        QVERIFY(!OptionsFile::load(optionsPath(), &read).ok);
        QVERIFY(QFile::remove(optionsPath()));
        QVERIFY(OptionsFile::save(m_dir->filePath("kept.txt"), someValues()).ok);
        QVERIFY(QFile::link(m_dir->filePath("kept.txt"), optionsPath()));
        QVERIFY(OptionsFile::load(optionsPath(), &read).ok);
        QCOMPARE(read.values.waitSeconds, 7);
        QVERIFY(QFile::remove(optionsPath()));

        // An empty file opens: every line takes its empty-line result.
        QVERIFY(writeFile(optionsPath(), QByteArray()));
        read.values.askedChoice = 3;
        QVERIFY(OptionsFile::load(optionsPath(), &read).ok);
        QCOMPARE(read.values.askedChoice, 0);
        QCOMPARE(read.values.waitSeconds, 2);
    }

    void aFileBeyondTheReadLimitIsReadFromItsStart()
    {
        QByteArray bytes = OptionsFile::toBytes(someValues());
        bytes.replace(QByteArray("\xde\xd8\xc9"), QByteArray(OptionsFile::MaxReadBytes + 10, 'x'));
        QVERIFY(writeFile(optionsPath(), bytes));
        OptionsRead read;
        QVERIFY(OptionsFile::load(optionsPath(), &read).ok);
        QCOMPARE(read.values.askedChoice, 2);
        // The line the limit cuts was not read whole: it and the rest fall back.
        QCOMPARE(read.values.text1, QStringLiteral("1"));
        QVERIFY(read.fellBack[6]);
        QCOMPARE(read.values.text2, QStringLiteral("2"));
        QCOMPARE(read.values.waitSeconds, 2);
    }

    void aSaveThatFailsPartWayLeavesTheOldFile()
    {
        OptionsValues old = someValues();
        QVERIFY(OptionsFile::save(optionsPath(), old).ok);
        const QByteArray before = readBytes(optionsPath());

        // The new file is far larger than the limit: its write breaks off.
        OptionsValues bigger = someValues();
        bigger.picture1 = QString(4000, QLatin1Char('p'));
        Result result;
        {
            FileSizeLimit limit(1024);
            result = OptionsFile::save(optionsPath(), bigger);
        }
        QVERIFY(!result.ok);
        // The reason is told in the teacher's language.
        QVERIFY2(result.text.contains(QStringLiteral(u"الملف أكبر مما يسمح به القرص")), qPrintable(result.text));
        QCOMPARE(readBytes(optionsPath()), before);
        OptionsRead read;
        QVERIFY(OptionsFile::load(optionsPath(), &read).ok);
        QVERIFY(read.appliedTo(OptionsValues()) == old);
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(), 1);

        // Nor does the current-lesson file change when its write fails.
        QVERIFY(CurrentLessonFile::write(m_dir->path(), QStringLiteral(u"الحيوانات")).ok);
        {
            FileSizeLimit limit(4);
            QVERIFY(!CurrentLessonFile::write(m_dir->path(), QStringLiteral(u"الألوان")).ok);
        }
        QCOMPARE(CurrentLessonFile::read(m_dir->path()), std::optional<QString>(QStringLiteral(u"الحيوانات")));
    }

    void aRefusedTextLeavesTheOldFile()
    {
        QVERIFY(OptionsFile::save(optionsPath(), someValues()).ok);
        const QByteArray before = readBytes(optionsPath());
        OptionsValues v = someValues();
        v.text2 = QStringLiteral(u"中文");
        const Result result = OptionsFile::save(optionsPath(), v);
        QVERIFY(!result.ok);
        QVERIFY(result.text.contains(QStringLiteral(u"中文")));
        QCOMPARE(readBytes(optionsPath()), before);
    }

    void savingIntoAMissingFolderFails()
    {
        const Result r = OptionsFile::save(m_dir->filePath("gone/options.txt"), someValues());
        QVERIFY(!r.ok);
        QVERIFY(!r.text.isEmpty());
        QVERIFY(!CurrentLessonFile::write(m_dir->filePath("gone"), QStringLiteral("x")).ok);
    }

    void namesThatDifferOnlyInLetterCase()
    {
        const QString dir = m_dir->path();
        QCOMPARE(FileLookup::inFolder(dir, QStringLiteral("options.txt")), dir + QStringLiteral("/options.txt"));
        QVERIFY(writeFile(dir + QStringLiteral("/Options.txt"), "capital"));
        QCOMPARE(FileLookup::inFolder(dir + QLatin1Char('/'), QStringLiteral("options.txt")),
                 dir + QStringLiteral("/Options.txt"));
        QVERIFY(writeFile(dir + QStringLiteral("/options.txt"), "exact"));
        QCOMPARE(FileLookup::inFolder(dir, QStringLiteral("options.txt")), dir + QStringLiteral("/options.txt"));
        QVERIFY(QDir().mkpath(dir + QStringLiteral("/DATA/Lesson")));
        QCOMPARE(FileLookup::below(dir, QStringLiteral("Data/lesson/x.txt")), dir + QStringLiteral("/DATA/Lesson/x.txt"));

        // A file found under another spelling is rewritten under that name.
        QVERIFY(writeFile(dir + QStringLiteral("/DATA/curlesson.TXT"), "x\r\n"));
        QVERIFY(CurrentLessonFile::write(dir + QStringLiteral("/DATA"), QStringLiteral(u"حيوانات")).ok);
        QCOMPARE(QDir(dir + QStringLiteral("/DATA")).entryList(QDir::Files), QStringList{QStringLiteral("curlesson.TXT")});
        QCOMPARE(CurrentLessonFile::read(dir + QStringLiteral("/DATA")), std::optional<QString>(QStringLiteral(u"حيوانات")));
    }

    void currentLessonFile()
    {
        const QString dir = m_dir->path();
        const QString file = m_dir->filePath(CurrentLessonFile::fileName());
        QVERIFY(!CurrentLessonFile::read(dir).has_value());

        QVERIFY(CurrentLessonFile::write(dir, LessonLibrary::automaticName()).ok);
        QCOMPARE(readBytes(file), QByteArray("\xc7\xe1\xca\xe1\xde\xc7\xc6\xed\r\n"));
        QCOMPARE(CurrentLessonFile::read(dir), std::optional<QString>(LessonLibrary::automaticName()));

        // Only the first line counts, whatever its end.
        QVERIFY(writeFile(file, "first\nsecond\r\n"));
        QCOMPARE(CurrentLessonFile::read(dir), std::optional<QString>(QStringLiteral("first")));
        QVERIFY(writeFile(file, "no end"));
        QCOMPARE(CurrentLessonFile::read(dir), std::optional<QString>(QStringLiteral("no end")));
        QVERIFY(writeFile(file, QByteArray()));
        QCOMPARE(CurrentLessonFile::read(dir), std::optional<QString>(QString()));

        // A name that leaves the Data folder is read as written; the library
        // gives no options path for it.
        QVERIFY(writeFile(file, "../../etc\r\n"));
        const std::optional<QString> name = CurrentLessonFile::read(dir);
        QCOMPARE(name, std::optional<QString>(QStringLiteral("../../etc")));
        QVERIFY(!LessonLibrary(dir).optionsPathFor(*name).has_value());

        // Names the file cannot hold are refused, never changed.
        QVERIFY(CurrentLessonFile::write(dir, QStringLiteral(u"درس")).ok);
        const QByteArray before = readBytes(file);
        for (const QString &bad : {QStringLiteral(u"درس中"), QStringLiteral("a\nb")}) {
            const Result r = CurrentLessonFile::write(dir, bad);
            QVERIFY(!r.ok);
            QVERIFY(!r.text.isEmpty());
        }
        QCOMPARE(readBytes(file), before);
    }
};

QTEST_GUILESS_MAIN(TestSettingsFiles)
#include "tst_settingsfiles.moc"
