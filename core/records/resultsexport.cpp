#include "core/records/resultsexport.h"

#include "core/records/csvfile.h"
#include "core/records/resultsfile.h"
#include "core/records/resultsmodel.h"
#include "core/records/resultstable.h"
#include "core/settings/choicenames.h"
#include "core/settings/settingssession.h"

#include <QHash>
#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <array>
#include <optional>


namespace {

QString readFailed(const QSqlQuery &q)
{
    return QStringLiteral("تعذر قراءة جدول الأطفال: %1").arg(ResultsFile::reasonOf(q.lastError()));
}

qint64 floorDiv(qint64 a, qint64 b)
{
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

// Local times as "yyyy-MM-dd HH:mm:ss", for a million rows: the system is
// asked for the offset from UTC once per UTC day, and where it is the same at
// both ends of that day the local time is reckoned from it.
class LocalTimeText
{
public:
    void write(CsvFile &csv, qint64 ms)
    {
        constexpr qint64 Day = 24 * 3600 * 1000;
        const qint64 day = floorDiv(ms, Day);
        if (day != m_day || !m_known) {
            const QDateTime start = QDateTime::fromMSecsSinceEpoch(day * Day);
            const QDateTime end = QDateTime::fromMSecsSinceEpoch(day * Day + Day - 1);
            m_day = day;
            m_known = true;
            m_steady = start.isValid() && end.isValid() && start.offsetFromUtc() == end.offsetFromUtc();
            m_offsetMs = qint64(start.offsetFromUtc()) * 1000;
        }
        int y = 0, mo = 0, d = 0;
        const qint64 local = ms + m_offsetMs;
        const qint64 localDay = floorDiv(local, Day);
        civilFromDays(localDay, &y, &mo, &d);
        if (!m_steady || y < 0 || y > 9999) {
            // A change of offset that day (summer time), or a year no
            // spreadsheet reads: the system formats it.
            const QByteArray text = QDateTime::fromMSecsSinceEpoch(ms)
                                        .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                                        .toLatin1();
            csv.addRaw(text.constData(), text.size());
            return;
        }
        const int secondOfDay = int((local - localDay * Day) / 1000);
        char cell[19];
        const auto two = [&cell](int at, int value) {
            cell[at] = char('0' + value / 10);
            cell[at + 1] = char('0' + value % 10);
        };
        two(0, y / 100);
        two(2, y % 100);
        cell[4] = '-';
        two(5, mo);
        cell[7] = '-';
        two(8, d);
        cell[10] = ' ';
        two(11, secondOfDay / 3600);
        cell[13] = ':';
        two(14, secondOfDay / 60 % 60);
        cell[16] = ':';
        two(17, secondOfDay % 60);
        csv.addRaw(cell, sizeof cell);
    }

private:
    // The proleptic Gregorian date of a day counted from 1970-01-01.
    static void civilFromDays(qint64 z, int *y, int *m, int *d)
    {
        z += 719468;
        const qint64 era = (z >= 0 ? z : z - 146096) / 146097;
        const qint64 doe = z - era * 146097;
        const qint64 yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
        const qint64 doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
        const qint64 mp = (5 * doy + 2) / 153;
        *d = int(doy - (153 * mp + 2) / 5 + 1);
        *m = int(mp < 10 ? mp + 3 : mp - 9);
        *y = int(yoe + era * 400 + (*m <= 2 ? 1 : 0));
    }

    qint64 m_day = 0;
    bool m_known = false;
    bool m_steady = false;
    qint64 m_offsetMs = 0;
};

void addNullableNumber(CsvFile &csv, const QVariant &value)
{
    if (value.isNull())
        csv.addEmpty();
    else
        csv.addNumber(value.toLongLong());
}

// A lesson's cells, encoded once: its name, and its choices' names for
// each question type (empty when the lesson can no longer be read).
struct LessonCells
{
    QByteArray lesson;
    std::array<std::array<QByteArray, 3>, QuestionTypes::All.size()> choices;
};

LessonCells lessonCells(const LessonLibrary &library, const QString &lesson)
{
    LessonCells cells;
    cells.lesson = CsvFile::encodeText(lesson);
    // A row without a lesson's name says nothing of which lesson it was.
    if (lesson.isEmpty())
        return cells;
    const std::optional<OptionsRead> options = SettingsSession::readLesson(library, lesson);
    if (!options)
        return cells;
    for (const QuestionType type : QuestionTypes::All) {
        const std::array<QString, 3> names = ChoiceNames::of(*options, type);
        for (int choice = 0; choice < 3; ++choice)
            cells.choices[int(type)][choice] = CsvFile::encodeText(names[choice]);
    }
    return cells;
}

// `type` is the index of a known question type, or -1.
void addChoiceName(CsvFile &csv, const LessonCells &cells, int type, const QVariant &choice)
{
    const qint64 number = choice.isNull() ? 0 : choice.toLongLong();
    if (type < 0 || number < 1 || number > 3)
        csv.addEmpty();
    else
        csv.addEncoded(cells.choices[type][number - 1]);
}

} // namespace

Result ResultsExport::writeCounts(const ResultsTable &table, const QString &path, ExportSummary *summary,
                                  AtomicFile::Access access)
{
    *summary = ExportSummary();
    QString connection;
    const Result connected = table.readConnection(&connection);
    if (!connected)
        return connected;
    QSqlQuery q(QSqlDatabase::database(connection, false));
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT No, Name, Ok, NotOk FROM %1 ORDER BY No").arg(table.store()->childrenSource())))
        return Result::failure(readFailed(q));
    CsvFile csv(path, access);
    const Result opened = csv.open();
    if (!opened)
        return opened;
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
    if (q.lastError().isValid())
        return Result::failure(readFailed(q));
    return csv.commit();
}

Result ResultsExport::writeAnswers(const ResultsTable &table, const QString &path, const QDateTime &now,
                                   const LessonLibrary &lessonLibrary, ExportSummary *summary,
                                   AtomicFile::Access access)
{
    *summary = ExportSummary();
    QString connection;
    const Result connected = table.readConnection(&connection);
    if (!connected)
        return connected;
    const QSqlDatabase db = QSqlDatabase::database(connection, false);
    // Names are looked up in memory, each encoded once: a join would encode
    // the same name again on every one of a child's answers.
    QHash<qint64, QByteArray> names;
    {
        QSqlQuery n(db);
        n.setForwardOnly(true);
        if (!n.exec(QStringLiteral("SELECT No, Name FROM %1").arg(table.store()->childrenSource())))
            return Result::failure(readFailed(n));
        while (n.next())
            names.insert(n.value(0).toLongLong(), CsvFile::encodeText(n.value(1).toString()));
    }
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral(
            "SELECT Child, Time, Event, Lesson, QuestionType, Asked, Clicked, Correct "
            "FROM %1 ORDER BY Child, Seq").arg(table.store()->historySource(0))))
        return Result::failure(readFailed(q));
    CsvFile csv(path, access);
    const Result opened = csv.open();
    if (!opened)
        return opened;
    for (const char *title : {"رقم الطفل", "اسم الطفل", "الوقت", "الدرس", "نوع السؤال", "الخيار المطلوب",
                              "الخيار المختار", "النتيجة", "اسم الخيار المطلوب", "اسم الخيار المختار"})
        csv.addText(QString::fromUtf8(title));
    csv.endRow();

    const QByteArray right = CsvFile::encodeText(QStringLiteral("صح"));
    const QByteArray wrong = CsvFile::encodeText(QStringLiteral("خطأ"));
    const QByteArray reset = CsvFile::encodeText(QStringLiteral("تصفير النتائج"));
    std::array<QByteArray, QuestionTypes::All.size()> types;
    for (const QuestionType t : QuestionTypes::All)
        types[int(t)] = CsvFile::encodeText(QuestionTypes::label(t));
    QHash<QString, LessonCells> lessons;
    QString lastLesson;
    LessonCells lastLessonCells = lessonCells(lessonLibrary, lastLesson);
    qint64 lastChild = -1;
    const QByteArray *nameCell = nullptr;
    LocalTimeText times;
    const qint64 nowMs = now.toMSecsSinceEpoch();
    while (q.next()) {
        const qint64 child = q.value(0).toLongLong();
        if (child != lastChild) {
            const auto name = names.constFind(child);
            nameCell = name != names.cend() ? &*name : nullptr;
            lastChild = child;
        }
        csv.addNumber(child);
        if (nameCell) {
            csv.addEncoded(*nameCell);
        } else {
            csv.addEmpty();
            ++summary->orphanRows;
        }
        const qint64 time = q.value(1).toLongLong();
        times.write(csv, time);
        if (time > nowMs)
            ++summary->futureRows;
        const bool isReset = q.value(2).toInt() == int(HistoryEvent::Reset);
        // Rows of one child mostly share a lesson: only a change is looked up.
        const QString lesson = q.value(3).toString();
        if (lesson != lastLesson) {
            auto cells = lessons.constFind(lesson);
            if (cells == lessons.cend())
                cells = lessons.insert(lesson, lessonCells(lessonLibrary, lesson));
            lastLesson = lesson;
            lastLessonCells = *cells;
        }
        csv.addEncoded(lastLessonCells.lesson);
        const QVariant type = q.value(4);
        const int knownType = type.isNull() ? -1 : QuestionTypes::indexOf(QuestionTypes::fromIndex(type.toInt()));
        if (knownType >= 0)
            csv.addEncoded(types[knownType]);
        else
            addNullableNumber(csv, type);
        const QVariant asked = q.value(5);
        const QVariant clicked = q.value(6);
        addNullableNumber(csv, asked);
        addNullableNumber(csv, clicked);
        if (isReset)
            csv.addEncoded(reset);
        else if (q.value(7).isNull())
            csv.addEmpty();
        else
            csv.addEncoded(q.value(7).toInt() == 1 ? right : wrong);
        addChoiceName(csv, lastLessonCells, knownType, asked);
        addChoiceName(csv, lastLessonCells, knownType, clicked);
        csv.endRow();
        ++summary->rows;
    }
    if (q.lastError().isValid())
        return Result::failure(readFailed(q));
    return csv.commit();
}
