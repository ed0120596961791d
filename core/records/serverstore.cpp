#include "core/records/serverstore.h"

#include "core/base/bidi.h"
#include "core/records/resultsfile.h"
#include "core/records/resultstable.h"
#include "core/records/schoolserver.h"
#include "core/records/serverlink.h"

#include <QAtomicInt>
#include <QSqlDatabase>
#include <QSqlError>
#include <QThread>
#include <QUuid>

namespace {

QVariant nullInt()
{
    return QVariant(QMetaType::fromType<int>());
}

QVariant intOrNull(const QVariant &value)
{
    return value.isNull() ? nullInt() : QVariant(value.toInt());
}

QString quoted(const QString &text)
{
    QString q = text;
    q.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + q + QLatin1Char('\'');
}

QString newId()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces);
}

} // namespace

ServerStore::ServerStore(const QString &service, const QString &cachePath, QObject *parent)
    : ResultsStore(parent), m_service(service), m_cachePath(cachePath)
{
    static QAtomicInt serial;
    const int n = serial.fetchAndAddRelaxed(1);
    m_local = QStringLiteral("school-cache-%1").arg(n);
    m_teacher = QStringLiteral("school-teacher-%1").arg(n);
}

ServerStore::~ServerStore()
{
    stopLink();
    m_addOutbox.reset();
    m_rows.clear();
    SchoolServer::disconnect(m_teacher);
    SchoolServer::closeCache(m_local);
}

void ServerStore::stopLink()
{
    if (!m_thread)
        return;
    QMetaObject::invokeMethod(m_link, &ServerLink::stop, Qt::BlockingQueuedConnection);
    m_thread->quit();
    m_thread->wait();
    delete m_link;
    m_link = nullptr;
    delete m_thread;
    m_thread = nullptr;
}

QString ServerStore::place() const
{
    return QStringLiteral("خادم المدرسة %1").arg(Bidi::word(m_service));
}

bool ServerStore::probe(const QString &service, QString *reason)
{
    static QAtomicInt serial;
    const QString name = QStringLiteral("school-probe-%1").arg(serial.fetchAndAddRelaxed(1));
    const Result connected = SchoolServer::connect(name, service);
    SchoolServer::disconnect(name);
    if (!connected)
        *reason = connected.text;
    return connected.ok;
}

bool ServerStore::open(QString *reason)
{
    if (!SchoolServer::validService(m_service)) {
        *reason = SchoolServer::invalidServiceText(m_service);
        return false;
    }
    const Result cache = SchoolServer::openCache(m_local, m_cachePath, 1000);
    if (!cache) {
        *reason = cache.text;
        return false;
    }
    QSqlDatabase db = QSqlDatabase::database(m_local, false);
    // What the game shows: the server's rows as last read, with this
    // computer's answers that have not reached the server added.
    const QString service = quoted(m_service);
    const auto count = [](const char *column, const char *waiting) {
        return QStringLiteral("CASE WHEN ifnull(p.%2, 0) = 0 THEN c.%1 "
                              "WHEN ifnull(c.%1, 0) + p.%2 > 2147483647 THEN 2147483647 "
                              "ELSE ifnull(c.%1, 0) + p.%2 END")
            .arg(QLatin1String(column), QLatin1String(waiting));
    };
    QSqlQuery view(db);
    if (!view.exec(QStringLiteral("CREATE TEMP VIEW Shown AS SELECT c.No AS No, c.Name AS Name, %1 AS Ok, %2 AS NotOk "
                                  "FROM Copy c LEFT JOIN (SELECT Child, SUM(Correct = 1) AS Rights, "
                                  "SUM(Correct <> 1) AS Wrongs FROM Outbox WHERE Service = %3 GROUP BY Child) p "
                                  "ON p.Child = c.No WHERE c.Service = %3")
                       .arg(count("Ok", "Rights"), count("NotOk", "Wrongs"), service))) {
        *reason = ResultsFile::reasonOf(view.lastError());
        SchoolServer::closeCache(m_local);
        return false;
    }
    m_addOutbox = std::make_unique<QSqlQuery>(db);
    if (!m_addOutbox->prepare(QStringLiteral("INSERT INTO Outbox (Id, Service, Child, Time, Lesson, QuestionType, "
                                             "Asked, Clicked, Correct) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"))
        || !m_rows.prepare(m_local, QStringLiteral("Shown"), reason)) {
        if (reason->isEmpty())
            *reason = ResultsFile::reasonOf(m_addOutbox->lastError());
        m_addOutbox.reset();
        SchoolServer::closeCache(m_local);
        return false;
    }

    m_thread = new QThread;
    m_thread->setObjectName(QStringLiteral("school-server"));
    m_link = new ServerLink(m_service, m_cachePath, m_retryMs);
    m_link->moveToThread(m_thread);
    connect(m_thread, &QThread::started, m_link, &ServerLink::start);
    connect(m_link, &ServerLink::stateChanged, this, &ServerStore::linkState);
    connect(m_link, &ServerLink::synced, this, [this] { m_rowsKnown = true; });
    connect(m_link, &ServerLink::rowsChanged, this, &ResultsStore::rowsChanged);
    m_problem = QStringLiteral("جارٍ الاتصال بخادم المدرسة");
    m_thread->start();
    return true;
}

