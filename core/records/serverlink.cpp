#include "core/records/serverlink.h"

#include "core/records/answerrow.h"
#include "core/records/resultsfile.h"
#include "core/records/rowreader.h"
#include "core/records/schoolserver.h"

#include <QAtomicInt>
#include <QHash>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QTimer>

namespace {

constexpr int BatchSize = 100;
// Rows changed elsewhere, read one by one; past this many waiting to be
// read, the whole table is read once instead (any login may send notices).
constexpr int MaxNotices = 100;
constexpr int HealthMs = 5000;
const char *const Channel = "quiz_table1";

// A row as the server sent it, made safe to show and to keep.
ChildRecord readServerRow(const QSqlQuery &q)
{
    ChildRecord r = RowReader::readRecord(q);
    r.name = SchoolServer::cleanName(r.name);
    return r;
}

QString numberList(const QVector<qint64> &numbers)
{
    QStringList parts;
    parts.reserve(numbers.size());
    for (const qint64 n : numbers)
        parts.append(QString::number(n));
    return parts.join(QLatin1Char(','));
}

} // namespace

ServerLink::ServerLink(const QString &service, const QString &cachePath, int retryMs)
    : m_service(service), m_cachePath(cachePath), m_retryMs(retryMs)
{
    static QAtomicInt serial;
    const int n = serial.fetchAndAddRelaxed(1);
    m_pg = QStringLiteral("school-link-%1").arg(n);
    m_local = QStringLiteral("school-link-cache-%1").arg(n);
}

ServerLink::~ServerLink() = default;

void ServerLink::start()
{
    m_retry = new QTimer(this);
    m_retry->setSingleShot(true);
    connect(m_retry, &QTimer::timeout, this, [this] {
        if (connectServer())
            flush();
    });
    m_health = new QTimer(this);
    m_health->setInterval(HealthMs);
    connect(m_health, &QTimer::timeout, this, &ServerLink::checkHealth);
    m_notify = new QTimer(this);
    m_notify->setSingleShot(true);
    m_notify->setInterval(20);
    connect(m_notify, &QTimer::timeout, this, &ServerLink::readNotified);

    const Result cache = SchoolServer::openCache(m_local, m_cachePath, 5000);
    m_localOpen = cache.ok;
    if (!m_localOpen) {
        emit stateChanged(false, QStringLiteral("تعذر فتح ملف الإجابات المنتظرة على هذا الجهاز: %1").arg(cache.text));
        return;
    }
    if (connectServer())
        flush();
}

void ServerLink::stop()
{
    for (QTimer *t : {m_retry, m_health, m_notify}) {
        if (t)
            t->stop();
    }
    SchoolServer::disconnect(m_pg);
    SchoolServer::closeCache(m_local);
    m_online = false;
    m_localOpen = false;
}

// Sends first what waited, then reads the whole table: the copy then holds
// the server's rows with this computer's answers in them, and no answer is
// shown twice.
bool ServerLink::connectServer()
{
    if (!m_localOpen)
        return false;
    SchoolServer::disconnect(m_pg);
    const Result connected = SchoolServer::connect(m_pg, m_service);
    if (!connected) {
        goOffline(connected.text);
        return false;
    }
    QSqlDatabase db = QSqlDatabase::database(m_pg, false);
    connect(db.driver(), &QSqlDriver::notification, this, &ServerLink::onNotification, Qt::UniqueConnection);
    if (!db.driver()->subscribeToNotification(QLatin1String(Channel))) {
        goOffline(SchoolServer::reasonOf(db.driver()->lastError()));
        return false;
    }
    m_online = true;
    m_health->start();
    emit stateChanged(true, QString());
    bool more = true;
    while (more) {
        if (!sendBatch(&more))
            return false;
    }
    return syncAll();
}

