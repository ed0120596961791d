#pragma once

#include "core/base/atomicfile.h"
#include "ui/children/chartpanel.h"

#include <QObject>

#include <functional>

class Dialogs;
class QPagedPaintDevice;
class ResultsTable;
struct Result;

/// What leaves the children's page as a file: the table's counts and its
/// answers history as CSV files, the current child's report and the class's
/// (printed or saved as PDF). Each asks where through the dialogs and
/// throws QuizError for the window's general error report.
class ChildrenExports : public QObject
{
public:
    ChildrenExports(ResultsTable &table, Dialogs &dialogs, QObject *parent = nullptr);

    /// results.db (whose folder decides who may read an export) and the data
    /// folder (whose lessons name the choices).
    void setFiles(const QString &resultsPath, const QString &dataDir);
    void setLessonProbe(std::function<LessonView()> probe) { m_lessonProbe = std::move(probe); }

    void exportCounts();
    void exportAnswers();
    /// The current child's report, or the class's: printed or saved as a
    /// PDF file, as the teacher chooses.
    void childReport();
    void classReport();

private:
    /// Asks whether to print or save as PDF, and does it with `paint`.
    void deliverReport(const QString &caption, const QString &fileName,
                       const std::function<Result(QPagedPaintDevice *)> &paint,
                       const std::function<Result(const QString &)> &writePdf);
    QString suggestedPath(const QString &name) const;
    AtomicFile::Access exportAccess() const;

    ResultsTable &m_table;
    Dialogs &m_dialogs;
    std::function<LessonView()> m_lessonProbe;
    /// The folder of the last export, where the next one is suggested.
    QString m_exportFolder;
    QString m_resultsPath;
    QString m_dataDir;
};
