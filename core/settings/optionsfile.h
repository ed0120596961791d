#pragma once

#include "core/base/result.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <optional>

/// Every setting the options file holds, in the controls' terms. This is what
/// SaveOptions collects from the window; the defaults are the values a line
/// that cannot be read falls back to. The file's lines are described once, in
/// OptionsFile::Lines below: a new setting is a member here, a line in
/// OptionsLine and in that table, and its control in the window's table
/// (which does not build while it lacks a line).
struct OptionsValues
{
    static constexpr int DefaultFontSize = 36;
    /// Most characters a choice text or the font's name holds: what a panel
    /// can show, and a whole folder name.
    static constexpr int TextLength = 255;

    int askedChoice = 0;          ///< line 1: AskForColorRG index (0 random, 1-3)
    int medium = 0;               ///< line 2: AVRG index (0 wav, 1 avi)
    QString fontName = QStringLiteral("Times New Roman"); ///< line 3
    int fontSize = DefaultFontSize; ///< line 4: points
    int fontColor = 0;            ///< line 5: colour value
    int questionType = 0;         ///< line 6: AskForRG index (QuestionType), as read
    QString text1 = QStringLiteral("1"); ///< line 7: Ed1
    QString text2 = QStringLiteral("2"); ///< line 8: Ed2
    QString text3 = QStringLiteral("3"); ///< line 9: Ed3
    int color1 = 255;             ///< line 10: ColorLB1 (red)
    int color2 = 65535;           ///< line 11: ColorLB2 (yellow)
    int color3 = 16711680;        ///< line 12: ColorLB3 (blue)
    int videoLocation = 0;        ///< line 13: VedioLocationRG index (0 top, 1 bottom, 2 right, 3 left)
    int videoWidth = 200;         ///< line 14: VedioPanel width
    int videoHeight = 200;        ///< line 15: VedioPanel height
    QString picture1;             ///< line 16: ImgEd1
    QString picture2;             ///< line 17: ImgEd2
    QString picture3;             ///< line 18: ImgEd3
    bool stretch = false;         ///< line 19: StretchChk
    int childNo = 0;              ///< line 20: No of the current child
    int waitSeconds = 2;          ///< line 21: WaitSE

    bool operator==(const OptionsValues &other) const;
    bool operator!=(const OptionsValues &other) const { return !(*this == other); }
};

/// The lines of the options file, numbered from 1 as a teacher reading the
/// file counts them. A new line goes before Last, which stays the last.
enum class OptionsLine {
    AskedChoice = 1, Medium, FontName, FontSize, FontColor, QuestionType,
    Text1, Text2, Text3, Color1, Color2, Color3,
    VideoLocation, VideoWidth, VideoHeight,
    Picture1, Picture2, Picture3, Stretch, ChildNo, WaitSeconds,
    Last = WaitSeconds
};

/// How a line is read and written, and what it falls back to.
enum class OptionsForm {
    Number,   ///< a decimal integer; a line that is no number falls back
    Text,     ///< Windows-1256 text, whatever the line holds
    FontName, ///< text; an empty line keeps the font's name
    Picture,  ///< text; a line that cannot be read keeps the picture
    Flag,     ///< "-1"/"0" (any number, "True", "False"); else it falls back
    ChildNo,  ///< a number; a line that is none keeps the current child
};

/// One line of the file: which it is, its form and where its value lives
/// (exactly one member pointer, of the form's kind).
struct OptionsLineSpec
{
    OptionsLine line;
    OptionsForm form;
    int OptionsValues::*number = nullptr;
    QString OptionsValues::*text = nullptr;
    bool OptionsValues::*flag = nullptr;

    void copy(OptionsValues &to, const OptionsValues &from) const;
    bool equal(const OptionsValues &a, const OptionsValues &b) const;

