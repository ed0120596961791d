#pragma once

#include "core/base/result.h"
#include "core/records/progressreport.h"
#include "ui/children/childchart.h"

#include <QDateTime>
#include <QString>

class QPagedPaintDevice;

/// The reports for parents and teachers on A4 pages, right to left, in
/// Arabic: a child's progress with the children's page's two charts, and the
/// class's list. They paint on any paged device: a PDF file or a printer.
/// Every text from the data is drawn as plain text.
class ReportPages
{
public:
    /// `chart` is what the page's chart would show for the child (its lesson
    /// and choice labels); its history is taken from `report`.
    static Result paintChild(QPagedPaintDevice *device, const ChildReport &report, const ChartContent &chart,
                             const QDateTime &made);
    static Result paintClass(QPagedPaintDevice *device, const ClassReport &report, const QDateTime &made);
    /// The same written to a PDF file, which is replaced only when complete.
    static Result writeChildPdf(const QString &path, const ChildReport &report, const ChartContent &chart,
                                const QDateTime &made);
    static Result writeClassPdf(const QString &path, const ClassReport &report, const QDateTime &made);

    /// Children's rows on the first and on each further page of the class report.
    static int classRowsPerPage();
};
