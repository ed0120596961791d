// When does the child hear the quiz? Records the sound server's sink
// (MonitorRecorder) while the real window with its real players and the
// default clips is driven, and prints, on one clock:
//   - the delay of the recording path itself: bursts played straight to the
//     sink, from handing them to the server to hearing them;
//   - the notice dismissed to the first question heard, each in a fresh
//     process (this program started again with --first-question), after an
//     immediate dismissal and after a second of reading;
//   - a child's click to the right or wrong clip heard, for the wav and the
//     avi clips, each click made in silence, and the same with the Return
//     key on the framed panel (wav);
//   - the silence that the clips themselves begin with, counted in those
//     figures as it is heard;
//   - the teacher's recordings: each of the five clips recorded through its
//     row's record button while the sound server's source hears 400 ms of
//     silence, a second of tone and 600 ms of silence, saved by the stop
//     button; the silence they begin with, their peak, and the click to the
//     recorded result clip heard.
// Every delay is printed raw and corrected (the recording path's median
// taken off), as "figure <name> <value> <unit>" lines.
//
//   bench_heard [--runs N]                   (15 by default)
//   bench_heard --first-question READING_MS  (the child process)
//
// Needs a sound server whose default sink it may record
// (scripts/sound-server.sh).
#include "ui/media/clipplayerbar.h"
#include "ui/window/choicepanel.h"
#include "ui/window/radiogroup.h"
#include "support/scripteddialogs.h"
#include "ui/window/tform1.h"
#include "bench/procstatus.h"
#include "core/media/clipplayer.h"
#include "monitorrecorder.h"
#include "app/heap.h"
#include "core/media/soundmixer.h"
#include "core/quiz/random.h"
#include "support/quizwindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTimer>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

