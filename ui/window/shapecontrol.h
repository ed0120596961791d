#pragma once

#include <QWidget>

/// A choice shape: one of six kinds drawn within the control's area with a
/// one-pixel black outline, filled with the choice's colour. A mouse button
/// released over it (any button) is reported with mouseUp().
class ShapeControl : public QWidget
{
    Q_OBJECT
public:
    enum Kind { Rectangle, Square, RoundRect, RoundSquare, Ellipse, Circle };

    struct Geometry
    {
        QRect rect;   ///< the figure's bounding rectangle
        int corner;   ///< width and height of the corner ellipse; 0 for none
        bool ellipse; ///< drawn as an ellipse within rect
    };

    explicit ShapeControl(QWidget *parent = nullptr);

    Kind kind() const { return m_kind; }
    /// Kinds outside 0..5 change nothing.
    void setKind(int kind);
    QColor brushColor() const { return m_brush; }
    void setBrushColor(const QColor &color);

    /// Where a kind is drawn within an area: squares and circles take the
    /// shorter side and are centred; rounded corners use a quarter of it.
    static Geometry geometry(Kind kind, const QRect &area);

signals:
    void mouseUp();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    Kind m_kind = Rectangle;
    QColor m_brush = Qt::red;
};
