#include "ui/window/statusstrip.h"

#include "core/base/plaintext.h"
#include "ui/common/placing.h"
#include "ui/common/styleicon.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QResizeEvent>
#include <QStyle>
#include <QToolButton>

namespace {

QFrame *separator(QWidget *parent, const char *name)
{
    auto *line = named(new QFrame(parent), name);
    line->setFrameShape(QFrame::VLine);
    line->setFrameShadow(QFrame::Plain);
    line->setFixedWidth(1);
    return line;
}

QFont pixelFont(int pixels)
{
    QFont f;
    f.setPixelSize(pixels);
    return f;
}

} // namespace

StatusStrip::StatusStrip(const QString &chords, QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Panel6"));
    // Laid out from left to right whatever the reading order; the texts
    // themselves still read from right to left.
    setLayoutDirection(Qt::LeftToRight);
    auto *strip = new QHBoxLayout(this);
    strip->setContentsMargins(0, 1, 0, 1);
    strip->setSpacing(0);

    Panel7 = named(new QWidget(this), "Panel7");
    Panel7->setFixedSize(35, 23);
    SpeedButton8 = named(new QToolButton(Panel7), "SpeedButton8");
    SpeedButton8->setGeometry(0, 0, 35, 23);
    SpeedButton8->setFocusPolicy(Qt::NoFocus);
    SpeedButton8->setIcon(styleIcon(QStyle::SP_MediaVolume));
    SpeedButton8->setToolTip(QStringLiteral("اسمع السؤال مرة ثانية"));

    Label14 = named(new QLabel(QStringLiteral("  www.quiz.example  "), this), "Label14");
    Label14->setFixedWidth(114);
    Label14->setAlignment(Qt::AlignCenter);
    Label14->setFont(pixelFont(11));
    m_hint = QStringLiteral("  للخيارات اضغط ") + chords + QStringLiteral("  ");
    // Where both do not fit, the first chord alone.
    m_shortHint = QStringLiteral(" للخيارات اضغط ") + chords.section(QStringLiteral(" أو "), 0, 0) + QStringLiteral(" ");
    Label10 = named(new QLabel(m_hint, this), "Label10");
    Label10->setAlignment(Qt::AlignCenter);
    Label10->setFont(pixelFont(11));
    // Both chords are named: the label is as wide as its text needs.
    m_hintWidth = qMax(145, Label10->fontMetrics().horizontalAdvance(m_hint) + 8);
    Label10->setFixedWidth(m_hintWidth);
    Shape4 = separator(this, "Shape4");
    DBText2 = named(new QLabel(this), "DBText2");
    DBText2->setFixedWidth(49);
    DBText2->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label13 = named(new QLabel(QStringLiteral("        إجابة خطأ   "), this), "Label13");
    Label13->setFixedWidth(79);
    Shape7 = separator(this, "Shape7");
    DBText3 = named(new QLabel(this), "DBText3");
    DBText3->setFixedWidth(49);
    DBText3->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label12 = named(new QLabel(QStringLiteral("        إجابة صح:   "), this), "Label12");
    Label12->setFixedWidth(80);
    Shape5 = separator(this, "Shape5");
    SchoolLbl = named(new QLabel(this), "SchoolLbl");
    SchoolLbl->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    SchoolLbl->setContentsMargins(6, 0, 6, 0);
    QPalette quiet = SchoolLbl->palette();
    quiet.setColor(QPalette::WindowText, QColor(96, 96, 96));
    SchoolLbl->setPalette(quiet);
    SchoolLbl->hide();
    DBText1 = named(new QLabel(this), "DBText1");
    DBText1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Clear of the separators on either side.
    DBText1->setContentsMargins(6, 0, 6, 0);
    Shape6 = separator(this, "Shape6");

    for (QWidget *w : {static_cast<QWidget *>(Panel7), static_cast<QWidget *>(Label14),
                       static_cast<QWidget *>(Label10), static_cast<QWidget *>(Shape4),
                       static_cast<QWidget *>(DBText2), static_cast<QWidget *>(Label13),
                       static_cast<QWidget *>(Shape7), static_cast<QWidget *>(DBText3),
                       static_cast<QWidget *>(Label12), static_cast<QWidget *>(Shape5),
                       static_cast<QWidget *>(SchoolLbl)})
        strip->addWidget(w);
    strip->addWidget(DBText1, 1);
    strip->addWidget(Shape6);
    for (QLabel *l : {Label14, Label10, DBText2, Label13, DBText3, Label12, SchoolLbl, DBText1}) {
        l->setLayoutDirection(Qt::RightToLeft);
        // A child's name and the server's words are shown as written, never as markup.
        l->setTextFormat(Qt::PlainText);
    }
}

void StatusStrip::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    fitHints();
}

void StatusStrip::fitHints()
{
    // The counts, their titles, the separators and the replay button keep
    // their widths, and the child's name keeps room for a short name.
    int fixed = Panel7->maximumWidth() + 80;
    for (QWidget *w : {static_cast<QWidget *>(Shape4), static_cast<QWidget *>(DBText2),
                       static_cast<QWidget *>(Label13), static_cast<QWidget *>(Shape7),
                       static_cast<QWidget *>(DBText3), static_cast<QWidget *>(Label12),
                       static_cast<QWidget *>(Shape5), static_cast<QWidget *>(Shape6)})
        fixed += w->maximumWidth(); // fixed widths, whether or not laid out yet
    if (!SchoolLbl->isHidden())
        fixed += SchoolLbl->sizeHint().width();
    const int room = width() - fixed;
    const bool address = room >= m_hintWidth + Label14->maximumWidth();
    Label14->setVisible(address);
    const int shortWidth = Label10->fontMetrics().horizontalAdvance(m_shortHint) + 8;
    const bool full = room >= m_hintWidth;
    Label10->setVisible(full || room >= shortWidth);
    Label10->setText(full ? m_hint : m_shortHint);
    Label10->setFixedWidth(full ? m_hintWidth : shortWidth);
}

void StatusStrip::showChild(const QString &name, const QString &right, const QString &wrong)
{
    DBText1->setText(name);
    DBText3->setText(right);
    DBText2->setText(wrong);
}

void StatusStrip::showStoreState(const QString &text, const QString &problem)
{
    SchoolLbl->setText(text);
    SchoolLbl->setToolTip(PlainText::toolTip(problem));
    SchoolLbl->setVisible(!text.isEmpty());
    fitHints();
}
