#include "core/media/clipfile.h"

#include "core/base/bidi.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

namespace {

constexpr quint32 UnknownSize = 0xFFFFFFFFu;
// Real clips have a handful of chunks before their sound or movie; the walk
// stops long before a file of millions of tiny chunks is read.
constexpr int MaxChunks = 1000;
// The first chunks of the movie list show whether it holds the streams'
// data; the decoder walks the rest, within its own limits.
constexpr int MovieChunksLooked = 64;

quint32 le32(const QByteArray &bytes, int at)
{
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

quint16 le16(const QByteArray &bytes, int at)
{
    return qFromLittleEndian<quint16>(bytes.constData() + at);
}

// A chunk id of four printable characters; anything else means the walk has
// left the chunk structure, that is the header is damaged.
bool isChunkId(const QByteArray &id)
{
    if (id.size() != 4)
        return false;
    for (char c : id) {
        if (c < 0x20 || c > 0x7e)
            return false;
    }
    return true;
}

QByteArray readAt(QIODevice &device, qint64 offset, int count)
{
    if (!device.seek(offset))
        return {};
    return device.read(count);
}

struct Walk
{
    QIODevice &device;
    qint64 end;        // where the RIFF data ends
    bool sizeKnown;    // false when the writer left the RIFF size open
};

const QString &reasonNotAClip()
{
    static const QString text = QStringLiteral("الملف ليس مقطع صوت wav ولا فيديو avi");
    return text;
}

const QString &reasonIncomplete()
{
    static const QString text =
        QStringLiteral("الملف ناقص، وربما ما زال برنامج آخر يكتبه");
    return text;
}

ClipFile::Check fail(const QString &name, const QString &reason)
{
    ClipFile::Check result;
    result.error = ClipFile::openError(name, reason);
    return result;
}

ClipFile::Check checkWave(const Walk &walk, const QString &name)
{
    const QString broken = QStringLiteral("رأس ملف الصوت wav تالف");
    bool haveFormat = false;
    bool haveData = false;
    qint64 offset = 12;
    for (int n = 0; n < MaxChunks && offset + 8 <= walk.end; ++n) {
        const QByteArray head = readAt(walk.device, offset, 8);
        if (head.size() < 8)
            return fail(name, reasonIncomplete());
        const QByteArray id = head.left(4);
        const quint32 length = le32(head, 4);
        if (!isChunkId(id))
            return fail(name, broken);
        const qint64 chunkEnd = offset + 8 + qint64(length);
        if (id == "fmt ") {
            if (length < 16)
                return fail(name, broken);
            if (chunkEnd > walk.end)
                return fail(name, reasonIncomplete());
            const QByteArray format = readAt(walk.device, offset + 8, 16);
            if (format.size() < 16)
                return fail(name, reasonIncomplete());
            const quint16 tag = le16(format, 0);
            const quint16 channels = le16(format, 2);
            const quint32 rate = le32(format, 4);
            if (tag == 0 || channels == 0 || channels > 64 || rate == 0 || rate > 1000000)
                return fail(name, QStringLiteral("صيغة الصوت المكتوبة في رأس ملف wav غير صالحة"));
            haveFormat = true;
        } else if (id == "data") {
            // A writer that streams leaves the data size open or at zero, a
            // recorder cut off leaves it beyond the end: the data then runs
            // to the end of the file, and what is there plays.
            haveData = offset + 8 < walk.end;
            if (length == UnknownSize || length == 0 || chunkEnd > walk.end || haveFormat)
                break;
        } else if (chunkEnd > walk.end) {
            return fail(name, broken);
        }
        offset = chunkEnd + (length & 1);
    }
    if (!haveFormat)
        return fail(name, broken);
    if (!haveData)
        return fail(name, QStringLiteral("لا يحوي ملف wav أي صوت"));
    ClipFile::Check result;
    result.kind = ClipFile::Kind::Wave;
    return result;
}

// The stream types listed in the header list ("hdrl"): "vids" for video,
// "auds" for sound.
QList<QByteArray> aviStreamTypes(QIODevice &device, qint64 begin, qint64 end, bool *ok)
{
    QList<QByteArray> types;
    *ok = true;
    qint64 offset = begin;
    for (int n = 0; n < MaxChunks && offset + 8 <= end; ++n) {
        const QByteArray head = readAt(device, offset, 12);
        if (head.size() < 8 || !isChunkId(head.left(4))) {
            *ok = false;
            return types;
        }
        const quint32 length = le32(head, 4);
        const qint64 chunkEnd = offset + 8 + qint64(length);
        if (chunkEnd > end) {
            *ok = false;
            return types;
        }
        if (head.left(4) == "LIST" && head.mid(8, 4) == "strl") {
            qint64 inner = offset + 12;
            for (int m = 0; m < MaxChunks && inner + 8 <= chunkEnd; ++m) {
                const QByteArray sub = readAt(device, inner, 12);
                if (sub.size() < 8 || !isChunkId(sub.left(4))) {
                    *ok = false;
                    return types;
                }
                const quint32 subLength = le32(sub, 4);
                if (sub.left(4) == "strh" && subLength >= 4 && sub.size() == 12)
                    types.append(sub.mid(8, 4));
                inner += 8 + qint64(subLength) + (subLength & 1);
            }
        }
        offset = chunkEnd + (length & 1);
    }
    return types;
}

// The first chunks of the movie list: stream data ("00dc", "01wb"...), the
// "rec " lists that group them and padding, each inside the list.
bool movieLooksSound(QIODevice &device, qint64 begin, qint64 end)
{
    qint64 offset = begin;
    for (int n = 0; n < MovieChunksLooked && offset + 8 <= end; ++n) {
        const QByteArray head = readAt(device, offset, 12);
        if (head.size() < 8 || !isChunkId(head.left(4)))
            return false;
        const quint32 length = le32(head, 4);
        // A chunk still being written: what the decoder reads of it is the
        // decoder's concern.
        if (offset + 8 + qint64(length) > end)
            return true;
        // Into a group of chunks, rather than over it.
        if (head.left(4) == "LIST" && head.size() == 12 && head.mid(8, 4) == "rec ")
            offset += 12;
        else
            offset += 8 + qint64(length) + (length & 1);
    }
    return true;
}

ClipFile::Check checkAvi(const Walk &walk, const QString &name)
{
    const QString broken = QStringLiteral("رأس ملف الفيديو avi تالف");
    bool haveHeader = false;
    bool haveVideo = false;
    bool haveSound = false;
    bool haveMovie = false;
    qint64 offset = 12;
    for (int n = 0; n < MaxChunks && offset + 8 <= walk.end && !haveMovie; ++n) {
        const QByteArray head = readAt(walk.device, offset, 12);
        if (head.size() < 8)
            return fail(name, reasonIncomplete());
        if (!isChunkId(head.left(4)))
            return fail(name, broken);
        const quint32 length = le32(head, 4);
        const qint64 chunkEnd = offset + 8 + qint64(length);
        const bool isList = head.left(4) == "LIST" && head.size() == 12;
        const QByteArray listType = isList ? head.mid(8, 4) : QByteArray();
        if (listType == "hdrl") {
            if (chunkEnd > walk.end)
                return fail(name, broken);
            bool ok = false;
            const QList<QByteArray> types =
                aviStreamTypes(walk.device, offset + 12, chunkEnd, &ok);
            if (!ok)
                return fail(name, broken);
            haveHeader = true;
            haveVideo = types.contains("vids");
            haveSound = types.contains("auds");
        } else if (listType == "movi") {
            if (walk.sizeKnown && chunkEnd > walk.end)
                return fail(name, reasonIncomplete());
            haveMovie = true;
            if (!movieLooksSound(walk.device, offset + 12, qMin(chunkEnd, walk.end)))
                return fail(name, broken);
        } else if (chunkEnd > walk.end) {
            return fail(name, broken);
        }
        offset = chunkEnd + (length & 1);
    }
    if (!haveHeader)
        return fail(name, broken);
    // An avi with sound only is a sound clip in a video file: it is played
    // like one, with nothing to show.
    if (!haveVideo && !haveSound)
        return fail(name, QStringLiteral("ملف avi لا يحوي صورة فيديو ولا صوتاً"));
    if (!haveMovie)
        return fail(name, reasonIncomplete());
    ClipFile::Check result;
    result.kind = ClipFile::Kind::Avi;
    result.hasVideo = haveVideo;
    return result;
}

} // namespace

QString ClipFile::openError(const QString &name, const QString &reason)
{
    return QStringLiteral("تعذر فتح المقطع \"%1\": %2").arg(Bidi::path(name), reason);
}

ClipFile::Check ClipFile::check(const QString &path)
{
    const QFileInfo info(path);
    if (path.isEmpty())
        return fail(path, QStringLiteral("لم يُحدَّد اسم الملف"));
    if (!info.exists())
        return fail(path, QStringLiteral("الملف غير موجود"));
    if (info.isDir())
        return fail(path, QStringLiteral("هذا الاسم لمجلد وليس لملف"));
    // A named pipe or a device would make the opening wait, or read for ever.
    if (!info.isFile())
        return fail(path, QStringLiteral("هذا الاسم ليس لملف عادي"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return fail(path, QStringLiteral("لا يمكن قراءة الملف، فقد يكون محمياً "
                                         "أو مستخدماً من برنامج آخر"));
    }
    if (file.size() == 0)
        return fail(path, QStringLiteral("الملف فارغ (حجمه صفر)"));
    return check(file, path);
}

ClipFile::Check ClipFile::check(QIODevice &device, const QString &name)
{
    const qint64 size = device.size();
    if (size == 0)
        return fail(name, QStringLiteral("الملف فارغ (حجمه صفر)"));
    const QByteArray head = readAt(device, 0, 12);
    if (head.size() < 12 || !head.startsWith("RIFF"))
        return fail(name, reasonNotAClip());
    const QByteArray form = head.mid(8, 4);
    if (form != "WAVE" && form != "AVI ")
        return fail(name, reasonNotAClip());

    const quint32 riffSize = le32(head, 4);
    bool sizeKnown = riffSize != 0 && riffSize != UnknownSize;
    // A wav cut off holds what it holds: its sizes are mended as it is read.
    if (form == "WAVE" && qint64(riffSize) + 8 > size + 1)
        sizeKnown = false;
    qint64 end = size;
    if (sizeKnown) {
        // One byte of slack: some writers leave out the final pad byte.
        if (qint64(riffSize) + 8 > size + 1)
            return fail(name, reasonIncomplete());
        end = qMin(size, qint64(riffSize) + 8);
    }
    const Walk walk{device, end, sizeKnown};
    return form == "WAVE" ? checkWave(walk, name) : checkAvi(walk, name);
}

bool ClipFile::fixWaveSizes(QByteArray &wave)
{
    if (wave.size() < 12 || !wave.startsWith("RIFF") || wave.mid(8, 4) != "WAVE")
        return false;
    const qint64 size = wave.size();
    auto put32 = [&wave](int at, quint32 value) {
        qToLittleEndian<quint32>(value, wave.data() + at);
    };
    qint64 offset = 12;
    for (int n = 0; n < MaxChunks && offset + 8 <= size; ++n) {
        const quint32 length = le32(wave, int(offset) + 4);
        if (wave.mid(int(offset), 4) == "data") {
            const qint64 available = size - offset - 8;
            if (length == 0 || length == UnknownSize || qint64(length) > available)
                put32(int(offset) + 4, quint32(available));
            if (le32(wave, 4) != quint32(size - 8))
                put32(4, quint32(size - 8));
            return true;
        }
        offset += 8 + qint64(length) + (length & 1);
    }
    return false;
}
