#pragma once

#include "core/media/clipengine.h"
#include "core/media/wavesound.h"

#include <memory>

class QTimer;
class SoundMixer;
struct AviClip;

/// The mixer's clips: a wav clip, or an avi clip of the quiz's own kind,
/// decoded into memory and played through the SoundMixer's running stream;
/// an avi clip's pictures are shown on a timer as its sound's position
/// reaches them. The voice costs nothing until a clip is held in it.
class MixerClip : public ClipEngine
{
    Q_OBJECT
public:
    /// A clip file as the mixer holds it: its sound, and its pictures for
    /// an avi clip that has some.
    struct Decoded
    {
        std::shared_ptr<const WaveSound> sound;
        std::shared_ptr<const AviClip> video;
    };
    /// Decodes a wav clip (sound) or an avi clip. Whatever a decoder meets in
    /// the file, even memory that runs out, ends as no sound, with why set.
    static Decoded decode(const QString &fileName, bool sound, WaveSound::Failure *why);

    /// The mixer must outlive this clip.
    MixerClip(SoundMixer &mixer, Host &host);
    ~MixerClip() override;

    /// Holds a decoded clip, stopped at its start.
    void hold(Decoded clip);
    /// Holds no clip any more.
    void clear();
    bool holds() const { return m_holding; }

    qint64 position() const override;
    qint64 duration() const override;
    void seek(qint64 ms) override;
    void play() override;
    void pause() override;
    bool failedToLoad() const override { return false; }

private:
    void onSoundEnded(quint64 generation);
    void showDueFrame();

    SoundMixer &m_mixer;
    Host &m_host;
    int m_voice = 0;
    bool m_holding = false;
    qint64 m_soundMs = 0;
    quint64 m_soundGeneration = 0;
    std::shared_ptr<const AviClip> m_video;
    QTimer *m_frameTimer = nullptr;
    int m_shownFrame = -1;
};
