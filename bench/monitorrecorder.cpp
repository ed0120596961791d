#include "monitorrecorder.h"

#include <QEventLoop>
#include <QProcess>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <limits>
#include <cstring>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Runs the calling thread's event loop, checking every two milliseconds,
// until done() or the time-out. Waiting in the event loop rather than in a
// sleep keeps the players' own event handling as prompt as in the program.
template <typename Done>
bool runUntil(Done done, int timeoutMs)
{
    if (done())
        return true;
    QEventLoop loop;
    QTimer check;
    check.setTimerType(Qt::PreciseTimer);
    bool ok = false;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done()) {
            ok = true;
            loop.quit();
        }
    });
    QTimer::singleShot(timeoutMs, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    check.start(2);
    loop.exec();
    return ok;
}

QString defaultSink()
{
    QProcess pactl;
    pactl.start(QStringLiteral("pactl"), {QStringLiteral("get-default-sink")});
    if (!pactl.waitForFinished(5000) || pactl.exitCode() != 0)
        return QString();
    return QString::fromLocal8Bit(pactl.readAllStandardOutput()).trimmed();
}

} // namespace

MonitorRecorder::~MonitorRecorder()
{
    if (m_recorderPid > 0) {
        ::kill(m_recorderPid, SIGTERM);
        waitpid(m_recorderPid, nullptr, 0);
    }
    // The pipe ends with the recorder, and the reader with it.
    if (m_reader.joinable())
        m_reader.join();
}

qint64 MonitorRecorder::monotonicNs()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

