#include "records/resultstable.h"

#include <QAtomicInt>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>

#include <limits>

namespace {

// SQLite's primary result codes, as the driver reports them in nativeErrorCode().
constexpr int SqliteBusy = 5;
constexpr int SqliteLocked = 6;
constexpr int SqliteReadOnly = 8;
constexpr int SqliteCorrupt = 11;
constexpr int SqliteCantOpen = 14;
constexpr int SqliteNotADb = 26;

enum Which { First, Last, Next, Prior, Key };

const char *const Columns = "No, Name, Ok, NotOk";

int primaryCode(const QSqlError &error)
{
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok);
    return ok ? (code & 0xff) : -1;
}

QString detailOf(const QSqlError &error)
{
    const QString text = error.databaseText().isEmpty() ? error.text() : error.databaseText();
    return text.trimmed();
}

// The Arabic reason for an SQLite failure met while reading or probing a file.
QString reasonOf(const QSqlError &error)
{
    switch (primaryCode(error)) {
    case SqliteNotADb:
    case SqliteCorrupt:
        return QStringLiteral("الملف ليس قاعدة بيانات صالحة أو أنه تالف");
    case SqliteBusy:
    case SqliteLocked:
        return QStringLiteral("الملف مقفل من برنامج آخر");
    case SqliteReadOnly:
        return QStringLiteral("الملف للقراءة فقط");
    case SqliteCantOpen:
        return QStringLiteral("تعذر فتح الملف");
    default:
        return QStringLiteral("خطأ في قاعدة البيانات (%1)").arg(detailOf(error));
    }
}

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
    close();
}

QString ResultsTable::emptyDatasetText()
{
    return QStringLiteral("Table1: Cannot perform this operation on an empty dataset");
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
    return QStringLiteral("%1 «%2»: %3").arg(what, QDir::toNativeSeparators(m_path), detail);
}

bool ResultsTable::open(const QString &filePath, QString *error)
{
    if (isOpen() && filePath == m_path)
        return true;
    close();
    m_path = filePath;
    const QString openWhat = QStringLiteral("تعذر فتح جدول الأطفال");

    const QFileInfo info(filePath);
    const bool existed = info.exists();
    // A zero-length file holds nothing that could be lost; SQLite takes it as
    // an empty database, so it gets the table like a missing file.
    const bool fresh = !existed || (info.isFile() && info.size() == 0);
    if (existed && !info.isFile()) {
        *error = failure(openWhat, QStringLiteral("يوجد بهذا الاسم شيء ليس ملفاً"));
        return false;
    }
    if (!QFileInfo(info.absolutePath()).isDir()) {
        *error = failure(openWhat, QStringLiteral("المجلد غير موجود"));
        return false;
    }
    if (existed) {
        QString reason;
        if (!checkWritable(&reason)) {
            *error = failure(openWhat, reason);
            return false;
        }
    }

    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
        db.setDatabaseName(filePath);
        // A short wait only: a table locked by another program must not
        // freeze the child's game.
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=250"));
        if (!db.open()) {
            *error = failure(openWhat, reasonOf(db.lastError()));
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(m_connection);
            if (!existed)
                QFile::remove(filePath);
            return false;
        }
    }
    m_state = State::Browse;

    QString reason;
    bool ok = true;
    if (fresh) {
        ok = createSchema(&reason);
        if (!ok && !existed)
            QFile::remove(filePath); // only the file this call made
        if (!ok)
            reason = QStringLiteral("تعذر إنشاء الجدول: %1").arg(reason);
    } else {
        ok = checkSchema(&reason);
    }
    if (ok) {
        QSqlQuery sync(QSqlDatabase::database(m_connection, false));
        ok = sync.exec(QStringLiteral("PRAGMA synchronous = FULL"));
        if (!ok)
            reason = reasonOf(sync.lastError());
    }
    if (ok && !prepareQueries(&reason))
        ok = false;
    if (ok && !readCount(&reason))
        ok = false;
    if (!ok) {
        const QString path = m_path;
        close();
        m_path = path;
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

// Writing needs the file and its folder (SQLite writes its journal beside the
// file). The permission bits are checked too because an administrator's
// account would otherwise write into a file marked read-only.
bool ResultsTable::checkWritable(QString *reason)
{
    const QFileInfo info(m_path);
    const auto perms = info.permissions();
    const auto anyWrite = QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    if (!info.isWritable() || !(perms & anyWrite)) {
        *reason = QStringLiteral("الملف للقراءة فقط");
        return false;
    }
    if (!QFileInfo(info.absolutePath()).isWritable()) {
        *reason = QStringLiteral("لا يمكن الكتابة في المجلد الذي يحوي الملف");
        return false;
    }
    return true;
}

bool ResultsTable::createSchema(QString *error)
{
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    if (!db.transaction()) {
        *error = reasonOf(db.lastError());
        return false;
    }
    QSqlQuery q(db);
    const QString statements[] = {
        QStringLiteral("CREATE TABLE Table1 ("
                       "No INTEGER PRIMARY KEY AUTOINCREMENT, "
                       "Name TEXT CHECK (Name IS NULL OR length(Name) <= %1), "
                       "Ok INTEGER, "
                       "NotOk INTEGER)").arg(NameLength),
        QStringLiteral("PRAGMA user_version = %1").arg(SchemaVersion),
    };
    for (const QString &sql : statements) {
        if (!q.exec(sql)) {
            *error = reasonOf(q.lastError());
            q.finish();
            db.rollback();
            return false;
        }
    }
    if (!db.commit()) {
        *error = reasonOf(db.lastError());
        db.rollback();
        return false;
    }
    return true;
}

// Reads only: a file that fails any check is left exactly as it was.
bool ResultsTable::checkSchema(QString *reason)
{
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("PRAGMA user_version")) || !q.next()) {
        *reason = reasonOf(q.lastError());
        return false;
    }
    const int version = q.value(0).toInt();
    if (version > SchemaVersion) {
        *reason = QStringLiteral("الملف من إصدار أحدث من هذا البرنامج");
        return false;
    }
    if (!q.exec(QStringLiteral("SELECT name, type, pk FROM pragma_table_info('Table1')"))) {
        *reason = reasonOf(q.lastError());
        return false;
    }
    struct Expected
    {
        const char *name;
        const char *type;
        int pk;
    };
    const Expected expected[] = {
        {"No", "INTEGER", 1}, {"Name", "TEXT", 0}, {"Ok", "INTEGER", 0}, {"NotOk", "INTEGER", 0}};
    int column = 0;
    bool match = true;
    while (q.next()) {
        if (column >= 4) {
            match = false;
            break;
        }
        const Expected &e = expected[column++];
        const QString type = q.value(1).toString().toUpper();
        // The key must be exactly INTEGER to be SQLite's row number.
        const bool typeOk = e.pk ? type == QLatin1String("INTEGER")
                            : QLatin1String(e.type) == QLatin1String("INTEGER")
                                ? type.contains(QLatin1String("INT"))
                                : (type.contains(QLatin1String("TEXT"))
                                   || type.contains(QLatin1String("CHAR")));
        if (q.value(0).toString().compare(QLatin1String(e.name), Qt::CaseInsensitive) != 0
            || !typeOk || (q.value(2).toInt() != 0) != (e.pk != 0)) {
            match = false;
        }
    }
    if (column == 0 && match) {
        *reason = QStringLiteral("لا يحتوي الملف على جدول الأطفال Table1");
        return false;
    }
    if (!match || column != 4) {
        *reason = QStringLiteral("حقول الجدول Table1 في الملف ليست الحقول الأربعة المتوقعة "
                                 "(No، Name، Ok، NotOk)");
        return false;
    }
    q.finish();
    return probeWrite(reason);
}

