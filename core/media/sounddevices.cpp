#include "core/media/sounddevices.h"

#include <QAudioDevice>
#include <QByteArray>
#include <QMediaDevices>

namespace {

// Features of the backend's plugin registry that are never chosen on their
// own: the rank NONE keeps them out of every automatic choice.
const char *const LeftOut = "jackaudiosink:NONE,jackaudiosrc:NONE";

} // namespace

namespace SoundDevices {

void prepareBackend()
{
    // The GStreamer backend of this Qt version reports the end of a
    // playback and plays both clip kinds; the FFmpeg one misses the end of
    // playback. A choice made in the environment is kept.
    if (!qEnvironmentVariableIsSet("QT_MEDIA_BACKEND"))
        qputenv("QT_MEDIA_BACKEND", "gstreamer");
    // Ranks set in the environment are kept.
    const QByteArray ranks = qgetenv("GST_PLUGIN_FEATURE_RANK");
    if (!ranks.contains("jackaudiosink"))
        qputenv("GST_PLUGIN_FEATURE_RANK", ranks.isEmpty() ? QByteArray(LeftOut) : LeftOut + (',' + ranks));
    // Should JACK still be reached (chosen by hand), it must not start a
    // server of its own.
    if (!qEnvironmentVariableIsSet("JACK_NO_START_SERVER"))
        qputenv("JACK_NO_START_SERVER", "1");
}

bool hasOutput()
{
    return !QMediaDevices::audioOutputs().isEmpty();
}

bool hasInput()
{
    return !QMediaDevices::audioInputs().isEmpty();
}

QString noOutputText()
{
    return hasOutput() ? QString()
                       : QStringLiteral("لم يُعثر على مخرج صوت (سماعات): تعمل الأسئلة دون صوت");
}

QString noInputText()
{
    return hasInput() ? QString() : QStringLiteral("لا يوجد مدخل صوت (ميكروفون) للتسجيل");
}

} // namespace SoundDevices
