#include "core/media/clipplayer.h"

#include "core/base/atomicfile.h"
#include "core/base/bidi.h"
#include "core/base/filelookup.h"
#include "core/base/systemerror.h"
#include "core/media/aviclip.h"
#include "core/media/backendplayers.h"
#include "core/media/clipfile.h"
#include "core/media/cliprecorder.h"
#include "core/media/sounddevices.h"
#include "core/media/soundmixer.h"
#include "core/media/wavesound.h"

#include <QAudio>
#include <QAudioOutput>
#include <QFile>
#include <QFileInfo>
#include <QMediaPlayer>
#include <QTimer>
#include <QTemporaryFile>
#include <QUrl>
#include <QVideoFrame>
#include <QVideoSink>


namespace {

// Settled before the first media object exists.
void preferWorkingBackend()
{
    SoundDevices::prepareBackend();
}

QUrl clipUrl(const QString &fileName)
{
    return QUrl::fromLocalFile(QFileInfo(fileName).absoluteFilePath());
}

} // namespace

ClipPlayer::ClipPlayer(QObject *parent) : QObject(parent)
{
    BackendPlayers::endWithTheApplication();
    // Costs nothing until a clip is loaded into it.
    m_voice = SoundMixer::instance().addVoice(this, [this](quint64 generation) { onSoundEnded(generation); });
}

void ClipPlayer::ensureBackend()
{
    if (m_player)
        return;
    preferWorkingBackend();
    // The audio output belongs to the backend's player, so that it can
    // outlive this object with it (see the destructor).
    m_player = new QMediaPlayer(this);
    m_audioOutput = new QAudioOutput(m_player);
    m_player->setAudioOutput(m_audioOutput);
    m_frames = new QVideoSink;
    m_frames->moveToThread(BackendPlayers::frameThread());
    m_player->setVideoSink(m_frames);
    connect(m_frames, &QVideoSink::videoFrameChanged, this, &ClipPlayer::forwardFrame,
            Qt::QueuedConnection);
    connect(m_player, &QMediaPlayer::playbackStateChanged, this,
            &ClipPlayer::onPlaybackStateChanged);
    connect(m_player, &QMediaPlayer::mediaStatusChanged, this, &ClipPlayer::onMediaStatusChanged);
    connect(m_player, &QMediaPlayer::errorOccurred, this,
            [this](QMediaPlayer::Error code, const QString &text) {
                keepError(int(code), text);
                // The first report says why; the backend's later ones only
                // say that its stream stopped.
                if (m_sourceError.isEmpty())
                    m_sourceError = text;
            });
}

ClipPlayer::~ClipPlayer()
{
    // A recording is saved by now, or the teacher chose to leave without
    // it: none is left hidden beside the clips. Closed first, so that
    // nothing is loaded again on the way out.
    release();
    dropRecording();
    pausePlayback();
    SoundMixer::instance().removeVoice(m_voice);
    if (!m_player)
        return;
    // Taking apart a backend that still loads a clip can lock it up, as a
    // new source can: such a player is let go and deleted once its clip is
    // loaded. Windows that open their clips and close at once (tests, a
    // start-up that fails) would otherwise hang now and then.
    m_frames->disconnect(this);
    if (backendLoading()) {
        m_player->disconnect(this);
        m_player->setParent(nullptr);
        BackendPlayers::adopt(m_player, m_frames);
    } else {
        BackendPlayers::dispose(m_player, m_frames);
    }
    m_player = nullptr;
    m_frames = nullptr;
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
        loadSource(m_recordingFile);
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
    return !m_sourcePending && fileName == m_source && Stamp::of(fileName) == m_sourceStamp;
}

bool ClipPlayer::backendLoading() const
{
    return m_player && (m_sourcePending || m_player->mediaStatus() == QMediaPlayer::LoadingMedia);
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
    SoundMixer::instance().pause(m_voice);
    if (m_frameTimer)
        m_frameTimer->stop();
    // Paused rather than stopped: stopping a running video blocks for a
    // third of a second, and the next start seeks to the beginning anyway.
    if (m_player && m_player->playbackState() == QMediaPlayer::PlayingState)
        m_player->pause();
}

void ClipPlayer::release()
{
    // Closed first, so that the backend's own stop reports are not taken for
    // the end of a playback.
    setState(State::Closed);
    m_playWhenLoaded = false;
    leaveOutput();
    m_shownFrame = -1;
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
    if (m_inMixer)
        return SoundMixer::instance().positionMs(m_voice);
    return m_player ? m_player->position() : 0;
}

