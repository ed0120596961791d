#pragma once

#include <QString>

#include <optional>

class Dialogs;
class LessonLibrary;

/// The teacher's steps of handing a lesson on as one .zip file and of taking
/// one in (core/settings/lessonarchive.h holds the file's rules).
namespace LessonTransfer {

/// Asks where to write the lesson's file and writes it; says how it went.
/// `lessonDir` is the lesson's folder (the Data folder for the automatic
/// lesson), `name` the name its folder takes inside the file.
void exportLesson(Dialogs &dialogs, const QString &lessonDir, const QString &name, const QString &suggestedFolder);

/// Asks for a lesson file (unless `zipPath` is given) and makes a new lesson
/// of it, asking for another name while the file's is taken in any letter
/// case or cannot be a lesson's. Its name as it is on disk, or nothing when
/// cancelled or refused (told, with the reason).
std::optional<QString> importLesson(Dialogs &dialogs, const LessonLibrary &library, const QString &suggestedFolder,
                                    const QString &zipPath = QString());

QString exportCaption();
QString importCaption();

} // namespace LessonTransfer
