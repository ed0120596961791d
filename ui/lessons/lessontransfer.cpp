#include "ui/lessons/lessontransfer.h"

#include "core/base/bidi.h"
#include "core/settings/lessonarchive.h"
#include "core/settings/lessonlibrary.h"
#include "ui/dialogs/dialogs.h"

#include <QDir>
#include <QFileInfo>

namespace LessonTransfer {

QString exportCaption()
{
    return QStringLiteral(u"تصدير الدرس…");
}

QString importCaption()
{
    return QStringLiteral(u"استيراد درس…");
}

void exportLesson(Dialogs &dialogs, const QString &lessonDir, const QString &name, const QString &suggestedFolder)
{
    const std::optional<QString> path = dialogs.chooseSaveFile(
        exportCaption(), QDir(suggestedFolder).filePath(name + QLatin1String(".lesson.zip")), LessonArchive::fileFilter());
    if (!path)
        return;
    const Result written = LessonArchive::exportLesson(lessonDir, name, *path);
    dialogs.showMessage(written ? QStringLiteral(u"تم تصدير الدرس إلى ") + Bidi::path(*path) : written.text);
}

std::optional<QString> importLesson(Dialogs &dialogs, const LessonLibrary &library, const QString &suggestedFolder,
                                    const QString &zipPath)
{
    QString path = zipPath;
    if (path.isEmpty()) {
        const std::optional<QString> chosen =
            dialogs.chooseOpenFile(importCaption(), suggestedFolder, LessonArchive::fileFilter());
        if (!chosen)
            return std::nullopt;
        path = *chosen;
    }
    LessonArchive::Import import(library.dataDir());
    const Result unpacked = import.unpack(path);
    if (!unpacked) {
        dialogs.showMessage(unpacked.text);
        return std::nullopt;
    }
    // The file's own name first; another is asked for as long as that one
    // is taken (in any letter case) or cannot name a lesson.
    QString name = import.archivedName();
    QString reason;
    if (name == LessonLibrary::automaticName())
        reason = QStringLiteral(u"لا يجوز تسمية الدرس بهذا الاسم");
    else if (library.nameTaken(name))
        reason = QStringLiteral(u"يوجد درس بهذا الاسم");
    for (;;) {
        if (!reason.isEmpty()) {
            const std::optional<QString> answer = dialogs.askText(
                importCaption(), reason + QStringLiteral(u"\n\rأدخل اسماً آخر للدرس"), name);
            if (!answer)
                return std::nullopt;
            name = *answer;
        }
        const Result placed = import.place(library, name);
        if (placed)
            return name;
        // A name refused asks again; any other failure ends the import.
        if (!LessonLibrary::checkName(name) || library.nameTaken(name)) {
            reason = LessonLibrary::checkName(name) ? QStringLiteral(u"يوجد درس بهذا الاسم")
                                                    : LessonLibrary::checkName(name).text.section(QLatin1Char('\n'), 0, 0);
            continue;
        }
        dialogs.showMessage(placed.text);
        return std::nullopt;
    }
}

} // namespace LessonTransfer
