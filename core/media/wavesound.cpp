#include "core/media/wavesound.h"

#include "core/media/clipfile.h"

#include <QFile>
#include <QtEndian>

#include <cmath>
#include <cstring>

namespace {

constexpr quint16 FormatPcm = 1;
constexpr quint16 FormatFloat = 3;
constexpr quint16 FormatExtensible = 0xFFFE;
// A wav is a handful of chunks; a file of thousands is not a recording.
constexpr int MaxChunks = 10000;

using Format = WaveSound::Format;

std::nullptr_t fail(WaveSound::Failure *why, const QString &reason, bool foreign = false)
{
    why->foreign = foreign;
    why->reason = reason;
    return nullptr;
}

QString tooLong()
{
    return QStringLiteral("المقطع أطول من ثلاث دقائق، أطول مما يحفظه البرنامج");
}

// One sample of the source as a value from -1 to 1.
double sampleAt(const char *at, const Format &format)
{
    if (format.tag == FormatFloat) {
        if (format.bits == 64)
            return qFromLittleEndian<double>(at);
        return double(qFromLittleEndian<float>(at));
    }
    switch (format.bits) {
    case 8:
        return (int(quint8(*at)) - 128) / 128.0;
    case 16:
        return qFromLittleEndian<qint16>(at) / 32768.0;
    case 24: {
        const qint32 v = qint32(quint32(quint8(at[0])) << 8 | quint32(quint8(at[1])) << 16
                                | quint32(quint8(at[2])) << 24);
        return v / 2147483648.0;
    }
    default:
        return qFromLittleEndian<qint32>(at) / 2147483648.0;
    }
}

qint16 toInt16(double v)
{
    if (std::isnan(v))
        return 0;
    const double scaled = std::round(v * 32767.0);
    return qint16(qBound(-32768.0, scaled, 32767.0));
}

} // namespace

WaveSound::Format WaveSound::Format::read(const char *chunk, qint64 length)
{
    Format format;
    if (length < 16)
        return format;
    format.tag = qFromLittleEndian<quint16>(chunk);
    format.channels = qFromLittleEndian<quint16>(chunk + 2);
    format.rate = int(qFromLittleEndian<quint32>(chunk + 4));
    format.blockAlign = qFromLittleEndian<quint16>(chunk + 12);
    format.bits = qFromLittleEndian<quint16>(chunk + 14);
    // The extensible header names the real format in its sub-format GUID,
    // whose first two bytes are the plain format's tag.
    if (format.tag == FormatExtensible && length >= 40)
        format.tag = qFromLittleEndian<quint16>(chunk + 24);
    return format;
}

std::shared_ptr<const WaveSound> WaveSound::decode(QByteArray bytes, Failure *why)
{
    if (bytes.size() < 12 || !bytes.startsWith("RIFF") || bytes.mid(8, 4) != "WAVE")
        return fail(why, QStringLiteral("الملف ليس مقطع صوت wav"));
    // A recorder cut off, or one that writes the sizes only at its end,
    // leaves them at zero or open: the data then runs to the end of what the
    // file holds. The bytes are this reader's own, so nothing is copied.
    ClipFile::fixWaveSizes(bytes);
    Format format;
    const char *data = nullptr;
    qint64 dataSize = 0;
    int chunks = 0;
    for (qint64 at = 12; at + 8 <= bytes.size(); ++chunks) {
        if (chunks == MaxChunks)
            return fail(why, QStringLiteral("رأس ملف الصوت wav تالف"));
        const char *head = bytes.constData() + at;
        const quint32 length = qFromLittleEndian<quint32>(head + 4);
        const qint64 available = bytes.size() - at - 8;
        if (std::memcmp(head, "fmt ", 4) == 0) {
            format = Format::read(head + 8, qMin<qint64>(length, available));
        } else if (std::memcmp(head, "data", 4) == 0) {
            data = head + 8;
            dataSize = qMin<qint64>(length, available);
            if (format.tag != 0)
                break;
        }
        at += 8 + qint64(length) + (length & 1);
    }
    std::shared_ptr<const WaveSound> sound = decodeSamples(format, data, dataSize, why);
    if (sound && sound->samples.empty())
        return fail(why, QStringLiteral("لا يحوي ملف wav أي صوت"));
    return sound;
}

std::shared_ptr<WaveSound> WaveSound::decodeSamples(const Format &format, const char *data,
                                                    qint64 dataSize, Failure *why)
{
    const bool pcm = format.tag == FormatPcm
        && (format.bits == 8 || format.bits == 16 || format.bits == 24 || format.bits == 32);
    const bool floating = format.tag == FormatFloat && (format.bits == 32 || format.bits == 64);
    if (!pcm && !floating) {
        // Compressed sound (mu-law, ADPCM...) is the backend's to decode.
        return fail(why, QStringLiteral("صيغة الصوت 0x%1 بـ %2 بت")
                             .arg(format.tag, 4, 16, QLatin1Char('0')).arg(format.bits),
                    true);
    }
    if (!data || format.channels < 1 || format.rate < 1000 || format.rate > 384000
        || format.blockAlign < format.channels * format.bits / 8)
        return fail(why, QStringLiteral("صيغة الصوت المكتوبة في رأس الملف غير صالحة"));
    // Sizes of at most 32 bits, rates of at most 384000: no product below
    // leaves 64 bits.
    const qint64 sourceFrames = qMax<qint64>(0, dataSize) / format.blockAlign;
    const qint64 frames = sourceFrames * Rate / format.rate;
    if (frames > MaxFrames)
        return fail(why, tooLong());

    auto sound = std::make_shared<WaveSound>();
    // Two channels at most: what more a file has is not for a child's
    // loudspeaker, and a stereo pair keeps its first two.
    sound->channels = format.channels >= 2 ? 2 : 1;
    const int bytesPerSample = format.bits / 8;
    const auto source = [&](qint64 frame, int channel) {
        return sampleAt(data + frame * format.blockAlign + channel * bytesPerSample, format);
    };
    sound->samples.resize(size_t(frames) * size_t(sound->channels));
    qint16 *out = sound->samples.data();
    if (format.rate == Rate) {
        for (qint64 f = 0; f < frames; ++f)
            for (int c = 0; c < sound->channels; ++c)
                *out++ = toInt16(source(f, c));
    } else {
        // Linear interpolation: plenty for speech, and done once per clip.
        const double step = double(format.rate) / Rate;
        for (qint64 f = 0; f < frames; ++f) {
            const double x = double(f) * step;
            const qint64 i = qMin(qint64(x), sourceFrames - 1);
            const double t = x - double(i);
            const qint64 j = qMin(i + 1, sourceFrames - 1);
            for (int c = 0; c < sound->channels; ++c) {
                const double a = source(i, c);
                *out++ = toInt16(a + (source(j, c) - a) * t);
            }
        }
    }
    return sound;
}

std::shared_ptr<const WaveSound> WaveSound::decodeFile(const QString &fileName, Failure *why)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return fail(why, QStringLiteral("لا يمكن قراءة الملف"));
    // A file larger than this is never read into memory: the backend
    // streams it. So no wav costs more than these bytes, for the time of
    // the decoding, and its sound.
    if (file.size() > MaxFileBytes)
        return fail(why, QStringLiteral("الملف أكبر مما يحفظه البرنامج في الذاكرة"), true);
    // Read in one go: mapping would keep the file open for as long as the
    // clip is held, and another program replaces clip files.
    return decode(file.readAll(), why);
}
