#include "ui/children/reportpages.h"

#include "core/base/bidi.h"
#include "core/base/systemerror.h"

#include <QChart>
#include <QCoreApplication>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QLabel>
#include <QLocale>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <functional>

namespace {

// Points of the page; the painter is scaled to them on every device.
constexpr double RowHeight = 17;
constexpr double HeaderHeight = 20;
constexpr double MarginMm = 15;

// Flags for the drawn texts: right is the start of the line.
constexpr int StartAlign = Qt::AlignRight | Qt::AlignAbsolute | Qt::AlignVCenter;
constexpr int EndAlign = Qt::AlignLeft | Qt::AlignAbsolute | Qt::AlignVCenter;

QFont reportFont(double size, bool bold = false)
{
    QFont f;
    f.setFamilies({QStringLiteral("Noto Sans Arabic"), QStringLiteral("DejaVu Sans")});
    f.setPixelSize(int(std::lround(size)));
    f.setBold(bold);
    return f;
}

QString number(int n)
{
    return QLocale().toString(n);
}

QString share(int right, int answers)
{
    if (answers <= 0)
        return QStringLiteral("—");
    const QLocale locale;
    return locale.toString(std::lround(100.0 * right / answers)) + locale.percent();
}

QString day(const QDate &d)
{
    return d.isValid() ? QLocale().toString(d, QStringLiteral("d/M/yyyy")) : QStringLiteral("—");
}

QString dayAndTime(const QDateTime &t)
{
    return t.isValid() ? QLocale().toString(t.toLocalTime(), QStringLiteral("d/M/yyyy h:mm")) : QStringLiteral("—");
}

// A name reads in its own direction inside the right-to-left lines, whatever
// Latin letters or digits it holds.
QString nameText(int no, const QString &name)
{
    return Bidi::word(ProgressReport::displayName(no, name));
}

/// One report being painted: the painter in points, the pages and the line
/// where the next part goes.
class Sheet
{
public:
    Result begin(QPagedPaintDevice *device)
    {
        m_device = device;
        device->setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                          QMarginsF(MarginMm, MarginMm, MarginMm, MarginMm),
                                          QPageLayout::Millimeter));
        if (!m_painter.begin(device))
            return Result::failure(QStringLiteral("تعذر بدء كتابة صفحات التقرير"));
        const QRectF area = device->pageLayout().paintRectPoints();
        m_width = area.width();
        m_height = area.height();
        m_painter.scale(device->logicalDpiX() / 72.0, device->logicalDpiY() / 72.0);
        m_painter.setLayoutDirection(Qt::RightToLeft);
        m_painter.setRenderHint(QPainter::Antialiasing);
        return Result::success();
    }

    Result end()
    {
        if (!m_painter.end())
            return Result::failure(QStringLiteral("تعذر إتمام صفحات التقرير"));
        return Result::success();
    }

    QPainter &painter() { return m_painter; }
    double width() const { return m_width; }
    double y() const { return m_y; }
    void advance(double by) { m_y += by; }
    bool fits(double height) const { return m_y + height <= m_height; }

    bool newPage()
    {
        m_y = 0;
        return m_device->newPage();
    }

    /// Keeps `height` on one page.
    void keep(double height)
    {
        if (!fits(height) && m_y > 0)
            newPage();
    }

    /// A paragraph across the width; returns nothing, moves the line down.
    void paragraph(const QString &text, const QFont &font, int align = StartAlign, double after = 4)
    {
        m_painter.setFont(font);
        const int flags = (align & ~Qt::AlignVCenter) | Qt::AlignTop | Qt::TextWordWrap;
        const QRectF box = m_painter.boundingRect(QRectF(0, m_y, m_width, 1000), flags, text);
        keep(box.height());
        m_painter.drawText(QRectF(0, m_y, m_width, box.height() + 1), flags, text);
        m_y += box.height() + after;
    }

    /// One row of a table whose columns, given as shares of the width, run
    /// from the right.
    void row(const QStringList &cells, const QVector<double> &shares, const QFont &font, bool header)
    {
        const double h = header ? HeaderHeight : RowHeight;
        if (header)
            m_painter.fillRect(QRectF(0, m_y, m_width, h), QColor(0xe4, 0xea, 0xf2));
        m_painter.setFont(font);
        double right = m_width;
        for (int i = 0; i < cells.size() && i < shares.size(); ++i) {
            const double w = shares.at(i) * m_width;
            const QRectF cell(right - w + 4, m_y, w - 8, h);
            const QString shown =
                QFontMetricsF(font).elidedText(cells.at(i), Qt::ElideRight, cell.width());
            m_painter.drawText(cell, StartAlign, shown);
            right -= w;
        }
        m_painter.setPen(QPen(QColor(0xb0, 0xb0, 0xb0), 0.5));
        m_painter.drawLine(QPointF(0, m_y + h), QPointF(m_width, m_y + h));
        m_painter.setPen(Qt::black);
        m_y += h;
    }

