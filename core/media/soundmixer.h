#pragma once

#include <QMutex>
#include <QObject>

#include <functional>
#include <map>
#include <memory>

struct WaveSound;
class QAudioSink;
class QIODevice;
class QMediaDevices;
class QThread;
class QTimer;

/// Plays the sound clips held in memory (WaveSound) through one sound
/// stream that stays open while any clip is loaded, mixing the clips that
/// sound at the same time. A clip starts at the next few milliseconds of
/// that running stream: no stream is opened, no decoder built and nothing
/// reloaded at a start, so a start, a restart of a clip still sounding and a
/// start of a clip played before are all heard after the same short delay.
///
/// The stream is fed from a thread of its own, so that a busy window (a
/// layout, a message box) neither delays a start nor lets the stream run
/// dry. Without a sound output the clips run on a clock, silently, and end
/// as they would have sounded.
///
/// Each player owns a voice: one clip, a position, playing or not. The
/// calls come from the window's thread; the end of a clip is told to the
/// voice's owner in its thread.
///
/// One mixer serves every player of a program, since each mixer runs a
/// stream: the program's window gets it from its owner, and the mixer is
/// taken apart after the players and while the application still exists,
/// since the stream and its thread belong to it.
class SoundMixer : public QObject
{
    Q_OBJECT
public:
    SoundMixer();
    ~SoundMixer() override;

    /// The mixer of a program that makes players without handing them one
    /// (tests, benchmarks): made at the first call and taken apart with the
    /// application.
    static SoundMixer &shared();

    /// Opens the sound stream ahead of the first clip, in the mixer's
    /// thread, and keeps it open until clips are loaded (the start-up
    /// notice waits for the teacher meanwhile). Returns at once.
    void warmUp();

    /// A new voice whose clip ends are told to ended(generation), run in
    /// owner's thread; the generation is the one play() returned.
    int addVoice(QObject *owner, std::function<void(quint64)> ended);
    /// After it returns no end is told for the voice any more.
    void removeVoice(int voice);

    /// The clip of the voice, stopped at its start; null for none.
    void setSound(int voice, std::shared_ptr<const WaveSound> sound);
    /// Plays on from the voice's position; returns the generation that its
    /// end will be told with.
    quint64 play(int voice);
    void pause(int voice);
    void seek(int voice, qint64 ms);
    qint64 positionMs(int voice) const;

    /// The length of the stream's buffer, the delay that every start has.
    static constexpr int BufferMs = 20;

private:
    static void end();

    struct Voice
    {
        QObject *owner = nullptr;
        std::function<void(quint64)> ended;
        std::shared_ptr<const WaveSound> sound;
        qint64 frame = 0;
        bool playing = false;
        quint64 generation = 0;
    };

    void ensureRunning();
    // In the mixer's thread.
    void tick();
    void openStream();
    void closeStream();
    void stopStream();
    void dropSink();
    void mix(qint64 frames);
    bool wanted() const;

    mutable QMutex m_mutex;
    std::map<int, Voice> m_voices;
    int m_nextVoice = 1;
    bool m_warm = false;

    // Owned by the mixer's thread.
    QThread *m_thread = nullptr;
    QObject *m_worker = nullptr;
    QTimer *m_timer = nullptr;
    QAudioSink *m_sink = nullptr;
    QIODevice *m_out = nullptr;
    qint64 m_clockNs = 0;
    qint64 m_nextOpenTryNs = 0;
    QByteArray m_defaultDevice;
    QMediaDevices *m_devices = nullptr;
};