void ServerLink::goOffline(const QString &problem)
{
    m_online = false;
    m_health->stop();
    // The dead connection goes once the queries of the caller are gone.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!m_online)
                SchoolServer::disconnect(m_pg);
        },
        Qt::QueuedConnection);
    emit stateChanged(false, problem);
    m_retry->start(m_retryMs);
}

void ServerLink::checkHealth()
{
    if (!m_online)
        return;
    QSqlQuery q(QSqlDatabase::database(m_pg, false));
    if (!q.exec(QStringLiteral("SELECT 1")))
        goOffline(SchoolServer::reasonOf(q.lastError()));
}

void ServerLink::flush()
{
    // A flush asked for while one runs (a batch waits on the network) is
    // done by the running one.
    if (!m_online || m_flushing)
        return;
    m_flushing = true;
    bool more = true;
    while (more && m_online) {
        if (!sendBatch(&more))
            break;
    }
    m_flushing = false;
}

// Up to BatchSize answers in one server transaction, each its own statement;
// then, on this computer, the sent answers leave the outbox and the copy
// takes the rows as the server gave them back, in one transaction. A crash
// between the two sends those answers again at the next start: the server
// finds their ids and changes nothing.
bool ServerLink::sendBatch(bool *more)
{
    *more = false;
    QSqlDatabase local = QSqlDatabase::database(m_local, false);
    QSqlQuery out(local);
    out.setForwardOnly(true);
    out.prepare(QStringLiteral("SELECT Seq, Id, Child, Time, Lesson, QuestionType, Asked, Clicked, Correct "
                               "FROM Outbox WHERE Service = ? ORDER BY Seq LIMIT %1").arg(BatchSize));
    out.bindValue(0, m_service);
    if (!out.exec()) {
        emit stateChanged(m_online, QStringLiteral("تعذر قراءة الإجابات المنتظرة على هذا الجهاز: %1")
                                        .arg(ResultsFile::reasonOf(out.lastError())));
        return false;
    }
    // An answer waiting in the outbox, as the game stored it.
    struct Waiting
    {
        qint64 seq = 0;
        QString id;
        int child = 0;
        HistoryRow answer;
    };
    const auto number = [&out](int column, int unknown) {
        return out.value(column).isNull() ? unknown : out.value(column).toInt();
    };
    QVector<Waiting> batch;
    while (out.next()) {
        Waiting w;
        w.seq = out.value(0).toLongLong();
        w.id = out.value(1).toString();
        w.child = out.value(2).toInt();
        w.answer.time = out.value(3).toLongLong();
        w.answer.details.lesson = out.value(4).toString();
        w.answer.details.questionType = QuestionTypes::fromIndex(number(5, -1));
        w.answer.details.asked = number(6, 0);
        w.answer.details.clicked = number(7, 0);
        w.answer.judgement = out.value(8).toInt() == 1 ? Judgement::Right : Judgement::Wrong;
        batch.append(w);
    }
    out.finish();
    if (batch.isEmpty())
        return true;

    QSqlDatabase db = QSqlDatabase::database(m_pg, false);
    QSqlQuery count(db);
    QHash<int, ChildRecord> returned;
    QVector<int> missing;
    QVector<qint64> sent;
    QString problem;
    bool ok = db.transaction() && count.prepare(SchoolServer::countSql());
    if (!ok)
        problem = SchoolServer::reasonOf(db.lastError().isValid() ? db.lastError() : count.lastError());
    for (const Waiting &w : std::as_const(batch)) {
        if (!ok)
            break;
        // Id, time, the answer's values, child.
        count.bindValue(0, w.id);
        count.bindValue(1, w.answer.time);
        AnswerCount::bindAnswer(count, 2, w.answer);
        count.bindValue(7, w.child);
        if (!count.exec()) {
            problem = SchoolServer::reasonOf(count.lastError());
            ok = false;
            break;
        }
        if (count.next()) {
            const ChildRecord row = readServerRow(count);
            returned.insert(row.no, row);
        } else if (!missing.contains(w.child)) {
            // Counted before (a resend) or the child is gone: the row is read again.
            missing.append(w.child);
        }
        sent.append(w.seq);
    }
    if (ok && !db.commit()) {
        problem = SchoolServer::reasonOf(db.lastError());
        ok = false;
    }
    if (!ok) {
        db.rollback();
        goOffline(problem);
        return false;
    }
    QVector<ChildRecord> rows = returned.values().toVector();
    QVector<int> gone;
    for (const int no : std::as_const(missing)) {
        if (returned.contains(no))
            continue;
        QVector<ChildRecord> again;
        QVector<int> none;
        const Result read = readRows({no}, &again, &none);
        if (!read) {
            goOffline(read.text);
            return false;
        }
        rows += again;
        gone += none;
    }
    const Result stored = storeRows(rows, gone, sent);
    if (!stored) {
        emit stateChanged(m_online, stored.text);
        return false;
    }
    *more = batch.size() == BatchSize;
    emit stateChanged(true, QString());
    // The rows as the server has them now, other computers' answers included.
    QVector<int> nos = gone;
    for (const ChildRecord &r : std::as_const(rows))
        nos.append(r.no);
    if (!nos.isEmpty())
        emit rowsChanged(nos);
    return true;
}

