#include "core/settings/lessonarchive.h"

#include "core/base/atomicfile.h"
#include "core/base/bidi.h"
#include "core/base/filelookup.h"
#include "core/base/picturefile.h"
#include "core/settings/archivelibrary.h"
#include "core/settings/lessonlibrary.h"
#include "core/settings/optionsfile.h"
#include "core/settings/windows1256.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryDir>
#include <QTemporaryFile>


#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace LessonArchive {

namespace {

constexpr int PictureLines[] = {int(OptionsLine::Picture1), int(OptionsLine::Picture2), int(OptionsLine::Picture3)};
constexpr qsizetype ChunkBytes = 1024 * 1024;

// Reached only after the entry point has loaded the library.
const ArchiveLibrary &lib()
{
    return *ArchiveLibrary::load(nullptr);
}

QString notExportedText(const QString &reason)
{
    return QStringLiteral(u"لم يتم تصدير الدرس: ") + reason;
}

QString damagedText()
{
    return refusedText(QStringLiteral(u"الملف ليس درساً مضغوطاً أو أنه تالف"));
}

QString entryText(const QString &reason, const QString &entry)
{
    return refusedText(reason + QLatin1Char(' ') + Bidi::path(entry));
}

// The options' bytes with one line replaced for each picture, every line
// ending in CR LF as the options file always has them.
QByteArray joinLines(const std::array<QByteArray, OptionsFile::LineCount> &lines)
{
    QByteArray out;
    for (const QByteArray &line : lines)
        out += line + "\r\n";
    return out;
}

struct ArchiveWriter
{
    archive *a = lib().archive_write_new();
    ~ArchiveWriter() { lib().archive_write_free(a); }

    bool add(const QString &path, const QByteArray *bytes, const QString &file, bool compress)
    {
        // Pictures and clips barely shrink; storing them keeps an export
        // of a lesson full of photos quick.
        if (compress)
            lib().archive_write_zip_set_compression_deflate(a);
        else
            lib().archive_write_zip_set_compression_store(a);
        archive_entry *entry = lib().archive_entry_new();
        lib().archive_entry_update_pathname_utf8(entry, path.toUtf8().constData());
        const bool isDir = !bytes && file.isEmpty();
        lib().archive_entry_set_filetype(entry, isDir ? AE_IFDIR : AE_IFREG);
        lib().archive_entry_set_perm(entry, isDir ? 0755 : 0644);
        lib().archive_entry_set_mtime(entry, QDateTime::currentSecsSinceEpoch(), 0);
        QFile in(file);
        qint64 size = 0;
        if (bytes) {
            size = bytes->size();
        } else if (!isDir) {
            if (!in.open(QIODevice::ReadOnly))
                return lib().archive_entry_free(entry), false;
            size = in.size();
        }
        lib().archive_entry_set_size(entry, size);
        const bool headerOk = lib().archive_write_header(a, entry) == ARCHIVE_OK;
        lib().archive_entry_free(entry);
        if (!headerOk)
            return false;
        if (bytes) {
            if (lib().archive_write_data(a, bytes->constData(), size_t(bytes->size())) != bytes->size())
                return false;
        } else if (!isDir) {
            QByteArray chunk(ChunkBytes, Qt::Uninitialized);
            qint64 written = 0;
            while (written < size) {
                const qint64 n = in.read(chunk.data(), qMin<qint64>(chunk.size(), size - written));
                if (n <= 0 || lib().archive_write_data(a, chunk.constData(), size_t(n)) != n)
                    return false;
                written += n;
            }
        }
        return lib().archive_write_finish_entry(a) == ARCHIVE_OK;
    }
};

struct ArchiveReader
{
    archive *a = lib().archive_read_new();
    ~ArchiveReader() { lib().archive_read_free(a); }
};

// The parts of an entry's name, with "\" taken as a separator as archives
// made on Windows use it.
QStringList nameParts(const QString &name)
{
    QString path = name;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    while (path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path.split(QLatin1Char('/'));
}

bool isAbsolute(const QString &name)
{
    if (name.startsWith(QLatin1Char('/')) || name.startsWith(QLatin1Char('\\')))
        return true;
    return name.size() >= 2 && name.at(1) == QLatin1Char(':') && name.at(0).isLetter();
}


} // namespace

QString picturesFolder()
{
    return QStringLiteral("pictures");
}

QString displayFileName()
{
    return QStringLiteral("display.txt");
}

QString fileFilter()
{
    return QStringLiteral(u"درس مضغوط (*.zip)");
}

QString refusedText(const QString &reason)
{
    return QStringLiteral(u"لم يتم استيراد الدرس: ") + reason;
}

bool isLessonFileName(const QString &name)
{
    static const QStringList fixed = {OptionsFile::fileName(), displayFileName()};
    for (const QString &f : fixed) {
        if (name.compare(f, Qt::CaseInsensitive) == 0)
            return true;
    }
    static const char *const clips[] = {"color1", "color2", "color3", "true", "false", "0"};
    for (const char *clip : clips) {
        for (const char *ext : {".wav", ".avi"}) {
            if (name.compare(QLatin1String(clip) + QLatin1String(ext), Qt::CaseInsensitive) == 0)
                return true;
        }
    }
    return false;
}

bool isPictureFileName(const QString &name)
{
    if (name.isEmpty() || name.startsWith(QLatin1Char('.')) || name.contains(QLatin1Char('/'))
        || name.contains(QLatin1Char('\\')) || QFile::encodeName(name).size() > 255)
        return false;
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return false;
    }
    return Windows1256::canHold(name) && PictureFile::isKnownSuffix(name);
}

