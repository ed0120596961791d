#pragma once

#include "ui/dialogs/dialogs.h"

#include <QDialog>

#include <functional>
#include <optional>

class QCheckBox;
class QFontComboBox;
class QLabel;
class QPushButton;
class QSpinBox;

/// The font of the choice texts with everything the settings keep of it:
/// the font, its size, its style and its colour, with an Arabic preview of
/// them all. The colour is picked through the function given, so that the
/// caller decides which colour dialog shows.
class FontChoiceDialog : public QDialog
{
    Q_OBJECT
public:
    using ColourChooser = std::function<std::optional<QColor>(const QColor &initial)>;

    FontChoiceDialog(const FontChoice &initial, ColourChooser chooseColour, QWidget *parent = nullptr);

    /// What the controls show now.
    FontChoice choice() const;

    /// The largest size offered, in points.
    static constexpr int MaxPoints = 1638;

private:
    void pickColour();
    void showPreview();

    ColourChooser m_chooseColour;
    QColor m_colour;
    QFontComboBox *m_family;
    QSpinBox *m_size;
    QCheckBox *m_bold;
    QCheckBox *m_italic;
    QPushButton *m_colourButton;
    QLabel *m_preview;
};
