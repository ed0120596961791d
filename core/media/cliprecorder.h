#pragma once

#include "core/base/result.h"

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
class ClipRecorder : public QObject
{
    Q_OBJECT
public:
    explicit ClipRecorder(QObject *parent = nullptr);
    ~ClipRecorder() override;

    /// Starts recording into fileName (created or emptied). Fails at once
    /// when there is no audio input or the file cannot be written.
    Result start(const QString &fileName);
    /// Ends the recording and completes the file. Fails, removing the file,
    /// when no sound at all was recorded or the file could not be written.
    Result finish();
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

private:
    void takeSound();
    void watchInput();
    void onSourceStateChanged();
    void release();

    QAudioSource *m_source = nullptr;
    QIODevice *m_input = nullptr;
    QFile m_file;
    QAudioFormat m_format;
    qint64 m_dataBytes = 0;
    bool m_writeFailed = false;
    int m_lastError = 0;
    QTimer m_watch;
    QElapsedTimer m_sinceSound;
};
