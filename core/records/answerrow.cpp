#include "core/records/answerrow.h"

#include <QSqlQuery>
#include <QVariant>

namespace {

QVariant nullInt()
{
    return QVariant(QMetaType::fromType<int>());
}

} // namespace

QString AnswerCount::addOneSql(const QString &column)
{
    return QStringLiteral("CASE WHEN %1 >= %2 THEN %1 ELSE ifnull(%1, 0) + 1 END").arg(column).arg(Largest);
}

QString AnswerCount::addWaitingSql(const QString &stored, const QString &waiting)
{
    return QStringLiteral("CASE WHEN ifnull(%2, 0) = 0 THEN %1 "
                          "WHEN ifnull(%1, 0) + %2 > %3 THEN %3 "
                          "ELSE ifnull(%1, 0) + %2 END")
        .arg(stored, waiting)
        .arg(Largest);
}

void AnswerCount::bindAnswer(QSqlQuery &query, int first, const HistoryRow &row)
{
    const AnswerDetails &d = row.details;
    const bool answer = row.event == HistoryEvent::Answer;
    query.bindValue(first, answer ? QVariant(d.lesson) : QVariant(QMetaType::fromType<QString>()));
    query.bindValue(first + 1, d.questionType ? QVariant(int(*d.questionType)) : nullInt());
    query.bindValue(first + 2, d.asked > 0 ? QVariant(d.asked) : nullInt());
    query.bindValue(first + 3, d.clicked > 0 ? QVariant(d.clicked) : nullInt());
    query.bindValue(first + 4, row.judgement == Judgement::None ? nullInt()
                                                                : QVariant(row.judgement == Judgement::Right ? 1 : 0));
}
