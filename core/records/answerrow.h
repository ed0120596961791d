#pragma once

#include "core/quiz/judgement.h"
#include "core/records/childrecord.h"

#include <QString>

#include <limits>

class QSqlQuery;

/// The Event of a row of the answers history, as stored.
enum class HistoryEvent { Answer = 0, Reset = 1 };

/// A row of the answers history waiting to be written with a change: a
/// judged answer or a reset of the counts.
struct HistoryRow
{
    qint64 time = 0;
    HistoryEvent event = HistoryEvent::Answer;
    AnswerDetails details;
    /// Right or Wrong for an answer; None for a reset.
    Judgement judgement = Judgement::None;
};

/// How an answer is counted, wherever a count is kept: in memory for a
/// pending edit, in results.db, and in the shown copy of the school server's
/// rows. (The server counts by the same rule in its own function,
/// quiz.count_answer, which the school's administrator installed.)
namespace AnswerCount {

/// A count at the largest integer stays there rather than turning negative.
constexpr int Largest = std::numeric_limits<int>::max();

constexpr int addOne(int count)
{
    return count == Largest ? count : count + 1;
}

/// addOne in SQL, for a column that may be null (counted as 0).
QString addOneSql(const QString &column);

/// The stored count with `waiting` answers added, by the same rule; a
/// stored null stays null while nothing waits.
QString addWaitingSql(const QString &stored, const QString &waiting);

/// Binds what a history row stores of the answer, the same in every store:
/// lesson, question type (its index), asked, clicked and correct (1, 0, or null for a
/// reset), at the positions `first` to `first + 4`. What is not known (no
/// lesson for a reset, no type, no choice) is null.
void bindAnswer(QSqlQuery &query, int first, const HistoryRow &row);

} // namespace AnswerCount
