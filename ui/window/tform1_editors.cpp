// The option editors and the help window's part of the main window.
#include "ui/window/tform1.h"

#include "core/base/quizerror.h"
#include "core/settings/windows1256.h"
#include "ui/help/thelpform.h"
#include "ui/window/clicklabel.h"
#include "ui/window/optionspage.h"
#include "ui/window/picturecontrol.h"
#include "ui/window/playarea.h"
#include "ui/window/radiogroup.h"
#include "ui/window/shapecontrol.h"

#include <QCheckBox>
#include <QLineEdit>

void TForm1::rg1Click()
{
    Panel4->Shape1->setKind(TabSheet1->rg1->itemIndex());
}

void TForm1::rg2Click()
{
    Panel4->Shape2->setKind(TabSheet1->rg2->itemIndex());
}

void TForm1::rg3Click()
{
    Panel4->Shape3->setKind(TabSheet1->rg3->itemIndex());
}

void TForm1::ColorLB1Click()
{
    TabSheet1->editColour(*m_dialogs, 1);
}

void TForm1::ColorLB2Click()
{
    TabSheet1->editColour(*m_dialogs, 2);
}

void TForm1::ColorLB3Click()
{
    TabSheet1->editColour(*m_dialogs, 3);
}

void TForm1::Button2Click()
{
    // The dialog opens on the font the first text shows now.
    const FontChoice current{Panel4->lbask1->font(), Panel4->lbask1->palette().color(QPalette::WindowText)};
    const std::optional<FontChoice> chosen = m_dialogs->chooseFont(current);
    if (!chosen)
        return;
    // The name goes into the settings file, which could not hold it.
    if (!Windows1256::canHold(chosen->font.family())) {
        m_dialogs->showMessage(Windows1256::refusalMessage());
        return;
    }
    FontDialog1 = *chosen;
    RefreshChoiceTexts();
}

// The pickers' rows pair with the picture slots in order; the slots
// themselves are crossed in the choice panels (Image2 lies in SPanel3).
void TForm1::BitBtn3Click()
{
    raiseIfFailed(TabSheet1->pickPicture(*m_dialogs, 1, Panel4->Image1,
                                         [this](const QString &source, QString *stored) { return keepPicture(source, stored); }));
}

void TForm1::BitBtn4Click()
{
    raiseIfFailed(TabSheet1->pickPicture(*m_dialogs, 2, Panel4->Image2,
                                         [this](const QString &source, QString *stored) { return keepPicture(source, stored); }));
}

void TForm1::BitBtn5Click()
{
    raiseIfFailed(TabSheet1->pickPicture(*m_dialogs, 3, Panel4->Image3,
                                         [this](const QString &source, QString *stored) { return keepPicture(source, stored); }));
}

bool TForm1::loadPictureSilently(int slot)
{
    QLineEdit *const edits[] = {TabSheet1->ImgEd1, TabSheet1->ImgEd2, TabSheet1->ImgEd3};
    PictureControl *const images[] = {Panel4->Image1, Panel4->Image2, Panel4->Image3};
    return slot >= 1 && slot <= 3 && images[slot - 1]->loadFile(edits[slot - 1]->text());
}

void TForm1::StretchChkClick()
{
    Panel4->setStretch(TabSheet1->StretchChk->isChecked());
}

void TForm1::loadHelpPage()
{
    // Start-up may come without a help window from outside: the window then
    // keeps one of its own, closed and destroyed with it.
    if (!HelpForm)
        HelpForm = new THelpForm(this);
    HelpForm->loadPage(m_settings.helpPage());
}

void TForm1::BitBtn2Click()
{
    if (!HelpForm)
        HelpForm = new THelpForm(this);
    HelpForm->showHelp();
}
