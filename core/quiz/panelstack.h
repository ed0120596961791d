#pragma once

#include <array>

/// The three choice panels stacked from the top of the choice area, in the
/// order of their top edges, without gaps.
///
/// Moving a panel to a new top edge restacks them: the moved panel goes in
/// front of every other panel whose top edge is at or below the new value and
/// behind those above it; the other two keep their order.
class PanelStack
{
public:
    PanelStack();

    /// Panel indices 0..2 from the top down.
    const std::array<int, 3> &order() const { return m_order; }
    int height() const { return m_height; }
    /// The height rule: a third of the choice area, truncated, for all three.
    void applyHeightRule(int areaHeight);
    void setHeight(int height) { m_height = height; }
    int top(int panel) const;
    /// Sets a panel's top edge and restacks; the same value moves nothing.
    void setTop(int panel, int top);
    /// Places the top-place and middle-place panels as a new question does.
    void place(int topPanel, int middlePanel);

private:
    std::array<int, 3> m_order{{0, 1, 2}};
    int m_height = 0;
};
