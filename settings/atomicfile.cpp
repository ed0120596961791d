#include "settings/atomicfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

SettingsResult AtomicFile::writeBytes(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    // No fallback to writing the file in place: that is exactly what could
    // leave it half written.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        return SettingsResult::failure(writeFailedText(path, file.errorString()));
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return SettingsResult::failure(writeFailedText(path, reason));
    }
    if (!file.commit())
        return SettingsResult::failure(writeFailedText(path, file.errorString()));
    return SettingsResult::success();
}

SettingsResult AtomicFile::copyReplacing(const QString &source, const QString &destination)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return SettingsResult::failure(writeFailedText(destination, in.errorString()));

    const QFileInfo target(destination);
    QTemporaryFile out(target.absolutePath() + QLatin1String("/.copy-XXXXXX"));
    if (!out.open())
        return SettingsResult::failure(writeFailedText(destination, out.errorString()));

    QByteArray buffer(1024 * 1024, Qt::Uninitialized);
    for (;;) {
        const qint64 n = in.read(buffer.data(), buffer.size());
        if (n < 0)
            return SettingsResult::failure(writeFailedText(destination, in.errorString()));
        if (n == 0)
            break;
        if (out.write(buffer.constData(), n) != n)
            return SettingsResult::failure(writeFailedText(destination, out.errorString()));
    }
    if (!out.flush())
        return SettingsResult::failure(writeFailedText(destination, out.errorString()));
    // The content must be on disk before the new name points at it, or a
    // power cut could leave an empty file under the old name.
    if (::fsync(out.handle()) != 0)
        return SettingsResult::failure(writeFailedText(destination, QString::fromLocal8Bit(std::strerror(errno))));
    out.setPermissions(in.permissions());

    // rename(2) replaces the destination in one step; QFile::rename would
    // refuse an existing destination. A symbolic link under that name is
    // replaced as a link, its target is left alone.
    const QByteArray from = QFile::encodeName(out.fileName());
    const QByteArray to = QFile::encodeName(destination);
    if (std::rename(from.constData(), to.constData()) != 0)
        return SettingsResult::failure(writeFailedText(destination, QString::fromLocal8Bit(std::strerror(errno))));
    out.setAutoRemove(false);
    return SettingsResult::success();
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
    return true;
}

QString AtomicFile::writeFailedText(const QString &path, const QString &reason)
{
    return QStringLiteral(u"تعذر حفظ الملف ") + QDir::toNativeSeparators(path)
        + QStringLiteral("\n\r") + reason;
}
