#include "core/media/backendplayers.h"

#include "core/media/sounddevices.h"

#include <QAudioOutput>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QMediaPlayer>
#include <QThread>
#include <QTimer>
#include <QUrl>
#include <QVideoFrame>
#include <QVideoSink>

#include <utility>

namespace {

// The thread of the players' own video sinks. The backend's renderer hands
// each picture to its sink's thread and waits for it, while pausing, seeking
// or loading blocks the calling thread until the renderer is done; with both
// in the window's thread a video restarted while it plays could lock the
// window up. The sinks' thread never blocks: it passes each picture on.
QThread *theFrameThread = nullptr;

QThread *makeFrameThread()
{
    if (!theFrameThread) {
        theFrameThread = new QThread;
        theFrameThread->setObjectName(QStringLiteral("clip frames"));
        theFrameThread->start();
    }
    return theFrameThread;
}

// A player let go of while its backend still loads a clip (see
// ~BackendClip), with the sink it draws into, which must outlive it.
struct Orphan
{
    QMediaPlayer *player;
    QVideoSink *frames;
};

QList<Orphan> &orphans()
{
    static QList<Orphan> players;
    return players;
}

void disposePlayer(QMediaPlayer *player, QVideoSink *frames)
{
    // The clip is taken out first: a player deleted with its decoder still
    // in place is called back by that decoder half way through its own
    // deletion.
    player->setSource(QUrl());
    delete player;
    // Deleted in its own thread.
    frames->deleteLater();
}

void disposeOrphan(QMediaPlayer *player)
{
    QList<Orphan> &list = orphans();
    for (qsizetype i = 0; i < list.size(); ++i) {
        if (list.at(i).player == player) {
            const Orphan orphan = list.takeAt(i);
            disposePlayer(orphan.player, orphan.frames);
            return;
        }
    }
}

// When the application ends: the players still loading go (given a moment
// to finish their load first), then the frame thread, which deletes the sinks
// handed to it as it finishes.
void endMedia()
{
    BackendPlayers::finishDropped(2000);
    const QList<Orphan> left = std::exchange(orphans(), {});
    for (const Orphan &orphan : left)
        disposePlayer(orphan.player, orphan.frames);
    if (QThread *thread = std::exchange(theFrameThread, nullptr)) {
        thread->quit();
        thread->wait();
        delete thread;
    }
}

QUrl clipUrl(const QString &fileName)
{
    return QUrl::fromLocalFile(QFileInfo(fileName).absoluteFilePath());
}

void adoptOrphan(QMediaPlayer *player, QVideoSink *frames)
{
    orphans().append({player, frames});
    auto disposeOnceLoaded = [player] {
        if (player->mediaStatus() == QMediaPlayer::LoadingMedia)
            return;
        // Not from inside the player's own signal.
        QMetaObject::invokeMethod(qApp, [player] { disposeOrphan(player); }, Qt::QueuedConnection);
    };
    QObject::connect(player, &QMediaPlayer::mediaStatusChanged, qApp, disposeOnceLoaded);
    // A player dropped with a new clip still waiting for the hand-over may
    // have finished its load already and reports nothing more.
    disposeOnceLoaded();
}

} // namespace

namespace BackendPlayers {

int droppedCount()
{
    return int(orphans().size());
}

void finishDropped(int waitMs)
{
    if (orphans().isEmpty() || !QCoreApplication::instance())
        return;
    const QDeadlineTimer deadline(waitMs);
    // Wakes the wait below while the backends report nothing.
    QTimer wake;
    wake.start(10);
    while (!orphans().isEmpty() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents
                                        | QEventLoop::ExcludeUserInputEvents);
    }
}

void endWithTheApplication()
{
    static const bool registered = [] {
        qAddPostRoutine(endMedia);
        return true;
    }();
    Q_UNUSED(registered);
}

} // namespace BackendPlayers

BackendClip::BackendClip(Host &host) : m_host(host)
{
    // Settled before the first media object exists.
    SoundDevices::prepareBackend();
    // The audio output belongs to the backend's player, so that it can
    // outlive this object with it (see the destructor).
    m_player = new QMediaPlayer(this);
    m_audioOutput = new QAudioOutput(m_player);
    m_player->setAudioOutput(m_audioOutput);
    m_frames = new QVideoSink;
    m_frames->moveToThread(makeFrameThread());
    m_player->setVideoSink(m_frames);
    connect(m_frames, &QVideoSink::videoFrameChanged, this, &BackendClip::forwardFrame,
            Qt::QueuedConnection);
    connect(m_player, &QMediaPlayer::playbackStateChanged, this,
            &BackendClip::onPlaybackStateChanged);
    connect(m_player, &QMediaPlayer::mediaStatusChanged, this, &BackendClip::onMediaStatusChanged);
    connect(m_player, &QMediaPlayer::errorOccurred, this,
            [this](QMediaPlayer::Error code, const QString &text) {
                m_host.keepError(int(code), text);
                // The first report says why; the backend's later ones only
                // say that its stream stopped.
                if (m_sourceError.isEmpty())
                    m_sourceError = text;
            });
}

