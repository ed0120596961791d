#pragma once

#include "core/quiz/questiontype.h"
#include "core/records/answerhistory.h"

#include <QColor>
#include <QImage>
#include <QWidget>

#include <array>

class QBarCategoryAxis;
class QChart;
class QChartView;
class QLabel;
class QToolButton;

/// How the current lesson shows its three choices: the chart labels the
/// choices with them.
struct ChoiceLabels
{
    /// None where no type is chosen.
    std::optional<QuestionType> questionType = QuestionType::Colours;
    std::array<QString, 3> names;
    std::array<QColor, 3> colors;
    /// Picture slots 1..3 (a null image where none is loaded).
    std::array<QImage, 3> pictures;
};

/// What the chart shows: one child's history, or a reason why there is none.
struct ChartContent
{
    /// Shown in place of a chart when not empty (no child, table not open...).
    QString problem;
    int childNo = 0;
    QString childName;
    QString lesson;
    ChoiceLabels labels;
    ChildHistory history;
    QDate today;
};

/// One child's results as a chart, in Arabic, right to left: right and wrong
/// answers per day (resets of the counts marked), or, for the current lesson,
/// which choice the child clicked for each asked choice. Two buttons above it
/// switch between the two.
class ChildChart : public QWidget
{
    Q_OBJECT
public:
    enum class View { Days, Choices };

    /// maxDays: how many of the latest days the day view shows.
    explicit ChildChart(int maxDays, QWidget *parent = nullptr);

    void setContent(const ChartContent &content);
    const ChartContent &content() const { return m_content; }
    void setView(View view);
    View view() const { return m_viewMode; }

    QChart *chart() const { return m_chart; }
    QChartView *chartView() const { return m_view; }
    /// A line under the chart for what the chart itself cannot say.
    QLabel *note() const { return m_note; }

    static QColor rightColor() { return QColor(0x2e, 0x9e, 0x44); }
    static QColor wrongColor() { return QColor(0xd6, 0x3a, 0x2f); }
    static QColor resetColor() { return QColor(0x1f, 0x5f, 0xbf); }

private:
    void rebuild();
    void clearChart();
    void buildDays(QStringList *notes);
    void buildChoices(QStringList *notes);
    QString childTitle() const;

    int m_maxDays;
    View m_viewMode = View::Days;
    ChartContent m_content;
    QToolButton *m_daysButton;
    QToolButton *m_choicesButton;
    QChart *m_chart;
    QChartView *m_view;
    QLabel *m_note;
};
