#include "core/records/csvfile.h"

#include "core/base/systemerror.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <unistd.h>

namespace {

constexpr int FlushAt = 1 << 20;

// Characters a spreadsheet reads as the start of a formula (or of a cell that
// it moves into the next one), and their full-width forms, which some
// spreadsheets fold to them.
bool startsFormula(QChar c)
{
    switch (c.unicode()) {
    case '=': case '+': case '-': case '@': case '\t': case '\r': case '\n':
    case 0xFF1D: case 0xFF0B: case 0xFF0D: case 0xFF20:
        return true;
    default:
        return false;
    }
}

// What a spreadsheet may pass over before it looks for a formula: blanks of
// any kind (the no-break and ideographic spaces among them) and invisible
// format characters (zero-width spaces and joiners, direction marks, the
// byte-order mark). Tab, CR and LF are formula starters themselves.
bool isSkippedBeforeFormula(char32_t c)
{
    if (c < 0x10000 && startsFormula(QChar(char16_t(c))))
        return false;
    return QChar::isSpace(c) || QChar::category(c) == QChar::Other_Format;
}

QString writeFailed(const QString &path, const QString &reason)
{
    return QStringLiteral("تعذر حفظ الملف %1\n\r%2").arg(QDir::toNativeSeparators(path), reason);
}

} // namespace

CsvFile::CsvFile(const QString &path, AtomicFile::Access access)
    : m_path(path), m_access(access), m_file(QFileInfo(path).absolutePath() + QLatin1String("/.export-XXXXXX"))
{
    m_buffer.reserve(FlushAt + 4096);
}

// An export that was not committed leaves nothing behind: the temporary
// file removes itself.
CsvFile::~CsvFile() = default;

Result CsvFile::open()
{
    // An older export the teacher made read-only is kept, as any other
    // read-only file is.
    const QFileInfo target(m_path);
    if (!target.isSymLink() && target.exists() && !target.isWritable())
        return Result::failure(writeFailed(m_path, fileErrorReason(EACCES)));
    errno = 0;
    if (!m_file.open())
        return Result::failure(writeFailed(m_path, lastFileErrorReason(m_file.errorString())));
    m_buffer.append("\xEF\xBB\xBF");
    return Result::success();
}

QByteArray CsvFile::encodeText(const QString &text)
{
    QString cell = text;
    // A NUL would cut the row short in many readers.
    cell.replace(QChar(0), QChar(0xFFFD));
    int first = 0;
    while (first < cell.size()) {
        char32_t c = cell.at(first).unicode();
        int units = 1;
        if (cell.at(first).isHighSurrogate() && first + 1 < cell.size() && cell.at(first + 1).isLowSurrogate()) {
            c = QChar::surrogateToUcs4(cell.at(first), cell.at(first + 1));
            units = 2;
        }
        if (!isSkippedBeforeFormula(c))
            break;
        first += units;
    }
    // A lone minus (the default child "-") starts no formula.
    const bool loneMinus = first + 1 == cell.size() && cell.at(first) == QLatin1Char('-');
    if (first < cell.size() && startsFormula(cell.at(first)) && !loneMinus)
        cell.insert(first, QLatin1Char('\''));
    bool quote = cell.startsWith(QLatin1Char(' ')) || cell.endsWith(QLatin1Char(' '));
    for (const QChar c : std::as_const(cell)) {
        if (c == QLatin1Char(',') || c == QLatin1Char('"') || c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            quote = true;
            break;
        }
    }
    QByteArray bytes = cell.toUtf8();
    if (!quote)
        return bytes;
    bytes.replace('"', "\"\"");
    return '"' + bytes + '"';
}

void CsvFile::separate()
{
    if (m_rowStarted)
        m_buffer.append(',');
    m_rowStarted = true;
}

void CsvFile::addText(const QString &text)
{
    separate();
    m_buffer.append(encodeText(text));
}

void CsvFile::addEncoded(const QByteArray &cell)
{
    separate();
    m_buffer.append(cell);
}

void CsvFile::addRaw(const char *data, qsizetype size)
{
    separate();
    m_buffer.append(data, size);
}

void CsvFile::addNumber(qint64 value)
{
    separate();
    m_buffer.append(QByteArray::number(value));
}

void CsvFile::addEmpty()
{
    separate();
}

void CsvFile::endRow()
{
    m_buffer.append("\r\n");
    m_rowStarted = false;
    if (m_buffer.size() >= FlushAt)
        flush();
}

bool CsvFile::flush()
{
    if (m_failed || m_buffer.isEmpty())
        return !m_failed;
    // Through the descriptor, not QFile's buffer: a write the disk cuts
    // short shows in the count at once.
    const char *data = m_buffer.constData();
    qint64 left = m_buffer.size();
    while (left > 0) {
        errno = 0;
        const ssize_t n = ::write(m_file.handle(), data, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            m_failed = true;
            m_reason = lastFileErrorReason();
            return false;
        }
        data += n;
        left -= n;
    }
    m_written += m_buffer.size();
    m_buffer.clear();
    return true;
}

Result CsvFile::commit()
{
    if (!flush() || m_file.size() != m_written) {
        if (!m_failed)
            m_reason = lastFileErrorReason(m_file.errorString());
        return Result::failure(writeFailed(m_path, m_reason));
    }
    // Flushed to disk and given the name in one rename, which replaces a
    // link under that name rather than its target.
    const Result moved = AtomicFile::moveReplacing(m_file.fileName(), m_path, m_access);
    if (!moved)
        return moved;
    m_file.setAutoRemove(false);
    return Result::success();
}
