#pragma once

#include "core/base/result.h"

#include <QString>

class QSqlError;

/// What the program needs to talk to the school's PostgreSQL server and to
/// keep its answers on this computer while the server cannot be reached.
///
/// The program keeps only the name of a libpq connection service: the host,
/// database, user and password are in PostgreSQL's own pg_service.conf and
/// .pgpass files, as for every PostgreSQL client, so no password is ever
/// written into the program's files or shown.
class SchoolServer
{
public:
    /// Letters, digits, "_", "-" and "." only (at most 63): the name goes
    /// into a libpq connection string, where a blank or "=" would add options.
    static bool validService(const QString &service);
    static QString invalidServiceText(const QString &service);

    /// Adds the PostgreSQL connection `connection` of this thread on the
    /// service and checks that the database was set up for the quiz. On
    /// failure the connection is removed and the failure says why in Arabic.
    static Result connect(const QString &connection, const QString &service);
    static void disconnect(const QString &connection);
    /// The Arabic reason for a failure of the server or of the connection to it.
    static QString reasonOf(const QSqlError &error);

    /// Opens (and makes when missing) the file on this computer that holds the
    /// answers waiting to be sent (Outbox) and the last rows read from the
    /// server (Copy), as the SQLite connection `connection` of this thread.
    static Result openCache(const QString &connection, const QString &path, int busyMs);
    static void closeCache(const QString &connection);

    /// One answer counted on the server in one statement: its history row is
    /// added unless a row with its id is there already, and only then is the
    /// child's count raised, by the server itself. Binds: id, time, lesson,
    /// question type, asked, clicked, correct, child. Gives the child's row
    /// (no, name, ok, notok), or no row when the answer was there already or
    /// the child is gone.
    static QString countSql();
    /// The history row of a reset or of an answer written with a change.
    /// Binds: id, child, time, event, lesson, question type, asked, clicked, correct.
    static QString historySql();
};
