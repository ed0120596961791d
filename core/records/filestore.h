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
class FileStore : public ResultsStore
{
    Q_OBJECT
public:
    explicit FileStore(const QString &connection, QObject *parent = nullptr);
    ~FileStore() override;

    bool open(const QString &path, QString *reason);

    QString place() const override;
    bool isShared() const override { return false; }
    bool count(int *n, QString *reason) override { return m_rows.count(n, reason); }
    bool seek(Seek which, int key, ChildRecord *out) override { return m_rows.seek(which, key, out); }
    bool insertRecord(ChildRecord *record, const QVector<HistoryRow> &events, QString *reason) override;
    bool updateRecord(const ChildRecord &record, const QVector<HistoryRow> &events, QString *reason) override;
    bool countAnswer(int no, const HistoryRow &answer, ChildRecord *after, QString *reason) override;
    bool removeChild(int no, QString *reason) override;
    QVector<int> keys(QString *reason) override { return m_rows.keys(reason); }
    QVector<ChildRecord> records(int fromNo, int toNo, QString *reason) override
    {
        return m_rows.records(fromNo, toNo, reason);
    }
    bool readConnection(QString *connection, QString *) override;

private:
    struct Queries;
    bool inTransaction(const std::function<bool(QString *)> &work, QString *reason);
    bool writeEvents(int no, const QVector<HistoryRow> &events, QString *reason);
    void close();

    QString m_connection;
    QString m_path;
    RowReader m_rows;
    std::unique_ptr<Queries> m_q;
};
