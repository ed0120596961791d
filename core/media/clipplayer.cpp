#include "core/media/clipplayer.h"

#include "core/base/atomicfile.h"
#include "core/base/bidi.h"
#include "core/base/filelookup.h"
#include "core/base/systemerror.h"
#include "core/media/backendplayers.h"
#include "core/media/clipfile.h"
#include "core/media/cliprecorder.h"
#include "core/media/mixerclip.h"
#include "core/media/soundmixer.h"

#include <QAudio>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

ClipPlayer::ClipPlayer(SoundMixer &mixer, QObject *parent) : QObject(parent)
{
    BackendPlayers::endWithTheApplication();
    m_mixerClip = std::make_unique<MixerClip>(mixer, static_cast<Host &>(*this));
}

ClipPlayer::ClipPlayer(QObject *parent) : QObject(parent)
{
    // The shared mixer is made after the backend's clean-up is arranged, so
    // that it is taken apart before the backend's players.
    BackendPlayers::endWithTheApplication();
    m_mixerClip = std::make_unique<MixerClip>(SoundMixer::shared(), static_cast<Host &>(*this));
}

ClipPlayer::~ClipPlayer()
{
    // A recording is saved by now, or the teacher chose to leave without
    // it: none is left hidden beside the clips. Closed first, so that
    // nothing is loaded again on the way out.
    release();
    dropRecording();
    pausePlayback();
    m_mixerClip.reset();
    m_backend.reset();
}

BackendClip &ClipPlayer::backend()
{
    if (!m_backend)
        m_backend = std::make_unique<BackendClip>(static_cast<Host &>(*this));
    return *m_backend;
}

ClipEngine *ClipPlayer::engine() const
{
    if (m_mixerClip->holds())
        return m_mixerClip.get();
    return m_backend.get();
}

int ClipPlayer::droppedPlayerCount()
{
    return BackendPlayers::droppedCount();
}

void ClipPlayer::finishDroppedPlayers(int waitMs)
{
    BackendPlayers::finishDropped(waitMs);
}

Result ClipPlayer::open()
{
    close();
    findFileName();
    // A recording not saved yet is what this clip is now: it is heard at
    // every start until it is saved, recorded anew or the clip is emptied.
    if (holdsRecordingForClip()) {
        m_isSound = true;
        m_hasVideo = false;
        // Checked when the recording ended; a file that fails to load now
        // stays silent as an empty clip does, as it did before this open.
        static_cast<void>(loadSource(m_recordingFile));
        setState(State::Stopped);
        return Result::success();
    }
    const ClipFile::Check check = ClipFile::check(m_fileName);
    if (!check.ok())
        return Result::failure(check.error);
    const Result rejected = knownRejected();
    if (!rejected)
        return rejected;
    m_isSound = check.kind == ClipFile::Kind::Wave;
    m_hasVideo = check.hasVideo;
    const Result loaded = loadClip();
    if (!loaded) {
        release();
        return loaded;
    }
    setState(State::Stopped);
    return Result::success();
}

Result ClipPlayer::openToRestart()
{
    if (m_state != State::Playing || !holdsUnchanged(m_fileName))
        return open();
    if (holdsRecordingForClip())
        return Result::success();
    const ClipFile::Check check = ClipFile::check(m_fileName);
    if (!check.ok()) {
        close();
        return Result::failure(check.error);
    }
    return Result::success();
}

Result ClipPlayer::knownRejected() const
{
    // Handed to the backend again, the same file would only be refused again.
    if (m_fileName != m_rejectedFile || !(Stamp::of(m_fileName) == m_rejectedStamp))
        return Result::success();
    return Result::failure(m_rejectedError);
}

bool ClipPlayer::holdsUnchanged(const QString &fileName) const
{
    return !(m_backend && m_backend->pending()) && fileName == m_source
        && Stamp::of(fileName) == m_sourceStamp;
}

