#include "ui/window/choicearea.h"

ChoiceArea::ChoiceArea(QWidget *parent) : QWidget(parent) {}

void ChoiceArea::setPanels(const std::array<QWidget *, 3> &panels)
{
    m_panels = panels;
    layoutPanels();
}

void ChoiceArea::applyHeightRule()
{
    m_stack.applyHeightRule(height());
    layoutPanels();
}

void ChoiceArea::setPanelTop(int panel, int top)
{
    m_stack.setTop(panel, top);
    layoutPanels();
}

void ChoiceArea::place(int topPanel, int middlePanel)
{
    m_stack.place(topPanel, middlePanel);
    layoutPanels();
}

void ChoiceArea::layoutPanels()
{
    for (int i = 0; i < 3; ++i)
        if (m_panels[i])
            m_panels[i]->setGeometry(0, m_stack.top(i), width(), m_stack.height());
}

void ChoiceArea::resizeEvent(QResizeEvent *)
{
    // Widths follow the area at once; heights only by the height rule.
    layoutPanels();
}
