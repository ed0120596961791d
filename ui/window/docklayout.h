#pragma once

#include <QLayout>
#include <QList>

/// Lays out children along the edges of their parent, the way the quiz's
/// window is built: top-docked children first, then bottom, left, right, and
/// the fill children take what is left. Within one edge the earlier child is
/// the outer one. Each docked child keeps a size of its own; its thickness is
/// the height (top, bottom) or the width (left, right), and its other side
/// follows the span it gets. Hidden children take no room and keep their size.
class DockLayout : public QLayout
{
public:
    enum Edge { Top, Bottom, Left, Right, Fill };

    explicit DockLayout(QWidget *parent);
    ~DockLayout() override;

    void addWidget(QWidget *widget, Edge edge, QSize size = QSize());
    /// Moving between a horizontal and a vertical edge exchanges width and
    /// height, so the child keeps its thickness.
    void setEdge(QWidget *widget, Edge edge);
    Edge edge(QWidget *widget) const;
    void setSize(QWidget *widget, QSize size);
    QSize size(QWidget *widget) const;
    int thickness(QWidget *widget) const;
    void setThickness(QWidget *widget, int thickness);
    /// A docked child never takes so much that less than the given room is
    /// left for what lies inside it (its stored size is kept as it is).
    void setRoomLeft(QWidget *widget, int pixels);
    /// Lays the children out at once from the parent's current size.
    void relayout();

    void addItem(QLayoutItem *item) override;
    QLayoutItem *itemAt(int index) const override;
    QLayoutItem *takeAt(int index) override;
    int count() const override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect &rect) override;

private:
    struct Entry
    {
        QLayoutItem *item;
        Edge edge;
        QSize size;
        int roomLeft = 0;
    };
    Entry *find(QWidget *widget);
    const Entry *find(QWidget *widget) const;

    QList<Entry> m_entries;
};
