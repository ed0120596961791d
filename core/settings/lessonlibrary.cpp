#include "core/settings/lessonlibrary.h"

#include "core/base/atomicfile.h"
#include "core/base/filelookup.h"
#include "core/settings/lessonarchive.h"
#include "core/settings/optionsfile.h"
#include "core/settings/windows1256.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

// One folder name on Linux file systems: 255 bytes.
constexpr qsizetype MaxNameBytes = 255;
static_assert(LessonLibrary::NameLength == MaxNameBytes);

QString askAgain(const QString &text)
{
    return text + QStringLiteral(u"\n\rاختر اسماً آخر");
}

bool isInside(const QString &canonicalPath, const QString &canonicalData)
{
    const QString prefix = canonicalData.endsWith(QLatin1Char('/')) ? canonicalData
                                                                     : canonicalData + QLatin1Char('/');
    return canonicalPath.size() > prefix.size() && canonicalPath.startsWith(prefix);
}

// A name that stays one entry of the Data folder: used for names that come
// from the disk (the list, the current-lesson file), which may have been made
// by hand and are handled even where a new lesson could not take them.
bool isSafeFolderName(const QString &name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..")
        && !name.contains(QLatin1Char('/')) && !name.contains(QChar(0));
}

bool existsOrIsLink(const QString &path)
{
    struct stat st;
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0;
}

