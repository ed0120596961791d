#include "media/clipplayer.h"

#include "media/clipfile.h"
#include "media/cliprecorder.h"
#include "quiz/random.h"

#include <QAudio>
#include <QAudioOutput>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMediaPlayer>
#include <QSaveFile>
#include <QTemporaryFile>
#include <QUrl>
#include <QVideoFrame>
#include <QVideoSink>

namespace {

// The output sink remembers which player may draw into it: the one that
// started playing video last.
const char *const ShowingPlayer = "quizShowingClipPlayer";

// The GStreamer backend of this Qt version reports the end of a playback
// and plays both clip kinds; the FFmpeg one misses the end of playback.
// Selected before the first media object exists; a choice made in the
// environment is kept.
void preferWorkingBackend()
{
    if (!qEnvironmentVariableIsSet("QT_MEDIA_BACKEND"))
        qputenv("QT_MEDIA_BACKEND", "gstreamer");
}

QUrl clipUrl(const QString &fileName)
{
    return QUrl::fromLocalFile(QFileInfo(fileName).absoluteFilePath());
}

} // namespace

ClipPlayer::ClipPlayer(QObject *parent) : QObject(parent)
{
    preferWorkingBackend();
    m_player = new QMediaPlayer(this);
    m_audioOutput = new QAudioOutput(this);
    m_player->setAudioOutput(m_audioOutput);
    m_frames = new QVideoSink(this);
    m_player->setVideoSink(m_frames);
    connect(m_frames, &QVideoSink::videoFrameChanged, this, &ClipPlayer::forwardFrame);
    connect(m_player, &QMediaPlayer::playbackStateChanged, this,
            &ClipPlayer::onPlaybackStateChanged);
    connect(m_player, &QMediaPlayer::mediaStatusChanged, this, &ClipPlayer::onMediaStatusChanged);
    connect(m_player, &QMediaPlayer::errorOccurred, this,
            [this](QMediaPlayer::Error code, const QString &text) {
                keepError(int(code), text);
            });
}

ClipPlayer::~ClipPlayer()
{
    close();
}

bool ClipPlayer::open(QString *error)
{
    close();
    const ClipFile::Check check = ClipFile::check(m_fileName);
    if (!check.ok()) {
        *error = check.error;
        return false;
    }
    m_canRecord = check.kind == ClipFile::Kind::Wave;
    m_hasVideo = check.hasVideo;
    loadClip();
    setState(State::Stopped);
    return true;
}

void ClipPlayer::close()
{
    release();
    pausePlayback();
}

void ClipPlayer::pausePlayback()
{
    // Paused rather than stopped: the backend's stop rewinds, and a seek
    // while it loads can lock it up; stopping a running video also blocks
    // for a third of a second. The next open loads the file anew anyway.
    if (m_player->playbackState() == QMediaPlayer::PlayingState)
        m_player->pause();
}

void ClipPlayer::release()
{
    // Closed first, so that the backend's own stop reports are not taken for
    // the end of a playback.
    setState(State::Closed);
    m_playWhenLoaded = false;
    dropRecording();
    m_canRecord = false;
    m_hasVideo = false;
    if (QVideoSink *sink = outputSink()) {
        if (sink->property(ShowingPlayer).value<QObject *>() == this)
            sink->setProperty(ShowingPlayer, QVariant());
    }
}

qint64 ClipPlayer::trackStart(int) const
{
    // A wav or avi clip is one track that starts at its beginning.
    return 0;
}

qint64 ClipPlayer::position() const
{
    return isOpen() ? m_player->position() : 0;
}

qint64 ClipPlayer::duration() const
{
    return isOpen() ? m_player->duration() : 0;
}

qint64 ClipPlayer::recordedDuration() const
{
    return m_state == State::Recording && m_recorder ? m_recorder->recordedMs() : 0;
}

void ClipPlayer::seek(qint64 position)
{
    if (!isOpen() || m_state == State::Recording)
        return;
    // A freshly loaded clip already stands at its start; a seek while the
    // backend is still getting the clip ready can lock it up.
    if (m_player->mediaStatus() == QMediaPlayer::LoadingMedia)
        return;
    if (m_player->position() != position)
        m_player->setPosition(position);
}

void ClipPlayer::play()
{
    if (!isOpen() || m_state == State::Recording)
        return;
    // A clip at its end starts again from its beginning: loaded anew rather
    // than rewound, as a seek on a finished clip can lock the backend up.
    const qint64 length = m_player->duration();
    if (m_player->mediaStatus() == QMediaPlayer::EndOfMedia
        || (length > 0 && m_player->position() >= length))
        loadClip();
    showOnOutput();
    setState(State::Playing);
    // The backend must not be told to play while it still builds the clip's
    // decoders: its play then flushes the pipeline, which can deadlock with
    // the decoder thread. It plays as soon as the clip is loaded, within a
    // few milliseconds.
    if (m_player->mediaStatus() == QMediaPlayer::LoadingMedia)
        m_playWhenLoaded = true;
    else
        m_player->play();
}

void ClipPlayer::record()
{
    if (!canRecord() || m_state == State::Recording)
        return;
    pausePlayback();
    dropRecording();

    const QString folder = m_recordingFolder.isEmpty() ? QDir::tempPath() : m_recordingFolder;
    QTemporaryFile file(folder + QStringLiteral("/quiz-recording-XXXXXX.wav"));
    file.setAutoRemove(false);
    if (!file.open()) {
        keepError(100 + int(QAudio::IOError), file.errorString());
        return;
    }
    m_recordingFile = file.fileName();
    file.close();

    if (!m_recorder) {
        m_recorder = new ClipRecorder(this);
        connect(m_recorder, &ClipRecorder::interrupted, this, [this] {
            // The input went away: keep what was recorded, as a stop would.
            if (m_state == State::Recording)
                stop();
        });
    }
    QString error;
    if (!m_recorder->start(m_recordingFile, &error)) {
        keepError(100 + m_recorder->lastError(), error);
        dropRecording();
        return;
    }
    setState(State::Recording);
}

