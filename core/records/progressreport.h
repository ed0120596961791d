#pragma once

#include "core/base/result.h"
#include "core/records/answerhistory.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QVector>

class ResultsTable;

/// The span of answers a child's report covers.
enum class ReportPeriod { Everything, ThisWeek, ThisMonth };

/// Answers given one after another in one lesson, no more than
/// ProgressReport::SessionGapMinutes apart.
struct ReportSession
{
    QDateTime start;
    QString lesson;
    int answers = 0;
    int right = 0;
};

/// What a child's report says, read from the answers history.
struct ChildReport
{
    int no = 0;
    QString name;
    ReportPeriod period = ReportPeriod::Everything;
    /// The days covered: the first and last day with an answer for
    /// Everything (null when there is none), else the week or month so far.
    QDate from;
    QDate to;
    int right = 0;
    int wrong = 0;
    int resets = 0;
    /// The period's days and, for the lesson asked for, its choices: what
    /// the page's chart shows.
    ChildHistory history;
    /// The latest sessions of the period, newest first.
    QVector<ReportSession> sessions;
};

/// One child in the class report.
struct ClassRow
{
    int no = 0;
    QString name;
    int answers = 0;
    int right = 0;
    /// The time of the child's last answer; null when there is none.
    QDateTime lastPlayed;
};

struct ClassReport
{
    /// Sorted by name in Arabic order.
    QVector<ClassRow> rows;
};

/// Reads the reports for parents and teachers from the answers history,
/// through the table's store: from results.db or from the school's server.
/// Reads only; the table must be open.
class ProgressReport
{
public:
    static constexpr int MaxSessions = 8;
    static constexpr int SessionGapMinutes = 30;

    /// Child `no`'s report for `period`, reckoned in local time from `now`;
    /// the choices are those of `lesson` with `questionType`.
    static Result readChild(const ResultsTable &table, int no, const QString &lesson, std::optional<QuestionType> questionType,
                            ReportPeriod period, const QDateTime &now, ChildReport *out);
    static Result readClass(const ResultsTable &table, ClassReport *out);
    /// The shown name of a child: its name, or its number when it has none.
    static QString displayName(int no, const QString &name);
    static QString periodTitle(ReportPeriod period);
};