// Renames without ever replacing what has the new name meanwhile: a lesson
// created by hand at the same moment is not swallowed.
bool renameNoReplace(const QString &from, const QString &to)
{
    const QByteArray f = QFile::encodeName(from);
    const QByteArray t = QFile::encodeName(to);
#ifdef RENAME_NOREPLACE
    if (::renameat2(AT_FDCWD, f.constData(), AT_FDCWD, t.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
#endif
    // File systems without that flag: check first; only a narrow race remains.
    if (existsOrIsLink(to)) {
        errno = EEXIST;
        return false;
    }
    return std::rename(f.constData(), t.constData()) == 0;
}

// Whether an entry other than `except` already has the name in any letter
// case: lesson names that differ only in case name the same lesson.
bool takenByAnother(const QString &folder, const QString &name, const QString &except)
{
    const QStringList entries =
        QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        if (entry != except && entry.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

} // namespace

LessonLibrary::LessonLibrary(const QString &dataDir)
    : m_dataDir(QDir::cleanPath(dataDir))
{
}

QString LessonLibrary::automaticName()
{
    return QStringLiteral(u"التلقائي");
}

QString LessonLibrary::copiedText()
{
    return QStringLiteral(u"تمت عملية النسخ بنجاح");
}

QString LessonLibrary::notCopiedText()
{
    return QStringLiteral(u"لم يتم نسخ الدرس");
}

QString LessonLibrary::chooseLessonText()
{
    return QStringLiteral(u"يجب اختيار درس ");
}

QString LessonLibrary::chooseLessonToDeleteText()
{
    return QStringLiteral(u"يجب اختيار درس لحذفه");
}

QString LessonLibrary::confirmDeleteText(const QString &name)
{
    return QStringLiteral(u"هل تريد حذف الدرس فعلاً\n\r") + name;
}

QString LessonLibrary::newLessonCaption()
{
    return QStringLiteral(u"انشاء درس جديد");
}

QString LessonLibrary::newLessonPrompt()
{
    return QStringLiteral(u"أدخل اسم الدرس");
}

Result LessonLibrary::checkName(const QString &name)
{
    if (name.isEmpty())
        return Result::failure(QStringLiteral(u"يجب كتابة اسم الدرس"));
    if (name == automaticName())
        return Result::failure(askAgain(QStringLiteral(u"لا يجوز تسمية الدرس بهذا الاسم")));
    if (name.startsWith(QLatin1Char('.')))
        return Result::failure(askAgain(QStringLiteral(u"لا يجوز أن يبدأ اسم الدرس بنقطة")));
    if (name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')))
        return Result::failure(askAgain(QStringLiteral(u"لا يجوز أن يحوي اسم الدرس الرمز / أو \\")));
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return Result::failure(askAgain(QStringLiteral(u"اسم الدرس يحوي رموزاً غير مسموح بها")));
    }
    if (!Windows1256::canHold(name))
        return Result::failure(askAgain(QStringLiteral(u"اسم الدرس يحوي رموزاً لا يمكن حفظها")));
    if (name.compare(LessonArchive::picturesFolder(), Qt::CaseInsensitive) == 0)
        return Result::failure(askAgain(QStringLiteral(u"لا يجوز تسمية الدرس بهذا الاسم")));
    if (QFile::encodeName(name).size() > MaxNameBytes)
        return Result::failure(askAgain(QStringLiteral(u"اسم الدرس طويل جداً")));
    return Result::success();
}

QStringList LessonLibrary::lessonNames() const
{
    QStringList names = lessonFolders(m_dataDir);
    names.sort();
    return names;
}

QStringList LessonLibrary::lessonFolders(const QString &dataDir)
{
    const QDir dir(dataDir);
    const QString canonicalData = QFileInfo(dataDir).canonicalFilePath();
    QStringList names;
    const QFileInfoList entries = dir.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::NoSort);
    for (const QFileInfo &entry : entries) {
        if (entry.isSymLink() && (canonicalData.isEmpty() || !isInside(entry.canonicalFilePath(), canonicalData)))
            continue;
        // The automatic lesson's pictures are no lesson; a lesson of that
        // name made before the name was kept for them still is one.
        if (entry.fileName().compare(LessonArchive::picturesFolder(), Qt::CaseInsensitive) == 0
            && !QFileInfo::exists(FileLookup::inFolder(entry.absoluteFilePath(), OptionsFile::fileName())))
            continue;
        names << entry.fileName();
    }
    return names;
}

QString LessonLibrary::lessonNameFor(const QString &name) const
{
    if (!isSafeFolderName(name) || name == automaticName())
        return name;
    return QFileInfo(FileLookup::inFolder(m_dataDir, name)).fileName();
}

std::optional<QString> LessonLibrary::optionsPathFor(const QString &lessonName) const
{
    const QString dataOptions = FileLookup::inFolder(m_dataDir, OptionsFile::fileName());
    // The empty name forms a path to the Data folder itself, whose options
    // file is the automatic lesson's; it is read, never written as a lesson.
    if (lessonName.isEmpty() || lessonName == automaticName())
        return dataOptions;
    if (!isSafeFolderName(lessonName))
        return std::nullopt;
    const std::optional<QString> data = canonicalDataDir();
    if (!data)
        return std::nullopt;
    // A current-lesson file written where letter case did not count may
    // spell the folder or its file otherwise.
    const QString folder = FileLookup::inFolder(m_dataDir, lessonName);
    const QString path = FileLookup::inFolder(folder, OptionsFile::fileName());
    // A folder or file that exists is followed to where it really is, so that
    // a link cannot lead the read outside the Data folder.
    const QFileInfo folderInfo(folder);
    if (folderInfo.exists() && !isInside(folderInfo.canonicalFilePath(), *data))
        return std::nullopt;
    const QFileInfo fileInfo(path);
    if (fileInfo.exists() && !isInside(fileInfo.canonicalFilePath(), *data))
        return std::nullopt;
    return path;
}

Result LessonLibrary::createLesson(const QString &name) const
{
    const Result nameCheck = checkName(name);
    if (!nameCheck)
        return nameCheck;
    const std::optional<QString> data = canonicalDataDir();
    if (!data)
        return Result::failure(notCopiedText());
    const QStringList sources = dataFiles(*data);
    const QString target = FileLookup::inFolder(*data, name);

    if (existsOrIsLink(target)) {
        const std::optional<QString> lesson = existingLessonDir(*data, QFileInfo(target).fileName());
        if (!lesson)
            return Result::failure(notCopiedText());
        for (const QString &source : sources) {
            if (!AtomicFile::copyReplacing(source, FileLookup::inFolder(*lesson, QFileInfo(source).fileName())))
                return Result::failure(notCopiedText());
        }
        return Result::success();
    }

    // Hidden folders are not listed, so the lesson shows only once complete;
    // a failure removes the half-filled folder with everything in it.
    QTemporaryDir fill(*data + QLatin1String("/.lesson-XXXXXX"));
    if (!fill.isValid())
        return Result::failure(notCopiedText());
    for (const QString &source : sources) {
        if (!AtomicFile::copyReplacing(source, fill.filePath(QFileInfo(source).fileName())))
            return Result::failure(notCopiedText());
    }
    // The temporary folder is private to its owner; a lesson folder is as
    // open as the Data folder holding it.
    QFile::setPermissions(fill.path(), QFileInfo(*data).permissions());
    if (!renameNoReplace(fill.path(), target))
        return Result::failure(notCopiedText());
    fill.setAutoRemove(false);
    return Result::success();
}

Result LessonLibrary::saveIntoLesson(const QString &name) const
{
    if (name == automaticName())
        return Result::failure(chooseLessonText());
    if (!isSafeFolderName(name))
        return Result::failure(notCopiedText());
    const std::optional<QString> data = canonicalDataDir();
    if (!data)
        return Result::failure(notCopiedText());
    const std::optional<QString> lesson =
        existingLessonDir(*data, QFileInfo(FileLookup::inFolder(*data, name)).fileName());
    if (!lesson)
        return Result::failure(notCopiedText());
    // A lesson file spelled in other letter case is replaced, not doubled.
    for (const QString &source : dataFiles(*data)) {
        if (!AtomicFile::copyReplacing(source, FileLookup::inFolder(*lesson, QFileInfo(source).fileName())))
            return Result::failure(notCopiedText());
    }
    return Result::success(copiedText());
}

Result LessonLibrary::deleteLesson(const QString &name) const
{
    if (!isSafeFolderName(name))
        return Result::failure(chooseLessonToDeleteText());
    const std::optional<QString> data = canonicalDataDir();
    if (!data)
        return Result::failure(QStringLiteral(u"لم يتم حذف الدرس"));
    const QString path = *data + QLatin1Char('/') + name;
    const QFileInfo info(path);
    if (info.isSymLink()) {
        // Only the link goes; the folder it points to is not the lesson's.
        if (!QFile::remove(path))
            return Result::failure(QStringLiteral(u"لم يتم حذف الدرس"));
        return Result::success();
    }
    if (!info.isDir())
        return Result::failure(QStringLiteral(u"الدرس غير موجود"));

    bool allRemoved = true;
    const QFileInfoList entries =
        QDir(path).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo &entry : entries) {
        // Sub-folders are not the lesson's own files and stay, with the
        // folder holding them; links inside are removed as links. Only the
        // lesson's own pictures folder goes with it, its plain files first.
        if (entry.isDir() && !entry.isSymLink()) {
            if (entry.fileName() != LessonArchive::picturesFolder())
                continue;
            const QFileInfoList pictures = QDir(entry.absoluteFilePath())
                .entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
            for (const QFileInfo &picture : pictures) {
                if ((!picture.isDir() || picture.isSymLink()) && !QFile::remove(picture.absoluteFilePath()))
                    allRemoved = false;
            }
            QDir(path).rmdir(entry.fileName());
            continue;
        }
        if (!QFile::remove(entry.absoluteFilePath()))
            allRemoved = false;
    }
    QDir(*data).rmdir(name);
    if (QFileInfo::exists(path) || existsOrIsLink(path)) {
        return Result::failure(allRemoved
            ? QStringLiteral(u"بقي مجلد الدرس لأنه يحوي مجلدات أخرى")
            : QStringLiteral(u"تعذر حذف بعض ملفات الدرس"));
    }
    return Result::success();
}

Result LessonLibrary::renameLesson(const QString &oldName, const QString &newName) const
{
    const Result nameCheck = checkName(newName);
    if (!nameCheck)
        return nameCheck;
    const std::optional<QString> data = canonicalDataDir();
    if (!isSafeFolderName(oldName) || !data || !existsOrIsLink(*data + QLatin1Char('/') + oldName))
        return Result::failure(QStringLiteral(u"الدرس غير موجود"));
    if (oldName == newName)
        return Result::success();
    // Only the lesson's own spelling may change; another lesson's name in
    // other letter case is taken.
    if (takenByAnother(*data, newName, oldName))
        return Result::failure(askAgain(QStringLiteral(u"يوجد درس بهذا الاسم")));
    if (!renameNoReplace(*data + QLatin1Char('/') + oldName, *data + QLatin1Char('/') + newName)) {
        if (errno == EEXIST || errno == ENOTEMPTY)
            return Result::failure(askAgain(QStringLiteral(u"يوجد درس بهذا الاسم")));
        return Result::failure(QStringLiteral(u"لم يتم تغيير اسم الدرس"));
    }
    return Result::success();
}

bool LessonLibrary::nameTaken(const QString &name) const
{
    return takenByAnother(m_dataDir, name, QString());
}

Result LessonLibrary::adoptFolder(const QString &filledFolder, const QString &name) const
{
    const Result nameCheck = checkName(name);
    if (!nameCheck)
        return nameCheck;
    const std::optional<QString> data = canonicalDataDir();
    if (!data)
        return Result::failure(notCopiedText());
    if (takenByAnother(*data, name, QString()))
        return Result::failure(askAgain(QStringLiteral(u"يوجد درس بهذا الاسم")));
    // The filled folder is private to its owner; a lesson folder is as
    // open as the Data folder holding it.
    QFile::setPermissions(filledFolder, QFileInfo(*data).permissions());
    if (!renameNoReplace(filledFolder, *data + QLatin1Char('/') + name)) {
        if (errno == EEXIST || errno == ENOTEMPTY)
            return Result::failure(askAgain(QStringLiteral(u"يوجد درس بهذا الاسم")));
        return Result::failure(notCopiedText());
    }
    return Result::success();
}

std::optional<QString> LessonLibrary::canonicalDataDir() const
{
    const QFileInfo info(m_dataDir);
    if (!info.isAbsolute() || !info.isDir())
        return std::nullopt;
    const QString canonical = info.canonicalFilePath();
    if (canonical.isEmpty())
        return std::nullopt;
    return canonical;
}

std::optional<QString> LessonLibrary::existingLessonDir(const QString &canonicalData,
                                                        const QString &name) const
{
    const QString path = canonicalData + QLatin1Char('/') + name;
    const QFileInfo info(path);
    // A lesson reached through a link is used only where it really lies
    // inside the Data folder, and never when it is the Data folder itself.
    if (!info.isDir() || !isInside(info.canonicalFilePath(), canonicalData))
        return std::nullopt;
    return path;
}

QStringList LessonLibrary::dataFiles(const QString &canonicalData) const
{
    QStringList files;
    const QFileInfoList entries = QDir(canonicalData).entryInfoList(
        QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks, QDir::Name);
    for (const QFileInfo &entry : entries) {
        // Regular files only: a link could lead outside, and a pipe or device
        // would block the copy.
        if (entry.isFile() && !entry.isSymLink())
            files << entry.absoluteFilePath();
    }
    return files;
}
