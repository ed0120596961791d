#pragma once

// Helpers shared by the media tests: a loud sound-only clip, the loudness of
// a recording, whether a sound server is there, a tone played into its sink
// and the wait for a recording to hear it.

#include "core/media/clipplayer.h"
#include "support/testsupport.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <cmath>

namespace MediaTest {

// The media tests name the shared helpers without their namespace.
using testsupport::appDirTemplate;
using testsupport::ProgramFolder;
using testsupport::readFile;
using testsupport::testData;
using testsupport::writeFile;

/// The fixture avi with a sound stream and no picture, its silence replaced
/// by a loud square wave: 8-bit samples in its "00wb" chunks.
inline QByteArray loudSoundOnlyAvi()
{
    QByteArray avi = readFile(testData(QStringLiteral("media/audio-only.avi")));
    // The chunks follow one another in the movie list, up to the index.
    qsizetype at = avi.indexOf("movi") + 4;
    while (at + 8 <= avi.size() && avi.mid(at, 4) == "00wb") {
        const quint32 length = qFromLittleEndian<quint32>(avi.constData() + at + 4);
        for (quint32 i = 0; i < length && at + 8 + i < avi.size(); ++i)
            avi[at + 8 + i] = (i / 10) % 2 ? char(0x20) : char(0xE0);
        at += 8 + length + (length & 1);
    }
    return avi;
}

/// A clip that the quiz leaves to the media backend: its sound relabelled
/// as A-law, a codec the backend decodes and the quiz does not. Takes a wav
/// of 16-bit samples, or an avi whose sound stream is 8-bit PCM.
inline QByteArray aLawClip(QByteArray clip)
{
    const bool avi = clip.mid(8, 4) == "AVI ";
    const qsizetype fmt = avi ? clip.indexOf("strf", clip.indexOf("auds")) : clip.indexOf("fmt ");
    char *format = clip.data() + fmt + 8;
    const quint16 channels = qFromLittleEndian<quint16>(format + 2);
    const quint32 rate = qFromLittleEndian<quint32>(format + 4);
    qToLittleEndian<quint16>(6, format);
    qToLittleEndian<quint32>(rate * channels, format + 8);
    qToLittleEndian<quint16>(channels, format + 12);
    qToLittleEndian<quint16>(8, format + 14);
    return clip;
}

/// Why the tests that need a real sound server cannot run; empty when they
/// can. They need the PulseAudio server of scripts/sound-server.sh, whose
/// default source "quizmic" hears the default sink "quiz" the players use.
inline QString soundServerSkipReason()
{
    const QByteArray disabled = qgetenv("QUIZ_NO_SOUND_SERVER");
    if (!disabled.isEmpty())
        return QStringLiteral("no sound server: ") + QString::fromLocal8Bit(disabled);
    QProcess pactl;
    pactl.start(QStringLiteral("pactl"), {QStringLiteral("info")});
    if (!pactl.waitForFinished(5000) || pactl.exitStatus() != QProcess::NormalExit
        || pactl.exitCode() != 0)
        return QStringLiteral("no sound server answers pactl (start one with: source "
                              "scripts/sound-server.sh; start_sound_server)");
    const QString info = QString::fromLocal8Bit(pactl.readAllStandardOutput());
    if (!info.contains(QStringLiteral("Default Sink: quiz\n"))
        || !info.contains(QStringLiteral("Default Source: quizmic\n")))
        return QStringLiteral("the sound server is not the test server of scripts/sound-server.sh "
                              "(default sink quiz, default source quizmic), so a recording "
                              "would not hear the players");
    return {};
}

inline bool pactl(const QStringList &arguments, QString *output = nullptr)
{
    QProcess process;
    process.start(QStringLiteral("pactl"), arguments);
    const bool ok = process.waitForFinished(5000) && process.exitStatus() == QProcess::NormalExit
        && process.exitCode() == 0;
    if (output)
        *output = QString::fromLocal8Bit(process.readAllStandardOutput());
    return ok;
}

/// Cuts every running recording off as a microphone pulled out does: the
/// sound server ends their input streams ("Entity killed"). Taking the
/// source away would not do: the server moves its streams to another one.
inline bool cutInputsOff()
{
    QString outputs;
    if (!pactl({QStringLiteral("list"), QStringLiteral("short"), QStringLiteral("source-outputs")}, &outputs))
        return false;
    QString modules;
    pactl({QStringLiteral("list"), QStringLiteral("short"), QStringLiteral("modules")}, &modules);
    // pacmd talks to the server through its command socket.
    if (!modules.contains(QLatin1String("module-cli-protocol-unix"))
        && !pactl({QStringLiteral("load-module"), QStringLiteral("module-cli-protocol-unix")}))
        return false;
    bool any = false;
    for (const QString &line : outputs.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        // A program's stream has its client; the server's own remapping of
        // the monitor has none and stays.
        if (line.section(QLatin1Char('\t'), 2, 2) == QLatin1String("-"))
            continue;
        QProcess pacmd;
        pacmd.start(QStringLiteral("pacmd"), {QStringLiteral("kill-source-output"), line.section(QLatin1Char('\t'), 0, 0)});
        if (!pacmd.waitForFinished(5000) || pacmd.exitStatus() != QProcess::NormalExit || pacmd.exitCode() != 0)
            return false;
        any = true;
    }
    return any;
}

/// Peak and RMS of 16-bit PCM sound data in a canonical wav, from 0 to 1.
struct Loudness
{
    double peak = 0;
    double rms = 0;
};

inline Loudness loudness(const QByteArray &wave)
{
    Loudness result;
    qint64 offset = 12;
    while (offset + 8 <= wave.size()) {
        const quint32 length = qFromLittleEndian<quint32>(wave.constData() + offset + 4);
        if (wave.mid(int(offset), 4) == "data") {
            const qint64 end = qMin<qint64>(wave.size(), offset + 8 + length);
            double sum = 0;
            qint64 count = 0;
            for (qint64 at = offset + 8; at + 2 <= end; at += 2, ++count) {
                const double sample =
                    qFromLittleEndian<qint16>(wave.constData() + at) / 32768.0;
                result.peak = qMax(result.peak, std::abs(sample));
                sum += sample * sample;
            }
            if (count > 0)
                result.rms = std::sqrt(sum / double(count));
            return result;
        }
        offset += 8 + qint64(length) + (length & 1);
    }
    return result;
}

/// Plays a clip into the sound server's sink, which its source "quizmic"
/// (the recordings' input) hears.
class SinkSignal
{
public:
    bool play(const QByteArray &wave)
    {
        const QString file = m_dir.filePath(QStringLiteral("signal.wav"));
        if (!testsupport::writeFile(file, wave))
            return false;
        m_player.setFileName(file);
        if (!m_player.open())
            return false;
        m_player.play();
        return m_player.state() == ClipPlayer::State::Playing;
    }
    bool finished() const { return m_player.state() != ClipPlayer::State::Playing; }

private:
    QTemporaryDir m_dir;
    ClipPlayer m_player;
};

/// A recording on its own clock. What is played reaches a recording only
/// after the sound server's latency, which a loaded machine stretches to
/// hundreds of milliseconds, longer than a short clip: a recording is
/// stopped once it holds the sound wanted and some silence after it, as the
/// recording itself tells (its level and its length), never after a wait
/// on the wall clock.
class RecordingClock
{
public:
    explicit RecordingClock(const ClipPlayer &recorder) : m_recorder(recorder)
    {
        QObject::connect(&recorder, &ClipPlayer::recordingLevel, &m_context, [this](double peak) {
            if (peak < LoudPeak)
                return;
            m_heard = true;
            m_lastLoudMs = m_recorder.recordedDuration();
        });
    }

