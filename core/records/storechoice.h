#pragma once

#include "core/base/result.h"

#include <QString>

/// Where this computer keeps the children's table, as the teacher chose it
/// on the children's page: the file results.db (the default) or the school's
/// server by the name of its libpq connection service. The choice is a file
/// of the program's own in the data folder, one line holding the service
/// name; no file (or an empty one) means results.db. A password is never in it.
class StoreChoice
{
public:
    static QString fileName() { return QStringLiteral("school-server.txt"); }
    /// The file on this computer that keeps the answers waiting for the
    /// server and the last rows read from it.
    static QString outboxFileName() { return QStringLiteral("school-outbox.db"); }

    /// The chosen service, or empty for results.db; what the file holds is
    /// returned as it is (the server store refuses a name that is not valid).
    static QString read(const QString &dataDir);
    /// Writes the choice; an empty service removes the file. A failure's
    /// Arabic reason names the file.
    static Result write(const QString &dataDir, const QString &service);
};
