#pragma once

#include "core/base/settingsresult.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <optional>

/// Every setting the options file holds, in the controls' terms. This is what
/// SaveOptions collects from the window; the defaults are the values a broken
/// line falls back to.
struct OptionsValues
{
    int askedChoice = 0;          ///< line 1: AskForColorRG index (0 random, 1-3)
    int medium = 0;               ///< line 2: AVRG index (0 wav, 1 avi)
    QString fontName = QStringLiteral("Times New Roman"); ///< line 3
    int fontSize = 36;            ///< line 4: points
    int fontColor = 0;            ///< line 5: colour value
    int questionType = 0;         ///< line 6: AskForRG index (0 colours, 1 text, 2 pictures)
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

/// What reading an options file gives, line by line: the value of each line,
/// or its fallback where the line could not be read or converted. Where the
/// fallback is "nothing changes" the value is empty (std::nullopt).
/// Radio indices and the waiting time are given as read (-5, 99, 100): the
/// controls bring them into range.
struct OptionsRead
{
    int askedChoice = 0;
    int medium = 0;
    std::optional<QString> fontName; ///< empty line: the font keeps its name
    int fontSize = 36;
    int fontColor = 0;
    int questionType = 0;
    QString text1 = QStringLiteral("1");
    QString text2 = QStringLiteral("2");
    QString text3 = QStringLiteral("3");
    int color1 = 255;
    int color2 = 65535;
    int color3 = 16711680;
    int videoLocation = 0;
    int videoWidth = 200;
    int videoHeight = 200;
    std::optional<QString> picture1; ///< nullopt: the edit and image stay as they are
    std::optional<QString> picture2;
    std::optional<QString> picture3;
    bool stretch = false;
    std::optional<int> childNo;      ///< nullopt: the current child stays
    int waitSeconds = 2;             ///< the timer interval is this times 1000 ms

    /// fellBack[n - 1] is true when line n took its fallback.
    std::array<bool, 21> fellBack{};

    /// The settings after this read is applied over the current ones, without
    /// the clamping the controls add.
    OptionsValues appliedTo(const OptionsValues &current) const;
};

/// The 21-line options file: Windows-1256 text, one value per line, every
/// line ending in CR LF. Reading never fails as a whole: each line that cannot
/// be converted takes its own fallback. Writing refuses values that the file
/// cannot hold rather than storing other characters.
class OptionsFile
{
public:
    static constexpr int LineCount = 21;

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
    static SettingsResult load(const QString &path, OptionsRead *out);

    /// Writes the values atomically: the old file stays whole until the new
    /// one is complete on disk, and any failure is reported.
    static SettingsResult save(const QString &path, const OptionsValues &values);

    /// Files larger than this are read only this far: an options file is a
    /// few hundred bytes, and a wrong or damaged file must not exhaust memory.
    /// The line cut by the limit and all later ones take their fallbacks.
    static constexpr qint64 MaxReadBytes = 16 * 1024 * 1024;
};