// Takes and drops the write lock: a file that another program holds, or that
// SQLite could only open for reading, fails here without a byte written.
bool ResultsTable::probeWrite(QString *reason)
{
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    if (!q.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
        *reason = reasonOf(q.lastError());
        return false;
    }
    if (!q.exec(QStringLiteral("ROLLBACK"))) {
        *reason = reasonOf(q.lastError());
        return false;
    }
    return true;
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
            *error = reasonOf(query->lastError());
            return false;
        }
    }
    return true;
}

bool ResultsTable::readCount(QString *error)
{
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    if (!q.exec(QStringLiteral("SELECT COUNT(*) FROM Table1")) || !q.next()) {
        *error = reasonOf(q.lastError());
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
    *error = isOpen() ? QStringLiteral("Table1: Dataset not in edit or insert mode")
                      : QStringLiteral("Table1: Cannot perform this operation on a closed dataset");
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
        *error = QStringLiteral("Table1: Cannot perform this operation on a closed dataset");
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
        *error = QStringLiteral("Table1: Cannot perform this operation on a closed dataset");
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
        *error = QStringLiteral("Field 'No' cannot be modified");
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
                *error = QStringLiteral("'%1' is not a valid integer value").arg(text);
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
        *error = QStringLiteral("Field 'No' cannot be modified");
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
            *error = failure(postWhat, reasonOf(q.lastError()));
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
            *error = failure(postWhat, reasonOf(q.lastError()));
            return false;
        }
        const int affected = q.numRowsAffected();
        q.finish();
        if (affected != 1) {
            *error = failure(postWhat, QStringLiteral("سجل الطفل رقم %1 لم يعد موجوداً")
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
        *error = QStringLiteral("Table1: Cannot perform this operation on a closed dataset");
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
        *error = failure(QStringLiteral("تعذر حذف الطفل من"), reasonOf(q.lastError()));
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
        *error = failure(QStringLiteral("تعذر قراءة"), reasonOf(q.lastError()));
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
        *error = failure(QStringLiteral("تعذر قراءة"), reasonOf(q.lastError()));
        return result;
    }
    while (q.next())
        result.append(readRecord(q));
    return result;
}
