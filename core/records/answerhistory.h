#pragma once

#include "core/base/result.h"
#include "core/quiz/questiontype.h"

#include <QDate>
#include <QString>
#include <QVector>

#include <array>

class QSqlDatabase;
class ResultsTable;

/// One day of a child's history, in local time.
struct DayTally
{
    QDate day;
    int right = 0;
    int wrong = 0;
    /// Resets of the counts on that day.
    int resets = 0;
};

/// What one child's answers history says, for the chart.
struct ChildHistory
{
    /// Every day with an answer or a reset, oldest first.
    QVector<DayTally> days;
    /// choices[asked - 1][clicked - 1]: how often the child clicked each
    /// choice when a choice was asked, in one lesson and question type.
    std::array<std::array<int, 3>, 3> choices{};
    /// Answers of that lesson and type with no asked choice (given before the
    /// first question) or another choice number: not in `choices`.
    int unplacedChoices = 0;
    /// Rows dated after `today`: the clock was wrong when they were written.
    int futureRows = 0;
    int answers = 0;
};

/// Questions asked of the answers history that ResultsTable writes. Reads
/// only; the table must be open.
class AnswerHistory
{
public:
    /// The history of child `no`; `choices` counts the answers given in
    /// `lesson` with `questionType`. A failure's reason is Arabic.
    static Result readChild(const ResultsTable &table, int no, const QString &lesson, std::optional<QuestionType> questionType,
                            const QDate &today, ChildHistory *out);

private:
    static Result readFileDays(const QSqlDatabase &db, int no, const QDate &today, ChildHistory *out);
    static Result readServerDays(const QSqlDatabase &db, const QString &history, int no, const QDate &today,
                                 ChildHistory *out);
    static Result readChoices(const QSqlDatabase &db, const QString &history, int no, const QString &lesson,
                              std::optional<QuestionType> questionType, ChildHistory *out);
};
