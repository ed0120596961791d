// Prints the children's table figures for tables of 100, 10,000 and 100,000
// children: counting one answer (committed to disk), finding a child by key,
// the file size, and how long the options pane takes to show the grid's
// first rows on the children's tab.

#include "core/records/resultsmodel.h"
#include "core/records/resultstable.h"
#include "support/quizwindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <vector>

using testsupport::succeeded;

namespace {

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

bool fill(const QString &path, int children)
{
    {
        ResultsTable maker;
        QString error;
        if (!succeeded(maker.open(path), &error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return false;
        }
    }
    bool ok = true;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fill"));
        db.setDatabaseName(path);
        ok = db.open() && db.transaction();
        QSqlQuery q(db);
        ok = ok && q.prepare(QStringLiteral("INSERT INTO Table1 (Name, Ok, NotOk) VALUES (?, ?, ?)"));
        for (int i = 1; ok && i <= children; ++i) {
            q.bindValue(0, QStringLiteral("الطفل رقم %1").arg(i));
            q.bindValue(1, i % 7);
            q.bindValue(2, i % 5);
            ok = q.exec();
        }
        ok = ok && db.commit();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("fill"));
    return ok;
}

struct Figures
{
    double countUs = 0;
    double findUs = 0;
    double openMs = 0;
    double modelFirstRowsMs = 0;
    double gridFirstRowsMs = 0;
    qint64 fileBytes = 0;
};

bool measureStore(const QString &path, int children, Figures *out)
{
    QElapsedTimer timer;
    ResultsTable table;
    QString error;
    timer.start();
    if (!succeeded(table.open(path), &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return false;
    }
    out->openMs = timer.nsecsElapsed() / 1e6;

    auto *rng = QRandomGenerator::global();
    std::vector<double> finds;
    for (int i = 0; i < 2001; ++i) {
        const QString key = QString::number(rng->bounded(1, children + 1));
        timer.start();
        const bool found = table.findKey(key);
        finds.push_back(timer.nsecsElapsed() / 1e3);
        if (!found)
            return false;
    }
    out->findUs = median(finds);

    // The child stands in the middle of the table, as a teacher would leave it.
    table.findKey(QString::number(children / 2));
    std::vector<double> counts;
    for (int i = 0; i < 301; ++i) {
        timer.start();
        const bool counted = succeeded(table.recordResult(i % 3 ? Judgement::Right : Judgement::Wrong), &error);
        counts.push_back(timer.nsecsElapsed() / 1e3);
        if (!counted) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return false;
        }
    }
    out->countUs = median(counts);

    // The grid model alone: keys, row count and the first screenful of rows.
    timer.start();
    ResultsModel model(table);
    const int rows = model.rowCount();
    for (int r = 0; r < std::min(rows, 40); ++r)
        for (int c = 0; c < ResultsModel::ColumnCount; ++c)
            model.index(r, c).data();
    out->modelFirstRowsMs = timer.nsecsElapsed() / 1e6;
    out->fileBytes = QFileInfo(path).size();
    return true;
}

// The real window on a program folder holding the table: from the options
// chord, with the children's tab the one last shown, until the grid has
// painted its first rows.
bool measureGrid(int children, Figures *out)
{
    // The default program folder: the window needs its options file.
    bool filled = false;
    QuizWindow quiz([&](QuizWindow &w) { filled = fill(w.folder.appDir() + QStringLiteral("results.db"), children); },
                    1);
    if (!filled)
        return false;
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents();
    if (!quiz.errors().isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(quiz.errors().join('\n')));
        return false;
    }
    quiz.control<QTabWidget>("OptionsPC")->setCurrentWidget(quiz.control<QWidget>("TabSheet2"));
    QTableView *grid = quiz.control<QTableView>("DBGrid1");

    QElapsedTimer timer;
    timer.start();
    quiz.form->FormKeyUp(Qt::Key_F1, Qt::ControlModifier | Qt::AltModifier);
    // Layouts settle through posted events; then the first rows are painted.
    QModelIndex top;
    while (!top.isValid() && timer.elapsed() < 5000) {
        QCoreApplication::processEvents();
        top = grid->indexAt(QPoint(grid->viewport()->width() - 3, 2));
    }
    grid->viewport()->repaint();
    out->gridFirstRowsMs = timer.nsecsElapsed() / 1e6;
    if (!top.isValid() || grid->model()->rowCount() != children) {
        std::fprintf(stderr, "the grid shows no rows (visible %d, model %d, rows %d)\n",
                     int(grid->isVisible()), int(grid->model() != nullptr),
                     grid->model() ? grid->model()->rowCount() : -1);
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QTextStream outStream(stdout);
    outStream << "children  count-answer-median-us  find-key-median-us  open-ms  model-first-rows-ms"
                 "  grid-first-rows-ms  file-bytes\n";
    for (const int children : {100, 10000, 100000}) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("results.db"));
        Figures f;
        if (!fill(path, children) || !measureStore(path, children, &f) || !measureGrid(children, &f)) {
            std::fprintf(stderr, "bench failed at %d children\n", children);
            return 1;
        }
        outStream << QStringLiteral("%1  %2  %3  %4  %5  %6  %7\n")
                         .arg(children, 8)
                         .arg(f.countUs, 22, 'f', 1)
                         .arg(f.findUs, 18, 'f', 1)
                         .arg(f.openMs, 7, 'f', 2)
                         .arg(f.modelFirstRowsMs, 19, 'f', 2)
                         .arg(f.gridFirstRowsMs, 17, 'f', 2)
                         .arg(f.fileBytes, 10);
        outStream.flush();
    }
    return 0;
}
