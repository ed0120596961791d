#include "core/media/soundmixer.h"

#include "core/media/wavesound.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QCoreApplication>
#include <QMediaDevices>
#include <QMutexLocker>
#include <QThread>
#include <QTimer>

#include <time.h>

#include <utility>

#include <vector>

namespace {

constexpr int Channels = 2;
constexpr int FrameBytes = Channels * 2;
// Often enough that the stream's short buffer never runs dry, seldom enough
// to cost nothing.
constexpr int TickMs = 5;
// A sound server that is not there is asked again now and then, not at
// every tick.
constexpr qint64 RetryNs = 2000LL * 1000 * 1000;

qint64 nowNs()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

SoundMixer *theMixer = nullptr;

} // namespace

void SoundMixer::end()
{
    delete std::exchange(theMixer, nullptr);
}

SoundMixer &SoundMixer::shared()
{
    if (!theMixer) {
        theMixer = new SoundMixer;
        // Taken apart while the application still exists: the stream and
        // its thread belong to it.
        qAddPostRoutine(&SoundMixer::end);
    }
    return *theMixer;
}

SoundMixer::SoundMixer() = default;

SoundMixer::~SoundMixer()
{
    if (!m_thread)
        return;
    QMetaObject::invokeMethod(m_worker, [this] {
        // Left to the process's end (see closeStream): as the application
        // is taken apart, the sound system under it may be gone already.
        if (m_sink)
            dropSink();
        delete m_timer;
        m_timer = nullptr;
    }, Qt::BlockingQueuedConnection);
    m_thread->quit();
    m_thread->wait();
    delete m_worker;
    delete m_thread;
    delete m_devices;
}

void SoundMixer::warmUp()
{
    {
        QMutexLocker lock(&m_mutex);
        m_warm = true;
    }
    ensureRunning();
}

int SoundMixer::addVoice(QObject *owner, std::function<void(quint64)> ended)
{
    QMutexLocker lock(&m_mutex);
    const int id = m_nextVoice++;
    Voice &voice = m_voices[id];
    voice.owner = owner;
    voice.ended = std::move(ended);
    return id;
}

void SoundMixer::removeVoice(int voice)
{
    {
        QMutexLocker lock(&m_mutex);
        m_voices.erase(voice);
    }
    // The last player gone (the window closing): the stream is closed now,
    // while the sound system it belongs to is still there, not as the
    // application is taken apart.
    if (m_worker && !wanted())
        QMetaObject::invokeMethod(m_worker, [this] { stopStream(); }, Qt::BlockingQueuedConnection);
}

void SoundMixer::stopStream()
{
    closeStream();
    if (m_timer)
        m_timer->stop();
}

void SoundMixer::setSound(int voice, std::shared_ptr<const WaveSound> sound)
{
    const bool starts = sound != nullptr;
    {
        QMutexLocker lock(&m_mutex);
        const auto it = m_voices.find(voice);
        if (it == m_voices.end())
            return;
        it->second.sound = std::move(sound);
        it->second.frame = 0;
        it->second.playing = false;
        ++it->second.generation;
        // Clips are there now: they keep the stream open from here on.
        if (starts)
            m_warm = false;
    }
    if (starts)
        ensureRunning();
}

quint64 SoundMixer::play(int voice)
{
    quint64 generation = 0;
    {
        QMutexLocker lock(&m_mutex);
        const auto it = m_voices.find(voice);
        if (it == m_voices.end() || !it->second.sound)
            return 0;
        Voice &v = it->second;
        if (v.frame >= v.sound->frames())
            v.frame = 0;
        v.playing = true;
        generation = ++v.generation;
    }
    ensureRunning();
    // Into the stream's free room right away rather than at the next tick.
    QMetaObject::invokeMethod(m_worker, [this] { tick(); }, Qt::QueuedConnection);
    return generation;
}

void SoundMixer::pause(int voice)
{
    QMutexLocker lock(&m_mutex);
    const auto it = m_voices.find(voice);
    if (it != m_voices.end() && it->second.playing) {
        it->second.playing = false;
        ++it->second.generation;
    }
}

void SoundMixer::seek(int voice, qint64 ms)
{
    QMutexLocker lock(&m_mutex);
    const auto it = m_voices.find(voice);
    if (it == m_voices.end() || !it->second.sound)
        return;
    it->second.frame = qBound<qint64>(0, ms * WaveSound::Rate / 1000, it->second.sound->frames());
}

qint64 SoundMixer::positionMs(int voice) const
{
    QMutexLocker lock(&m_mutex);
    const auto it = m_voices.find(voice);
    return it == m_voices.end() ? 0 : it->second.frame * 1000 / WaveSound::Rate;
}

bool SoundMixer::wanted() const
{
    QMutexLocker lock(&m_mutex);
    if (m_warm)
        return true;
    for (const auto &entry : m_voices) {
        if (entry.second.sound)
            return true;
    }
    return false;
}

