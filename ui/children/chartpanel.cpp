#include "ui/children/chartpanel.h"

#include "core/base/result.h"
#include "core/records/answerhistory.h"
#include "core/records/resultstable.h"

#include <QDialog>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

ChartPanel::ChartPanel(ResultsTable &table, QWidget *parent) : QWidget(parent), m_table(table)
{
    // The chart itself is made when the panel is first shown: the charts
    // library takes a moment to start, which the child's game need not wait for.
    setObjectName(QStringLiteral("ChartHolder"));
    setMinimumHeight(240);
    auto *holder = new QVBoxLayout(this);
    holder->setContentsMargins(0, 0, 0, 0);

    m_chartTimer = new QTimer(this);
    m_chartTimer->setSingleShot(true);
    m_chartTimer->setInterval(0);
    connect(m_chartTimer, &QTimer::timeout, this, &ChartPanel::refreshChart);
    for (auto signal : {&ResultsTable::reloaded, &ResultsTable::currentChanged})
        connect(&m_table, signal, this, &ChartPanel::scheduleChart);
    // On the school's server other computers change other children all the
    // time: only the current child's chart is read again.
    for (auto signal : {&ResultsTable::recordInserted, &ResultsTable::recordUpdated, &ResultsTable::recordRemoved})
        connect(&m_table, signal, this, [this](int no) {
            if (!m_table.isShared() || no == m_table.currentNo())
                scheduleChart();
        });
}

void ChartPanel::showLargeChart()
{
    if (!ChartWindow) {
        ChartWindow = new QDialog(window());
        ChartWindow->setObjectName(QStringLiteral("ChartWindow"));
        ChartWindow->setWindowTitle(QStringLiteral("نتائج الطفل"));
        ChartWindow->setLayoutDirection(Qt::RightToLeft);
        auto *column = new QVBoxLayout(ChartWindow);
        ResultsChartBig = new ChildChart(60, ChartWindow);
        ResultsChartBig->setObjectName(QStringLiteral("ResultsChartBig"));
        if (ResultsChart)
            ResultsChartBig->setView(ResultsChart->view());
        column->addWidget(ResultsChartBig, 1);
        auto *close = new QPushButton(QStringLiteral("إغلاق"), ChartWindow);
        close->setObjectName(QStringLiteral("ChartWindowClose"));
        connect(close, &QPushButton::clicked, ChartWindow, &QDialog::close);
        column->addWidget(close, 0, Qt::AlignLeft);
        const QRect screen = window()->screen() ? window()->screen()->availableGeometry() : QRect(0, 0, 1024, 768);
        ChartWindow->resize(std::max(760, screen.width() * 7 / 10), std::max(520, screen.height() * 7 / 10));
    }
    ChartWindow->show();
    ChartWindow->raise();
    ChartWindow->activateWindow();
    refreshChart();
}

void ChartPanel::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!ResultsChart) {
        ResultsChart = new ChildChart(14, this);
        ResultsChart->setObjectName(QStringLiteral("ResultsChart"));
        layout()->addWidget(ResultsChart);
        ResultsChart->show();
    }
    if (m_chartStale)
        refreshChart();
}

// Reading the history waits for the event loop: one read after a burst of
// cursor moves and changes, and none while no chart is shown.
void ChartPanel::scheduleChart()
{
    m_chartStale = true;
    m_chartTimer->start();
}

void ChartPanel::refreshChart()
{
    const bool pageShown = ResultsChart && ResultsChart->isVisible();
    const bool bigShown = ChartWindow && ChartWindow->isVisible();
    if (!pageShown && !bigShown)
        return;
    const ChartContent content = chartContent();
    if (pageShown) {
        ResultsChart->setContent(content);
        m_chartStale = false;
    }
    if (bigShown)
        ResultsChartBig->setContent(content);
}

ChartContent ChartPanel::chartContent() const
{
    ChartContent c;
    c.today = m_table.now().toLocalTime().date();
    if (!m_table.isOpen()) {
        c.problem = QStringLiteral("جدول الأطفال غير مفتوح، فلا توجد نتائج لعرضها");
        return c;
    }
    c.childNo = m_table.currentNo();
    if (c.childNo == 0) {
        c.problem = m_table.isEmpty() ? QStringLiteral("لا يوجد أطفال في الجدول بعد")
                                      : QStringLiteral("لا يوجد طفل حالي");
        return c;
    }
    c.childName = m_table.text(ResultsTable::Field::Name);
    const LessonView lesson = m_lessonProbe ? m_lessonProbe() : LessonView();
    c.lesson = lesson.name;
    c.labels = lesson.labels;
    const Result read =
        AnswerHistory::readChild(m_table, c.childNo, lesson.name, lesson.labels.questionType, c.today, &c.history);
    if (!read)
        c.problem = read.text;
    return c;
}
