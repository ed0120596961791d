// Prints how quickly clips start: from the start call to the player playing
// and to the sound actually running (the backend's clock moving), for sound
// and video clips; from a child's click to the result clip doing the same;
// reopening all five players; and from the record button to the first
// recorded sound. Target: under 50 ms median from click to result clip.
#include "core/media/clipplayer.h"
#include "core/media/clipset.h"
#include "support/quizwindow.h"
#include "support/testsupport.h"
#include "ui/window/choicepanel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTest>
#include <QTextStream>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <memory>

using testsupport::succeeded;

namespace {

constexpr int Runs = 15;

struct Figures
{
    QList<double> called;  // the call has returned with the player playing
    QList<double> running; // the clip's position has moved
};

double median(QList<double> values)
{
    if (values.isEmpty())
        return -1;
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

double maximum(const QList<double> &values)
{
    return values.isEmpty() ? -1 : *std::max_element(values.begin(), values.end());
}

void print(QTextStream &out, const QString &label, const QList<double> &values)
{
    out << label.leftJustified(60) << "median " << QString::number(median(values), 'f', 1).rightJustified(7)
        << " ms   max " << QString::number(maximum(values), 'f', 1).rightJustified(7) << " ms   n="
        << values.size() << '\n';
    out.flush();
}

// Waits, running the event loop, until the player's clock has moved; the
// milliseconds since timer started, or -1 after two seconds.
double untilRunning(const ClipPlayer &player, const QElapsedTimer &timer)
{
    while (timer.elapsed() < 2000) {
        if (player.state() == ClipPlayer::State::Playing && player.position() > 0)
            return timer.nsecsElapsed() / 1e6;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    }
    return -1;
}

void settle(int ms) { QTest::qWait(ms); }

// Starts the clip again and again, either after it has ended (as a new
// question does) or while it still runs (as a replayed question does).
Figures measureStart(ClipPlayer &player, Random &random, bool afterEnd)
{
    Figures figures;
    for (int run = 0; run < Runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        QString error;
        if (!succeeded(startClip(player, random), &error)) {
            QTextStream(stderr) << error << '\n';
            return figures;
        }
        figures.called << timer.nsecsElapsed() / 1e6;
        const double running = untilRunning(player, timer);
        if (running >= 0)
            figures.running << running;
        if (afterEnd) {
            QElapsedTimer wait;
            wait.start();
            while (player.state() == ClipPlayer::State::Playing && wait.elapsed() < 5000)
                settle(20);
        }
        settle(150);
    }
    player.stop();
    return figures;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QTextStream out(stdout);
    out << "sound server: "
        << (qEnvironmentVariableIsEmpty("QUIZ_NO_SOUND_SERVER")
                ? QStringLiteral("as the environment gives it")
                : QStringLiteral("none (%1)").arg(qEnvironmentVariable("QUIZ_NO_SOUND_SERVER")))
        << '\n';

    {
        testsupport::ProgramFolder folder;
        Random random;
        random.seedOnce(2);
        ClipPlayer player;
        for (const char *ext : {"wav", "avi"}) {
            player.setFileName(folder.dataDir() + QStringLiteral("color2.") + QLatin1String(ext));
            for (bool afterEnd : {true, false}) {
                const Figures f = measureStart(player, random, afterEnd);
                const QString when = afterEnd ? QStringLiteral("after its end") : QStringLiteral("while running");
                print(out, QStringLiteral("start call -> playing state, %1, %2").arg(QLatin1String(ext), when), f.called);
                print(out, QStringLiteral("start call -> clip clock running, %1, %2").arg(QLatin1String(ext), when), f.running);
            }
        }
    }

    QuizWindow quiz({}, 2);
    settle(300);
    RadioGroup *AVRG = quiz.control<RadioGroup>("AVRG");
    QTimer *playwaitTimer = quiz.control<QTimer>("playwaitTimer");

    for (int medium : {0, 1}) {
        AVRG->setItemIndex(medium);
        const QString ext = quiz.form->MediaExt();
        Figures click;
        for (int run = 0; run < Runs; ++run) {
            playwaitTimer->stop();
            quiz.form->playwaitTimerTimer();
            settle(200);
            const int asked = quiz.asked();
            if (asked < 1 || asked > 3)
                break;
            // Right and wrong answers by turns.
            const int choice = run % 2 == 0 ? asked : asked % 3 + 1;
            ClipPlayer &result = quiz.form->player(run % 2 == 0 ? 3 : 4);
            ChoicePanel *panel = quiz.panel(choice);
            QElapsedTimer timer;
            timer.start();
            QTest::mouseClick(panel, Qt::LeftButton);
            if (result.state() == ClipPlayer::State::Playing)
                click.called << timer.nsecsElapsed() / 1e6;
            const double running = untilRunning(result, timer);
            if (running >= 0)
                click.running << running;
            settle(100);
        }
        print(out, QStringLiteral("click -> result clip playing state, %1").arg(ext), click.called);
        print(out, QStringLiteral("click -> result clip clock running, %1").arg(ext), click.running);

        QList<double> reopen;
        for (int run = 0; run < Runs; ++run) {
            QElapsedTimer timer;
            timer.start();
            quiz.form->SetupMediaFiles();
            reopen << timer.nsecsElapsed() / 1e6;
        }
        print(out, QStringLiteral("SetupMediaFiles (five players reopened), %1").arg(ext), reopen);
    }

    AVRG->setItemIndex(0);
    QList<double> recordStart;
    ClipPlayer &recorder = quiz.form->player(0);
    for (int run = 0; run < 5; ++run) {
        QElapsedTimer timer;
        timer.start();
        recorder.record();
        if (recorder.state() != ClipPlayer::State::Recording)
            break;
        while (recorder.recordedDuration() <= 0 && timer.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        if (recorder.recordedDuration() > 0)
            recordStart << timer.nsecsElapsed() / 1e6;
        recorder.stop();
        recorder.close();
        QString error;
        succeeded(recorder.open(), &error);
    }
    print(out, QStringLiteral("record button -> first recorded sound, wav"), recordStart);
    if (!quiz.errors().isEmpty())
        out << "errors: " << quiz.errors().join(QLatin1String(" | ")) << '\n';
    return 0;
}
