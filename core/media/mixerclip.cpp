#include "core/media/mixerclip.h"

#include "core/media/aviclip.h"
#include "core/media/soundmixer.h"

#include <QImage>
#include <QTimer>

MixerClip::Decoded MixerClip::decode(const QString &fileName, bool sound, WaveSound::Failure *why)
{
    Decoded clip;
    // Whatever a decoder meets in a file, even memory that runs out, ends
    // here as a clip that cannot be opened, never in the event loop.
    try {
        if (sound) {
            clip.sound = WaveSound::decodeFile(fileName, why);
        } else if ((clip.video = AviClip::decodeFile(fileName, why))) {
            clip.sound = clip.video->sound;
            if (!clip.video->hasVideo())
                clip.video.reset();
        }
    } catch (const std::bad_alloc &) {
        *why = {false, QStringLiteral("لا تتسع الذاكرة لقراءته")};
    } catch (...) {
        *why = {false, QStringLiteral("تعذرت قراءة محتواه")};
    }
    if (!clip.sound)
        clip.video.reset();
    return clip;
}

MixerClip::MixerClip(SoundMixer &mixer, Host &host) : m_mixer(mixer), m_host(host)
{
    m_voice = m_mixer.addVoice(this, [this](quint64 generation) { onSoundEnded(generation); });
}

MixerClip::~MixerClip()
{
    m_mixer.removeVoice(m_voice);
}

void MixerClip::hold(Decoded clip)
{
    m_video = std::move(clip.video);
    m_shownFrame = -1;
    m_holding = true;
    m_soundMs = clip.sound->durationMs();
    m_mixer.setSound(m_voice, std::move(clip.sound));
}

void MixerClip::clear()
{
    m_video.reset();
    m_holding = false;
    m_mixer.setSound(m_voice, nullptr);
}

qint64 MixerClip::position() const
{
    return m_mixer.positionMs(m_voice);
}

qint64 MixerClip::duration() const
{
    return m_soundMs;
}

void MixerClip::seek(qint64 ms)
{
    m_mixer.seek(m_voice, ms);
    m_shownFrame = -1;
}

void MixerClip::play()
{
    // A clip at its end goes back to its start inside the mixer.
    m_soundGeneration = m_mixer.play(m_voice);
    if (!m_video)
        return;
    if (!m_frameTimer) {
        m_frameTimer = new QTimer(this);
        m_frameTimer->setTimerType(Qt::PreciseTimer);
        m_frameTimer->setInterval(10);
        connect(m_frameTimer, &QTimer::timeout, this, &MixerClip::showDueFrame);
    }
    // The picture of the start at once, the others as they are due.
    m_shownFrame = -1;
    showDueFrame();
    m_frameTimer->start();
}

void MixerClip::pause()
{
    m_mixer.pause(m_voice);
    if (m_frameTimer)
        m_frameTimer->stop();
}

void MixerClip::onSoundEnded(quint64 generation)
{
    // An end of an earlier start, told after the clip was started again, is
    // not this start's end.
    if (m_holding && generation == m_soundGeneration)
        m_host.clipEnded();
}

void MixerClip::showDueFrame()
{
    if (!m_video || !m_holding || !m_host.clipPlaying()) {
        if (m_frameTimer)
            m_frameTimer->stop();
        return;
    }
    const int frame = m_video->frameAt(position());
    if (frame == m_shownFrame || !m_host.showingPictures())
        return;
    m_shownFrame = frame;
    const QImage picture = m_video->picture(frame);
    if (!picture.isNull())
        m_host.showPicture(picture);
}