qint64 ClipPlayer::duration() const
{
    if (!isOpen())
        return 0;
    if (m_inMixer)
        return m_soundMs;
    return m_player ? m_player->duration() : 0;
}

qint64 ClipPlayer::recordedDuration() const
{
    return m_state == State::Recording && m_recorder ? m_recorder->recordedMs() : 0;
}

void ClipPlayer::seek(qint64 position)
{
    if (!isOpen() || m_state == State::Recording)
        return;
    if (m_inMixer) {
        SoundMixer::instance().seek(m_voice, position);
        m_shownFrame = -1;
        return;
    }
    // A freshly loaded clip already stands at its start; a seek while the
    // backend is still getting the clip ready can lock it up.
    if (!m_player || backendLoading())
        return;
    if (m_player->position() != position)
        m_player->setPosition(position);
}

void ClipPlayer::play()
{
    if (!isOpen() || m_state == State::Recording)
        return;
    showOnOutput();
    setState(State::Playing);
    if (m_inMixer) {
        // A clip at its end goes back to its start inside the mixer.
        m_soundGeneration = SoundMixer::instance().play(m_voice);
        if (m_video) {
            if (!m_frameTimer) {
                m_frameTimer = new QTimer(this);
                m_frameTimer->setTimerType(Qt::PreciseTimer);
                m_frameTimer->setInterval(10);
                connect(m_frameTimer, &QTimer::timeout, this, &ClipPlayer::showDueFrame);
            }
            // The picture of the start at once, the others as they are due.
            m_shownFrame = -1;
            showDueFrame();
            m_frameTimer->start();
        }
        return;
    }
    if (!m_player)
        return;
    // The backend must not be told to play while it still builds the clip's
    // decoders: its play then flushes the pipeline, which can deadlock with
    // the decoder thread. It plays as soon as the clip is loaded, within a
    // few milliseconds.
    if (backendLoading()) {
        m_playWhenLoaded = true;
        return;
    }
    // A clip that finished goes back to its start (the backend rewinds a
    // clip it reported ended by itself).
    const qint64 length = m_player->duration();
    if (m_player->mediaStatus() != QMediaPlayer::EndOfMedia && length > 0
        && m_player->position() >= length)
        m_player->setPosition(0);
    m_player->play();
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
        m_playWhenLoaded = false;
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
        loadClip();
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
    const bool failed = !m_inMixer
        && (!m_player || m_player->mediaStatus() == QMediaPlayer::InvalidMedia
            || m_player->mediaStatus() == QMediaPlayer::NoMedia);
    if (holdsUnchanged(fileName) && !failed)
        return Result::success();
    m_playWhenLoaded = false;
    const Result decoded = loadIntoMixer(fileName);
    if (!decoded)
        return decoded;
    if (m_inMixer)
        return Result::success();
    // Left to the backend: a codec the quiz does not decode.
    m_inMixer = false;
    m_video.reset();
    SoundMixer::instance().setSound(m_voice, nullptr);
    ensureBackend();
    m_source = fileName;
    m_sourceStamp = Stamp::of(fileName);
    if (m_player->mediaStatus() == QMediaPlayer::LoadingMedia) {
        m_sourcePending = true;
        return Result::success();
    }
    handSourceToBackend();
    return Result::success();
}

