#include "ui/media/mediarows.h"

#include "core/base/filelookup.h"
#include "core/media/clipplayer.h"
#include "core/media/clipset.h"
#include "core/media/sounddevices.h"
#include "ui/media/videocanvas.h"

#include <QFileInfo>
#include <QLabel>
#include <QList>
#include <QMediaDevices>
#include <QStringList>
#include <QVBoxLayout>

MediaRows::MediaRows(const std::array<ClipPlayerBar *, ClipCount> &bars, QLabel *soundNote,
                     QWidget *videoPanel, SoundMixer &mixer, QObject *parent)
    : QObject(parent), m_bars(bars), m_soundNote(soundNote), m_videoPanel(videoPanel)
{
    m_videoCanvas = new VideoCanvas(videoPanel);
    m_videoCanvas->setObjectName(QStringLiteral("VideoCanvas"));
    auto *layout = new QVBoxLayout(videoPanel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_videoCanvas);

    for (int i = 0; i < ClipCount; ++i) {
        m_players[i] = new ClipPlayer(mixer, this);
        m_players[i]->setVideoOutput(m_videoCanvas);
        m_bars[i]->watch(m_players[i]);
        connect(m_players[i], &ClipPlayer::rejected, this, [this, i](const QString &error) {
            const Result failure = newFailure(i, error);
            if (!failure)
                emit clipRefused(failure.text);
        });
        connect(m_bars[i], &ClipPlayerBar::buttonClicked, this,
                [this, i](ClipPlayerBar::Button button) { emit buttonClicked(i, button); });
    }
    auto *devices = new QMediaDevices(this);
    connect(devices, &QMediaDevices::audioOutputsChanged, this, &MediaRows::showSoundDevices);
    connect(devices, &QMediaDevices::audioInputsChanged, this, &MediaRows::showSoundDevices);
    showSoundDevices();
}

void MediaRows::showSoundDevices()
{
    // Said once and quietly: the quiz plays on without sound, and no
    // message box ever stops a child's play for it.
    const QString noOutput = SoundDevices::noOutputText();
    m_soundNote->setText(noOutput);
    m_soundNote->setVisible(!noOutput.isEmpty());
    const QString noInput = SoundDevices::noInputText();
    for (ClipPlayerBar *bar : m_bars)
        bar->setSoundNotes(noOutput, noInput);
}

Result MediaRows::setup(const QString &dataRoot, int mediumIndex, const QString &lessonDir)
{
    m_mediaExt = ClipSet::mediaExtension(mediumIndex, m_mediaExt);
    for (ClipPlayer *player : m_players)
        player->close();
    // No picture of the old clips stays in the panel.
    m_videoCanvas->clear();
    for (int i = 0; i < ClipCount; ++i) {
        const QString own = lessonDir.isEmpty() ? QString()
            : FileLookup::inFolder(lessonDir, QFileInfo(ClipSet::clipFileName(dataRoot, i, m_mediaExt)).fileName());
        m_players[i]->setFileName(!own.isEmpty() && QFileInfo(own).isFile()
                                      ? own : ClipSet::clipFileName(dataRoot, i, m_mediaExt));
    }
    // One clip that cannot be opened costs neither the other clips nor what
    // follows (at start-up, the first question).
    Result opened = Result::success();
    for (int i = 0; i < ClipCount; ++i) {
        const Result open = m_players[i]->open();
        if (open)
            m_told[i].clear();
        else
            opened = opened.andThen(newFailure(i, open.text));
    }
    m_videoPanel->setVisible(mediumIndex == 1);
    return opened;
}

Result MediaRows::newFailure(int clip, const QString &error)
{
    if (m_told[clip] == error)
        return Result::success();
    m_told[clip] = error;
    return Result::failure(error);
}

Result MediaRows::start(int clip, Random &random)
{
    const Result started = startClip(*m_players[clip], random);
    if (started) {
        m_told[clip].clear();
        return started;
    }
    // A clip already told plays nothing and is not told again: the child
    // goes on without it.
    return newFailure(clip, started.text);
}

Result MediaRows::reset(int clip, const QString &dataRoot)
{
    const Result reset = ClipSet::resetClip(*m_players[clip], ClipSet::blankFileName(dataRoot, m_mediaExt));
    if (reset)
        m_told[clip].clear();
    return reset;
}

Result MediaRows::saveAll()
{
    return ClipSet::saveAll(QList<ClipPlayer *>(m_players.begin(), m_players.end()));
}

Result MediaRows::carryOut(int clip, ClipPlayerBar::Button button)
{
    ClipPlayer &player = *m_players[clip];
    switch (button) {
    case ClipPlayerBar::Button::Play:
        player.play();
        break;
    case ClipPlayerBar::Button::Stop:
        player.stop();
        break;
    case ClipPlayerBar::Button::Record: {
        const bool canRecord = player.canRecord();
        player.record();
        // A start that failed (no sound input, a folder that cannot be
        // written) is told, not left without a word.
        if (canRecord && player.state() != ClipPlayer::State::Recording && !player.lastErrorText().isEmpty())
            return Result::failure(player.lastErrorText());
        break;
    }
    case ClipPlayerBar::Button::Undo:
        return player.undoRecording();
    }
    return Result::success();
}
