#include "ui/window/choicepanel.h"

#include <QMouseEvent>
#include <QTouchEvent>

#include <algorithm>

bool tappedOnPanel(const QWidget *widget, const QMouseEvent *event)
{
    if (event->source() == Qt::MouseEventNotSynthesized)
        return false;
    for (const QWidget *w = widget; w; w = w->parentWidget())
        if (qobject_cast<const ChoicePanel *>(w))
            return true;
    return false;
}

ChoicePanel::ChoicePanel(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_AcceptTouchEvents);
}

qreal ChoicePanel::tapSlop() const
{
    return std::max(24, std::min(width(), height()) / 10);
}

bool ChoicePanel::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd: {
        auto *touch = static_cast<QTouchEvent *>(event);
        touch->accept();
        const QList<QEventPoint> &points = touch->points();
        if (event->type() == QEvent::TouchBegin) {
            m_tapValid = points.size() == 1;
            if (m_tapValid)
                m_tapStart = points.first().position();
        } else if (points.size() != 1) {
            m_tapValid = false; // a second finger
        } else if (QLineF(points.first().position(), m_tapStart).length() > tapSlop()) {
            m_tapValid = false; // slid away
        }
        if (event->type() == QEvent::TouchEnd && std::exchange(m_tapValid, false))
            emit clicked();
        return true;
    }
    case QEvent::TouchCancel:
        m_tapValid = false;
        event->accept();
        return true;
    default:
        return QWidget::event(event);
    }
}

void ChoicePanel::mousePressEvent(QMouseEvent *event)
{
    event->accept();
}

void ChoicePanel::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    if (!tappedOnPanel(this, event) && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

void ChoicePanel::resizeEvent(QResizeEvent *)
{
    for (QObject *child : children())
        if (auto *w = qobject_cast<QWidget *>(child))
            w->setGeometry(rect());
}