void ServerStore::linkState(bool online, const QString &problem)
{
    m_online = online;
    m_problem = problem;
    emit stateChanged();
}

int ServerStore::waiting() const
{
    QSqlQuery q(QSqlDatabase::database(m_local, false));
    q.prepare(QStringLiteral("SELECT COUNT(*) FROM Outbox WHERE Service = ?"));
    q.bindValue(0, m_service);
    return q.exec() && q.next() ? q.value(0).toInt() : 0;
}

QString ServerStore::stateText() const
{
    const int n = waiting();
    if (n > 0)
        return QStringLiteral("إجابات تنتظر الإرسال إلى خادم المدرسة: %L1").arg(n);
    if (!m_online && !m_problem.isEmpty())
        return QStringLiteral("خادم المدرسة غير متاح الآن");
    return QString();
}

// The answer is on this computer's disk when this returns; the sender takes
// it to the server as soon as it can.
bool ServerStore::countAnswer(int no, const HistoryRow &answer, ChildRecord *after, QString *reason)
{
    if (!m_addOutbox)
        return false;
    const AnswerDetails &d = answer.details;
    QSqlQuery &q = *m_addOutbox;
    q.bindValue(0, newId());
    q.bindValue(1, m_service);
    q.bindValue(2, no);
    q.bindValue(3, answer.time);
    q.bindValue(4, d.lesson);
    q.bindValue(5, d.questionType >= 0 ? QVariant(d.questionType) : nullInt());
    q.bindValue(6, d.asked > 0 ? QVariant(d.asked) : nullInt());
    q.bindValue(7, d.clicked > 0 ? QVariant(d.clicked) : nullInt());
    q.bindValue(8, answer.correct.toInt() == 1 ? 1 : 0);
    if (!q.exec()) {
        *reason = QStringLiteral("تعذر حفظ الإجابة على هذا الجهاز: %1").arg(ResultsFile::reasonOf(q.lastError()));
        return false;
    }
    q.finish();
    if (!m_rows.seek(Key, no, after))
        after->no = 0;
    QMetaObject::invokeMethod(m_link, &ServerLink::flush, Qt::QueuedConnection);
    emit stateChanged();
    return true;
}

// A connection of the window's thread, for the teacher's changes and the
// readers of the history; a connection that has died (the server was
// restarted) is made anew.
bool ServerStore::serverConnection(QString *reason)
{
    if (QSqlDatabase::contains(m_teacher)) {
        QSqlQuery ping(QSqlDatabase::database(m_teacher, false));
        if (ping.exec(QStringLiteral("SELECT 1")))
            return true;
        ping.finish();
        SchoolServer::disconnect(m_teacher);
    }
    const Result connected = SchoolServer::connect(m_teacher, m_service);
    if (!connected)
        *reason = connected.text;
    return connected.ok;
}

bool ServerStore::readConnection(QString *connection, QString *reason)
{
    // The sender knows the server is away: the chart does not wait for the
    // network to say so again.
    if (!m_online) {
        *reason = QStringLiteral("سجل الإجابات على خادم المدرسة غير متاح الآن: %1").arg(m_problem);
        return false;
    }
    if (!serverConnection(reason))
        return false;
    *connection = m_teacher;
    return true;
}

bool ServerStore::onServer(const std::function<bool(QSqlDatabase &, QString *)> &work, QString *reason)
{
    if (!serverConnection(reason))
        return false;
    QSqlDatabase db = QSqlDatabase::database(m_teacher, false);
    if (!db.transaction()) {
        *reason = SchoolServer::reasonOf(db.lastError());
        return false;
    }
    if (!work(db, reason)) {
        db.rollback();
        return false;
    }
    if (!db.commit()) {
        *reason = SchoolServer::reasonOf(db.lastError());
        db.rollback();
        return false;
    }
    return true;
}