Result ClipPlayer::loadIntoMixer(const QString &fileName)
{
    // The version is taken before the bytes: a file changed while it is
    // read is read again at its next start.
    const Stamp stamp = Stamp::of(fileName);
    WaveSound::Failure why;
    std::shared_ptr<const WaveSound> sound;
    std::shared_ptr<const AviClip> video;
    // Whatever a decoder meets in a file, even memory that runs out, ends
    // here as a clip that cannot be opened, never in the event loop.
    try {
        if (m_isSound) {
            sound = WaveSound::decodeFile(fileName, &why);
        } else if ((video = AviClip::decodeFile(fileName, &why))) {
            sound = video->sound;
            if (!video->hasVideo())
                video.reset();
        }
    } catch (const std::bad_alloc &) {
        why = {false, QStringLiteral("لا تتسع الذاكرة لقراءته")};
    } catch (...) {
        why = {false, QStringLiteral("تعذرت قراءة محتواه")};
    }
    if (!sound) {
        // The clip held before goes: its file is not this one any more.
        m_video.reset();
        m_inMixer = false;
        SoundMixer::instance().setSound(m_voice, nullptr);
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
    m_video = std::move(video);
    m_shownFrame = -1;
    if (m_player && m_player->playbackState() == QMediaPlayer::PlayingState)
        m_player->pause();
    m_source = fileName;
    m_sourceStamp = stamp;
    m_sourcePending = false;
    m_inMixer = true;
    m_soundMs = sound->durationMs();
    SoundMixer::instance().setSound(m_voice, std::move(sound));
    return Result::success();
}

void ClipPlayer::onSoundEnded(quint64 generation)
{
    // An end of an earlier start, told after the clip was started again, is
    // not this start's end.
    if (m_inMixer && generation == m_soundGeneration && m_state == State::Playing)
        setState(State::Stopped);
}

void ClipPlayer::handSourceToBackend()
{
    m_sourcePending = false;
    m_handingSource = true;
    m_sourceError.clear();
    // Given a file by its name, the backend's decoder thread starts at once
    // and can meet the seek that the backend itself does at the end of
    // taking a new source: the two then wait for each other for ever, about
    // once in a thousand loads. A sound clip is therefore handed over as an
    // open file that this thread feeds from the event loop, so nothing is
    // decoded before the hand-over is done. A video clip is still read by
    // name: fed through an open file, the backend often ignores a seek in
    // it. Its loads are rare (a medium or lesson change); its starts seek.
    // The file belongs to the backend's player, which may outlive this
    // object (see the destructor).
    QFile *const old = m_sourceFile;
    m_sourceFile = nullptr;
    auto *file = m_isSound ? new QFile(m_source, m_player) : nullptr;
    if (file && file->open(QIODevice::ReadOnly)) {
        m_player->setSourceDevice(file, clipUrl(m_source));
        m_sourceFile = file;
    } else {
        delete file;
        // The same name with a new file behind it must load anew: a source
        // equal to the current one would be taken as no change.
        if (!m_player->source().isEmpty() || m_player->sourceDevice())
            m_player->setSource(QUrl());
        m_player->setSource(clipUrl(m_source));
    }
    delete old;
    m_handingSource = false;
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
        // What was recorded can be heard before it is saved.
        loadSource(m_recordingFile);
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
        loadClip();
    }
}

void ClipPlayer::onPlaybackStateChanged()
{
    // The end of a playback, or a failure inside the backend.
    if (!m_inMixer && m_state == State::Playing && m_player->playbackState() == QMediaPlayer::StoppedState)
        setState(State::Stopped);
}

void ClipPlayer::onMediaStatusChanged()
{
    if (m_handingSource)
        return;
    if (m_sourcePending) {
        // Handed over once the backend is out of its own report.
        if (m_player->mediaStatus() != QMediaPlayer::LoadingMedia) {
            QMetaObject::invokeMethod(
                this,
                [this] {
                    if (m_sourcePending && m_player->mediaStatus() != QMediaPlayer::LoadingMedia)
                        handSourceToBackend();
                },
                Qt::QueuedConnection);
        }
        return;
    }
    // The backend's reports about a clip it no longer plays.
    if (m_inMixer)
        return;
    // Only the clip itself is judged here; a recording is checked as it is
    // finished.
    if (m_player->mediaStatus() == QMediaPlayer::InvalidMedia && !m_fileName.isEmpty()
        && m_source == m_fileName)
        rejectSource();
    if (!m_playWhenLoaded)
        return;
    switch (m_player->mediaStatus()) {
    case QMediaPlayer::LoadedMedia:
    case QMediaPlayer::BufferingMedia:
    case QMediaPlayer::BufferedMedia:
        m_playWhenLoaded = false;
        if (m_state == State::Playing)
            m_player->play();
        break;
    case QMediaPlayer::InvalidMedia:
    case QMediaPlayer::NoMedia:
        m_playWhenLoaded = false;
        if (m_state == State::Playing)
            setState(State::Stopped);
        break;
    default:
        break;
    }
}

void ClipPlayer::rejectSource()
{
    if (m_rejectedFile == m_source && m_rejectedStamp == m_sourceStamp)
        return;
    m_rejectedFile = m_source;
    m_rejectedStamp = m_sourceStamp;
    const QString reason = m_sourceError.isEmpty() ? QStringLiteral("صيغة لا يعرفها") : m_sourceError;
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