    /// Waits for the first sound of the recording under way (the server may
    /// take a moment to begin); false when none came within 8 s.
    bool waitForFirstSound()
    {
        QElapsedTimer clock;
        clock.start();
        while (m_recorder.recordedDuration() <= 0 && clock.elapsed() < 8000)
            QTest::qWait(20);
        return m_recorder.recordedDuration() > 0;
    }
    /// Waits until the recording has heard something loud and then holds
    /// marginMs more after the last loud piece; false when it did not within
    /// 10 s (a sound that never reached it).
    bool waitForSoundThenSilence(int marginMs = 200)
    {
        QElapsedTimer clock;
        clock.start();
        while (!(m_heard && m_recorder.recordedDuration() >= m_lastLoudMs + marginMs) && clock.elapsed() < 10000)
            QTest::qWait(20);
        return m_heard && m_recorder.recordedDuration() >= m_lastLoudMs + marginMs;
    }
    /// Waits until the recording holds ms more than it holds now (silence,
    /// where nothing plays); false when it did not within 10 s.
    bool waitForMore(int ms)
    {
        const qint64 wanted = m_recorder.recordedDuration() + ms;
        QElapsedTimer clock;
        clock.start();
        while (m_recorder.recordedDuration() < wanted && clock.elapsed() < 10000)
            QTest::qWait(20);
        return m_recorder.recordedDuration() >= wanted;
    }
    bool heard() const { return m_heard; }

private:
    // A piece louder than this holds the played sound, not the room.
    static constexpr double LoudPeak = 0.05;
    const ClipPlayer &m_recorder;
    QObject m_context;
    bool m_heard = false;
    qint64 m_lastLoudMs = 0;
};

/// Plays a tone into the sink while a recording runs and waits until the
/// recording has heard all of it: a recording of silence is refused.
inline bool soundInto(const ClipPlayer &recorder, int toneMs = 400)
{
    RecordingClock clock(recorder);
    SinkSignal signal;
    if (!clock.waitForFirstSound() || !signal.play(testsupport::toneWav(0, toneMs, 0)))
        return false;
    QElapsedTimer elapsed;
    elapsed.start();
    while (!signal.finished() && elapsed.elapsed() < 10000)
        QTest::qWait(10);
    return signal.finished() && clock.waitForSoundThenSilence();
}

} // namespace MediaTest
