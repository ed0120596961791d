// A shutdown or logout as the system sends it: the real program, started in a
// program folder of its own, gets SIGTERM (or SIGHUP) while its start-up
// notice waits for an answer, and must save its settings and end as its exit
// button ends it. A second signal ends it at once.
#include "support/testsupport.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

namespace {

// Whether the process has a handler of its own for the signal (the "SigCgt"
// mask of /proc/PID/status), that is whether it is ready to be told.
bool catches(qint64 pid, int signalNumber)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("SigCgt:"))
            return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (signalNumber - 1)) & 1;
    }
    return false;
}

/// The real program in a copy of the default program folder; its options
/// file says the waiting time as "07", which the program writes back as "7".
struct RunningQuiz
{
    RunningQuiz()
    {
        QVERIFY(QFile::copy(QStringLiteral(QUIZ_PROGRAM), folder.programFile()));
        QVERIFY(QFile::setPermissions(folder.programFile(), QFile::ReadOwner | QFile::ExeOwner));
        // The launcher loads the window from the file beside it.
        QVERIFY(QFile::copy(QStringLiteral(QUIZ_WINDOW_MODULE), folder.appDir() + QStringLiteral("quiz-window.so")));
        QList<QByteArray> lines = testsupport::readFile(options()).split('\n');
        QVERIFY(lines.size() > 21);
        lines[20] = "07\r";
        QVERIFY(testsupport::writeFile(options(), lines.join('\n')));

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("HOME"), home.path());
        env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("share")));
        // What this test looks at is the ending; a sanitizer build's leak
        // report at the end of the real program is the suite's business.
        env.insert(QStringLiteral("ASAN_OPTIONS"), env.value(QStringLiteral("ASAN_OPTIONS"))
                                                       + QStringLiteral(":detect_leaks=0"));
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(folder.programFile(), {});
        QVERIFY(process.waitForStarted());
        const QDeadlineTimer ready(60000);
        while (!catches(process.processId(), SIGTERM) && process.state() == QProcess::Running && !ready.hasExpired())
            QTest::qWait(20);
        QVERIFY(catches(process.processId(), SIGTERM));
    }
    ~RunningQuiz()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished();
        }
    }

    QString options() const { return folder.dataDir() + QStringLiteral("options.txt"); }
    QByteArray waitLine() const { return testsupport::readFile(options()).split('\n').value(20).trimmed(); }
    void send(int signalNumber) { ::kill(pid_t(process.processId()), signalNumber); }

    testsupport::ProgramFolder folder;
    QTemporaryDir home;
    QProcess process;
};

} // namespace

class TestShutdown : public QObject
{
    Q_OBJECT

private slots:
    void aShutdownSavesTheSettingsAndEndsTheProgram_data()
    {
        QTest::addColumn<int>("signalNumber");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGHUP") << int(SIGHUP);
    }
    void aShutdownSavesTheSettingsAndEndsTheProgram()
    {
        QFETCH(int, signalNumber);
        RunningQuiz quiz;
        quiz.send(signalNumber);
        QVERIFY(quiz.process.waitForFinished(60000));
        QCOMPARE(quiz.process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(quiz.process.exitCode(), 0);
        // Loaded and written back: the settings went through a save.
        QCOMPARE(quiz.waitLine(), QByteArray("7"));
    }

    void aSecondSignalEndsTheProgramAtOnce()
    {
        RunningQuiz quiz;
        // Both arrive before the program can act on either.
        quiz.send(SIGTERM);
        quiz.send(SIGHUP);
        QVERIFY(quiz.process.waitForFinished(60000));
        QCOMPARE(quiz.process.exitStatus(), QProcess::CrashExit);
        QCOMPARE(quiz.waitLine(), QByteArray("07"));
    }
};

QTEST_GUILESS_MAIN(TestShutdown)
#include "tst_shutdown.moc"
