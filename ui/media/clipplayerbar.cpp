#include "ui/media/clipplayerbar.h"
#include "core/base/plaintext.h"

#include "ui/common/styleicon.h"
#include "core/media/clipplayer.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QToolButton>

namespace {

// The style has no record symbol: a red dot, as on any recorder.
QIcon recordIcon()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xd0, 0x20, 0x20));
    painter.drawEllipse(QRectF(2.5, 2.5, 11, 11));
    return QIcon(pixmap);
}

QToolButton *makeButton(QWidget *parent, const char *name, const QIcon &icon,
                        const QString &tip)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setIcon(icon);
    button->setToolTip(tip);
    button->setAutoRaise(false);
    button->setFocusPolicy(Qt::NoFocus);
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    return button;
}

} // namespace

ClipPlayerBar::ClipPlayerBar(QWidget *parent) : QWidget(parent)
{
    m_play = makeButton(this, "play", styleIcon(QStyle::SP_MediaPlay), QString());
    m_stop = makeButton(this, "stop", styleIcon(QStyle::SP_MediaStop),
                        QStringLiteral("إيقاف"));
    m_record = makeButton(this, "record", recordIcon(), QString());
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    layout->addWidget(m_play);
    layout->addWidget(m_stop);
    layout->addWidget(m_record);
    // Said in the clip's row, where the teacher looks after a recording.
    m_note = new QLabel(QStringLiteral("انقطع التسجيل"), this);
    m_note->setObjectName(QStringLiteral("cutOff"));
    m_note->setTextFormat(Qt::PlainText);
    m_note->setToolTip(QStringLiteral("انقطع مدخل الصوت (الميكروفون) أثناء التسجيل، وبقي ما سُجِّل قبل ذلك؛ "
                                      "يُحفظ مع المقطع، أو سجِّل من جديد"));
    m_note->setStyleSheet(QStringLiteral("color: #b00000"));
    m_note->hide();
    layout->addWidget(m_note);

    connect(m_play, &QToolButton::clicked, this, [this] { emit buttonClicked(Button::Play); });
    connect(m_stop, &QToolButton::clicked, this, [this] { emit buttonClicked(Button::Stop); });
    connect(m_record, &QToolButton::clicked, this,
            [this] { emit buttonClicked(Button::Record); });
    followPlayer();
}

void ClipPlayerBar::watch(ClipPlayer *player)
{
    if (m_player)
        disconnect(m_player, nullptr, this, nullptr);
    m_player = player;
    if (m_player)
        connect(m_player, &ClipPlayer::stateChanged, this, &ClipPlayerBar::followPlayer);
    followPlayer();
}

QToolButton *ClipPlayerBar::button(Button which) const
{
    switch (which) {
    case Button::Play:
        return m_play;
    case Button::Stop:
        return m_stop;
    case Button::Record:
        return m_record;
    }
    return nullptr;
}

void ClipPlayerBar::setSoundNotes(const QString &noOutput, const QString &noInput)
{
    m_noOutput = noOutput;
    m_noInput = noInput;
    followPlayer();
}

void ClipPlayerBar::followPlayer()
{
    const ClipPlayer::State state = m_player ? m_player->state() : ClipPlayer::State::Closed;
    const bool running =
        state == ClipPlayer::State::Playing || state == ClipPlayer::State::Recording;
    const bool stopped = state == ClipPlayer::State::Stopped;
    // Without an output a sound clip has nothing to show; a video clip
    // still shows its picture.
    const bool heard = m_noOutput.isEmpty() || (m_player && m_player->hasVideo());
    m_play->setEnabled(stopped && m_player->canPlay() && heard);
    m_stop->setEnabled(running);
    m_record->setEnabled(stopped && m_player->canRecord() && m_noInput.isEmpty());
    const auto tip = [](const char *what, const QString &note) {
        const QString name = QString::fromUtf8(what);
        // The note may name a sound device: never read as markup.
        return PlainText::toolTip(note.isEmpty() ? name : name + QStringLiteral(": ") + note);
    };
    m_note->setVisible(m_player && m_player->recordingCutOff());
    m_play->setToolTip(tip("تشغيل", m_noOutput));
    m_record->setToolTip(tip("تسجيل", m_noInput));
}
