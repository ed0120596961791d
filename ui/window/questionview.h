#pragma once

#include "core/quiz/cyclehost.h"

#include <QString>

#include <functional>

class MediaRows;
class OptionsPage;
class PlayArea;
class QTimer;
class QWidget;
class Random;
struct AnswerDetails;

/// What the question cycle shows and starts in the window: the hidden
/// controls that name its state, the panels' places, colours, shapes and
/// texts, the clips, the count of an answer and the waiting timer.
class QuestionView : public CycleHost
{
public:
    struct Window
    {
        PlayArea *play;
        OptionsPage *options;
        QWidget *optionsPane;
        MediaRows *media;
        QTimer *timer;
        Random *random;
        /// The window's RecordResult: counts the judged answer with its details.
        std::function<void(Judgement, const AnswerDetails &)> record;
        /// The window's RefreshChoiceTexts.
        std::function<void()> refreshTexts;
        /// A new question's panels are in place (its clip has started).
        std::function<void()> placed = nullptr;
        /// An answer was judged: the choice clicked and how it was judged.
        std::function<void(quint8, Judgement)> answered = nullptr;
    };

    explicit QuestionView(Window window) : m_w(std::move(window)) {}

    void showAsked(quint8 asked) override;
    void showAnswer(quint8 clicked, Judgement judgement) override;
    int askForIndex() const override;
    bool optionsMode() const override;
    void startClip(Clip clip) override;
    void recordResult(Judgement judgement, quint8 asked, quint8 clicked) override;
    void placePanels(int topPanel, int middlePanel) override;
    void applyChoiceColours() override;
    void setShapeKinds(const std::array<int, 3> &kinds) override;
    void refreshChoiceTexts() override;
    void setTimerEnabled(bool enabled) override;

private:
    Window m_w;
};
