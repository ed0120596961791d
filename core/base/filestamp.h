#pragma once

#include <QString>
#include <QtGlobal>

/// What identifies one version of a file on disk: a file replaced, rewritten
/// or touched gets another stamp. A missing file has the empty stamp.
struct FileStamp
{
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = -1;
    qint64 modifiedNs = 0;

    static FileStamp of(const QString &fileName);
    bool operator==(const FileStamp &other) const;
};
