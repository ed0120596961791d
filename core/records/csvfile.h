#pragma once

#include "core/base/atomicfile.h"
#include "core/base/result.h"

#include <QByteArray>
#include <QTemporaryFile>
#include <QString>

/// A CSV file that common spreadsheet programs open as it is meant: UTF-8
/// with a byte-order mark (so Arabic is not read in a legacy code page),
/// comma-separated, CRLF line ends and RFC 4180 quoting. A text cell that a
/// spreadsheet could take for a formula is written with a leading apostrophe.
///
/// The file is written to a hidden temporary file beside it and takes its
/// name only at commit() (AtomicFile::moveReplacing): a failed export leaves
/// an older file as it was, and a symbolic link chosen as the file is
/// replaced, never written through.
class CsvFile
{
public:
    explicit CsvFile(const QString &path, AtomicFile::Access access = AtomicFile::Access::Usual);
    ~CsvFile();

    /// Creates the temporary file and writes the byte-order mark.
    Result open();
    void addText(const QString &text);
    void addNumber(qint64 value);
    /// An empty cell.
    void addEmpty();
    /// A cell given already encoded by encodeText (for repeated texts).
    void addEncoded(const QByteArray &cell);
    /// A cell of plain ASCII the caller made, such as a time: written as it is.
    void addRaw(const char *data, qsizetype size);
    void endRow();
    /// Writes what is left, checks it all reached the disk and gives the file
    /// its name. A failure's Arabic reason names the file.
    Result commit();

    /// The cell as written: guarded against formulas, quoted when needed.
    static QByteArray encodeText(const QString &text);

private:
    void separate();
    bool flush();

    QString m_path;
    AtomicFile::Access m_access;
    QTemporaryFile m_file;
    QByteArray m_buffer;
    bool m_rowStarted = false;
    bool m_failed = false;
    QString m_reason;
    qint64 m_written = 0;
};
