#pragma once

#include "core/base/filestamp.h"
#include "core/base/result.h"
#include "core/media/clipengine.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>

class BackendClip;
class ClipRecorder;
class MixerClip;
class QVideoSink;
class SoundMixer;

/// One clip player: a clip file that can be opened, played, recorded into,
/// stopped and saved.
///
/// A wav clip is decoded into memory when it is opened and played through
/// the SoundMixer's stream, which is already running: a start is heard
/// within milliseconds, the same for a clip played before. A Motion-JPEG avi
/// clip is held in memory the same way (AviClip): its sound through the
/// mixer, its pictures drawn as the sound's position reaches them
/// (MixerClip). Clips in other codecs are played by Qt Multimedia's player
/// (BackendClip), which is only created for them, so that the quiz's own
/// clips never load the media backend.
///
/// open() finishes before it returns: it checks the file's own header at once
/// and either leaves an open clip or fails with a text that names the file
/// and the reason. A clip whose header is sound but which the media backend
/// cannot decode is only found out once the backend has tried: rejected()
/// then tells it, and the player is closed; that version of the file is not
/// opened again. Playback and recording run on inside the media backend;
/// nothing waits for a clip to end, and several players sound at the same
/// time, each through its own audio output.
///
/// A recording goes into a hidden temporary file beside the clip and reaches
/// the clip file only through save(), which renames it into place: a failed
/// save leaves the old clip whole. Until it is saved, recorded anew or the
/// clip is emptied (discardRecording()), the recording is the clip: every
/// open and start of the clip plays it, whatever closes and reopens the
/// player meanwhile. A recording cut off by a lost input is kept as far as
/// it got (recordingCutOff()).
///
/// Every open finds the clip file whatever the letter case of its name on
/// disk (FileLookup), so a clip replaced by COLOR1.WAV is heard.
class ClipPlayer : public QObject, private ClipEngine::Host
{
    Q_OBJECT
public:
    enum class State { Closed, Stopped, Playing, Recording };

    /// A player whose clips held in memory play through mixer, which must
    /// outlive it.
    explicit ClipPlayer(SoundMixer &mixer, QObject *parent = nullptr);
    /// A player of the process's own mixer (SoundMixer::shared()), for the
    /// programs that make players without a window (tests, benchmarks).
    explicit ClipPlayer(QObject *parent = nullptr);
    ~ClipPlayer() override;

    /// Players let go of while their backend still loads a clip (see the
    /// destructor) and not deleted yet.
    static int droppedPlayerCount();
    /// Runs the event loop until every such player has finished loading and
    /// is deleted, or until waitMs have passed. The program calls it as it
    /// ends: taking a player apart while it loads could lock the program up
    /// instead of letting it end.
    static void finishDroppedPlayers(int waitMs);

    void setFileName(const QString &fileName) { m_fileName = fileName; }
    QString fileName() const { return m_fileName; }

    /// Opens the clip file, closing any open clip first. On failure the
    /// player stays closed and the failure names the file and the reason.
    Result open();
    /// Opens the clip as open() does, except that a clip sounding right now
    /// and unchanged on disk keeps sounding: a seek and play that follow
    /// send it back to its start without the gap of a stop and a start.
    Result openToRestart();
    /// Stops playback, finishes a recording under way (it is kept); never
    /// fails. The loaded clip is kept: the next open loads the file anew
    /// only when it changed on disk meanwhile (replaced, rewritten or
    /// touched), so a clip replaced by another program is picked up while
    /// the question cycle's many reopenings cost nothing.
    void close();

    bool isOpen() const { return m_state != State::Closed; }
    State state() const { return m_state; }
    bool canPlay() const { return isOpen(); }
    /// Only a sound clip can be recorded into.
    bool canRecord() const { return isOpen() && m_isSound; }
    bool hasVideo() const { return isOpen() && m_hasVideo; }
    /// A finished recording that has not been saved to the clip file yet.
    bool hasRecording() const { return !m_recordingFile.isEmpty() && m_state != State::Recording; }
    /// That recording ended because the sound input went away.
    bool recordingCutOff() const { return m_cutOff && hasRecording(); }
    /// Drops the recording of this clip (running or finished) unsaved: the
    /// teacher empties the clip.
    void discardRecording();
    /// The last recording brought only silence (a muted or dead microphone):
    /// it was not kept, and the clip stayed as it was. Until the next one.
    bool recordingSilent() const { return m_silentRecording; }
    /// The clip can go back to what it was before its last recording: a
    /// recording not saved yet is dropped, one saved is replaced by the clip
    /// as it was. Offered until the settings are saved (forgetUndo()).
    bool canUndoRecording() const;
    Result undoRecording();
    /// The settings were saved, or the clip emptied: the clip as it was
    /// before the last recording is gone for good.
    void forgetUndo();

