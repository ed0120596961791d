#pragma once

// Helpers shared by the test programs: where the test data is, a throw-away
// program folder laid out like an installed quiz, and valid clip files to put
// in it.

#include "core/base/result.h"

#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtEndian>

#include <cmath>
#include <csignal>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <unistd.h>

namespace testsupport {

/// Whether the operation worked; its text goes to *text for the checks that
/// follow (the reason of a failure).
inline bool succeeded(const Result &result, QString *text)
{
    *text = result.text;
    return result.ok;
}

/// A file or folder of the source tree, such as "scripts/pg-server.sh".
/// QUIZ_SOURCE_DIR is built into every test and benchmark (tests/CMakeLists.txt).
inline QString sourcePath(const QString &relative)
{
    return QStringLiteral(QUIZ_SOURCE_DIR "/") + relative;
}

/// A file or folder below tests/data, such as "media/audio-only.avi".
inline QString testData(const QString &relative)
{
    return sourcePath(QStringLiteral("tests/data/") + relative);
}

/// The default program folder as it is installed, without a trailing "/".
inline QString appDirTemplate()
{
    return sourcePath(QStringLiteral("appdir"));
}

/// A short, silent, valid PCM wav file.
inline QByteArray silentWav(int samples = 800)
{
    QByteArray data(samples * 2, '\0');
    QByteArray out;
    auto u32 = [&out](quint32 v) { char b[4]; qToLittleEndian(v, b); out.append(b, 4); };
    auto u16 = [&out](quint16 v) { char b[2]; qToLittleEndian(v, b); out.append(b, 2); };
    out.append("RIFF");
    u32(quint32(36 + data.size()));
    out.append("WAVEfmt ");
    u32(16);
    u16(1);     // PCM
    u16(1);     // mono
    u32(8000);  // sample rate
    u32(16000); // byte rate
    u16(2);     // block align
    u16(16);    // bits per sample
    out.append("data");
    u32(quint32(data.size()));
    out.append(data);
    return out;
}

/// A mono 16-bit wav at 22050 Hz: leadMs of silence, toneMs of a 440 Hz
/// tone at half of full scale (-6 dBFS), tailMs of silence.
inline QByteArray toneWav(int leadMs, int toneMs, int tailMs)
{
    constexpr int Rate = 22050;
    const int lead = Rate * leadMs / 1000;
    const int tone = Rate * toneMs / 1000;
    QByteArray wave = testsupport::silentWav(lead + tone + Rate * tailMs / 1000);
    qToLittleEndian<quint32>(Rate, wave.data() + 24);
    qToLittleEndian<quint32>(Rate * 2, wave.data() + 28);
    for (int i = 0; i < tone; ++i)
        qToLittleEndian<qint16>(qint16(std::lround(16384 * std::sin(2 * M_PI * 440 * i / Rate))),
                                wave.data() + 44 + 2 * (lead + i));
    return wave;
}

inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

inline QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

/// A throw-away program folder: a copy of the default program folder
/// (appDirTemplate()), its Data folder with every clip, options file and
/// current-lesson file. programFile() names the executable that would run
/// from it; appDir() and dataDir() end with "/".
class ProgramFolder
{
public:
    ProgramFolder()
    {
        const QString templ = appDirTemplate();
        QDirIterator it(templ, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString from = it.next();
            const QString to = appDir() + QDir(templ).relativeFilePath(from);
            QDir().mkpath(QFileInfo(to).absolutePath());
            QFile::copy(from, to);
        }
    }

    bool isValid() const { return m_dir.isValid(); }
    QString path() const { return m_dir.path(); }
    QString appDir() const { return m_dir.path() + QLatin1Char('/'); }
    QString dataDir() const { return appDir() + QLatin1String("Data/"); }
    /// A file in the Data folder.
    QString data(const QString &name) const { return dataDir() + name; }
    QString programFile() const { return appDir() + QLatin1String("quiz"); }

private:
    QTemporaryDir m_dir;
};

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

/// Tells whether anything opened the file since the watch began: proof that
/// a text naming the file was shown as text and never read as markup.
class FileOpenWatch
{
public:
    explicit FileOpenWatch(const QString &path)
        : m_fd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
    {
        if (m_fd >= 0)
            m_watch = ::inotify_add_watch(m_fd, QFile::encodeName(path).constData(), IN_OPEN | IN_ACCESS);
    }
    ~FileOpenWatch()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileOpenWatch(const FileOpenWatch &) = delete;
    FileOpenWatch &operator=(const FileOpenWatch &) = delete;

    bool isValid() const { return m_fd >= 0 && m_watch >= 0; }
    /// True once any open or read of the file was seen.
    bool opened()
    {
        alignas(inotify_event) char buffer[4096];
        while (::read(m_fd, buffer, sizeof buffer) > 0)
            m_opened = true;
        return m_opened;
    }

private:
    int m_fd = -1;
    int m_watch = -1;
    bool m_opened = false;
};

} // namespace testsupport
