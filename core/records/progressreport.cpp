#include "core/records/progressreport.h"

#include "core/records/resultsfile.h"
#include "core/records/resultstable.h"

#include <QCollator>
#include <QHash>
#include <QLocale>
#include <QMap>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>

namespace {

QString readFailed(const QSqlQuery &q)
{
    return QStringLiteral("تعذر قراءة سجل الإجابات: %1").arg(ResultsFile::reasonOf(q.lastError()));
}

// The local day of each row from its time: the system is asked for the
// offset from UTC once per UTC hour (at both its ends, so that an hour with
// a change of summer time is asked row by row), not once per row.
class LocalDays
{
public:
    QDate of(qint64 ms)
    {
        // Times beyond some 35,000 years from 1970 (a damaged file) are left
        // to the system, whose answer is no valid day.
        constexpr qint64 Bound = qint64(1) << 50;
        if (ms <= -Bound || ms >= Bound)
            return QDateTime::fromMSecsSinceEpoch(ms).date();
        const qint64 hour = ms / Hour - (ms % Hour < 0 ? 1 : 0);
        if (!m_cached || hour != m_cachedHour) {
            m_cached = true;
            m_cachedHour = hour;
            const QDateTime start = QDateTime::fromMSecsSinceEpoch(hour * Hour);
            const QDateTime end = QDateTime::fromMSecsSinceEpoch(hour * Hour + Hour - 1);
            m_steady = start.isValid() && end.isValid() && start.offsetFromUtc() == end.offsetFromUtc();
            m_offsetMs = m_steady ? qint64(start.offsetFromUtc()) * 1000 : 0;
        }
        const qint64 local = ms + m_offsetMs;
        return m_steady ? QDate(1970, 1, 1).addDays(local / Day - (local % Day < 0 ? 1 : 0))
                        : QDateTime::fromMSecsSinceEpoch(ms).date();
    }

private:
    static constexpr qint64 Hour = 3600 * 1000;
    static constexpr qint64 Day = 24 * Hour;
    qint64 m_cachedHour = 0;
    bool m_cached = false;
    bool m_steady = false;
    qint64 m_offsetMs = 0;
};

// The days a period covers up to today; none (invalid) for everything.
void periodDays(ReportPeriod period, const QDate &today, QDate *from, QDate *to)
{
    if (period == ReportPeriod::ThisWeek) {
        const int back = (today.dayOfWeek() - int(QLocale().firstDayOfWeek()) + 7) % 7;
        *from = today.addDays(-back);
        *to = today;
    } else if (period == ReportPeriod::ThisMonth) {
        *from = QDate(today.year(), today.month(), 1);
        *to = today;
    }
}

Result readName(const QSqlDatabase &db, const ResultsTable &table, int no, QString *name)
{
    QSqlQuery n(db);
    n.setForwardOnly(true);
    if (!n.prepare(QStringLiteral("SELECT Name FROM %1 WHERE No = ?").arg(table.store()->childrenSource())))
        return Result::failure(readFailed(n));
    n.bindValue(0, no);
    if (!n.exec())
        return Result::failure(readFailed(n));
    if (n.next())
        *name = n.value(0).toString();
    return Result::success();
}

} // namespace

QString ProgressReport::displayName(int no, const QString &name)
{
    // The table keeps no longer names; a longer one from elsewhere is cut
    // like them rather than laid out across the page.
    return name.trimmed().isEmpty() ? QStringLiteral("الطفل رقم %1").arg(QLocale().toString(no))
                                    : ResultsTable::cutName(name);
}

QString ProgressReport::periodTitle(ReportPeriod period)
{
    switch (period) {
    case ReportPeriod::ThisWeek: return QStringLiteral("هذا الأسبوع");
    case ReportPeriod::ThisMonth: return QStringLiteral("هذا الشهر");
    case ReportPeriod::Everything: break;
    }
    return QStringLiteral("كل الإجابات");
}

