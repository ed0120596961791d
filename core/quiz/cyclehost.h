#pragma once

#include <QString>

#include <array>

/// What the question cycle needs of the window. The window keeps the cycle's
/// visible state in its hidden controls (asked choice, clicked choice,
/// judgement) and carries out the display steps.
class CycleHost
{
public:
    enum class Clip { Choice1, Choice2, Choice3, Right, Wrong };

    virtual ~CycleHost() = default;

    virtual QString askedText() const = 0;
    virtual void setAskedText(const QString &text) = 0;
    virtual QString clickedText() const = 0;
    virtual void setClickedText(const QString &text) = 0;
    virtual QString resultText() const = 0;
    virtual void setResultText(const QString &text) = 0;

    /// Index of the asked-choice selector: 0 random, 1..3 that choice, -1 none.
    virtual int askForIndex() const = 0;
    virtual bool optionsMode() const = 0;

    /// Starts a clip; throws QuizError when it cannot be opened.
    virtual void startClip(Clip clip) = 0;
    /// Counts the judged answer on the current child, with what was asked
    /// (the asked choice's text) and clicked, for its history; never throws.
    virtual void recordResult(const QString &result, const QString &asked, quint8 clicked) = 0;

    virtual void placePanels(int topPanel, int middlePanel) = 0;
    virtual void applyChoiceColours() = 0;
    virtual void setShapeKinds(const std::array<int, 3> &kinds) = 0;
    virtual void refreshChoiceTexts() = 0;

    virtual bool timerEnabled() const = 0;
    virtual void setTimerEnabled(bool enabled) = 0;
};
