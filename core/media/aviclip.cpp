#include "core/media/aviclip.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QtEndian>

#include <cstring>
#include <functional>

namespace {

using Failure = WaveSound::Failure;

// Each bound is far beyond what a clip of a few seconds of small pictures
// needs, and each keeps a crafted file from costing more than its bytes, a
// bounded sound and a bounded list of frames.
// hdrl > strl and movi > rec are the deepest real files go.
constexpr int MaxListDepth = 4;
constexpr int MaxChunks = 200000;
constexpr qint64 MaxFrameCount = 50000;
constexpr qint64 MaxDurationUs = WaveSound::MaxFrames * 1000000 / WaveSound::Rate;
// A picture larger than a 4K screen is not a quiz card; decoded, it would
// take tens of megabytes at each frame.
constexpr qint64 MaxPicturePixels = 3840LL * 2160;

std::nullptr_t fail(Failure *why, const QString &reason, bool foreign = false)
{
    why->foreign = foreign;
    why->reason = reason;
    return nullptr;
}

QString broken()
{
    return QStringLiteral("ملف الفيديو avi تالف");
}

quint32 le32(const char *at)
{
    return qFromLittleEndian<quint32>(at);
}

bool isId(const char *at, const char *id)
{
    return std::memcmp(at, id, 4) == 0;
}

// "00dc", "01wb": the stream a chunk of the movie list belongs to.
int streamOf(const char *id)
{
    if (id[0] < '0' || id[0] > '9' || id[1] < '0' || id[1] > '9')
        return -1;
    return (id[0] - '0') * 10 + (id[1] - '0');
}

struct Stream
{
    char type[4] = {0, 0, 0, 0};
    quint32 scale = 0;
    quint32 rate = 0;
    const char *format = nullptr;
    qint64 formatLength = 0;
};

} // namespace

int AviClip::frameAt(qint64 ms) const
{
    if (frames.empty() || frameUs <= 0)
        return -1;
    return int(qBound<qint64>(0, ms * 1000 / frameUs, qint64(frames.size()) - 1));
}

QImage AviClip::picture(int frame) const
{
    for (int i = qMin(frame, int(frames.size()) - 1); i >= 0; --i) {
        const Frame &f = frames[size_t(i)];
        if (f.size <= 0)
            continue;
        QByteArray jpeg = QByteArray::fromRawData(m_file.constData() + f.offset, qsizetype(f.size));
        QBuffer buffer(&jpeg);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer, "JPEG");
        // The size is in the picture's header: a picture too large to be
        // one of a clip's is not decoded at all.
        const QSize size = reader.size();
        if (!size.isValid() || size.width() > 8192 || size.height() > 8192
            || qint64(size.width()) * size.height() > MaxPicturePixels)
            return QImage();
        return reader.read();
    }
    return QImage();
}

std::shared_ptr<const AviClip> AviClip::decodeFile(const QString &fileName, Failure *why)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return fail(why, QStringLiteral("لا يمكن قراءة الملف"));
    // The quiz's clips are a few seconds of small pictures; a film handed
    // over by mistake is left to the backend, which streams it.
    if (file.size() > WaveSound::MaxFileBytes)
        return fail(why, QStringLiteral("الملف أكبر مما يحفظه البرنامج في الذاكرة"), true);
    return decode(file.readAll(), why);
}

