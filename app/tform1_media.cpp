// The clip players' part of the main window.
#include "app/tform1.h"

#include "app/quizerror.h"
#include "app/radiogroup.h"
#include "media/clipplayer.h"

void TForm1::SetupMediaFiles()
{
    if (AVRG->itemIndex() == 0)
        MediaExt = QStringLiteral("wav");
    else if (AVRG->itemIndex() == 1)
        MediaExt = QStringLiteral("avi");
    for (ClipPlayer *p : m_players)
        p->close();
    static const char *names[] = {"color1.", "color2.", "color3.", "true.", "false."};
    for (int i = 0; i < 5; ++i)
        m_players[i]->setFileName(AppDir + QStringLiteral("Data/") + QLatin1String(names[i]) + MediaExt);
    for (ClipPlayer *p : m_players) {
        QString error;
        if (!p->open(&error))
            throw QuizError(error);
    }
    VedioPanel->setVisible(AVRG->itemIndex() == 1);
}

void TForm1::startClip(Clip clip)
{
    QString error;
    if (!::startClip(*m_players[int(clip)], *m_random, &error))
        throw QuizError(error);
}

void TForm1::saveClips()
{
    for (ClipPlayer *p : m_players) {
        // A player without an open clip holds nothing new to save.
        if (!p->isOpen())
            continue;
        QString error;
        if (!p->save(&error))
            throw QuizError(error);
    }
}

// Emptying a clip arrives with the clip players; until then the buttons do nothing.
void TForm1::SpeedButton1Click() {}
void TForm1::SpeedButton2Click() {}
void TForm1::SpeedButton3Click() {}
void TForm1::SpeedButton4Click() {}
void TForm1::SpeedButton5Click() {}