Result ServerLink::readRows(const QVector<int> &nos, QVector<ChildRecord> *rows, QVector<int> *gone)
{
    QSqlQuery q(QSqlDatabase::database(m_pg, false));
    q.setForwardOnly(true);
    if (!q.prepare(QStringLiteral("SELECT no, name, ok, notok FROM quiz.child(CAST(? AS integer))")))
        return Result::failure(SchoolServer::reasonOf(q.lastError()));
    for (const int no : nos) {
        q.bindValue(0, no);
        if (!q.exec())
            return Result::failure(SchoolServer::reasonOf(q.lastError()));
        if (q.next())
            rows->append(readServerRow(q));
        else
            gone->append(no);
        q.finish();
    }
    return Result::success();
}

// The copy takes the rows, loses the gone ones, and the sent answers leave
// the outbox, all at once: what the game shows (copy plus waiting answers)
// never counts an answer twice or not at all.
Result ServerLink::storeRows(const QVector<ChildRecord> &rows, const QVector<int> &gone,
                             const QVector<qint64> &sent)
{
    QSqlDatabase local = QSqlDatabase::database(m_local, false);
    if (!local.transaction())
        return Result::failure(ResultsFile::reasonOf(local.lastError()));
    QSqlQuery put(local);
    QSqlQuery drop(local);
    bool ok = put.prepare(QStringLiteral("INSERT OR REPLACE INTO Copy (Service, No, Name, Ok, NotOk) "
                                         "VALUES (?, ?, ?, ?, ?)"))
              && drop.prepare(QStringLiteral("DELETE FROM Copy WHERE Service = ? AND No = ?"));
    for (const ChildRecord &r : rows) {
        if (!ok)
            break;
        put.bindValue(0, m_service);
        put.bindValue(1, r.no);
        put.bindValue(2, r.name);
        put.bindValue(3, r.ok);
        put.bindValue(4, r.notOk);
        ok = put.exec();
    }
    for (const int no : gone) {
        if (!ok)
            break;
        drop.bindValue(0, m_service);
        drop.bindValue(1, no);
        ok = drop.exec();
    }
    QSqlQuery sentGone(local);
    if (ok && !sent.isEmpty())
        ok = sentGone.exec(QStringLiteral("DELETE FROM Outbox WHERE Seq IN (%1)").arg(numberList(sent)));
    if (ok && local.commit())
        return Result::success();
    const Result failed = Result::failure(
        QStringLiteral("تعذر الكتابة في ملف الإجابات المنتظرة على هذا الجهاز: %1")
            .arg(ResultsFile::reasonOf(put.lastError().isValid() ? put.lastError()
                                       : drop.lastError().isValid() ? drop.lastError()
                                       : sentGone.lastError().isValid() ? sentGone.lastError()
                                                                         : local.lastError())));
    local.rollback();
    return failed;
}

