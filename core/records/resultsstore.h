#pragma once

#include "core/base/result.h"
#include "core/records/answerrow.h"
#include "core/records/childrecord.h"

#include <QObject>
#include <QString>
#include <QVariant>
#include <QVector>

/// Where the children's table and its answers history are kept: the file
/// results.db on this computer, or the school's server shared by every
/// computer. ResultsTable keeps the one cursor and the insert / edit / post
/// pattern on top of it; a store only reads and writes rows.
///
/// Failures come back as an Arabic reason that does not name the store;
/// place() names it.
class ResultsStore : public QObject
{
    Q_OBJECT
public:
    enum Seek { First, Last, Next, Prior, Key };

    using QObject::QObject;
    ~ResultsStore() override = default;

    /// The file's path or the server's name, for messages (isolated for
    /// right-to-left text).
    virtual QString place() const = 0;
    /// True where other computers change the same rows: a count is then never
    /// written as a value read before (see countAnswer).
    virtual bool isShared() const = 0;
    /// False while the store has not read its rows yet (a server's copy
    /// before the first reading since the program started): a child missing
    /// or a table empty may then be there after all.
    virtual bool rowsKnown() const { return true; }

    virtual Result count(int *n) = 0;
    /// The first, last, next or prior row from `key`, or the row with No
    /// `key`; false when there is none (or it could not be read).
    virtual bool seek(Seek which, int key, ChildRecord *out) = 0;
    /// Stores a new row with its history rows; the store gives its No.
    virtual Result insertRecord(ChildRecord *record, const QVector<HistoryRow> &events) = 0;
    /// Stores the row's values with its history rows, all or nothing.
    virtual Result updateRecord(const ChildRecord &record, const QVector<HistoryRow> &events) = 0;
    /// Adds one (AnswerCount::addOne) to Ok (a right answer) or NotOk of child `no` where it is stored,
    /// without reading it first, with the answer's history row; `after` is
    /// the row as it is now to be shown.
    virtual Result countAnswer(int no, const HistoryRow &answer, ChildRecord *after) = 0;
    /// Deletes the child and the child's history.
    virtual Result removeChild(int no) = 0;
    /// Every No in order; `out` is empty when they could not be read.
    virtual Result keys(QVector<int> *out) = 0;
    /// The stored rows with No in [fromNo, toNo].
    virtual Result records(int fromNo, int toNo, QVector<ChildRecord> *out) = 0;
    /// The name of a connection of this thread on which the history and the
    /// export read Table1 and Answers; a failure with a reason when there is none now.
    virtual Result readConnection(QString *connection) = 0;
    /// What the readers name after FROM on readConnection(): the children's
    /// rows (No, Name, Ok, NotOk), and the history rows (Seq, Child, Time,
    /// Event, Lesson, QuestionType, Asked, Clicked, Correct) of every child,
    /// or of child `no` when it is above 0 (a reader still says which child).
    virtual QString childrenSource() const { return QStringLiteral("Table1"); }
    virtual QString historySource(int no) const
    {
        Q_UNUSED(no);
        return QStringLiteral("Answers");
    }

signals:
    /// Rows changed elsewhere (another computer): each may be new, changed or gone.
    void rowsChanged(const QVector<int> &nos);
    /// Whether the store can be reached, or how many answers wait, changed.
    void stateChanged();
};
