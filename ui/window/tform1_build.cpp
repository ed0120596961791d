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
    OptionsPC->addTab(TabSheet1, QStringLiteral("خيارات الدروس"));
    OptionsPC->addTab(m_childrenPage, QStringLiteral("قاعدة بيانات الأطفال"));
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
