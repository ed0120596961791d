#include "ui/window/clicklabel.h"

#include "ui/window/choicepanel.h"

#include <QMouseEvent>

// The choice texts come from options files copied in from anywhere: they
// show as the characters they are, never as markup.
ClickLabel::ClickLabel(const QString &text, QWidget *parent) : QLabel(text, parent)
{
    setTextFormat(Qt::PlainText);
}

void ClickLabel::mousePressEvent(QMouseEvent *event)
{
    event->accept();
}

void ClickLabel::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    if (!tappedOnPanel(this, event) && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}