namespace {

double median(std::vector<double> v)
{
    if (v.empty())
        return -1;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void figure(const char *name, double value, const char *unit)
{
    std::printf("figure %s %.1f %s\n", name, value, unit);
}

// Prints a delay median raw and with the recording path taken off.
void delayFigures(const char *name, const std::vector<double> &raw, double path, const char *what)
{
    if (raw.empty()) {
        std::printf("%s: no run heard anything\n", what);
        return;
    }
    std::printf("%s: median %.1f ms raw, min %.1f, max %.1f, n=%zu\n", what, median(raw),
                *std::min_element(raw.begin(), raw.end()), *std::max_element(raw.begin(), raw.end()),
                raw.size());
    figure(qPrintable(QStringLiteral("%1_raw_ms").arg(QLatin1String(name))), median(raw), "ms");
    figure(qPrintable(QStringLiteral("%1_ms").arg(QLatin1String(name))), median(raw) - path, "ms");
}

// The silence a wav clip begins with, in ms, at the level the recorder
// takes for sound. A video clip's sound track is made from the wav clip of
// the same name.
double leadingSilenceMs(const QString &wav)
{
    const QByteArray bytes = testsupport::readFile(wav);
    int rate = 0;
    for (int at = 12; at + 8 <= bytes.size();) {
        const QByteArray id = bytes.mid(at, 4);
        const qint64 size = qFromLittleEndian<quint32>(bytes.constData() + at + 4);
        if (id == "fmt " && at + 16 <= bytes.size()) {
            rate = int(qFromLittleEndian<quint32>(bytes.constData() + at + 12));
            if (qFromLittleEndian<quint16>(bytes.constData() + at + 10) != 1)
                return -1; // only mono clips are made
        } else if (id == "data" && rate > 0) {
            const qint64 n = qMin<qint64>(size, bytes.size() - at - 8) / 2;
            const char *data = bytes.constData() + at + 8;
            for (qint64 i = 0; i < n; ++i) {
                if (std::abs(qFromLittleEndian<qint16>(data + 2 * i)) > MonitorRecorder::Threshold)
                    return i * 1000.0 / rate;
            }
            return -1;
        }
        at += 8 + int(size + (size & 1));
    }
    return -1;
}

// The peak of a mono 16-bit wav clip in dBFS.
double peakDbfs(const QString &wav)
{
    const QByteArray bytes = testsupport::readFile(wav);
    int peak = 0;
    for (qsizetype at = 44; at + 2 <= bytes.size(); at += 2)
        peak = std::max(peak, std::abs(int(qFromLittleEndian<qint16>(bytes.constData() + at))));
    return peak > 0 ? 20 * std::log10(peak / 32768.0) : -200;
}

// 400 ms of silence, a second of a 440 Hz tone at -6 dBFS and 600 ms of
// silence: a teacher who waits a little before speaking and after.
QByteArray spokenSignal()
{
    return testsupport::toneWav(400, 1000, 600);
}

void runEventsUntil(const std::function<bool()> &done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < timeoutMs)
        QTest::qWait(10);
}

// Records the five clips through their rows' buttons, the sound server's
// source (the sink's monitor) hearing the spoken signal, which a player of
// its own sounds into the sink. False when a recording did not work.
bool recordTheClips(MonitorRecorder &monitor, QuizWindow &quiz)
{
    QTemporaryDir dir;
    const QString signalFile = dir.filePath(QStringLiteral("signal.wav"));
    if (!testsupport::writeFile(signalFile, spokenSignal()))
        return false;
    ClipPlayer signal;
    signal.setFileName(signalFile);
    quiz.openOptions();
    QTimer *playwaitTimer = quiz.control<QTimer>("playwaitTimer");
    static const char *const bars[] = {"MP1", "MP2", "MP3", "MPTrue", "MPFalse"};
    for (int clip = 0; clip < 5; ++clip) {
        // Nothing but the signal may be heard by the recording.
        playwaitTimer->stop();
        monitor.waitForSilence(300, 8000);
        ClipPlayer &player = quiz.form->player(clip);
        ClipPlayerBar *bar = quiz.control<ClipPlayerBar>(bars[clip]);
        QTest::mouseClick(bar->button(ClipPlayerBar::Button::Record), Qt::LeftButton);
        runEventsUntil([&] { return player.recordedDuration() > 0; }, 8000);
        if (player.state() != ClipPlayer::State::Recording || player.recordedDuration() <= 0) {
            std::fprintf(stderr, "recording clip %d: no sound arrived\n", clip);
            return false;
        }
        // What the recording holds of a later moment, on the server's clock.
        QElapsedTimer sinceFirst;
        sinceFirst.start();
        const qint64 first = player.recordedDuration();
        if (!signal.open() || (signal.play(), signal.state() != ClipPlayer::State::Playing)) {
            std::fprintf(stderr, "recording clip %d: the signal did not play\n", clip);
            return false;
        }
        runEventsUntil([&] { return signal.state() != ClipPlayer::State::Playing; }, 10000);
        const qint64 wanted = first + sinceFirst.elapsed() + 200;
        runEventsUntil([&] { return player.recordedDuration() >= wanted; }, 10000);
        QTest::mouseClick(bar->button(ClipPlayerBar::Button::Stop), Qt::LeftButton);
        if (player.state() != ClipPlayer::State::Stopped || player.recordingSilent()) {
            std::fprintf(stderr, "recording clip %d: not kept\n", clip);
            return false;
        }
    }
    QTest::mouseClick(quiz.control<QPushButton>("Button1"), Qt::LeftButton);
    return !quiz.form->optionsMode();
}

// The notice is "read" for a while with the event loop running, as the
// program's modal box does, then dismissed; the moment of dismissal is kept.
class ReadingDialogs : public ScriptedDialogs
{
public:
    explicit ReadingDialogs(int readingMs) : m_readingMs(readingMs) {}
    void showNotice(const QString &text) override
    {
        ScriptedDialogs::showNotice(text);
        if (m_readingMs > 0) {
            QEventLoop loop;
            QTimer::singleShot(m_readingMs, &loop, &QEventLoop::quit);
            loop.exec();
        }
        dismissedNs = MonitorRecorder::monotonicNs();
    }
    qint64 dismissedNs = -1;

private:
    int m_readingMs;
};

// A fresh quiz up to its first question: prints the moment the notice was
// dismissed, the peak resident memory once the question has sounded a
// while, and the errors reported.
int firstQuestion(int argc, char **argv, int readingMs)
{
    configureHeap();
    QApplication app(argc, argv);
    testsupport::ProgramFolder folder;
    ReadingDialogs dialogs(readingMs);
    Random random;
    // The program's own, as the window is given it when it runs.
    SoundMixer mixer;
    TForm1 form({&dialogs, &random, &mixer, folder.programFile()});
    form.maximize();
    form.show();
    QTest::qWait(1200);
    std::printf("%lld %ld %d\n", dialogs.dismissedNs, statusKb("VmHWM:"),
                dialogs.count(ScriptedDialogs::Kind::Error));
    return 0;
}

std::vector<double> measureFirstQuestion(MonitorRecorder &recorder, int runs, int readingMs, std::vector<double> *peakMb)
{
    std::vector<double> delays;
    for (int run = 0; run < runs; ++run) {
        recorder.waitForSilence(200, 5000);
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--first-question"), QString::number(readingMs)});
        // Waited for in the event loop, so that the recorder keeps reading.
        QEventLoop loop;
        QObject::connect(&child, &QProcess::finished, &loop, &QEventLoop::quit);
        QTimer::singleShot(30000, &loop, &QEventLoop::quit);
        if (child.state() != QProcess::NotRunning)
            loop.exec();
        const QList<QByteArray> parts = child.readAllStandardOutput().trimmed().split(' ');
        if (child.state() != QProcess::NotRunning || parts.size() < 3) {
            child.kill();
            child.waitForFinished();
            std::fprintf(stderr, "first question run %d: the child did not finish\n", run);
            continue;
        }
        if (parts[2].toInt() != 0)
            std::fprintf(stderr, "first question run %d: %s errors reported\n", run, parts[2].constData());
        const qint64 dismissed = parts[0].toLongLong();
        const qint64 heard = recorder.firstSoundAfter(dismissed);
        if (dismissed < 0 || heard < 0) {
            std::fprintf(stderr, "first question run %d: nothing heard\n", run);
            continue;
        }
        delays.push_back((heard - dismissed) / 1e6);
        peakMb->push_back(parts[1].toLong() / 1024.0);
    }
    return delays;
}

struct Clicks
{
    std::vector<double> delays;
    int questionsUnheard = 0; // not heard within 3 s of being asked
    int resultsUnheard = 0;   // not heard within 3 s of the click
    int resultsLate = 0;      // heard, but a second or more after the click
};

// Clicks on the asked panel and on a wrong one by turns, each once the
// question clip has been heard to its end, and returns the delays from the
// click to the result clip heard. A question that is not heard is not
// answered: a click then could be answered by the question's own late sound.
Clicks measureClicks(MonitorRecorder &recorder, QuizWindow &quiz, int runs, bool byKey = false)
{
    const std::array<ChoicePanel *, 3> panels{{quiz.panel(1), quiz.panel(2), quiz.panel(3)}};
    QTimer *playwaitTimer = quiz.control<QTimer>("playwaitTimer");
    Clicks clicks;
    for (int run = 0; run < runs; ++run) {
        recorder.waitForSilence(300, 8000);
        playwaitTimer->stop();
        const qint64 asking = MonitorRecorder::monotonicNs();
        quiz.form->playwaitTimerTimer();
        const int asked = quiz.asked();
        if (asked < 1 || asked > 3) {
            std::fprintf(stderr, "no question was asked\n");
            break;
        }
        if (recorder.waitForSound(asking, 3000) < 0) {
            std::fprintf(stderr, "click run %d: the question was not heard within 3 s\n", run);
            ++clicks.questionsUnheard;
            continue;
        }
        if (!recorder.waitForSilence(300, 8000)) {
            std::fprintf(stderr, "click run %d: the question did not end\n", run);
            continue;
        }
        const int choice = run % 2 == 0 ? asked : asked % 3 + 1;
        // The frame is brought to the panel first, as a child would.
        for (int step = 0; byKey && step < 3 && quiz.form->framedChoice() != choice; ++step)
            QTest::keyClick(quiz.form.get(), Qt::Key_Down);
        const qint64 clicked = MonitorRecorder::monotonicNs();
        if (byKey)
            QTest::keyClick(quiz.form.get(), Qt::Key_Return);
        else
            QTest::mouseClick(panels[size_t(choice - 1)], Qt::LeftButton);
        // The next question waits for this loop, not for the waiting time:
        // its clip would be taken for a late result clip.
        playwaitTimer->stop();
        const qint64 heard = recorder.waitForSound(clicked, 3000);
        if (heard < 0) {
            std::fprintf(stderr, "click run %d: the result clip was not heard within 3 s\n", run);
            ++clicks.resultsUnheard;
            continue;
        }
        clicks.delays.push_back((heard - clicked) / 1e6);
        if (clicks.delays.back() >= 1000)
            ++clicks.resultsLate;
    }
    return clicks;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc > 2 && qstrcmp(argv[1], "--first-question") == 0)
        return firstQuestion(argc, argv, std::atoi(argv[2]));
    std::setvbuf(stdout, nullptr, _IOLBF, 0);

