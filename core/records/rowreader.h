#pragma once

#include "core/records/resultsstore.h"

#include <QSqlQuery>

#include <memory>

/// Reads the children's rows from a table or view with the columns No, Name,
/// Ok and NotOk on an SQLite connection, through queries prepared once: the
/// cursor moves of the local file and of the server's copy on this computer.
class RowReader
{
public:
    RowReader();
    ~RowReader();
    /// A failure, with an Arabic reason, when the queries cannot be prepared.
    Result prepare(const QString &connection, const QString &relation);
    void clear();

    Result count(int *n);
    bool seek(ResultsStore::Seek which, int key, ChildRecord *out);
    Result keys(QVector<int> *out);
    Result records(int fromNo, int toNo, QVector<ChildRecord> *out);

    /// A row as read by a query selecting No, Name, Ok, NotOk (in that order
    /// from column `first`), nulls kept.
    static ChildRecord readRecord(const QSqlQuery &query, int first = 0);

private:
    struct Queries;
    std::unique_ptr<Queries> m_q;
};
