#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <memory>
#include <vector>

/// A wav clip's sound decoded into memory: 16-bit samples at the sound
/// output's rate, one or two channels. Starting such a clip needs no decoder
/// and no media backend, only a position set back to zero.
struct WaveSound
{
    /// The rate every decoded clip is brought to: the usual rate of
    /// recorded speech and of most sound servers.
    static constexpr int Rate = 44100;

    int channels = 1;
    /// Interleaved when there are two channels.
    std::vector<qint16> samples;

    /// The longest sound held in memory, and so the longest clip the quiz
    /// plays: a clip for a child lasts seconds, and an hour-long file handed
    /// over by mistake must not take the memory of the whole program.
    static constexpr qint64 MaxFrames = qint64(Rate) * 60 * 3;
    /// The largest clip file read into memory; a larger one is left to the
    /// media backend, which streams it.
    static constexpr qint64 MaxFileBytes = 64LL * 1024 * 1024;

    qint64 frames() const { return qint64(samples.size()) / channels; }
    qint64 durationMs() const { return frames() * 1000 / Rate; }

    /// Why a clip was not decoded into memory.
    struct Failure
    {
        /// A codec the quiz does not decode: the media backend may play it.
        /// Otherwise the file breaks what a clip may be (damaged, longer than
        /// MaxFrames, too many pieces, no sound at all) and is not opened.
        bool foreign = false;
        /// In Arabic, for the message that names the clip.
        QString reason;
    };

    /// Decodes a RIFF WAVE file's bytes. Plain PCM of 8 to 32 bits and
    /// floating point samples are decoded, in the plain and the extensible
    /// header, whatever their rate and number of channels. Sizes that a
    /// recorder left open, at zero or past the end are mended first, so the
    /// sound the file holds plays. Returns null, with why set, otherwise.
    static std::shared_ptr<const WaveSound> decode(QByteArray bytes, Failure *why);
    /// The same for a file; a file that cannot be read gives null as well.
    static std::shared_ptr<const WaveSound> decodeFile(const QString &fileName, Failure *why);

    /// What a "fmt " chunk (a WAVEFORMATEX) says about the samples.
    struct Format
    {
        quint16 tag = 0;
        int channels = 0;
        int rate = 0;
        int bits = 0;
        int blockAlign = 0;
        /// Reads the chunk's bytes; the extensible header's sub-format
        /// counts as the tag.
        static Format read(const char *chunk, qint64 length);
    };
    /// Decodes samples in that format, as decode() does; the sound track
    /// of a video clip comes this way. No samples give an empty sound.
    static std::shared_ptr<WaveSound> decodeSamples(const Format &format, const char *data,
                                                    qint64 size, Failure *why);
};
