#pragma once

#include <QWidget>

/// A choice panel: reports a left click, and keeps its content controls
/// filling its whole area.
class ChoicePanel : public QWidget
{
    Q_OBJECT
public:
    explicit ChoicePanel(QWidget *parent = nullptr);

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
};
