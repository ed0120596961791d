#pragma once

#include "core/records/childrecord.h"
#include "core/records/resultsstore.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QVariant>
#include <QVector>

#include <functional>
#include <memory>

/// The children's table `Table1` with the single cursor that the grid, the
/// navigator and the status strip share: the record it stands on is the
/// current child. The rows are kept by a ResultsStore: by default the SQLite
/// file results.db (open()), or the school's server (openStore() with a
/// ServerStore), whose rows other computers change too; the cursor then
/// follows their changes without moving.
///
/// Changes follow the insert / edit, set fields, post / cancel pattern. Every
/// post is committed with full synchronisation, so a counted answer is on
/// disk when post() returns. A counted answer and a reset also add a row to
/// the answers history (see ResultsFile); the row is written in the same
/// transaction as the count, so the two never disagree, and it stays pending
/// with the change when the post fails. Deleting a child deletes its history
/// in the same transaction.
///
/// open() never writes to a file that is not already a valid children's
/// table: a missing (or zero-length) file is created with the table, anything
/// else that does not match is refused with a text naming the file and why.
class ResultsTable : public QObject
{
    Q_OBJECT
public:
    enum class Field { No, Name, Ok, NotOk };
    enum class State { Inactive, Browse, Insert, Edit };

    static constexpr int NameLength = 50;
    /// 2: the answers history was added.
    static constexpr int SchemaVersion = 2;
    using Clock = std::function<QDateTime()>;

    explicit ResultsTable(QObject *parent = nullptr);
    ~ResultsTable() override;

    /// Opens the table in filePath; opening the file that is already open
    /// does nothing. Afterwards the first record (lowest No) is current.
    Result open(const QString &filePath);
    /// Takes the rows from this store, already opened (the table owns it from
    /// now on, also when this fails); the first record becomes current.
    Result openStore(std::unique_ptr<ResultsStore> store);
    void close();
    bool isOpen() const { return m_state != State::Inactive; }
    /// The file's path; empty when the table is not open on a file.
    QString filePath() const { return m_path; }
    /// The store the rows come from; null while closed.
    ResultsStore *store() const { return m_store.get(); }
    /// A connection of this thread on which readers of the history and the
    /// export query Table1 and Answers (AnswerHistory, ResultsExport); a
    /// failure with an Arabic reason when there is none now.
    Result readConnection(QString *connection) const;
    /// True when the rows are on a shared server rather than in a file.
    bool isShared() const { return m_store && m_store->isShared(); }
    /// The time history rows are stamped with; the system clock by default.
    void setClock(Clock clock) { m_clock = std::move(clock); }
    QDateTime now() const { return m_clock(); }
    State state() const { return m_state; }

    int recordCount() const { return m_count; }
    bool isEmpty() const { return m_count == 0; }
    /// True while the cursor stands on a stored record or a pending insertion.
    bool hasCurrent() const { return m_hasCurrent || m_state == State::Insert; }
    /// No of the current record; 0 with no current record or while inserting.
    int currentNo() const { return m_hasCurrent && m_state != State::Insert ? m_current.no : 0; }

    /// Starts a new, empty record that becomes current. A pending change is
    /// posted first.
    Result insert();
    /// Puts the current record in the editing state; on an empty table it
    /// starts an insertion instead. Does nothing more while a change is pending.
    Result edit();
    /// Needs a pending insertion or edit. Name is cut to NameLength characters;
    /// an empty text makes an integer field null.
    Result setText(Field field, const QString &text);
    Result setInteger(Field field, int value);
    /// The current record's field as an integer; null and non-numbers give 0.
    int integer(Field field) const;
    /// The current record's field as shown: blank for null.
    QString text(Field field) const;
    QVariant value(Field field) const;
    /// Stores the pending record; a new record gets its No from the store.
    Result post();
    /// Drops a pending insertion or edit; nothing pending, nothing done.
    void cancel();
    /// Deletes the current record; the following one (or the new last one)
    /// becomes current. Refused on an empty table.
    Result deleteCurrent();

    /// keyText is the text of a number; moves to the record with that No.
    /// Anything else leaves the cursor where it was and gives false.
    bool findKey(const QString &keyText);
    bool first();
    bool prior();
    bool next();
    bool last();

    /// Counts one judged answer on the current child: Right adds to Ok,
    /// anything else to NotOk (AnswerCount::addOne), and the answer goes into the history with its
    /// details. An empty table first gets the child "-". The store adds one
    /// where the count is kept, so that answers counted at the same moment
    /// on other computers all count. An answer the file could not take (it
    /// is locked) stays pending and is written with the next post.
    Result recordResult(Judgement judgement, const AnswerDetails &details);
    Result recordResult(Judgement judgement) { return recordResult(judgement, AnswerDetails()); }
    /// Adds a child with this name, which becomes current. On failure the
    /// half-made record is dropped.
    Result addChild(const QString &name);
    /// Sets both counts of the current child to 0 and marks the reset in the
    /// history (which keeps the answers); on failure the edit is dropped.
    Result resetCounts();
    /// Drops any pending change, then deletes the current child and its history.
    Result deleteChild();

    /// For views: every No in order, and the stored rows with No in [fromNo, toNo];
    /// none while the table is closed.
    Result keys(QVector<int> *out) const;
    Result records(int fromNo, int toNo, QVector<ChildRecord> *out) const;

    /// The name as it will be stored: its first NameLength characters
    /// (a character outside the basic plane is never split).
    static QString cutName(const QString &name);
    /// The text of a delete on an empty table.
    static QString emptyDatasetText();
    /// The text of any change asked of a table that is not open.
    static QString closedText();

signals:
    /// The table was opened or closed: views reload everything.
    void reloaded();
    /// The cursor moved, or the current record's values changed.
    void currentChanged();
    void recordInserted(int no);
    void recordUpdated(int no);
    void recordRemoved(int no);

private:
    Result failed(const QString &what, const QString &detail) const;
    Result afterOpen();
    Result requirePending() const;
    bool settlePending();
    bool loadOne(ResultsStore::Seek which, int key);
    void setCurrent(const ChildRecord &record, bool has);
    void keepAnswerPending(const HistoryRow &answer);
    void followChanges(const QVector<int> &nos);

    QString m_connection;
    QString m_path;
    std::unique_ptr<ResultsStore> m_store;
    State m_state = State::Inactive;
    int m_count = 0;
    bool m_hasCurrent = false;
    // A child asked for (by its No) before a shared store had read its rows:
    // made current when the rows arrive.
    int m_wantedNo = 0;
    ChildRecord m_current;
    // The record as it was before a pending change, for cancel().
    ChildRecord m_saved;
    bool m_savedHas = false;
    // History rows of the pending change, written with it.
    QVector<HistoryRow> m_pendingEvents;
    Clock m_clock = [] { return QDateTime::currentDateTimeUtc(); };
};
