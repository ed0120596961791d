#pragma once

#include <QWidget>

#include <functional>

class DockLayout;

/// The bar between the video panel and the choice area. Dragging it resizes
/// the video panel; a panel that would be 30 pixels thick or less closes to
/// nothing. The drag direction follows the edge the panel is docked to.
class DockSplitter : public QWidget
{
    Q_OBJECT
public:
    DockSplitter(DockLayout *layout, QWidget *target, QWidget *parent = nullptr);

    void setMovedHandler(std::function<void()> handler) { m_moved = std::move(handler); }
    /// The thickness a drag by delta pixels (towards the choice area is
    /// positive) gives a panel of the given thickness, within 0..maximum.
    static int draggedThickness(int start, int delta, int maximum);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    int deltaFrom(const QPoint &globalPos) const;

    DockLayout *m_layout;
    QWidget *m_target;
    std::function<void()> m_moved;
    bool m_dragging = false;
    QPoint m_pressAt;
    int m_startThickness = 0;
};
