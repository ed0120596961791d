#include "ui/window/choicepanel.h"

#include <QMouseEvent>

ChoicePanel::ChoicePanel(QWidget *parent) : QWidget(parent) {}

void ChoicePanel::mousePressEvent(QMouseEvent *event)
{
    event->accept();
}

void ChoicePanel::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

void ChoicePanel::resizeEvent(QResizeEvent *)
{
    for (QObject *child : children())
        if (auto *w = qobject_cast<QWidget *>(child))
            w->setGeometry(rect());
}
