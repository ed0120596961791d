#include "ui/window/docklayout.h"

#include <QWidget>

#include <algorithm>

namespace {
bool isHorizontal(DockLayout::Edge e)
{
    return e == DockLayout::Top || e == DockLayout::Bottom;
}
bool isVertical(DockLayout::Edge e)
{
    return e == DockLayout::Left || e == DockLayout::Right;
}
} // namespace

DockLayout::DockLayout(QWidget *parent) : QLayout(parent)
{
    setContentsMargins(0, 0, 0, 0);
    setSpacing(0);
}

DockLayout::~DockLayout()
{
    for (Entry &e : m_entries)
        delete e.item;
}

void DockLayout::addWidget(QWidget *widget, Edge edge, QSize size)
{
    addChildWidget(widget);
    m_entries.append({new QWidgetItem(widget), edge, size.isValid() ? size : widget->size()});
    invalidate();
}

void DockLayout::setEdge(QWidget *widget, Edge edge)
{
    Entry *e = find(widget);
    if (!e || e->edge == edge)
        return;
    if ((isHorizontal(e->edge) && isVertical(edge)) || (isVertical(e->edge) && isHorizontal(edge)))
        e->size.transpose();
    e->edge = edge;
    invalidate();
}

DockLayout::Edge DockLayout::edge(QWidget *widget) const
{
    const Entry *e = find(widget);
    return e ? e->edge : Fill;
}

void DockLayout::setSize(QWidget *widget, QSize size)
{
    if (Entry *e = find(widget)) {
        e->size = size;
        invalidate();
    }
}

QSize DockLayout::size(QWidget *widget) const
{
    const Entry *e = find(widget);
    return e ? e->size : QSize();
}

int DockLayout::thickness(QWidget *widget) const
{
    const Entry *e = find(widget);
    if (!e)
        return 0;
    return isHorizontal(e->edge) ? e->size.height() : e->size.width();
}

void DockLayout::setThickness(QWidget *widget, int thickness)
{
    Entry *e = find(widget);
    if (!e)
        return;
    if (isHorizontal(e->edge))
        e->size.setHeight(thickness);
    else
        e->size.setWidth(thickness);
    invalidate();
}

void DockLayout::setRoomLeft(QWidget *widget, int pixels)
{
    if (Entry *e = find(widget)) {
        e->roomLeft = pixels;
        invalidate();
    }
}

void DockLayout::relayout()
{
    if (QWidget *w = parentWidget())
        setGeometry(w->rect());
}

void DockLayout::addItem(QLayoutItem *item)
{
    m_entries.append({item, Fill, QSize()});
}

QLayoutItem *DockLayout::itemAt(int index) const
{
    return index >= 0 && index < m_entries.size() ? m_entries.at(index).item : nullptr;
}

QLayoutItem *DockLayout::takeAt(int index)
{
    if (index < 0 || index >= m_entries.size())
        return nullptr;
    return m_entries.takeAt(index).item;
}

int DockLayout::count() const
{
    return int(m_entries.size());
}

QSize DockLayout::sizeHint() const
{
    return QSize(400, 300);
}

QSize DockLayout::minimumSize() const
{
    return QSize(0, 0);
}

void DockLayout::setGeometry(const QRect &rect)
{
    QLayout::setGeometry(rect);
    QRect rest = rect;
    for (Edge pass : {Top, Bottom, Left, Right}) {
        for (Entry &e : m_entries) {
            QWidget *w = e.item->widget();
            if (e.edge != pass || !w || w->isHidden())
                continue;
            QRect r;
            if (pass == Top || pass == Bottom) {
                const int h = std::clamp(e.size.height(), 0, std::max(0, rest.height() - e.roomLeft));
                r = pass == Top ? QRect(rest.left(), rest.top(), rest.width(), h)
                                : QRect(rest.left(), rest.bottom() + 1 - h, rest.width(), h);
                pass == Top ? rest.setTop(rest.top() + h) : rest.setBottom(rest.bottom() - h);
                e.size.setWidth(r.width());
            } else {
                const int wd = std::clamp(e.size.width(), 0, std::max(0, rest.width() - e.roomLeft));
                r = pass == Left ? QRect(rest.left(), rest.top(), wd, rest.height())
                                 : QRect(rest.right() + 1 - wd, rest.top(), wd, rest.height());
                pass == Left ? rest.setLeft(rest.left() + wd) : rest.setRight(rest.right() - wd);
                e.size.setHeight(r.height());
            }
            w->setGeometry(r);
        }
    }
    for (Entry &e : m_entries)
        if (e.edge == Fill && e.item->widget() && !e.item->widget()->isHidden())
            e.item->widget()->setGeometry(rest);
}

DockLayout::Entry *DockLayout::find(QWidget *widget)
{
    for (Entry &e : m_entries)
        if (e.item->widget() == widget)
            return &e;
    return nullptr;
}

const DockLayout::Entry *DockLayout::find(QWidget *widget) const
{
    for (const Entry &e : m_entries)
        if (e.item->widget() == widget)
            return &e;
    return nullptr;
}
