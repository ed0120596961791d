#include "core/settings/choicenames.h"

#include "core/base/plaintext.h"

#include <QColor>

namespace {

struct NamedColour
{
    int red, green, blue;
    const char16_t *name;
};

// The colours a child learns first, each where the colour dialog's basic
// colours and the usual names put it; some names have two shades.
constexpr NamedColour Common[] = {
    {255, 0, 0, u"أحمر"},        {255, 255, 0, u"أصفر"},      {0, 0, 255, u"أزرق"},
    {0, 128, 0, u"أخضر"},        {0, 255, 0, u"أخضر"},        {0, 0, 0, u"أسود"},
    {255, 255, 255, u"أبيض"},    {255, 165, 0, u"برتقالي"},   {255, 128, 0, u"برتقالي"},
    {128, 0, 128, u"بنفسجي"},    {255, 192, 203, u"وردي"},    {165, 42, 42, u"بني"},
    {128, 64, 0, u"بني"},        {128, 128, 128, u"رمادي"},   {192, 192, 192, u"رمادي"},
    {0, 255, 255, u"سماوي"},     {135, 206, 235, u"سماوي"},   {0, 0, 128, u"كحلي"},
};

// How far (in RGB distance) a colour may lie from a named one and still
// carry its name: a hand-picked shade next to it, never a neighbour's.
constexpr int Near = 48;

// The picture's file name without its folder, whichever separator the
// teacher's computer wrote.
QString fileNameOf(const QString &path)
{
    const QString trimmed = path.trimmed();
    const qsizetype cut = qMax(trimmed.lastIndexOf(QLatin1Char('/')), trimmed.lastIndexOf(QLatin1Char('\\')));
    return PlainText::cleanText(trimmed.mid(cut + 1), OptionsValues::TextLength);
}

} // namespace

QString ChoiceNames::colourName(int value)
{
    if (value < 0)
        return QStringLiteral(u"لون من ألوان النظام");
    // Red in the low byte; bits above the blue byte are not part of the
    // colour shown.
    const QColor colour(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
    const NamedColour *nearest = nullptr;
    int best = Near * Near + 1;
    for (const NamedColour &c : Common) {
        const int dr = colour.red() - c.red, dg = colour.green() - c.green, db = colour.blue() - c.blue;
        const int distance = dr * dr + dg * dg + db * db;
        if (distance < best) {
            best = distance;
            nearest = &c;
        }
    }
    if (nearest)
        return QString::fromUtf16(nearest->name);
    return colour.name(QColor::HexRgb).toUpper();
}

std::array<QString, 3> ChoiceNames::of(const OptionsRead &lesson, QuestionType questionType)
{
    const OptionsValues &v = lesson.values;
    switch (questionType) {
    case QuestionType::Colours: return {colourName(v.color1), colourName(v.color2), colourName(v.color3)};
    case QuestionType::Text: return {v.text1, v.text2, v.text3};
    case QuestionType::Pictures: {
        const auto picture = [&lesson](OptionsLine line, const QString &path) {
            return lesson.keeps(line) ? QString() : fileNameOf(path);
        };
        return {picture(OptionsLine::Picture1, v.picture1), picture(OptionsLine::Picture3, v.picture3),
                picture(OptionsLine::Picture2, v.picture2)};
    }
    }
    return {};
}
