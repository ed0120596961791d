// The control tree of the main window: names, captions, hints and places.
#include "ui/window/tform1.h"

#include "ui/children/childrenpage.h"
#include "ui/window/choicearea.h"
#include "ui/window/choicepanel.h"
#include "ui/window/clicklabel.h"
#include "ui/window/docklayout.h"
#include "ui/window/docksplitter.h"
#include "ui/window/picturecontrol.h"
#include "ui/window/radiogroup.h"
#include "ui/window/shapecontrol.h"

#include <QCheckBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QSpinBox>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

template <typename W>
W *named(W *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

template <typename W>
W *placed(W *widget, const char *name, int left, int top, int width = -1, int height = -1)
{
    named(widget, name);
    if (width < 0 || height < 0) {
        widget->adjustSize();
        widget->move(left, top);
    } else {
        widget->setGeometry(left, top, width, height);
    }
    return widget;
}

QLabel *label(QWidget *parent, const char *name, const QString &text, int left, int top)
{
    return placed(new QLabel(text, parent), name, left, top);
}

QToolButton *speedButton(QWidget *parent, const char *name, const QString &text, int left,
                         int top, int width, int height)
{
    auto *b = placed(new QToolButton(parent), name, left, top, width, height);
    b->setText(text);
    b->setFocusPolicy(Qt::NoFocus);
    b->setAutoRaise(false);
    return b;
}

QFrame *separator(QWidget *parent, const char *name)
{
    auto *line = named(new QFrame(parent), name);
    line->setFrameShape(QFrame::VLine);
    line->setFrameShadow(QFrame::Plain);
    line->setFixedWidth(1);
    return line;
}

QFont pixelFont(int pixels)
{
    QFont f;
    f.setPixelSize(pixels);
    return f;
}

} // namespace

void TForm1::buildControls()
{
    m_rootLayout = new DockLayout(this);
    buildPlayArea();
    buildOptionsPane();
    buildMediaControls();
    m_rootLayout->addWidget(OptionsPC, DockLayout::Right, QSize(464, 612));
    m_rootLayout->addWidget(Panel4, DockLayout::Fill);
    OptionsPC->hide();

    playwaitTimer = named(new QTimer(this), "playwaitTimer");
    // A coarse timer may fire up to 5% early: a 5 s wait became 4.76 s.
    // The teacher's waiting time is a promise to the child, so keep it exact.
    playwaitTimer->setTimerType(Qt::PreciseTimer);
    playwaitTimer->setInterval(2000);
}

void TForm1::buildPlayArea()
{
    Panel4 = named(new QWidget(this), "Panel4");
    m_playLayout = new DockLayout(Panel4);

    Panel6 = named(new QWidget(Panel4), "Panel6");
    buildStatusStrip();

    VedioPanel = named(new QWidget(Panel4), "VedioPanel");
    VedioPanel->setAutoFillBackground(true);
    VedioPanel->setPalette(QPalette(Qt::black));

    Splitter1 = named(new DockSplitter(m_playLayout, VedioPanel, Panel4), "Splitter1");
    Splitter1->setToolTip(QStringLiteral("اضغط واسحب للتكبير"));
    Splitter1->hide();

    Panel2 = named(new ChoiceArea(Panel4), "Panel2");

    // The status strip is the outermost bottom child; the splitter lies
    // between the video panel and the choice area on every edge.
    m_playLayout->addWidget(Panel6, DockLayout::Bottom, QSize(1003, 25));
    m_playLayout->addWidget(VedioPanel, DockLayout::Bottom, QSize(537, 167));
    m_playLayout->addWidget(Splitter1, DockLayout::Bottom, QSize(537, 4));
    m_playLayout->addWidget(Panel2, DockLayout::Fill);
    // However large a stored video size is, the child keeps three panels to click.
    m_playLayout->setRoomLeft(VedioPanel, 160);

    SPanel1 = named(new ChoicePanel(Panel2), "SPanel1");
    SPanel2 = named(new ChoicePanel(Panel2), "SPanel2");
    SPanel3 = named(new ChoicePanel(Panel2), "SPanel3");
    const std::array<ChoicePanel *, 3> panels{{SPanel1, SPanel2, SPanel3}};
    std::array<ShapeControl **, 3> shapes{{&Shape1, &Shape2, &Shape3}};
    std::array<ClickLabel **, 3> texts{{&lbask1, &lbask2, &lbask3}};
    // The pictures are crossed: the second panel shows picture slot 3 and
    // the third panel picture slot 2.
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
}

