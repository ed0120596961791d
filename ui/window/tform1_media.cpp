// The clip players' part of the main window: the five players' files, the
// medium, the button bars, emptying and saving clips. The rules live in
// core/media/ (ClipPlayer, ClipSet); these handlers wire them to the controls.
#include "ui/window/tform1.h"

#include "core/base/quizerror.h"
#include "ui/window/radiogroup.h"
#include "core/media/clipplayer.h"
#include "core/media/clipset.h"
#include "core/media/sounddevices.h"
#include "ui/media/videocanvas.h"

#include <QAudioDevice>
#include <QLabel>
#include <QList>
#include <QMediaDevices>
#include <QStringList>
#include <QVBoxLayout>

#include <algorithm>

void TForm1::buildMediaControls()
{
    m_videoCanvas = new VideoCanvas(VedioPanel);
    m_videoCanvas->setObjectName(QStringLiteral("VideoCanvas"));
    auto *layout = new QVBoxLayout(VedioPanel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_videoCanvas);

    const std::array<ClipPlayerBar *, ClipSet::ClipCount> bars{{MP1, MP2, MP3, MPTrue, MPFalse}};
    for (int i = 0; i < ClipSet::ClipCount; ++i) {
        m_players[i]->setVideoOutput(m_videoCanvas);
        bars[i]->watch(m_players[i]);
        connect(m_players[i], &ClipPlayer::rejected, this, [this, i](const QString &error) {
            if (isNewClipFailure(i, error))
                reportError(error);
        });
        connect(bars[i], &ClipPlayerBar::buttonClicked, this,
                [this, i](ClipPlayerBar::Button button) {
                    guarded([this, i, button] { playerButtonClicked(i, button); });
                });
    }
    auto *devices = new QMediaDevices(this);
    connect(devices, &QMediaDevices::audioOutputsChanged, this, &TForm1::showSoundDevices);
    connect(devices, &QMediaDevices::audioInputsChanged, this, &TForm1::showSoundDevices);
    showSoundDevices();
}

void TForm1::showSoundDevices()
{
    // Said once and quietly: the quiz plays on without sound, and no
    // message box ever stops a child's play for it.
    const QString noOutput = SoundDevices::noOutputText();
    SoundNote->setText(noOutput);
    SoundNote->setVisible(!noOutput.isEmpty());
    const QString noInput = SoundDevices::noInputText();
    for (ClipPlayerBar *bar : {MP1, MP2, MP3, MPTrue, MPFalse})
        bar->setSoundNotes(noOutput, noInput);
}

void TForm1::SetupMediaFiles()
{
    MediaExt = ClipSet::mediaExtension(AVRG->itemIndex(), MediaExt);
    for (ClipPlayer *player : m_players)
        player->close();
    // No picture of the old clips stays in the panel.
    m_videoCanvas->clear();
    for (int i = 0; i < ClipSet::ClipCount; ++i)
        m_players[i]->setFileName(ClipSet::clipFileName(dataRoot(), i, MediaExt));
    // One clip that cannot be opened costs neither the other clips nor what
    // follows (at start-up, the first question): every clip is opened that
    // can be, and the new failures are told together.
    QStringList failures;
    for (int i = 0; i < ClipSet::ClipCount; ++i) {
        QString error;
        if (m_players[i]->open(&error))
            m_clipFailures[i].clear();
        else if (isNewClipFailure(i, error))
            failures << error;
    }
    VedioPanel->setVisible(AVRG->itemIndex() == 1);
    if (!failures.isEmpty())
        reportError(failures.join(QStringLiteral("\n\r")));
}

bool TForm1::isNewClipFailure(int player, const QString &error)
{
    if (m_clipFailures[player] == error)
        return false;
    m_clipFailures[player] = error;
    return true;
}

void TForm1::startClip(Clip clip)
{
    const int i = int(clip);
    QString error;
    if (::startClip(*m_players[i], *m_random, &error)) {
        m_clipFailures[i].clear();
        return;
    }
    // A clip already reported plays nothing and is not told again: the
    // child goes on without it.
    if (isNewClipFailure(i, error))
        throw QuizError(error);
}

void TForm1::saveClips()
{
    QString error;
    if (!ClipSet::saveAll(QList<ClipPlayer *>(m_players.begin(), m_players.end()), &error))
        throw QuizError(error);
}

void TForm1::ResetClip(ClipPlayer &player)
{
    QString error;
    if (!ClipSet::resetClip(player, ClipSet::blankFileName(dataRoot(), MediaExt), &error))
        throw QuizError(error);
    const auto it = std::find(m_players.begin(), m_players.end(), &player);
    if (it != m_players.end())
        m_clipFailures[it - m_players.begin()].clear();
}

void TForm1::SpeedButton1Click() { ResetClip(*m_players[3]); }
void TForm1::SpeedButton2Click() { ResetClip(*m_players[0]); }
void TForm1::SpeedButton3Click() { ResetClip(*m_players[1]); }
void TForm1::SpeedButton4Click() { ResetClip(*m_players[2]); }
void TForm1::SpeedButton5Click() { ResetClip(*m_players[4]); }

namespace {

// The one thing the player handlers do: before a stop is carried out, the
// clip (with a recording just made) is written to its file.
void saveBeforeStop(ClipPlayer &player, ClipPlayerBar::Button button)
{
    if (button != ClipPlayerBar::Button::Stop)
        return;
    QString error;
    if (!player.save(&error))
        throw QuizError(error);
}

} // namespace

void TForm1::MP1Click(ClipPlayerBar::Button button, bool *) { saveBeforeStop(*m_players[0], button); }
void TForm1::MP2Click(ClipPlayerBar::Button button, bool *) { saveBeforeStop(*m_players[1], button); }
void TForm1::MP3Click(ClipPlayerBar::Button button, bool *) { saveBeforeStop(*m_players[2], button); }
void TForm1::MPTrueClick(ClipPlayerBar::Button button, bool *) { saveBeforeStop(*m_players[3], button); }
void TForm1::MPFalseClick(ClipPlayerBar::Button button, bool *) { saveBeforeStop(*m_players[4], button); }

void TForm1::playerButtonClicked(int player, ClipPlayerBar::Button button)
{
    using Handler = void (TForm1::*)(ClipPlayerBar::Button, bool *);
    static const Handler handlers[ClipSet::ClipCount] = {
        &TForm1::MP1Click, &TForm1::MP2Click, &TForm1::MP3Click, &TForm1::MPTrueClick,
        &TForm1::MPFalseClick};
    bool doDefault = true;
    (this->*handlers[player])(button, &doDefault);
    if (!doDefault)
        return;
    ClipPlayer &clip = *m_players[player];
    switch (button) {
    case ClipPlayerBar::Button::Play:
        clip.play();
        break;
    case ClipPlayerBar::Button::Stop:
        clip.stop();
        break;
    case ClipPlayerBar::Button::Record: {
        const bool canRecord = clip.canRecord();
        clip.record();
        // A start that failed (no sound input, a folder that cannot be
        // written) is told, not left without a word.
        if (canRecord && clip.state() != ClipPlayer::State::Recording && !clip.lastErrorText().isEmpty())
            throw QuizError(clip.lastErrorText());
        break;
    }
    }
}
