// The question cycle and the panel stack, without a window.
#include "core/base/quizerror.h"
#include "core/quiz/cyclehost.h"
#include "core/quiz/panelstack.h"
#include "core/quiz/questioncycle.h"
#include "core/quiz/random.h"

#include <QtTest>

#include <map>
#include <set>

namespace {

class FakeHost : public CycleHost
{
public:
    // What the hidden controls would show.
    QString asked = QStringLiteral("N");
    QString clicked = QStringLiteral("1");
    QString result = QStringLiteral("N");
    int askFor = 0;
    bool options = false;
    bool timer = false;
    QList<Clip> started;
    QStringList recorded;
    QStringList askedAndClicked;
    std::set<Clip> failing;
    std::pair<int, int> places{-1, -1};
    int refreshes = 0;
    std::array<int, 3> kinds{{-1, -1, -1}};

    void showAsked(quint8 a) override { asked = QString::number(a); }
    void showAnswer(quint8 c, Judgement j) override
    {
        clicked = QString::number(c);
        result = j == Judgement::Right ? QStringLiteral("Y") : QStringLiteral("N");
    }
    int askForIndex() const override { return askFor; }
    bool optionsMode() const override { return options; }
    void startClip(Clip c) override
    {
        if (failing.count(c))
            throw QuizError(QStringLiteral("clip cannot be opened"));
        started.append(c);
    }
    void recordResult(Judgement j, quint8 a, quint8 c) override
    {
        recorded.append(j == Judgement::Right ? QStringLiteral("Y") : QStringLiteral("N"));
        askedAndClicked.append(QString::number(a) + QLatin1Char(':') + QString::number(c));
    }
    void placePanels(int t, int m) override { places = {t, m}; }
    void applyChoiceColours() override {}
    void setShapeKinds(const std::array<int, 3> &k) override { kinds = k; }
    void refreshChoiceTexts() override { ++refreshes; }
    void setTimerEnabled(bool e) override { timer = e; }
};

} // namespace

class TestQuestionCycle : public QObject
{
    Q_OBJECT

private slots:
    void askedChoiceFollowsTheSelector()
    {
        FakeHost host;
        Random random;
        random.seedOnce(1);
        QuestionCycle cycle(host, random);
        std::set<int> seen;
        for (int i = 0; i < 200; ++i)
            seen.insert(cycle.PickAskedChoice());
        QCOMPARE(seen, (std::set<int>{1, 2, 3}));
        for (int index : {1, 2, 3}) {
            host.askFor = index;
            QCOMPARE(int(cycle.PickAskedChoice()), index);
        }
        // No selection asks at random, as the random item does.
        host.askFor = -1;
        seen.clear();
        for (int i = 0; i < 200; ++i)
            seen.insert(cycle.PickAskedChoice());
        QCOMPARE(seen, (std::set<int>{1, 2, 3}));
    }

    void everyOrderIsEquallyLikely()
    {
        FakeHost host;
        Random random;
        random.seedOnce(7);
        QuestionCycle cycle(host, random);
        std::map<std::pair<int, int>, int> counts;
        const int draws = 60000;
        for (int i = 0; i < draws; ++i)
            ++counts[cycle.pickPlaces(false)];
        QCOMPARE(counts.size(), std::size_t(6));
        for (const auto &[places, n] : counts) {
            QVERIFY(places.first != places.second);
            QVERIFY2(qAbs(n - draws / 6) < draws / 60, qPrintable(QString::number(n)));
        }
        QCOMPARE(cycle.pickPlaces(true), std::make_pair(0, 1));
    }

    void newActAsksPlaysAndRebuildsTheDisplay()
    {
        FakeHost host;
        Random random;
        random.seedOnce(3);
        QuestionCycle cycle(host, random);
        host.askFor = 2;
        cycle.newAct();
        QCOMPARE(host.asked, QStringLiteral("2"));
        QCOMPARE(host.started, QList<CycleHost::Clip>{CycleHost::Clip::Choice2});
        QVERIFY(host.places.first >= 0 && host.places.first != host.places.second);
        for (int k : host.kinds)
            QVERIFY(k >= 0 && k <= 5);
        QCOMPARE(host.refreshes, 1);
        QVERIFY(!host.timer);
    }

    void aFailingQuestionClipLeavesThePanelsAsTheyWere()
    {
        FakeHost host;
        Random random;
        random.seedOnce(3);
        QuestionCycle cycle(host, random);
        host.askFor = 1;
        host.failing = {CycleHost::Clip::Choice1};
        QVERIFY_THROWS_EXCEPTION(QuizError, cycle.newAct());
        QCOMPARE(host.asked, QStringLiteral("1"));
        QCOMPARE(host.places, std::make_pair(-1, -1));
        QCOMPARE(host.refreshes, 0);
    }

