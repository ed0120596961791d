// Figures of the reports for parents and teachers, from results.db:
//   - a child with 10,000 answers over 200 days: the history read and the
//     one-page PDF written with its two charts;
//   - a class of 40 children with 1,000,000 answers in the history: the
//     counts read and the class's PDF written.
// Each is the median of five runs. Prints figure <name> <value> <unit>.

#include "ui/children/reportpages.h"
#include "core/records/progressreport.h"
#include "core/records/resultstable.h"
#include "support/historyfill.h"
#include "support/testsupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using testsupport::succeeded;

namespace {

void figure(const char *name, double value, const char *unit)
{
    std::printf("figure %s %.3f %s\n", name, value, unit);
    std::fflush(stdout);
}

bool fail(const QString &what)
{
    std::fprintf(stderr, "%s\n", qPrintable(what));
    return false;
}

// The children through the table, their answers straight into the file.
bool fill(const QString &path, int children, int perChild, int days)
{
    {
        ResultsTable table;
        QString error;
        if (!succeeded(table.open(path), &error))
            return fail(error);
        for (int i = 1; i <= children; ++i)
            if (!succeeded(table.addChild(QStringLiteral("الطفل %1").arg(i)), &error))
                return fail(error);
    }
    const qint64 start = QDateTime::currentDateTimeUtc().addDays(-days).toMSecsSinceEpoch();
    const qint64 spacing = qint64(days) * 24 * 3600 * 1000 / perChild;
    const QString lessons[] = {QStringLiteral("التلقائي"), QStringLiteral("الحيوانات")};
    return testsupport::fillHistory(path, children, perChild, [&](int child, int n, testsupport::FilledAnswer *a) {
               a->time = start + n * spacing + child * 1000;
               a->event = n % 997 == 996 ? 1 : 0;
               a->lesson = lessons[(n / 40) % 2];
               a->asked = 1 + (n + child) % 3;
               a->right = (n * 7 + child) % 10 < 7;
               a->clicked = a->right ? a->asked : 1 + a->asked % 3;
           })
           || fail(QStringLiteral("filling the history failed"));
}

double medianMs(const std::function<bool()> &run)
{
    std::vector<double> ms;
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer t;
        t.start();
        if (!run())
            return -1;
        ms.push_back(t.nsecsElapsed() / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    bool ok = true;

    const QString childDb = dir.filePath(QStringLiteral("child.db"));
    ok = fill(childDb, 1, 10000, 200);
    if (ok) {
        ResultsTable table;
        QString error;
        ok = succeeded(table.open(childDb), &error) || fail(error);
        ChartContent chart;
        chart.lesson = QStringLiteral("التلقائي");
        chart.labels.names = {QStringLiteral("أحمر"), QStringLiteral("أخضر"), QStringLiteral("أزرق")};
        chart.labels.colors = {QColor(Qt::red), QColor(Qt::green), QColor(Qt::blue)};
        chart.today = now.toLocalTime().date();
        const QString pdf = dir.filePath(QStringLiteral("child.pdf"));
        const double ms = ok ? medianMs([&] {
            ChildReport report;
            return (succeeded(ProgressReport::readChild(table, 1, chart.lesson, QuestionType::Colours, ReportPeriod::Everything, now,
                                                        &report), &error)
                    && succeeded(ReportPages::writeChildPdf(pdf, report, chart, now), &error))
                   || fail(error);
        })
                             : -1;
        ok = ok && ms >= 0;
        if (ok) {
            figure("report_child_10k_answers_pdf", ms, "ms");
            figure("report_child_pdf_size", QFileInfo(pdf).size() / 1024.0, "KiB");
        }
    }

    const QString classDb = dir.filePath(QStringLiteral("class.db"));
    ok = ok && fill(classDb, 40, 25000, 200);
    if (ok) {
        ResultsTable table;
        QString error;
        ok = succeeded(table.open(classDb), &error) || fail(error);
        const QString pdf = dir.filePath(QStringLiteral("class.pdf"));
        const double ms = ok ? medianMs([&] {
            ClassReport report;
            return (succeeded(ProgressReport::readClass(table, &report), &error)
                    && succeeded(ReportPages::writeClassPdf(pdf, report, now), &error))
                   || fail(error);
        })
                             : -1;
        ok = ok && ms >= 0;
        if (ok)
            figure("report_class_40_children_1m_answers_pdf", ms, "ms");
    }
    return ok ? 0 : 1;
}
