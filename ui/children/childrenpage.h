#pragma once

#include "core/base/atomicfile.h"
#include "core/quiz/judgement.h"
#include "ui/children/childchart.h"

#include <QWidget>

#include <functional>

class Dialogs;
class QDialog;
class QPagedPaintDevice;
class QLabel;
class QPushButton;
class QTableView;
class QTimer;
class QToolButton;
class ResultsModel;
class ResultsTable;
struct AnswerDetails;
struct Result;

/// The current lesson as the children's page needs it: its name and how its
/// choices look.
struct LessonView
{
    QString name;
    ChoiceLabels labels;
};

/// The children's page of the options pane (`TabSheet2`): the buttons that
/// add, reset and delete a child, the navigator, the grid of all children,
/// the chart of the current child (also in a larger window on demand) and the
/// export of the table and its answers history to CSV files. It owns the
/// children's table and its grid model. Operations started by the user throw
/// QuizError for the window's general error report.
class ChildrenPage : public QWidget
{
    Q_OBJECT
public:
    using Runner = std::function<void(const std::function<void()> &)>;

    explicit ChildrenPage(Dialogs &dialogs, QWidget *parent = nullptr);
    ~ChildrenPage() override;

    /// Runs the operations of the page's own buttons (export, larger chart),
    /// so that their errors reach the window's error report.
    void setRunner(Runner runner) { m_runner = std::move(runner); }
    /// Tells the page the current lesson when the chart needs it.
    void setLessonProbe(std::function<LessonView()> probe) { m_lessonProbe = std::move(probe); }

    /// Opens the children's table where this computer keeps it: the school's
    /// server when one was chosen (its name is in the data folder), else
    /// results.db at `resultsPath`. Throws QuizError when results.db cannot
    /// be opened.
    void openTable(const QString &resultsPath, const QString &dataDir);
    /// Asks for a connection service and keeps the table on that server from
    /// now on, if it can be reached; throws QuizError with the reason if not.
    void chooseServer();
    /// Keeps the table in results.db on this computer again.
    void chooseLocalFile();
    /// The quiet line for the status strip while the table is on the
    /// server (answers waiting, server away), and why; empty otherwise.
    QString storeStateText() const;
    QString storeProblem() const;
    /// How long the server's sender waits before trying an absent server again.
    void setServerRetryInterval(int ms) { m_retryMs = ms; }
    /// Counts a judged answer; never throws, a failure is dropped.
    void recordResult(Judgement judgement, const AnswerDetails &details);
    void addChild();
    void resetChild();
    void deleteChild();
    void exportCounts();
    void exportAnswers();
    /// The current child's report, or the class's: printed or saved as a
    /// PDF file, as the teacher chooses.
    void childReport();
    void classReport();
    /// Opens (or raises) the larger chart window.
    void showLargeChart();
    /// Reads the current child's history into the visible charts now.
    void refreshChart();

    QWidget *Panel1;
    QLabel *Label11;
    QPushButton *BitBtn7, *BitBtn8, *BitBtn6;
    QWidget *DBNavigator1;
    QTableView *DBGrid1;
    QWidget *ChartBar;
    QToolButton *ChartBigBtn;
    QPushButton *ExportCountsBtn, *ExportAnswersBtn;
    /// The row of the two reports' buttons.
    QWidget *ReportBar;
    QPushButton *ChildReportBtn, *ClassReportBtn;
    /// Made when the page is first shown.
    ChildChart *ResultsChart = nullptr;
    /// The larger chart window and its chart: made when first opened.
    QDialog *ChartWindow = nullptr;
    ChildChart *ResultsChartBig = nullptr;
    ResultsTable *Table1;
    ResultsModel *DataSource1;
    /// Where the table is kept, and the buttons that change it.
    QWidget *StoreBar;
    QLabel *StoreLbl;
    QPushButton *ServerBtn, *LocalBtn;

signals:
    /// The store changed, or whether the server can be reached, or how
    /// many answers wait for it.
    void storeStateChanged();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void buildButtons();
    void buildNavigator();
    void bindGrid();
    void syncGrid();
    void scheduleChart();
    ChartContent chartContent() const;
    /// Asks whether to print or save as PDF, and does it with `paint`.
    void deliverReport(const QString &caption, const QString &fileName,
                       const std::function<Result(QPagedPaintDevice *)> &paint,
                       const std::function<Result(const QString &)> &writePdf);
    QString suggestedPath(const QString &name) const;
    AtomicFile::Access exportAccess() const;
    void run(const std::function<void()> &operation);
    void buildStoreBar();
    void showStore();
    void openServer(const QString &service);
    QString currentService() const;
    bool isShared() const;
    /// Runs a teachers' operation on the school's server: asks for the
    /// password of the teachers' login for it, and forgets it afterwards.
    void asTeacher(const std::function<Result()> &operation);

    Dialogs &m_dialogs;
    Runner m_runner;
    std::function<LessonView()> m_lessonProbe;
    QTimer *m_chartTimer;
    QWidget *m_chartHolder;
    /// A chart that was hidden when its child changed shows it when shown.
    bool m_chartStale = true;
    /// The folder of the last export, where the next one is suggested.
    QString m_exportFolder;
    QString m_resultsPath;
    QString m_dataDir;
    int m_retryMs = 5000;
};
