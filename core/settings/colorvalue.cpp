#include "core/settings/colorvalue.h"

#include <QPalette>

namespace {

// The system colour indices and the palette role that plays the same part
// on this platform.
QPalette::ColorRole roleOfSystemColor(int index)
{
    switch (index) {
    case 5: return QPalette::Base;              // window background
    case 7: return QPalette::WindowText;        // menu text
    case 8: return QPalette::Text;              // window text
    case 13: return QPalette::Highlight;
    case 14: return QPalette::HighlightedText;
    case 15: return QPalette::Button;           // button face
    case 16: return QPalette::Dark;             // button shadow
    case 17: return QPalette::PlaceholderText;  // grey text
    case 18: return QPalette::ButtonText;
    case 20: return QPalette::Light;            // button highlight
    case 21: return QPalette::Shadow;
    case 22: return QPalette::Midlight;
    case 23: return QPalette::ToolTipText;
    case 24: return QPalette::ToolTipBase;
    default: return QPalette::Window;
    }
}

} // namespace

QColor ColorValue::toColor(int value, const QPalette &palette)
{
    if (value < 0)
        return palette.color(QPalette::Active, roleOfSystemColor(value & 0xFF));
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

int ColorValue::fromColor(const QColor &color)
{
    const QColor rgb = color.toRgb();
    return rgb.red() | (rgb.green() << 8) | (rgb.blue() << 16);
}

QColor KeptColor::keep(int value, const QPalette &palette)
{
    m_value = value;
    m_shown = ColorValue::toColor(value, palette);
    return m_shown;
}

int KeptColor::valueFor(const QColor &shown) const
{
    if (m_shown.isValid() && shown.toRgb() == m_shown.toRgb())
        return m_value;
    return ColorValue::fromColor(shown);
}
