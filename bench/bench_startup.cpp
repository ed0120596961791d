// Prints how fast the quiz gets to its first question and answers a click.
//
//   bench_startup            runs itself ten times as a child and prints the
//                            median time from process start to the first
//                            question, then measures clicks in-process.
#include "support/scripteddialogs.h"
#include "ui/window/tform1.h"
#include "ui/window/choicepanel.h"
#include "core/media/soundmixer.h"
#include "core/quiz/random.h"
#include "support/quizwindow.h"
#include "app/heap.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

qint64 realtimeNs()
{
    timespec ts;
    clock_gettime(CLOCK_REALTIME, &ts);
    return qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

long peakKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

template <typename T>
T median(std::vector<T> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

int child(int argc, char **argv)
{
    configureHeap();
    QApplication app(argc, argv);
    testsupport::ProgramFolder folder;
    ScriptedDialogs dialogs;
    Random random;
    // The program's own, as the window is given it when it runs.
    SoundMixer mixer;
    TForm1 form({&dialogs, &random, &mixer, folder.programFile()});
    form.maximize();
    form.show();
    // The first question has been asked when show() returns.
    const qint64 asked = realtimeNs();
    std::printf("%lld %ld %d\n", asked, peakKb(), dialogs.count(ScriptedDialogs::Kind::Error));
    std::fflush(stdout);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc > 1 && qstrcmp(argv[1], "--child") == 0)
        return child(argc, argv);

    QApplication app(argc, argv);
    std::vector<double> startMs;
    std::vector<long> childPeak;
    for (int run = 0; run < 10; ++run) {
        QProcess p;
        const qint64 started = realtimeNs();
        p.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child")});
        p.waitForFinished(30000);
        const QList<QByteArray> parts = p.readAllStandardOutput().trimmed().split(' ');
        if (parts.size() < 3) {
            std::fprintf(stderr, "child run failed: %s\n", p.readAllStandardError().constData());
            return 1;
        }
        startMs.push_back((parts[0].toLongLong() - started) / 1e6);
        childPeak.push_back(parts[1].toLong());
        if (parts[2].toInt() != 0)
            std::fprintf(stderr, "warning: the child reported %s errors\n", parts[2].constData());
    }
    std::printf("process start to first question: median %.1f ms (10 runs, min %.1f, max %.1f)\n",
                median(startMs), *std::min_element(startMs.begin(), startMs.end()),
                *std::max_element(startMs.begin(), startMs.end()));
    std::printf("peak memory of a started quiz: median %ld KiB\n", median(childPeak));

    QuizWindow quiz;
    std::vector<double> clickUs;
    for (int i = 0; i < 200; ++i) {
        ChoicePanel *panel = quiz.panel(i % 3 + 1);
        QElapsedTimer t;
        t.start();
        QTest::mouseClick(panel, Qt::LeftButton, {}, panel->rect().center());
        clickUs.push_back(t.nsecsElapsed() / 1e3);
        quiz.form->playwaitTimerTimer(); // next question at once
    }
    std::printf("click to result clip started: median %.1f us (200 clicks)\n", median(clickUs));
    std::printf("errors reported: %d\n", quiz.dialogs.count(ScriptedDialogs::Kind::Error));
    std::printf("peak memory of this process: %ld KiB\n", peakKb());
    return 0;
}
