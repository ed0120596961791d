#pragma once

#include <QMutex>
#include <QString>

#include <atomic>
#include <sys/types.h>
#include <thread>
#include <vector>

/// Records what the sound server plays, from the monitor of its default
/// sink, and tells when sound was first heard after a given moment, on the
/// system's monotonic clock (monotonicNs()). The sound server's own
/// recorder (parecord) captures with a short latency and hands the samples
/// over a pipe to a thread of this program, which timestamps their arrival.
/// (Qt's audio input of this version delivers the monitor in late, uneven
/// blocks, too coarse to time anything by.)
///
/// The recording is one unbroken stream, so sample i was captured at
/// origin + i / rate. The origin is estimated from the blocks that arrive:
/// a block's arrival time minus the duration of everything recorded up to
/// its end is never earlier than the true origin plus the shortest delivery
/// delay, and the smallest such value among the blocks around the sample
/// is taken. The time given for a sample is therefore the earliest moment this
/// program could have had it in hand; what remains of the recording path's
/// delay is measured by playing a burst straight to the sink
/// (measurePathLatency) and printed beside the raw figures.
class MonitorRecorder
{
public:
    /// A sample louder than this (of 32767) is sound; the clips' own leading
    /// silence is measured against the same level.
    static constexpr int Threshold = 328;

    static constexpr int Rate = 44100;

    MonitorRecorder() = default;
    ~MonitorRecorder();
    MonitorRecorder(const MonitorRecorder &) = delete;
    MonitorRecorder &operator=(const MonitorRecorder &) = delete;

    /// Starts recording; false with a reason when no monitor could be opened.
    bool start(QString *error);
    QString deviceName() const { return m_deviceName; }
    int sampleRate() const { return Rate; }

    /// The time of the first sound at or after fromNs, or -1 when none has
    /// arrived yet.
    qint64 firstSoundAfter(qint64 fromNs) const;
    /// Whether the last ms milliseconds that have arrived were all silent.
    bool silentFor(int ms) const;

    /// Runs the calling thread's event loop until firstSoundAfter(fromNs)
    /// finds one or timeoutMs have passed; its time or -1.
    qint64 waitForSound(qint64 fromNs, int timeoutMs) const;
    /// Runs the event loop until the monitor has been silent for quietMs, or
    /// timeoutMs have passed; false on the time-out.
    bool waitForSilence(int quietMs, int timeoutMs) const;

    /// Plays short bursts straight to the sink through the sound server's own
    /// player (pacat, with a short latency) and returns the delays from
    /// handing a burst over to hearing it, in ms.
    std::vector<double> measurePathLatency(int runs);

    static qint64 monotonicNs();

private:
    void readLoop(int fd);
    qint64 sampleTime(qint64 index) const;

    pid_t m_recorderPid = -1;
    std::thread m_reader;
    QString m_deviceName;

    struct Block
    {
        qint64 endIndex;  // samples recorded up to the end of the block
        qint64 arrivalNs; // when it arrived
    };
    mutable QMutex m_mutex;
    std::vector<qint16> m_samples;
    std::vector<Block> m_blocks;
};
