#include "core/media/aviclip.h"

#include "core/media/wavesound.h"

#include <QFile>
#include <QtEndian>

#include <cstring>
#include <functional>

namespace {

// The quiz's clips are a few seconds of small pictures; a film handed over
// by mistake is left to the backend, which streams it.
constexpr qint64 MaxFileBytes = 64LL * 1024 * 1024;

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
        if (f.size > 0)
            return QImage::fromData(reinterpret_cast<const uchar *>(m_file.constData() + f.offset),
                                    int(f.size), "JPEG");
    }
    return QImage();
}

std::shared_ptr<const AviClip> AviClip::decodeFile(const QString &fileName, QString *reason)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        *reason = file.errorString();
        return nullptr;
    }
    if (file.size() > MaxFileBytes) {
        *reason = QStringLiteral("too large to hold in memory");
        return nullptr;
    }
    auto clip = std::make_shared<AviClip>();
    clip->m_file = file.readAll();
    const QByteArray &bytes = clip->m_file;
    const char *base = bytes.constData();
    const qint64 size = bytes.size();
    if (size < 12 || !isId(base, "RIFF") || !isId(base + 8, "AVI ")) {
        *reason = QStringLiteral("not a RIFF AVI file");
        return nullptr;
    }

    std::vector<Stream> streams;
    quint32 usPerFrame = 0;
    int video = -1;
    int audio = -1;
    QByteArray samples;
    // Depth first, so that the streams listed in the header are known when
    // the movie list's chunks come.
    std::function<void(qint64, qint64)> walk = [&](qint64 from, qint64 to) {
        const qint64 end = qMin(to, size);
        for (qint64 at = from; at + 8 <= end;) {
            const char *head = base + at;
            const quint32 length = le32(head + 4);
            const qint64 body = at + 8;
            const qint64 bodyEnd = qMin<qint64>(body + length, end);
            if (isId(head, "LIST") && bodyEnd >= body + 4) {
                const char *type = base + body;
                if (isId(type, "strl"))
                    streams.emplace_back();
                if (isId(type, "hdrl") || isId(type, "strl") || isId(type, "rec "))
                    walk(body + 4, bodyEnd);
                if (isId(type, "movi")) {
                    for (int i = 0; i < int(streams.size()); ++i) {
                        if (video < 0 && isId(streams[size_t(i)].type, "vids"))
                            video = i;
                        if (audio < 0 && isId(streams[size_t(i)].type, "auds"))
                            audio = i;
                    }
                    walk(body + 4, bodyEnd);
                }
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
                if (n >= 0 && n == video && head[2] == 'd')
                    clip->frames.push_back({body, bodyEnd - body});
                else if (n >= 0 && n == audio && head[2] == 'w' && head[3] == 'b')
                    samples.append(base + body, int(bodyEnd - body));
            }
            at = body + qint64(length) + (length & 1);
        }
    };
    walk(12, size);

    if (video >= 0) {
        const Stream &s = streams[size_t(video)];
        // A BITMAPINFOHEADER: the codec at byte 16.
        const bool mjpeg = s.format && s.formatLength >= 20
            && (isId(s.format + 16, "MJPG") || isId(s.format + 16, "mjpg"));
        if (!mjpeg) {
            *reason = QStringLiteral("video codec other than Motion-JPEG");
            return nullptr;
        }
        clip->frameUs = s.scale > 0 && s.rate > 0 ? qint64(s.scale) * 1000000 / s.rate : qint64(usPerFrame);
        if (clip->frameUs <= 0 || clip->frames.empty() || clip->picture(int(clip->frames.size()) - 1).isNull()) {
            *reason = QStringLiteral("pictures that cannot be read");
            return nullptr;
        }
    }
    std::shared_ptr<const WaveSound> sound;
    if (audio >= 0) {
        const Stream &s = streams[size_t(audio)];
        const WaveSound::Format format = WaveSound::Format::read(s.format, s.format ? s.formatLength : 0);
        sound = WaveSound::decodeSamples(format, samples.constData(), samples.size(), reason);
        if (!sound)
            return nullptr;
    }
    const qint64 videoMs = qint64(clip->frames.size()) * clip->frameUs / 1000;
    if (!sound || sound->durationMs() < videoMs) {
        // The last picture stays its full time, sound or not.
        auto longer = std::make_shared<WaveSound>(sound ? *sound : WaveSound());
        longer->samples.resize(size_t(videoMs * WaveSound::Rate / 1000) * size_t(longer->channels), 0);
        sound = longer;
    }
    clip->sound = sound;
    return clip;
}