BackendClip::~BackendClip()
{
    // Taking apart a backend that still loads a clip can lock it up, as a
    // new source can: such a player is let go and deleted once its clip is
    // loaded. Windows that open their clips and close at once (tests, a
    // start-up that fails) would otherwise hang now and then. Its reports
    // meanwhile are nobody's news.
    m_frames->disconnect(this);
    m_player->disconnect(this);
    if (loading()) {
        m_player->setParent(nullptr);
        adoptOrphan(m_player, m_frames);
    } else {
        disposePlayer(m_player, m_frames);
    }
}

bool BackendClip::loading() const
{
    return m_sourcePending || m_player->mediaStatus() == QMediaPlayer::LoadingMedia;
}

bool BackendClip::failedToLoad() const
{
    return m_player->mediaStatus() == QMediaPlayer::InvalidMedia
        || m_player->mediaStatus() == QMediaPlayer::NoMedia;
}

qint64 BackendClip::position() const
{
    return m_player->position();
}

qint64 BackendClip::duration() const
{
    return m_player->duration();
}

void BackendClip::seek(qint64 ms)
{
    // A freshly loaded clip already stands at its start; a seek while the
    // backend is still getting the clip ready can lock it up.
    if (loading())
        return;
    if (m_player->position() != ms)
        m_player->setPosition(ms);
}

void BackendClip::play()
{
    // The backend must not be told to play while it still builds the clip's
    // decoders: its play then flushes the pipeline, which can deadlock with
    // the decoder thread. It plays as soon as the clip is loaded, within a
    // few milliseconds.
    if (loading()) {
        m_playWhenLoaded = true;
        return;
    }
    // A clip that finished goes back to its start (the backend rewinds a
    // clip it reported ended by itself).
    const qint64 length = m_player->duration();
    if (m_player->mediaStatus() != QMediaPlayer::EndOfMedia && length > 0
        && m_player->position() >= length)
        m_player->setPosition(0);
    m_player->play();
}

void BackendClip::pause()
{
    // Paused rather than stopped: stopping a running video blocks for a
    // third of a second, and the next start seeks to the beginning anyway.
    if (m_player->playbackState() == QMediaPlayer::PlayingState)
        m_player->pause();
}

void BackendClip::load()
{
    if (m_player->mediaStatus() == QMediaPlayer::LoadingMedia) {
        m_sourcePending = true;
        return;
    }
    handOver();
}

void BackendClip::handOver()
{
    m_sourcePending = false;
    m_handingSource = true;
    m_sourceError.clear();
    const QString source = m_host.clipSource();
    // Given a file by its name, the backend's decoder thread starts at once
    // and can meet the seek that the backend itself does at the end of
    // taking a new source: the two then wait for each other for ever, about
    // once in a thousand loads. A sound clip is therefore handed over as an
    // open file that this thread feeds from the event loop, so nothing is
    // decoded before the hand-over is done. A video clip is still read by
    // name: fed through an open file, the backend often ignores a seek in
    // it. Its loads are rare (a medium or lesson change); its starts seek.
    // The file belongs to the backend's player, which may outlive this
    // object (see the destructor).
    QFile *const old = m_sourceFile;
    m_sourceFile = nullptr;
    auto *file = m_host.soundClip() ? new QFile(source, m_player) : nullptr;
    if (file && file->open(QIODevice::ReadOnly)) {
        m_player->setSourceDevice(file, clipUrl(source));
        m_sourceFile = file;
    } else {
        delete file;
        // The same name with a new file behind it must load anew: a source
        // equal to the current one would be taken as no change.
        if (!m_player->source().isEmpty() || m_player->sourceDevice())
            m_player->setSource(QUrl());
        m_player->setSource(clipUrl(source));
    }
    delete old;
    m_handingSource = false;
}

void BackendClip::forwardFrame(const QVideoFrame &frame)
{
    if (m_host.heldByBackend())
        m_host.showFrame(frame);
}

void BackendClip::onPlaybackStateChanged()
{
    // The end of a playback, or a failure inside the backend.
    if (m_host.heldByBackend() && m_host.clipPlaying()
        && m_player->playbackState() == QMediaPlayer::StoppedState)
        m_host.clipEnded();
}

void BackendClip::onMediaStatusChanged()
{
    if (m_handingSource)
        return;
    if (m_sourcePending) {
        // Handed over once the backend is out of its own report.
        if (m_player->mediaStatus() != QMediaPlayer::LoadingMedia) {
            QMetaObject::invokeMethod(
                this,
                [this] {
                    if (m_sourcePending && m_player->mediaStatus() != QMediaPlayer::LoadingMedia)
                        handOver();
                },
                Qt::QueuedConnection);
        }
        return;
    }
    // The backend's reports about a clip it no longer plays.
    if (!m_host.heldByBackend())
        return;
    if (m_player->mediaStatus() == QMediaPlayer::InvalidMedia)
        m_host.backendRefused(m_sourceError);
    if (!m_playWhenLoaded)
        return;
    switch (m_player->mediaStatus()) {
    case QMediaPlayer::LoadedMedia:
    case QMediaPlayer::BufferingMedia:
    case QMediaPlayer::BufferedMedia:
        m_playWhenLoaded = false;
        if (m_host.clipPlaying())
            m_player->play();
        break;
    case QMediaPlayer::InvalidMedia:
    case QMediaPlayer::NoMedia:
        m_playWhenLoaded = false;
        m_host.clipEnded();
        break;
    default:
        break;
    }
}
