#include "core/records/storechoice.h"

#include "core/base/atomicfile.h"
#include "core/base/systemerror.h"

#include <QDir>
#include <QFile>

namespace {

QString pathIn(const QString &dataDir)
{
    return QDir(dataDir).filePath(StoreChoice::fileName());
}

} // namespace

QString StoreChoice::read(const QString &dataDir)
{
    QByteArray bytes;
    bool complete = false;
    if (!AtomicFile::readUpTo(pathIn(dataDir), 1024, &bytes, &complete))
        return QString();
    const int end = bytes.indexOf('\n');
    return QString::fromUtf8(end < 0 ? bytes : bytes.left(end)).trimmed();
}

Result StoreChoice::write(const QString &dataDir, const QString &service)
{
    const QString path = pathIn(dataDir);
    if (service.isEmpty()) {
        QFile file(path);
        if (!file.exists() || file.remove())
            return Result::success();
        return Result::failure(AtomicFile::writeFailedText(path, lastFileErrorReason(file.errorString())));
    }
    return AtomicFile::writeBytes(path, service.toUtf8() + '\n');
}
