#pragma once

#include "core/base/atomicfile.h"
#include "core/base/result.h"

#include <QDateTime>
#include <QString>

class LessonLibrary;
class ResultsTable;

/// What an export wrote, for the message that follows it.
struct ExportSummary
{
    qint64 rows = 0;
    /// History rows of a child no longer in the table: written with a blank name.
    qint64 orphanRows = 0;
    /// History rows dated after the export: written with their time as it is.
    qint64 futureRows = 0;
};

/// Writes the children's table and its answers history as CSV files for a
/// spreadsheet (see CsvFile). Reads only; the table must be open. The
/// files are their owner's only with Access::OwnerOnly (the children's data
/// kept in the user's own folder).
class ResultsExport
{
public:
    /// One row per child: number, name, right and wrong answers (blank when
    /// empty), under the grid's column titles.
    static Result writeCounts(const ResultsTable &table, const QString &path, ExportSummary *summary,
                              AtomicFile::Access access = AtomicFile::Access::Usual);
    /// One row per answer and per reset, child by child in the order they
    /// happened, with the local time and the child's current name. The
    /// names of the asked and the clicked choice come last, so the earlier
    /// columns keep their places: the lesson's choices as `lessons` holds
    /// them now, each lesson's options file read once; empty where the
    /// lesson is gone or the row names no choice 1..3.
    static Result writeAnswers(const ResultsTable &table, const QString &path, const QDateTime &now,
                               const LessonLibrary &lessons, ExportSummary *summary,
                               AtomicFile::Access access = AtomicFile::Access::Usual);

};
