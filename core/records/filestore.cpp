#include "core/records/filestore.h"

#include "core/base/bidi.h"
#include "core/records/resultsfile.h"
#include "core/records/resultstable.h"

#include <QDir>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace {

// A store that is not open is never the table's: the table says itself
// that it is not open, so there is nothing to add.
Result notOpen()
{
    return Result::failure(QString());
}

QString countSql(const QString &column)
{
    return QStringLiteral("UPDATE Table1 SET %1 = %2 WHERE No = ?").arg(column, AnswerCount::addOneSql(column));
}

} // namespace

struct FileStore::Queries
{
    explicit Queries(const QSqlDatabase &db)
        : insert(db), update(db), updateCounts(db), remove(db), addEvent(db), removeHistory(db), countRight(db),
          countWrong(db)
    {
    }
    QSqlQuery insert, update, updateCounts, remove, addEvent, removeHistory, countRight, countWrong;
};

FileStore::FileStore(const QString &connection, QObject *parent)
    : RowReadingStore(parent), m_connection(connection)
{
}

FileStore::~FileStore()
{
    close();
}

QString FileStore::place() const
{
    return Bidi::path(QDir::toNativeSeparators(m_path));
}

Result FileStore::readConnection(QString *connection)
{
    *connection = m_connection;
    return Result::success();
}

Result FileStore::open(const QString &path)
{
    close();
    m_path = path;
    const Result opened = ResultsFile::open(m_connection, path);
    if (!opened)
        return opened;
    m_q = std::make_unique<Queries>(QSqlDatabase::database(m_connection, false));
    const std::pair<QSqlQuery *, QString> all[] = {
        {&m_q->insert, QStringLiteral("INSERT INTO Table1 (Name, Ok, NotOk) VALUES (?, ?, ?)")},
        {&m_q->update, QStringLiteral("UPDATE Table1 SET Name = ?, Ok = ?, NotOk = ? WHERE No = ?")},
        {&m_q->updateCounts, QStringLiteral("UPDATE Table1 SET Ok = ?, NotOk = ? WHERE No = ?")},
        {&m_q->remove, QStringLiteral("DELETE FROM Table1 WHERE No = ?")},
        {&m_q->addEvent, QStringLiteral("INSERT INTO Answers (Child, Seq, Time, Event, Lesson, QuestionType, "
                                        "Asked, Clicked, Correct) VALUES (?, (SELECT ifnull(MAX(Seq), 0) + 1 "
                                        "FROM Answers WHERE Child = ?), ?, ?, ?, ?, ?, ?, ?)")},
        {&m_q->removeHistory, QStringLiteral("DELETE FROM Answers WHERE Child = ?")},
        {&m_q->countRight, countSql(QStringLiteral("Ok"))},
        {&m_q->countWrong, countSql(QStringLiteral("NotOk"))},
    };
    Result prepared = Result::success();
    for (const auto &[query, sql] : all) {
        query->setForwardOnly(true);
        if (prepared && !query->prepare(sql))
            prepared = Result::failure(ResultsFile::reasonOf(query->lastError()));
    }
    if (prepared)
        prepared = m_rows.prepare(m_connection, QStringLiteral("Table1"));
    if (!prepared) {
        close();
        m_path = path;
    }
    return prepared;
}