private:
    QPagedPaintDevice *m_device = nullptr;
    QPainter m_painter;
    double m_width = 0;
    double m_height = 0;
    double m_y = 0;
};

// The page's own chart, laid out at the size it gets on the paper and drawn
// through the painter, so that its lines and letters stay sharp.
void paintChart(Sheet &sheet, const ChartContent &content, ChildChart::View view, double height)
{
    ChildChart chart(31);
    chart.setView(view);
    chart.setContent(content);
    QChart *c = chart.chart();
    c->setBackgroundVisible(false);
    c->resize(QSizeF(sheet.width(), height));
    c->layout()->activate();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    sheet.keep(height);
    const QRectF target(0, sheet.y(), sheet.width(), height);
    c->scene()->render(&sheet.painter(), target, QRectF(c->pos(), c->size()), Qt::IgnoreAspectRatio);
    sheet.painter().setPen(QPen(QColor(0xc8, 0xc8, 0xc8), 0.5));
    sheet.painter().drawRect(target);
    sheet.painter().setPen(Qt::black);
    sheet.advance(height + 3);
    if (!chart.note()->text().isEmpty())
        sheet.paragraph(chart.note()->text(), reportFont(8));
    sheet.advance(6);
}

Result writePdf(const QString &path, const QString &title,
                const std::function<Result(QPagedPaintDevice *)> &paint)
{
    QSaveFile file(path);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly))
        return Result::failure(QStringLiteral("تعذر إنشاء الملف %1: %2")
                                   .arg(Bidi::path(path), lastFileErrorReason(file.errorString())));
    {
        QPdfWriter writer(&file);
        writer.setResolution(300);
        writer.setTitle(title);
        writer.setCreator(QString());
        const Result painted = paint(&writer);
        if (!painted) {
            file.cancelWriting();
            return painted;
        }
    }
    errno = 0;
    if (!file.commit())
        return Result::failure(QStringLiteral("تعذر حفظ الملف %1: %2")
                                   .arg(Bidi::path(path), lastFileErrorReason(file.errorString())));
    return Result::success();
}

} // namespace

int ReportPages::classRowsPerPage()
{
    // A4 less the margins, the title line, the table's header and a gap.
    const double height = QPageSize(QPageSize::A4).sizePoints().height() - 2 * MarginMm * 72 / 25.4;
    return int((height - 26 - HeaderHeight - 4) / RowHeight);
}

Result ReportPages::paintChild(QPagedPaintDevice *device, const ChildReport &report, const ChartContent &chart,
                               const QDateTime &made)
{
    Sheet sheet;
    const Result began = sheet.begin(device);
    if (!began)
        return began;
    QPainter &p = sheet.painter();
    p.setFont(reportFont(9));
    p.drawText(QRectF(0, 0, sheet.width(), 20), EndAlign, day(made.toLocalTime().date()));
    sheet.paragraph(QStringLiteral("تقرير تقدّم الطفل"), reportFont(18, true), StartAlign, 6);
    sheet.paragraph(QStringLiteral("الاسم: %1").arg(nameText(report.no, report.name)), reportFont(14, true));
    QString period = QStringLiteral("الفترة: %1").arg(ProgressReport::periodTitle(report.period));
    if (report.from.isValid())
        period += QStringLiteral("، من %1 إلى %2").arg(day(report.from), day(report.to));
    else
        period += QStringLiteral("، لا توجد إجابات فيها");
    sheet.paragraph(period, reportFont(11));
    const int answers = report.right + report.wrong;
    sheet.paragraph(QStringLiteral("عدد الإجابات: %1    الصحيحة: %2    الخاطئة: %3    نسبة الصحيح: %4")
                        .arg(number(answers), number(report.right), number(report.wrong),
                             share(report.right, answers)),
                    reportFont(11, true));
    if (report.resets > 0)
        sheet.paragraph(QStringLiteral("مرات تصفير النتائج في هذه الفترة: %1 (المثلث في الرسم)؛ "
                                       "الإجابات قبل التصفير محسوبة هنا، فسجل الإجابات يحفظها.")
                            .arg(number(report.resets)),
                        reportFont(9));
    sheet.advance(6);

    ChartContent content = chart;
    content.problem.clear();
    content.childNo = report.no;
    content.childName = report.name;
    content.history = report.history;
    paintChart(sheet, content, ChildChart::View::Days, 165);
    paintChart(sheet, content, ChildChart::View::Choices, 170);

    const QVector<double> shares{0.26, 0.46, 0.14, 0.14};
    sheet.keep(HeaderHeight + RowHeight * std::max<qsizetype>(1, report.sessions.size()) + 24);
    sheet.paragraph(QStringLiteral("آخر الجلسات"), reportFont(12, true));
    sheet.row({QStringLiteral("التاريخ"), QStringLiteral("الدرس"), QStringLiteral("الإجابات"),
               QStringLiteral("الصحيحة")},
              shares, reportFont(10, true), true);
    const QFont cells = reportFont(10);
    for (const ReportSession &s : report.sessions) {
        sheet.keep(RowHeight);
        sheet.row({dayAndTime(s.start), Bidi::word(s.lesson), number(s.answers), number(s.right)}, shares, cells,
                  false);
    }
    if (report.sessions.isEmpty())
        sheet.paragraph(QStringLiteral("لا توجد جلسات في هذه الفترة."), cells);

    sheet.advance(10);
    sheet.keep(80);
    sheet.paragraph(QStringLiteral("ملاحظات المعلم:"), reportFont(11, true), StartAlign, 2);
    p.setPen(QPen(Qt::black, 0.6, Qt::DotLine));
    for (int line = 0; line < 2; ++line) {
        sheet.advance(22);
        p.drawLine(QPointF(0, sheet.y()), QPointF(sheet.width(), sheet.y()));
    }
    p.setPen(Qt::black);
    sheet.advance(14);
    sheet.paragraph(QStringLiteral("التوقيع: ……………………………"), reportFont(11));
    return sheet.end();
}

