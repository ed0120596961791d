#include "ui/children/childrenexports.h"

#include "core/base/bidi.h"
#include "core/base/quizerror.h"
#include "core/records/progressreport.h"
#include "core/records/resultsexport.h"
#include "core/records/resultstable.h"
#include "core/settings/lessonlibrary.h"
#include "ui/children/reportpages.h"
#include "ui/children/waitcursor.h"
#include "ui/dialogs/dialogs.h"

#include <QDir>
#include <QFileInfo>
#include <QPrinter>
#include <QStandardPaths>

namespace {

const char *const CsvFilter = "ملفات CSV (*.csv)";

} // namespace

ChildrenExports::ChildrenExports(ResultsTable &table, Dialogs &dialogs, QObject *parent)
    : QObject(parent), m_table(table), m_dialogs(dialogs)
{
}

void ChildrenExports::setFiles(const QString &resultsPath, const QString &dataDir)
{
    m_resultsPath = resultsPath;
    m_dataDir = dataDir;
}

QString ChildrenExports::suggestedPath(const QString &name) const
{
    QString folder = m_exportFolder;
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QDir::homePath();
    return QDir(folder).filePath(name);
}

// The children's names leave the data folder in an export: where that
// folder is the user's own, the exported file is too.
AtomicFile::Access ChildrenExports::exportAccess() const
{
    return AtomicFile::accessIn(QFileInfo(m_resultsPath).absolutePath());
}

void ChildrenExports::exportCounts()
{
    if (!m_table.isOpen())
        throw QuizError(ResultsTable::closedText());
    const std::optional<QString> path =
        m_dialogs.chooseSaveFile(QStringLiteral("حفظ أعداد إجابات الأطفال"),
                                 suggestedPath(QStringLiteral("أعداد إجابات الأطفال.csv")),
                                 QString::fromUtf8(CsvFilter));
    if (!path || path->isEmpty())
        return;
    ExportSummary summary;
    {
        const WaitCursor wait;
        raiseIfFailed(ResultsExport::writeCounts(m_table, *path, &summary, exportAccess()));
    }
    m_exportFolder = QFileInfo(*path).absolutePath();
    m_dialogs.showMessage(QStringLiteral("حُفظت أعداد إجابات %L1 من الأطفال في الملف\n\r%2")
                              .arg(summary.rows)
                              .arg(Bidi::path(QDir::toNativeSeparators(*path))));
}

void ChildrenExports::exportAnswers()
{
    if (!m_table.isOpen())
        throw QuizError(ResultsTable::closedText());
    const std::optional<QString> path =
        m_dialogs.chooseSaveFile(QStringLiteral("حفظ سجل إجابات الأطفال"),
                                 suggestedPath(QStringLiteral("سجل إجابات الأطفال.csv")),
                                 QString::fromUtf8(CsvFilter));
    if (!path || path->isEmpty())
        return;
    ExportSummary summary;
    {
        const WaitCursor wait;
        raiseIfFailed(ResultsExport::writeAnswers(m_table, *path, m_table.now(), LessonLibrary(m_dataDir), &summary,
                                                  exportAccess()));
    }
    m_exportFolder = QFileInfo(*path).absolutePath();
    QString text = QStringLiteral("حُفظ سجل الإجابات (%L1 من السجلات) في الملف\n\r%2")
                       .arg(summary.rows)
                       .arg(Bidi::path(QDir::toNativeSeparators(*path)));
    if (summary.orphanRows > 0)
        text += QStringLiteral("\n\r%L1 من السجلات لأطفال لم يعودوا في الجدول، فكُتبت بلا اسم.")
                    .arg(summary.orphanRows);
    if (summary.futureRows > 0)
        text += QStringLiteral("\n\r%L1 من السجلات بتاريخ بعد اليوم؛ ربما كانت ساعة الجهاز غير مضبوطة حين كُتبت.")
                    .arg(summary.futureRows);
    m_dialogs.showMessage(text);
}