// The whole table again, after a (re)connection: what changed while this
// computer was not listening is found by comparing with the copy.
bool ServerLink::syncAll()
{
    QSqlQuery q(QSqlDatabase::database(m_pg, false));
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT no, name, ok, notok FROM quiz.children() LIMIT %1")
                    .arg(SchoolServer::MaxRows + 1))) {
        goOffline(SchoolServer::reasonOf(q.lastError()));
        return false;
    }
    QHash<int, ChildRecord> server;
    while (q.next()) {
        // Whatever the server sends, this computer takes no more.
        if (server.size() == SchoolServer::MaxRows) {
            q.finish();
            goOffline(QStringLiteral("في جدول خادم المدرسة أكثر من %L1 طفل، وهذا أكثر مما يقرؤه البرنامج")
                          .arg(SchoolServer::MaxRows));
            return false;
        }
        const ChildRecord r = readServerRow(q);
        server.insert(r.no, r);
    }
    QSqlQuery c(QSqlDatabase::database(m_local, false));
    c.setForwardOnly(true);
    c.prepare(QStringLiteral("SELECT No, Name, Ok, NotOk FROM Copy WHERE Service = ?"));
    c.bindValue(0, m_service);
    QHash<int, ChildRecord> copy;
    if (c.exec()) {
        while (c.next()) {
            const ChildRecord r = RowReader::readRecord(c);
            copy.insert(r.no, r);
        }
    }
    c.finish();
    QVector<ChildRecord> changed;
    QVector<int> gone;
    QVector<int> nos;
    for (auto it = server.cbegin(); it != server.cend(); ++it) {
        const auto old = copy.constFind(it.key());
        const ChildRecord &r = it.value();
        if (old == copy.cend() || old->name != r.name || old->ok != r.ok || old->notOk != r.notOk) {
            changed.append(r);
            nos.append(r.no);
        }
    }
    for (auto it = copy.cbegin(); it != copy.cend(); ++it) {
        if (!server.contains(it.key())) {
            gone.append(it.key());
            nos.append(it.key());
        }
    }
    const Result stored = storeRows(changed, gone, {});
    if (!stored) {
        emit stateChanged(m_online, stored.text);
        return false;
    }
    emit synced();
    if (!nos.isEmpty())
        emit rowsChanged(nos);
    return true;
}

void ServerLink::onNotification(const QString &name, QSqlDriver::NotificationSource source,
                                const QVariant &payload)
{
    // This computer's own answers came back with their statements.
    if (name != QLatin1String(Channel) || source == QSqlDriver::SelfSource)
        return;
    // A child's number, nothing else: any login may notify this channel.
    const QString text = payload.toString();
    bool ok = false;
    const int no = text.size() <= 10 ? text.toInt(&ok) : 0;
    if (!ok || no <= 0)
        return;
    if (m_resync || m_notified.size() >= MaxNotices) {
        m_resync = true;
        m_notified.clear();
    } else {
        m_notified.insert(no);
    }
    m_notify->start();
}

// Notices come in bursts while a class plays: the rows are read once a burst.
void ServerLink::readNotified()
{
    if (!m_online)
        return;
    if (m_resync) {
        m_resync = false;
        m_notified.clear();
        syncAll();
        return;
    }
    if (m_notified.isEmpty())
        return;
    const QVector<int> nos(m_notified.cbegin(), m_notified.cend());
    m_notified.clear();
    QVector<ChildRecord> rows;
    QVector<int> gone;
    const Result read = readRows(nos, &rows, &gone);
    if (!read) {
        goOffline(read.text);
        return;
    }
    const Result stored = storeRows(rows, gone, {});
    if (!stored) {
        emit stateChanged(m_online, stored.text);
        return;
    }
    emit rowsChanged(nos);
}
