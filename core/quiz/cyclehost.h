#pragma once

#include "core/quiz/judgement.h"

#include <QtGlobal>

#include <array>

/// What the question cycle needs of the window: it shows the cycle's state
/// in the hidden controls that name it (asked choice, clicked choice,
/// judgement) and carries out the display steps.
class CycleHost
{
public:
    enum class Clip { Choice1, Choice2, Choice3, Right, Wrong };

    virtual ~CycleHost() = default;

    /// A new question asks for choice 1..3.
    virtual void showAsked(quint8 asked) = 0;
    /// A click on choice 1..3 was judged.
    virtual void showAnswer(quint8 clicked, Judgement judgement) = 0;

    /// Index of the asked-choice selector: 0 random, 1..3 that choice, -1 none.
    virtual int askForIndex() const = 0;
    virtual bool optionsMode() const = 0;

    /// Starts a clip; throws QuizError when it cannot be opened.
    virtual void startClip(Clip clip) = 0;
    /// Counts the judged answer on the current child, with what was asked
    /// (0 before the first question) and clicked, for its history; never throws.
    virtual void recordResult(Judgement judgement, quint8 asked, quint8 clicked) = 0;

    virtual void placePanels(int topPanel, int middlePanel) = 0;
    virtual void applyChoiceColours() = 0;
    virtual void setShapeKinds(const std::array<int, 3> &kinds) = 0;
    virtual void refreshChoiceTexts() = 0;

    virtual void setTimerEnabled(bool enabled) = 0;
};
