#pragma once

// Helpers shared by the settings tests: folder snapshots and a way to make
// writes fail part way, as a full disk or a crash in the middle of a save would.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QString>

#include "support/testsupport.h"

inline QByteArray readBytes(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray("<unreadable>");
    return f.readAll();
}

/// Every entry directly in the folder, hidden ones included, with the bytes
/// of each regular file ("<dir>", "<link>..." and "<special>" for the others).
inline QMap<QString, QByteArray> snapshot(const QString &folder)
{
    QMap<QString, QByteArray> entries;
    const QFileInfoList list = QDir(folder).entryInfoList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo &fi : list) {
        if (fi.isSymLink())
            entries.insert(fi.fileName(), "<link>" + fi.symLinkTarget().toUtf8());
        else if (fi.isDir())
            entries.insert(fi.fileName(), "<dir>");
        else if (!fi.isFile())
            entries.insert(fi.fileName(), "<special>"); // a pipe: reading it would block
        else
            entries.insert(fi.fileName(), readBytes(fi.absoluteFilePath()));
    }
    return entries;
}

using testsupport::FileSizeLimit;
using testsupport::writeFile;
