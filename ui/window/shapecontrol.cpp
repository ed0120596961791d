#include "ui/window/shapecontrol.h"

#include "ui/window/choicepanel.h"

#include <QMouseEvent>
#include <QPainter>

ShapeControl::ShapeControl(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void ShapeControl::setKind(int kind)
{
    if (kind < Rectangle || kind > Circle || kind == m_kind)
        return;
    m_kind = Kind(kind);
    update();
}

void ShapeControl::setBrushColor(const QColor &color)
{
    if (color == m_brush)
        return;
    m_brush = color;
    update();
}

ShapeControl::Geometry ShapeControl::geometry(Kind kind, const QRect &area)
{
    const int side = std::min(area.width(), area.height());
    QRect square(0, 0, side, side);
    square.moveCenter(area.center());
    // QRect::center() rounds down; keep the square inside the area.
    square.moveLeft(area.left() + (area.width() - side) / 2);
    square.moveTop(area.top() + (area.height() - side) / 2);
    switch (kind) {
    case Rectangle:
        return {area, 0, false};
    case Square:
        return {square, 0, false};
    case RoundRect:
        return {area, side / 4, false};
    case RoundSquare:
        return {square, side / 4, false};
    case Ellipse:
        return {area, 0, true};
    case Circle:
        return {square, 0, true};
    }
    return {area, 0, false};
}

void ShapeControl::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, m_kind != Rectangle && m_kind != Square);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(m_brush);
    const Geometry g = geometry(m_kind, rect());
    // The outline lies inside the figure's area.
    const QRectF r = QRectF(g.rect).adjusted(0.5, 0.5, -0.5, -0.5);
    if (g.ellipse)
        painter.drawEllipse(r);
    else if (g.corner > 0)
        painter.drawRoundedRect(r, g.corner / 2.0, g.corner / 2.0);
    else
        painter.drawRect(r);
}

void ShapeControl::mousePressEvent(QMouseEvent *event)
{
    event->accept();
}

void ShapeControl::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    if (!tappedOnPanel(this, event))
        emit mouseUp();
}
