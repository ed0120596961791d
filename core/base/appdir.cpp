#include "core/base/appdir.h"

#include <QFileInfo>

#include <unistd.h>

QString deriveAppDir(const QString &programFile)
{
    const qsizetype slash = programFile.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : programFile.left(slash + 1);
}

QString runningProgramFile()
{
    char buffer[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
    if (n <= 0)
        return QString();
    return QString::fromLocal8Bit(buffer, int(n));
}
