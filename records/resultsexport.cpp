#include "records/resultsexport.h"

#include "records/csvfile.h"
#include "records/resultsfile.h"
#include "records/resultsmodel.h"
#include "records/resultstable.h"

#include <QHash>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace {

QString readFailed(const QSqlQuery &q)
{
    return QStringLiteral("تعذر قراءة جدول الأطفال: %1").arg(ResultsFile::reasonOf(q.lastError()));
}

void addNullableNumber(CsvFile &csv, const QVariant &value)
{
    if (value.isNull())
        csv.addEmpty();
    else
        csv.addNumber(value.toLongLong());
}

} // namespace

QString ResultsExport::questionTypeText(int type)
{
    switch (type) {
    case 0: return QStringLiteral("ألوان");
    case 1: return QStringLiteral("نص");
    case 2: return QStringLiteral("صور");
    default: return QString();
    }
}

bool ResultsExport::writeCounts(const ResultsTable &table, const QString &path, ExportSummary *summary,
                                QString *error)
{
    *summary = ExportSummary();
    if (!table.isOpen()) {
        *error = ResultsTable::closedText();
        return false;
    }
    QSqlQuery q(QSqlDatabase::database(table.connectionName(), false));
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT No, Name, Ok, NotOk FROM Table1 ORDER BY No"))) {
        *error = readFailed(q);
        return false;
    }
    CsvFile csv(path);
    if (!csv.open(error))
        return false;
    const ResultsModel::Column columns[] = {ResultsModel::NoColumn, ResultsModel::NameColumn,
                                            ResultsModel::OkColumn, ResultsModel::NotOkColumn};
    // The grid's own titles, so the sheet reads like the children's page.
    for (const ResultsModel::Column c : columns)
        csv.addText(ResultsModel::columnTitle(c));
    csv.endRow();
    while (q.next()) {
        csv.addNumber(q.value(0).toLongLong());
        csv.addText(q.value(1).toString());
        addNullableNumber(csv, q.value(2));
        addNullableNumber(csv, q.value(3));
        csv.endRow();
        ++summary->rows;
    }
    if (q.lastError().isValid()) {
        *error = readFailed(q);
        return false;
    }
    return csv.commit(error);
}

bool ResultsExport::writeAnswers(const ResultsTable &table, const QString &path, const QDateTime &now,
                                 ExportSummary *summary, QString *error)
{
    *summary = ExportSummary();
    if (!table.isOpen()) {
        *error = ResultsTable::closedText();
        return false;
    }
    const QSqlDatabase db = QSqlDatabase::database(table.connectionName(), false);
    // Names are looked up in memory, each encoded once: a join would encode
    // the same name again on every one of a child's answers.
    QHash<qint64, QByteArray> names;
    {
        QSqlQuery n(db);
        n.setForwardOnly(true);
        if (!n.exec(QStringLiteral("SELECT No, Name FROM Table1"))) {
            *error = readFailed(n);
            return false;
        }
        while (n.next())
            names.insert(n.value(0).toLongLong(), CsvFile::encodeText(n.value(1).toString()));
    }
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral(
            "SELECT Child, strftime('%Y-%m-%d %H:%M:%S', Time / 1000, 'unixepoch', 'localtime'), Time, "
            "Event, Lesson, QuestionType, Asked, Clicked, Correct FROM Answers ORDER BY Id"))) {
        *error = readFailed(q);
        return false;
    }
    CsvFile csv(path);
    if (!csv.open(error))
        return false;
    for (const char *title : {"رقم الطفل", "اسم الطفل", "الوقت", "الدرس", "نوع السؤال", "الخيار المطلوب",
                              "الخيار المختار", "النتيجة"})
        csv.addText(QString::fromUtf8(title));
    csv.endRow();

    const QByteArray right = CsvFile::encodeText(QStringLiteral("صح"));
    const QByteArray wrong = CsvFile::encodeText(QStringLiteral("خطأ"));
    const QByteArray reset = CsvFile::encodeText(QStringLiteral("تصفير النتائج"));
    QByteArray types[3];
    for (int t = 0; t < 3; ++t)
        types[t] = CsvFile::encodeText(questionTypeText(t));
    QHash<QString, QByteArray> lessons;
    const qint64 nowMs = now.toMSecsSinceEpoch();
    while (q.next()) {
        const qint64 child = q.value(0).toLongLong();
        csv.addNumber(child);
        const auto name = names.constFind(child);
        if (name != names.cend()) {
            csv.addEncoded(*name);
        } else {
            csv.addEmpty();
            ++summary->orphanRows;
        }
        csv.addText(q.value(1).toString());
        if (q.value(2).toLongLong() > nowMs)
            ++summary->futureRows;
        const bool isReset = q.value(3).toInt() == ResultsTable::ResetEvent;
        const QString lesson = q.value(4).toString();
        auto encodedLesson = lessons.constFind(lesson);
        if (encodedLesson == lessons.cend())
            encodedLesson = lessons.insert(lesson, CsvFile::encodeText(lesson));
        csv.addEncoded(*encodedLesson);
        const QVariant type = q.value(5);
        if (!type.isNull() && type.toInt() >= 0 && type.toInt() <= 2)
            csv.addEncoded(types[type.toInt()]);
        else
            addNullableNumber(csv, type);
        addNullableNumber(csv, q.value(6));
        addNullableNumber(csv, q.value(7));
        if (isReset)
            csv.addEncoded(reset);
        else if (q.value(8).isNull())
            csv.addEmpty();
        else
            csv.addEncoded(q.value(8).toInt() == 1 ? right : wrong);
        csv.endRow();
        ++summary->rows;
    }
    if (q.lastError().isValid()) {
        *error = readFailed(q);
        return false;
    }
    return csv.commit(error);
}
