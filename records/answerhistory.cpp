#include "records/answerhistory.h"

#include "records/resultsfile.h"
#include "records/resultstable.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace {

QString readFailed(const QSqlQuery &q)
{
    return QStringLiteral("تعذر قراءة سجل الإجابات: %1").arg(ResultsFile::reasonOf(q.lastError()));
}

} // namespace

bool AnswerHistory::readChild(const ResultsTable &table, int no, const QString &lesson, int questionType,
                              const QDate &today, ChildHistory *out, QString *error)
{
    *out = ChildHistory();
    if (!table.isOpen()) {
        *error = ResultsTable::closedText();
        return false;
    }
    const QSqlDatabase db = QSqlDatabase::database(table.connectionName(), false);
    // Days in local time, as the teacher lived them; SQLite and Qt both take
    // the local zone from the system.
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.prepare(QStringLiteral(
            "SELECT date(Time / 1000, 'unixepoch', 'localtime') AS Day, "
            "SUM(Event = 0 AND Correct = 1), SUM(Event = 0 AND Correct <> 1), SUM(Event = 1) "
            "FROM Answers WHERE Child = ? GROUP BY Day ORDER BY Day"))) {
        *error = readFailed(q);
        return false;
    }
    q.bindValue(0, no);
    if (!q.exec()) {
        *error = readFailed(q);
        return false;
    }
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
    q.finish();

    QSqlQuery c(db);
    c.setForwardOnly(true);
    if (!c.prepare(QStringLiteral("SELECT Asked, Clicked, COUNT(*) FROM Answers "
                                  "WHERE Child = ? AND Event = 0 AND Lesson = ? AND QuestionType = ? "
                                  "GROUP BY Asked, Clicked"))) {
        *error = readFailed(c);
        return false;
    }
    c.bindValue(0, no);
    c.bindValue(1, lesson);
    c.bindValue(2, questionType);
    if (!c.exec()) {
        *error = readFailed(c);
        return false;
    }
    while (c.next()) {
        const int asked = c.value(0).isNull() ? 0 : c.value(0).toInt();
        const int clicked = c.value(1).isNull() ? 0 : c.value(1).toInt();
        const int count = c.value(2).toInt();
        if (asked >= 1 && asked <= 3 && clicked >= 1 && clicked <= 3)
            out->choices[asked - 1][clicked - 1] += count;
        else
            out->unplacedChoices += count;
    }
    return true;
}
