#include "core/base/picturefile.h"

#include "core/base/bidi.h"
#include "core/base/metafile.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QXmlStreamReader>
#include <QtEndian>

#include <limits>
#include <new>

namespace {

/// An uncompressed bitmap shorter than its header promises: Qt's reader
/// accepts it and leaves the missing rows undefined, so it is refused here.
bool bitmapIsTruncated(const QByteArray &start, qint64 fileSize)
{
    const QByteArray head = start.left(14 + 20);
    if (head.size() < 14 + 16 || !head.startsWith("BM"))
        return false; // not a plain bitmap header: left to the reader
    const auto *p = reinterpret_cast<const uchar *>(head.constData());
    const quint32 dataOffset = qFromLittleEndian<quint32>(p + 10);
    const quint32 infoSize = qFromLittleEndian<quint32>(p + 14);
    qint64 width = 0, height = 0, bitCount = 0;
    quint32 compression = 0;
    if (infoSize == 12) {
        width = qFromLittleEndian<quint16>(p + 18);
        height = qFromLittleEndian<quint16>(p + 20);
        bitCount = qFromLittleEndian<quint16>(p + 24);
    } else if (infoSize >= 40 && head.size() >= 14 + 20) {
        width = qFromLittleEndian<qint32>(p + 18);
        height = qFromLittleEndian<qint32>(p + 22);
        bitCount = qFromLittleEndian<quint16>(p + 28);
        compression = qFromLittleEndian<quint32>(p + 30);
    } else {
        return false;
    }
    // Run-length and embedded-jpeg/png bitmaps have no fixed size.
    const bool uncompressed = compression == 0 || compression == 3 || compression == 6;
    if (!uncompressed || width <= 0 || bitCount <= 0)
        return false;
    // Within 64 bits: width below 2^31 and bitCount below 2^16.
    const qint64 stride = (width * bitCount + 31) / 32 * 4;
    const qint64 rows = qAbs(height);
    // Rows that no file could hold: truncated, whatever the file's size.
    if (rows > (std::numeric_limits<qint64>::max() - qint64(dataOffset)) / stride)
        return true;
    const qint64 needed = qint64(dataOffset) + stride * rows;
    return fileSize < needed;
}

// The start of a file that the checks before decoding look at.
constexpr qint64 HeadBytes = 1 << 20;
// A drawing is looked through whole before it is drawn: drawings are small.
constexpr qint64 MaxSvgBytes = 8 * 1024 * 1024;

bool decodesScaled(const QByteArray &format)
{
    return format == "jpg" || format == "jpeg" || format == "jfif" || format == "svg";
}

/// True for a jpeg whose frame is not sequential (progressive, lossless or
/// hierarchical): its decoder keeps the coefficients of the whole picture,
/// at full size, whatever size is asked for, so it gets the pixel budget of
/// the other readers. Walks the markers up to the first frame header within
/// the start of the file; one found no earlier is taken as such a frame.
bool jpegKeepsWholeFrame(const QByteArray &bytes)
{
    const auto *p = reinterpret_cast<const uchar *>(bytes.constData());
    const qsizetype size = bytes.size();
    if (size < 4 || p[0] != 0xFF || p[1] != 0xD8)
        return false;
    qsizetype at = 2;
    while (at + 4 <= size) {
        if (p[at] != 0xFF)
            return false; // not a marker: the reader will refuse the file
        const uchar marker = p[at + 1];
        if (marker == 0xFF) { // fill byte
            ++at;
            continue;
        }
        // Frame headers: C0 and C1 are sequential; C4 (tables), C8 and CC
        // are not frames.
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC)
            return marker != 0xC0 && marker != 0xC1;
        const qsizetype length = (qsizetype(p[at + 2]) << 8) | p[at + 3];
        if (length < 2)
            return false;
        at += 2 + length; // every step moves on: the walk ends with the data
    }
    return at + 4 > size && size >= HeadBytes;
}

/// True when the svg names anything outside itself: a picture in another
/// file would be read from wherever the name points (a device, a
/// pipe, a file of someone else), so such a file is not a picture here.
/// Only references into the file itself ("#id") and embedded data pass.
bool svgReachesOutside(const QByteArray &bytes)
{
    QXmlStreamReader xml(bytes);
    // Read as the drawing's reader reads it: names as written, prefix and all.
    xml.setNamespaceProcessing(false);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement) {
            for (const QXmlStreamAttribute &a : xml.attributes()) {
                const QStringView name = a.qualifiedName();
                const QStringView value = a.value().trimmed();
                const bool href = name == QLatin1String("href") || name.endsWith(QLatin1String(":href"));
                if (href && !value.startsWith(QLatin1Char('#'))
                    && !value.startsWith(QLatin1String("data:"), Qt::CaseInsensitive))
                    return true;
            }
        }
    }
    // A file the check could not read to its end is not read further either.
    return xml.hasError();
}

