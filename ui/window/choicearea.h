#pragma once

#include "core/quiz/panelstack.h"

#include <QWidget>

#include <array>

/// The choice area: stacks its three choice panels from the top, each as
/// wide as the area, in the order the panel stack gives.
class ChoiceArea : public QWidget
{
    Q_OBJECT
public:
    explicit ChoiceArea(QWidget *parent = nullptr);

    void setPanels(const std::array<QWidget *, 3> &panels);
    const PanelStack &stack() const { return m_stack; }
    /// The height rule: every panel gets a third of the area's height.
    void applyHeightRule();
    void setPanelTop(int panel, int top);
    void place(int topPanel, int middlePanel);
    void layoutPanels();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    std::array<QWidget *, 3> m_panels{};
    PanelStack m_stack;
};
