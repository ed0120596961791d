#pragma once

#include "core/base/result.h"

#include <QString>
#include <QStringList>

class QSqlError;

/// The file of the children's table. open() adds an SQLite connection on it:
/// a missing (or zero-length) file gets the tables, created in one
/// transaction; an existing file is only read and probed, never written,
/// until it has shown that it holds exactly the children's table and can be
/// written (nothing but the quiz's own objects, see SqliteFile). A file made
/// before answers were kept (schema version 0 or 1) then gets the answers
/// table in one transaction; a file of a later version is refused, and so is
/// a file that is a symbolic link. On failure the connection is removed and
/// the file is as it was. In a private folder the file is its owner's only.
///
/// The answers table `Answers` keeps one row per judged answer and one per
/// reset of a child's counts (Event 1), child by child in the order they
/// happened (Seq): child number, time (milliseconds since 1970, UTC), lesson
/// name, question
/// type (0 colours, 1 text, 2 pictures), asked and clicked choice (1..3) and
/// Correct (1 right, 0 wrong). Table1 keeps exactly its four fields.
class ResultsFile
{
public:
    /// A failure's reason is Arabic and does not name the file.
    static Result open(const QString &connection, const QString &path);
    /// The Arabic reason for an SQLite failure.
    static QString reasonOf(const QSqlError &error);
    /// The statements that make every object the quiz keeps in the file; a
    /// file holding any other object (a trigger, a view, an index, a table
    /// declared otherwise) is refused untouched.
    static QStringList schemaStatements();

private:
    static Result checkWritable(const QString &path);
    static Result createSchema(const QString &connection);
    static Result checkSchema(const QString &connection, int *version);
    static Result checkAnswersTable(const QString &connection, bool *present);
    static Result addAnswersTable(const QString &connection);
    static Result probeWrite(const QString &connection);
};
