#include "ui/media/clipplayerbar.h"
#include "core/base/plaintext.h"

#include "ui/common/styleicon.h"
#include "core/media/clipplayer.h"

#include "core/media/soundshaper.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QProgressBar>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>

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

// As tall as the reset button beside the bar; notes and the meter go under.
constexpr int ButtonHeight = 22;
constexpr int ControlsWidth = 85;

QToolButton *makeButton(QWidget *parent, const char *name, const QIcon &icon,
                        const QString &tip)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setIcon(icon);
    button->setToolTip(tip);
    button->setAutoRaise(false);
    button->setFocusPolicy(Qt::NoFocus);
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    button->setFixedHeight(ButtonHeight);
    return button;
}

// The meter spans the levels a voice takes, in decibels: a needle that
// moves for a whisper as for a shout.
constexpr int MeterFloorDb = -60;

QLabel *noteLabel(QWidget *parent, const char *name, const QString &text, const QString &tip)
{
    auto *note = new QLabel(text, parent);
    note->setObjectName(QLatin1String(name));
    note->setTextFormat(Qt::PlainText);
    note->setToolTip(tip);
    note->setStyleSheet(QStringLiteral("color: #b00000"));
    // In the narrow gap under the buttons.
    QFont small = note->font();
    small.setPixelSize(10);
    note->setFont(small);
    note->setAlignment(Qt::AlignLeading | Qt::AlignTop);
    note->setContentsMargins(0, 0, 0, 0);
    note->hide();
    return note;
}

QString clock(qint64 ms)
{
    const qint64 seconds = ms / 1000;
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

ClipPlayerBar::ClipPlayerBar(QWidget *parent) : QWidget(parent)
{
    m_play = makeButton(this, "play", styleIcon(QStyle::SP_MediaPlay), QString());
    m_stop = makeButton(this, "stop", styleIcon(QStyle::SP_MediaStop),
                        QStringLiteral("إيقاف"));
    m_record = makeButton(this, "record", recordIcon(), QString());
    // Held down while recording, with the time recorded beside its dot.
    m_record->setCheckable(true);
    m_record->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_undo = makeButton(this, "undo", styleIcon(QStyle::SP_ArrowBack),
                        QStringLiteral("تراجع عن التسجيل الأخير"));
    auto *buttons = new QHBoxLayout;
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->setSpacing(1);
    buttons->addWidget(m_play);
    buttons->addWidget(m_stop);
    buttons->addWidget(m_record, 2);
    buttons->addWidget(m_undo);

    m_level = new QProgressBar(this);
    m_level->setObjectName(QStringLiteral("level"));
    m_level->setRange(0, -MeterFloorDb);
    m_level->setValue(0);
    m_level->setTextVisible(false);
    m_level->setFixedHeight(5);
    m_level->setToolTip(QStringLiteral("مستوى الصوت الواصل من الميكروفون"));
    m_level->hide();
    // Said in the clip's row, where the teacher looks after a recording.
    m_note = noteLabel(this, "cutOff", QStringLiteral("انقطع التسجيل"),
                       QStringLiteral("انقطع مدخل الصوت (الميكروفون) أثناء التسجيل، وبقي ما سُجِّل قبل ذلك؛ "
                                      "يُحفظ مع المقطع، أو سجِّل من جديد"));
    m_silent = noteLabel(this, "silent", QStringLiteral("لم يصل صوت: افحص الميكروفون"),
                         QStringLiteral("لم يصل أي صوت من الميكروفون، فبقي المقطع كما كان. "
                                        "تأكد أن الميكروفون موصول وغير مكتوم، ثم سجِّل من جديد"));
    QPalette tinted = palette();
    tinted.setColor(QPalette::Window, QColor(0xff, 0xd0, 0xd0));
    setPalette(tinted);
    // The buttons and the meter keep their width at the leading end; a note
    // takes the whole width of the bar, under the row's caption too.
    auto *controls = new QVBoxLayout;
    controls->setContentsMargins(0, 0, 0, 0);
    controls->setSpacing(1);
    controls->addLayout(buttons);
    controls->addWidget(m_level);
    auto *column = new QWidget(this);
    column->setLayout(controls);
    column->setFixedWidth(ControlsWidth);
    auto *top = new QHBoxLayout;
    top->setContentsMargins(0, 0, 0, 0);
    top->addWidget(column);
    top->addStretch(1);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(top);
    layout->addWidget(m_note);
    layout->addWidget(m_silent);
    layout->addStretch(1);

    connect(m_play, &QToolButton::clicked, this, [this] { emit buttonClicked(Button::Play); });
    connect(m_stop, &QToolButton::clicked, this, [this] { emit buttonClicked(Button::Stop); });
    connect(m_record, &QToolButton::clicked, this, [this] {
        // Held down by the recording, not by the click.
        followPlayer();
        emit buttonClicked(Button::Record);
    });
    connect(m_undo, &QToolButton::clicked, this, [this] { emit buttonClicked(Button::Undo); });
    followPlayer();
}

void ClipPlayerBar::watch(ClipPlayer *player)
{
    if (m_player)
        disconnect(m_player, nullptr, this, nullptr);
    m_player = player;
    if (m_player) {
        connect(m_player, &ClipPlayer::stateChanged, this, &ClipPlayerBar::followPlayer);
        connect(m_player, &ClipPlayer::recordingLevel, this, &ClipPlayerBar::showLevel);
    }
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
    case Button::Undo:
        return m_undo;
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
    m_undo->setEnabled(m_player && m_player->canUndoRecording());
    const bool recording = state == ClipPlayer::State::Recording;
    m_record->setChecked(recording);
    m_record->setText(recording ? clock(m_player->recordedDuration()) : QString());
    // While recording the record button takes the room of the two that
    // cannot be used meanwhile, for the time recorded, and stands out red.
    m_play->setVisible(!recording);
    m_undo->setVisible(!recording);
    m_record->setStyleSheet(recording ? QStringLiteral("QToolButton { background: #ffd0d0; color: #900000; "
                                                       "border: 2px solid #d02020; border-radius: 3px; }")
                                      : QString());
    m_level->setVisible(recording);
    if (!recording)
        m_level->setValue(0);
    // The row stands out while it records; otherwise the page shows through.
    setAutoFillBackground(recording);
    m_note->setVisible(m_player && m_player->recordingCutOff());
    m_silent->setVisible(m_player && m_player->recordingSilent() && !recording);
    m_play->setToolTip(tip("تشغيل", m_noOutput));
    m_record->setToolTip(tip("تسجيل", m_noInput));
}

void ClipPlayerBar::showLevel(double peak)
{
    if (!m_player || m_player->state() != ClipPlayer::State::Recording)
        return;
    const double db = qMax<double>(MeterFloorDb, SoundScan::toDb(peak));
    const int value = int(std::lround(db - MeterFloorDb));
    // Falls back slowly, so that a short sound can be seen.
    m_level->setValue(qMax(value, m_level->value() - 3));
    m_record->setText(clock(m_player->recordedDuration()));
}

void ClipPlayerBar::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // Beside the buttons lies the row's caption, which is the caption's own
    // to draw and to be clicked; the bar has only the line under it.
    const QRect beside(ControlsWidth, 0, qMax(0, width() - ControlsWidth), ButtonHeight + 1);
    setMask(QRegion(rect()).subtracted(QStyle::visualRect(layoutDirection(), rect(), beside)));
}
