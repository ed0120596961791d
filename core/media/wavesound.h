#pragma once

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

    qint64 frames() const { return qint64(samples.size()) / channels; }
    qint64 durationMs() const { return frames() * 1000 / Rate; }

    /// Decodes a RIFF WAVE file's bytes. Plain PCM of 8 to 32 bits and
    /// floating point samples are decoded, in the plain and the extensible
    /// header, whatever their rate and number of channels. Returns null, with
    /// reason set, for a compressed codec or a clip too long to hold in
    /// memory: such a clip is left to the media backend.
    static std::shared_ptr<const WaveSound> decode(const QByteArray &bytes, QString *reason);
    /// The same for a file; a file that cannot be read gives null as well.
    static std::shared_ptr<const WaveSound> decodeFile(const QString &fileName, QString *reason);

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
    /// of a video clip comes this way.
    static std::shared_ptr<const WaveSound> decodeSamples(const Format &format, const char *data,
                                                          qint64 size, QString *reason);
};
