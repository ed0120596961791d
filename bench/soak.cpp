// Soaks the whole quiz: thousands of question cycles through the real window
// and the real clip players at the shortest waiting time, with a child's
// answers (real clicks on the panels), the options pane opened with its key
// chord now and then, and switches between two saved lessons (one with
// sound clips, one with video clips) and the automatic lesson. The waiting
// timer is fired by hand, so nothing sleeps.
//
//   soak [cycles] [--no-pane] [--no-lessons]
//        cycles 10000 by default; --no-pane: questions only (in the video
//        lesson); --no-lessons: the pane opens but the lesson stays.
//
// Prints the resident memory after the warm-up and at the end, the growth,
// a line per thousand cycles (resident memory split into anonymous and
// file pages, the heap in use and the free memory the heap keeps), the
// trend of the anonymous memory over the second half of the run (a leak
// shows there as a steady rise, whatever the heap's own steps), and what
// went wrong: errors reported, messages shown, dialogs nobody scripted,
// clicks that did not answer, switches that did not land. The main figures
// end the output as "figure <name> <value> <unit>" lines.
#include "ui/window/choicepanel.h"
#include "bench/procstatus.h"
#include "app/heap.h"
#include "core/records/resultstable.h"
#include "core/settings/lessonfoldermodel.h"
#include "core/settings/lessonlibrary.h"
#include "ui/lessons/lessonlist.h"
#include "support/quizwindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <cstdio>
#include <cstdlib>
#include <malloc.h>
#include <utility>
#include <vector>

namespace {


/// The least-squares slope of the samples (cycle, KiB), in KiB per 1,000
/// cycles.
double slopePerThousand(const std::vector<std::pair<int, long>> &samples)
{
    const double n = double(samples.size());
    if (n < 2)
        return 0;
    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (const auto &[x, y] : samples) {
        sx += x;
        sy += double(y);
        sxx += double(x) * x;
        sxy += double(x) * double(y);
    }
    const double d = n * sxx - sx * sx;
    return d == 0 ? 0 : (n * sxy - sx * sy) / d * 1000.0;
}

class Soak
{
public:
    Soak() : m_quiz([](QuizWindow &w) { w.maximized = true; }, 20240601)
    {
        // Found once: a question cycle should cost what the program's costs.
        for (int i = 0; i < 3; ++i)
            m_panels[size_t(i)] = m_quiz.panel(i + 1);
    }

    ScriptedDialogs &dialogs() { return m_quiz.dialogs; }

    /// A child to count the answers for, the shortest waiting time, and the
    /// two lessons: "sound" asks with shapes and sound clips, "video" with
    /// texts and video clips. Ends in the automatic lesson.
    void prepare()
    {
        openPane();
        m_quiz.control<QTabWidget>("OptionsPC")->setCurrentIndex(1);
        m_quiz.dialogs.textAnswers.enqueue(QStringLiteral("طفل التجربة"));
        QTest::mouseClick(m_quiz.control<QPushButton>("BitBtn7"), Qt::LeftButton);
        m_quiz.control<QTabWidget>("OptionsPC")->setCurrentIndex(0);
        QSpinBox *wait = m_quiz.control<QSpinBox>("WaitSE");
        wait->setValue(wait->minimum());

        choose(m_quiz.control<RadioGroup>("AskForRG"), 0);
        choose(m_quiz.control<RadioGroup>("AVRG"), 0);
        m_quiz.dialogs.textAnswers.enqueue(QStringLiteral("sound"));
        QTest::mouseClick(m_quiz.control<QPushButton>("ProButton2"), Qt::LeftButton);

        choose(m_quiz.control<RadioGroup>("AskForRG"), 1);
        choose(m_quiz.control<RadioGroup>("AVRG"), 1);
        m_quiz.dialogs.textAnswers.enqueue(QStringLiteral("video"));
        QTest::mouseClick(m_quiz.control<QPushButton>("ProButton2"), Qt::LeftButton);

        QTest::mouseClick(m_quiz.control<QToolButton>("SpeedButton7"), Qt::LeftButton);
        closePane();
    }

