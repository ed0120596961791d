// Play without a mouse or without sound: the keys and switches that move
// the frame and answer, automatic scanning, the tick or cross, and the wait
// for the question to be heard.
#include "ui/window/tform1.h"

#include "core/media/clipplayer.h"
#include "core/media/sounddevices.h"
#include "ui/window/accesspage.h"
#include "ui/window/playarea.h"
#include "ui/window/playmarks.h"

#include <QKeyEvent>
#include <QTimer>

bool TForm1::playKey(const QKeyEvent *event)
{
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    switch (event->key()) {
    case Qt::Key_Down:
        guarded([this] { stepFrame(1); });
        return true;
    case Qt::Key_Up:
        guarded([this] { stepFrame(-1); });
        return true;
    case Qt::Key_Space:
        // Two switches step with Space; one switch selects with it.
        if (access().scanAuto) {
            if (!event->isAutoRepeat())
                guarded([this] { answerFramed(); });
        } else {
            guarded([this] { stepFrame(1); });
        }
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // A key held down answers once.
        if (!event->isAutoRepeat())
            guarded([this] { answerFramed(); });
        return true;
    default:
        return false;
    }
}

AccessSettings TForm1::access() const
{
    return m_accessPage->values();
}

void TForm1::answerFromPlay(quint8 choice)
{
    if (!optionsMode()) {
        const AccessSettings a = access();
        // While scanning, a click anywhere is the one switch's press.
        if (a.scanAuto) {
            const int framed = framedChoice();
            if (framed == 0)
                return;
            choice = quint8(framed);
        }
        // An answer before the question was heard is not an answer.
        if (a.waitForQuestion && !m_questionHeard)
            return;
    }
    AnswerChoice(choice);
}

int TForm1::framedChoice() const
{
    return Panel4->Marks->panelInRow(Panel4->Marks->framedRow()) + 1;
}

void TForm1::stepFrame(int step)
{
    if (optionsMode() || m_cycle->answered())
        return;
    Panel4->Marks->stepFrame(step);
    // A step by hand gives the child the full interval on the new panel.
    if (m_scanTimer->isActive())
        m_scanTimer->start();
}

void TForm1::answerFramed()
{
    if (optionsMode() || m_cycle->answered())
        return;
    // Exactly as a click on the framed panel.
    switch (framedChoice()) {
    case 1: SPanel1Click(); break;
    case 2: SPanel2Click(); break;
    case 3: SPanel3Click(); break;
    default: break;
    }
}

void TForm1::questionPlaced()
{
    const quint8 asked = m_cycle->asked();
    // With no sound output (or a clip that did not start) there is nothing
    // to wait for.
    m_questionHeard = asked < 1 || asked > 3 || !SoundDevices::hasOutput()
        || player(asked - 1).state() != ClipPlayer::State::Playing;
    Panel4->Marks->setMark(-1, PlayMarks::Mark::None);
    Panel4->Marks->setFramedRow(optionsMode() ? -1 : 0);
    startScanning();
}

void TForm1::answerShown(quint8 clicked, Judgement judgement)
{
    m_scanTimer->stop();
    if (access().visualFeedback)
        Panel4->Marks->setMark(clicked - 1, judgement == Judgement::Right ? PlayMarks::Mark::Tick : PlayMarks::Mark::Cross);
}

void TForm1::startScanning()
{
    const AccessSettings a = access();
    if (!a.scanAuto || optionsMode() || m_cycle->answered()) {
        m_scanTimer->stop();
        return;
    }
    m_scanTimer->start(a.scanIntervalMs);
}

void TForm1::scanTimerTimer()
{
    if (optionsMode() || m_cycle->answered() || !access().scanAuto) {
        m_scanTimer->stop();
        return;
    }
    Panel4->Marks->stepFrame(1);
}

void TForm1::applyAccess()
{
    m_scanTimer->setInterval(access().scanIntervalMs);
    startScanning();
}