    int runs = 15;
    if (argc > 2 && qstrcmp(argv[1], "--runs") == 0)
        runs = qMax(1, std::atoi(argv[2]));
    QApplication app(argc, argv);
    MonitorRecorder recorder;
    QString error;
    if (!recorder.start(&error)) {
        std::fprintf(stderr, "bench_heard: %s\n", qPrintable(error));
        return 1;
    }
    std::printf("recording %s at %d Hz\n", qPrintable(recorder.deviceName()), recorder.sampleRate());

    const std::vector<double> path = recorder.measurePathLatency(runs);
    if (path.empty()) {
        std::fprintf(stderr, "bench_heard: a burst played to the sink was not heard\n");
        return 1;
    }
    const double pathMs = median(path);
    std::printf("recording path (burst handed to the server -> heard): median %.1f ms, min %.1f, max %.1f\n",
                pathMs, *std::min_element(path.begin(), path.end()), *std::max_element(path.begin(), path.end()));
    figure("recording_path_ms", pathMs, "ms");

    // The shipped clips, as every program folder holds them.
    const QString data = testsupport::appDirTemplate() + QStringLiteral("/Data/");
    std::vector<double> lead;
    for (const char *clip : {"color1", "color2", "color3"})
        lead.push_back(leadingSilenceMs(data + QLatin1String(clip) + QLatin1String(".wav")));
    figure("question_clip_lead_silence_ms", median(lead), "ms");
    lead.clear();
    for (const char *clip : {"true", "false"})
        lead.push_back(leadingSilenceMs(data + QLatin1String(clip) + QLatin1String(".wav")));
    figure("result_clip_lead_silence_ms", *std::max_element(lead.begin(), lead.end()), "ms");