/// What one attempt with one reader gave.
enum class Read { Ok, Failed, TooLarge };

/// One attempt with one reader on the file's device, whose start is `head`.
/// *fullSize receives the picture's own size when the header could be read.
Read readScaled(QIODevice *device, const QByteArray &head, const QByteArray &format, int maxSide,
                QImage *out, QSize *fullSize)
{
    device->seek(0);
    QImageReader reader(device, format);
    // The format named is the one used: the content decides only in the
    // attempt that names none, where the format found is then checked.
    reader.setAutoDetectImageFormat(format.isEmpty());
    // Phone photos are stored sideways with an orientation tag.
    reader.setAutoTransform(true);
    const QByteArray actual = reader.format().toLower();
    if (actual.startsWith("svg")) {
        // Compressed, too long to look through, or reaching outside: not read.
        if (actual != "svg" || device->size() > MaxSvgBytes)
            return Read::Failed;
        device->seek(0);
        if (svgReachesOutside(device->read(MaxSvgBytes)))
            return Read::Failed;
        device->seek(0);
    }
    const QSize size = reader.size();
    if (size.isValid() && !size.isEmpty()) {
        *fullSize = size;
        const qint64 pixels = qint64(size.width()) * size.height();
        const bool scaledDecode = decodesScaled(actual) && !(actual != "svg" && jpegKeepsWholeFrame(head));
        if (actual == "svg") {
            // Drawn at the size asked for: no pixel budget applies.
        } else if (pixels > (scaledDecode ? PictureFile::MaxJpegPixels : PictureFile::MaxPixels)) {
            return Read::TooLarge;
        }
        if (size.width() > maxSide || size.height() > maxSide) {
            QSize scaled = size.scaled(maxSide, maxSide, Qt::KeepAspectRatio);
            scaled = scaled.expandedTo(QSize(1, 1));
            reader.setScaledSize(scaled);
        }
    }
    QImage image = reader.read();
    if (image.isNull())
        return Read::Failed;
    // A decoder may deliver another size than its header told, or than it
    // was asked for (a bitmap whose header says more than the file holds):
    // the picture is never larger than asked.
    if (image.width() > maxSide || image.height() > maxSide)
        image = image.scaled(QSize(maxSide, maxSide).expandedTo(QSize(1, 1)), Qt::KeepAspectRatio,
                             Qt::SmoothTransformation);
    if (image.isNull())
        return Read::Failed;
    *out = image;
    return Read::Ok;
}

} // namespace

QStringList PictureFile::supportedSuffixes()
{
    QStringList out;
    const QList<QByteArray> formats = QImageReader::supportedImageFormats();
    for (const QByteArray &f : formats) {
        const QString s = QString::fromLatin1(f).toLower();
        // A compressed drawing cannot be looked through before it is read.
        if (s == QLatin1String("svgz"))
            continue;
        if (!out.contains(s))
            out.append(s);
    }
    for (const QString &s : Metafile::suffixes())
        if (!out.contains(s))
            out.append(s);
    return out;
}

QStringList PictureFile::dialogFilters()
{
    const QStringList suffixes = supportedSuffixes();
    QStringList patterns;
    for (const QString &s : suffixes)
        patterns.append(QStringLiteral("*.") + s);
    QStringList filters;
    filters.append(QStringLiteral("كل الصور (%1)").arg(patterns.join(QLatin1Char(' '))));
    for (const QString &s : suffixes)
        filters.append(QStringLiteral("%1 (*.%2)").arg(s.toUpper(), s));
    filters.append(QStringLiteral("كل الملفات (*)"));
    return filters;
}

bool PictureFile::isKnownSuffix(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    return !suffix.isEmpty() && supportedSuffixes().contains(suffix);
}

QString PictureFile::unknownExtensionText(const QString &suffix)
{
    return QStringLiteral("Unknown picture file extension (.%1)").arg(suffix);
}

