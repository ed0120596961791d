// The lesson library on real folders in a temporary program folder: every
// refused name, create, save into, delete and rename, links and sub-folders,
// and copies that fail part way. After each refused or failed operation the
// Data folder must hold exactly what it held before.

#include "core/settings/lessonlibrary.h"
#include "core/settings/optionsfile.h"
#include "settingstestutil.h"

#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

class TestLessonLibrary : public QObject
{
    Q_OBJECT

private:
    QString data() const { return m_root->filePath(QStringLiteral("program/Data")); }
    QString outside() const { return m_root->filePath(QStringLiteral("outside")); }
    QString inData(const QString &name) const { return data() + QLatin1Char('/') + name; }

    QByteArray clip(int size, char seed) const
    {
        QByteArray bytes(size, Qt::Uninitialized);
        for (int i = 0; i < size; ++i)
            bytes[i] = char(seed + i * 7);
        return bytes;
    }

    /// The regular files a lesson made now must hold: those directly in Data.
    QMap<QString, QByteArray> dataRegularFiles() const
    {
        QMap<QString, QByteArray> files;
        for (const QFileInfo &fi : QDir(data()).entryInfoList(QDir::Files | QDir::Hidden | QDir::NoSymLinks)) {
            if (fi.isFile())
                files.insert(fi.fileName(), readBytes(fi.absoluteFilePath()));
        }
        return files;
    }

    void makeLesson(const QString &name, const QMap<QString, QByteArray> &files)
    {
        QVERIFY(QDir().mkpath(inData(name)));
        for (auto it = files.begin(); it != files.end(); ++it)
            QVERIFY(writeFile(inData(name) + QLatin1Char('/') + it.key(), it.value()));
    }

    std::unique_ptr<QTemporaryDir> m_root;
    QString m_startDir;

private slots:
    void initTestCase() { m_startDir = QDir::currentPath(); }

    void init()
    {
        m_root = std::make_unique<QTemporaryDir>();
        QVERIFY(m_root->isValid());
        QVERIFY(QDir().mkpath(data()));
        QVERIFY(QDir().mkpath(outside()));
        // The shipped Data folder, then clips and things a Data folder may hold.
        const QString templ = testsupport::appDirTemplate() + QStringLiteral("/Data");
        for (const QFileInfo &fi : QDir(templ).entryInfoList(QDir::Files))
            QVERIFY(QFile::copy(fi.absoluteFilePath(), inData(fi.fileName())));
        QVERIFY(QFileInfo::exists(inData("options.txt")));
        QVERIFY(writeFile(inData("color1.wav"), clip(30000, 1)));
        QVERIFY(writeFile(inData("true.avi"), clip(50000, 2)));
        QVERIFY(writeFile(inData(".hidden.txt"), "hidden but copied"));
        QVERIFY(QDir().mkpath(inData("sub")));
        QVERIFY(writeFile(inData("sub/inside.txt"), "a sub-folder is never copied"));
        QVERIFY(writeFile(outside() + "/secret.txt", "outside the Data folder"));
        QVERIFY(QFile::link(outside() + "/secret.txt", inData("link.wav")));
        QVERIFY(::mkfifo(QFile::encodeName(inData("pipe")).constData(), 0644) == 0);
    }

    void cleanup()
    {
        QCOMPARE(QDir::currentPath(), m_startDir);
        QCOMPARE(readBytes(outside() + "/secret.txt"), QByteArray("outside the Data folder"));
    }

