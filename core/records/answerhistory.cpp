#include "core/records/answerhistory.h"

#include "core/records/resultsfile.h"
#include "core/records/resultstable.h"

#include <QDateTime>
#include <QMap>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace {

QString readFailed(const QSqlQuery &q)
{
    return QStringLiteral("تعذر قراءة سجل الإجابات: %1").arg(ResultsFile::reasonOf(q.lastError()));
}

} // namespace

Result AnswerHistory::readChild(const ResultsTable &table, int no, const QString &lesson, std::optional<QuestionType> questionType,
                                const QDate &today, ChildHistory *out)
{
    *out = ChildHistory();
    QString connection;
    const Result connected = table.readConnection(&connection);
    if (!connected)
        return connected;
    const QSqlDatabase db = QSqlDatabase::database(connection, false);
    const QString history = table.store()->historySource(no);
    const Result days = table.isShared() ? readServerDays(db, history, no, today, out)
                                         : readFileDays(db, no, today, out);
    if (!days)
        return days;
    return readChoices(db, history, no, lesson, questionType, out);
}

// Days in local time, as the teacher lived them; SQLite and Qt both take the
// local zone from the system.
Result AnswerHistory::readFileDays(const QSqlDatabase &db, int no, const QDate &today, ChildHistory *out)
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.prepare(QStringLiteral(
            "SELECT date(Time / 1000, 'unixepoch', 'localtime') AS Day, "
            "SUM(Event = 0 AND Correct = 1), SUM(Event = 0 AND Correct <> 1), SUM(Event = 1) "
            "FROM Answers WHERE Child = ? GROUP BY Day ORDER BY Day")))
        return Result::failure(readFailed(q));
    q.bindValue(0, no);
    if (!q.exec())
        return Result::failure(readFailed(q));
    while (q.next()) {
        DayTally d;
        d.day = QDate::fromString(q.value(0).toString(), Qt::ISODate);
        d.right = q.value(1).toInt();
        d.wrong = q.value(2).toInt();
        d.resets = q.value(3).toInt();
        out->answers += d.right + d.wrong;
        // A time SQLite cannot place on a day (far out of range) is left out
        // of the days rather than shown on a made-up one.
        if (!d.day.isValid())
            continue;
        if (d.day > today)
            out->futureRows += d.right + d.wrong + d.resets;
        out->days.append(d);
    }
    return Result::success();
}

// The server's clock zone is not the teacher's: its rows are put on the
// teacher's days here. A child's history is small enough to read whole.
Result AnswerHistory::readServerDays(const QSqlDatabase &db, const QString &history, int no, const QDate &today,
                                     ChildHistory *out)
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.prepare(QStringLiteral("SELECT time, event, correct FROM %1 WHERE child = ? ORDER BY seq").arg(history)))
        return Result::failure(readFailed(q));
    q.bindValue(0, no);
    if (!q.exec())
        return Result::failure(readFailed(q));
    QMap<QDate, DayTally> days;
    while (q.next()) {
        const QDate day = QDateTime::fromMSecsSinceEpoch(q.value(0).toLongLong()).date();
        const int event = q.value(1).toInt();
        if (event == int(HistoryEvent::Answer))
            ++out->answers;
        if (!day.isValid())
            continue;
        DayTally &d = days[day];
        d.day = day;
        if (event == int(HistoryEvent::Reset))
            ++d.resets;
        else if (event == int(HistoryEvent::Answer))
            ++(q.value(2).toInt() == 1 ? d.right : d.wrong);
        if (day > today)
            ++out->futureRows;
    }
    out->days = QVector<DayTally>(days.cbegin(), days.cend());
    return Result::success();
}

Result AnswerHistory::readChoices(const QSqlDatabase &db, const QString &history, int no, const QString &lesson,
                                  std::optional<QuestionType> questionType, ChildHistory *out)
{
    QSqlQuery c(db);
    c.setForwardOnly(true);
    if (!c.prepare(QStringLiteral("SELECT Asked, Clicked, COUNT(*) FROM %1 "
                                  "WHERE Child = ? AND Event = 0 AND Lesson = ? AND QuestionType = ? "
                                  "GROUP BY Asked, Clicked").arg(history)))
        return Result::failure(readFailed(c));
    c.bindValue(0, no);
    c.bindValue(1, lesson);
    c.bindValue(2, QuestionTypes::indexOf(questionType));
    if (!c.exec())
        return Result::failure(readFailed(c));
    while (c.next()) {
        const int asked = c.value(0).isNull() ? 0 : c.value(0).toInt();
        const int clicked = c.value(1).isNull() ? 0 : c.value(1).toInt();
        const int count = c.value(2).toInt();
        if (asked >= 1 && asked <= 3 && clicked >= 1 && clicked <= 3)
            out->choices[asked - 1][clicked - 1] += count;
        else
            out->unplacedChoices += count;
    }
    return Result::success();
}
