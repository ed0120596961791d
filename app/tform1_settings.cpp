// The settings files' and lessons' part of the main window.
#include "app/tform1.h"

#include "app/appdir.h"

void TForm1::LoadOptions()
{
    AppDir = deriveAppDir(m_programFile);
    openResultsTable();
    // Reading the settings files arrives with the options file; until then
    // the controls keep their built-in values.
    AskForRGClick();
    VedioLocationRGClick();
    StretchChkClick();
}

void TForm1::SaveOptions()
{
    saveClips();
}

// Lessons arrive with the lesson library; until then these do nothing.
void TForm1::CurLessonChange() {}
void TForm1::LessonChange() {}
void TForm1::SpeedButton7Click() {}
void TForm1::ProButton1Click() {}
void TForm1::ProButton2Click() {}
void TForm1::SpeedButton6Click() {}
