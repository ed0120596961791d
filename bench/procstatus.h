// A field of /proc/self/status in KiB (VmRSS:, VmHWM:, RssAnon:...), or -1.
#pragma once

#include <QByteArray>
#include <QFile>

inline long statusKb(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').first().toLong();
    return -1;
}