void FileStore::close()
{
    m_q.reset();
    m_rows.clear();
    if (QSqlDatabase::contains(m_connection)) {
        {
            QSqlDatabase db = QSqlDatabase::database(m_connection, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(m_connection);
    }
}

// The work's writes are on disk together, or (after a failure, or a kill at
// any moment) none of them is.
Result FileStore::inTransaction(const std::function<Result()> &work)
{
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    if (!db.transaction())
        return Result::failure(ResultsFile::reasonOf(db.lastError()));
    const Result done = work();
    if (!done) {
        db.rollback();
        return done;
    }
    if (!db.commit()) {
        const Result failed = Result::failure(ResultsFile::reasonOf(db.lastError()));
        db.rollback();
        return failed;
    }
    return Result::success();
}

Result FileStore::insertRecord(ChildRecord *record, const QVector<HistoryRow> &events)
{
    if (!m_q)
        return notOpen();
    const auto write = [&]() -> Result {
        QSqlQuery &q = m_q->insert;
        RowReader::bindValues(q, 0, *record);
        if (!q.exec())
            return Result::failure(ResultsFile::reasonOf(q.lastError()));
        record->no = q.lastInsertId().toInt();
        q.finish();
        return writeEvents(record->no, events);
    };
    // A row without history is one statement, committed on its own.
    return events.isEmpty() ? write() : inTransaction(write);
}

Result FileStore::updateRecord(const ChildRecord &record, const QVector<HistoryRow> &events)
{
    if (!m_q)
        return notOpen();
    const auto write = [&]() -> Result {
        // A name shown cleaned or cut keeps its stored text: a reset must
        // not rewrite what was never changed.
        QSqlQuery &q = record.nameCleaned ? m_q->updateCounts : m_q->update;
        if (record.nameCleaned) {
            const auto count = [](const QVariant &v) {
                return v.isNull() ? QVariant(QMetaType::fromType<int>()) : QVariant(v.toInt());
            };
            q.bindValue(0, count(record.ok));
            q.bindValue(1, count(record.notOk));
            q.bindValue(2, record.no);
        } else {
            RowReader::bindValues(q, 0, record);
            q.bindValue(3, record.no);
        }
        if (!q.exec())
            return Result::failure(ResultsFile::reasonOf(q.lastError()));
        const int affected = q.numRowsAffected();
        q.finish();
        if (affected != 1)
            return Result::failure(QStringLiteral("سجل الطفل رقم %L1 لم يعد موجوداً").arg(record.no));
        return writeEvents(record.no, events);
    };
    return events.isEmpty() ? write() : inTransaction(write);
}

Result FileStore::countAnswer(int no, const HistoryRow &answer, ChildRecord *after)
{
    if (!m_q)
        return notOpen();
    const Result counted = inTransaction([&]() -> Result {
        QSqlQuery &q = answer.judgement == Judgement::Right ? m_q->countRight : m_q->countWrong;
        q.bindValue(0, no);
        if (!q.exec())
            return Result::failure(ResultsFile::reasonOf(q.lastError()));
        const int affected = q.numRowsAffected();
        q.finish();
        if (affected != 1)
            return Result::failure(QStringLiteral("سجل الطفل رقم %L1 لم يعد موجوداً").arg(no));
        return writeEvents(no, {answer});
    });
    if (counted && !m_rows.seek(Key, no, after))
        after->no = 0;
    return counted;
}

Result FileStore::writeEvents(int no, const QVector<HistoryRow> &events)
{
    QSqlQuery &q = m_q->addEvent;
    for (const HistoryRow &e : events) {
        q.bindValue(0, no);
        q.bindValue(1, no); // the child's next Seq
        q.bindValue(2, e.time);
        q.bindValue(3, int(e.event));
        AnswerCount::bindAnswer(q, 4, e);
        if (!q.exec()) {
            return Result::failure(QStringLiteral("تعذر حفظ الإجابة في سجل الإجابات: %1")
                                       .arg(ResultsFile::reasonOf(q.lastError())));
        }
        q.finish();
    }
    return Result::success();
}

Result FileStore::removeChild(int no)
{
    if (!m_q)
        return notOpen();
    return inTransaction([&]() -> Result {
        for (QSqlQuery *q : {&m_q->removeHistory, &m_q->remove}) {
            q->bindValue(0, no);
            if (!q->exec()) {
                const Result failed = Result::failure(ResultsFile::reasonOf(q->lastError()));
                q->finish();
                return failed;
            }
            q->finish();
        }
        return Result::success();
    });
}
