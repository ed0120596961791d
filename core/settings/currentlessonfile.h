#pragma once

#include "core/base/result.h"

#include <QByteArray>
#include <QString>

#include <optional>

/// The one-line file in the Data folder that names the current lesson, in
/// Windows-1256 with CR LF. The name is returned as written; whether it names
/// a lesson folder is LessonLibrary's question, so a hand-written
/// "../../etc" is read but never leads outside the Data folder.
class CurrentLessonFile
{
public:
    static QString fileName() { return QStringLiteral("CurLesson.txt"); }

    /// The name in the first line of the bytes (empty bytes give an empty
    /// name). A line ends at CR LF, LF or a lone CR.
    static QString parse(const QByteArray &bytes);

    /// The exact bytes for the name; fails with an Arabic text when the name
    /// holds a line break or characters Windows-1256 cannot hold.
    static QByteArray toBytes(const QString &name, QString *error = nullptr);

    /// The name stored in `dataDir`/CurLesson.txt, or nothing when the file is
    /// missing or cannot be read (the caller then takes the automatic lesson).
    static std::optional<QString> read(const QString &dataDir);

    /// Writes the name atomically into `dataDir`/CurLesson.txt.
    static Result write(const QString &dataDir, const QString &name);

    /// Only the first line is ever used; a longer file is read this far.
    static constexpr qint64 MaxReadBytes = 64 * 1024;
};
