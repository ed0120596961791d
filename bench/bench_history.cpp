// Figures of the answers history, with 1,000,000 answers of 100 children
// (10,000 each, over 200 days) in results.db:
//   - counting an answer with its history row (one durable transaction)
//     against the count alone (the edit and post of the count without a
//     history row), measured alternately in the same run;
//   - the chart of a child with 10,000 answers read and drawn, per view;
//   - exporting the whole history to CSV, every row's choices named;
//   - the size the history adds to results.db, and the size of the export.
// Prints one line per figure: figure <name> <value> <unit>.

#include "ui/children/childchart.h"
#include "ui/children/childrenpage.h"
#include "support/scripteddialogs.h"
#include "core/records/resultsexport.h"
#include "core/records/resultstable.h"
#include "core/settings/lessonlibrary.h"
#include "core/settings/optionsfile.h"
#include "support/testsupport.h"

#include <QApplication>
#include <QChartView>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

using testsupport::succeeded;

namespace {

constexpr int Children = 100;
constexpr int AnswersPerChild = 10000;
constexpr int Days = 200;

void figure(const char *name, double value, const char *unit)
{
    std::printf("figure %s %.3f %s\n", name, value, unit);
    std::fflush(stdout);
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

bool fail(const QString &what)
{
    std::fprintf(stderr, "%s\n", qPrintable(what));
    return false;
}

// The children through the table, the answers straight into the file in one
// transaction, the children's answers interleaved one by one: the worst case
// for the answers' places in the file and for the export's time cache.
bool fill(const QString &path, qint64 *historyBytes)
{
    {
        ResultsTable table;
        QString error;
        if (!succeeded(table.open(path), &error))
            return fail(error);
        for (int i = 1; i <= Children; ++i)
            if (!succeeded(table.addChild(QStringLiteral("الطفل رقم %1").arg(i)), &error))
                return fail(error);
    }
    const qint64 before = QFileInfo(path).size();
    bool ok = true;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fill"));
        db.setDatabaseName(path);
        ok = db.open() && db.transaction();
        QSqlQuery q(db);
        ok = ok && q.prepare(QStringLiteral("INSERT INTO Answers (Child, Seq, Time, Event, Lesson, QuestionType, "
                                            "Asked, Clicked, Correct) VALUES (?, ?, ?, 0, ?, 0, ?, ?, ?)"));
        const qint64 start = QDateTime::currentDateTimeUtc().addDays(-Days).toMSecsSinceEpoch();
        const qint64 spacing = qint64(Days) * 24 * 3600 * 1000 / AnswersPerChild;
        const QString lesson = QStringLiteral("التلقائي");
        for (int n = 0; ok && n < AnswersPerChild; ++n) {
            for (int child = 1; ok && child <= Children; ++child) {
                const int asked = 1 + (n + child) % 3;
                const bool right = (n * 7 + child) % 10 < 7;
                q.bindValue(0, child);
                q.bindValue(1, n + 1);
                q.bindValue(2, start + n * spacing + child * 1000);
                q.bindValue(3, lesson);
                q.bindValue(4, asked);
                q.bindValue(5, right ? asked : 1 + asked % 3);
                q.bindValue(6, right ? 1 : 0);
                ok = q.exec();
            }
        }
        ok = ok && db.commit();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("fill"));
    *historyBytes = QFileInfo(path).size() - before;
    return ok || fail(QStringLiteral("filling the history failed"));
}

bool measureCounting(const QString &path)
{
    ResultsTable table;
    QString error;
    if (!succeeded(table.open(path), &error) || !table.findKey(QString::number(Children / 2)))
        return fail(error);
    const AnswerDetails details{QStringLiteral("التلقائي"), QuestionType::Colours, 2, 2};
    std::vector<double> withHistory;
    std::vector<double> countOnly;
    QElapsedTimer timer;
    for (int i = 0; i < 401; ++i) {
        timer.start();
        if (!succeeded(table.recordResult(Judgement::Right, details), &error))
            return fail(error);
        withHistory.push_back(timer.nsecsElapsed() / 1e6);

        // What counting was before the history: the count's own post.
        timer.start();
        if (!succeeded(table.edit(), &error)
            || !succeeded(table.setInteger(ResultsTable::Field::NotOk,
                                           table.integer(ResultsTable::Field::NotOk) + 1),
                          &error)
            || !succeeded(table.post(), &error))
            return fail(error);
        countOnly.push_back(timer.nsecsElapsed() / 1e6);
    }
    const double a = median(withHistory);
    const double b = median(countOnly);
    figure("count-answer-with-history-median", a, "ms");
    figure("count-answer-count-only-median", b, "ms");
    figure("count-answer-history-extra-median", a - b, "ms");
    return true;
}

bool measureChart(const QString &path)
{
    ScriptedDialogs dialogs;
    ResultsTable table;
    ChildrenPage page(table, dialogs);
    page.setLessonProbe([] {
        LessonView v;
        v.name = QStringLiteral("التلقائي");
        v.labels.names = {QStringLiteral("اللون الأول"), QStringLiteral("اللون الثاني"), QStringLiteral("اللون الثالث")};
        v.labels.colors = {Qt::red, Qt::yellow, Qt::blue};
        return v;
    });
    page.openTable(path, QFileInfo(path).absolutePath());
    page.resize(430, 700);
    page.show();
    QCoreApplication::processEvents();
    if (!table.findKey(QString::number(Children / 2)))
        return fail(QStringLiteral("no child"));
    QCoreApplication::processEvents();
    auto *chart = page.findChild<ChildChart *>(QStringLiteral("ResultsChart"));
    if (!chart)
        return fail(QStringLiteral("no chart on the page"));
    for (const auto view : {ChildChart::View::Days, ChildChart::View::Choices}) {
        chart->setView(view);
        std::vector<double> times;
        QElapsedTimer timer;
        for (int i = 0; i < 21; ++i) {
            timer.start();
            page.refreshChart();
            // Drawn, not only built: the view is painted into an image.
            const QImage shot = chart->chartView()->grab().toImage();
            times.push_back(timer.nsecsElapsed() / 1e6);
            if (shot.isNull())
                return fail(QStringLiteral("the chart did not draw"));
        }
        const int answers = chart->content().history.answers;
        if (answers < AnswersPerChild)
            return fail(QStringLiteral("the chart read %1 answers").arg(answers));
        figure(view == ChildChart::View::Days ? "chart-days-10000-answers-median"
                                              : "chart-choices-10000-answers-median",
               median(times), "ms");
    }
    return true;
}

bool measureExport(const QString &path, const QString &dataDir, const QString &csv)
{
    ResultsTable table;
    QString error;
    if (!succeeded(table.open(path), &error))
        return fail(error);
    // The automatic lesson's options, so every row's choices are named.
    if (!QDir().mkpath(dataDir)
        || !succeeded(OptionsFile::save(QDir(dataDir).filePath(OptionsFile::fileName()), OptionsValues()), &error))
        return fail(QStringLiteral("no options file: %1").arg(error));
    ExportSummary summary;
    QElapsedTimer timer;
    timer.start();
    if (!succeeded(ResultsExport::writeAnswers(table, csv, table.now(), LessonLibrary(dataDir), &summary), &error))
        return fail(error);
    const double seconds = timer.nsecsElapsed() / 1e9;
    if (summary.rows < qint64(Children) * AnswersPerChild)
        return fail(QStringLiteral("exported %1 rows").arg(summary.rows));
    figure("export-1000000-answers", seconds, "s");
    figure("export-csv-bytes-per-1000000-answers", QFileInfo(csv).size() * 1e6 / summary.rows, "bytes");
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("results.db"));
    qint64 historyBytes = 0;
    QElapsedTimer timer;
    timer.start();
    if (!fill(path, &historyBytes))
        return 1;
    std::fprintf(stderr, "filled in %.1f s\n", timer.elapsed() / 1000.0);
    figure("results-db-bytes-per-1000000-answers", historyBytes * 1e6 / (double(Children) * AnswersPerChild),
           "bytes");
    if (!measureCounting(path) || !measureChart(path)
        || !measureExport(path, dir.filePath(QStringLiteral("Data")), dir.filePath(QStringLiteral("answers.csv"))))
        return 1;
    return 0;
}