void ClipPlayer::close()
{
    // A recording under way is finished, not thrown away: it is kept as far
    // as it got.
    if (m_state == State::Recording) {
        const Result finished = finishRecording();
        if (!finished)
            keepError(100 + m_recorder->lastError(), finished.text);
    }
    release();
    pausePlayback();
}

void ClipPlayer::discardRecording()
{
    if (m_state == State::Recording || holdsRecordingForClip())
        dropRecording();
}

void ClipPlayer::findFileName()
{
    // A clip replaced by a file whose name differs only in letter case
    // (COLOR1.WAV copied in for color1.wav) is found at every open, as
    // SetupMediaFiles finds it; the save then writes under that name.
    if (m_fileName.isEmpty())
        return;
    const QFileInfo info(m_fileName);
    m_fileName = FileLookup::inFolder(info.path(), info.fileName());
}

bool ClipPlayer::holdsRecordingForClip() const
{
    return !m_recordingFile.isEmpty() && m_state != State::Recording
        && QFileInfo(m_recordingClip).absoluteFilePath().compare(QFileInfo(m_fileName).absoluteFilePath(),
                                                                 Qt::CaseInsensitive) == 0;
}

void ClipPlayer::pausePlayback()
{
    m_mixerClip->pause();
    if (m_backend)
        m_backend->pause();
}

void ClipPlayer::cancelPlayWhenLoaded()
{
    if (m_backend)
        m_backend->cancelPlayWhenLoaded();
}

void ClipPlayer::release()
{
    // Closed first, so that the backend's own stop reports are not taken for
    // the end of a playback.
    setState(State::Closed);
    cancelPlayWhenLoaded();
    leaveOutput();
    m_isSound = false;
    m_hasVideo = false;
}

qint64 ClipPlayer::trackStart(int) const
{
    // A wav or avi clip is one track that starts at its beginning.
    return 0;
}

qint64 ClipPlayer::position() const
{
    if (!isOpen())
        return 0;
    const ClipEngine *const playing = engine();
    return playing ? playing->position() : 0;
}

qint64 ClipPlayer::duration() const
{
    if (!isOpen())
        return 0;
    const ClipEngine *const playing = engine();
    return playing ? playing->duration() : 0;
}

qint64 ClipPlayer::recordedDuration() const
{
    return m_state == State::Recording && m_recorder ? m_recorder->recordedMs() : 0;
}

void ClipPlayer::seek(qint64 position)
{
    if (!isOpen() || m_state == State::Recording)
        return;
    if (ClipEngine *const playing = engine())
        playing->seek(position);
}

void ClipPlayer::play()
{
    if (!isOpen() || m_state == State::Recording)
        return;
    showOnOutput();
    setState(State::Playing);
    // Chosen once the state is told: its receivers may change the clip.
    if (ClipEngine *const playing = engine())
        playing->play();
}

void ClipPlayer::record()
{
    if (!canRecord() || m_state == State::Recording)
        return;
    pausePlayback();
    dropRecording();

    // Hidden beside the clip, on the same file system, so that saving is a
    // rename and never a copy that a full disk could cut short.
    const QFileInfo clip(m_fileName);
    QTemporaryFile file(clip.absolutePath() + QStringLiteral("/.") + clip.completeBaseName()
                        + QStringLiteral("-recording-XXXXXX.wav"));
    file.setAutoRemove(false);
    if (!file.open()) {
        keepError(100 + int(QAudio::IOError),
                  QStringLiteral("تعذر بدء التسجيل في المجلد \"%1\": %2")
                      .arg(clip.absolutePath(), lastFileErrorReason(file.errorString())));
        return;
    }
    m_recordingFile = file.fileName();
    m_recordingClip = m_fileName;
    m_cutOff = false;
    m_silentRecording = false;
    file.close();

    if (!m_recorder) {
        m_recorder = new ClipRecorder(this);
        connect(m_recorder, &ClipRecorder::interrupted, this, [this] {
            // The input went away: keep what was recorded, as a stop would,
            // and say that it was cut off.
            if (m_state != State::Recording)
                return;
            stop();
            m_cutOff = hasRecording();
            emit stateChanged();
        });
        connect(m_recorder, &ClipRecorder::soundArrived, this, &ClipPlayer::recordingLevel);
        // A recording left running ends as a stop would end it.
        connect(m_recorder, &ClipRecorder::full, this, [this] {
            if (m_state == State::Recording)
                stop();
        });
    }
    const Result started = m_recorder->start(m_recordingFile);
    if (!started) {
        keepError(100 + m_recorder->lastError(), started.text);
        dropRecording();
        return;
    }
    setState(State::Recording);
}

