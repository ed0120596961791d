#include "core/base/picturefile.h"

#include "core/base/bidi.h"
#include "core/base/metafile.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QtEndian>

namespace {

/// An uncompressed bitmap shorter than its header promises: Qt's reader
/// accepts it and leaves the missing rows undefined, so it is refused here.
bool bitmapIsTruncated(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false; // the reader reports what is wrong with it
    const QByteArray head = file.read(14 + 20);
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
    const qint64 stride = (width * bitCount + 31) / 32 * 4;
    const qint64 needed = qint64(dataOffset) + stride * qAbs(height);
    return file.size() < needed;
}

bool decodesScaled(const QByteArray &format)
{
    return format == "jpg" || format == "jpeg" || format == "jfif" || format == "svg"
        || format == "svgz";
}

/// What one attempt with one reader gave.
enum class Read { Ok, Failed, TooLarge };

/// One attempt with one reader. *fullSize receives the picture's own size
/// when the header could be read.
Read readScaled(const QString &path, const QByteArray &format, int maxSide, QImage *out,
                QSize *fullSize)
{
    QImageReader reader(path, format);
    // Phone photos are stored sideways with an orientation tag.
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    if (size.isValid() && !size.isEmpty()) {
        *fullSize = size;
        const QByteArray actual = reader.format().toLower();
        const qint64 pixels = qint64(size.width()) * size.height();
        if (actual.startsWith("svg")) {
            // Drawn at the size asked for: no pixel budget applies.
        } else if (pixels > (decodesScaled(actual) ? PictureFile::MaxJpegPixels
                                                   : PictureFile::MaxPixels)) {
            return Read::TooLarge;
        }
        if (size.width() > maxSide || size.height() > maxSide) {
            QSize scaled = size.scaled(maxSide, maxSide, Qt::KeepAspectRatio);
            scaled = scaled.expandedTo(QSize(1, 1));
            reader.setScaledSize(scaled);
        }
    }
    const QImage image = reader.read();
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
    if (!info.isFile() || !info.isReadable())
        return fail(QStringLiteral("لا يمكن قراءة ملف الصورة: %1").arg(Bidi::path(path)));
    const QString lower = suffix.toLower();
    if (info.size() == 0
        || ((lower == QLatin1String("bmp") || lower == QLatin1String("dib"))
            && bitmapIsTruncated(path)))
        return fail(invalidText(suffix));

    if (Metafile::handles(lower)) {
        if (!Metafile::load(path, lower, qMax(1, maxSide), image))
            return fail(invalidText(suffix));
        return Result::success();
    }

    // Process-wide, but the quiz reads no other large images: it stops a
    // reader before it allocates a huge picture instead of after.
    QImageReader::setAllocationLimit(AllocationLimitMB);
    QImage read;
    QSize fullSize;
    Read result = readScaled(path, lower.toLatin1(), qMax(1, maxSide), &read, &fullSize);
    // A photo saved with the wrong extension (a png named .jpg) is common;
    // when the named format fails the content decides.
    if (result == Read::Failed)
        result = readScaled(path, QByteArray(), qMax(1, maxSide), &read, &fullSize);
    const qint64 bytes = qint64(fullSize.width()) * fullSize.height() * 4;
    if (result == Read::TooLarge
        || (result == Read::Failed && fullSize.isValid()
            && bytes > qint64(AllocationLimitMB) * 1024 * 1024))
        return fail(QStringLiteral("الصورة كبيرة جداً (%L1×%L2 نقطة): اختر صورة أصغر")
                        .arg(fullSize.width())
                        .arg(fullSize.height()));
    if (result == Read::Failed)
        return fail(invalidText(suffix));
    *image = read;
    return Result::success();
}
