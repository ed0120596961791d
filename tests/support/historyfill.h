#pragma once

#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>

#include <functional>

namespace testsupport {

/// One row for the answers history as a test or benchmark writes it.
struct FilledAnswer
{
    qint64 time = 0;
    /// 0 an answer, 1 a reset.
    int event = 0;
    QString lesson;
    int asked = 1;
    int clicked = 1;
    bool right = true;
};

/// Writes history rows straight into results.db at `path` (whose children
/// 1..children exist already) in one transaction: `row(child, n, &answer)`
/// gives the n-th of the `perChild` rows of each child, the children taken
/// in turn, as answers given in a classroom are.
inline bool fillHistory(const QString &path, int children, int perChild,
                        const std::function<void(int child, int n, FilledAnswer *answer)> &row)
{
    bool ok = true;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("historyfill"));
        db.setDatabaseName(path);
        ok = db.open() && db.transaction();
        QSqlQuery q(db);
        ok = ok && q.prepare(QStringLiteral("INSERT INTO Answers (Child, Seq, Time, Event, Lesson, QuestionType, "
                                            "Asked, Clicked, Correct) VALUES (?, ?, ?, ?, ?, 0, ?, ?, ?)"));
        for (int n = 0; ok && n < perChild; ++n)
            for (int child = 1; ok && child <= children; ++child) {
                FilledAnswer a;
                row(child, n, &a);
                q.bindValue(0, child);
                q.bindValue(1, n + 1);
                q.bindValue(2, a.time);
                q.bindValue(3, a.event);
                q.bindValue(4, a.lesson);
                q.bindValue(5, a.event == 0 ? QVariant(a.asked) : QVariant());
                q.bindValue(6, a.event == 0 ? QVariant(a.clicked) : QVariant());
                q.bindValue(7, a.event == 0 ? QVariant(a.right ? 1 : 0) : QVariant());
                ok = q.exec();
            }
        ok = ok && db.commit();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("historyfill"));
    return ok;
}

} // namespace testsupport
