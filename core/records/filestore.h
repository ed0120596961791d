#pragma once

#include "core/records/resultsstore.h"
#include "core/records/rowreader.h"

#include <functional>
#include <memory>

class QSqlQuery;

/// The children's table in the SQLite file results.db on this computer (see
/// ResultsFile for what open() accepts). Every write is committed with full
/// synchronisation before it returns; a row and its history rows are written
/// in one transaction.
class FileStore : public RowReadingStore
{
    Q_OBJECT
public:
    explicit FileStore(const QString &connection, QObject *parent = nullptr);
    ~FileStore() override;

    Result open(const QString &path);

    QString place() const override;
    bool isShared() const override { return false; }
    Result insertRecord(ChildRecord *record, const QVector<HistoryRow> &events) override;
    Result updateRecord(const ChildRecord &record, const QVector<HistoryRow> &events) override;
    Result countAnswer(int no, const HistoryRow &answer, ChildRecord *after) override;
    Result removeChild(int no) override;
    Result readConnection(QString *connection) override;

private:
    struct Queries;
    Result inTransaction(const std::function<Result()> &work);
    Result writeEvents(int no, const QVector<HistoryRow> &events);
    void close();

    QString m_connection;
    QString m_path;
    std::unique_ptr<Queries> m_q;
};
