#pragma once

#include <QWidget>

class ClipPlayer;
class QLabel;
class QProgressBar;
class QToolButton;

/// The buttons of one clip player: play, stop, record and undo, in this
/// order.
/// The bar only says what the user asked for (buttonClicked); the window
/// decides what happens. Its buttons follow the player it watches: an open
/// clip offers play, and record where the clip can be recorded into;
/// playing or recording offers only stop; a player without an open clip
/// offers nothing. Undo is offered while the clip can go back to what it
/// was before its last recording. While recording, the record button is
/// held down and shows the time recorded, the bar is tinted and its meter
/// shows the level of the sound arriving. A recording that a lost input cut
/// off is said under the buttons ("انقطع التسجيل") until it is saved or
/// replaced, and one in which no sound arrived until the next one.
class ClipPlayerBar : public QWidget
{
    Q_OBJECT
public:
    enum class Button { Play, Stop, Record, Undo };
    Q_ENUM(Button)

    explicit ClipPlayerBar(QWidget *parent = nullptr);

    /// The player whose state the buttons follow; may be null.
    void watch(ClipPlayer *player);
    QToolButton *button(Button which) const;
    /// Why a sound clip cannot be heard (no sound output) and why nothing
    /// can be recorded (no microphone); empty texts where the device is
    /// there. The buttons that cannot work are disabled and say why in
    /// their tips; a video clip still plays, without sound.
    void setSoundNotes(const QString &noOutput, const QString &noInput);

signals:
    void buttonClicked(ClipPlayerBar::Button button);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void followPlayer();
    void showLevel(double peak);

    ClipPlayer *m_player = nullptr;
    QString m_noOutput;
    QString m_noInput;
    QToolButton *m_play;
    QToolButton *m_stop;
    QToolButton *m_record;
    QToolButton *m_undo;
    QProgressBar *m_level;
    /// Shown while the clip holds a recording the lost input cut off.
    QLabel *m_note;
    /// Shown after a recording in which no sound arrived.
    QLabel *m_silent;
};