    /// One question: a click on a panel, then the waiting time over at once.
    void cycle()
    {
        ChoicePanel *panel = m_panels[size_t(m_quiz.random.uniform(0, 2))];
        QTest::mouseClick(panel, Qt::LeftButton, {}, panel->rect().center());
        if (!m_quiz.form->cycle().answered())
            ++m_unanswered;
        settle();
        m_quiz.form->playwaitTimerTimer();
        settle();
    }

    /// Handles what has arrived, as the idle event loop does during the
    /// waiting time: above all the players' messages, one per pass. Returns
    /// when nothing is left, never waits for more.
    static void settle()
    {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }

    /// The options pane opened with the key chord and closed again, the
    /// lesson changed on the way when asked.
    void paneVisit(bool switchLesson)
    {
        openPane();
        if (switchLesson)
            nextLesson();
        closePane();
    }

    int unanswered() const { return m_unanswered; }
    /// The current child's right and wrong answers, as the table holds them.
    int answersCounted() const
    {
        const ResultsTable *table = m_quiz.control<ResultsTable>("Table1");
        return table->integer(ResultsTable::Field::Ok) + table->integer(ResultsTable::Field::NotOk);
    }
    int switches() const { return m_switches; }
    int missedSwitches() const { return m_missedSwitches; }

private:
    void openPane()
    {
        if (!m_quiz.form->optionsMode())
            QTest::keyRelease(m_quiz.form.get(), Qt::Key_F1, Qt::ControlModifier | Qt::AltModifier);
        if (!m_quiz.form->optionsMode())
            std::fprintf(stderr, "the key chord did not open the options pane\n");
    }

    void closePane()
    {
        QTest::mouseClick(m_quiz.control<QPushButton>("Button1"), Qt::LeftButton);
    }

    static void choose(RadioGroup *group, int index)
    {
        const QList<QRadioButton *> buttons = group->findChildren<QRadioButton *>();
        if (index < buttons.size())
            QTest::mouseClick(buttons.at(index), Qt::LeftButton);
        if (group->itemIndex() != index)
            std::fprintf(stderr, "%s did not take item %d\n", qPrintable(group->objectName()), index);
    }

    /// sound -> video -> automatic -> sound ...; the two lessons are chosen
    /// with a click in the list, the automatic one with its button.
    void nextLesson()
    {
        static const QString order[] = {QStringLiteral("sound"), QStringLiteral("video"),
                                        LessonLibrary::automaticName()};
        const QString target = order[m_switches++ % 3];
        m_quiz.control<QTabWidget>("OptionsPC")->setCurrentIndex(0);
        if (target == LessonLibrary::automaticName()) {
            QTest::mouseClick(m_quiz.control<QToolButton>("SpeedButton7"), Qt::LeftButton);
        } else {
            QListView *view = m_quiz.control<QListView>("Lesson");
            const int row = m_quiz.form->lessonList()->model()->rowOf(target);
            if (row >= 0) {
                const QModelIndex index = m_quiz.form->lessonList()->model()->index(row);
                view->scrollTo(index);
                QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
            }
        }
        if (m_quiz.control<QLineEdit>("CurLesson")->text() != target)
            ++m_missedSwitches;
    }

    QuizWindow m_quiz;
    std::array<ChoicePanel *, 3> m_panels{};
    int m_unanswered = 0;
    int m_switches = 0;
    int m_missedSwitches = 0;
};

} // namespace