void ClipPlayer::stop()
{
    if (m_state == State::Recording) {
        const Result finished = finishRecording();
        if (!finished)
            keepError(100 + m_recorder->lastError(), finished.text);
        return;
    }
    if (m_state == State::Playing) {
        // Paused rather than stopped, so that play goes on where it stood.
        cancelPlayWhenLoaded();
        pausePlayback();
        setState(State::Stopped);
    }
}

Result ClipPlayer::save()
{
    if (m_fileName.isEmpty())
        return Result::success();
    if (!isOpen() && m_recordingFile.isEmpty())
        return Result::failure(QStringLiteral("لا يوجد مقطع مفتوح لحفظه في \"%1\"").arg(Bidi::path(m_fileName)));
    if (m_state == State::Recording) {
        const Result finished = finishRecording();
        if (!finished)
            return finished;
    }
    if (m_recordingFile.isEmpty())
        return Result::success();

    // The finished recording takes its clip's name in one step: the clip
    // file is always either the old clip or the new one, whole. It is the
    // clip it was recorded for, even after the medium changed meanwhile.
    const bool current = holdsRecordingForClip();
    QByteArray before;
    const bool undoable = readForUndo(m_recordingClip, &before);
    const Result moved = AtomicFile::moveReplacing(m_recordingFile, m_recordingClip);
    if (!moved)
        return Result::failure(QStringLiteral("لم يُحفظ التسجيل وبقي المقطع كما كان: ") + moved.text);
    m_undoClip = undoable ? m_recordingClip : QString();
    m_undoBytes = before;
    // The recording is the clip now: nothing is left to remove.
    m_recordingFile.clear();
    m_cutOff = false;
    if (current && isOpen()) {
        pausePlayback();
        // The same bytes that were heard as the recording: the save is done
        // whatever their reload says.
        static_cast<void>(loadClip());
        setState(State::Stopped);
    }
    emit stateChanged();
    return Result::success();
}

Result ClipPlayer::loadClip()
{
    return loadSource(m_fileName);
}

Result ClipPlayer::loadSource(const QString &fileName)
{
    // A file already held, unchanged on disk, stays loaded: it only needs a
    // seek to start again, which is quicker and keeps memory steady over
    // thousands of questions.
    const ClipEngine *const holder = engine();
    const bool failed = !holder || holder->failedToLoad();
    if (holdsUnchanged(fileName) && !failed)
        return Result::success();
    cancelPlayWhenLoaded();
    const Result decoded = loadIntoMixer(fileName);
    if (!decoded || m_mixerClip->holds())
        return decoded;
    // Left to the backend: a codec the quiz does not decode.
    BackendClip &backendClip = backend();
    m_source = fileName;
    m_sourceStamp = Stamp::of(fileName);
    backendClip.load();
    return Result::success();
}

