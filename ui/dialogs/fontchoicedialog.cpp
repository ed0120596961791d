#include "ui/dialogs/fontchoicedialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFontComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

int pointsOf(const QFont &font)
{
    if (font.pointSize() > 0)
        return font.pointSize();
    // A font given in pixels, at the usual 96 dots per inch.
    return qMax(1, qRound(font.pixelSize() * 72.0 / 96.0));
}

QIcon swatch(const QColor &colour)
{
    QPixmap pixmap(24, 16);
    pixmap.fill(colour);
    return QIcon(pixmap);
}

} // namespace

FontChoiceDialog::FontChoiceDialog(const FontChoice &initial, ColourChooser chooseColour,
                                   QWidget *parent)
    : QDialog(parent), m_chooseColour(std::move(chooseColour)), m_colour(initial.color)
{
    setObjectName(QStringLiteral("FontChoiceDialog"));
    setWindowTitle(QStringLiteral("الخط"));
    setLayoutDirection(Qt::RightToLeft);

    m_family = new QFontComboBox(this);
    m_family->setObjectName(QStringLiteral("fontFamily"));
    m_family->setCurrentFont(initial.font);
    m_size = new QSpinBox(this);
    m_size->setObjectName(QStringLiteral("fontSize"));
    m_size->setRange(1, MaxPoints);
    m_size->setValue(qMin(pointsOf(initial.font), int(MaxPoints)));
    m_bold = new QCheckBox(QStringLiteral("عريض"), this);
    m_bold->setObjectName(QStringLiteral("fontBold"));
    m_bold->setChecked(initial.font.bold());
    m_italic = new QCheckBox(QStringLiteral("مائل"), this);
    m_italic->setObjectName(QStringLiteral("fontItalic"));
    m_italic->setChecked(initial.font.italic());
    m_colourButton = new QPushButton(QStringLiteral("تغيير اللون"), this);
    m_colourButton->setObjectName(QStringLiteral("fontColour"));

    // A preview in the font's own size could be taller than the screen.
    m_preview = new QLabel(QStringLiteral("أحمر أصفر أزرق ١٢٣"), this);
    m_preview->setObjectName(QStringLiteral("fontPreview"));
    m_preview->setAlignment(Qt::AlignCenter);
    m_preview->setFixedHeight(120);
    m_preview->setMinimumWidth(360);
    m_preview->setFrameShape(QFrame::StyledPanel);
    m_preview->setAutoFillBackground(true);

    auto *style = new QHBoxLayout;
    style->addWidget(m_bold);
    style->addWidget(m_italic);
    style->addStretch();
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("الخط:"), m_family);
    form->addRow(QStringLiteral("الحجم:"), m_size);
    form->addRow(QStringLiteral("النمط:"), style);
    form->addRow(QStringLiteral("اللون:"), m_colourButton);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("موافق"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("إلغاء"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_preview);
    layout->addWidget(buttons);

    connect(m_family, &QFontComboBox::currentFontChanged, this, &FontChoiceDialog::showPreview);
    connect(m_size, &QSpinBox::valueChanged, this, &FontChoiceDialog::showPreview);
    connect(m_bold, &QCheckBox::toggled, this, &FontChoiceDialog::showPreview);
    connect(m_italic, &QCheckBox::toggled, this, &FontChoiceDialog::showPreview);
    connect(m_colourButton, &QPushButton::clicked, this, &FontChoiceDialog::pickColour);
    showPreview();
}

FontChoice FontChoiceDialog::choice() const
{
    QFont font = m_family->currentFont();
    font.setPointSize(m_size->value());
    font.setBold(m_bold->isChecked());
    font.setItalic(m_italic->isChecked());
    return FontChoice{font, m_colour};
}

void FontChoiceDialog::pickColour()
{
    const std::optional<QColor> colour = m_chooseColour ? m_chooseColour(m_colour) : std::nullopt;
    if (!colour || !colour->isValid())
        return;
    m_colour = *colour;
    showPreview();
}

void FontChoiceDialog::showPreview()
{
    const FontChoice shown = choice();
    QFont font = shown.font;
    // Large sizes are previewed at a size that fits the box.
    font.setPointSize(qMin(shown.font.pointSize(), 48));
    m_preview->setFont(font);
    QPalette palette = m_preview->palette();
    palette.setColor(QPalette::WindowText, shown.color);
    m_preview->setPalette(palette);
    m_colourButton->setIcon(swatch(shown.color));
}
