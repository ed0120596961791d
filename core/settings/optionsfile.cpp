#include "core/settings/optionsfile.h"

#include "core/base/atomicfile.h"
#include "core/base/bidi.h"
#include "core/settings/windows1256.h"

void OptionsLineSpec::copy(OptionsValues &to, const OptionsValues &from) const
{
    if (number)
        to.*number = from.*number;
    else if (text)
        to.*text = from.*text;
    else
        to.*flag = from.*flag;
}

bool OptionsLineSpec::equal(const OptionsValues &a, const OptionsValues &b) const
{
    if (number)
        return a.*number == b.*number;
    if (text)
        return a.*text == b.*text;
    return a.*flag == b.*flag;
}

bool OptionsValues::operator==(const OptionsValues &o) const
{
    for (const OptionsLineSpec &line : OptionsFile::Lines) {
        if (!line.equal(*this, o))
            return false;
    }
    return true;
}

OptionsValues OptionsRead::appliedTo(const OptionsValues &current) const
{
    OptionsValues v = current;
    for (int n = 0; n < OptionsFile::LineCount; ++n) {
        if (!kept[n])
            OptionsFile::Lines[n].copy(v, values);
    }
    return v;
}

std::optional<int> OptionsFile::parseInteger(QByteArrayView text)
{
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i == text.size())
        return std::nullopt;
    // The magnitude may reach 2^31 for the most negative value; anything
    // beyond stops the scan before it could overflow.
    const qint64 limit = negative ? qint64(1) << 31 : (qint64(1) << 31) - 1;
    qint64 value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > limit)
            return std::nullopt;
    }
    return int(negative ? -value : value);
}

std::optional<bool> OptionsFile::parseBoolean(QByteArrayView text)
{
    if (const auto number = parseInteger(text))
        return *number != 0;
    if (text.compare("true", Qt::CaseInsensitive) == 0)
        return true;
    if (text.compare("false", Qt::CaseInsensitive) == 0)
        return false;
    return std::nullopt;
}

std::array<QByteArray, OptionsFile::LineCount> OptionsFile::splitLines(const QByteArray &bytes)
{
    std::array<QByteArray, LineCount> lines;
    qsizetype pos = 0;
    const qsizetype size = bytes.size();
    for (int n = 0; n < LineCount && pos < size; ++n) {
        qsizetype end = pos;
        while (end < size && bytes[end] != '\n' && bytes[end] != '\r')
            ++end;
        lines[n] = bytes.mid(pos, end - pos);
        pos = end;
        if (pos < size && bytes[pos] == '\r')
            ++pos;
        if (pos < size && bytes[pos] == '\n' && (pos == end || bytes[pos - 1] == '\r'))
            ++pos;
    }
    return lines;
}

OptionsRead OptionsFile::read(const QByteArray &bytes, bool complete)
{
    // When the read broke off, only the lines that ended before the break are
    // trustworthy; the last, cut line is dropped with everything after it.
    int readable = LineCount;
    QByteArray usable = bytes;
    if (!complete) {
        const qsizetype lastEnd = qMax(bytes.lastIndexOf('\n'), bytes.lastIndexOf('\r'));
        usable = bytes.left(lastEnd + 1);
        readable = 0;
        for (qsizetype i = 0; i < usable.size(); ++i) {
            if (usable[i] == '\n' || (usable[i] == '\r' && (i + 1 == usable.size() || usable[i + 1] != '\n')))
                ++readable;
        }
        readable = qMin(readable, int(LineCount));
    }
    const std::array<QByteArray, LineCount> lines = splitLines(usable);

    OptionsRead r;
    for (int n = 0; n < LineCount; ++n) {
        const OptionsLineSpec &line = Lines[n];
        const bool readableLine = n < readable;
        const QByteArray &bytes = lines[n];
        bool fellBack = !readableLine;
        switch (line.form) {
        case OptionsForm::Number:
            if (const auto value = readableLine ? parseInteger(bytes) : std::nullopt)
                r.values.*line.number = *value;
            else
                fellBack = true;
            break;
        case OptionsForm::ChildNo:
            if (const auto value = readableLine ? parseInteger(bytes) : std::nullopt)
                r.values.*line.number = *value;
            else
                fellBack = r.kept[n] = true;
            break;
        case OptionsForm::Text:
            if (readableLine)
                r.values.*line.text = Windows1256::decode(bytes);
            break;
        case OptionsForm::FontName:
            // An empty font name keeps the font's name; a name that could not
            // be read at all falls back to the classic face.
            if (readableLine && bytes.isEmpty())
                r.kept[n] = true;
            else if (readableLine)
                r.values.*line.text = Windows1256::decode(bytes);
            break;
        case OptionsForm::Picture:
            if (readableLine)
                r.values.*line.text = Windows1256::decode(bytes);
            else
                r.kept[n] = true;
            break;
        case OptionsForm::Flag:
            if (const auto value = readableLine ? parseBoolean(bytes) : std::nullopt)
                r.values.*line.flag = *value;
            else
                fellBack = true;
            break;
        }
        r.fellBack[n] = fellBack;
    }
    return r;
}

QByteArray OptionsFile::toBytes(const OptionsValues &v, QString *error)
{
    QByteArray out;
    out.reserve(256 + v.fontName.size() + v.text1.size() + v.text2.size() + v.text3.size()
                + v.picture1.size() + v.picture2.size() + v.picture3.size());
    bool failed = false;
    auto number = [&](int value) {
        out += QByteArray::number(value);
        out += "\r\n";
    };
    auto text = [&](const QString &value) {
        bool ok = false;
        const QByteArray bytes = Windows1256::encode(value, &ok);
        // A line break inside a value would shift every later line.
        if (!ok || bytes.contains('\n') || bytes.contains('\r')) {
            if (!failed && error) {
                *error = QStringLiteral(u"لا يمكن حفظ النص «%1» في ملف الإعدادات.\n\r").arg(Bidi::word(value))
                    + Windows1256::refusalMessage();
            }
            failed = true;
        }
        out += bytes;
        out += "\r\n";
    };

    for (const OptionsLineSpec &line : OptionsFile::Lines) {
        if (line.form == OptionsForm::Flag)
            out += v.*line.flag ? "-1\r\n" : "0\r\n";
        else if (line.text)
            text(v.*line.text);
        else
            number(v.*line.number);
    }
    if (failed)
        return QByteArray();
    return out;
}

Result OptionsFile::load(const QString &path, OptionsRead *out)
{
    QByteArray bytes;
    bool complete = true;
    if (!AtomicFile::readUpTo(path, MaxReadBytes, &bytes, &complete))
        return Result::failure(QStringLiteral(u"تعذر فتح ملف الإعدادات ") + path);
    *out = read(bytes, complete);
    return Result::success();
}

Result OptionsFile::save(const QString &path, const OptionsValues &values)
{
    QString error;
    const QByteArray bytes = toBytes(values, &error);
    if (bytes.isEmpty())
        return Result::failure(error);
    return AtomicFile::writeBytes(path, bytes);
}
