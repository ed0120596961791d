#include "ui/window/docksplitter.h"

#include "ui/window/docklayout.h"

#include <QMouseEvent>
#include <QPainter>

DockSplitter::DockSplitter(DockLayout *layout, QWidget *target, QWidget *parent)
    : QWidget(parent), m_layout(layout), m_target(target)
{
}

int DockSplitter::draggedThickness(int start, int delta, int maximum)
{
    const int t = std::max(0, std::min(start + delta, maximum));
    return t <= 30 ? 0 : t;
}

int DockSplitter::deltaFrom(const QPoint &globalPos) const
{
    const QPoint d = globalPos - m_pressAt;
    switch (m_layout->edge(m_target)) {
    case DockLayout::Top:
        return d.y();
    case DockLayout::Bottom:
        return -d.y();
    case DockLayout::Left:
        return d.x();
    case DockLayout::Right:
        return -d.x();
    case DockLayout::Fill:
        break;
    }
    return 0;
}

void DockSplitter::mousePressEvent(QMouseEvent *event)
{
    // Without a visible video panel there is nothing to resize.
    if (event->button() != Qt::LeftButton || m_target->isHidden())
        return;
    m_dragging = true;
    m_pressAt = event->globalPosition().toPoint();
    m_startThickness = m_layout->thickness(m_target);
}

void DockSplitter::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_dragging)
        return;
    const DockLayout::Edge e = m_layout->edge(m_target);
    const QWidget *area = parentWidget();
    const int maximum = (e == DockLayout::Top || e == DockLayout::Bottom) ? area->height() - 60
                                                                          : area->width() - 60;
    m_layout->setThickness(m_target,
                           draggedThickness(m_startThickness, deltaFrom(event->globalPosition().toPoint()),
                                            std::max(0, maximum)));
    m_layout->relayout();
}

void DockSplitter::mouseReleaseEvent(QMouseEvent *event)
{
    if (!m_dragging || event->button() != Qt::LeftButton)
        return;
    mouseMoveEvent(event);
    m_dragging = false;
    if (m_moved)
        m_moved();
}

void DockSplitter::paintEvent(QPaintEvent *)
{
    QPainter(this).fillRect(rect(), QColor(0x80, 0x80, 0x80));
}
