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
///
/// Over the network the server must prove who it is before any password
/// goes to it: TLS with the server's certificate checked against the root
/// certificate (~/.postgresql/root.crt, or sslrootcert in the service) and
/// its host name, and the password proven by SCRAM bound to that TLS
/// channel, so that it never travels and a server that asks for it in
/// another way gets nothing. The program sets these itself, after the
/// service, so that a service file cannot weaken them. A server reached
/// through a Unix socket is on this machine itself: there is no network to
/// guard, TLS does not apply, and SCRAM is used without the binding.
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
    /// `password`, when given, is a teacher's typed password: it is used for
    /// this connection only and dropped with it.
    static Result connect(const QString &connection, const QString &service, const QString &password = QString());
    static void disconnect(const QString &connection);
    /// The service of the teachers' login beside the computers' `service`:
    /// `service` followed by "-teacher" (its user is in the teachers' role;
    /// its password is typed by a teacher, never kept in .pgpass).
    static QString teacherService(const QString &service);
    /// True when libpq reaches the service through Unix sockets of this
    /// machine only (no hostaddr, every host a socket folder or none).
    static bool socketOnly(const QString &service);
    /// The libpq options the program puts after the service: TLS with the
    /// certificate checked and SCRAM bound to it, or, on a socket, SCRAM.
    static QString connectOptions(const QString &service);
    /// The Arabic reason for a failure of the server or of the connection to
    /// it; `typedPassword` when the password was a teacher's typed one.
    static QString reasonOf(const QSqlError &error, bool typedPassword = false);

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

    /// The most children read from the server at once: what this computer
    /// takes from the server is bounded here, whatever the server sends.
    static constexpr int MaxRows = 20000;
    /// A child's name as read from the server, as it may be shown: without
    /// control characters (line breaks, direction overrides) and cut to the
    /// table's 50 characters.
    static QVariant cleanName(const QVariant &name);
};
