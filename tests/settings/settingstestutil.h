#pragma once

// Helpers shared by the settings tests: folder snapshots and a way to make
// writes fail part way, as a full disk or a crash in the middle of a save would.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QString>

#include <csignal>
#include <sys/resource.h>

inline QByteArray readBytes(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray("<unreadable>");
    return f.readAll();
}

inline bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
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

/// While alive, no file of this process can grow beyond `bytes`: a write that
/// crosses the limit fails part way with "file too large" (the signal that
/// would end the process is ignored meanwhile).
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};