void ClipPlayer::stop()
{
    if (m_state == State::Recording) {
        QString error;
        if (!finishRecording(&error))
            keepError(100 + m_recorder->lastError(), error);
        return;
    }
    if (m_state == State::Playing) {
        // Paused rather than stopped, so that play goes on where it stood.
        m_playWhenLoaded = false;
        pausePlayback();
        setState(State::Stopped);
    }
}

bool ClipPlayer::save(QString *error)
{
    if (m_fileName.isEmpty())
        return true;
    if (!isOpen()) {
        *error = QStringLiteral("لا يوجد مقطع مفتوح لحفظه في \"%1\"").arg(m_fileName);
        return false;
    }
    if (m_state == State::Recording && !finishRecording(error))
        return false;
    if (m_recordingFile.isEmpty())
        return true;

    QFile recording(m_recordingFile);
    if (!recording.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("تعذرت قراءة التسجيل الجديد للمقطع \"%1\"").arg(m_fileName);
        return false;
    }
    const QByteArray data = recording.readAll();
    recording.close();

    // The clip file is replaced only by a complete new file: a failure at
    // any step leaves the old clip as it was.
    QSaveFile target(m_fileName);
    if (!target.open(QIODevice::WriteOnly) || target.write(data) != data.size()
        || !target.commit()) {
        *error = QStringLiteral("تعذر حفظ التسجيل في الملف \"%1\"، وبقي الملف كما كان (%2)")
                     .arg(m_fileName, target.errorString());
        return false;
    }
    dropRecording();
    pausePlayback();
    loadClip();
    setState(State::Stopped);
    return true;
}

void ClipPlayer::loadClip()
{
    // The same name with a new file behind it must load anew: a source equal
    // to the current one would be taken as no change.
    m_playWhenLoaded = false;
    if (!m_player->source().isEmpty())
        m_player->setSource(QUrl());
    m_player->setSource(clipUrl(m_fileName));
}

void ClipPlayer::setVideoOutput(QObject *output)
{
    m_videoOutput = output;
}

void ClipPlayer::setState(State state)
{
    if (m_state == state)
        return;
    m_state = state;
    emit stateChanged();
}

bool ClipPlayer::finishRecording(QString *error)
{
    QString reason;
    const bool recorded = m_recorder->finish(&reason);
    if (recorded && ClipFile::check(m_recordingFile).ok()) {
        // What was recorded can be heard before it is saved.
        m_player->setSource(QUrl::fromLocalFile(m_recordingFile));
        setState(State::Stopped);
        return true;
    }
    dropRecording();
    setState(State::Stopped);
    *error = QStringLiteral("لم يُحفظ تسجيل للمقطع \"%1\" وبقي المقطع كما كان: %2")
                 .arg(m_fileName, recorded ? QStringLiteral("التسجيل تالف") : reason);
    return false;
}

void ClipPlayer::dropRecording()
{
    if (m_recorder && m_recorder->isRecording())
        m_recorder->abort();
    if (m_recordingFile.isEmpty())
        return;
    const bool playingRecording =
        m_player->source() == QUrl::fromLocalFile(m_recordingFile);
    QFile::remove(m_recordingFile);
    m_recordingFile.clear();
    if (playingRecording && isOpen()) {
        pausePlayback();
        loadClip();
    }
}

QVideoSink *ClipPlayer::outputSink() const
{
    if (!m_videoOutput)
        return nullptr;
    if (auto *sink = qobject_cast<QVideoSink *>(m_videoOutput.data()))
        return sink;
    QVideoSink *sink = nullptr;
    QMetaObject::invokeMethod(m_videoOutput.data(), "videoSink", Qt::DirectConnection,
                              Q_RETURN_ARG(QVideoSink *, sink));
    return sink;
}

void ClipPlayer::showOnOutput()
{
    if (!m_hasVideo)
        return;
    if (QVideoSink *sink = outputSink())
        sink->setProperty(ShowingPlayer, QVariant::fromValue<QObject *>(this));
}

void ClipPlayer::forwardFrame(const QVideoFrame &frame)
{
    QVideoSink *sink = outputSink();
    if (sink && m_hasVideo && sink->property(ShowingPlayer).value<QObject *>() == this)
        sink->setVideoFrame(frame);
}

void ClipPlayer::onPlaybackStateChanged()
{
    // The end of a playback, or a failure inside the backend.
    if (m_state == State::Playing && m_player->playbackState() == QMediaPlayer::StoppedState)
        setState(State::Stopped);
}

void ClipPlayer::onMediaStatusChanged()
{
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

void ClipPlayer::keepError(int code, const QString &text)
{
    m_lastError = code;
    m_lastErrorText = text;
}

bool startClip(ClipPlayer &player, Random &random, QString *error)
{
    // A teacher recording this clip is not cut off by the question cycle:
    // reopening would throw the recording away.
    if (player.state() == ClipPlayer::State::Recording)
        return true;
    if (!player.open(error))
        return false;
    const int tracks = player.trackCount();
    const int track = tracks <= 1 ? 1 : random.uniform(1, tracks);
    player.seek(player.trackStart(track));
    player.play();
    return true;
}