Result ReportPages::paintClass(QPagedPaintDevice *device, const ClassReport &report, const QDateTime &made)
{
    Sheet sheet;
    const Result began = sheet.begin(device);
    if (!began)
        return began;
    const int perPage = classRowsPerPage();
    const int pages = std::max<int>(1, int((report.rows.size() + perPage - 1) / perPage));
    const QVector<double> shares{0.38, 0.14, 0.14, 0.14, 0.20};
    const QStringList titles{QStringLiteral("الاسم"), QStringLiteral("الإجابات"), QStringLiteral("الصحيحة"),
                             QStringLiteral("نسبة الصحيح"), QStringLiteral("آخر لعب")};
    const QFont titleFont = reportFont(15, true);
    const QFont headFont = reportFont(10, true);
    const QFont cells = reportFont(10);
    qsizetype next = 0;
    for (int page = 0; page < pages; ++page) {
        if (page > 0 && !sheet.newPage())
            return Result::failure(QStringLiteral("تعذر بدء صفحة جديدة من التقرير"));
        QPainter &p = sheet.painter();
        p.setFont(titleFont);
        p.drawText(QRectF(0, 0, sheet.width(), 22), StartAlign, QStringLiteral("تقرير الصف"));
        p.setFont(reportFont(9));
        p.drawText(QRectF(0, 0, sheet.width(), 22), EndAlign,
                   QStringLiteral("%1    صفحة %2 من %3")
                       .arg(day(made.toLocalTime().date()), number(page + 1), number(pages)));
        sheet.advance(26);
        sheet.row(titles, shares, headFont, true);
        for (int i = 0; i < perPage && next < report.rows.size(); ++i, ++next) {
            const ClassRow &r = report.rows.at(next);
            sheet.row({nameText(r.no, r.name), number(r.answers), number(r.right), share(r.right, r.answers),
                       r.lastPlayed.isValid() ? day(r.lastPlayed.toLocalTime().date()) : QStringLiteral("—")},
                      shares, cells, false);
        }
    }
    if (report.rows.isEmpty())
        sheet.paragraph(QStringLiteral("لا يوجد أطفال في الجدول."), cells);
    return sheet.end();
}

Result ReportPages::writeChildPdf(const QString &path, const ChildReport &report, const ChartContent &chart,
                                  const QDateTime &made)
{
    return writePdf(path, QStringLiteral("تقرير %1").arg(ProgressReport::displayName(report.no, report.name)),
                    [&](QPagedPaintDevice *device) { return paintChild(device, report, chart, made); });
}

Result ReportPages::writeClassPdf(const QString &path, const ClassReport &report, const QDateTime &made)
{
    return writePdf(path, QStringLiteral("تقرير الصف"),
                    [&](QPagedPaintDevice *device) { return paintClass(device, report, made); });
}
