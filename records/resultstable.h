#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QVariant>
#include <QVector>

#include <functional>
#include <memory>

/// One stored row of the children's table. Name, Ok and NotOk may be null
/// (a child added by name has no counts until its first answer or a reset).
struct ChildRecord
{
    int no = 0;
    QVariant name;
    QVariant ok;
    QVariant notOk;
};

/// What was asked in a judged answer, kept in the answers history beside the
/// count. 0 (or -1 for the type) where it is not known.
struct AnswerDetails
{
    QString lesson;
    /// 0 colours, 1 text, 2 pictures.
    int questionType = -1;
    /// The asked choice 1..3; 0 when no choice was asked (an answer before
    /// the first question).
    int asked = 0;
    /// The clicked choice 1..3.
    int clicked = 0;
};

/// The children's table `Table1` in one SQLite file, with the single cursor
/// that the grid, the navigator and the status strip share: the record it
/// stands on is the current child.
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
    /// The Event of a history row.
    enum HistoryEvent { AnswerEvent = 0, ResetEvent = 1 };
    using Clock = std::function<QDateTime()>;

    explicit ResultsTable(QObject *parent = nullptr);
    ~ResultsTable() override;

    /// Opens the table in filePath; opening the file that is already open
    /// does nothing. Afterwards the first record (lowest No) is current.
    bool open(const QString &filePath, QString *error);
    void close();
    bool isOpen() const { return m_state != State::Inactive; }
    QString filePath() const { return m_path; }
    /// The SQLite connection, for readers of the same file (AnswerHistory).
    QString connectionName() const { return m_connection; }
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
    bool insert(QString *error);
    /// Puts the current record in the editing state; on an empty table it
    /// starts an insertion instead. Does nothing more while a change is pending.
    bool edit(QString *error);
    /// Needs a pending insertion or edit. Name is cut to NameLength characters;
    /// an empty text makes an integer field null.
    bool setText(Field field, const QString &text, QString *error);
    bool setInteger(Field field, int value, QString *error);
    /// The current record's field as an integer; null and non-numbers give 0.
    int integer(Field field) const;
    /// The current record's field as shown: blank for null.
    QString text(Field field) const;
    QVariant value(Field field) const;
    /// Stores the pending record; a new record gets its No from the store.
    bool post(QString *error);
    /// Drops a pending insertion or edit; nothing pending, nothing done.
    void cancel();
    /// Deletes the current record; the following one (or the new last one)
    /// becomes current. Refused on an empty table.
    bool deleteCurrent(QString *error);

    /// keyText is the text of a number; moves to the record with that No.
    /// Anything else leaves the cursor where it was and gives false.
    bool findKey(const QString &keyText);
    bool first();
    bool prior();
    bool next();
    bool last();

    /// Counts one judged answer on the current child: "Y" adds to Ok, any
    /// other text to NotOk, and the answer goes into the history with its
    /// details. An empty table first gets the child "-".
    bool recordResult(const QString &result, const AnswerDetails &details, QString *error);
    bool recordResult(const QString &result, QString *error)
    {
        return recordResult(result, AnswerDetails(), error);
    }
    /// Adds a child with this name, which becomes current. On failure the
    /// half-made record is dropped.
    bool addChild(const QString &name, QString *error);
    /// Sets both counts of the current child to 0 and marks the reset in the
    /// history (which keeps the answers); on failure the edit is dropped.
    bool resetCounts(QString *error);
    /// Drops any pending change, then deletes the current child and its history.
    bool deleteChild(QString *error);

    /// For views: every No in order, and the stored rows with No in [fromNo, toNo].
    QVector<int> keys(QString *error) const;
    QVector<ChildRecord> records(int fromNo, int toNo, QString *error) const;

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
    struct Queries;
    struct PendingEvent
    {
        qint64 time;
        int event;
        AnswerDetails details;
        QVariant correct;
    };

    bool prepareQueries(QString *error);
    bool readCount(QString *error);
    QString failure(const QString &what, const QString &detail) const;
    bool requirePending(QString *error) const;
    bool settlePending();
    bool postInTransaction(QString *error);
    bool writeRecord(QString *error);
    bool writeEvents(QString *error);
    bool loadOne(int which, int key);
    void setCurrent(const ChildRecord &record, bool has);
    bool emptyCurrent(Field field) const;

    QString m_connection;
    QString m_path;
    State m_state = State::Inactive;
    int m_count = 0;
    bool m_hasCurrent = false;
    ChildRecord m_current;
    // The record as it was before a pending change, for cancel().
    ChildRecord m_saved;
    bool m_savedHas = false;
    // History rows of the pending change, written with it.
    QVector<PendingEvent> m_pendingEvents;
    Clock m_clock = [] { return QDateTime::currentDateTimeUtc(); };
    std::unique_ptr<Queries> m_q;
};
