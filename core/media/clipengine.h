#pragma once

#include <QObject>
#include <QString>

class QImage;
class QVideoFrame;

/// What plays a ClipPlayer's clip: the SoundMixer from memory (MixerClip:
/// wav clips and the quiz's own avi clips) or the media backend
/// (BackendClip: other codecs and files too large to hold). A player has one
/// engine of each kind and plays through the one that holds its clip; the
/// player keeps the clip's state (closed, stopped, playing, recording), the
/// engines only sound it and tell the player what happens to it.
class ClipEngine : public QObject
{
public:
    /// The player as its engines see it.
    class Host
    {
    public:
        /// The clip was started and has neither been stopped nor ended since.
        virtual bool clipPlaying() const = 0;
        /// The engine's clip played to its end, or cannot be played after all.
        virtual void clipEnded() = 0;
        /// The player's pictures are the ones its video output shows now.
        virtual bool showingPictures() const = 0;
        /// A picture of a clip held in memory, due now.
        virtual void showPicture(const QImage &picture) = 0;
        /// A frame that the backend's decoder made.
        virtual void showFrame(const QVideoFrame &frame) = 0;

        // The backend's reports reach the player later than the clips
        // change, so the backend asks the player what it holds now.
        /// The clip is the backend's, not the mixer's.
        virtual bool heldByBackend() const = 0;
        /// The file that the backend is to hold, and whether it is sound only.
        virtual QString clipSource() const = 0;
        virtual bool soundClip() const = 0;
        /// The backend cannot decode the file it was handed; reason is its
        /// first report about it, empty when it gave none.
        virtual void backendRefused(const QString &reason) = 0;
        /// A media error, kept for lastError().
        virtual void keepError(int code, const QString &text) = 0;

    protected:
        ~Host() = default;
    };

    using QObject::QObject;

    virtual qint64 position() const = 0;
    virtual qint64 duration() const = 0;
    virtual void seek(qint64 ms) = 0;
    /// Plays from the position; a clip that stands at its end starts again.
    virtual void play() = 0;
    /// Stops where it stands, if it is playing.
    virtual void pause() = 0;
    /// The engine was given a clip but holds none that it can play.
    virtual bool failedToLoad() const = 0;
};
