#include "core/settings/lessonpictures.h"

#include "core/base/atomicfile.h"
#include "core/base/bidi.h"
#include "core/base/filelookup.h"
#include "core/base/picturefile.h"
#include "core/settings/lessonarchive.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>

namespace LessonPictures {

namespace {

constexpr qint64 SmallFileBytes = 64;

QString notKeptText(const QString &path)
{
    return QStringLiteral(u"تعذر نسخ الصورة إلى مجلد الدرس ") + Bidi::path(path);
}

bool isVector(const QString &suffix)
{
    static const QStringList vectors = {QStringLiteral("svg"), QStringLiteral("svgz"), QStringLiteral("wmf"),
                                        QStringLiteral("emf")};
    return vectors.contains(suffix.toLower());
}

// A name of the folder not yet taken in any letter case, or the name of a
// copy made before with the same bytes (*same is then set): the same
// picture picked twice is kept once.
QString freeName(const QString &folder, const QString &base, const QString &suffix, const QByteArray &bytes,
                 bool *same)
{
    *same = false;
    for (int n = 1; n < 1000; ++n) {
        const QString name = n == 1 ? base + QLatin1Char('.') + suffix
                                    : QStringLiteral("%1-%2.%3").arg(base).arg(n).arg(suffix);
        const QFileInfo existing(FileLookup::inFolder(folder, name));
        if (!existing.exists() && !existing.isSymLink())
            return name;
        if (existing.isFile() && !existing.isSymLink() && existing.size() == bytes.size()) {
            QByteArray held;
            bool complete = false;
            if (AtomicFile::readUpTo(existing.absoluteFilePath(), bytes.size(), &held, &complete) && held == bytes) {
                *same = true;
                return existing.fileName();
            }
        }
    }
    return QString();
}

bool readFlag(const QString &path)
{
    QByteArray bytes;
    bool complete = false;
    if (!AtomicFile::readUpTo(path, SmallFileBytes, &bytes, &complete))
        return false;
    return bytes.trimmed() == "1";
}

} // namespace

Result keep(const QString &source, const QString &picturesDir, QSize screen, QString *stored)
{
    const QFileInfo info(source);
    const QString folder = QDir::cleanPath(picturesDir);
    if (QFileInfo(info.absolutePath()).canonicalFilePath() == QFileInfo(folder).canonicalFilePath()
        && !QFileInfo(folder).canonicalFilePath().isEmpty()) {
        *stored = info.absoluteFilePath();
        return Result::success();
    }
    QImage image;
    const Result loaded = PictureFile::load(source, &image, qMax(screen.width(), screen.height()));
    if (!loaded)
        return loaded;
    if (!QDir().mkpath(folder))
        return Result::failure(notKeptText(folder));

    QString base = info.completeBaseName();
    if (base.isEmpty() || !LessonArchive::isPictureFileName(base + QLatin1String(".png")))
        base = QStringLiteral("picture");
    // The reader has already reduced a large picture to the screen's longer
    // side; a copy as it is would be read at its full size again.
    QImageReader original(source);
    original.setAutoTransform(true);
    const QSize full = original.size();
    const bool larger = !isVector(info.suffix()) && screen.isValid()
        && (full.width() > screen.width() || full.height() > screen.height()
            || image.width() > screen.width() || image.height() > screen.height());
    QByteArray bytes;
    QString suffix = info.suffix().toLower();
    if (larger) {
        // Stored as shown: reduced to the screen and already turned, so no
        // reader turns it a second time.
        const QSize bound = screen;
        const QImage shown = image.width() > bound.width() || image.height() > bound.height()
            ? image.scaled(bound, Qt::KeepAspectRatio, Qt::SmoothTransformation)
            : image;
        const bool photo = suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg");
        suffix = photo ? QStringLiteral("jpg") : QStringLiteral("png");
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, suffix.toLatin1());
        if (photo)
            writer.setQuality(90);
        if (!writer.write(shown))
            return Result::failure(notKeptText(source));
    } else {
        bool complete = false;
        if (!AtomicFile::readUpTo(source, PictureFile::MaxFileBytes, &bytes, &complete) || !complete)
            return Result::failure(notKeptText(source));
    }
    if (!LessonArchive::isPictureFileName(base + QLatin1Char('.') + suffix))
        base = QStringLiteral("picture");
    bool same = false;
    const QString name = freeName(folder, base, suffix, bytes, &same);
    if (name.isEmpty())
        return Result::failure(notKeptText(folder));
    const QString target = folder + QLatin1Char('/') + name;
    if (!same) {
        const Result written = AtomicFile::writeBytes(target, bytes);
        if (!written)
            return written;
    }
    *stored = target;
    return Result::success();
}

bool fitsPictures(const QString &lessonDir)
{
    return readFlag(FileLookup::inFolder(lessonDir, LessonArchive::displayFileName()));
}

Result setFitsPictures(const QString &lessonDir, bool fit)
{
    return AtomicFile::writeBytes(FileLookup::inFolder(lessonDir, LessonArchive::displayFileName()),
                                  fit ? QByteArrayLiteral("1\r\n") : QByteArrayLiteral("0\r\n"));
}

QString selfContainedFileName()
{
    return QStringLiteral("lessonmode.txt");
}

bool selfContained(const QString &dataDir)
{
    return readFlag(FileLookup::inFolder(dataDir, selfContainedFileName()));
}

Result setSelfContained(const QString &dataDir, bool on)
{
    return AtomicFile::writeBytes(FileLookup::inFolder(dataDir, selfContainedFileName()),
                                  on ? QByteArrayLiteral("1\r\n") : QByteArrayLiteral("0\r\n"));
}

} // namespace LessonPictures
