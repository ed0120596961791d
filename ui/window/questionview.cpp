#include "ui/window/questionview.h"

#include "core/base/quizerror.h"
#include "core/records/childrecord.h"
#include "ui/media/mediarows.h"
#include "ui/window/choicearea.h"
#include "ui/window/clicklabel.h"
#include "ui/window/optionspage.h"
#include "ui/window/playarea.h"
#include "ui/window/radiogroup.h"
#include "ui/window/shapecontrol.h"

#include <QLabel>
#include <QLineEdit>
#include <QTimer>

namespace {

QColor colourOf(const QWidget *label)
{
    return label->palette().color(QPalette::Window);
}

} // namespace

// The hidden controls hold the cycle's state as text, where the tests and
// the end-to-end run read it: the choice numbers as digits, the judgement
// as "Y" or "N".
void QuestionView::showAsked(quint8 asked)
{
    m_w.options->AskColorED->setText(QString::number(asked));
}

void QuestionView::showAnswer(quint8 clicked, Judgement judgement)
{
    m_w.options->Lb2->setText(QString::number(clicked));
    m_w.options->ResED->setText(judgementText(judgement));
    if (m_w.answered)
        m_w.answered(clicked, judgement);
}

int QuestionView::askForIndex() const
{
    return m_w.options->AskForColorRG->itemIndex();
}

bool QuestionView::optionsMode() const
{
    return !m_w.optionsPane->isHidden();
}

void QuestionView::startClip(Clip clip)
{
    raiseIfFailed(m_w.media->start(int(clip), *m_w.random));
}

void QuestionView::recordResult(Judgement judgement, quint8 asked, quint8 clicked)
{
    AnswerDetails details;
    details.asked = asked;
    details.clicked = clicked;
    details.questionType = QuestionTypes::fromIndex(m_w.options->AskForRG->itemIndex());
    details.lesson = m_w.options->CurLesson->text();
    m_w.record(judgement, details);
}

void QuestionView::placePanels(int topPanel, int middlePanel)
{
    m_w.play->Panel2->place(topPanel, middlePanel);
    if (m_w.placed)
        m_w.placed();
}

void QuestionView::applyChoiceColours()
{
    const OptionsPage &o = *m_w.options;
    m_w.play->showColours({{colourOf(o.ColorLB1), colourOf(o.ColorLB2), colourOf(o.ColorLB3)}});
}

void QuestionView::setShapeKinds(const std::array<int, 3> &kinds)
{
    // Each selector takes its shape's kind (its handler runs on a change)
    // and the shape follows its selector in every case.
    RadioGroup *const selectors[] = {m_w.options->rg1, m_w.options->rg2, m_w.options->rg3};
    ShapeControl *const shapes[] = {m_w.play->Shape1, m_w.play->Shape2, m_w.play->Shape3};
    for (int i = 0; i < 3; ++i)
        selectors[i]->setItemIndex(kinds[i]);
    for (int i = 0; i < 3; ++i)
        shapes[i]->setKind(selectors[i]->itemIndex());
}

void QuestionView::refreshChoiceTexts()
{
    m_w.refreshTexts();
}

void QuestionView::setTimerEnabled(bool enabled)
{
    if (enabled == m_w.timer->isActive())
        return;
    if (enabled)
        m_w.timer->start();
    else
        m_w.timer->stop();
}
