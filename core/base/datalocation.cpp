#include "core/base/datalocation.h"

#include "core/base/atomicfile.h"
#include "core/base/bidi.h"
#include "core/base/filelookup.h"
#include "core/base/systemerror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cerrno>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString DataName = QStringLiteral("Data");

QString withSlash(const QString &folder)
{
    return folder.isEmpty() || folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

// Read-only: the files of `root` are read, nothing is written anywhere.
DataLocation readOnly(const QString &root, bool perUser, const QString &folder, const QString &reason)
{
    DataLocation location;
    location.root = root;
    location.perUser = perUser;
    location.writable = false;
    location.message = QStringLiteral(u"تعذر استعمال مجلد البيانات %1: %2\n\r"
                                      u"تعمل الأسئلة كالمعتاد، لكن لن تُحفظ الإعدادات ولا الدروس "
                                      u"ولا المقاطع ولا نتائج الأطفال.")
                           .arg(Bidi::path(QDir::toNativeSeparators(QDir::cleanPath(folder))), reason);
    return location;
}

// Copies the installed Data folder's regular files (not its sub-folders)
// into a hidden folder first, which takes the name Data only once complete:
// a start cut short (full disk, power cut) leaves no half-filled Data that
// a later start would take as the user's own.
bool seed(const QString &installedData, const QString &userRoot, QString *reason)
{
    QTemporaryDir fill(userRoot + QStringLiteral(".Data-XXXXXX"));
    if (!fill.isValid()) {
        *reason = fileErrorReason(errno, fill.errorString());
        return false;
    }
    const QFileInfoList entries =
        QDir(installedData).entryInfoList(QDir::Files | QDir::Hidden | QDir::NoSymLinks, QDir::Name);
    for (const QFileInfo &entry : entries) {
        const Result copied =
            AtomicFile::copyReplacing(entry.absoluteFilePath(), fill.filePath(entry.fileName()));
        if (!copied) {
            *reason = copied.text;
            return false;
        }
    }
    const QString target = userRoot + DataName;
    if (std::rename(QFile::encodeName(fill.path()).constData(), QFile::encodeName(target).constData()) != 0) {
        // Another start of the quiz by the same user got there first.
        if (QFileInfo(FileLookup::inFolder(userRoot, DataName)).isDir())
            return true;
        *reason = fileErrorReason(errno);
        return false;
    }
    fill.setAutoRemove(false);
    return true;
}

} // namespace

bool DataLocation::canWriteFolder(const QString &folder)
{
    const QString path = folder.isEmpty() ? QStringLiteral(".") : folder;
    return ::access(QFile::encodeName(path).constData(), W_OK | X_OK) == 0;
}

DataLocation DataLocation::settle(const QString &appDir, const QString &userDir, const WritableProbe &canWrite)
{
    const WritableProbe probe = canWrite ? canWrite : WritableProbe(&DataLocation::canWriteFolder);
    const QString installedData = FileLookup::inFolder(appDir, DataName);
    const bool programFolderWritable =
        probe(appDir) && (!QFileInfo(installedData).isDir() || probe(installedData));
    if (programFolderWritable || userDir.isEmpty()) {
        DataLocation location;
        location.root = appDir;
        return location;
    }

    const QString userRoot = withSlash(QDir::cleanPath(userDir));
    errno = 0;
    if (!QDir().mkpath(userRoot)) {
        // mkpath does not say why; the usual cause is a home that cannot be written.
        const int error = errno ? errno : EACCES;
        return readOnly(appDir, false, userRoot, fileErrorReason(error));
    }
    // The children's names and counts and the teacher's recordings are
    // nobody else's business on a computer with several accounts; a folder
    // an older version made with the umask is closed now.
    ::chmod(QFile::encodeName(userRoot).constData(), 0700);
    const QString userData = FileLookup::inFolder(userRoot, DataName);
    if (QFileInfo(userData).isDir()) {
        if (!probe(userRoot) || !probe(userData))
            return readOnly(userRoot, true, userRoot, fileErrorReason(EACCES));
    } else {
        if (!probe(userRoot))
            return readOnly(appDir, false, userRoot, fileErrorReason(EACCES));
        QString reason;
        if (!seed(installedData, userRoot, &reason))
            return readOnly(appDir, false, userRoot, reason);
    }
    DataLocation location;
    location.root = userRoot;
    location.perUser = true;
    return location;
}
