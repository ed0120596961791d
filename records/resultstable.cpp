#include "records/resultstable.h"

#include "records/resultsfile.h"
#include "settings/bidi.h"

#include <QAtomicInt>
#include <QDir>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <limits>

namespace {

enum Which { First, Last, Next, Prior, Key };

const char *const Columns = "No, Name, Ok, NotOk";

int clampToInt(qlonglong value)
{
    if (value > std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    if (value < std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    return int(value);
}

int toInteger(const QVariant &value)
{
    if (value.isNull())
        return 0;
    bool ok = false;
    const qlonglong n = value.toLongLong(&ok);
    return ok ? clampToInt(n) : 0;
}

QVariant nullableInt(const QVariant &value)
{
    return value.isNull() ? QVariant(QMetaType::fromType<int>()) : QVariant(toInteger(value));
}

QVariant nullableText(const QVariant &value)
{
    return value.isNull() ? QVariant(QMetaType::fromType<QString>()) : QVariant(value.toString());
}

ChildRecord readRecord(const QSqlQuery &query)
{
    ChildRecord record;
    record.no = query.value(0).toInt();
    record.name = nullableText(query.value(1));
    record.ok = nullableInt(query.value(2));
    record.notOk = nullableInt(query.value(3));
    return record;
}

int addOne(int count)
{
    return count == std::numeric_limits<int>::max() ? count : count + 1;
}

} // namespace

struct ResultsTable::Queries
{
    explicit Queries(const QSqlDatabase &db)
        : first(db), last(db), next(db), prior(db), key(db), insert(db), update(db), remove(db)
    {
    }
    QSqlQuery first, last, next, prior, key, insert, update, remove;

    QSqlQuery &byWhich(int which)
    {
        switch (which) {
        case First: return first;
        case Last: return last;
        case Next: return next;
        case Prior: return prior;
        default: return key;
        }
    }
};

ResultsTable::ResultsTable(QObject *parent) : QObject(parent)
{
    static QAtomicInt serial;
    m_connection = QStringLiteral("results-table-%1").arg(serial.fetchAndAddRelaxed(1));
}

ResultsTable::~ResultsTable()
{
    // Views may already be half destroyed with their owner: tell nobody.
    blockSignals(true);
    close();
}

QString ResultsTable::emptyDatasetText()
{
    return QStringLiteral("Table1: Cannot perform this operation on an empty dataset");
}

// The table could not be opened at start-up; the teacher was told why then.
QString ResultsTable::closedText()
{
    return QStringLiteral("Table1: جدول الأطفال غير مفتوح، فلا يمكن تنفيذ هذه العملية");
}

QString ResultsTable::cutName(const QString &name)
{
    int units = 0;
    for (int chars = 0; chars < NameLength && units < name.size(); ++chars) {
        const bool pair = name.at(units).isHighSurrogate() && units + 1 < name.size()
                          && name.at(units + 1).isLowSurrogate();
        units += pair ? 2 : 1;
    }
    return name.left(units);
}

QString ResultsTable::failure(const QString &what, const QString &detail) const
{
    return QStringLiteral("%1 «%2»: %3").arg(what, Bidi::path(QDir::toNativeSeparators(m_path)), detail);
}

bool ResultsTable::open(const QString &filePath, QString *error)
{
    if (isOpen() && filePath == m_path)
        return true;
    close();
    m_path = filePath;
    const QString openWhat = QStringLiteral("تعذر فتح جدول الأطفال");
    QString reason;
    if (!ResultsFile::open(m_connection, filePath, &reason)) {
        *error = failure(openWhat, reason);
        return false;
    }
    m_state = State::Browse;
    if (!prepareQueries(&reason) || !readCount(&reason)) {
        close();
        m_path = filePath;
        *error = failure(openWhat, reason);
        return false;
    }
    loadOne(First, 0);
    emit reloaded();
    emit currentChanged();
    return true;
}

void ResultsTable::close()
{
    const bool wasOpen = isOpen();
    m_q.reset();
    if (QSqlDatabase::contains(m_connection)) {
        {
            QSqlDatabase db = QSqlDatabase::database(m_connection, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(m_connection);
    }
    m_state = State::Inactive;
    m_count = 0;
    m_hasCurrent = false;
    m_current = ChildRecord();
    m_savedHas = false;
    m_path.clear();
    if (wasOpen) {
        emit reloaded();
        emit currentChanged();
    }
}

bool ResultsTable::prepareQueries(QString *error)
{
    m_q = std::make_unique<Queries>(QSqlDatabase::database(m_connection, false));
    const QString select = QStringLiteral("SELECT %1 FROM Table1 ").arg(QLatin1String(Columns));
    const std::pair<QSqlQuery *, QString> all[] = {
        {&m_q->first, select + QStringLiteral("ORDER BY No LIMIT 1")},
        {&m_q->last, select + QStringLiteral("ORDER BY No DESC LIMIT 1")},
        {&m_q->next, select + QStringLiteral("WHERE No > ? ORDER BY No LIMIT 1")},
        {&m_q->prior, select + QStringLiteral("WHERE No < ? ORDER BY No DESC LIMIT 1")},
        {&m_q->key, select + QStringLiteral("WHERE No = ?")},
        {&m_q->insert, QStringLiteral("INSERT INTO Table1 (Name, Ok, NotOk) VALUES (?, ?, ?)")},
        {&m_q->update, QStringLiteral("UPDATE Table1 SET Name = ?, Ok = ?, NotOk = ? WHERE No = ?")},
        {&m_q->remove, QStringLiteral("DELETE FROM Table1 WHERE No = ?")},
    };
    for (const auto &[query, sql] : all) {
        query->setForwardOnly(true);
        if (!query->prepare(sql)) {
            *error = ResultsFile::reasonOf(query->lastError());
            return false;
        }
    }
    return true;
}

bool ResultsTable::readCount(QString *error)
{
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    if (!q.exec(QStringLiteral("SELECT COUNT(*) FROM Table1")) || !q.next()) {
        *error = ResultsFile::reasonOf(q.lastError());
        return false;
    }
    m_count = q.value(0).toInt();
    return true;
}

void ResultsTable::setCurrent(const ChildRecord &record, bool has)
{
    m_current = has ? record : ChildRecord();
    m_hasCurrent = has;
}

// Positions the cursor by one of the prepared look-ups; when nothing is found
// the cursor stays where it was.
bool ResultsTable::loadOne(int which, int key)
{
    if (!m_q)
        return false;
    QSqlQuery &q = m_q->byWhich(which);
    if (which != First && which != Last)
        q.bindValue(0, key);
    if (!q.exec())
        return false;
    const bool found = q.next();
    if (found)
        setCurrent(readRecord(q), true);
    q.finish();
    return found;
}

bool ResultsTable::requirePending(QString *error) const
{
    if (m_state == State::Insert || m_state == State::Edit)
        return true;
    *error = isOpen() ? QStringLiteral("Table1: لا يوجد سجل قيد الإضافة أو التعديل")
                      : closedText();
    return false;
}

// Before the cursor moves, a pending change is posted; one that cannot be
// posted is dropped rather than carried to another record.
bool ResultsTable::settlePending()
{
    if (m_state != State::Insert && m_state != State::Edit)
        return isOpen();
    QString ignored;
    if (!post(&ignored))
        cancel();
    return true;
}

bool ResultsTable::insert(QString *error)
{
    if (!isOpen()) {
        *error = closedText();
        return false;
    }
    if ((m_state == State::Insert || m_state == State::Edit) && !post(error))
        return false;
    m_saved = m_current;
    m_savedHas = m_hasCurrent;
    m_current = ChildRecord();
    m_current.name = QVariant(QMetaType::fromType<QString>());
    m_current.ok = QVariant(QMetaType::fromType<int>());
    m_current.notOk = QVariant(QMetaType::fromType<int>());
    m_hasCurrent = false;
    m_state = State::Insert;
    emit currentChanged();
    return true;
}

bool ResultsTable::edit(QString *error)
{
    if (m_state == State::Insert || m_state == State::Edit)
        return true;
    if (!isOpen()) {
        *error = closedText();
        return false;
    }
    if (!m_hasCurrent)
        return insert(error);
    m_saved = m_current;
    m_savedHas = true;
    m_state = State::Edit;
    return true;
}

bool ResultsTable::setText(Field field, const QString &text, QString *error)
{
    if (!requirePending(error))
        return false;
    switch (field) {
    case Field::No:
        *error = QStringLiteral("Table1: لا يمكن تغيير رقم الطفل No");
        return false;
    case Field::Name:
        m_current.name = cutName(text);
        break;
    case Field::Ok:
    case Field::NotOk: {
        QVariant value(QMetaType::fromType<int>());
        if (!text.isEmpty()) {
            bool ok = false;
            const int n = text.trimmed().toInt(&ok);
            if (!ok) {
                *error = QStringLiteral("Table1: «%1» ليس عدداً صحيحاً").arg(Bidi::word(text));
                return false;
            }
            value = n;
        }
        (field == Field::Ok ? m_current.ok : m_current.notOk) = value;
        break;
    }
    }
    emit currentChanged();
    return true;
}

bool ResultsTable::setInteger(Field field, int value, QString *error)
{
    if (field == Field::Name)
        return setText(field, QString::number(value), error);
    if (!requirePending(error))
        return false;
    if (field == Field::No) {
        *error = QStringLiteral("Table1: لا يمكن تغيير رقم الطفل No");
        return false;
    }
    (field == Field::Ok ? m_current.ok : m_current.notOk) = value;
    emit currentChanged();
    return true;
}

QVariant ResultsTable::value(Field field) const
{
    if (!hasCurrent())
        return QVariant();
    switch (field) {
    case Field::No:
        return m_state == State::Insert ? QVariant(QMetaType::fromType<int>()) : QVariant(m_current.no);
    case Field::Name:
        return m_current.name;
    case Field::Ok:
        return m_current.ok;
    case Field::NotOk:
        return m_current.notOk;
    }
    return QVariant();
}

int ResultsTable::integer(Field field) const
{
    return toInteger(value(field));
}

QString ResultsTable::text(Field field) const
{
    const QVariant v = value(field);
    return v.isNull() ? QString() : v.toString();
}

bool ResultsTable::post(QString *error)
{
    if (m_state == State::Browse)
        return true;
    if (!requirePending(error))
        return false;
    const QString postWhat = QStringLiteral("تعذر حفظ سجل الطفل في");
    if (m_state == State::Insert) {
        QSqlQuery &q = m_q->insert;
        q.bindValue(0, nullableText(m_current.name));
        q.bindValue(1, nullableInt(m_current.ok));
        q.bindValue(2, nullableInt(m_current.notOk));
        if (!q.exec()) {
            *error = failure(postWhat, ResultsFile::reasonOf(q.lastError()));
            return false;
        }
        m_current.no = q.lastInsertId().toInt();
        q.finish();
        m_hasCurrent = true;
        ++m_count;
        m_state = State::Browse;
        emit recordInserted(m_current.no);
    } else {
        QSqlQuery &q = m_q->update;
        q.bindValue(0, nullableText(m_current.name));
        q.bindValue(1, nullableInt(m_current.ok));
        q.bindValue(2, nullableInt(m_current.notOk));
        q.bindValue(3, m_current.no);
        if (!q.exec()) {
            *error = failure(postWhat, ResultsFile::reasonOf(q.lastError()));
            return false;
        }
        const int affected = q.numRowsAffected();
        q.finish();
        if (affected != 1) {
            *error = failure(postWhat, QStringLiteral("سجل الطفل رقم %L1 لم يعد موجوداً")
                                           .arg(m_current.no));
            return false;
        }
        m_state = State::Browse;
        emit recordUpdated(m_current.no);
    }
    emit currentChanged();
    return true;
}

void ResultsTable::cancel()
{
    if (m_state != State::Insert && m_state != State::Edit)
        return;
    m_current = m_saved;
    m_hasCurrent = m_savedHas;
    m_state = State::Browse;
    emit currentChanged();
}

bool ResultsTable::deleteCurrent(QString *error)
{
    if (!isOpen()) {
        *error = closedText();
        return false;
    }
    if (m_state == State::Insert) {
        cancel();
        return true;
    }
    if (m_count == 0 || !m_hasCurrent) {
        *error = emptyDatasetText();
        return false;
    }
    cancel();
    const int no = m_current.no;
    QSqlQuery &q = m_q->remove;
    q.bindValue(0, no);
    if (!q.exec()) {
        *error = failure(QStringLiteral("تعذر حذف الطفل من"), ResultsFile::reasonOf(q.lastError()));
        return false;
    }
    q.finish();
    --m_count;
    // The following record becomes current, or the new last one.
    if (!loadOne(Next, no) && !loadOne(Last, 0))
        setCurrent(ChildRecord(), false);
    emit recordRemoved(no);
    emit currentChanged();
    return true;
}

bool ResultsTable::findKey(const QString &keyText)
{
    bool ok = false;
    const int key = keyText.trimmed().toInt(&ok);
    if (!ok || !settlePending())
        return false;
    const int before = currentNo();
    if (!loadOne(Key, key))
        return false;
    if (currentNo() != before)
        emit currentChanged();
    return true;
}

bool ResultsTable::first()
{
    if (!settlePending())
        return false;
    const int before = currentNo();
    const bool found = loadOne(First, 0);
    if (currentNo() != before)
        emit currentChanged();
    return found;
}

bool ResultsTable::last()
{
    if (!settlePending())
        return false;
    const int before = currentNo();
    const bool found = loadOne(Last, 0);
    if (currentNo() != before)
        emit currentChanged();
    return found;
}

bool ResultsTable::next()
{
    if (!settlePending() || !m_hasCurrent)
        return false;
    const bool found = loadOne(Next, m_current.no);
    if (found)
        emit currentChanged();
    return found;
}

bool ResultsTable::prior()
{
    if (!settlePending() || !m_hasCurrent)
        return false;
    const bool found = loadOne(Prior, m_current.no);
    if (found)
        emit currentChanged();
    return found;
}

bool ResultsTable::recordResult(const QString &result, QString *error)
{
    if (m_count == 0 && m_state != State::Insert) {
        if (!insert(error) || !setText(Field::Name, QStringLiteral("-"), error) || !post(error))
            return false;
    }
    if (!edit(error))
        return false;
    const Field field = result == QLatin1String("Y") ? Field::Ok : Field::NotOk;
    return setInteger(field, addOne(integer(field)), error) && post(error);
}

bool ResultsTable::addChild(const QString &name, QString *error)
{
    if (insert(error) && setText(Field::Name, name, error) && post(error))
        return true;
    if (m_state == State::Insert)
        cancel();
    return false;
}

bool ResultsTable::resetCounts(QString *error)
{
    if (edit(error) && setInteger(Field::Ok, 0, error) && setInteger(Field::NotOk, 0, error)
        && post(error)) {
        return true;
    }
    cancel();
    return false;
}

bool ResultsTable::deleteChild(QString *error)
{
    cancel();
    return deleteCurrent(error);
}

QVector<int> ResultsTable::keys(QString *error) const
{
    QVector<int> result;
    if (!isOpen())
        return result;
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT No FROM Table1 ORDER BY No"))) {
        *error = failure(QStringLiteral("تعذر قراءة"), ResultsFile::reasonOf(q.lastError()));
        return result;
    }
    result.reserve(m_count);
    while (q.next())
        result.append(q.value(0).toInt());
    return result;
}

QVector<ChildRecord> ResultsTable::records(int fromNo, int toNo, QString *error) const
{
    QVector<ChildRecord> result;
    if (!isOpen())
        return result;
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.setForwardOnly(true);
    const bool prepared = q.prepare(
        QStringLiteral("SELECT %1 FROM Table1 WHERE No BETWEEN ? AND ? ORDER BY No")
            .arg(QLatin1String(Columns)));
    q.bindValue(0, fromNo);
    q.bindValue(1, toNo);
    if (!prepared || !q.exec()) {
        *error = failure(QStringLiteral("تعذر قراءة"), ResultsFile::reasonOf(q.lastError()));
        return result;
    }
    while (q.next())
        result.append(readRecord(q));
    return result;
}
