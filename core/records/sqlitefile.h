#pragma once

#include "core/base/result.h"

#include <QString>
#include <QStringList>

class QSqlDatabase;

/// What every SQLite file of the quiz (results.db, the school server's
/// outbox) goes through before anything in it is trusted. Such a file may
/// come from a USB stick or another computer, and SQLite runs what the file
/// itself declares: a trigger acts at every write, a view answers a query
/// with rows of its own, a table declared with other clauses changes what an
/// insert does (ON CONFLICT REPLACE deletes rows). So a file is used only
/// when every object in it is one the quiz makes, exactly as it makes it.
namespace SqliteFile {

/// The file, or a file SQLite keeps beside it (-journal, -wal, -shm), is a
/// symbolic link: SQLite would read and write its target, wherever it is.
/// The failure's reason is Arabic and does not name the file.
Result checkNoLinks(const QString &path);

/// Where the file's folder is its user's own (AtomicFile::isPrivateFolder),
/// the file and its companions get read
/// and write for their owner only. A missing file is made so, empty (SQLite
/// takes it as an empty database), before SQLite would make it with the
/// usual permissions; its companions then take the file's. Returns whether
/// the file was made.
bool keepPrivate(const QString &path);

/// Sets the open connection so that the file's own schema cannot act: no
/// function that is not harmless in the schema (trusted_schema off),
/// defensive mode (no writing to the schema or the pages behind SQLite's
/// back), and no trigger or view of the file itself fires or is read.
Result harden(const QSqlDatabase &db);

/// The file holds nothing but objects that `statements` make, each exactly
/// as they make it (SQLite's own record of it, learnt by running them on an
/// empty database in memory). Objects of the statements that the file lacks
/// are allowed: a file made before they were added. Reads only.
Result holdsOnly(const QSqlDatabase &db, const QStringList &statements);

/// The file's pages are whole (SQLite's quick check, which stops at the
/// first fault): a damaged file is refused at its opening, untouched, rather
/// than failing at every answer later. Reads only.
Result checkIntact(const QSqlDatabase &db);

} // namespace SqliteFile
