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
    /// Binds the row's Name, Ok and NotOk (nulls kept) to the placeholders
    /// from `first` on: what readRecord reads, as the stores write it.
    static void bindValues(QSqlQuery &query, int first, const ChildRecord &record);

private:
    struct Queries;
    std::unique_ptr<Queries> m_q;
};

/// The reading half of a store whose rows are an SQLite table on this
/// computer (results.db itself, or the copy of the school server's table):
/// both read through one RowReader. The store prepares and clears it, and
/// clears it before its connection goes.
class RowReadingStore : public ResultsStore
{
public:
    using ResultsStore::ResultsStore;

    Result count(int *n) override { return m_rows.count(n); }
    bool seek(Seek which, int key, ChildRecord *out) override { return m_rows.seek(which, key, out); }
    Result keys(QVector<int> *out) override { return m_rows.keys(out); }
    Result records(int fromNo, int toNo, QVector<ChildRecord> *out) override
    {
        return m_rows.records(fromNo, toNo, out);
    }

protected:
    RowReader m_rows;
};
