#pragma once

#include "core/base/result.h"

#include <QString>
#include <QStringList>

#include <optional>

/// The saved lessons: one folder per lesson directly inside the Data folder,
/// holding copies of the Data folder's files. Every operation works on
/// absolute paths below the Data folder given to the constructor; none reads,
/// writes or deletes outside it, none treats the Data folder itself as a
/// lesson, and none changes the process's current directory.
///
/// The texts returned are the ones the window shows (Arabic); an operation
/// that the window shows no message for still says honestly whether it worked.
class LessonLibrary
{
public:
    /// `dataDir` is the absolute path of the Data folder, with or without a
    /// trailing "/". It need not exist yet; operations fail while it does not.
    explicit LessonLibrary(const QString &dataDir);

    QString dataDir() const { return m_dataDir; }

    /// Most characters a lesson name read from the disk keeps: a folder name
    /// has at most 255 bytes, so no lesson has a longer name.
    static constexpr int NameLength = 255;
    /// The reserved name of the Data folder's own settings.
    static QString automaticName();

    /// "Copying done": the result of a successful save into a lesson.
    static QString copiedText();
    /// "The lesson was not copied": a failed create or save.
    static QString notCopiedText();
    /// Asked to save into the automatic lesson (ends with one blank).
    static QString chooseLessonText();
    /// Delete pressed with no lesson selected.
    static QString chooseLessonToDeleteText();
    /// The question before deleting the named lesson.
    static QString confirmDeleteText(const QString &name);
    /// The caption and prompt of the new-lesson name box.
    static QString newLessonCaption();
    static QString newLessonPrompt();

    /// Whether the name can be a lesson folder. Refused, each with a short
    /// Arabic message that asks for another name: empty, ".", "..", a leading
    /// dot (hidden folders are not listed), "/", "\", NUL or other control
    /// characters, the automatic name, characters Windows-1256 cannot hold
    /// (the current-lesson file could not name the lesson), names too long
    /// for one folder name, and "pictures" in any letter case (the Data
    /// folder's own pictures are kept in a folder of that name).
    static Result checkName(const QString &name);

    /// The lessons: folders directly inside the Data folder that are not
    /// hidden, sorted by name.
    QStringList lessonNames() const;
    /// The folders of `dataDir` that can be lessons, unsorted: not hidden,
    /// not the automatic lesson's `pictures` folder, and not a link that leads out of the Data folder (a link to /etc is
    /// no lesson, and nothing is read or written through it).
    static QStringList lessonFolders(const QString &dataDir);

    /// The lesson's name as its folder spells it where a folder's name
    /// differs only in letter case (names are equal regardless of case);
    /// otherwise the name itself.
    QString lessonNameFor(const QString &name) const;

    /// The options file to read for a lesson name: the Data folder's own for
    /// the automatic name and for the empty name; the lesson folder's
    /// otherwise, whether or not it exists (a missing file makes the load fail
    /// as it should). Nothing for a name that is no single folder name or
    /// whose folder or file leads outside the Data folder (a hand-edited
    /// current-lesson file saying "../../etc"): the caller treats that like a
    /// lesson whose options file cannot be opened.
    std::optional<QString> optionsPathFor(const QString &lessonName) const;

    /// Creates the lesson from the Data folder's regular files (never its
    /// sub-folders or links); a lesson whose name differs only in letter
    /// case is the existing lesson. A new lesson is filled in a hidden folder and
    /// appears under its name only when complete; over an existing lesson each
    /// file is replaced in one step, so options.txt is never missing. Either
    /// way every copy must succeed, or the result is a failure.
    Result createLesson(const QString &name) const;

    /// The operations below on an existing lesson (save, delete, rename's
    /// old name, the options path) take any name that stays one entry of the
    /// Data folder, so that a folder made by hand under a name checkName()
    /// would refuse can still be used or deleted.

    /// Replaces each of the lesson's files that has a namesake in the Data
    /// folder, one file at a time in one step each; the lesson's other files
    /// stay. Success gives copiedText(); the automatic name gives
    /// chooseLessonText(); anything else notCopiedText().
    Result saveIntoLesson(const QString &name) const;

    /// Deletes the lesson folder's own files (links are removed, never
    /// followed) and its pictures folder, then the folder when it is empty;
    /// any other sub-folder and the
    /// folder holding it stay. A lesson that is a link to a folder is only
    /// unlinked. Success means the lesson is gone.
    Result deleteLesson(const QString &name) const;

    /// Renames the lesson folder in place; the new name is checked as for a
    /// new lesson and no other lesson may have it in any letter case (the
    /// lesson's own spelling may change).
    Result renameLesson(const QString &oldName, const QString &newName) const;

    /// Whether an entry of the Data folder has the name in any letter case.
    bool nameTaken(const QString &name) const;
    /// Gives a folder filled elsewhere inside the Data folder (a hidden one)
    /// the lesson's name in one rename, never replacing what has the name
    /// meanwhile; the name is checked as for a new lesson.
    Result adoptFolder(const QString &filledFolder, const QString &name) const;

private:
    std::optional<QString> canonicalDataDir() const;
    std::optional<QString> existingLessonDir(const QString &canonicalData, const QString &name) const;
    QStringList dataFiles(const QString &canonicalData) const;

    QString m_dataDir;
};