    void refusedNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("empty") << QString();
        QTest::newRow("dot") << QStringLiteral(".");
        QTest::newRow("dot dot") << QStringLiteral("..");
        QTest::newRow("leading dot") << QStringLiteral(".lesson");
        QTest::newRow("slash") << QStringLiteral("a/b");
        QTest::newRow("only slash") << QStringLiteral("/");
        QTest::newRow("leaves Data") << QStringLiteral("../../etc");
        QTest::newRow("backslash") << QStringLiteral("a\\b");
        QTest::newRow("nul") << QStringLiteral("a") + QChar(0) + QStringLiteral("b");
        QTest::newRow("line break") << QStringLiteral("a\nb");
        QTest::newRow("automatic") << LessonLibrary::automaticName();
        QTest::newRow("chinese") << QStringLiteral(u"中文");
        QTest::newRow("emoji") << QString::fromUtf8("\xf0\x9f\x98\x80");
        QTest::newRow("too long") << QString(200, QChar(0x0628));
    }

    void refusedNames()
    {
        QFETCH(QString, name);
        const LessonLibrary library(data());
        const Result check = LessonLibrary::checkName(name);
        QVERIFY(!check.ok);
        QVERIFY(!check.text.isEmpty());

        makeLesson(QStringLiteral("keep"), {{"options.txt", "kept"}});
        const auto before = snapshot(data());
        const auto keep = snapshot(inData("keep"));
        const auto outsideBefore = snapshot(m_root->path());

        QVERIFY(!library.createLesson(name).ok);
        QCOMPARE(snapshot(data()), before);
        QVERIFY(!library.renameLesson(QStringLiteral("keep"), name).ok);
        QCOMPARE(snapshot(data()), before);
        QCOMPARE(snapshot(inData("keep")), keep);
        QCOMPARE(snapshot(m_root->path()), outsideBefore);
    }

    void refusalTexts()
    {
        QCOMPARE(LessonLibrary::checkName(LessonLibrary::automaticName()).text,
                 QStringLiteral(u"لا يجوز تسمية الدرس بهذا الاسم\n\rاختر اسماً آخر"));
        for (const QString &name : {QStringLiteral(u"الحيوانات"), QStringLiteral("Lesson 1"),
                                    QStringLiteral("a.b"), QStringLiteral(u"  درس  "), QString(100, QChar(0x0628))})
            QVERIFY2(LessonLibrary::checkName(name).ok, qPrintable(name));
    }

    void createCopiesOnlyDataRegularFiles()
    {
        const LessonLibrary library(data());
        const auto before = snapshot(data());
        const auto expected = dataRegularFiles();
        const Result r = library.createLesson(QStringLiteral(u"الحيوانات"));
        QVERIFY2(r.ok, qPrintable(r.text));

        const QString lesson = inData(QStringLiteral(u"الحيوانات"));
        // The clips, the settings files and the hidden file; no sub-folder,
        // no link, no pipe, and no temporary file left behind.
        QCOMPARE(snapshot(lesson), expected);
        auto after = snapshot(data());
        after.remove(QStringLiteral(u"الحيوانات"));
        QCOMPARE(after, before);
        QVERIFY(library.lessonNames().contains(QStringLiteral(u"الحيوانات")));
        QCOMPARE(QFileInfo(lesson).permissions(), QFileInfo(data()).permissions());
        QCOMPARE(library.optionsPathFor(QStringLiteral(u"الحيوانات")), std::optional<QString>(lesson + "/options.txt"));
    }

    void createOverAnExistingLessonReplacesItsFiles()
    {
        makeLesson(QStringLiteral("old"), {{"options.txt", "old options"}, {"extra.txt", "extra"}});
        const LessonLibrary library(data());
        QVERIFY(library.createLesson(QStringLiteral("old")).ok);
        auto expected = dataRegularFiles();
        expected.insert(QStringLiteral("extra.txt"), "extra");
        QCOMPARE(snapshot(inData("old")), expected);
    }

    void createFailures()
    {
        const LessonLibrary library(data());
        QVERIFY(writeFile(inData("notes"), "a file, not a folder"));
        QVERIFY(QFile::link(outside(), inData("away")));
        QVERIFY(QFile::link(data(), inData("self")));
        const auto before = snapshot(data());
        for (const char *name : {"notes", "away", "self"}) {
            const Result r = library.createLesson(QString::fromLatin1(name));
            QVERIFY2(!r.ok, name);
            QCOMPARE(r.text, LessonLibrary::notCopiedText());
            QCOMPARE(snapshot(data()), before);
        }
        QCOMPARE(snapshot(outside()).keys(), QStringList{QStringLiteral("secret.txt")});

        // A copy cut short by a full disk: no lesson appears, nothing is left.
        QVERIFY(writeFile(inData("false.wav"), clip(400000, 3)));
        const auto withClip = snapshot(data());
        Result r;
        {
            FileSizeLimit limit(100000);
            r = library.createLesson(QStringLiteral("half"));
        }
        QVERIFY(!r.ok);
        QCOMPARE(r.text, LessonLibrary::notCopiedText());
        QCOMPARE(snapshot(data()), withClip);

        // No Data folder at all.
        const LessonLibrary none(m_root->filePath("nothing/Data"));
        QVERIFY(!none.createLesson(QStringLiteral("x")).ok);
        QVERIFY(!QFileInfo::exists(m_root->filePath("nothing")));
    }

    void saveIntoALessonKeepsItsExtraFiles()
    {
        makeLesson(QStringLiteral("lesson"), {{"options.txt", "stale"}, {"color1.wav", "stale clip"},
                                              {"extra.txt", "the teacher's own"}});
        QVERIFY(OptionsFile::save(inData("options.txt"), OptionsValues()).ok);
        const LessonLibrary library(data());
        const auto before = snapshot(data());
        const Result r = library.saveIntoLesson(QStringLiteral("lesson"));
        QVERIFY(r.ok);
        QCOMPARE(r.text, LessonLibrary::copiedText());
        auto expected = dataRegularFiles();
        expected.insert(QStringLiteral("extra.txt"), "the teacher's own");
        QCOMPARE(snapshot(inData("lesson")), expected);
        QCOMPARE(snapshot(data()), before);
    }

    void saveIntoRefusals()
    {
        const LessonLibrary library(data());
        QVERIFY(QFile::link(outside(), inData("away")));
        QVERIFY(QFile::link(data(), inData("self")));
        const auto before = snapshot(data());
        QCOMPARE(library.saveIntoLesson(LessonLibrary::automaticName()).text, LessonLibrary::chooseLessonText());
        for (const QString &name : {QString(), QStringLiteral("."), QStringLiteral(".."),
                                    QStringLiteral("missing"), QStringLiteral("away"), QStringLiteral("self"),
                                    QStringLiteral("../outside"), QStringLiteral("color1.wav")}) {
            const Result r = library.saveIntoLesson(name);
            QVERIFY2(!r.ok, qPrintable(name));
            QCOMPARE(r.text, LessonLibrary::notCopiedText());
            QCOMPARE(snapshot(data()), before);
        }
        QCOMPARE(snapshot(outside()).keys(), QStringList{QStringLiteral("secret.txt")});
    }

    void aSaveCutShortLeavesEveryFileWhole()
    {
        const auto old = QMap<QString, QByteArray>{{"options.txt", "old options"}, {"color1.wav", "old clip"}};
        makeLesson(QStringLiteral("lesson"), old);
        QVERIFY(writeFile(inData("zz-big.avi"), clip(400000, 5)));
        const auto before = snapshot(data());
        const auto fresh = dataRegularFiles();
        Result r;
        {
            FileSizeLimit limit(100000);
            r = LessonLibrary(data()).saveIntoLesson(QStringLiteral("lesson"));
        }
        QVERIFY(!r.ok);
        QCOMPARE(r.text, LessonLibrary::notCopiedText());
        QCOMPARE(snapshot(data()), before);
        // Each file is either its old or its new self; no temporary copies stay.
        const auto after = snapshot(inData("lesson"));
        for (auto it = after.begin(); it != after.end(); ++it) {
            QVERIFY2(it.value() == old.value(it.key()) || it.value() == fresh.value(it.key()), qPrintable(it.key()));
        }
        QVERIFY(after.contains("options.txt"));
        QVERIFY(!after.contains("zz-big.avi"));
    }

    void deleteRemovesOnlyTheLessonsOwnFiles()
    {
        const LessonLibrary library(data());
        QVERIFY(library.createLesson(QStringLiteral("plain")).ok);
        makeLesson(QStringLiteral("nested"), {{"options.txt", "o"}, {".hidden", "h"}});
        makeLesson(QStringLiteral("nested/inner"), {{"keep.txt", "stays"}});
        makeLesson(QStringLiteral("linked"), {{"options.txt", "o"}});
        QVERIFY(QFile::link(outside() + "/secret.txt", inData("linked/secret-link")));
        QVERIFY(QFile::link(outside(), inData("away")));
        const auto dataFiles = dataRegularFiles();

        QVERIFY(library.deleteLesson(QStringLiteral("plain")).ok);
        QVERIFY(!QFileInfo::exists(inData("plain")));

        // A sub-folder stays, with the folder holding it; the files go.
        const Result nested = library.deleteLesson(QStringLiteral("nested"));
        QVERIFY(!nested.ok);
        QVERIFY(!nested.text.isEmpty());
        QCOMPARE(snapshot(inData("nested")).keys(), QStringList{QStringLiteral("inner")});
        QCOMPARE(readBytes(inData("nested/inner/keep.txt")), QByteArray("stays"));

        // Links are removed as links: their targets outside stay.
        QVERIFY(library.deleteLesson(QStringLiteral("linked")).ok);
        QVERIFY(!QFileInfo::exists(inData("linked")));
        QVERIFY(library.deleteLesson(QStringLiteral("away")).ok);
        QVERIFY(!QFileInfo(inData("away")).isSymLink());
        QCOMPARE(snapshot(outside()).keys(), QStringList{QStringLiteral("secret.txt")});

        QCOMPARE(dataRegularFiles(), dataFiles);
        QVERIFY(library.lessonNames().contains(QStringLiteral("nested")));
        QVERIFY(!library.lessonNames().contains(QStringLiteral("plain")));
    }

    void deleteRefusals()
    {
        const LessonLibrary library(data());
        const auto before = snapshot(data());
        const auto sub = snapshot(inData("sub"));
        for (const QString &name : {QString(), QStringLiteral("."), QStringLiteral(".."), QStringLiteral("../outside"),
                                    QStringLiteral("sub/inside.txt"), QStringLiteral("missing")}) {
            QVERIFY2(!library.deleteLesson(name).ok, qPrintable(name));
            QCOMPARE(snapshot(data()), before);
        }
        QCOMPARE(library.deleteLesson(QString()).text, LessonLibrary::chooseLessonToDeleteText());
        QCOMPARE(snapshot(inData("sub")), sub);
        QVERIFY(!LessonLibrary(m_root->filePath("nothing")).deleteLesson(QStringLiteral("sub")).ok);
    }

    void renameInPlace()
    {
        const LessonLibrary library(data());
        makeLesson(QStringLiteral("first"), {{"options.txt", "1"}});
        makeLesson(QStringLiteral("second"), {{"options.txt", "2"}});
        QVERIFY(library.renameLesson(QStringLiteral("first"), QStringLiteral(u"الأول")).ok);
        QCOMPARE(readBytes(inData(QStringLiteral(u"الأول/options.txt"))), QByteArray("1"));
        QVERIFY(!QFileInfo::exists(inData("first")));

        const auto before = snapshot(data());
        const Result taken = library.renameLesson(QStringLiteral("second"), QStringLiteral(u"الأول"));
        QVERIFY(!taken.ok);
        QVERIFY(!taken.text.isEmpty());
        QVERIFY(!library.renameLesson(QStringLiteral("second"), QStringLiteral("sub")).ok);
        QVERIFY(!library.renameLesson(QStringLiteral("missing"), QStringLiteral("new")).ok);
        QVERIFY(!library.renameLesson(QStringLiteral(".."), QStringLiteral("new")).ok);
        QCOMPARE(snapshot(data()), before);
        QCOMPARE(readBytes(inData("second/options.txt")), QByteArray("2"));
    }

    void optionsPaths()
    {
        const LessonLibrary library(data() + QLatin1Char('/'));
        const QString own = data() + QStringLiteral("/options.txt");
        QCOMPARE(library.optionsPathFor(LessonLibrary::automaticName()), std::optional<QString>(own));
        QCOMPARE(library.optionsPathFor(QString()), std::optional<QString>(own));
        QCOMPARE(library.optionsPathFor(QStringLiteral("gone")), std::optional<QString>(inData("gone/options.txt")));
        QCOMPARE(library.optionsPathFor(QStringLiteral("sub")), std::optional<QString>(inData("sub/options.txt")));

        QVERIFY(QFile::link(outside(), inData("away")));
        QVERIFY(QFile::link(data(), inData("self")));
        makeLesson(QStringLiteral("sneaky"), {});
        QVERIFY(QFile::link(outside() + "/secret.txt", inData("sneaky/options.txt")));
        for (const QString &name : {QStringLiteral("../../etc"), QStringLiteral(".."), QStringLiteral("."),
                                    QStringLiteral("a/b"), QStringLiteral("away"), QStringLiteral("self"),
                                    QStringLiteral("sneaky")})
            QVERIFY2(!library.optionsPathFor(name).has_value(), qPrintable(name));
    }

    void listedLessons()
    {
        makeLesson(QStringLiteral("b"), {});
        makeLesson(QStringLiteral("a"), {});
        makeLesson(QStringLiteral(".hidden-folder"), {});
        // A link to a folder inside Data is a lesson under its own name; a
        // link leading out of it (to /etc, say) is none.
        QVERIFY(QFile::link(outside(), inData("away")));
        QVERIFY(QFile::link(QStringLiteral("/etc"), inData("etc")));
        QVERIFY(QFile::link(inData("a"), inData("also a")));
        QCOMPARE(LessonLibrary(data()).lessonNames(),
                 (QStringList{QStringLiteral("a"), QStringLiteral("also a"), QStringLiteral("b"), QStringLiteral("sub")}));
    }
};

QTEST_GUILESS_MAIN(TestLessonLibrary)
#include "tst_lessonlibrary.moc"
