// The control tree of the main window: the play area, the options pane with
// its two pages, the clip rows and the timer. The pages build their own
// controls (playarea.cpp, optionspage.cpp, childrenpage.cpp); the window
// keeps their names.
#include "ui/window/tform1.h"

#include "ui/children/childrenpage.h"
#include "ui/window/docklayout.h"
#include "ui/window/optionschord.h"
#include "ui/window/optionspage.h"
#include "ui/window/playarea.h"
#include "ui/window/statusstrip.h"

#include <QTabWidget>
#include <QTimer>

void TForm1::buildControls()
{
    m_rootLayout = new DockLayout(this);
    Panel4 = new PlayArea(OptionsChord::names(), this);

    OptionsPC = new QTabWidget(this);
    OptionsPC->setObjectName(QStringLiteral("OptionsPC"));
    OptionsPC->setDocumentMode(true); // no frame: the pages keep the full 430 pixels
    TabSheet1 = new OptionsPage;
    // Made inside the pane so that it reads right to left from the start.
    m_childrenPage = new ChildrenPage(*m_dialogs, OptionsPC);
    TabSheet2 = m_childrenPage;
    OptionsPC->addTab(TabSheet1, QStringLiteral("خيارات الدروس"));
    OptionsPC->addTab(TabSheet2, QStringLiteral("قاعدة بيانات الأطفال"));
    nameControls();
    bindChildrenPage();
    bindSettingsControls();
    buildMediaControls();

    m_rootLayout->addWidget(OptionsPC, DockLayout::Right, QSize(464, 612));
    m_rootLayout->addWidget(Panel4, DockLayout::Fill);
    OptionsPC->hide();

    playwaitTimer = new QTimer(this);
    playwaitTimer->setObjectName(QStringLiteral("playwaitTimer"));
    // A coarse timer may fire up to 5% early: a 5 s wait became 4.76 s.
    // The teacher's waiting time is a promise to the child, so keep it exact.
    playwaitTimer->setTimerType(Qt::PreciseTimer);
    playwaitTimer->setInterval(2000);
}

// The window's own names for the pages' controls.
void TForm1::nameControls()
{
    PlayArea *play = Panel4;
    StatusStrip *strip = play->Panel6;
    Panel6 = strip;
    VedioPanel = play->VedioPanel;
    Splitter1 = play->Splitter1;
    Panel2 = play->Panel2;
    SPanel1 = play->SPanel1, SPanel2 = play->SPanel2, SPanel3 = play->SPanel3;
    lbask1 = play->lbask1, lbask2 = play->lbask2, lbask3 = play->lbask3;
    Image1 = play->Image1, Image2 = play->Image2, Image3 = play->Image3;
    Shape1 = play->Shape1, Shape2 = play->Shape2, Shape3 = play->Shape3;
    Panel7 = strip->Panel7;
    SpeedButton8 = strip->SpeedButton8;
    Label14 = strip->Label14, Label10 = strip->Label10, Label13 = strip->Label13, Label12 = strip->Label12;
    Shape4 = strip->Shape4, Shape5 = strip->Shape5, Shape6 = strip->Shape6, Shape7 = strip->Shape7;
    DBText1 = strip->DBText1, DBText2 = strip->DBText2, DBText3 = strip->DBText3;
    SchoolLbl = strip->SchoolLbl;

    OptionsPage *o = TabSheet1;
    OptPanel = o->OptPanel;
    BitBtn1 = o->BitBtn1, Button1 = o->Button1, Button2 = o->Button2, BitBtn2 = o->BitBtn2;
    Label2 = o->Label2, Label7 = o->Label7, Label8 = o->Label8;
    CurLesson = o->CurLesson;
    Lesson = o->Lesson;
    SpeedButton7 = o->SpeedButton7, SpeedButton6 = o->SpeedButton6;
    ProButton1 = o->ProButton1, ProButton2 = o->ProButton2;
    Label15 = o->Label15, Label16 = o->Label16;
    WaitSE = o->WaitSE;
    Panel3 = o->Panel3;
    VedioLocationRG = o->VedioLocationRG;
    AskColorED = o->AskColorED, ResED = o->ResED;
    Lb2 = o->Lb2;
    AskForRG = o->AskForRG, AskForColorRG = o->AskForColorRG, AVRG = o->AVRG;
    SpeedButton1 = o->SpeedButton1, SpeedButton2 = o->SpeedButton2, SpeedButton3 = o->SpeedButton3;
    SpeedButton4 = o->SpeedButton4, SpeedButton5 = o->SpeedButton5;
    MP1 = o->MP1, MP2 = o->MP2, MP3 = o->MP3, MPTrue = o->MPTrue, MPFalse = o->MPFalse;
    ColorLB1 = o->ColorLB1, ColorLB2 = o->ColorLB2, ColorLB3 = o->ColorLB3;
    Label1 = o->Label1, Label3 = o->Label3;
    TextPanel = o->TextPanel;
    Label5 = o->Label5;
    Ed1 = o->Ed1, Ed2 = o->Ed2, Ed3 = o->Ed3;
    BitBtn3 = o->BitBtn3, BitBtn4 = o->BitBtn4, BitBtn5 = o->BitBtn5;
    Label9 = o->Label9;
    StretchChk = o->StretchChk;
    Label4 = o->Label4;
    SoundNote = o->SoundNote;
    Panel5 = o->Panel5;
    Label6 = o->Label6;
    ImgEd1 = o->ImgEd1, ImgEd2 = o->ImgEd2, ImgEd3 = o->ImgEd3;
    rg1 = o->rg1, rg2 = o->rg2, rg3 = o->rg3;

    ChildrenPage *page = m_childrenPage;
    Panel1 = page->Panel1;
    Label11 = page->Label11;
    BitBtn7 = page->BitBtn7, BitBtn8 = page->BitBtn8, BitBtn6 = page->BitBtn6;
    DBNavigator1 = page->DBNavigator1;
    DBGrid1 = page->DBGrid1;
    Table1 = page->Table1;
    DataSource1 = page->DataSource1;
}