bool ServerStore::writeHistory(QSqlDatabase &db, int no, const QVector<HistoryRow> &events, QString *reason)
{
    if (events.isEmpty())
        return true;
    QSqlQuery q(db);
    if (!q.prepare(SchoolServer::historySql())) {
        *reason = SchoolServer::reasonOf(q.lastError());
        return false;
    }
    for (const HistoryRow &e : events) {
        const AnswerDetails &d = e.details;
        q.bindValue(0, newId());
        q.bindValue(1, no);
        q.bindValue(2, e.time);
        q.bindValue(3, e.event);
        q.bindValue(4, e.event == ResultsTable::AnswerEvent ? QVariant(d.lesson)
                                                            : QVariant(QMetaType::fromType<QString>()));
        q.bindValue(5, d.questionType >= 0 ? QVariant(d.questionType) : nullInt());
        q.bindValue(6, d.asked > 0 ? QVariant(d.asked) : nullInt());
        q.bindValue(7, d.clicked > 0 ? QVariant(d.clicked) : nullInt());
        q.bindValue(8, e.correct.isNull() ? nullInt() : QVariant(e.correct.toInt()));
        if (!q.exec()) {
            *reason = SchoolServer::reasonOf(q.lastError());
            return false;
        }
    }
    return true;
}

// The copy takes the row as written, so the teacher sees it at once; the
// sender's next reading of it agrees.
bool ServerStore::putCopy(const ChildRecord &record)
{
    QSqlQuery q(QSqlDatabase::database(m_local, false));
    q.prepare(QStringLiteral("INSERT OR REPLACE INTO Copy (Service, No, Name, Ok, NotOk) VALUES (?, ?, ?, ?, ?)"));
    q.bindValue(0, m_service);
    q.bindValue(1, record.no);
    q.bindValue(2, record.name.isNull() ? QVariant(QMetaType::fromType<QString>()) : record.name);
    q.bindValue(3, intOrNull(record.ok));
    q.bindValue(4, intOrNull(record.notOk));
    return q.exec();
}

bool ServerStore::insertRecord(ChildRecord *record, const QVector<HistoryRow> &events, QString *reason)
{
    ChildRecord made = *record;
    const bool ok = onServer(
        [&](QSqlDatabase &db, QString *why) {
            QSqlQuery q(db);
            q.prepare(QStringLiteral("INSERT INTO table1 (name, ok, notok) VALUES (CAST(? AS varchar(50)), "
                                     "CAST(? AS integer), CAST(? AS integer)) RETURNING no"));
            q.bindValue(0, made.name.isNull() ? QVariant(QMetaType::fromType<QString>()) : made.name);
            q.bindValue(1, intOrNull(made.ok));
            q.bindValue(2, intOrNull(made.notOk));
            if (!q.exec() || !q.next()) {
                *why = SchoolServer::reasonOf(q.lastError());
                return false;
            }
            made.no = q.value(0).toInt();
            return writeHistory(db, made.no, events, why);
        },
        reason);
    if (!ok)
        return false;
    record->no = made.no;
    putCopy(made);
    return true;
}

bool ServerStore::updateRecord(const ChildRecord &record, const QVector<HistoryRow> &events, QString *reason)
{
    const bool ok = onServer(
        [&](QSqlDatabase &db, QString *why) {
            QSqlQuery q(db);
            q.prepare(QStringLiteral("UPDATE table1 SET name = CAST(? AS varchar(50)), ok = CAST(? AS integer), "
                                     "notok = CAST(? AS integer) WHERE no = CAST(? AS integer)"));
            q.bindValue(0, record.name.isNull() ? QVariant(QMetaType::fromType<QString>()) : record.name);
            q.bindValue(1, intOrNull(record.ok));
            q.bindValue(2, intOrNull(record.notOk));
            q.bindValue(3, record.no);
            if (!q.exec()) {
                *why = SchoolServer::reasonOf(q.lastError());
                return false;
            }
            if (q.numRowsAffected() != 1) {
                *why = QStringLiteral("سجل الطفل رقم %L1 لم يعد موجوداً").arg(record.no);
                return false;
            }
            return writeHistory(db, record.no, events, why);
        },
        reason);
    if (ok)
        putCopy(record);
    return ok;
}

bool ServerStore::removeChild(int no, QString *reason)
{
    const bool ok = onServer(
        [&](QSqlDatabase &db, QString *why) {
            QSqlQuery q(db);
            for (const char *sql : {"DELETE FROM answers WHERE child = CAST(? AS integer)",
                                    "DELETE FROM table1 WHERE no = CAST(? AS integer)"}) {
                q.prepare(QLatin1String(sql));
                q.bindValue(0, no);
                if (!q.exec()) {
                    *why = SchoolServer::reasonOf(q.lastError());
                    return false;
                }
            }
            return true;
        },
        reason);
    if (!ok)
        return false;
    // Answers of this computer still waiting for the child go with it.
    QSqlDatabase local = QSqlDatabase::database(m_local, false);
    QSqlQuery q(local);
    local.transaction();
    for (const char *sql : {"DELETE FROM Copy WHERE Service = ? AND No = ?",
                            "DELETE FROM Outbox WHERE Service = ? AND Child = ?"}) {
        q.prepare(QLatin1String(sql));
        q.bindValue(0, m_service);
        q.bindValue(1, no);
        q.exec();
    }
    local.commit();
    emit stateChanged();
    return true;
}
