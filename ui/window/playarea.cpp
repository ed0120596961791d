#include "ui/window/playarea.h"

#include "ui/common/placing.h"
#include "ui/window/choicearea.h"
#include "ui/window/choicepanel.h"
#include "ui/window/clicklabel.h"
#include "ui/window/docklayout.h"
#include "ui/window/docksplitter.h"
#include "ui/window/picturecontrol.h"
#include "ui/window/playmarks.h"
#include "ui/window/shapecontrol.h"
#include "ui/window/statusstrip.h"

PlayArea::PlayArea(const QString &chords, QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Panel4"));
    m_layout = new DockLayout(this);

    Panel6 = new StatusStrip(chords, this);

    VedioPanel = named(new QWidget(this), "VedioPanel");
    VedioPanel->setAutoFillBackground(true);
    VedioPanel->setPalette(QPalette(Qt::black));

    Splitter1 = named(new DockSplitter(m_layout, VedioPanel, this), "Splitter1");
    Splitter1->setToolTip(QStringLiteral("اضغط واسحب للتكبير"));
    Splitter1->hide();

    Panel2 = named(new ChoiceArea(this), "Panel2");

    // The status strip is the outermost bottom child; the splitter lies
    // between the video panel and the choice area on every edge.
    m_layout->addWidget(Panel6, DockLayout::Bottom, QSize(1003, 25));
    m_layout->addWidget(VedioPanel, DockLayout::Bottom, QSize(537, 167));
    m_layout->addWidget(Splitter1, DockLayout::Bottom, QSize(537, 4));
    m_layout->addWidget(Panel2, DockLayout::Fill);
    // However large a stored video size is, the child keeps three panels to click.
    m_layout->setRoomLeft(VedioPanel, 160);

    SPanel1 = named(new ChoicePanel(Panel2), "SPanel1");
    SPanel2 = named(new ChoicePanel(Panel2), "SPanel2");
    SPanel3 = named(new ChoicePanel(Panel2), "SPanel3");
    const std::array<ChoicePanel *, 3> panels{{SPanel1, SPanel2, SPanel3}};
    std::array<ShapeControl **, 3> shapes{{&Shape1, &Shape2, &Shape3}};
    std::array<ClickLabel **, 3> texts{{&lbask1, &lbask2, &lbask3}};
    std::array<PictureControl **, 3> pictures{{&Image1, &Image3, &Image2}};
    const char *shapeNames[] = {"Shape1", "Shape2", "Shape3"};
    const char *textNames[] = {"lbask1", "lbask2", "lbask3"};
    const char *pictureNames[] = {"Image1", "Image3", "Image2"};
    for (int i = 0; i < 3; ++i) {
        *texts[i] = named(new ClickLabel(QString(), panels[i]), textNames[i]);
        (*texts[i])->setAlignment(Qt::AlignCenter);
        (*texts[i])->setAutoFillBackground(true);
        (*texts[i])->hide();
        *pictures[i] = named(new PictureControl(panels[i]), pictureNames[i]);
        (*pictures[i])->hide();
        *shapes[i] = named(new ShapeControl(panels[i]), shapeNames[i]);
    }
    Panel2->setPanels({{SPanel1, SPanel2, SPanel3}});
    Marks = new PlayMarks({{SPanel1, SPanel2, SPanel3}}, Panel2);
}

void PlayArea::relayout()
{
    m_layout->relayout();
}

void PlayArea::setVideoEdge(int edgeIndex)
{
    static const DockLayout::Edge edges[] = {DockLayout::Top, DockLayout::Bottom, DockLayout::Right,
                                             DockLayout::Left};
    if (edgeIndex < 0 || edgeIndex >= 4)
        return;
    m_layout->setEdge(VedioPanel, edges[edgeIndex]);
    m_layout->setEdge(Splitter1, edges[edgeIndex]);
    relayout();
}

DockLayout::Edge PlayArea::videoEdge() const
{
    return m_layout->edge(VedioPanel);
}

QSize PlayArea::videoSize() const
{
    return m_layout->size(VedioPanel);
}

void PlayArea::setVideoSize(const QSize &size)
{
    m_layout->setSize(VedioPanel, size);
}

int PlayArea::videoThickness() const
{
    return m_layout->thickness(VedioPanel);
}

void PlayArea::setVideoThickness(int pixels)
{
    m_layout->setThickness(VedioPanel, pixels);
}

void PlayArea::showQuestionType(std::optional<QuestionType> type)
{
    for (ShapeControl *s : {Shape1, Shape2, Shape3})
        s->setVisible(type == QuestionType::Colours);
    for (ClickLabel *l : {lbask1, lbask2, lbask3})
        l->setVisible(type == QuestionType::Text);
    for (PictureControl *p : {Image1, Image2, Image3})
        p->setVisible(type == QuestionType::Pictures);
}

void PlayArea::showTexts(const std::array<QString, 3> &texts, const QFont &font, const QColor &color)
{
    const std::array<ClickLabel *, 3> labels{{lbask1, lbask2, lbask3}};
    for (int i = 0; i < 3; ++i) {
        labels[i]->setText(texts[i]);
        labels[i]->setFont(font);
        QPalette pal = labels[i]->palette();
        pal.setColor(QPalette::WindowText, color);
        labels[i]->setPalette(pal);
    }
}

void PlayArea::showColours(const std::array<QColor, 3> &colours)
{
    Shape1->setBrushColor(colours[0]);
    Shape2->setBrushColor(colours[1]);
    Shape3->setBrushColor(colours[2]);
    for (ClickLabel *l : {lbask1, lbask2, lbask3}) {
        QPalette pal = l->palette();
        pal.setColor(QPalette::Window, colours[0]);
        l->setPalette(pal);
    }
}

void PlayArea::setStretch(bool stretch)
{
    for (PictureControl *image : {Image1, Image2, Image3})
        image->setStretch(stretch);
}