void SoundMixer::ensureRunning()
{
    if (!m_thread) {
        // The sound server is first reached from this thread, which owns
        // the device list that the mixer's thread reads afterwards.
        m_defaultDevice = QMediaDevices::defaultAudioOutput().id();
        m_devices = new QMediaDevices;
        connect(m_devices, &QMediaDevices::audioOutputsChanged, this, [this] {
            QMetaObject::invokeMethod(m_worker, [this] {
                // Headphones plugged in or a new default output: the
                // stream moves to where the sound is to be heard now.
                if (m_sink && QMediaDevices::defaultAudioOutput().id() != m_defaultDevice) {
                    dropSink();
                    m_nextOpenTryNs = 0;
                }
            });
        });
        m_thread = new QThread;
        m_thread->setObjectName(QStringLiteral("sound mixer"));
        m_worker = new QObject;
        m_worker->moveToThread(m_thread);
        m_thread->start(QThread::TimeCriticalPriority);
    }
    QMetaObject::invokeMethod(m_worker, [this] {
        if (!m_timer) {
            m_timer = new QTimer(m_worker);
            m_timer->setTimerType(Qt::PreciseTimer);
            m_timer->setInterval(TickMs);
            connect(m_timer, &QTimer::timeout, m_worker, [this] { tick(); });
        }
        if (!m_timer->isActive()) {
            m_clockNs = nowNs();
            m_timer->start();
            tick();
        }
    }, Qt::QueuedConnection);
}

void SoundMixer::openStream()
{
    const qint64 now = nowNs();
    if (now < m_nextOpenTryNs)
        return;
    m_nextOpenTryNs = now + RetryNs;
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull())
        return;
    if (m_sink && device.id() != m_defaultDevice)
        dropSink();
    if (!m_sink) {
        QAudioFormat format;
        format.setSampleRate(WaveSound::Rate);
        format.setChannelCount(Channels);
        format.setSampleFormat(QAudioFormat::Int16);
        m_sink = new QAudioSink(device, format, m_worker);
        m_sink->setBufferSize(WaveSound::Rate * BufferMs / 1000 * FrameBytes);
        m_defaultDevice = device.id();
    }
    m_out = m_sink->start();
    if (!m_out || m_sink->error() != QAudio::NoError)
        closeStream();
}

void SoundMixer::closeStream()
{
    // Stopped, not deleted: the same sink starts again when clips come
    // back. Deleting a sink in this thread can crash inside Qt.
    if (m_sink)
        m_sink->stop();
    m_out = nullptr;
}

void SoundMixer::dropSink()
{
    // A sink of another output (the default output changed, or the mixer
    // ends with the application), let go without deleting it (see
    // closeStream): it is kept, stopped, to the end of the process; rare
    // enough to cost nothing.
    static auto *const retired = new std::vector<QAudioSink *>;
    closeStream();
    m_sink->disconnect();
    m_sink->setParent(nullptr);
    retired->push_back(std::exchange(m_sink, nullptr));
}

void SoundMixer::tick()
{
    if (!m_timer)
        return;
    if (!wanted()) {
        stopStream();
        return;
    }
    if (m_out && m_sink->state() == QAudio::StoppedState && m_sink->error() != QAudio::NoError)
        dropSink(); // the sound server went away
    if (!m_out)
        openStream();
    const qint64 now = nowNs();
    qint64 frames;
    if (m_out) {
        frames = m_sink->bytesFree() / FrameBytes;
    } else {
        // No sound output: the clips run on the clock.
        frames = (now - m_clockNs) * WaveSound::Rate / 1000000000;
    }
    if (frames <= 0)
        return;
    m_clockNs = now;
    mix(frames);
}

void SoundMixer::mix(qint64 frames)
{
    std::vector<int> sum(size_t(frames) * Channels, 0);
    {
        QMutexLocker lock(&m_mutex);
        for (auto &entry : m_voices) {
            Voice &v = entry.second;
            if (!v.playing || !v.sound)
                continue;
            const WaveSound &sound = *v.sound;
            const qint64 n = qMin(frames, sound.frames() - v.frame);
            const qint16 *from = sound.samples.data() + v.frame * sound.channels;
            for (qint64 f = 0; f < n; ++f) {
                const int left = from[f * sound.channels];
                const int right = from[f * sound.channels + sound.channels - 1];
                sum[size_t(f * Channels)] += left;
                sum[size_t(f * Channels + 1)] += right;
            }
            v.frame += qMax<qint64>(0, n);
            if (v.frame >= sound.frames()) {
                v.playing = false;
                const quint64 generation = v.generation;
                // Under the lock: removeVoice() cannot let the owner go
                // between the check and the post.
                QMetaObject::invokeMethod(v.owner, [ended = v.ended, generation] { ended(generation); },
                                          Qt::QueuedConnection);
            }
        }
    }
    if (!m_out)
        return;
    QByteArray bytes(int(frames * FrameBytes), Qt::Uninitialized);
    auto *out = reinterpret_cast<qint16 *>(bytes.data());
    for (size_t i = 0; i < sum.size(); ++i)
        out[i] = qint16(qBound(-32768, sum[i], 32767));
    m_out->write(bytes);
}