void TForm1::buildStatusStrip()
{
    // Laid out from left to right whatever the reading order; the texts
    // themselves still read from right to left.
    Panel6->setLayoutDirection(Qt::LeftToRight);
    auto *strip = new QHBoxLayout(Panel6);
    strip->setContentsMargins(0, 1, 0, 1);
    strip->setSpacing(0);

    Panel7 = named(new QWidget(Panel6), "Panel7");
    Panel7->setFixedSize(35, 23);
    SpeedButton8 = named(new QToolButton(Panel7), "SpeedButton8");
    SpeedButton8->setGeometry(0, 0, 35, 23);
    SpeedButton8->setFocusPolicy(Qt::NoFocus);
    SpeedButton8->setIcon(style()->standardIcon(QStyle::SP_MediaVolume));

    Label14 = named(new QLabel(QStringLiteral("  www.quiz.example  "), Panel6), "Label14");
    Label14->setFixedWidth(114);
    Label14->setAlignment(Qt::AlignCenter);
    Label14->setFont(pixelFont(11));
    Label10 = named(new QLabel(QStringLiteral("  للخيارات اضغط ") + optionsChords() + QStringLiteral("  "), Panel6),
                    "Label10");
    Label10->setAlignment(Qt::AlignCenter);
    Label10->setFont(pixelFont(11));
    // Both chords are named: the label is as wide as its text needs.
    Label10->setFixedWidth(qMax(145, Label10->fontMetrics().horizontalAdvance(Label10->text()) + 8));
    Shape4 = separator(Panel6, "Shape4");
    DBText2 = named(new QLabel(Panel6), "DBText2");
    DBText2->setFixedWidth(49);
    DBText2->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label13 = named(new QLabel(QStringLiteral("        إجابة خطأ   "), Panel6), "Label13");
    Label13->setFixedWidth(79);
    Shape7 = separator(Panel6, "Shape7");
    DBText3 = named(new QLabel(Panel6), "DBText3");
    DBText3->setFixedWidth(49);
    DBText3->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label12 = named(new QLabel(QStringLiteral("        إجابة صح:   "), Panel6), "Label12");
    Label12->setFixedWidth(80);
    Shape5 = separator(Panel6, "Shape5");
    DBText1 = named(new QLabel(Panel6), "DBText1");
    DBText1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Shape6 = separator(Panel6, "Shape6");

    for (QWidget *w : {static_cast<QWidget *>(Panel7), static_cast<QWidget *>(Label14),
                       static_cast<QWidget *>(Label10), static_cast<QWidget *>(Shape4),
                       static_cast<QWidget *>(DBText2), static_cast<QWidget *>(Label13),
                       static_cast<QWidget *>(Shape7), static_cast<QWidget *>(DBText3),
                       static_cast<QWidget *>(Label12), static_cast<QWidget *>(Shape5)})
        strip->addWidget(w);
    strip->addWidget(DBText1, 1);
    strip->addWidget(Shape6);
    for (QLabel *l : {Label14, Label10, DBText2, Label13, DBText3, Label12, DBText1})
        l->setLayoutDirection(Qt::RightToLeft);
}

