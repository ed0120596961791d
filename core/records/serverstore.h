#pragma once

#include "core/records/resultsstore.h"
#include "core/records/rowreader.h"

#include <QSqlQuery>

#include <functional>
#include <memory>

class QThread;
class ServerLink;

/// The children's table on the school's PostgreSQL server, shared by every
/// computer of the school (see records/school-server.sql for the tables).
///
/// The game never waits for the network: a counted answer is written at
/// once into a file on this computer (the outbox, with an id made here) and
/// sent by a ServerLink in a thread of its own, which also keeps there a copy
/// of the server's rows. The cursor reads that copy plus the answers still
/// waiting, so the table shows and counts on while the server is away, and
/// follows the other computers' changes while it is there. Adding a child and
/// the readers of the history go to the server directly, as the computers'
/// login; resetting, renaming and deleting a child go as the teachers' login,
/// with a password typed for that one operation. They fail with a reason
/// when the server cannot be reached.
class ServerStore : public RowReadingStore
{
    Q_OBJECT
public:
    /// `cachePath`: the outbox and copy file on this computer.
    ServerStore(const QString &service, const QString &cachePath, QObject *parent = nullptr);
    ~ServerStore() override;

    /// Opens the file on this computer and starts the sender; true also when
    /// the server cannot be reached now (problem() then says why).
    Result open();
    /// Whether the service leads to a database set up for the quiz, tried at
    /// once (the teacher waits for the answer).
    static Result probe(const QString &service);
    /// How long the sender waits before it tries an absent server again.
    void setRetryInterval(int ms) { m_retryMs = ms; }

    QString service() const { return m_service; }
    /// False until the sender has reached the server, and while it cannot.
    bool online() const { return m_online; }
    /// Why the server cannot be reached (Arabic), empty while it can.
    QString problem() const { return m_problem; }
    /// The answers of this computer not yet on the server.
    int waiting() const;
    /// A quiet line for the status strip: answers waiting, or the server
    /// away; empty while all is well.
    QString stateText() const;

    QString place() const override;
    bool isShared() const override { return true; }
    bool rowsKnown() const override { return m_rowsKnown; }
    Result insertRecord(ChildRecord *record, const QVector<HistoryRow> &events) override;
    Result updateRecord(const ChildRecord &record, const QVector<HistoryRow> &events) override;
    Result countAnswer(int no, const HistoryRow &answer, ChildRecord *after) override;
    Result removeChild(int no) override;
    Result readConnection(QString *connection) override;
    QString childrenSource() const override;
    QString historySource(int no) const override;

    /// The password of the teachers' login (the service teacherService()),
    /// typed by a teacher for the next reset, rename or deletion: used for
    /// that one operation and forgotten after it, whatever its outcome.
    /// Without it those operations fail with teacherPasswordText().
    void setTeacherPassword(const QString &password);
    void forgetTeacherPassword();
    static QString teacherPasswordText();

private:
    Result serverConnection();
    Result onServer(const std::function<Result(QSqlDatabase &)> &work);
    Result asTeacher(const std::function<Result(QSqlDatabase &)> &work);
    Result writeAnswers(QSqlDatabase &db, int no, const QVector<HistoryRow> &events, ChildRecord *row);
    Result readBack(QSqlDatabase &db, int no, ChildRecord *row);
    bool putCopy(const ChildRecord &record);
    void linkState(bool online, const QString &problem);
    void stopLink();

    QString m_service;
    QString m_cachePath;
    QString m_local;
    QString m_reader;
    QString m_teacher;
    QString m_teacherPassword;
    bool m_hasTeacherPassword = false;
    int m_retryMs = 5000;
    bool m_online = false;
    bool m_rowsKnown = false;
    QString m_problem;
    std::unique_ptr<QSqlQuery> m_addOutbox;
    QThread *m_thread = nullptr;
    ServerLink *m_link = nullptr;
};