void ChildrenExports::deliverReport(const QString &caption, const QString &fileName,
                                 const std::function<Result(QPagedPaintDevice *)> &paint,
                                 const std::function<Result(const QString &)> &writePdf)
{
    const std::optional<int> how =
        m_dialogs.chooseItem(caption, QStringLiteral("ماذا تريد أن تفعل بالتقرير؟"),
                             {QStringLiteral("طباعة"), QStringLiteral("حفظ ملف PDF")});
    if (!how)
        return;
    if (*how == 0) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setDocName(caption);
        printer.setPageSize(QPageSize(QPageSize::A4));
        if (!m_dialogs.choosePrinter(&printer))
            return;
        const WaitCursor wait;
        raiseIfFailed(paint(&printer));
        if (printer.printerState() == QPrinter::Error)
            throw QuizError(QStringLiteral("تعذرت طباعة التقرير على الطابعة %1").arg(Bidi::word(printer.printerName())));
        return;
    }
    const std::optional<QString> path =
        m_dialogs.chooseSaveFile(caption, suggestedPath(fileName), QStringLiteral("ملفات PDF (*.pdf)"));
    if (!path || path->isEmpty())
        return;
    {
        const WaitCursor wait;
        raiseIfFailed(writePdf(*path));
    }
    m_exportFolder = QFileInfo(*path).absolutePath();
    m_dialogs.showMessage(QStringLiteral("حُفظ التقرير في الملف\n\r%1").arg(QDir::toNativeSeparators(*path)));
}

void ChildrenExports::childReport()
{
    if (!m_table.isOpen())
        throw QuizError(ResultsTable::closedText());
    const int no = m_table.currentNo();
    if (no == 0)
        throw QuizError(QStringLiteral("لا يوجد طفل حالي: اختر الطفل من الجدول أولاً"));
    const QString caption = QStringLiteral("تقرير الطفل");
    const std::optional<int> period =
        m_dialogs.chooseItem(caption, QStringLiteral("الفترة التي يشملها التقرير"),
                             {QStringLiteral("كل الإجابات، من أولها إلى آخرها"), QStringLiteral("هذا الأسبوع"),
                              QStringLiteral("هذا الشهر")});
    if (!period || *period < 0 || *period > 2)
        return;
    const ReportPeriod periods[] = {ReportPeriod::Everything, ReportPeriod::ThisWeek, ReportPeriod::ThisMonth};
    const LessonView lesson = m_lessonProbe ? m_lessonProbe() : LessonView();
    const QDateTime now = m_table.now();
    ChildReport report;
    {
        const WaitCursor wait;
        raiseIfFailed(ProgressReport::readChild(m_table, no, lesson.name, lesson.labels.questionType,
                                                periods[*period], now, &report));
    }
    ChartContent chart;
    chart.lesson = lesson.name;
    chart.labels = lesson.labels;
    chart.today = now.toLocalTime().date();
    const QString name = ProgressReport::displayName(report.no, report.name);
    deliverReport(
        caption, QStringLiteral("تقرير %1.pdf").arg(QString(name).replace(QLatin1Char('/'), QLatin1Char('-'))),
        [&](QPagedPaintDevice *device) { return ReportPages::paintChild(device, report, chart, now); },
        [&](const QString &path) { return ReportPages::writeChildPdf(path, report, chart, now); });
}

void ChildrenExports::classReport()
{
    if (!m_table.isOpen())
        throw QuizError(ResultsTable::closedText());
    const QDateTime now = m_table.now();
    ClassReport report;
    {
        const WaitCursor wait;
        raiseIfFailed(ProgressReport::readClass(m_table, &report));
    }
    deliverReport(
        QStringLiteral("تقرير الصف"), QStringLiteral("تقرير الصف.pdf"),
        [&](QPagedPaintDevice *device) { return ReportPages::paintClass(device, report, now); },
        [&](const QString &path) { return ReportPages::writeClassPdf(path, report, now); });
}