Result exportLesson(const QString &lessonDir, const QString &name, const QString &zipPath)
{
    QString missing;
    if (!ArchiveLibrary::load(&missing))
        return Result::failure(notExportedText(missing));
    const QString optionsPath = FileLookup::inFolder(lessonDir, OptionsFile::fileName());
    QByteArray options;
    bool complete = false;
    if (!AtomicFile::readUpTo(optionsPath, 64 * 1024, &options, &complete) || !complete)
        return Result::failure(notExportedText(QStringLiteral(u"تعذرت قراءة ملف الخيارات ") + Bidi::path(optionsPath)));

    // Each picture the options name goes into the archive's pictures folder
    // under its own name (another where two share one), and its line names
    // it there.
    std::array<QByteArray, OptionsFile::LineCount> lines = OptionsFile::splitLines(options);
    QList<QPair<QString, QString>> pictures; // entry name, source file
    QSet<QString> taken;
    for (int line : PictureLines) {
        const QString path = Windows1256::decode(lines[line - 1]);
        const QFileInfo info(path);
        if (path.isEmpty() || !info.isAbsolute() || !info.isFile() || info.size() > PictureFile::MaxFileBytes)
            continue;
        const QString source = info.canonicalFilePath();
        QString entry;
        for (const auto &picture : std::as_const(pictures)) {
            if (picture.second == source)
                entry = picture.first;
        }
        if (entry.isEmpty()) {
            entry = info.fileName();
            if (!isPictureFileName(entry) || taken.contains(entry.toLower()))
                entry = QStringLiteral("picture%1.%2").arg(line - int(OptionsLine::Picture1) + 1).arg(info.suffix().toLower());
            if (!isPictureFileName(entry) || taken.contains(entry.toLower()))
                continue;
            taken.insert(entry.toLower());
            pictures.append({entry, source});
        }
        bool ok = false;
        lines[line - 1] = Windows1256::encode(picturesFolder() + QLatin1Char('/') + entry, &ok);
    }

    QStringList files;
    const QFileInfoList entries = QDir(lessonDir).entryInfoList(QDir::Files | QDir::Hidden | QDir::NoSymLinks, QDir::Name);
    for (const QFileInfo &entry : entries) {
        if (entry.isFile() && !entry.isSymLink() && isLessonFileName(entry.fileName())
            && entry.fileName().compare(OptionsFile::fileName(), Qt::CaseInsensitive) != 0)
            files << entry.absoluteFilePath();
    }

    // The archive is written beside its place and takes its name only when
    // complete: a failed export leaves no half a lesson for a colleague.
    const QFileInfo target(zipPath);
    QTemporaryFile part(target.absolutePath() + QLatin1String("/.lesson-export-XXXXXX"));
    if (!part.open())
        return Result::failure(notExportedText(QStringLiteral(u"تعذرت الكتابة في ") + Bidi::path(target.absolutePath())));
    ArchiveWriter writer;
    lib().archive_write_set_format_zip(writer.a);
    // Names are kept in UTF-8 and marked so: Arabic lesson names read back
    // whatever the reading computer's language.
    lib().archive_write_set_format_option(writer.a, "zip", "hdrcharset", "UTF-8");
    if (lib().archive_write_open_fd(writer.a, part.handle()) != ARCHIVE_OK)
        return Result::failure(notExportedText(QString::fromUtf8(lib().archive_error_string(writer.a))));
    const QString root = name + QLatin1Char('/');
    const QByteArray optionsOut = joinLines(lines);
    bool ok = writer.add(root, nullptr, QString(), false)
        && writer.add(root + OptionsFile::fileName(), &optionsOut, QString(), true);
    for (const QString &file : std::as_const(files)) {
        const bool text = file.endsWith(QLatin1String(".txt"), Qt::CaseInsensitive);
        ok = ok && writer.add(root + QFileInfo(file).fileName(), nullptr, file, text);
    }
    if (!pictures.isEmpty())
        ok = ok && writer.add(root + picturesFolder() + QLatin1Char('/'), nullptr, QString(), false);
    for (const auto &picture : std::as_const(pictures))
        ok = ok && writer.add(root + picturesFolder() + QLatin1Char('/') + picture.first, nullptr, picture.second, false);
    if (!ok || lib().archive_write_close(writer.a) != ARCHIVE_OK || !part.flush() || ::fsync(part.handle()) != 0)
        return Result::failure(notExportedText(QStringLiteral(u"تعذرت كتابة الملف ") + Bidi::path(zipPath)));
    if (std::rename(QFile::encodeName(part.fileName()).constData(), QFile::encodeName(zipPath).constData()) != 0)
        return Result::failure(notExportedText(QStringLiteral(u"تعذرت كتابة الملف ") + Bidi::path(zipPath)));
    part.setAutoRemove(false);
    QFile::setPermissions(zipPath, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
                                       | QFileDevice::ReadOther);
    return Result::success();
}