    void answersAreJudgedAndCountedOnce()
    {
        FakeHost host;
        Random random;
        random.seedOnce(5);
        QuestionCycle cycle(host, random);
        host.askFor = 3;
        cycle.newAct();
        host.started.clear();
        host.askFor = 0;
        cycle.answerChoice(3);
        QCOMPARE(host.result, QStringLiteral("Y"));
        QCOMPARE(host.clicked, QStringLiteral("3"));
        QVERIFY(cycle.answered());
        QVERIFY(host.timer);
        // Further clicks and replays are ignored while the result shows.
        cycle.answerChoice(1);
        cycle.PlayQuestionClip();
        QCOMPARE(host.recorded, QStringList{QStringLiteral("Y")});
        QCOMPARE(host.clicked, QStringLiteral("3"));
        QCOMPARE(host.started, QList<CycleHost::Clip>{CycleHost::Clip::Right});

        cycle.timerTick();
        QVERIFY(!cycle.answered());
        QVERIFY(!host.timer);
        cycle.answerChoice(host.asked == QStringLiteral("1") ? 2 : 1);
        QCOMPARE(host.result, QStringLiteral("N"));
        QCOMPARE(host.started.last(), CycleHost::Clip::Wrong);
        QCOMPARE(host.recorded, (QStringList{QStringLiteral("Y"), QStringLiteral("N")}));
        // The history gets what was asked and clicked with each count.
        QCOMPARE(host.askedAndClicked.first(), QStringLiteral("3:3"));
        QCOMPARE(host.askedAndClicked.last(),
                 host.asked + (host.asked == QStringLiteral("1") ? QStringLiteral(":2") : QStringLiteral(":1")));
    }

    void beforeTheFirstQuestionEveryClickIsWrong()
    {
        FakeHost host;
        Random random;
        random.seedOnce(5);
        QuestionCycle cycle(host, random);
        cycle.PlayQuestionClip(); // nothing asked: no clip
        QVERIFY(host.started.isEmpty());
        cycle.answerChoice(1);
        QCOMPARE(host.result, QStringLiteral("N"));
        QCOMPARE(cycle.judgement(), Judgement::Wrong);
        QCOMPARE(host.askedAndClicked, QStringList{QStringLiteral("0:1")});
    }

    void aResultClipThatCannotStartStillEndsTheQuestion()
    {
        FakeHost host;
        Random random;
        random.seedOnce(5);
        QuestionCycle cycle(host, random);
        host.askFor = 2;
        cycle.newAct();
        host.failing = {CycleHost::Clip::Right, CycleHost::Clip::Wrong};
        QVERIFY_THROWS_EXCEPTION(QuizError, cycle.answerChoice(2));
        QVERIFY(cycle.answered());
        QVERIFY(host.timer);
        cycle.answerChoice(2); // ignored: no second count, no second error
        QCOMPARE(host.recorded.size(), 1);
    }

    void aFailingNextQuestionStopsTheTimerFirst()
    {
        FakeHost host;
        Random random;
        random.seedOnce(5);
        QuestionCycle cycle(host, random);
        host.askFor = 1;
        cycle.newAct();
        cycle.answerChoice(1);
        host.failing = {CycleHost::Clip::Choice1, CycleHost::Clip::Choice2, CycleHost::Clip::Choice3};
        QVERIFY_THROWS_EXCEPTION(QuizError, cycle.timerTick());
        QVERIFY(!host.timer);
        QVERIFY(!cycle.answered());
    }

    void panelsRestackByTheirTopEdges_data()
    {
        QTest::addColumn<int>("panel");
        QTest::addColumn<int>("top");
        QTest::addColumn<QList<int>>("order");
        // Start: 0, 1, 2 from the top, 100 pixels each.
        QTest::newRow("same edge moves nothing") << 1 << 100 << QList<int>{0, 1, 2};
        QTest::newRow("last to the top") << 2 << 0 << QList<int>{2, 0, 1};
        QTest::newRow("last to the middle") << 2 << 100 << QList<int>{0, 2, 1};
        QTest::newRow("first to the next edge stays in front") << 0 << 100 << QList<int>{0, 1, 2};
        QTest::newRow("first between the others' edges") << 0 << 150 << QList<int>{1, 0, 2};
        QTest::newRow("first below everything") << 0 << 500 << QList<int>{1, 2, 0};
        QTest::newRow("middle just below the top one") << 1 << 1 << QList<int>{0, 1, 2};
    }

    void panelsRestackByTheirTopEdges()
    {
        QFETCH(int, panel);
        QFETCH(int, top);
        QFETCH(QList<int>, order);
        PanelStack stack;
        stack.applyHeightRule(300);
        stack.setTop(panel, top);
        QCOMPARE(QList<int>(stack.order().begin(), stack.order().end()), order);
    }

    void placingGivesTopMiddleAndTheRest()
    {
        PanelStack stack;
        stack.applyHeightRule(414);
        QCOMPARE(stack.height(), 138);
        for (int top = 0; top < 3; ++top)
            for (int middle = 0; middle < 3; ++middle) {
                if (top == middle)
                    continue;
                stack.place(top, middle);
                QCOMPARE(stack.order()[0], top);
                QCOMPARE(stack.order()[1], middle);
                QCOMPARE(stack.top(middle), 138);
            }
        stack.applyHeightRule(700);
        QCOMPARE(stack.height(), 233);
    }
};

QTEST_GUILESS_MAIN(TestQuestionCycle)
#include "tst_questioncycle.moc"
