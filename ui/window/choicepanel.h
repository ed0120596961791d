#pragma once

#include <QWidget>

/// A choice panel: reports a left click or a tap, and keeps its content
/// controls filling its whole area. A tap is one finger that lifts near
/// where it touched; a second finger or a finger that slid away answers
/// nothing. The mouse events a system or Qt makes from a touch are not
/// taken as clicks, here or in the panel's content controls, so that one
/// tap never answers twice.
class ChoicePanel : public QWidget
{
    Q_OBJECT
public:
    explicit ChoicePanel(QWidget *parent = nullptr);

signals:
    void clicked();

protected:
    bool event(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    /// How far a finger may slide and still tap: a tenth of the panel's
    /// shorter side, at least 24 pixels.
    qreal tapSlop() const;

    bool m_tapValid = false;
    QPointF m_tapStart;
};

/// Whether a mouse event on a choice panel or one of its content controls
/// was made from a touch, which the panel has taken as a tap already.
bool tappedOnPanel(const QWidget *widget, const QMouseEvent *event);
