#include "core/media/backendplayers.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QList>
#include <QMediaPlayer>
#include <QThread>
#include <QTimer>
#include <QUrl>
#include <QVideoSink>

#include <utility>

namespace {

// The sinks' thread never blocks: it passes each picture on.
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
// ~ClipPlayer), with the sink it draws into, which must outlive it.
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

QThread *frameThread()
{
    return makeFrameThread();
}

void dispose(QMediaPlayer *player, QVideoSink *frames)
{
    disposePlayer(player, frames);
}

void adopt(QMediaPlayer *player, QVideoSink *frames)
{
    adoptOrphan(player, frames);
}

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
