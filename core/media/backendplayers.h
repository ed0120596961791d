#pragma once

class QMediaPlayer;
class QThread;
class QVideoSink;

/// The media backend's players behind the clip players that need them (video
/// and sound the quiz does not decode itself): the thread their video sinks
/// live in, and the players let go of while their backend still loads a clip,
/// deleted once it has loaded or when the application ends.
namespace BackendPlayers {

/// The thread of the players' own video sinks. The backend's renderer hands
/// each picture to its sink's thread and waits for it, while pausing, seeking
/// or loading blocks the calling thread until the renderer is done; with both
/// in the window's thread a video restarted while it plays could lock the
/// window up.
QThread *frameThread();
/// Deletes a player that has finished loading, with its sink.
void dispose(QMediaPlayer *player, QVideoSink *frames);
/// Takes a player whose backend still loads a clip and deletes it, with its
/// sink, once the load is done: taken apart mid-load it can lock up.
void adopt(QMediaPlayer *player, QVideoSink *frames);
/// Players adopted and not deleted yet.
int droppedCount();
/// Runs the event loop until every adopted player is deleted, or waitMs.
void finishDropped(int waitMs);
/// Makes sure that the adopted players and the frame thread go when the
/// application ends.
void endWithTheApplication();

} // namespace BackendPlayers