Result ClipPlayer::loadIntoMixer(const QString &fileName)
{
    // The version is taken before the bytes: a file changed while it is
    // read is read again at its next start.
    const Stamp stamp = Stamp::of(fileName);
    WaveSound::Failure why;
    MixerClip::Decoded clip = MixerClip::decode(fileName, m_isSound, &why);
    if (!clip.sound) {
        // The clip held before goes: its file is not this one any more.
        m_mixerClip->clear();
        if (why.foreign)
            return Result::success();
        m_source.clear();
        // Refused once for this version of the file: later starts fail at
        // once with the same text, and the file is not read again.
        m_rejectedFile = fileName;
        m_rejectedStamp = stamp;
        m_rejectedError = ClipFile::openError(fileName, why.reason);
        return Result::failure(m_rejectedError);
    }
    if (m_backend) {
        m_backend->pause();
        m_backend->dropPending();
    }
    m_source = fileName;
    m_sourceStamp = stamp;
    m_mixerClip->hold(std::move(clip));
    return Result::success();
}

bool ClipPlayer::heldByBackend() const
{
    return !m_mixerClip->holds();
}

void ClipPlayer::clipEnded()
{
    if (m_state == State::Playing)
        setState(State::Stopped);
}

void ClipPlayer::setState(State state)
{
    if (m_state == state)
        return;
    m_state = state;
    emit stateChanged();
}

Result ClipPlayer::finishRecording()
{
    const Result recorded = m_recorder->finish();
    if (recorded && ClipFile::check(m_recordingFile).ok()) {
        // What was recorded can be heard before it is saved; the file was
        // just checked, and one that still fails to load is simply not heard.
        static_cast<void>(loadSource(m_recordingFile));
        setState(State::Stopped);
        return Result::success();
    }
    const bool silent = !recorded && m_recorder->finishedSilent();
    dropRecording();
    setState(State::Stopped);
    if (silent) {
        // Nothing to keep and nothing wrong with the clip: the row says it.
        m_silentRecording = true;
        emit stateChanged();
        return Result::success();
    }
    return Result::failure(QStringLiteral("لم يُحفظ تسجيل للمقطع \"%1\" وبقي المقطع كما كان: %2")
                               .arg(Bidi::path(m_fileName), recorded ? QStringLiteral("التسجيل تالف") : recorded.text));
}

void ClipPlayer::dropRecording()
{
    if (m_recorder && m_recorder->isRecording())
        m_recorder->abort();
    m_cutOff = false;
    if (m_state == State::Recording)
        setState(State::Stopped);
    if (m_recordingFile.isEmpty())
        return;
    const bool playingRecording = m_source == m_recordingFile;
    QFile::remove(m_recordingFile);
    m_recordingFile.clear();
    emit stateChanged();
    if (playingRecording && isOpen()) {
        pausePlayback();
        // Back to the clip held before the recording, which loaded then; a
        // drop has no one to tell if it does not now.
        static_cast<void>(loadClip());
    }
}

void ClipPlayer::backendRefused(const QString &reason)
{
    // Only the clip itself is judged here; a recording is checked as it is
    // finished.
    if (!m_fileName.isEmpty() && m_source == m_fileName)
        rejectSource(reason);
}

void ClipPlayer::rejectSource(const QString &backendError)
{
    if (m_rejectedFile == m_source && m_rejectedStamp == m_sourceStamp)
        return;
    m_rejectedFile = m_source;
    m_rejectedStamp = m_sourceStamp;
    const QString reason = backendError.isEmpty() ? QStringLiteral("صيغة لا يعرفها") : backendError;
    m_rejectedError = ClipFile::openError(
        m_source, QStringLiteral("لا يستطيع مشغل الوسائط قراءة محتواه (%1)").arg(reason));
    // A recording under way or waiting to be saved is the teacher's work and
    // stays; otherwise the clip is closed, and plays nothing.
    if (m_state != State::Recording && !hasRecording())
        release();
    const QString error = m_rejectedError;
    QMetaObject::invokeMethod(this, [this, error] { emit rejected(error); }, Qt::QueuedConnection);
}

void ClipPlayer::keepError(int code, const QString &text)
{
    m_lastError = code;
    m_lastErrorText = text;
}
