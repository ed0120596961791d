#pragma once

#include "core/quiz/questiontype.h"
#include "ui/window/docklayout.h"

#include <QWidget>

#include <array>

class ChoiceArea;
class ChoicePanel;
class ClickLabel;
class DockSplitter;
class PictureControl;
class PlayMarks;
class ShapeControl;
class StatusStrip;

/// The play area (Panel4): the three choice panels with their shapes,
/// texts and pictures, the video panel with its splitter, and the status
/// strip. Controls are named as the handlers that act on them (SPanel1,
/// Image1...), so that a handler and its control read alike. The pictures are
/// crossed: the second panel shows picture slot 3 and the third slot 2.
class PlayArea : public QWidget
{
    Q_OBJECT
public:
    /// `chords` names the key chords that open the options pane.
    PlayArea(const QString &chords, QWidget *parent);

    /// Lays the children out at once from the area's current size.
    void relayout();
    /// The video panel on edge 0 top, 1 bottom, 2 right or 3 left; other
    /// values leave it where it is.
    void setVideoEdge(int edgeIndex);
    /// Where the video panel is docked now.
    DockLayout::Edge videoEdge() const;
    QSize videoSize() const;
    void setVideoSize(const QSize &size);
    /// The video panel's height on the top and bottom edges, its width on
    /// the others; 0 when the splitter has closed it.
    int videoThickness() const;
    void setVideoThickness(int pixels);
    /// Shows the shapes (0), the texts (1) or the pictures (2).
    void showQuestionType(std::optional<QuestionType> type);
    /// The three texts in the font and colour of the font choice.
    void showTexts(const std::array<QString, 3> &texts, const QFont &font, const QColor &color);
    /// The shapes take the three colours; all texts the first as background.
    void showColours(const std::array<QColor, 3> &colours);
    void setStretch(bool stretch);

    StatusStrip *Panel6;
    QWidget *VedioPanel;
    DockSplitter *Splitter1;
    ChoiceArea *Panel2;
    ChoicePanel *SPanel1, *SPanel2, *SPanel3;
    ClickLabel *lbask1, *lbask2, *lbask3;
    PictureControl *Image1, *Image2, *Image3;
    ShapeControl *Shape1, *Shape2, *Shape3;
    /// The key frame and the answer's tick or cross, over the panels.
    PlayMarks *Marks;

private:
    DockLayout *m_layout;
};
