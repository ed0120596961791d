#pragma once

#include "core/base/result.h"
#include "core/media/soundshaper.h"

#include <QAudioFormat>
#include <QElapsedTimer>
#include <QFile>
#include <QObject>
#include <QTimer>

class QAudioSource;
class QIODevice;

/// Records sound from the default audio input into a wav file. The file is
/// written as the sound arrives, with a header whose sizes are put right
/// when the recording is finished, so a finished recording is a normal wav
/// file for any program. The input device is held only while recording.
///
/// A finished recording is shaped before it is a clip (SoundScan): its
/// silence before and after the words cut off and its peak brought to the
/// default clips' level, in the format it was recorded in. One in which no
/// sound arrived at all is refused (finishedSilent()).
class ClipRecorder : public QObject
{
    Q_OBJECT
public:
    /// The longest clip the players open (WaveSound's bound): a recording
    /// left running ends there, rather than becoming a clip that cannot be
    /// played.
    static constexpr qint64 MaxMs = 3 * 60 * 1000 - 1000;

    explicit ClipRecorder(QObject *parent = nullptr);
    ~ClipRecorder() override;

    /// Starts recording into fileName (created or emptied). Fails at once
    /// when there is no audio input or the file cannot be written.
    Result start(const QString &fileName);
    /// Ends the recording, shapes it and completes the file. Fails, removing
    /// the file, when nothing or only silence was recorded (finishedSilent())
    /// or the file could not be written.
    Result finish();
    /// The last finish() failed because the input delivered only silence.
    bool finishedSilent() const { return m_silent; }
    /// Ends the recording and removes its file.
    void abort();

    bool isRecording() const { return m_source != nullptr; }
    /// Milliseconds of sound written so far.
    qint64 recordedMs() const;
    /// The QAudio::Error of the last failure, 0 for none.
    int lastError() const { return m_lastError; }

signals:
    /// The input stopped by itself (device lost) while recording, or has
    /// delivered nothing for two seconds (eight before its first sound).
    void interrupted();
    /// The peak of the sound that has just arrived, 0 to 1, for a meter.
    void soundArrived(double peak);
    /// The recording holds as much as a clip may (MaxMs): nothing more is
    /// taken, and it is to be finished.
    void full();

private:
    void takeSound();
    void watchInput();
    void onSourceStateChanged();
    void release();
    bool shapeFile(const SoundShape &shape);

    QAudioSource *m_source = nullptr;
    QIODevice *m_input = nullptr;
    QFile m_file;
    QAudioFormat m_format;
    qint64 m_dataBytes = 0;
    bool m_writeFailed = false;
    int m_lastError = 0;
    QTimer m_watch;
    QElapsedTimer m_sinceSound;
    PcmLayout m_layout;
    SoundScan m_scan{PcmLayout{}};
    bool m_silent = false;
};
