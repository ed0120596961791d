#include "core/base/atomicfile.h"

#include "core/base/bidi.h"
#include "core/base/systemerror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The permissions a file written under `destination` gets: those of the
// regular file it replaces (a link's target is not looked at), else the
// usual ones for a new file, or the owner's only where asked.
mode_t modeFor(const QString &destination, AtomicFile::Access access)
{
    if (access == AtomicFile::Access::OwnerOnly)
        return 0600;
    struct stat st;
    if (::lstat(QFile::encodeName(destination).constData(), &st) == 0 && S_ISREG(st.st_mode))
        return st.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// rename(2) replaces the destination in one step (QFile::rename would refuse
// an existing one); a symbolic link under that name is replaced as a link.
bool renameOver(const QString &from, const QString &to)
{
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

} // namespace

Result AtomicFile::writeBytes(const QString &path, const QByteArray &bytes, Access access)
{
    // Not QSaveFile: it writes to the target of a link found under the name.
    // Written through the descriptor, not a buffer, so that a write the disk
    // cuts short (full disk, size limit) shows in the count and no truncated
    // file is put in place. errno is cleared before each step, so that the
    // reason told is the one this step left.
    const QFileInfo target(path);
    // A file the teacher made read-only is kept, though its folder would
    // let a rename replace it.
    if (!target.isSymLink() && target.exists() && !target.isWritable())
        return Result::failure(writeFailedText(path, fileErrorReason(EACCES)));
    QTemporaryFile out(target.absolutePath() + QLatin1String("/.save-XXXXXX"));
    errno = 0;
    if (!out.open())
        return Result::failure(writeFailedText(path, lastFileErrorReason(out.errorString())));
    errno = 0;
    if (!writeAll(out.handle(), bytes.constData(), bytes.size()))
        return Result::failure(writeFailedText(path, lastFileErrorReason()));
    // On disk before the name points at it (see copyReplacing).
    errno = 0;
    if (::fsync(out.handle()) != 0 || ::fchmod(out.handle(), modeFor(path, access)) != 0)
        return Result::failure(writeFailedText(path, lastFileErrorReason()));
    errno = 0;
    if (!renameOver(out.fileName(), path))
        return Result::failure(writeFailedText(path, lastFileErrorReason()));
    out.setAutoRemove(false);
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

    errno = 0;
    if (!renameOver(out.fileName(), destination))
        return Result::failure(writeFailedText(destination, lastFileErrorReason()));
    out.setAutoRemove(false);
    return Result::success();
}

Result AtomicFile::moveReplacing(const QString &source, const QString &destination, Access access)
{
    QFile file(source);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly))
        return Result::failure(writeFailedText(destination, lastFileErrorReason(file.errorString())));
    // On disk before the name points at it (see copyReplacing).
    errno = 0;
    if (::fsync(file.handle()) != 0)
        return Result::failure(writeFailedText(destination, lastFileErrorReason()));
    errno = 0;
    if (::fchmod(file.handle(), modeFor(destination, access)) != 0)
        return Result::failure(writeFailedText(destination, lastFileErrorReason()));
    file.close();
    errno = 0;
    if (!renameOver(source, destination))
        return Result::failure(writeFailedText(destination, lastFileErrorReason()));
    return Result::success();
}

bool AtomicFile::isPrivateFolder(const QString &folder)
{
    struct stat st;
    return ::stat(QFile::encodeName(folder.isEmpty() ? QStringLiteral(".") : folder).constData(), &st) == 0
        && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & 077) == 0;
}

AtomicFile::Access AtomicFile::accessIn(const QString &folder)
{
    return isPrivateFolder(folder) ? Access::OwnerOnly : Access::Usual;
}

bool AtomicFile::leadsOutOfItsFolder(const QString &path)
{
    const QFileInfo link(path);
    if (!link.isSymLink())
        return false;
    const QString folder = QFileInfo(link.absolutePath()).canonicalFilePath();
    const QString target = link.canonicalFilePath();
    return folder.isEmpty() || target.isEmpty() || !target.startsWith(folder + QLatin1Char('/'));
}

bool AtomicFile::readUpTo(const QString &path, qint64 maxBytes, QByteArray *bytes, bool *complete)
{
    bytes->clear();
    *complete = true;
    const QByteArray native = QFile::encodeName(path);
    // Without waiting: a named pipe or a device copied in under a file's
    // name would otherwise hold the quiz until someone writes to it.
    int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0 && errno == ELOOP) {
        // A symbolic link is followed only while it stays in its own folder:
        // a file linked from elsewhere is no file of the data folder.
        if (leadsOutOfItsFolder(path))
            return false;
        fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    }
    if (fd < 0)
        return false;
    struct stat st;
    // Only a plain file: a folder, a pipe or a device is no file to read.
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
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

bool AtomicFile::writeAll(int fd, const char *data, qint64 size)
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
