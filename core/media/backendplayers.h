#pragma once

#include "core/media/clipengine.h"

class QAudioOutput;
class QFile;
class QMediaPlayer;
class QVideoFrame;
class QVideoSink;

/// The backend's clips: a clip in a codec the quiz does not decode, or a
/// file too large to hold in memory, played by Qt Multimedia's player. The
/// player is made with the first such clip of a ClipPlayer, so that the
/// quiz's own clips never load the media backend.
///
/// The backend must not be handed a new clip, told to play or seek while it
/// still loads one: it can lock up. A clip given meanwhile waits for the load
/// to end; a play asked for meanwhile starts once the clip is loaded.
class BackendClip : public ClipEngine
{
    Q_OBJECT
public:
    explicit BackendClip(Host &host);
    /// A player that still loads a clip is let go of, and deleted once its
    /// load is done (BackendPlayers).
    ~BackendClip() override;

    /// The host's clip source changed: it is handed to the backend now, or
    /// once the backend has loaded the previous one. The host's source and
    /// kind at the moment of the hand-over are what the backend is given.
    void load();
    /// The host's clip is the mixer's now: a hand-over still waiting is not
    /// done.
    void dropPending() { m_sourcePending = false; }
    /// A clip waits to be handed over.
    bool pending() const { return m_sourcePending; }
    /// A play asked for while loading is not wanted any more.
    void cancelPlayWhenLoaded() { m_playWhenLoaded = false; }

    qint64 position() const override;
    qint64 duration() const override;
    void seek(qint64 ms) override;
    void play() override;
    void pause() override;
    bool failedToLoad() const override;

private:
    bool loading() const;
    void handOver();
    void forwardFrame(const QVideoFrame &frame);
    void onPlaybackStateChanged();
    void onMediaStatusChanged();

    Host &m_host;
    QMediaPlayer *m_player = nullptr;
    QAudioOutput *m_audioOutput = nullptr;
    QVideoSink *m_frames = nullptr;
    /// Play was asked for while the clip was still loading.
    bool m_playWhenLoaded = false;
    /// The host's source waits until the backend has finished loading the
    /// previous file: a new source while it still loads can lock it up.
    bool m_sourcePending = false;
    /// The backend's own reports while it is handed a source are not news.
    bool m_handingSource = false;
    /// The open file the backend reads the source from.
    QFile *m_sourceFile = nullptr;
    /// The backend's first error about the source since it was handed over.
    QString m_sourceError;
};

/// The backend clips' players beyond their clips: the players let go of while
/// their backend still loads a clip, deleted once it has loaded or when the
/// application ends, and the thread of their video sinks.
namespace BackendPlayers {

/// Players let go of and not deleted yet.
int droppedCount();
/// Runs the event loop until every such player is deleted, or waitMs.
void finishDropped(int waitMs);
/// Makes sure that those players and the frame thread go when the
/// application ends.
void endWithTheApplication();

} // namespace BackendPlayers