    /// The member matches the form: numbers for Number and ChildNo, texts
    /// for Text, FontName and Picture, a flag for Flag, and nothing else.
    constexpr bool wellFormed() const
    {
        const int members = (number ? 1 : 0) + (text ? 1 : 0) + (flag ? 1 : 0);
        if (members != 1)
            return false;
        switch (form) {
        case OptionsForm::Number:
        case OptionsForm::ChildNo: return number != nullptr;
        case OptionsForm::Text:
        case OptionsForm::FontName:
        case OptionsForm::Picture: return text != nullptr;
        case OptionsForm::Flag: return flag != nullptr;
        }
        return false;
    }
};

/// What reading an options file gives, line by line: the value of each line,
/// or its fallback where the line could not be read or converted. Where the
/// fallback is "nothing changes" (an empty font name; a picture or child line
/// that could not be read) the line is kept: the control keeps its value.
/// Radio indices and the waiting time are given as read (-5, 99, 100): the
/// controls bring them into range.
struct OptionsRead
{
    OptionsValues values;
    /// kept[n - 1] is true when line n leaves the current value as it is.
    std::array<bool, std::size_t(OptionsLine::Last)> kept{};
    /// fellBack[n - 1] is true when line n took its fallback.
    std::array<bool, std::size_t(OptionsLine::Last)> fellBack{};

    bool keeps(OptionsLine line) const { return kept[int(line) - 1]; }
    bool fellBackOn(OptionsLine line) const { return fellBack[int(line) - 1]; }

    /// The settings after this read is applied over the current ones, without
    /// the clamping the controls add.
    OptionsValues appliedTo(const OptionsValues &current) const;
};

namespace OptionsLines {
constexpr OptionsLineSpec number(OptionsLine line, int OptionsValues::*member, OptionsForm form = OptionsForm::Number)
{
    return {line, form, member, nullptr, nullptr};
}
constexpr OptionsLineSpec text(OptionsLine line, QString OptionsValues::*member, OptionsForm form = OptionsForm::Text)
{
    return {line, form, nullptr, member, nullptr};
}
constexpr OptionsLineSpec flag(OptionsLine line, bool OptionsValues::*member)
{
    return {line, OptionsForm::Flag, nullptr, nullptr, member};
}

/// True when the table has one entry for each line, in the file's order:
/// the reader, the writer and the window's controls are each checked with it.
template <typename Entry, std::size_t N>
constexpr bool inFileOrder(const std::array<Entry, N> &entries)
{
    if (N != std::size_t(OptionsLine::Last))
        return false;
    for (std::size_t i = 0; i < N; ++i) {
        if (entries[i].line != OptionsLine(int(i) + 1))
            return false;
    }
    return true;
}
} // namespace OptionsLines

/// The options file: Windows-1256 text, one value per line, every line ending
/// in CR LF. Reading never fails as a whole: each line that cannot be
/// converted takes its own fallback. Writing refuses values that the file
/// cannot hold rather than storing other characters.
class OptionsFile
{
public:
    /// The file, line by line, in order: what each line holds and how.
    static constexpr std::array<OptionsLineSpec, std::size_t(OptionsLine::Last)> Lines = {{
        OptionsLines::number(OptionsLine::AskedChoice, &OptionsValues::askedChoice),
        OptionsLines::number(OptionsLine::Medium, &OptionsValues::medium),
        OptionsLines::text(OptionsLine::FontName, &OptionsValues::fontName, OptionsForm::FontName),
        OptionsLines::number(OptionsLine::FontSize, &OptionsValues::fontSize),
        OptionsLines::number(OptionsLine::FontColor, &OptionsValues::fontColor),
        OptionsLines::number(OptionsLine::QuestionType, &OptionsValues::questionType),
        OptionsLines::text(OptionsLine::Text1, &OptionsValues::text1),
        OptionsLines::text(OptionsLine::Text2, &OptionsValues::text2),
        OptionsLines::text(OptionsLine::Text3, &OptionsValues::text3),
        OptionsLines::number(OptionsLine::Color1, &OptionsValues::color1),
        OptionsLines::number(OptionsLine::Color2, &OptionsValues::color2),
        OptionsLines::number(OptionsLine::Color3, &OptionsValues::color3),
        OptionsLines::number(OptionsLine::VideoLocation, &OptionsValues::videoLocation),
        OptionsLines::number(OptionsLine::VideoWidth, &OptionsValues::videoWidth),
        OptionsLines::number(OptionsLine::VideoHeight, &OptionsValues::videoHeight),
        OptionsLines::text(OptionsLine::Picture1, &OptionsValues::picture1, OptionsForm::Picture),
        OptionsLines::text(OptionsLine::Picture2, &OptionsValues::picture2, OptionsForm::Picture),
        OptionsLines::text(OptionsLine::Picture3, &OptionsValues::picture3, OptionsForm::Picture),
        OptionsLines::flag(OptionsLine::Stretch, &OptionsValues::stretch),
        OptionsLines::number(OptionsLine::ChildNo, &OptionsValues::childNo, OptionsForm::ChildNo),
        OptionsLines::number(OptionsLine::WaitSeconds, &OptionsValues::waitSeconds),
    }};
    static constexpr int LineCount = int(Lines.size());

