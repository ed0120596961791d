#include "core/quiz/panelstack.h"

#include <algorithm>
#include <vector>

PanelStack::PanelStack() = default;

void PanelStack::applyHeightRule(int areaHeight)
{
    m_height = std::max(0, areaHeight) / 3;
}

int PanelStack::top(int panel) const
{
    const auto it = std::find(m_order.begin(), m_order.end(), panel);
    return int(it - m_order.begin()) * m_height;
}

void PanelStack::setTop(int panel, int newTop)
{
    if (top(panel) == newTop)
        return;
    // The other two keep their present top edges while the moved panel is
    // placed: it goes in front of the first of them at or below the new edge.
    std::vector<int> others;
    for (int p : m_order)
        if (p != panel)
            others.push_back(p);
    std::size_t at = 0;
    while (at < others.size() && top(others[at]) < newTop)
        ++at;
    others.insert(others.begin() + long(at), panel);
    std::copy(others.begin(), others.end(), m_order.begin());
}

void PanelStack::place(int topPanel, int middlePanel)
{
    setTop(topPanel, 0);
    setTop(middlePanel, m_height);
}