    int trackCount() const { return isOpen() ? 1 : 0; }
    qint64 trackStart(int track) const;
    qint64 position() const;
    qint64 duration() const;
    /// How much of the running recording has been captured, in ms.
    qint64 recordedDuration() const;
    void seek(qint64 position);
    /// Plays from the current position; a clip that stands at its end goes
    /// back to its start first. Returns at once.
    void play();
    /// Starts recording a new clip in place of the open one; returns at once.
    void record();
    /// Stops playback (the position stays) or finishes a recording, which
    /// is then held until it is saved.
    void stop();
    /// Writes what was recorded to the clip file it was recorded for,
    /// replacing it atomically; a recording still running is finished first. With nothing recorded the
    /// clip file is left as it is (it may have been replaced by another
    /// program meanwhile). Fails for a player without an open clip and
    /// without a recording ("no device open") and for a recording that
    /// cannot be written, which is then kept for the next save.
    Result save();

    /// Where video clips draw their picture: an object with an invokable
    /// showImage(QImage) for the clips held in memory and an invokable
    /// videoSink() (or a QVideoSink itself) for the backend's, such as
    /// VideoCanvas. Several players may share one output; the player that
    /// started playing video last shows its picture there.
    void setVideoOutput(QObject *output);

    /// The code of the last media error (a QMediaPlayer::Error or, offset by
    /// 100, a QAudio::Error of the recording) and its text; kept, not shown.
    int lastError() const { return m_lastError; }
    QString lastErrorText() const { return m_lastErrorText; }

signals:
    void stateChanged();
    /// The backend refused the clip file it was given (a header it took for
    /// a clip, a content it cannot decode): error names the file and the
    /// backend's reason. Sent once per version of the file, from the event
    /// loop rather than from inside the backend's report, so that a receiver
    /// may show a message box.
    void rejected(const QString &error);
    /// The level of the sound that has just arrived while recording, 0 to 1.
    void recordingLevel(double peak);

private:
    using Stamp = FileStamp;

    // What the engines ask and tell (ClipEngine::Host).
    bool clipPlaying() const override { return m_state == State::Playing; }
    void clipEnded() override;
    bool showingPictures() const override { return showingOnOutput(); }
    void showPicture(const QImage &picture) override;
    void showFrame(const QVideoFrame &frame) override;
    bool heldByBackend() const override;
    QString clipSource() const override { return m_source; }
    bool soundClip() const override { return m_isSound; }
    void backendRefused(const QString &reason) override;

    void setState(State state);
    /// The engine that holds the clip: the mixer's, or else the backend's
    /// if this player has made one.
    ClipEngine *engine() const;
    /// Made for the first clip that the mixer does not play.
    BackendClip &backend();
    /// Holds the clip decoded in the mixer, or fails for a clip the
    /// decoders refuse; success without it in the mixer leaves it to the
    /// backend.
    Result loadIntoMixer(const QString &fileName);
    void release();
    void pausePlayback();
    /// A play asked for while the backend loads is not wanted any more.
    void cancelPlayWhenLoaded();
    /// Fails for a clip that the quiz's own decoders refuse; a codec they
    /// leave to the backend is found out there, later (rejected()).
    Result loadClip();
    Result loadSource(const QString &fileName);
    bool holdsUnchanged(const QString &fileName) const;
    Result finishRecording();
    void dropRecording();
    void findFileName();
    bool holdsRecordingForClip() const;
    void showOnOutput();
    /// Gives the video output up, if this player draws there.
    void leaveOutput();
    bool showingOnOutput() const;
    QVideoSink *outputSink() const;
    void rejectSource(const QString &backendError);
    Result knownRejected() const;
    void keepError(int code, const QString &text) override;

    QString m_fileName;
    State m_state = State::Closed;
    /// A sound clip (wav) rather than a video clip (avi); only sound is
    /// recorded.
    bool m_isSound = false;
    bool m_hasVideo = false;
    int m_lastError = 0;
    QString m_lastErrorText;

    std::unique_ptr<MixerClip> m_mixerClip;
    std::unique_ptr<BackendClip> m_backend;
    QPointer<QObject> m_videoOutput;
    /// The file the player holds or is to hold, and its version.
    QString m_source;
    Stamp m_sourceStamp;
    /// The last clip file refused, the version refused, and why.
    QString m_rejectedFile;
    Stamp m_rejectedStamp;
    QString m_rejectedError;

    ClipRecorder *m_recorder = nullptr;
    QString m_recordingFile;
    /// The clip file the recording is for (the medium may change before it
    /// is saved), and whether the input was lost while recording it.
    QString m_recordingClip;
    bool m_cutOff = false;
    bool m_silentRecording = false;
    /// The clip file as it was before the last saved recording replaced it.
    QString m_undoClip;
    QByteArray m_undoBytes;
    static bool readForUndo(const QString &clip, QByteArray *bytes);
};
