#pragma once

#include "ui/children/childchart.h"

#include <QWidget>

#include <functional>

class QDialog;
class QTimer;
class ResultsTable;

/// The current lesson as the children's page needs it: its name and how its
/// choices look.
struct LessonView
{
    QString name;
    ChoiceLabels labels;
};

/// The chart of the current child under the children's grid, and the same
/// chart in a larger window on demand. Both follow the table's current child;
/// its history is read only while a chart is shown.
class ChartPanel : public QWidget
{
    Q_OBJECT
public:
    explicit ChartPanel(ResultsTable &table, QWidget *parent = nullptr);

    /// Tells the panel the current lesson when the chart needs it.
    void setLessonProbe(std::function<LessonView()> probe) { m_lessonProbe = std::move(probe); }
    /// Opens (or raises) the larger chart window.
    void showLargeChart();
    /// Reads the current child's history into the visible charts now.
    void refreshChart();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void scheduleChart();
    ChartContent chartContent() const;

    ResultsTable &m_table;
    std::function<LessonView()> m_lessonProbe;
    QTimer *m_chartTimer;
    /// Made when the panel is first shown.
    ChildChart *ResultsChart = nullptr;
    /// The larger chart window and its chart: made when first opened.
    QDialog *ChartWindow = nullptr;
    ChildChart *ResultsChartBig = nullptr;
    /// A chart that was hidden when its child changed shows it when shown.
    bool m_chartStale = true;
};