void TForm1::buildOptionsPane()
{
    OptionsPC = named(new QTabWidget(this), "OptionsPC");
    OptionsPC->setDocumentMode(true); // no frame: the pages keep the full 430 pixels
    TabSheet1 = named(new QWidget, "TabSheet1");
    // Made inside the pane so that it reads right to left from the start.
    m_childrenPage = new ChildrenPage(*m_dialogs, OptionsPC);
    TabSheet2 = m_childrenPage;
    OptionsPC->addTab(TabSheet1, QStringLiteral("خيارات الدروس"));
    OptionsPC->addTab(TabSheet2, QStringLiteral("قاعدة بيانات الأطفال"));

    auto *fill = new QVBoxLayout(TabSheet1);
    fill->setContentsMargins(0, 0, 0, 0);
    OptPanel = named(new QWidget(TabSheet1), "OptPanel");
    fill->addWidget(OptPanel);
    buildLessonsPage();
    buildEditors();
    buildChildrenPage();
    bindSettingsControls();
}

void TForm1::buildLessonsPage()
{
    QWidget *p = OptPanel;
    BitBtn1 = placed(new QPushButton(QStringLiteral("الخروج"), p), "BitBtn1", 8, 8, 75, 25);
    BitBtn1->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    Button1 = placed(new QPushButton(QStringLiteral("اخفاء الخيارات"), p), "Button1", 8, 37, 75, 25);
    Button2 = placed(new QPushButton(QStringLiteral("تغيير الخط"), p), "Button2", 8, 66, 75, 25);
    BitBtn2 = placed(new QPushButton(QStringLiteral("مساعدة"), p), "BitBtn2", 8, 94, 75, 25);
    BitBtn2->setIcon(style()->standardIcon(QStyle::SP_DialogHelpButton));
    Label2 = label(p, "Label2", QStringLiteral("خيارات"), 169, 2);
    Label2->setFont(pixelFont(24));
    Label2->setGeometry(169, 2, 79, 37);
    Label7 = label(p, "Label7", QStringLiteral("الدروس"), 383, 35);
    Label8 = label(p, "Label8", QStringLiteral("الدرس الحالي:"), 256, 40);
    CurLesson = placed(new QLineEdit(QStringLiteral("الدرس الحالي المختار"), p), "CurLesson", 88, 37, 165, 21);
    CurLesson->setReadOnly(true);
    {
        QPalette pal = CurLesson->palette();
        pal.setColor(QPalette::Base, Qt::yellow);
        CurLesson->setPalette(pal);
    }
    Lesson = placed(new QListView(p), "Lesson", 256, 56, 169, 129);
    SpeedButton7 = speedButton(p, "SpeedButton7", QStringLiteral("اختيار الدرس التلقائي"), 150, 59, 100, 22);
    SpeedButton7->setToolTip(SpeedButton7->text());
    ProButton1 = placed(new QPushButton(QStringLiteral("حفظ الدرس الحالي إلى الاسم المختار"), p),
                        "ProButton1", 150, 84, 100, 33);
    ProButton2 = placed(new QPushButton(QStringLiteral("إنشاء درس جديد من الوضع الحالي"), p),
                        "ProButton2", 150, 119, 100, 33);
    for (QPushButton *b : {ProButton1, ProButton2}) {
        // A push button cannot wrap its caption; a wrapped label inside it can.
        const QString text = b->text();
        b->setText(QString());
        auto *inner = new QLabel(text, b);
        inner->setWordWrap(true);
        inner->setAlignment(Qt::AlignCenter);
        inner->setAttribute(Qt::WA_TransparentForMouseEvents);
        inner->setGeometry(b->rect().adjusted(3, 1, -3, -1));
        b->setAccessibleName(text);
    }
    SpeedButton6 = speedButton(p, "SpeedButton6", QStringLiteral("حذف الدرس المختار"), 150, 155, 100, 22);
    SpeedButton6->setToolTip(SpeedButton6->text());
    Label15 = label(p, "Label15", QStringLiteral("مؤقت انتظار بين الأسئلة"), 23, 136);
    WaitSE = placed(new QSpinBox(p), "WaitSE", 56, 152, 57, 22);
    WaitSE->setRange(1, 60);
    WaitSE->setValue(2);
    Label16 = label(p, "Label16", QStringLiteral("ثانية"), 28, 155);
    Panel3 = placed(new QWidget(p), "Panel3", 2, 185, 425, 384);
    VedioLocationRG = placed(new RadioGroup(QStringLiteral("موضع الفيديو"),
                                            {QStringLiteral("أعلى"), QStringLiteral("أسفل"),
                                             QStringLiteral("يمين"), QStringLiteral("يسار")},
                                            p),
                             "VedioLocationRG", 357, 305, 70, 105);
    VedioLocationRG->setItemIndex(0);
    AskColorED = placed(new QLineEdit(QStringLiteral("N"), p), "AskColorED", 28, 568, 25, 21);
    AskColorED->hide();
    ResED = placed(new QLineEdit(QStringLiteral("N"), p), "ResED", 76, 568, 25, 21);
    ResED->hide();
    Lb2 = label(p, "Lb2", QStringLiteral("1"), 117, 568);
    Lb2->setLayoutDirection(Qt::LeftToRight);
    Lb2->setFont(QFont(QStringLiteral("Times New Roman"), -1));
    Lb2->hide();
}

