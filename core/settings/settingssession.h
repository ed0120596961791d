#pragma once

#include "core/base/datalocation.h"
#include "core/base/result.h"
#include "core/settings/lessonlibrary.h"
#include "core/settings/optionsfile.h"

#include <QFont>
#include <QString>

#include <optional>

/// The program's files and the settings of one run: where the program and
/// its data live, every path below them, and the rules of loading and saving
/// the settings that need no window: the lesson's options with the fallback
/// to the automatic lesson, the guard that keeps built-in values from
/// replacing a teacher's settings, the font size a file may give.
///
/// The program folder (AppDir) is derived anew at every locate(), as every
/// settings load does; the data location (beside the program or in the
/// user's own folder) is settled once, at the first.
class SettingsSession
{
public:
    struct Environment
    {
        /// The full path of the running program file.
        QString programFile;
        /// The user's own data folder, used where the program folder cannot
        /// be written; empty: the program folder in every case.
        QString userDataDir = QString();
        /// Whether a folder can be written; empty: the system is asked.
        DataLocation::WritableProbe canWrite = nullptr;
    };

    explicit SettingsSession(Environment environment);

    /// Derives AppDir and, the first time, settles the data location (which
    /// may make and fill the user's folder). Returns the message to tell the
    /// teacher: only once, and only when nothing can be written.
    QString locate();

    /// The program folder with its trailing "/", as the last locate() derived it.
    QString appDir() const { return m_appDir; }
    const DataLocation &location() const { return m_location; }
    /// The folder holding Data and results.db, with its trailing "/".
    QString dataRoot() const { return m_location.root; }
    /// Whether settings, lessons, clips and results may be written: only
    /// once the location is settled, and where it can be written.
    bool mayWrite() const { return m_located && m_location.writable; }

    /// The Data folder and the files the program reads and writes, each
    /// found whatever the letter case of its name on disk.
    QString dataDir() const;
    QString optionsFile() const;
    QString resultsFile() const;
    QString helpPage() const;

    /// The saved lessons, in the Data folder of the last locate().
    const LessonLibrary &lessons() const { return m_lessons; }

    /// The lesson the current-lesson file names; the automatic lesson where
    /// there is none or it cannot be read.
    QString storedLessonName() const;
    /// The options of the lesson; nothing when its options file cannot be
    /// found or opened (the load then falls back to the automatic lesson).
    std::optional<OptionsRead> readLesson(const QString &name) const;
    /// The same in the given lessons' Data folder, for readers that have no
    /// session (the export of the answers history).
    static std::optional<OptionsRead> readLesson(const LessonLibrary &lessons, const QString &name);
    /// The Data folder's own options, for that fallback.
    Result readAutomatic(OptionsRead *read) const;
    /// What the teacher is told when a lesson's options cannot be read.
    static QString fallbackText();

    /// The current-lesson file names the lesson; nothing is written where
    /// nothing may be.
    Result writeCurrentLesson(const QString &name) const;

    /// The controls hold the settings of a file from now on.
    void markApplied() { m_applied = true; }
    /// Writes the current-lesson file and the Data folder's options file.
    /// Nothing is written where nothing may be, nor before the controls were
    /// set from a file while an options file exists: their built-in values
    /// would replace the teacher's settings (a start-up that failed early
    /// must not cost them). Where no options file exists yet, one is written.
    Result save(const QString &lesson, const OptionsValues &values) const;

    /// The font size a file's value gives: sizes no font can take (zero,
    /// below, or beyond the largest the font dialog offers) are damaged and
    /// give the default.
    static int usableFontSize(int points);
    /// The size a font is saved with, in points; a font given in pixels (the
    /// built-in one) is taken at the usual 96 dots per inch.
    static int fontPoints(const QFont &font);
    static constexpr int MaxFontPoints = 1638;

private:
    Environment m_environment;
    QString m_appDir;
    DataLocation m_location;
    bool m_located = false;
    bool m_applied = false;
    LessonLibrary m_lessons{QString()};
};
