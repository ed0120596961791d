// The option editors and the help window's part of the main window.
#include "app/tform1.h"

#include "app/radiogroup.h"
#include "app/shapecontrol.h"

void TForm1::rg1Click()
{
    Shape1->setKind(rg1->itemIndex());
}

void TForm1::rg2Click()
{
    Shape2->setKind(rg2->itemIndex());
}

void TForm1::rg3Click()
{
    Shape3->setKind(rg3->itemIndex());
}

// The editors below arrive with the option editors; until then they do nothing.
void TForm1::ColorLB1Click() {}
void TForm1::ColorLB2Click() {}
void TForm1::ColorLB3Click() {}
void TForm1::Button2Click() {}
void TForm1::BitBtn3Click() {}
void TForm1::BitBtn4Click() {}
void TForm1::BitBtn5Click() {}
void TForm1::StretchChkClick() {}
void TForm1::BitBtn2Click() {}
void TForm1::loadHelpPage() {}