QString PictureFile::invalidText(const QString &suffix)
{
    const QString s = suffix.toLower();
    if (s == QLatin1String("bmp") || s == QLatin1String("dib"))
        return QStringLiteral("Bitmap image is not valid");
    if (s == QLatin1String("ico") || s == QLatin1String("cur") || s == QLatin1String("icns"))
        return QStringLiteral("Icon image is not valid");
    if (s == QLatin1String("emf") || s == QLatin1String("wmf"))
        return QStringLiteral("Metafile is not valid");
    if (s == QLatin1String("jpg") || s == QLatin1String("jpeg") || s == QLatin1String("jfif"))
        return QStringLiteral("JPEG image is not valid");
    if (s == QLatin1String("svgz"))
        return QStringLiteral("SVG image is not valid");
    if (s == QLatin1String("tif"))
        return QStringLiteral("TIFF image is not valid");
    return QStringLiteral("%1 image is not valid").arg(s.toUpper());
}

Result PictureFile::load(const QString &path, QImage *image, int maxSide)
{
    const auto fail = [](const QString &text) { return Result::failure(text); };
    const QFileInfo info(path);
    const QString suffix = info.suffix();
    // The extension decides first, as the picker's filter does: a file whose
    // extension no reader knows is refused whatever it holds.
    if (!isKnownSuffix(path))
        return fail(unknownExtensionText(suffix));
    if (!info.exists())
        return fail(QStringLiteral("ملف الصورة غير موجود: %1").arg(Bidi::path(path)));
    // Only a plain file is read: a pipe or a device would never end.
    if (!info.isFile() || !info.isReadable())
        return fail(QStringLiteral("لا يمكن قراءة ملف الصورة: %1").arg(Bidi::path(path)));
    if (info.size() > MaxFileBytes)
        return fail(tooLargeFileText(path, info.size()));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("لا يمكن قراءة ملف الصورة: %1").arg(Bidi::path(path)));
    // Decoded from the file itself: no copy of it is held meanwhile.
    return decodeFrom(&file, suffix, image, maxSide);
}

Result PictureFile::decode(const QByteArray &bytes, const QString &suffix, QImage *image, int maxSide)
{
    if (bytes.size() > MaxFileBytes)
        return Result::failure(QStringLiteral("ملف الصورة كبير جداً (%L1 ميغابايت): اختر صورة أصغر")
                                   .arg((bytes.size() + (1 << 20) - 1) >> 20));
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return decodeFrom(&buffer, suffix, image, maxSide);
}

Result PictureFile::decodeFrom(QIODevice *device, const QString &suffix, QImage *image, int maxSide)
{
    const auto fail = [](const QString &text) { return Result::failure(text); };
    const QString lower = suffix.toLower();
    const QByteArray head = device->peek(HeadBytes);
    if (head.isEmpty()
        || ((lower == QLatin1String("bmp") || lower == QLatin1String("dib"))
            && bitmapIsTruncated(head, device->size())))
        return fail(invalidText(suffix));

    if (Metafile::handles(lower)) {
        if (!Metafile::load(device, lower, qMax(1, maxSide), image))
            return fail(invalidText(suffix));
        return Result::success();
    }

    // Process-wide, but the quiz reads no other large images: it stops a
    // reader before it allocates a huge picture instead of after.
    QImageReader::setAllocationLimit(AllocationLimitMB);
    QImage read;
    QSize fullSize;
    Read result = Read::Failed;
    // A decoder that runs out of memory, or throws for any other reason,
    // costs this picture only.
    try {
        result = readScaled(device, head, lower.toLatin1(), qMax(1, maxSide), &read, &fullSize);
        // A photo saved with the wrong extension (a png named .jpg) is
        // common; when the named format fails the content decides.
        if (result == Read::Failed)
            result = readScaled(device, head, QByteArray(), qMax(1, maxSide), &read, &fullSize);
    } catch (const std::bad_alloc &) {
        result = fullSize.isValid() ? Read::TooLarge : Read::Failed;
    } catch (...) {
        result = Read::Failed;
    }
    const qint64 pixelBytes = qint64(fullSize.width()) * fullSize.height() * 4;
    if (result == Read::TooLarge
        || (result == Read::Failed && fullSize.isValid()
            && pixelBytes > qint64(AllocationLimitMB) * 1024 * 1024))
        return fail(QStringLiteral("الصورة كبيرة جداً (%L1×%L2 نقطة): اختر صورة أصغر")
                        .arg(fullSize.width())
                        .arg(fullSize.height()));
    if (result == Read::Failed)
        return fail(invalidText(suffix));
    *image = read;
    return Result::success();
}

QString PictureFile::tooLargeFileText(const QString &path, qint64 bytes)
{
    return QStringLiteral("ملف الصورة كبير جداً (%L1 ميغابايت): %2، اختر صورة أصغر")
        .arg((bytes + (1 << 20) - 1) >> 20)
        .arg(Bidi::path(path));
}