// Every row of the child is read in its order and placed on the teacher's
// days here, for the file and the server alike: the server's clock zone is
// not the teacher's, and a child's history is small enough to read whole.
Result ProgressReport::readChild(const ResultsTable &table, int no, const QString &lesson, std::optional<QuestionType> questionType,
                                 ReportPeriod period, const QDateTime &now, ChildReport *out)
{
    *out = ChildReport();
    out->no = no;
    out->period = period;
    QString connection;
    const Result connected = table.readConnection(&connection);
    if (!connected)
        return connected;
    const QSqlDatabase db = QSqlDatabase::database(connection, false);
    const QDate today = now.toLocalTime().date();
    QDate from;
    QDate to;
    periodDays(period, today, &from, &to);
    const Result named = readName(db, table, no, &out->name);
    if (!named)
        return named;
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.prepare(QStringLiteral("SELECT Time, Event, Lesson, QuestionType, Asked, Clicked, Correct "
                                  "FROM %1 WHERE Child = ? ORDER BY Seq")
                       .arg(table.store()->historySource(no))))
        return Result::failure(readFailed(q));
    q.bindValue(0, no);
    if (!q.exec())
        return Result::failure(readFailed(q));

    QMap<QDate, DayTally> days;
    QVector<ReportSession> sessions;
    qint64 lastAnswerMs = 0;
    constexpr qint64 Gap = qint64(SessionGapMinutes) * 60 * 1000;
    LocalDays localDays;
    while (q.next()) {
        const qint64 ms = q.value(0).toLongLong();
        const QDate day = localDays.of(ms);
        if (!day.isValid())
            continue;
        if (from.isValid() && (day < from || day > to))
            continue;
        const int event = q.value(1).toInt();
        DayTally &d = days[day];
        d.day = day;
        if (day > today)
            ++out->history.futureRows;
        if (event == int(HistoryEvent::Reset)) {
            ++d.resets;
            ++out->resets;
            continue;
        }
        if (event != int(HistoryEvent::Answer))
            continue;
        const bool right = q.value(6).toInt() == 1;
        ++(right ? d.right : d.wrong);
        ++(right ? out->right : out->wrong);
        ++out->history.answers;
        const QString answerLesson = q.value(2).toString();
        if (answerLesson == lesson && !q.value(3).isNull() && q.value(3).toInt() == QuestionTypes::indexOf(questionType)) {
            const int asked = q.value(4).isNull() ? 0 : q.value(4).toInt();
            const int clicked = q.value(5).isNull() ? 0 : q.value(5).toInt();
            if (asked >= 1 && asked <= 3 && clicked >= 1 && clicked <= 3)
                ++out->history.choices[asked - 1][clicked - 1];
            else
                ++out->history.unplacedChoices;
        }
        // Unsigned: a damaged time far from the one before does not overflow.
        if (sessions.isEmpty() || sessions.last().lesson != answerLesson || ms < lastAnswerMs
            || quint64(ms) - quint64(lastAnswerMs) > quint64(Gap)) {
            // Only the latest sessions are shown: older ones are dropped as
            // the list grows, so that a long history costs no memory.
            if (sessions.size() >= 4 * MaxSessions)
                sessions.remove(0, sessions.size() - MaxSessions);
            ReportSession s;
            s.start = QDateTime::fromMSecsSinceEpoch(ms);
            s.lesson = answerLesson;
            sessions.append(s);
        }
        lastAnswerMs = ms;
        ++sessions.last().answers;
        if (right)
            ++sessions.last().right;
    }
    if (q.lastError().isValid())
        return Result::failure(readFailed(q));
    out->history.days = QVector<DayTally>(days.cbegin(), days.cend());
    for (qsizetype i = sessions.size() - 1; i >= 0 && out->sessions.size() < MaxSessions; --i)
        out->sessions.append(sessions.at(i));
    if (period == ReportPeriod::Everything) {
        for (const DayTally &d : std::as_const(out->history.days)) {
            if (d.right + d.wrong == 0)
                continue;
            if (!out->from.isValid())
                out->from = d.day;
            out->to = d.day;
        }
    } else {
        out->from = from;
        out->to = to;
    }
    return Result::success();
}

Result ProgressReport::readClass(const ResultsTable &table, ClassReport *out)
{
    *out = ClassReport();
    QString connection;
    const Result connected = table.readConnection(&connection);
    if (!connected)
        return connected;
    const QSqlDatabase db = QSqlDatabase::database(connection, false);
    QHash<int, qsizetype> rowOf;
    {
        QSqlQuery n(db);
        n.setForwardOnly(true);
        if (!n.exec(QStringLiteral("SELECT No, Name FROM %1 ORDER BY No").arg(table.store()->childrenSource())))
            return Result::failure(readFailed(n));
        while (n.next()) {
            ClassRow row;
            row.no = n.value(0).toInt();
            row.name = n.value(1).toString();
            rowOf.insert(row.no, out->rows.size());
            out->rows.append(row);
        }
        if (n.lastError().isValid())
            return Result::failure(readFailed(n));
    }
    // One pass of the database over the history, whatever its size.
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT Child, COUNT(*), SUM(CASE WHEN Correct = 1 THEN 1 ELSE 0 END), MAX(Time) "
                               "FROM %1 WHERE Event = 0 GROUP BY Child")
                    .arg(table.store()->historySource(0))))
        return Result::failure(readFailed(q));
    while (q.next()) {
        const auto at = rowOf.constFind(q.value(0).toInt());
        // The history of a child no longer in the table belongs to nobody shown.
        if (at == rowOf.cend())
            continue;
        ClassRow &row = out->rows[*at];
        row.answers = q.value(1).toInt();
        row.right = q.value(2).toInt();
        if (!q.value(3).isNull())
            row.lastPlayed = QDateTime::fromMSecsSinceEpoch(q.value(3).toLongLong());
    }
    if (q.lastError().isValid())
        return Result::failure(readFailed(q));
    const QLocale arabic(QLocale::Arabic);
    QCollator collator(arabic);
    collator.setNumericMode(true);
    std::stable_sort(out->rows.begin(), out->rows.end(), [&collator](const ClassRow &a, const ClassRow &b) {
        const int c = collator.compare(displayName(a.no, a.name), displayName(b.no, b.name));
        return c != 0 ? c < 0 : a.no < b.no;
    });
    return Result::success();
}