int main(int argc, char **argv)
{
    configureHeap();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Line by line even into a pipe: a run that hangs still shows how far it got.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    const bool noPane = args.contains(QStringLiteral("--no-pane"));
    const bool noLessons = args.contains(QStringLiteral("--no-lessons"));
    const int cycles = args.isEmpty() || args.first().startsWith(QLatin1Char('-')) ? 10000 : args.first().toInt();
    if (cycles < 1) {
        std::fprintf(stderr, "usage: soak [cycles] [--no-pane] [--no-lessons]\n");
        return 2;
    }
    // Every 25th question the pane opens; every 4th opening changes the lesson.
    constexpr int paneEvery = 25;
    constexpr int switchEvery = 4;
    const int warmUp = qMin(500, cycles / 10);

    Soak soak;
    soak.prepare();

    QElapsedTimer clock;
    long startKb = statusKb("VmRSS:");
    int visits = 0;
    // The anonymous memory every 100 cycles over the second half.
    std::vector<std::pair<int, long>> anonymous;
    for (int i = 0; i < cycles; ++i) {
        if (i >= cycles / 2 && (i - cycles / 2) % 100 == 0)
            anonymous.emplace_back(i, statusKb("RssAnon:"));
        if (i == warmUp) {
            startKb = statusKb("VmRSS:");
            clock.start();
        }
        soak.cycle();
        if (!noPane && (i + 1) % paneEvery == 0)
            soak.paneVisit(!noLessons && ++visits % switchEvery == 0);
        if ((i + 1) % 1000 == 0) {
            const struct mallinfo2 heap = mallinfo2();
            std::printf("  after %5d cycles: resident %ld KiB (anonymous %ld, files %ld), heap in use %zu KiB, "
                        "free in heap %zu KiB\n",
                        i + 1, statusKb("VmRSS:"), statusKb("RssAnon:"), statusKb("RssFile:"),
                        (heap.uordblks + heap.hblkhd) / 1024, heap.fordblks / 1024);
        }
    }
    // Let the last clips and the list's change watch settle.
    QTest::qWait(200);
    const long endKb = statusKb("VmRSS:");
    anonymous.emplace_back(cycles, statusKb("RssAnon:"));
    // Flat: the fitted rise over the half is under a quarter of a megabyte,
    // which the heap's own steps stay within.
    const double slope = slopePerThousand(anonymous);
    const double halfRiseMb = slope * (cycles - cycles / 2) / 1000.0 / 1024.0;
    const bool flat = halfRiseMb < 0.25;
    const double seconds = clock.elapsed() / 1000.0;
    ScriptedDialogs &d = soak.dialogs();

    std::printf("question cycles: %d (%d warm-up), pane openings: %d, lesson switches: %d\n", cycles,
                warmUp, visits, soak.switches());
    std::printf("time after warm-up: %.1f s (%.2f ms per cycle)\n", seconds,
                seconds * 1000.0 / qMax(1, cycles - warmUp));
    std::printf("resident memory after warm-up: %ld KiB\n", startKb);
    std::printf("resident memory at the end: %ld KiB\n", endKb);
    std::printf("growth: %.2f MB\n", (endKb - startKb) / 1024.0);
    std::printf("peak resident memory: %ld KiB\n", statusKb("VmHWM:"));
    std::printf("anonymous memory over the last %d cycles: %ld -> %ld KiB, trend %.1f KiB per 1,000 cycles (%s)\n",
                cycles - cycles / 2, anonymous.front().second, anonymous.back().second, slope,
                flat ? "flat" : "rising");
    std::printf("answers counted for the child: %d of %d\n", soak.answersCounted(), cycles);
    std::printf("errors reported: %d\n", d.count(Kind::Error));
    std::printf("messages shown: %d, unscripted dialogs: %d, clicks not answered: %d, switches missed: %d\n",
                d.count(Kind::Message), d.unscripted(), soak.unanswered(), soak.missedSwitches());
    for (const ScriptedDialogs::Call &call : d.calls())
        if (call.kind == Kind::Error || call.kind == Kind::Message)
            std::fprintf(stderr, "  %s: %s\n", call.kind == Kind::Error ? "error" : "message",
                         qPrintable(call.text));
    const bool ok = d.count(Kind::Error) == 0 && soak.answersCounted() == cycles && d.count(Kind::Message) == 0 && soak.unanswered() == 0
                    && soak.missedSwitches() == 0 && (endKb - startKb) < 5 * 1024;
    std::printf("%s\n", ok ? "soak: PASS" : "soak: FAIL");
    std::printf("figure soak_growth_mb %.2f MB\n", (endKb - startKb) / 1024.0);
    std::printf("figure soak_anon_trend_last_half %.1f KiB/1000cycles\n", slope);
    std::printf("figure soak_anon_rise_last_half_mb %.2f MB\n", halfRiseMb);
    std::printf("figure soak_anon_flat %d bool\n", flat ? 1 : 0);
    std::printf("figure soak_peak_rss_mb %.1f MB\n", statusKb("VmHWM:") / 1024.0);
    std::printf("figure soak_errors %d count\n", d.count(Kind::Error) + d.count(Kind::Message) + soak.unanswered()
                + soak.missedSwitches() + (soak.answersCounted() == cycles ? 0 : 1));
    return ok ? 0 : 1;
}