    static QString fileName() { return QStringLiteral("options.txt"); }

    /// Decimal integer, exactly: an optional "+" or "-", then one or more
    /// ASCII digits (leading zeros allowed), nothing else, within the 32-bit
    /// signed range. Empty text, blanks anywhere, "0x10", "1.5" and values
    /// beyond -2147483648..2147483647 fail.
    static std::optional<int> parseInteger(QByteArrayView text);

    /// A number (0 is false, any other integer as above is true) or the word
    /// "True" or "False" in any mix of letter case; anything else fails.
    static std::optional<bool> parseBoolean(QByteArrayView text);

    /// The first `count` lines of the bytes. A line ends at CR LF, at a lone
    /// LF or at a lone CR; its end is not part of it. Lines past the end of
    /// the bytes are empty.
    static std::array<QByteArray, LineCount> splitLines(const QByteArray &bytes);

    /// Reads the options from the bytes of a file. When `complete` is false the
    /// bytes stop where reading the file failed: the line cut there and all
    /// later lines take their fallbacks (read failures, not empty lines).
    static OptionsRead read(const QByteArray &bytes, bool complete = true);

    /// The exact bytes of the file for these values. Fails, with an Arabic
    /// text in *error, when a text holds a line break or a character
    /// Windows-1256 cannot hold; the result is then empty.
    static QByteArray toBytes(const OptionsValues &values, QString *error = nullptr);

    /// Reads the file at the path. Fails only when the file cannot be opened
    /// (missing, a folder, unreadable); a read error later in the file makes
    /// the remaining lines take their fallbacks.
    static Result load(const QString &path, OptionsRead *out);

    /// Writes the values atomically: the old file stays whole until the new
    /// one is complete on disk, and any failure is reported.
    static Result save(const QString &path, const OptionsValues &values);

    /// Files larger than this are read only this far: an options file is a
    /// few hundred bytes, and a wrong or damaged file must not exhaust memory.
    /// The line cut by the limit and all later ones take their fallbacks.
    static constexpr qint64 MaxReadBytes = 16 * 1024 * 1024;
};

// A line missing from the table, out of order, or with a member of the wrong
// kind does not build.
static_assert(OptionsLines::inFileOrder(OptionsFile::Lines), "one entry for each options line, in the file's order");
static_assert(OptionsFile::Lines.back().line == OptionsLine::Last, "the table ends with the last line");
static_assert(OptionsFile::LineCount == int(OptionsLine::Last));
namespace OptionsLines {
constexpr bool allWellFormed()
{
    for (const OptionsLineSpec &line : OptionsFile::Lines) {
        if (!line.wellFormed())
            return false;
    }
    return true;
}
static_assert(allWellFormed(), "every line's member matches its form");
} // namespace OptionsLines
