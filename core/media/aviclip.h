#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

#include "core/media/wavesound.h"

#include <memory>
#include <vector>

/// A video clip held in memory: its sound decoded for the SoundMixer and its
/// pictures kept as the file's compressed frames, each turned into a picture
/// when it is due. Motion-JPEG pictures with PCM sound, the kind that the
/// quiz's own video clips are, are read this way; then a video clip starts
/// as a sound clip does, at once and in step with its sound, and the
/// picture follows the sound's position. Other codecs are left to the media
/// backend.
struct AviClip
{
    /// The sound track, as long as the pictures at least (silence where the
    /// clip has no sound): its position is the clip's clock.
    std::shared_ptr<const WaveSound> sound;
    /// Where each picture lies in the file; an empty one repeats the last.
    struct Frame
    {
        qint64 offset = 0;
        qint64 size = 0;
    };
    std::vector<Frame> frames;
    qint64 frameUs = 0;

    bool hasVideo() const { return !frames.empty(); }
    /// The number of the picture due at ms into the clip.
    int frameAt(qint64 ms) const;
    /// The picture of that number, or of the last frame before it that has
    /// one; null when it cannot be decoded.
    QImage picture(int frame) const;

    /// Reads a RIFF AVI file. Returns null, with why set: foreign for
    /// codecs it does not read and files too large to hold in memory (the
    /// media backend then plays the clip); otherwise the file is damaged or
    /// breaks a limit (lists nested too deep, too many chunks or frames, a
    /// frame time or a length beyond WaveSound::MaxFrames) and is not opened.
    static std::shared_ptr<const AviClip> decodeFile(const QString &fileName, WaveSound::Failure *why);
    /// The same on the file's bytes.
    static std::shared_ptr<const AviClip> decode(QByteArray bytes, WaveSound::Failure *why);

private:
    QByteArray m_file;
};
