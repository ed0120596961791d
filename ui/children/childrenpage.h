#pragma once

#include "core/quiz/judgement.h"
#include "ui/children/chartpanel.h"

#include <QWidget>

#include <functional>

class ChildrenExports;
class ChildrenGrid;
class Dialogs;
class QPushButton;
class QVBoxLayout;
class ResultsTable;
class StoreBar;
struct AnswerDetails;

/// The children's page of the options pane (`TabSheet2`) over the
/// children's table its owner hands it: the buttons that add, reset and
/// delete a child, the grid with its navigator, the chart panel, the rows of
/// the exports and reports and the store bar. The page lays its parts out
/// and carries out the child buttons; operations started by the user throw
/// QuizError for the window's general error report.
class ChildrenPage : public QWidget
{
    Q_OBJECT
public:
    using Runner = std::function<void(const std::function<void()> &)>;

    ChildrenPage(ResultsTable &table, Dialogs &dialogs, QWidget *parent = nullptr);
    ~ChildrenPage() override;

    /// Runs the operations of the page's own buttons (export, larger chart),
    /// so that their errors reach the window's error report.
    void setRunner(Runner runner) { m_runner = std::move(runner); }
    /// Tells the page the current lesson when the chart and the reports need it.
    void setLessonProbe(const std::function<LessonView()> &probe);

    /// Opens the children's table where this computer keeps it: the school's
    /// server when one was chosen (its name is in the data folder), else
    /// results.db at `resultsPath`. Throws QuizError when results.db cannot
    /// be opened.
    void openTable(const QString &resultsPath, const QString &dataDir);
    void chooseServer();
    void chooseLocalFile();
    /// The quiet line for the status strip while the table is on the
    /// server (answers waiting, server away), and why; empty otherwise.
    QString storeStateText() const;
    QString storeProblem() const;
    /// How long the server's sender waits before trying an absent server again.
    void setServerRetryInterval(int ms);
    /// Counts a judged answer; never throws, a failure is dropped.
    void recordResult(Judgement judgement, const AnswerDetails &details);
    void addChild();
    void resetChild();
    void deleteChild();
    void exportCounts();
    void exportAnswers();
    void childReport();
    void classReport();
    /// Opens (or raises) the larger chart window.
    void showLargeChart();
    /// Reads the current child's history into the visible charts now.
    void refreshChart();

    /// The child buttons, whose clicks the window's handlers of the same
    /// names carry out.
    QPushButton *BitBtn7, *BitBtn8, *BitBtn6;

signals:
    /// The store changed, or whether the server can be reached, or how
    /// many answers wait for it.
    void storeStateChanged();

private:
    void buildButtons();
    void buildExportBars(QVBoxLayout *column);
    void run(const std::function<void()> &operation);

    ResultsTable &m_table;
    Dialogs &m_dialogs;
    Runner m_runner;
    QWidget *Panel1;
    ChildrenGrid *m_grid;
    ChartPanel *m_chart;
    ChildrenExports *m_exports;
    StoreBar *m_store;
};
