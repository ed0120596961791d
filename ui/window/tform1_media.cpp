// The clip players' part of the main window: the handlers of the clip rows
// hand their work to MediaRows (ui/media), which holds the five players.
#include "ui/window/tform1.h"

#include "core/base/quizerror.h"
#include "core/media/clipplayer.h"
#include "ui/media/mediarows.h"
#include "ui/window/optionspage.h"
#include "ui/window/playarea.h"
#include "ui/window/radiogroup.h"

void TForm1::buildMediaControls()
{
    m_media = new MediaRows({{TabSheet1->MP1, TabSheet1->MP2, TabSheet1->MP3, TabSheet1->MPTrue, TabSheet1->MPFalse}}, TabSheet1->SoundNote, Panel4->VedioPanel, *m_mixer, this);
    connect(m_media, &MediaRows::clipRefused, this, &TForm1::reportError);
    connect(m_media, &MediaRows::buttonClicked, this, [this](int clip, ClipPlayerBar::Button button) {
        guarded([this, clip, button] { playerButtonClicked(clip, button); });
    });
}

QString TForm1::MediaExt() const
{
    return m_media->mediaExt();
}

ClipPlayer &TForm1::player(int clip) const
{
    return m_media->player(clip);
}

void TForm1::SetupMediaFiles()
{
    // Every clip that can be opened is; the others are told together and
    // what follows (at start-up, the first question) goes on.
    // Where lessons carry their own clips, a named lesson's folder holds them.
    const QString lessonDir = selfContainedLessons() ? currentLessonDir() : QString();
    const Result opened = m_media->setup(dataRoot(), TabSheet1->AVRG->itemIndex(),
                                         lessonDir == m_settings.dataDir() ? QString() : lessonDir);
    if (!opened)
        reportError(opened.text);
}

void TForm1::ResetClip(int clip)
{
    raiseIfFailed(m_media->reset(clip, dataRoot()));
}

// The reset buttons in the order of the rows' players: MPTrue, MP1, MP2,
// MP3, MPFalse.
void TForm1::SpeedButton1Click() { ResetClip(3); }
void TForm1::SpeedButton2Click() { ResetClip(0); }
void TForm1::SpeedButton3Click() { ResetClip(1); }
void TForm1::SpeedButton4Click() { ResetClip(2); }
void TForm1::SpeedButton5Click() { ResetClip(4); }

namespace {

// The one thing the player handlers do: before a stop is carried out, the
// clip (with a recording just made) is written to its file.
void saveBeforeStop(ClipPlayer &player, ClipPlayerBar::Button button)
{
    if (button != ClipPlayerBar::Button::Stop)
        return;
    raiseIfFailed(player.save());
}

} // namespace

void TForm1::MP1Click(ClipPlayerBar::Button button) { saveBeforeStop(player(0), button); }
void TForm1::MP2Click(ClipPlayerBar::Button button) { saveBeforeStop(player(1), button); }
void TForm1::MP3Click(ClipPlayerBar::Button button) { saveBeforeStop(player(2), button); }
void TForm1::MPTrueClick(ClipPlayerBar::Button button) { saveBeforeStop(player(3), button); }
void TForm1::MPFalseClick(ClipPlayerBar::Button button) { saveBeforeStop(player(4), button); }

void TForm1::playerButtonClicked(int clip, ClipPlayerBar::Button button)
{
    using Handler = void (TForm1::*)(ClipPlayerBar::Button);
    static const Handler handlers[MediaRows::ClipCount] = {
        &TForm1::MP1Click, &TForm1::MP2Click, &TForm1::MP3Click, &TForm1::MPTrueClick,
        &TForm1::MPFalseClick};
    (this->*handlers[clip])(button);
    raiseIfFailed(m_media->carryOut(clip, button));
}
