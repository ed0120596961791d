#pragma once

#include <QColor>

class QPalette;

/// The colour values of the settings file: the platform's 32-bit colours,
/// red in the low byte, then green, then blue. Values with bits above the
/// blue byte are not plain colours: a negative value names a system colour
/// (its low byte is the colour's index), other high bits come from palette
/// tricks. Such a value can be shown only approximately, so the window keeps
/// it (see KeptColor) and writes it back unchanged while nobody chose another
/// colour.
class ColorValue
{
public:
    /// The colour to show for a value: the value's own colour when plain; for
    /// a system colour the palette's nearest role (the window colour where
    /// there is none); otherwise the colour of the low three bytes.
    static QColor toColor(int value, const QPalette &palette);

    /// The plain value of a colour (its alpha is dropped).
    static int fromColor(const QColor &color);
};

/// A loaded colour value together with the colour shown for it. As long as
/// the control still shows that colour, the loaded value is what is saved,
/// so a system colour survives a save unchanged; once another colour has
/// been chosen, that colour's plain value is saved.
class KeptColor
{
public:
    /// Shows the value: remembers it and returns the colour to show.
    QColor keep(int value, const QPalette &palette);
    /// The value to save for the colour the control shows now.
    int valueFor(const QColor &shown) const;

private:
    int m_value = 0;
    QColor m_shown; // invalid until a value was kept: then only plain values
};