    std::vector<double> peakMb;
    delayFigures("notice_dismissed_to_heard_at_once", measureFirstQuestion(recorder, runs, 0, &peakMb),
                 pathMs, "notice dismissed at once -> first question heard");
    delayFigures("notice_dismissed_to_heard", measureFirstQuestion(recorder, runs, 1000, &peakMb), pathMs,
                 "notice dismissed after 1 s of reading -> first question heard");
    figure("peak_rss_first_question_window_mb", median(peakMb), "MB");

    QuizWindow quiz([](QuizWindow &w) { w.maximized = true; });
    for (int medium : {0, 1}) {
        quiz.control<RadioGroup>("AVRG")->setItemIndex(medium);
        const Clicks clicks = measureClicks(recorder, quiz, runs);
        const QString ext = quiz.form->MediaExt();
        const QString name = QStringLiteral("click_to_heard_") + ext;
        delayFigures(qPrintable(name), clicks.delays, pathMs,
                     qPrintable(QStringLiteral("click -> result clip heard, %1").arg(ext)));
        // Clips that play (the backend's clock runs) but are not heard in time.
        std::printf("figure questions_unheard_in_3s_%s %d of_%d\n", qPrintable(ext),
                    clicks.questionsUnheard, runs);
        std::printf("figure results_late_or_unheard_%s %d of_%d\n", qPrintable(ext),
                    clicks.resultsLate + clicks.resultsUnheard, runs);
    }
    quiz.control<RadioGroup>("AVRG")->setItemIndex(0);
    delayFigures("key_to_heard", measureClicks(recorder, quiz, runs, true).delays, pathMs,
                 "Return on the framed panel -> result clip heard, wav");

    // The default clips' peak, which recordings are brought to.
    std::vector<double> peaks;
    for (const char *clip : {"color1", "color2", "color3", "true", "false"})
        peaks.push_back(peakDbfs(data + QLatin1String(clip) + QLatin1String(".wav")));
    figure("default_clip_peak_dbfs", median(peaks), "dBFS");
    const bool recorded = recordTheClips(recorder, quiz);
    if (recorded) {
        lead.clear();
        peaks.clear();
        for (int clip = 0; clip < 5; ++clip) {
            lead.push_back(leadingSilenceMs(quiz.form->player(clip).fileName()));
            peaks.push_back(peakDbfs(quiz.form->player(clip).fileName()));
        }
        figure("recorded_lead_silence_ms", *std::max_element(lead.begin(), lead.end()), "ms");
        figure("recorded_peak_dbfs", median(peaks), "dBFS");
        delayFigures("click_to_heard_recorded", measureClicks(recorder, quiz, runs).delays, pathMs,
                     "click -> recorded result clip heard, wav");
    } else {
        std::fprintf(stderr, "bench_heard: the clips could not be recorded\n");
    }
    const int errors = quiz.dialogs.count(ScriptedDialogs::Kind::Error);
    if (errors)
        std::fprintf(stderr, "errors: %s\n", qPrintable(quiz.errors().join(" | ")));
    return errors == 0 && recorded ? 0 : 1;
}