void TForm1::buildEditors()
{
    QWidget *p = Panel3;
    AskForRG = placed(new RadioGroup(QStringLiteral("نوع السؤال"),
                                     {QStringLiteral("ألوان"), QStringLiteral("نص"), QStringLiteral("صور")}, p),
                      "AskForRG", 358, 8, 67, 105);
    AskForRG->setItemIndex(0);
    AskForColorRG = placed(new RadioGroup(QStringLiteral("الخيار المطلوب"),
                                          {QStringLiteral("عشوائي"), QStringLiteral("الأول"),
                                           QStringLiteral("الثاني"), QStringLiteral("الثالث")},
                                          p),
                           "AskForColorRG", 270, 8, 81, 105);
    AskForColorRG->setItemIndex(0);
    AVRG = placed(new RadioGroup(QStringLiteral("طريقة التفاعل"),
                                 {QStringLiteral("صوت wav"), QStringLiteral("فيديو avi")}, p),
                  "AVRG", 270, 120, 81, 49);
    AVRG->setItemIndex(0);

    const char *resetNames[] = {"SpeedButton2", "SpeedButton3", "SpeedButton4", "SpeedButton1", "SpeedButton5"};
    QToolButton **resets[] = {&SpeedButton2, &SpeedButton3, &SpeedButton4, &SpeedButton1, &SpeedButton5};
    const char *playerNames[] = {"MP1", "MP2", "MP3", "MPTrue", "MPFalse"};
    ClipPlayerBar **players[] = {&MP1, &MP2, &MP3, &MPTrue, &MPFalse};
    const int rowTops[] = {16, 48, 80, 112, 143};
    const int resetTops[] = {16, 48, 80, 112, 144};
    for (int i = 0; i < 5; ++i) {
        *resets[i] = speedButton(p, resetNames[i], QStringLiteral("X"), 246, resetTops[i], 23, 22);
        (*resets[i])->setToolTip(QStringLiteral("حذف الملف"));
        *players[i] = placed(new ClipPlayerBar(p), playerNames[i], 159, rowTops[i], 85, 22);
    }

    const QString colourHint = QStringLiteral("اضغط هنا لتغيير اللون");
    ColorLB1 = placed(new ClickLabel(QStringLiteral("اللون الأول"), p), "ColorLB1", 92, 16, 64, 25);
    ColorLB2 = placed(new ClickLabel(QStringLiteral("اللون الثاني"), p), "ColorLB2", 92, 48, 64, 25);
    ColorLB3 = placed(new ClickLabel(QStringLiteral("اللون الثالث"), p), "ColorLB3", 92, 80, 64, 25);
    const QColor colours[] = {Qt::red, Qt::yellow, Qt::blue};
    int i = 0;
    for (ClickLabel *c : {ColorLB1, ColorLB2, ColorLB3}) {
        c->setAlignment(Qt::AlignCenter);
        c->setAutoFillBackground(true);
        c->setToolTip(colourHint);
        setLabelColor(c, colours[i++]);
    }
    Label1 = label(p, "Label1", QStringLiteral("الجواب صح"), 101, 116);
    Label3 = label(p, "Label3", QStringLiteral("الجواب خطأ"), 99, 149);

    TextPanel = placed(new QFrame(p), "TextPanel", 48, 0, 44, 104);
    static_cast<QFrame *>(TextPanel)->setFrameShape(QFrame::StyledPanel);
    Label5 = label(TextPanel, "Label5", QStringLiteral("النص"), 17, 3);
    Ed1 = placed(new QLineEdit(QStringLiteral("1"), TextPanel), "Ed1", 5, 16, 33, 21);
    Ed2 = placed(new QLineEdit(QStringLiteral("2"), TextPanel), "Ed2", 5, 48, 33, 21);
    Ed3 = placed(new QLineEdit(QStringLiteral("3"), TextPanel), "Ed3", 5, 80, 33, 21);
    TextPanel->hide();

    const QIcon pictureIcon = style()->standardIcon(QStyle::SP_DirOpenIcon);
    BitBtn3 = placed(new QPushButton(p), "BitBtn3", 15, 16, 29, 25);
    BitBtn4 = placed(new QPushButton(p), "BitBtn4", 15, 48, 29, 25);
    BitBtn5 = placed(new QPushButton(p), "BitBtn5", 15, 80, 29, 25);
    for (QPushButton *b : {BitBtn3, BitBtn4, BitBtn5})
        b->setIcon(pictureIcon);
    BitBtn3->setToolTip(QStringLiteral("تغيير الصورة 1"));
    Label9 = label(p, "Label9", QStringLiteral("الصور"), 14, 1);
    StretchChk = placed(new QCheckBox(QStringLiteral("تمدد الصورة"), p), "StretchChk", 0, 112, 81, 17);
    Label4 = placed(new QLabel(QStringLiteral("ملفات الصوت والفيديو موجودة في المجلد Data يمكنك تغييرها بأي برنامج "
                                              "شرط أن تبقى بالاسم نفسه مع ابقاء نوع الملف نفسه وهما avi و wav"),
                               p),
                    "Label4", 8, 173, 217, 68);
    Label4->setWordWrap(true);
    SoundNote = placed(new QLabel(p), "SoundNote", 8, 245, 217, 40);
    SoundNote->setWordWrap(true);
    SoundNote->hide();

    Panel5 = placed(new QWidget(p), "Panel5", 256, 184, 70, 104);
    Label6 = label(Panel5, "Label6", QStringLiteral("الصور"), 5, 0);
    ImgEd1 = placed(new QLineEdit(Panel5), "ImgEd1", 5, 16, 60, 21);
    ImgEd2 = placed(new QLineEdit(Panel5), "ImgEd2", 5, 48, 60, 21);
    ImgEd3 = placed(new QLineEdit(Panel5), "ImgEd3", 5, 80, 60, 21);
    Panel5->hide();

    const QStringList kinds{QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2"),
                            QStringLiteral("3"), QStringLiteral("4"), QStringLiteral("5")};
    rg1 = placed(new RadioGroup(QStringLiteral("الشكل الأول"), kinds, p), "rg1", 168, 253, 73, 105);
    rg2 = placed(new RadioGroup(QStringLiteral("الشكل الثاني"), kinds, p), "rg2", 92, 253, 73, 105);
    rg3 = placed(new RadioGroup(QStringLiteral("الشكل الثالث"), kinds, p), "rg3", 16, 253, 73, 105);
    for (RadioGroup *g : {rg1, rg2, rg3}) {
        g->setItemIndex(0);
        g->hide();
    }
    // The video place sits over the editors' panel.
    VedioLocationRG->raise();
}

// The page builds its own controls; the window keeps their names.
void TForm1::buildChildrenPage()
{
    ChildrenPage *page = m_childrenPage;
    Panel1 = page->Panel1;
    Label11 = page->Label11;
    BitBtn7 = page->BitBtn7;
    BitBtn8 = page->BitBtn8;
    BitBtn6 = page->BitBtn6;
    DBNavigator1 = page->DBNavigator1;
    DBGrid1 = page->DBGrid1;
    Table1 = page->Table1;
    DataSource1 = page->DataSource1;
    bindChildrenPage();
}
