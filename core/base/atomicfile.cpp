#include "core/base/atomicfile.h"

#include "core/base/bidi.h"
#include "core/base/systemerror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

bool writeAll(int fd, const char *data, qint64 size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size_t(size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= n;
    }
    return true;
}

} // namespace

Result AtomicFile::writeBytes(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    // No fallback to writing the file in place: that is exactly what could
    // leave it half written.
    file.setDirectWriteFallback(false);
    // Unbuffered: a buffered QFileDevice can report a write that the disk
    // cut short (full disk, size limit) as complete, and commit() would then
    // put a truncated file in place. Written straight through, the short
    // count shows, and the size is checked once more before the rename.
    // errno is cleared before each step, so that the reason told is the
    // one this step left.
    errno = 0;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return Result::failure(writeFailedText(path, lastFileErrorReason(file.errorString())));
    errno = 0;
    if (file.write(bytes) != bytes.size() || file.size() != bytes.size()) {
        const QString reason = lastFileErrorReason(file.errorString());
        file.cancelWriting();
        return Result::failure(writeFailedText(path, reason));
    }
    errno = 0;
    if (!file.commit())
        return Result::failure(writeFailedText(path, lastFileErrorReason(file.errorString())));
    return Result::success();
}

Result AtomicFile::copyReplacing(const QString &source, const QString &destination)
{
    QFile in(source);
    errno = 0;
    if (!in.open(QIODevice::ReadOnly))
        return Result::failure(writeFailedText(destination, lastFileErrorReason(in.errorString())));

    const QFileInfo target(destination);
    QTemporaryFile out(target.absolutePath() + QLatin1String("/.copy-XXXXXX"));
    errno = 0;
    if (!out.open())
        return Result::failure(writeFailedText(destination, lastFileErrorReason(out.errorString())));

    // Written through the descriptor, not QFile's buffer, so that a write
    // the disk cuts short is seen (see writeBytes).
    QByteArray buffer(1024 * 1024, Qt::Uninitialized);
    qint64 total = 0;
    for (;;) {
        errno = 0;
        const qint64 n = in.read(buffer.data(), buffer.size());
        if (n < 0)
            return Result::failure(writeFailedText(destination, lastFileErrorReason(in.errorString())));
        if (n == 0)
            break;
        if (!writeAll(out.handle(), buffer.constData(), n))
            return Result::failure(writeFailedText(destination, lastFileErrorReason()));
        total += n;
    }
    if (total != in.size())
        return Result::failure(writeFailedText(destination, lastFileErrorReason(in.errorString())));
    // The content must be on disk before the new name points at it, or a
    // power cut could leave an empty file under the old name.
    if (::fsync(out.handle()) != 0)
        return Result::failure(writeFailedText(destination, lastFileErrorReason()));
    out.setPermissions(in.permissions());

    // rename(2) replaces the destination in one step; QFile::rename would
    // refuse an existing destination. A symbolic link under that name is
    // replaced as a link, its target is left alone.
    const QByteArray from = QFile::encodeName(out.fileName());
    const QByteArray to = QFile::encodeName(destination);
    errno = 0;
    if (std::rename(from.constData(), to.constData()) != 0)
        return Result::failure(writeFailedText(destination, lastFileErrorReason()));
    out.setAutoRemove(false);
    return Result::success();
}

Result AtomicFile::moveReplacing(const QString &source, const QString &destination)
{
    QFile file(source);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly))
        return Result::failure(writeFailedText(destination, lastFileErrorReason(file.errorString())));
    // On disk before the name points at it (see copyReplacing).
    errno = 0;
    if (::fsync(file.handle()) != 0)
        return Result::failure(writeFailedText(destination, lastFileErrorReason()));
    file.close();
    const QFileInfo old(destination);
    if (old.isFile())
        file.setPermissions(old.permissions());
    else
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser
                            | QFile::ReadGroup | QFile::ReadOther);
    errno = 0;
    if (std::rename(QFile::encodeName(source).constData(), QFile::encodeName(destination).constData()) != 0)
        return Result::failure(writeFailedText(destination, lastFileErrorReason()));
    return Result::success();
}

bool AtomicFile::readUpTo(const QString &path, qint64 maxBytes, QByteArray *bytes, bool *complete)
{
    bytes->clear();
    *complete = true;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // A folder opens on some systems; it is no file to read.
    if (QFileInfo(path).isDir())
        return false;
    QByteArray buffer(64 * 1024, Qt::Uninitialized);
    while (bytes->size() < maxBytes) {
        const qint64 want = qMin<qint64>(buffer.size(), maxBytes - bytes->size());
        const qint64 n = file.read(buffer.data(), want);
        if (n < 0) {
            *complete = false;
            break;
        }
        if (n == 0)
            break;
        bytes->append(buffer.constData(), n);
    }
    // What lies beyond the limit was not read: that is a failed read, not
    // the end of the file.
    if (*complete && bytes->size() >= maxBytes && !file.atEnd())
        *complete = false;
    return true;
}

QString AtomicFile::writeFailedText(const QString &path, const QString &reason)
{
    return QStringLiteral(u"تعذر حفظ الملف ") + Bidi::path(QDir::toNativeSeparators(path))
        + QStringLiteral("\n\r") + reason;
}
