#pragma once

#include <QString>

class QSqlError;

/// The file of the children's table. open() adds an SQLite connection on it:
/// a missing (or zero-length) file gets the table, created in one
/// transaction; an existing file is only read and probed, never written,
/// until it has shown that it holds exactly the table and can be written.
/// On failure the connection is removed and the file is as it was.
class ResultsFile
{
public:
    /// false with an Arabic reason (not naming the file) on failure.
    static bool open(const QString &connection, const QString &path, QString *reason);
    /// The Arabic reason for an SQLite failure.
    static QString reasonOf(const QSqlError &error);

private:
    static bool checkWritable(const QString &path, QString *reason);
    static bool createSchema(const QString &connection, QString *reason);
    static bool checkSchema(const QString &connection, QString *reason);
    static bool probeWrite(const QString &connection, QString *reason);
};
