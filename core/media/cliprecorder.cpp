#include "core/media/cliprecorder.h"

#include "core/base/bidi.h"

#include <QAudioDevice>
#include <QAudioSource>
#include <QCoreApplication>
#include <QMediaDevices>
#include <QtEndian>

namespace {

// A spoken clip needs no more than this; the sound server converts.
constexpr int PreferredRate = 22050;
constexpr int PreferredChannels = 1;
constexpr int HeaderSize = 44;
// A live input delivers sound (silence too) many times a second. One that
// delivers nothing for this long has gone, even when the audio system does
// not say so: a sound server that ends the stream leaves Qt's input
// "active" with nothing to read.
constexpr int WatchMs = 250;
constexpr int SilentInputMs = 2000;
// The server may take a moment before the first sound of a recording.
constexpr int FirstSoundMs = 8000;

QAudioFormat recordingFormat(const QAudioDevice &device)
{
    QAudioFormat format;
    format.setSampleRate(PreferredRate);
    format.setChannelCount(PreferredChannels);
    format.setSampleFormat(QAudioFormat::Int16);
    if (device.isFormatSupported(format))
        return format;
    format = device.preferredFormat();
    QAudioFormat whole = format;
    whole.setSampleFormat(QAudioFormat::Int16);
    return device.isFormatSupported(whole) ? whole : format;
}

// The canonical 44-byte header: RIFF, a "fmt " chunk and the "data" chunk
// head, for dataBytes of sound.
QByteArray waveHeader(const QAudioFormat &format, qint64 dataBytes)
{
    QByteArray header(HeaderSize, '\0');
    char *at = header.data();
    auto put16 = [&at](int offset, quint16 value) { qToLittleEndian<quint16>(value, at + offset); };
    auto put32 = [&at](int offset, quint32 value) { qToLittleEndian<quint32>(value, at + offset); };
    const bool isFloat = format.sampleFormat() == QAudioFormat::Float;
    memcpy(at, "RIFF", 4);
    // The RIFF size counts the pad byte after odd data, the data size does not.
    put32(4, quint32(HeaderSize - 8 + dataBytes + (dataBytes & 1)));
    memcpy(at + 8, "WAVEfmt ", 8);
    put32(16, 16);
    put16(20, isFloat ? 3 : 1);
    put16(22, quint16(format.channelCount()));
    put32(24, quint32(format.sampleRate()));
    put32(28, quint32(format.bytesForFrames(format.sampleRate())));
    put16(32, quint16(format.bytesPerFrame()));
    put16(34, quint16(format.bytesPerSample() * 8));
    memcpy(at + 36, "data", 4);
    put32(40, quint32(dataBytes));
    return header;
}

// What the scan and the shaping need to know of a recording's format; an
// invalid layout for one they cannot read (the recording is then kept as
// it arrived).
PcmLayout layoutOf(const QAudioFormat &format)
{
    PcmLayout layout;
    layout.sampleRate = format.sampleRate();
    layout.channels = format.channelCount();
    switch (format.sampleFormat()) {
    case QAudioFormat::UInt8:
        layout.kind = SampleKind::UInt8;
        break;
    case QAudioFormat::Int16:
        layout.kind = SampleKind::Int16;
        break;
    case QAudioFormat::Int32:
        layout.kind = SampleKind::Int32;
        break;
    case QAudioFormat::Float:
        layout.kind = SampleKind::Float;
        break;
    default:
        layout.channels = 0;
        break;
    }
    return layout;
}

// Read and written back in pieces of this size: a long recording is never
// held in memory whole.
constexpr qint64 ShapeChunkBytes = 256 * 1024;

} // namespace

ClipRecorder::ClipRecorder(QObject *parent) : QObject(parent)
{
    m_watch.setInterval(WatchMs);
    connect(&m_watch, &QTimer::timeout, this, &ClipRecorder::watchInput);
}

ClipRecorder::~ClipRecorder()
{
    abort();
    // Inputs let go of with deleteLater() and not deleted yet go now, their
    // pending deletion withdrawn first: the sound server's input runs the
    // event loop while it is taken apart, which would otherwise delete the
    // same input a second time (a window closed right after a recording
    // was finished crashed so).
    const QList<QAudioSource *> left = findChildren<QAudioSource *>(Qt::FindDirectChildrenOnly);
    for (QAudioSource *source : left)
        QCoreApplication::removePostedEvents(source, QEvent::DeferredDelete);
    qDeleteAll(left);
}

Result ClipRecorder::start(const QString &fileName)
{
    abort();
    const QAudioDevice device = QMediaDevices::defaultAudioInput();
    if (device.isNull()) {
        m_lastError = QAudio::OpenError;
        return Result::failure(QStringLiteral("لا يوجد مدخل صوت (ميكروفون) للتسجيل"));
    }
    m_file.setFileName(fileName);
    m_format = recordingFormat(device);
    m_layout = layoutOf(m_format);
    m_scan = SoundScan(m_layout);
    m_silent = false;
    m_dataBytes = 0;
    m_writeFailed = false;
    // Read as well as written: the finished recording is shaped in place.
    if (!m_file.open(QIODevice::ReadWrite | QIODevice::Truncate)
        || m_file.write(waveHeader(m_format, 0)) != HeaderSize) {
        m_lastError = QAudio::IOError;
        m_file.close();
        return Result::failure(QStringLiteral("تعذر إنشاء ملف التسجيل \"%1\"").arg(Bidi::path(fileName)));
    }
    m_source = new QAudioSource(device, m_format, this);
    connect(m_source, &QAudioSource::stateChanged, this, &ClipRecorder::onSourceStateChanged);
    m_input = m_source->start();
    if (!m_input || m_source->error() != QAudio::NoError) {
        m_lastError = m_source->error() != QAudio::NoError ? m_source->error() : QAudio::OpenError;
        release();
        m_file.remove();
        return Result::failure(QStringLiteral("تعذر بدء التسجيل من مدخل الصوت \"%1\"").arg(Bidi::word(device.description())));
    }
    connect(m_input, &QIODevice::readyRead, this, &ClipRecorder::takeSound);
    m_sinceSound.start();
    m_watch.start();
    return Result::success();
}

