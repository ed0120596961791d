#pragma once

#include <QPointer>
#include <QWidget>

#include <array>

/// What is drawn over the choice panels in play mode: the thick frame on
/// the panel that keys and switches act on, and, after an answer, a large
/// tick (right) or cross (wrong) over the panel clicked. It lies over the
/// whole choice area and lets every mouse and touch event through to the
/// panels below.
class PlayMarks : public QWidget
{
    Q_OBJECT
public:
    enum class Mark { None, Tick, Cross };

    /// `panels` are the area's choice panels, SPanel1 .. SPanel3.
    PlayMarks(const std::array<QWidget *, 3> &panels, QWidget *area);

    /// The framed row, 0 the top panel .. 2 the bottom one; -1 for none.
    int framedRow() const { return m_row; }
    void setFramedRow(int row);
    /// Moves the frame by `step` rows, from the bottom back to the top.
    void stepFrame(int step);
    /// The panel index (0..2, SPanel1 .. SPanel3) shown in that row.
    int panelInRow(int row) const;
    /// The frame's width: 10 pixels at 1280 x 800, more on larger screens.
    int frameWidth() const;
    /// The colour the frame is drawn in: of black, white, green and magenta,
    /// the one furthest from the three panels' colours and the background.
    QColor frameColour() const;

    Mark mark() const { return m_mark; }
    int markedPanel() const { return m_markedPanel; }
    void setMark(int panel, Mark mark);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    QColor panelColour(int panel) const;

    std::array<QPointer<QWidget>, 3> m_panels;
    int m_row = -1;
    int m_markedPanel = -1;
    Mark m_mark = Mark::None;
};
