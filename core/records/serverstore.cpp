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
    : RowReadingStore(parent), m_service(service), m_cachePath(cachePath)
{
    static QAtomicInt serial;
    const int n = serial.fetchAndAddRelaxed(1);
    m_local = QStringLiteral("school-cache-%1").arg(n);
    m_reader = QStringLiteral("school-reader-%1").arg(n);
    m_teacher = QStringLiteral("school-teacher-%1").arg(n);
}

ServerStore::~ServerStore()
{
    stopLink();
    m_addOutbox.reset();
    m_rows.clear();
    forgetTeacherPassword();
    SchoolServer::disconnect(m_reader);
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

Result ServerStore::probe(const QString &service)
{
    static QAtomicInt serial;
    const QString name = QStringLiteral("school-probe-%1").arg(serial.fetchAndAddRelaxed(1));
    const Result connected = SchoolServer::connect(name, service);
    SchoolServer::disconnect(name);
    return connected;
}

Result ServerStore::open()
{
    if (!SchoolServer::validService(m_service))
        return Result::failure(SchoolServer::invalidServiceText(m_service));
    const Result cache = SchoolServer::openCache(m_local, m_cachePath, 1000);
    if (!cache)
        return cache;
    QSqlDatabase db = QSqlDatabase::database(m_local, false);
    // What the game shows: the server's rows as last read, with this
    // computer's answers that have not reached the server added.
    const QString service = quoted(m_service);
    const auto count = [](const char *column, const char *waiting) {
        return AnswerCount::addWaitingSql(QLatin1String("c.") + QLatin1String(column),
                                          QLatin1String("p.") + QLatin1String(waiting));
    };
    QSqlQuery view(db);
    if (!view.exec(QStringLiteral("CREATE TEMP VIEW Shown AS SELECT c.No AS No, c.Name AS Name, %1 AS Ok, %2 AS NotOk "
                                  "FROM Copy c LEFT JOIN (SELECT Child, SUM(Correct = 1) AS Rights, "
                                  "SUM(Correct <> 1) AS Wrongs FROM Outbox WHERE Service = %3 GROUP BY Child) p "
                                  "ON p.Child = c.No WHERE c.Service = %3")
                       .arg(count("Ok", "Rights"), count("NotOk", "Wrongs"), service))) {
        const Result failed = Result::failure(ResultsFile::reasonOf(view.lastError()));
        SchoolServer::closeCache(m_local);
        return failed;
    }
    m_addOutbox = std::make_unique<QSqlQuery>(db);
    Result prepared = Result::failure(QString());
    if (m_addOutbox->prepare(QStringLiteral("INSERT INTO Outbox (Id, Service, Child, Time, Lesson, QuestionType, "
                                            "Asked, Clicked, Correct) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)")))
        prepared = m_rows.prepare(m_local, QStringLiteral("Shown"));
    if (!prepared) {
        const Result failed = prepared.text.isEmpty()
                                  ? Result::failure(ResultsFile::reasonOf(m_addOutbox->lastError()))
                                  : prepared;
        m_addOutbox.reset();
        SchoolServer::closeCache(m_local);
        return failed;
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
    return Result::success();
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
Result ServerStore::countAnswer(int no, const HistoryRow &answer, ChildRecord *after)
{
    // Not open: the table does not count on a store it could not open.
    if (!m_addOutbox)
        return Result::failure(QString());
    QSqlQuery &q = *m_addOutbox;
    q.bindValue(0, newId());
    q.bindValue(1, m_service);
    q.bindValue(2, no);
    q.bindValue(3, answer.time);
    AnswerCount::bindAnswer(q, 4, answer);
    if (!q.exec()) {
        return Result::failure(
            QStringLiteral("تعذر حفظ الإجابة على هذا الجهاز: %1").arg(ResultsFile::reasonOf(q.lastError())));
    }
    q.finish();
    if (!m_rows.seek(Key, no, after))
        after->no = 0;
    QMetaObject::invokeMethod(m_link, &ServerLink::flush, Qt::QueuedConnection);
    emit stateChanged();
    return Result::success();
}

// A connection of the window's thread, for the teacher's changes and the
// readers of the history; a connection that has died (the server was
// restarted) is made anew.
Result ServerStore::serverConnection()
{
    if (QSqlDatabase::contains(m_reader)) {
        QSqlQuery ping(QSqlDatabase::database(m_reader, false));
        if (ping.exec(QStringLiteral("SELECT 1")))
            return Result::success();
        ping.finish();
        SchoolServer::disconnect(m_reader);
    }
    return SchoolServer::connect(m_reader, m_service);
}

Result ServerStore::readConnection(QString *connection)
{
    // The sender knows the server is away: the chart does not wait for the
    // network to say so again.
    if (!m_online)
        return Result::failure(QStringLiteral("سجل الإجابات على خادم المدرسة غير متاح الآن: %1").arg(m_problem));
    const Result connected = serverConnection();
    if (!connected)
        return connected;
    *connection = m_reader;
    return Result::success();
}

Result ServerStore::onServer(const std::function<Result(QSqlDatabase &)> &work)
{
    const Result connected = serverConnection();
    if (!connected)
        return connected;
    QSqlDatabase db = QSqlDatabase::database(m_reader, false);
    if (!db.transaction())
        return Result::failure(SchoolServer::reasonOf(db.lastError()));
    const Result done = work(db);
    if (!done) {
        db.rollback();
        return done;
    }
    if (!db.commit()) {
        const Result failed = Result::failure(SchoolServer::reasonOf(db.lastError()));
        db.rollback();
        return failed;
    }
    return Result::success();
}

// Answers written with a new child: each counted as the game counts one.
Result ServerStore::writeAnswers(QSqlDatabase &db, int no, const QVector<HistoryRow> &events, ChildRecord *row)
{
    QSqlQuery q(db);
    if (!q.prepare(SchoolServer::countSql()))
        return Result::failure(SchoolServer::reasonOf(q.lastError()));
    for (const HistoryRow &e : events) {
        if (e.event != HistoryEvent::Answer)
            continue;
        q.bindValue(0, newId());
        q.bindValue(1, e.time);
        AnswerCount::bindAnswer(q, 2, e);
        q.bindValue(7, no);
        if (!q.exec())
            return Result::failure(SchoolServer::reasonOf(q.lastError()));
        if (q.next()) {
            *row = RowReader::readRecord(q);
            row->name = SchoolServer::cleanName(row->name);
        }
        q.finish();
    }
    return Result::success();
}

void ServerStore::setTeacherPassword(const QString &password)
{
    m_teacherPassword = password;
    m_teacherPassword.detach();
    m_hasTeacherPassword = true;
}

void ServerStore::forgetTeacherPassword()
{
    // Written over before it goes, so that no copy of it is left in memory
    // this program frees.
    m_teacherPassword.fill(QLatin1Char(' '));
    m_teacherPassword.clear();
    m_teacherPassword.squeeze();
    m_hasTeacherPassword = false;
}

QString ServerStore::teacherPasswordText()
{
    return QStringLiteral("تحتاج هذه العملية على خادم المدرسة إلى كلمة مرور المعلمين");
}

// One teacher's operation, on a connection of its own with the typed
// password; the connection and the password are gone when this returns.
Result ServerStore::asTeacher(const std::function<Result(QSqlDatabase &)> &work)
{
    if (!m_hasTeacherPassword)
        return Result::failure(teacherPasswordText());
    const QString service = SchoolServer::teacherService(m_service);
    Result done = SchoolServer::validService(service) ? SchoolServer::connect(m_teacher, service, m_teacherPassword)
                                                       : Result::failure(SchoolServer::invalidServiceText(service));
    forgetTeacherPassword();
    if (!done)
        return Result::failure(QStringLiteral("تعذر الدخول بحساب المعلمين (خدمة الاتصال %1): %2")
                                   .arg(Bidi::word(service), done.text));
    {
        QSqlDatabase db = QSqlDatabase::database(m_teacher, false);
        if (!db.transaction()) {
            done = Result::failure(SchoolServer::reasonOf(db.lastError()));
        } else {
            done = work(db);
            if (done && !db.commit())
                done = Result::failure(SchoolServer::reasonOf(db.lastError()));
            if (!done)
                db.rollback();
        }
    }
    SchoolServer::disconnect(m_teacher);
    return done;
}

// The row as the server has it now, into the copy, so that the teacher sees
// it at once; the sender's next reading of it agrees.
Result ServerStore::readBack(QSqlDatabase &db, int no, ChildRecord *row)
{
    QSqlQuery q(db);
    if (!q.prepare(QStringLiteral("SELECT no, name, ok, notok FROM quiz.child(CAST(? AS integer))")))
        return Result::failure(SchoolServer::reasonOf(q.lastError()));
    q.bindValue(0, no);
    if (!q.exec())
        return Result::failure(SchoolServer::reasonOf(q.lastError()));
    if (!q.next())
        return Result::failure(QStringLiteral("سجل الطفل رقم %L1 لم يعد موجوداً").arg(no));
    *row = RowReader::readRecord(q);
    row->name = SchoolServer::cleanName(row->name);
    return Result::success();
}

// The copy takes the row as written, so the teacher sees it at once; the
// sender's next reading of it agrees.
bool ServerStore::putCopy(const ChildRecord &record)
{
    QSqlQuery q(QSqlDatabase::database(m_local, false));
    q.prepare(QStringLiteral("INSERT OR REPLACE INTO Copy (Service, No, Name, Ok, NotOk) VALUES (?, ?, ?, ?, ?)"));
    q.bindValue(0, m_service);
    q.bindValue(1, record.no);
    RowReader::bindValues(q, 2, record);
    return q.exec();
}

// A new child is the computers' own operation: the name only, counts come
// from answers.
Result ServerStore::insertRecord(ChildRecord *record, const QVector<HistoryRow> &events)
{
    ChildRecord made;
    const Result written = onServer([&](QSqlDatabase &db) -> Result {
        QSqlQuery q(db);
        q.prepare(QStringLiteral("SELECT no, name, ok, notok FROM quiz.add_child(CAST(? AS text))"));
        q.bindValue(0, record->name.isNull() ? QVariant(QMetaType::fromType<QString>())
                                             : QVariant(record->name.toString()));
        if (!q.exec() || !q.next())
            return Result::failure(SchoolServer::reasonOf(q.lastError()));
        made = RowReader::readRecord(q);
        made.name = SchoolServer::cleanName(made.name);
        q.finish();
        return writeAnswers(db, made.no, events, &made);
    });
    if (!written)
        return written;
    *record = made;
    putCopy(made);
    return Result::success();
}

// A rename or a reset is the teachers' operation; nothing else of a row is
// written from a computer.
Result ServerStore::updateRecord(const ChildRecord &record, const QVector<HistoryRow> &events)
{
    ChildRecord stored;
    const bool known = m_rows.seek(Key, record.no, &stored);
    const bool rename = !known || stored.name != record.name;
    const HistoryRow *reset = nullptr;
    bool answers = false;
    for (const HistoryRow &e : events) {
        if (e.event == HistoryEvent::Reset)
            reset = &e;
        else if (e.event == HistoryEvent::Answer)
            answers = true;
    }
    if (!rename && !reset && !answers) {
        forgetTeacherPassword();
        return Result::success();
    }
    ChildRecord now;
    const Result written = asTeacher([&](QSqlDatabase &db) -> Result {
        QSqlQuery q(db);
        if (rename) {
            q.prepare(QStringLiteral("SELECT quiz.rename_child(CAST(? AS integer), CAST(? AS text))"));
            q.bindValue(0, record.no);
            q.bindValue(1, record.name.isNull() ? QVariant(QMetaType::fromType<QString>())
                                                : QVariant(record.name.toString()));
            if (!q.exec() || !q.next())
                return Result::failure(SchoolServer::reasonOf(q.lastError()));
            if (!q.value(0).toBool())
                return Result::failure(QStringLiteral("سجل الطفل رقم %L1 لم يعد موجوداً").arg(record.no));
            q.finish();
        }
        if (reset) {
            q.prepare(QStringLiteral("SELECT quiz.reset_child(CAST(? AS integer), CAST(? AS uuid), CAST(? AS bigint))"));
            q.bindValue(0, record.no);
            q.bindValue(1, newId());
            q.bindValue(2, reset->time);
            if (!q.exec() || !q.next())
                return Result::failure(SchoolServer::reasonOf(q.lastError()));
            if (!q.value(0).toBool())
                return Result::failure(QStringLiteral("سجل الطفل رقم %L1 لم يعد موجوداً").arg(record.no));
            q.finish();
        }
        const Result counted = writeAnswers(db, record.no, events, &now);
        if (!counted)
            return counted;
        return readBack(db, record.no, &now);
    });
    if (written)
        putCopy(now);
    return written;
}

Result ServerStore::removeChild(int no)
{
    const Result removed = asTeacher([&](QSqlDatabase &db) -> Result {
        QSqlQuery q(db);
        q.prepare(QStringLiteral("SELECT quiz.delete_child(CAST(? AS integer))"));
        q.bindValue(0, no);
        if (!q.exec())
            return Result::failure(SchoolServer::reasonOf(q.lastError()));
        return Result::success();
    });
    if (!removed)
        return removed;
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
    return Result::success();
}

QString ServerStore::childrenSource() const
{
    return QStringLiteral("quiz.children()");
}

QString ServerStore::historySource(int no) const
{
    return no > 0 ? QStringLiteral("quiz.history(%1)").arg(no) : QStringLiteral("quiz.history()");
}
