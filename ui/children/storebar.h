#pragma once

#include <QWidget>

#include <functional>

class Dialogs;
class QLabel;
class QPushButton;
class ResultsTable;
struct Result;

/// Where the children's table is kept: results.db on this computer or the
/// school's server, the teacher's choice between them, and the bar that
/// shows it with the buttons that change it. Operations throw QuizError for
/// the window's general error report.
class StoreBar : public QWidget
{
    Q_OBJECT
public:
    using Runner = std::function<void(const std::function<void()> &)>;

    /// `run` carries out the bar's own buttons, so that their errors reach
    /// the window's error report.
    StoreBar(ResultsTable &table, Dialogs &dialogs, Runner run, QWidget *parent = nullptr);

    /// Opens the table where this computer keeps it: the school's server when
    /// one was chosen (its name is in the data folder), else results.db at
    /// `resultsPath`. Throws QuizError when results.db cannot be opened.
    void openTable(const QString &resultsPath, const QString &dataDir);
    /// Asks for a connection service and keeps the table on that server from
    /// now on, if it can be reached; throws QuizError with the reason if not.
    void chooseServer();
    /// Keeps the table in results.db on this computer again.
    void chooseLocalFile();
    /// The quiet line for the status strip while the table is on the
    /// server (answers waiting, server away), and why; empty otherwise.
    QString stateText() const;
    QString problem() const;
    /// How long the server's sender waits before trying an absent server again.
    void setRetryInterval(int ms) { m_retryMs = ms; }
    bool isShared() const;
    /// Runs a teachers' operation on the school's server: asks for the
    /// password of the teachers' login for it, and forgets it afterwards.
    void asTeacher(const std::function<Result()> &operation);

signals:
    /// The store changed, or whether the server can be reached, or how
    /// many answers wait for it.
    void stateChanged();

private:
    void showStore();
    void openServer(const QString &service);
    QString currentService() const;

    ResultsTable &m_table;
    Dialogs &m_dialogs;
    Runner m_run;
    QLabel *StoreLbl;
    QPushButton *ServerBtn, *LocalBtn;
    QString m_resultsPath;
    QString m_dataDir;
    int m_retryMs = 5000;
};