std::shared_ptr<const AviClip> AviClip::decode(QByteArray bytes, Failure *why)
{
    auto clip = std::make_shared<AviClip>();
    clip->m_file = std::move(bytes);
    const char *base = clip->m_file.constData();
    const qint64 size = clip->m_file.size();
    if (size < 12 || !isId(base, "RIFF") || !isId(base + 8, "AVI "))
        return fail(why, QStringLiteral("الملف ليس فيديو avi"));

    std::vector<Stream> streams;
    quint32 usPerFrame = 0;
    int video = -1;
    int audio = -1;
    // Where the sound chunks lie; copied once their sum is known to fit.
    std::vector<Frame> soundChunks;
    qint64 soundBytes = 0;
    qint64 chunks = 0;
    QString refusal;
    // Depth first, so that the streams listed in the header are known when
    // the movie list's chunks come. The depth is bounded, so is the stack.
    std::function<bool(qint64, qint64, int)> walk = [&](qint64 from, qint64 to, int depth) {
        if (depth > MaxListDepth) {
            refusal = broken();
            return false;
        }
        const qint64 end = qMin(to, size);
        for (qint64 at = from; at + 8 <= end;) {
            if (++chunks > MaxChunks) {
                refusal = QStringLiteral("ملف الفيديو avi مقسم إلى قطع أكثر مما يحويه مقطع");
                return false;
            }
            const char *head = base + at;
            const quint32 length = le32(head + 4);
            const qint64 body = at + 8;
            const qint64 bodyEnd = qMin<qint64>(body + length, end);
            if (isId(head, "LIST") && bodyEnd >= body + 4) {
                const char *type = base + body;
                if (isId(type, "strl"))
                    streams.emplace_back();
                if (isId(type, "movi")) {
                    for (int i = 0; i < int(streams.size()); ++i) {
                        if (video < 0 && isId(streams[size_t(i)].type, "vids"))
                            video = i;
                        if (audio < 0 && isId(streams[size_t(i)].type, "auds"))
                            audio = i;
                    }
                }
                if ((isId(type, "hdrl") || isId(type, "strl") || isId(type, "rec ") || isId(type, "movi"))
                    && !walk(body + 4, bodyEnd, depth + 1))
                    return false;
            } else if (isId(head, "avih") && bodyEnd - body >= 4) {
                usPerFrame = le32(base + body);
            } else if (isId(head, "strh") && !streams.empty() && bodyEnd - body >= 28) {
                std::memcpy(streams.back().type, base + body, 4);
                streams.back().scale = le32(base + body + 20);
                streams.back().rate = le32(base + body + 24);
            } else if (isId(head, "strf") && !streams.empty()) {
                streams.back().format = base + body;
                streams.back().formatLength = bodyEnd - body;
            } else {
                const int n = streamOf(head);
                if (n >= 0 && n == video && head[2] == 'd') {
                    if (qint64(clip->frames.size()) == MaxFrameCount) {
                        refusal = QStringLiteral("المقطع يحوي صوراً أكثر مما يحويه مقطع");
                        return false;
                    }
                    clip->frames.push_back({body, bodyEnd - body});
                } else if (n >= 0 && n == audio && head[2] == 'w' && head[3] == 'b') {
                    soundChunks.push_back({body, bodyEnd - body});
                    soundBytes += bodyEnd - body;
                }
            }
            at = body + qint64(length) + (length & 1);
        }
        return true;
    };
    if (!walk(12, size, 0))
        return fail(why, refusal);

    if (video >= 0) {
        const Stream &s = streams[size_t(video)];
        // A BITMAPINFOHEADER: the codec at byte 16.
        const bool mjpeg = s.format && s.formatLength >= 20
            && (isId(s.format + 16, "MJPG") || isId(s.format + 16, "mjpg"));
        if (!mjpeg)
            return fail(why, QStringLiteral("صيغة فيديو غير Motion-JPEG"), true);
        // Both at most 32 bits: the product fits, and so does every
        // product with the frame count below.
        clip->frameUs = s.scale > 0 && s.rate > 0 ? qint64(s.scale) * 1000000 / s.rate : qint64(usPerFrame);
        if (clip->frameUs <= 0 || clip->frames.empty())
            return fail(why, QStringLiteral("لا يحوي الملف صوراً تُقرأ"));
        if (clip->frameUs > MaxDurationUs
            || qint64(clip->frames.size()) * clip->frameUs > MaxDurationUs)
            return fail(why, QStringLiteral("المقطع أطول من ثلاث دقائق، أطول مما يحفظه البرنامج"));
        if (clip->picture(int(clip->frames.size()) - 1).isNull())
            return fail(why, QStringLiteral("لا يحوي الملف صوراً تُقرأ"));
    }
    std::shared_ptr<WaveSound> sound;
    if (audio >= 0) {
        const Stream &s = streams[size_t(audio)];
        const WaveSound::Format format = WaveSound::Format::read(s.format, s.format ? s.formatLength : 0);
        // Gathered into one piece, at most the file's own size.
        QByteArray samples;
        samples.reserve(qsizetype(soundBytes));
        for (const Frame &c : soundChunks)
            samples.append(base + c.offset, qsizetype(c.size));
        soundChunks = {};
        sound = WaveSound::decodeSamples(format, samples.constData(), samples.size(), why);
        if (!sound)
            return nullptr;
    }
    // Only the pictures stay: padding, an index or the sound's bytes in the
    // file would otherwise be held for as long as the clip is.
    qint64 pictureBytes = 0;
    for (const Frame &f : clip->frames)
        pictureBytes += f.size;
    if (pictureBytes < size / 4 * 3) {
        QByteArray pictures;
        pictures.reserve(qsizetype(pictureBytes));
        for (Frame &f : clip->frames) {
            const qint64 offset = pictures.size();
            pictures.append(base + f.offset, qsizetype(f.size));
            f.offset = offset;
        }
        clip->m_file = std::move(pictures);
        base = nullptr;
    }
    if (!clip->hasVideo() && sound && sound->samples.empty())
        return fail(why, QStringLiteral("لا يحوي ملف avi أي صوت"));
    if (!sound && !clip->hasVideo())
        return fail(why, QStringLiteral("ملف avi لا يحوي صورة فيديو ولا صوتاً"));
    // At most MaxDurationUs, checked above.
    const qint64 videoMs = qint64(clip->frames.size()) * clip->frameUs / 1000;
    if (!sound)
        sound = std::make_shared<WaveSound>();
    if (sound->durationMs() < videoMs) {
        // The last picture stays its full time, sound or not.
        sound->samples.resize(size_t(videoMs * WaveSound::Rate / 1000) * size_t(sound->channels), 0);
    }
    clip->sound = std::move(sound);
    return clip;
}
