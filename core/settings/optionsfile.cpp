#include "core/settings/optionsfile.h"

#include "core/base/atomicfile.h"
#include "core/base/bidi.h"
#include "core/settings/windows1256.h"

namespace {

// Line numbers of the file, 1-based as a teacher reading the file counts them.
enum Line {
    AskedChoice = 1, Medium, FontName, FontSize, FontColor, QuestionType,
    Text1, Text2, Text3, Color1, Color2, Color3,
    VideoLocation, VideoWidth, VideoHeight,
    Picture1, Picture2, Picture3, Stretch, ChildNo, WaitSeconds
};

} // namespace

bool OptionsValues::operator==(const OptionsValues &o) const
{
    return askedChoice == o.askedChoice && medium == o.medium && fontName == o.fontName
        && fontSize == o.fontSize && fontColor == o.fontColor && questionType == o.questionType
        && text1 == o.text1 && text2 == o.text2 && text3 == o.text3
        && color1 == o.color1 && color2 == o.color2 && color3 == o.color3
        && videoLocation == o.videoLocation && videoWidth == o.videoWidth
        && videoHeight == o.videoHeight && picture1 == o.picture1 && picture2 == o.picture2
        && picture3 == o.picture3 && stretch == o.stretch && childNo == o.childNo
        && waitSeconds == o.waitSeconds;
}

OptionsValues OptionsRead::appliedTo(const OptionsValues &current) const
{
    OptionsValues v = current;
    v.askedChoice = askedChoice;
    v.medium = medium;
    if (fontName)
        v.fontName = *fontName;
    v.fontSize = fontSize;
    v.fontColor = fontColor;
    v.questionType = questionType;
    v.text1 = text1;
    v.text2 = text2;
    v.text3 = text3;
    v.color1 = color1;
    v.color2 = color2;
    v.color3 = color3;
    v.videoLocation = videoLocation;
    v.videoWidth = videoWidth;
    v.videoHeight = videoHeight;
    if (picture1)
        v.picture1 = *picture1;
    if (picture2)
        v.picture2 = *picture2;
    if (picture3)
        v.picture3 = *picture3;
    v.stretch = stretch;
    if (childNo)
        v.childNo = *childNo;
    v.waitSeconds = waitSeconds;
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
    auto integer = [&](int line, int *target) {
        const auto value = line <= readable ? parseInteger(lines[line - 1]) : std::nullopt;
        if (value)
            *target = *value;
        else
            r.fellBack[line - 1] = true;
    };
    auto text = [&](int line, QString *target) {
        if (line <= readable)
            *target = Windows1256::decode(lines[line - 1]);
        else
            r.fellBack[line - 1] = true;
    };
    auto optionalText = [&](int line, std::optional<QString> *target) {
        if (line <= readable)
            *target = Windows1256::decode(lines[line - 1]);
        else
            r.fellBack[line - 1] = true;
    };

    integer(AskedChoice, &r.askedChoice);
    integer(Medium, &r.medium);
    if (FontName <= readable) {
        // An empty font name keeps the font's name; a name that could not be
        // read at all falls back to the classic face.
        if (!lines[FontName - 1].isEmpty())
            r.fontName = Windows1256::decode(lines[FontName - 1]);
    } else {
        r.fontName = QStringLiteral("Times New Roman");
        r.fellBack[FontName - 1] = true;
    }
    integer(FontSize, &r.fontSize);
    integer(FontColor, &r.fontColor);
    integer(QuestionType, &r.questionType);
    text(Text1, &r.text1);
    text(Text2, &r.text2);
    text(Text3, &r.text3);
    integer(Color1, &r.color1);
    integer(Color2, &r.color2);
    integer(Color3, &r.color3);
    integer(VideoLocation, &r.videoLocation);
    integer(VideoWidth, &r.videoWidth);
    integer(VideoHeight, &r.videoHeight);
    optionalText(Picture1, &r.picture1);
    optionalText(Picture2, &r.picture2);
    optionalText(Picture3, &r.picture3);
    const auto stretch = Stretch <= readable ? parseBoolean(lines[Stretch - 1]) : std::nullopt;
    if (stretch)
        r.stretch = *stretch;
    else
        r.fellBack[Stretch - 1] = true;
    if (ChildNo <= readable)
        r.childNo = parseInteger(lines[ChildNo - 1]);
    if (!r.childNo)
        r.fellBack[ChildNo - 1] = true;
    integer(WaitSeconds, &r.waitSeconds);
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

    number(v.askedChoice);
    number(v.medium);
    text(v.fontName);
    number(v.fontSize);
    number(v.fontColor);
    number(v.questionType);
    text(v.text1);
    text(v.text2);
    text(v.text3);
    number(v.color1);
    number(v.color2);
    number(v.color3);
    number(v.videoLocation);
    number(v.videoWidth);
    number(v.videoHeight);
    text(v.picture1);
    text(v.picture2);
    text(v.picture3);
    out += v.stretch ? "-1\r\n" : "0\r\n";
    number(v.childNo);
    number(v.waitSeconds);
    if (failed)
        return QByteArray();
    return out;
}

SettingsResult OptionsFile::load(const QString &path, OptionsRead *out)
{
    QByteArray bytes;
    bool complete = true;
    if (!AtomicFile::readUpTo(path, MaxReadBytes, &bytes, &complete))
        return SettingsResult::failure(QStringLiteral(u"تعذر فتح ملف الإعدادات ") + path);
    *out = read(bytes, complete);
    return SettingsResult::success();
}

SettingsResult OptionsFile::save(const QString &path, const OptionsValues &values)
{
    QString error;
    const QByteArray bytes = toBytes(values, &error);
    if (bytes.isEmpty())
        return SettingsResult::failure(error);
    return AtomicFile::writeBytes(path, bytes);
}
