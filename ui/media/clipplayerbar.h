#pragma once

#include <QWidget>

class ClipPlayer;
class QLabel;
class QToolButton;

/// The buttons of one clip player: play, stop and record, in this order.
/// The bar only says what the user asked for (buttonClicked); the window
/// decides what happens. Its buttons follow the player it watches: an open
/// clip offers play, and record where the clip can be recorded into;
/// playing or recording offers only stop; a player without an open clip
/// offers nothing. A recording that a lost input cut off is said beside
/// the buttons ("انقطع التسجيل") until it is saved or replaced.
class ClipPlayerBar : public QWidget
{
    Q_OBJECT
public:
    enum class Button { Play, Stop, Record };
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

private:
    void followPlayer();

    ClipPlayer *m_player = nullptr;
    QString m_noOutput;
    QString m_noInput;
    QToolButton *m_play;
    QToolButton *m_stop;
    QToolButton *m_record;
    /// Shown while the clip holds a recording the lost input cut off.
    QLabel *m_note;
};
