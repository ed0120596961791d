#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <vector>

/// The sample layouts a recording arrives in: whatever the audio input
/// offers, one of these.
enum class SampleKind { UInt8, Int16, Int32, Float };

struct PcmLayout
{
    int sampleRate = 0;
    int channels = 0;
    SampleKind kind = SampleKind::Int16;

    int bytesPerSample() const;
    int bytesPerFrame() const { return bytesPerSample() * channels; }
    bool valid() const;
};

/// What a finished recording is cut to and how much louder it is made.
struct SoundShape
{
    /// No sound arrived at all (the microphone muted or unplugged): the
    /// recording is no clip.
    bool silent = true;
    /// The frames kept, [firstFrame, endFrame).
    qint64 firstFrame = 0;
    qint64 endFrame = 0;
    double gain = 1;
};

/// Follows a recording as its sound arrives: the level of each piece (for
/// the meter), the peak of the whole, and where there was sound, so that a
/// finished recording can be shaped without reading it twice. A child hears
/// the silence before the teacher speaks as a delay, and clips recorded at
/// different distances from the microphone as louder and quieter: the
/// shape keeps a little before the first sound and a pause after the last,
/// and brings the peak to that of the default clips.
///
/// Pure arithmetic on bytes: any bytes are taken (a piece may end inside a
/// sample), memory grows by four bytes a millisecond of sound.
class SoundScan
{
public:
    /// Under this peak nothing arrived but the noise of a dead input.
    static constexpr double SilenceDb = -45;
    /// Sound is what comes within this of the recording's own peak (and is
    /// above the silence): room noise louder than the silence level is not
    /// taken for the teacher's voice.
    static constexpr double SoundBelowPeakDb = -35;
    static constexpr int LeadMs = 10;
    static constexpr int TailMs = 150;
    /// The default clips are made to this peak.
    static constexpr double TargetPeakDb = -1;

    explicit SoundScan(const PcmLayout &layout);

    /// Takes the next bytes of the recording; returns their peak, 0 to 1
    /// (float sound may go beyond 1).
    double take(const char *data, qint64 size);
    double take(const QByteArray &bytes) { return take(bytes.constData(), bytes.size()); }

    double peak() const { return m_peak; }
    qint64 frames() const { return m_samples / qMax(1, m_layout.channels); }
    SoundShape shape() const;

    static double toDb(double level);
    static double fromDb(double db);

private:
    void closeBlock();

    PcmLayout m_layout;
    qint64 m_samples = 0;
    double m_peak = 0;
    int m_samplesPerBlock = 1;
    int m_inBlock = 0;
    float m_blockPeak = 0;
    /// The peak of every millisecond or so.
    std::vector<float> m_blockPeaks;
    char m_partial[4] = {};
    int m_partialBytes = 0;
};

/// One sample's level, 0 to 1 (float may go beyond).
double sampleLevel(const char *sample, SampleKind kind);
/// Multiplies the whole samples in data by gain, clipping at full scale.
void scaleSamples(char *data, qint64 size, SampleKind kind, double gain);
