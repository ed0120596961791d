#pragma once

#include "core/quiz/cyclehost.h"

#include <utility>

class Random;

/// The question cycle: ask, judge a click, count it, play the result clip,
/// wait, ask again. Clicks and replays are ignored while a result is shown
/// (answered() is true). Errors of the host's clip starts propagate as
/// QuizError after the steps that must stand have been done.
class QuestionCycle
{
public:
    QuestionCycle(CycleHost &host, Random &random);

    bool answered() const { return Answered; }
    /// The choice the current question asks for, 1..3; 0 before the first.
    quint8 asked() const { return m_asked; }
    /// The choice last clicked, 1..3; 0 before the first answer.
    quint8 clicked() const { return m_clicked; }
    Judgement judgement() const { return m_judgement; }

    /// The asked choice 1..3: the selected one, or a random one for the
    /// random item and for no selection.
    quint8 PickAskedChoice();
    void newAct();
    void PlayQuestionClip();
    void answerChoice(quint8 choice);
    void PlayResultClip();
    void timerTick();

    /// The places a new question gives the panels: {top panel, middle panel}.
    std::pair<int, int> pickPlaces(bool optionsMode);

private:
    CycleHost &m_host;
    Random &m_random;
    bool Answered = false;
    quint8 m_asked = 0;
    quint8 m_clicked = 0;
    Judgement m_judgement = Judgement::None;
};
