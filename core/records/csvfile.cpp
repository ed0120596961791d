#include "core/records/csvfile.h"

#include "core/base/systemerror.h"

#include <QDir>

#include <cerrno>

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

CsvFile::CsvFile(const QString &path) : m_file(path)
{
    m_file.setDirectWriteFallback(false);
    m_buffer.reserve(FlushAt + 4096);
}

CsvFile::~CsvFile()
{
    if (m_file.isOpen())
        m_file.cancelWriting();
}

Result CsvFile::open()
{
    // Unbuffered: a write the disk cuts short shows in the count at once.
    errno = 0;
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return Result::failure(writeFailed(m_file.fileName(), lastFileErrorReason(m_file.errorString())));
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
    errno = 0;
    if (m_file.write(m_buffer) != m_buffer.size()) {
        m_failed = true;
        m_reason = lastFileErrorReason(m_file.errorString());
        return false;
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
        m_file.cancelWriting();
        return Result::failure(writeFailed(m_file.fileName(), m_reason));
    }
    errno = 0;
    if (!m_file.commit())
        return Result::failure(writeFailed(m_file.fileName(), lastFileErrorReason(m_file.errorString())));
    return Result::success();
}
