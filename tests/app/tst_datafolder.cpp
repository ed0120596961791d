// Where the quiz keeps what it writes: beside a program folder it may write
// (a copied folder), in the user's own folder where it may not (an installed
// program run by a normal user), and nowhere when that folder cannot be made;
// and a Data folder whose names differ in letter case from the program's.
// The tests run as root, for whom every folder is writable: the program
// folder is made "not writable" through the window's probe, and a user folder
// that cannot be made lies below a regular file.
#include "core/base/datalocation.h"
#include "ui/help/thelpform.h"
#include "core/media/clipplayer.h"
#include "support/quizwindow.h"

#include <QLineEdit>
#include <QSpinBox>
#include <QTextBrowser>
#include <QtTest>

namespace {

/// Every folder below `programDir` counts as not writable; others as the
/// system says.
DataLocation::WritableProbe readOnlyBelow(const QString &programDir)
{
    const QString root = QDir::cleanPath(programDir);
    return [root](const QString &folder) {
        const QString path = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
        if (path == root || path.startsWith(root + QLatin1Char('/')))
            return false;
        return DataLocation::canWriteFolder(folder);
    };
}

} // namespace

class TestDataFolder : public QObject
{
    Q_OBJECT

private slots:
    void aProgramFolderThatCanBeWrittenKeepsEverything()
    {
        testsupport::ProgramFolder program;
        QTemporaryDir home;
        const QString user = home.filePath(QStringLiteral("share/quiz"));
        const DataLocation location = DataLocation::settle(program.appDir(), user);
        QCOMPARE(location.root, program.appDir());
        QVERIFY(!location.perUser && location.writable && location.message.isEmpty());
        QVERIFY(!QFileInfo::exists(user));
    }

    void anInstalledProgramFillsEachUsersFolderOnceWithTheDataFiles()
    {
        testsupport::ProgramFolder program;
        QVERIFY(QDir().mkpath(program.dataDir() + QStringLiteral("old lesson")));
        QVERIFY(testsupport::writeFile(program.appDir() + QStringLiteral("results.db"), "not copied"));
        const auto installed = treeSnapshot(program.path());
        QTemporaryDir home;
        const auto probe = readOnlyBelow(program.path());

        const QString anna = home.filePath(QStringLiteral("anna/.local/share/kidsquiz/quiz"));
        DataLocation location = DataLocation::settle(program.appDir(), anna, probe);
        QCOMPARE(location.root, anna + QLatin1Char('/'));
        QVERIFY(location.perUser && location.writable && location.message.isEmpty());
        // The Data folder's files and nothing else: no lesson, no table.
        QStringList expected = QDir(program.dataDir()).entryList(QDir::Files, QDir::Name);
        QCOMPARE(QDir(anna + QStringLiteral("/Data")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                                                               QDir::Name),
                 expected);
        QCOMPARE(QDir(anna).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{QStringLiteral("Data")});
        QCOMPARE(testsupport::readFile(anna + QStringLiteral("/Data/options.txt")),
                 testsupport::readFile(program.dataDir() + QStringLiteral("options.txt")));

        // A later start keeps what the user changed; another user gets a
        // folder of her own.
        QVERIFY(testsupport::writeFile(anna + QStringLiteral("/Data/options.txt"), "0\r\n"));
        location = DataLocation::settle(program.appDir(), anna, probe);
        QCOMPARE(testsupport::readFile(anna + QStringLiteral("/Data/options.txt")), QByteArray("0\r\n"));
        const QString badr = home.filePath(QStringLiteral("badr/.local/share/kidsquiz/quiz"));
        QCOMPARE(DataLocation::settle(program.appDir(), badr, probe).root, badr + QLatin1Char('/'));
        QVERIFY(QFileInfo::exists(badr + QStringLiteral("/Data/color1.wav")));
        QCOMPARE(treeSnapshot(program.path()), installed);
    }

    void theQuizCountsAndSavesInTheUsersFolder()
    {
        QTemporaryDir home;
        const QString user = home.filePath(QStringLiteral(".local/share/kidsquiz/quiz"));
        QMap<QString, QByteArray> installed;
        QuizWindow quiz([&](QuizWindow &w) {
            w.userDataDir = user;
            w.canWrite = readOnlyBelow(w.folder.path());
            installed = treeSnapshot(w.folder.path());
        });
        QCOMPARE(quiz.dialogs.count(Kind::Error) + quiz.dialogs.count(Kind::Message), 0);
        QCOMPARE(quiz.form->AppDir, quiz.folder.appDir());
        QCOMPARE(quiz.form->dataRoot(), user + QLatin1Char('/'));
        // The help page still comes from the program folder.
        QCOMPARE(quiz.form->HelpForm->WebBrowser1->source().toLocalFile(),
                 quiz.folder.appDir() + QStringLiteral("help.htm"));

        quiz.clickPanel(1);
        quiz.openOptions();
        quiz.control<QSpinBox>("WaitSE")->setValue(9);
        QVERIFY(quiz.closeByButton());

        QCOMPARE(fileLines(testsupport::readFile(user + QStringLiteral("/Data/options.txt"))).value(20),
                 QByteArray("9"));
        QVERIFY(QFileInfo(user + QStringLiteral("/results.db")).size() > 0);
        QCOMPARE(treeSnapshot(quiz.folder.path()), installed);
        // The user's own: no other account reads the children's names.
        const auto owner = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
        const auto all = owner | QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther
            | QFile::WriteOther | QFile::ExeOther;
        QCOMPARE(QFileInfo(user).permissions() & all, owner);
        QCOMPARE(QFileInfo(user + QStringLiteral("/results.db")).permissions() & all,
                 QFile::ReadOwner | QFile::WriteOwner);
    }

