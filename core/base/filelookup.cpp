#include "core/base/filelookup.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include <sys/stat.h>

namespace {

QString joined(const QString &folder, const QString &name)
{
    if (folder.isEmpty() || folder.endsWith(QLatin1Char('/')))
        return folder + name;
    return folder + QLatin1Char('/') + name;
}

// An entry of any kind, a dangling link included: it has the name already.
bool present(const QString &path)
{
    struct stat st;
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0;
}

} // namespace

namespace FileLookup {

QString inFolder(const QString &folder, const QString &name)
{
    const QString exact = joined(folder, name);
    if (name.isEmpty() || present(exact))
        return exact;
    // Only when the exact name is missing is the folder listed: the clips
    // and settings are looked up often, and almost always found at once.
    const QDir dir(folder.isEmpty() ? QStringLiteral(".") : folder);
    const QStringList entries =
        dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString &entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return joined(folder, entry);
    }
    return exact;
}

QString below(const QString &base, const QString &relativePath)
{
    QString path = base;
    const QStringList parts = relativePath.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString &part : parts)
        path = inFolder(path, part);
    return path;
}

} // namespace FileLookup