Result ClipRecorder::finish()
{
    if (!m_source) {
        return Result::failure(QStringLiteral("لا يوجد تسجيل جارٍ"));
    }
    takeSound();
    release();
    // Nothing at all, or nothing but silence: the microphone is muted,
    // unplugged or dead, and the recording is no clip.
    const SoundShape shape = m_layout.valid() ? m_scan.shape() : SoundShape{false, 0, 0, 1};
    if (!m_writeFailed && (m_dataBytes == 0 || shape.silent)) {
        m_silent = true;
        m_file.close();
        m_file.remove();
        return Result::failure(QStringLiteral("لم يصل أي صوت من الميكروفون"));
    }
    bool complete = !m_writeFailed && (!m_layout.valid() || shapeFile(shape));
    // The sizes are only known now.
    if (complete && (m_dataBytes & 1))
        complete = m_file.write("\0", 1) == 1;
    complete = complete && m_file.seek(0)
               && m_file.write(waveHeader(m_format, m_dataBytes)) == HeaderSize
               && m_file.flush();
    m_file.close();
    if (!complete) {
        m_file.remove();
        return Result::failure(QStringLiteral("تعذرت كتابة التسجيل في ملفه المؤقت"));
    }
    return Result::success();
}

void ClipRecorder::abort()
{
    if (!m_source)
        return;
    release();
    m_file.close();
    m_file.remove();
}

qint64 ClipRecorder::recordedMs() const
{
    const qint64 bytesPerSecond = m_format.bytesForFrames(m_format.sampleRate());
    return m_source && bytesPerSecond > 0 ? m_dataBytes * 1000 / bytesPerSecond : 0;
}

void ClipRecorder::takeSound()
{
    if (!m_input)
        return;
    QByteArray sound = m_input->readAll();
    if (sound.isEmpty() || m_writeFailed)
        return;
    const qint64 room = m_format.bytesForDuration(MaxMs * 1000) - m_dataBytes;
    if (room <= 0)
        return;
    if (sound.size() >= room) {
        sound.truncate(room - room % qMax(1, m_format.bytesPerFrame()));
        // Told from the event loop: this may run inside finish() itself.
        QMetaObject::invokeMethod(this, [this] {
            if (isRecording())
                emit full();
        }, Qt::QueuedConnection);
    }
    if (m_file.write(sound) != sound.size()) {
        m_writeFailed = true;
        return;
    }
    m_dataBytes += sound.size();
    m_sinceSound.start();
    emit soundArrived(m_scan.take(sound));
}

bool ClipRecorder::shapeFile(const SoundShape &shape)
{
    // Moved towards the start of the file piece by piece: a piece is always
    // written where a piece already read was, so nothing not read yet is
    // overwritten.
    const qint64 frameBytes = m_layout.bytesPerFrame();
    const qint64 chunk = qMax<qint64>(frameBytes, ShapeChunkBytes / frameBytes * frameBytes);
    qint64 from = HeaderSize + shape.firstFrame * frameBytes;
    qint64 to = HeaderSize;
    qint64 left = (shape.endFrame - shape.firstFrame) * frameBytes;
    QByteArray piece;
    while (left > 0) {
        if (!m_file.seek(from))
            return false;
        piece = m_file.read(qMin(left, chunk));
        if (piece.isEmpty())
            return false;
        scaleSamples(piece.data(), piece.size(), m_layout.kind, shape.gain);
        if (!m_file.seek(to) || m_file.write(piece) != piece.size())
            return false;
        from += piece.size();
        to += piece.size();
        left -= piece.size();
    }
    m_dataBytes = to - HeaderSize;
    return m_dataBytes > 0 && m_file.resize(to);
}

void ClipRecorder::watchInput()
{
    if (!m_source)
        return;
    takeSound();
    if (m_sinceSound.elapsed() < (m_dataBytes > 0 ? SilentInputMs : FirstSoundMs))
        return;
    m_watch.stop();
    m_lastError = QAudio::IOError;
    emit interrupted();
}

void ClipRecorder::onSourceStateChanged()
{
    if (!m_source || m_source->state() != QAudio::StoppedState)
        return;
    if (m_source->error() != QAudio::NoError) {
        m_lastError = m_source->error();
        emit interrupted();
    }
}

void ClipRecorder::release()
{
    if (!m_source)
        return;
    m_watch.stop();
    QAudioSource *source = m_source;
    m_source = nullptr;
    m_input = nullptr;
    source->disconnect(this);
    source->stop();
    source->deleteLater();
}