Import::Import(const QString &dataDir)
    : m_dataDir(QDir::cleanPath(dataDir))
{
}

Import::~Import() = default;

Result Import::unpack(const QString &zipPath)
{
    m_staging.reset();
    m_name.clear();
    QString missing;
    if (!ArchiveLibrary::load(&missing))
        return Result::failure(refusedText(missing));
    const QFileInfo zipInfo(zipPath);
    if (!zipInfo.isFile())
        return Result::failure(damagedText());
    // Hidden folders are no lessons; the new lesson appears only once whole,
    // and a refusal takes the folder with it.
    auto staging = std::make_unique<QTemporaryDir>(m_dataDir + QLatin1String("/.lesson-import-XXXXXX"));
    if (!staging->isValid())
        return Result::failure(refusedText(QStringLiteral(u"تعذرت الكتابة في مجلد البيانات")));

    ArchiveReader reader;
    lib().archive_read_support_format_zip(reader.a);
    if (lib().archive_read_open_filename(reader.a, QFile::encodeName(zipPath).constData(), 64 * 1024) != ARCHIVE_OK)
        return Result::failure(damagedText());

    // Sizes are counted as the bytes come out, never taken from the headers,
    // which a made archive can fill with anything.
    const qint64 archiveBytes = qMax<qint64>(zipInfo.size(), 1);
    qint64 total = 0;
    int count = 0;
    bool hasOptions = false;
    bool hasPictures = false;
    QSet<QString> seen;
    QString name;
    QByteArray chunk(64 * 1024, Qt::Uninitialized);
    archive_entry *entry = nullptr;
    int status;
    while ((status = lib().archive_read_next_header(reader.a, &entry)) == ARCHIVE_OK) {
        if (++count > MaxEntries)
            return Result::failure(refusedText(QStringLiteral(u"الملف يحوي أكثر من %1 ملفاً").arg(MaxEntries)));
        const char *utf8 = lib().archive_entry_pathname_utf8(entry);
        if (!utf8)
            return Result::failure(refusedText(QStringLiteral(u"الملف يحوي اسماً غير مقروء")));
        const QString path = QString::fromUtf8(utf8);
        if (path.isEmpty() || path.contains(QChar(0)))
            return Result::failure(refusedText(QStringLiteral(u"الملف يحوي اسماً غير مقروء")));
        if (isAbsolute(path))
            return Result::failure(entryText(QStringLiteral(u"الملف يحوي مساراً مطلقاً"), path));
        const QStringList parts = nameParts(path);
        if (parts.contains(QLatin1String("..")))
            return Result::failure(entryText(QStringLiteral(u"الملف يحوي مساراً يخرج من الدرس"), path));
        const mode_t type = lib().archive_entry_filetype(entry);
        if (type == AE_IFLNK || lib().archive_entry_hardlink(entry) || lib().archive_entry_symlink(entry))
            return Result::failure(entryText(QStringLiteral(u"الملف يحوي رابطاً"), path));
        if (type == AE_IFCHR || type == AE_IFBLK || type == AE_IFIFO || type == AE_IFSOCK)
            return Result::failure(entryText(QStringLiteral(u"الملف يحوي جهازاً"), path));
        if (type != AE_IFREG && type != AE_IFDIR)
            return Result::failure(entryText(QStringLiteral(u"الملف يحوي ملفاً من نوع غير معروف"), path));
        const bool isDir = type == AE_IFDIR;

        // One folder, the lesson; in it its files and a pictures folder.
        const QString &top = parts.constFirst();
        if (name.isEmpty()) {
            if (top != LessonLibrary::automaticName() && !LessonLibrary::checkName(top))
                return Result::failure(entryText(QStringLiteral(u"اسم الدرس غير صالح"), top));
            name = top;
        } else if (top != name) {
            return Result::failure(entryText(QStringLiteral(u"الملف يحوي أكثر من درس"), top));
        }
        bool valid = false;
        if (parts.size() == 1)
            valid = isDir;
        else if (parts.size() == 2)
            valid = isDir ? parts.at(1) == picturesFolder() : isLessonFileName(parts.at(1));
        else if (parts.size() == 3)
            valid = !isDir && parts.at(1) == picturesFolder() && isPictureFileName(parts.at(2));
        if (!valid)
            return Result::failure(entryText(QStringLiteral(u"الملف يحوي اسماً لا يصلح لملف درس أو مقطع أو صورة"), path));
        const QString relative = parts.mid(1).join(QLatin1Char('/'));
        if (isDir || relative.isEmpty()) {
            if (parts.size() == 2 && !hasPictures) {
                if (!QDir(staging->path()).mkdir(picturesFolder()))
                    return Result::failure(refusedText(QStringLiteral(u"تعذرت الكتابة في مجلد البيانات")));
                hasPictures = true;
            }
            continue;
        }
        if (seen.contains(relative.toLower()))
            return Result::failure(entryText(QStringLiteral(u"الملف يحوي اسماً مكرراً"), path));
        seen.insert(relative.toLower());
        if (parts.size() == 3 && !hasPictures) {
            if (!QDir(staging->path()).mkdir(picturesFolder()))
                return Result::failure(refusedText(QStringLiteral(u"تعذرت الكتابة في مجلد البيانات")));
            hasPictures = true;
        }
        if (parts.size() == 2 && parts.at(1).compare(OptionsFile::fileName(), Qt::CaseInsensitive) == 0)
            hasOptions = true;

        // The name was built from checked parts only, below the hidden
        // folder; O_EXCL and O_NOFOLLOW refuse anything already there.
        const QString out = staging->path() + QLatin1Char('/') + relative;
        const int fd = ::open(QFile::encodeName(out).constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd < 0)
            return Result::failure(refusedText(QStringLiteral(u"تعذرت الكتابة في مجلد البيانات")));
        bool written = true;
        for (;;) {
            const la_ssize_t n = lib().archive_read_data(reader.a, chunk.data(), size_t(chunk.size()));
            if (n == 0)
                break;
            if (n < 0) {
                ::close(fd);
                return Result::failure(damagedText());
            }
            total += n;
            if (total > MaxTotalBytes) {
                ::close(fd);
                return Result::failure(refusedText(QStringLiteral(u"حجم الدرس بعد فك الضغط أكبر من %1 ميغابايت")
                                                       .arg(MaxTotalBytes / (1024 * 1024))));
            }
            if (total > archiveBytes * MaxRatio) {
                ::close(fd);
                return Result::failure(refusedText(QStringLiteral(u"نسبة الضغط أكبر من %1 إلى 1").arg(MaxRatio)));
            }
            if (!AtomicFile::writeAll(fd, chunk.constData(), n)) {
                written = false;
                break;
            }
        }
        if (::close(fd) != 0 || !written)
            return Result::failure(refusedText(QStringLiteral(u"تعذرت الكتابة في مجلد البيانات")));
    }
    if (status != ARCHIVE_EOF)
        return Result::failure(damagedText());
    if (!hasOptions)
        return Result::failure(refusedText(QStringLiteral(u"الملف لا يحوي ملف الخيارات ") + Bidi::path(OptionsFile::fileName())));
    m_staging = std::move(staging);
    m_name = name;
    return Result::success();
}

