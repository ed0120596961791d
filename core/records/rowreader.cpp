#include "core/records/rowreader.h"

#include "core/base/plaintext.h"
#include "core/records/resultsfile.h"
#include "core/records/resultstable.h"

#include <QSqlDatabase>
#include <QSqlError>

#include <limits>

namespace {

QVariant nullableInt(const QVariant &value)
{
    if (value.isNull())
        return QVariant(QMetaType::fromType<int>());
    bool ok = false;
    const qlonglong n = value.toLongLong(&ok);
    if (!ok)
        return 0;
    if (n > std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    if (n < std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    return int(n);
}

} // namespace

struct RowReader::Queries
{
    explicit Queries(const QSqlDatabase &db)
        : first(db), last(db), next(db), prior(db), key(db), count(db), keys(db), range(db)
    {
    }
    QSqlQuery first, last, next, prior, key, count, keys, range;
};

RowReader::RowReader() = default;
RowReader::~RowReader() = default;

void RowReader::clear()
{
    m_q.reset();
}

ChildRecord RowReader::readRecord(const QSqlQuery &query, int first)
{
    ChildRecord record;
    record.no = query.value(first).toInt();
    const QVariant name = query.value(first + 1);
    if (name.isNull()) {
        record.name = QVariant(QMetaType::fromType<QString>());
    } else {
        // A file from elsewhere may hold any text in a name: it is shown,
        // and kept on this computer, as a name may be.
        const QString stored = name.toString();
        const QString shown = PlainText::cleanText(stored, ResultsTable::NameLength);
        record.name = shown;
        record.nameCleaned = shown != stored;
    }
    record.ok = nullableInt(query.value(first + 2));
    record.notOk = nullableInt(query.value(first + 3));
    return record;
}

void RowReader::bindValues(QSqlQuery &query, int first, const ChildRecord &record)
{
    const auto intOrNull = [](const QVariant &value) {
        return value.isNull() ? QVariant(QMetaType::fromType<int>()) : QVariant(value.toInt());
    };
    query.bindValue(first, record.name.isNull() ? QVariant(QMetaType::fromType<QString>())
                                                : QVariant(record.name.toString()));
    query.bindValue(first + 1, intOrNull(record.ok));
    query.bindValue(first + 2, intOrNull(record.notOk));
}

Result RowReader::prepare(const QString &connection, const QString &relation)
{
    m_q = std::make_unique<Queries>(QSqlDatabase::database(connection, false));
    const QString select = QStringLiteral("SELECT No, Name, Ok, NotOk FROM %1 ").arg(relation);
    const std::pair<QSqlQuery *, QString> all[] = {
        {&m_q->first, select + QStringLiteral("ORDER BY No LIMIT 1")},
        {&m_q->last, select + QStringLiteral("ORDER BY No DESC LIMIT 1")},
        {&m_q->next, select + QStringLiteral("WHERE No > ? ORDER BY No LIMIT 1")},
        {&m_q->prior, select + QStringLiteral("WHERE No < ? ORDER BY No DESC LIMIT 1")},
        {&m_q->key, select + QStringLiteral("WHERE No = ?")},
        {&m_q->count, QStringLiteral("SELECT COUNT(*) FROM %1").arg(relation)},
        {&m_q->keys, QStringLiteral("SELECT No FROM %1 ORDER BY No").arg(relation)},
        {&m_q->range, select + QStringLiteral("WHERE No BETWEEN ? AND ? ORDER BY No")},
    };
    for (const auto &[query, sql] : all) {
        query->setForwardOnly(true);
        if (!query->prepare(sql)) {
            const Result failed = Result::failure(ResultsFile::reasonOf(query->lastError()));
            m_q.reset();
            return failed;
        }
    }
    return Result::success();
}

// Before prepare() there is nothing to count and nothing to say: the table
// tells that it is not open.
Result RowReader::count(int *n)
{
    if (!m_q)
        return Result::failure(QString());
    if (!m_q->count.exec() || !m_q->count.next())
        return Result::failure(ResultsFile::reasonOf(m_q->count.lastError()));
    *n = m_q->count.value(0).toInt();
    m_q->count.finish();
    return Result::success();
}

// Nothing found, or a failed read, leaves `out` as it was.
bool RowReader::seek(ResultsStore::Seek which, int key, ChildRecord *out)
{
    if (!m_q)
        return false;
    QSqlQuery *q = nullptr;
    switch (which) {
    case ResultsStore::First: q = &m_q->first; break;
    case ResultsStore::Last: q = &m_q->last; break;
    case ResultsStore::Next: q = &m_q->next; break;
    case ResultsStore::Prior: q = &m_q->prior; break;
    case ResultsStore::Key: q = &m_q->key; break;
    }
    if (which != ResultsStore::First && which != ResultsStore::Last)
        q->bindValue(0, key);
    if (!q->exec())
        return false;
    const bool found = q->next();
    if (found)
        *out = readRecord(*q);
    q->finish();
    return found;
}

// Before prepare() there are no rows, which is no failure.
Result RowReader::keys(QVector<int> *out)
{
    out->clear();
    if (!m_q)
        return Result::success();
    QSqlQuery &q = m_q->keys;
    if (!q.exec())
        return Result::failure(ResultsFile::reasonOf(q.lastError()));
    while (q.next())
        out->append(q.value(0).toInt());
    q.finish();
    return Result::success();
}

Result RowReader::records(int fromNo, int toNo, QVector<ChildRecord> *out)
{
    out->clear();
    if (!m_q)
        return Result::success();
    QSqlQuery &q = m_q->range;
    q.bindValue(0, fromNo);
    q.bindValue(1, toNo);
    if (!q.exec())
        return Result::failure(ResultsFile::reasonOf(q.lastError()));
    while (q.next())
        out->append(readRecord(q));
    q.finish();
    return Result::success();
}