    void aUserFolderThatCannotBeMadeIsToldOnceAndNothingIsWritten()
    {
        QTemporaryDir home;
        QVERIFY(testsupport::writeFile(home.filePath(QStringLiteral("file")), "a file, not a folder"));
        const QString user = home.filePath(QStringLiteral("file/kidsquiz/quiz"));
        QMap<QString, QByteArray> installed;
        QuizWindow quiz([&](QuizWindow &w) {
            w.userDataDir = user;
            w.canWrite = readOnlyBelow(w.folder.path());
            installed = treeSnapshot(w.folder.path());
        });
        QCOMPARE(quiz.messages().size(), 1);
        QVERIFY2(quiz.messages().first().contains(user), qPrintable(quiz.messages().first()));
        QCOMPARE(quiz.dialogs.count(Kind::Error), 0);
        QVERIFY(!quiz.form->dataLocation().writable);

        // The installed settings are played; answers and changes stay unsaved.
        const QString asked = quiz.control<QLineEdit>("AskColorED")->text();
        QVERIFY(asked == QLatin1String("1") || asked == QLatin1String("2") || asked == QLatin1String("3"));
        quiz.clickPanel(2);
        QVERIFY(quiz.form->cycle().answered());
        quiz.openOptions();
        quiz.control<QSpinBox>("WaitSE")->setValue(9);
        QVERIFY(quiz.closeByButton());
        QCOMPARE(quiz.messages().size(), 1);
        QCOMPARE(quiz.dialogs.count(Kind::Error), 0);
        QCOMPARE(treeSnapshot(quiz.folder.path()), installed);
        QCOMPARE(QDir(home.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{QStringLiteral("file")});
    }

    void aDataFolderFromACaseBlindDiskIsUsedUnderTheNamesItHas()
    {
        QString data;
        QuizWindow q([&](QuizWindow &w) {
            const QString d = w.data();
            QVERIFY(testsupport::writeFile(d + QStringLiteral("options.txt"), optionsWithLine(testsupport::readFile(d + QStringLiteral("options.txt")), int(OptionsLine::WaitSeconds), "7")));
            QVERIFY(QFile::rename(d + QStringLiteral("options.txt"), d + QStringLiteral("Options.txt")));
            QVERIFY(QFile::rename(d + QStringLiteral("CurLesson.txt"), d + QStringLiteral("curlesson.txt")));
            QVERIFY(QFile::rename(d + QStringLiteral("color1.wav"), d + QStringLiteral("Color1.WAV")));
            data = w.folder.appDir() + QStringLiteral("data/");
            QVERIFY(QDir().rename(d, data));
        });
        QCOMPARE(q.dialogs.count(Kind::Message) + q.dialogs.count(Kind::Error), 0);
        QCOMPARE(q.control<QSpinBox>("WaitSE")->value(), 7);
        QVERIFY(q.form->player(0).isOpen());
        QCOMPARE(q.form->player(0).fileName(), data + QStringLiteral("Color1.WAV"));
        const QStringList names = QDir(data).entryList(QDir::Files, QDir::Name);

        q.openOptions();
        q.control<QSpinBox>("WaitSE")->setValue(9);
        QVERIFY(q.closeByButton());
        // Rewritten in place: no second file, no second Data folder.
        QCOMPARE(QDir(data).entryList(QDir::Files, QDir::Name), names);
        QVERIFY(!QFileInfo::exists(q.folder.appDir() + QStringLiteral("Data")));
        QCOMPARE(fileLines(testsupport::readFile(data + QStringLiteral("Options.txt"))).value(20), QByteArray("9"));

        // Both spellings present: the exact name is read and written, the
        // other is left as it is.
        const QByteArray other = optionsWithLine(testsupport::readFile(data + QStringLiteral("Options.txt")), int(OptionsLine::WaitSeconds), "3");
        QVERIFY(testsupport::writeFile(data + QStringLiteral("Options.txt"), other));
        QVERIFY(testsupport::writeFile(data + QStringLiteral("options.txt"), optionsWithLine(other, int(OptionsLine::WaitSeconds), "5")));
        q.form.reset();
        q.start();
        QCOMPARE(q.control<QSpinBox>("WaitSE")->value(), 5);
        q.openOptions();
        q.control<QSpinBox>("WaitSE")->setValue(6);
        QVERIFY(q.closeByButton());
        QCOMPARE(fileLines(testsupport::readFile(data + QStringLiteral("options.txt"))).value(20), QByteArray("6"));
        QCOMPARE(testsupport::readFile(data + QStringLiteral("Options.txt")), other);
    }
};

QTEST_MAIN(TestDataFolder)
#include "tst_datafolder.moc"
