#include "ui/window/clicklabel.h"

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
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}
