#include "core/quiz/questioncycle.h"

#include "core/base/quizerror.h"
#include "core/quiz/random.h"

#include <array>

QuestionCycle::QuestionCycle(CycleHost &host, Random &random)
    : m_host(host), m_random(random)
{
}

quint8 QuestionCycle::PickAskedChoice()
{
    const int index = m_host.askForIndex();
    // No selection (a hand-edited options file) asks at random as well:
    // taken as a choice number it would ask for none, and every answer
    // would be wrong.
    if (index <= 0)
        return quint8(m_random.uniform(1, 3));
    return quint8(index);
}

std::pair<int, int> QuestionCycle::pickPlaces(bool optionsMode)
{
    if (optionsMode)
        return {0, 1};
    const int top = m_random.uniform(0, 2);
    int middle;
    do {
        middle = m_random.uniform(0, 2);
    } while (middle == top);
    return {top, middle};
}

void QuestionCycle::newAct()
{
    m_asked = PickAskedChoice();
    m_host.showAsked(m_asked);
    // The clip starts before the display changes; if it cannot be opened the
    // panels keep the previous question's look.
    PlayQuestionClip();
    const auto [top, middle] = pickPlaces(m_host.optionsMode());
    m_host.applyChoiceColours();
    m_host.placePanels(top, middle);
    std::array<int, 3> kinds{};
    for (int &k : kinds)
        k = m_random.uniform(0, 5);
    m_host.setShapeKinds(kinds);
    m_host.refreshChoiceTexts();
}

void QuestionCycle::PlayQuestionClip()
{
    if (Answered)
        return;
    // Before the first question nothing is asked and no clip plays.
    static const CycleHost::Clip clips[] = {CycleHost::Clip::Choice1, CycleHost::Clip::Choice2,
                                            CycleHost::Clip::Choice3};
    if (m_asked >= 1 && m_asked <= 3)
        m_host.startClip(clips[m_asked - 1]);
}

void QuestionCycle::answerChoice(quint8 choice)
{
    if (Answered)
        return;
    m_clicked = choice;
    // Before the first question nothing is asked, and every click is wrong.
    m_judgement = m_asked != 0 && m_asked == choice ? Judgement::Right : Judgement::Wrong;
    m_host.showAnswer(m_clicked, m_judgement);
    m_host.recordResult(m_judgement, m_asked, m_clicked);
    try {
        PlayResultClip();
    } catch (const QuizError &) {
        // The answer is judged and counted; a result clip that cannot be
        // started must not leave the question open to be counted again.
        Answered = true;
        m_host.setTimerEnabled(true);
        throw;
    }
    Answered = true;
    m_host.setTimerEnabled(true);
}

void QuestionCycle::PlayResultClip()
{
    if (m_judgement == Judgement::Wrong)
        m_host.startClip(CycleHost::Clip::Wrong);
    else if (m_judgement == Judgement::Right)
        m_host.startClip(CycleHost::Clip::Right);
    Answered = true;
}

void QuestionCycle::timerTick()
{
    Answered = false;
    // Disabled before the next question: a question clip that cannot be
    // opened is then reported once, not at every tick.
    m_host.setTimerEnabled(false);
    newAct();
}