Result Import::place(const LessonLibrary &library, const QString &name)
{
    if (!m_staging)
        return Result::failure(damagedText());
    const Result check = LessonLibrary::checkName(name);
    if (!check)
        return check;
    if (library.nameTaken(name))
        return Result::failure(QStringLiteral(u"يوجد درس بهذا الاسم\n\rاختر اسماً آخر"));

    // The pictures' lines name the copies in the new lesson's folder, full
    // paths as the options file always holds them.
    const QString lessonDir = QFileInfo(m_dataDir).canonicalFilePath() + QLatin1Char('/') + name;
    const QString optionsPath = FileLookup::inFolder(m_staging->path(), OptionsFile::fileName());
    QByteArray options;
    bool complete = false;
    if (!AtomicFile::readUpTo(optionsPath, 64 * 1024, &options, &complete))
        return Result::failure(refusedText(QStringLiteral(u"تعذرت قراءة ملف الخيارات")));
    std::array<QByteArray, OptionsFile::LineCount> lines = OptionsFile::splitLines(options);
    const QString prefix = picturesFolder() + QLatin1Char('/');
    for (int line : PictureLines) {
        const QString path = Windows1256::decode(lines[line - 1]);
        if (path.isEmpty() || QFileInfo(path).isAbsolute())
            continue;
        QString full;
        const QString file = path.startsWith(prefix) ? path.mid(prefix.size()) : QString();
        if (isPictureFileName(file)) {
            const QString found = FileLookup::inFolder(m_staging->path() + QLatin1Char('/') + picturesFolder(), file);
            if (QFileInfo(found).isFile())
                full = lessonDir + QLatin1Char('/') + picturesFolder() + QLatin1Char('/') + QFileInfo(found).fileName();
        }
        // A line naming no picture of the lesson names nothing here either.
        bool ok = false;
        lines[line - 1] = Windows1256::encode(full, &ok);
        if (!ok)
            return Result::failure(refusedText(QStringLiteral(u"مسار مجلد البيانات يحوي رموزاً لا يمكن حفظها في ملف الخيارات")));
    }
    if (!AtomicFile::writeBytes(optionsPath, joinLines(lines)))
        return Result::failure(refusedText(QStringLiteral(u"تعذرت كتابة ملف الخيارات")));
    const Result placed = library.adoptFolder(m_staging->path(), name);
    if (!placed)
        return placed;
    m_staging->setAutoRemove(false);
    m_staging.reset();
    return Result::success();
}

} // namespace LessonArchive