bool MonitorRecorder::start(QString *error)
{
    const QString sink = defaultSink();
    if (sink.isEmpty()) {
        *error = QStringLiteral("no sound server, or it has no default sink (pactl get-default-sink)");
        return false;
    }
    m_deviceName = sink + QStringLiteral(".monitor");
    const QByteArray device = m_deviceName.toLocal8Bit();
    int fds[2];
    if (pipe(fds) != 0) {
        *error = QStringLiteral("no pipe: %1").arg(QString::fromLocal8Bit(strerror(errno)));
        return false;
    }
    m_recorderPid = fork();
    if (m_recorderPid == 0) {
        dup2(fds[1], 1);
        close(fds[0]);
        close(fds[1]);
        // The recorder's own latency is set here, whatever the players get.
        unsetenv("PULSE_LATENCY_MSEC");
        // Blocks of 10 ms: fine enough to time by, and no shorter than a
        // sound card's, so that the sink is not driven harder than usual.
        execlp("parecord", "parecord", "--raw", "--format=s16le", "--rate=44100", "--channels=1",
               "--latency-msec=10", "-d", device.constData(), static_cast<char *>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    if (m_recorderPid < 0) {
        close(fds[0]);
        *error = QStringLiteral("parecord could not be started");
        return false;
    }
    m_reader = std::thread([this, fd = fds[0]] { readLoop(fd); });
    // The first blocks fix the clock.
    if (!runUntil([this] { QMutexLocker lock(&m_mutex); return m_samples.size() > size_t(Rate) / 5; }, 5000)) {
        *error = QStringLiteral("parecord recorded nothing from %1 (is pulseaudio-utils installed?)").arg(m_deviceName);
        return false;
    }
    return true;
}

void MonitorRecorder::readLoop(int fd)
{
    qint16 buffer[2048];
    size_t carried = 0; // a byte of a sample split between two reads
    char *bytes = reinterpret_cast<char *>(buffer);
    for (;;) {
        const ssize_t got = read(fd, bytes + carried, sizeof buffer - carried);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        const qint64 now = monotonicNs();
        const size_t total = carried + size_t(got);
        const size_t samples = total / 2;
        QMutexLocker lock(&m_mutex);
        m_samples.insert(m_samples.end(), buffer, buffer + samples);
        m_blocks.push_back({qint64(m_samples.size()), now});
        lock.unlock();
        carried = total % 2;
        if (carried)
            bytes[0] = bytes[total - 1];
    }
    close(fd);
}

qint64 MonitorRecorder::sampleTime(qint64 index) const
{
    // The blocks that arrived within about a second of this sample's block
    // fix its time; a sound server whose clock runs a little apart from the
    // system's is followed that way.
    const auto at = std::lower_bound(m_blocks.begin(), m_blocks.end(), index,
                                     [](const Block &b, qint64 i) { return b.endIndex <= i; });
    const qint64 k = qint64(at - m_blocks.begin());
    constexpr qint64 window = 100; // blocks of about 10 ms: a second each way
    qint64 origin = std::numeric_limits<qint64>::max();
    for (qint64 j = qMax<qint64>(0, k - window); j < qMin<qint64>(qint64(m_blocks.size()), k + window + 1); ++j)
        origin = qMin(origin, m_blocks[size_t(j)].arrivalNs - m_blocks[size_t(j)].endIndex * 1000000000 / Rate);
    return origin + index * 1000000000 / Rate;
}

qint64 MonitorRecorder::firstSoundAfter(qint64 fromNs) const
{
    QMutexLocker lock(&m_mutex);
    if (m_blocks.empty())
        return -1;
    // From the first sample that may lie after fromNs on.
    const qint64 n = qint64(m_samples.size());
    qint64 i = n;
    while (i > 0 && sampleTime(i - 1) >= fromNs)
        i -= qMax<qint64>(1, qMin<qint64>(i, Rate / 100));
    for (; i < n; ++i) {
        if (std::abs(m_samples[size_t(i)]) > Threshold) {
            const qint64 t = sampleTime(i);
            if (t >= fromNs)
                return t;
        }
    }
    return -1;
}

bool MonitorRecorder::silentFor(int ms) const
{
    QMutexLocker lock(&m_mutex);
    const size_t count = size_t(Rate) * size_t(ms) / 1000;
    if (m_samples.size() < count)
        return false;
    for (size_t i = m_samples.size() - count; i < m_samples.size(); ++i) {
        if (std::abs(m_samples[i]) > Threshold)
            return false;
    }
    return true;
}

qint64 MonitorRecorder::waitForSound(qint64 fromNs, int timeoutMs) const
{
    qint64 found = -1;
    runUntil([&] { return (found = firstSoundAfter(fromNs)) >= 0; }, timeoutMs);
    return found;
}

bool MonitorRecorder::waitForSilence(int quietMs, int timeoutMs) const
{
    return runUntil([&] { return silentFor(quietMs); }, timeoutMs);
}

std::vector<double> MonitorRecorder::measurePathLatency(int runs)
{
    std::vector<double> delays;
    int fds[2];
    if (pipe(fds) != 0)
        return delays;
    const pid_t player = fork();
    if (player == 0) {
        dup2(fds[0], 0);
        close(fds[0]);
        close(fds[1]);
        unsetenv("PULSE_LATENCY_MSEC");
        execlp("pacat", "pacat", "--playback", "--raw", "--format=s16le", "--rate=44100", "--channels=1",
               "--latency-msec=2", "--process-time-msec=1", static_cast<char *>(nullptr));
        _exit(127);
    }
    close(fds[0]);
    if (player < 0) {
        close(fds[1]);
        return delays;
    }
    // 20 ms of a loud 1 kHz square wave that starts at full height with its
    // first sample, so that its onset is exact.
    std::vector<qint16> burst(Rate / 50);
    for (size_t i = 0; i < burst.size(); ++i)
        burst[i] = (i / (Rate / 2000)) % 2 == 0 ? 16000 : -16000;
    runUntil([] { return false; }, 300);
    for (int run = 0; run < runs; ++run) {
        if (!waitForSilence(100, 2000))
            break;
        const qint64 handed = monotonicNs();
        if (write(fds[1], burst.data(), burst.size() * 2) != ssize_t(burst.size() * 2))
            break;
        const qint64 heard = waitForSound(handed, 2000);
        if (heard < 0)
            break;
        delays.push_back((heard - handed) / 1e6);
    }
    close(fds[1]);
    ::kill(player, SIGTERM);
    waitpid(player, nullptr, 0);
    return delays;
}
