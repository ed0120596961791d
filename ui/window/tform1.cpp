#include "ui/window/tform1.h"

#include "core/base/errorreport.h"
#include "core/base/quizerror.h"
#include "core/media/clipplayer.h"
#include "core/media/soundmixer.h"
#include "core/quiz/questiontype.h"
#include "core/quiz/random.h"
#include "ui/children/childrenpage.h"
#include "ui/common/startupnotice.h"
#include "ui/media/mediarows.h"
#include "ui/window/accesspage.h"
#include "ui/window/choicearea.h"
#include "ui/window/choicepanel.h"
#include "ui/window/clicklabel.h"
#include "ui/window/closewhenfree.h"
#include "ui/window/docklayout.h"
#include "ui/window/docksplitter.h"
#include "ui/window/optionspage.h"
#include "ui/window/picturecontrol.h"
#include "ui/window/playarea.h"
#include "ui/window/playmarks.h"
#include "ui/window/questionview.h"
#include "ui/window/radiogroup.h"
#include "ui/window/shapecontrol.h"
#include "ui/window/statusstrip.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>


TForm1::TForm1(const QuizEnvironment &environment, QWidget *parent)
    : QWidget(parent),
      m_dialogs(environment.dialogs),
      m_random(environment.random),
      m_mixer(environment.mixer),
      m_settings(environment.files)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Form1"));
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setLayoutDirection(Qt::RightToLeft);
    // Play-mode controls never take the focus, so key releases reach the window.
    setFocusPolicy(Qt::StrongFocus);
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(11);
    setFont(f);
    setAutoFillBackground(true);
    resize(1003, 612);

    FontDialog1.font = f;
    FontDialog1.color = Qt::black;

    buildControls();
    m_view = std::make_unique<QuestionView>(QuestionView::Window{
        Panel4, TabSheet1, OptionsPC, m_media, playwaitTimer, m_random,
        [this](Judgement judgement, const AnswerDetails &details) { RecordResult(judgement, details); },
        [this] { RefreshChoiceTexts(); }, [this] { questionPlaced(); },
        [this](quint8 clicked, Judgement judgement) { answerShown(clicked, judgement); }});
    m_cycle = std::make_unique<QuestionCycle>(*m_view, *m_random);
    connectHandlers();
#ifndef QT_NO_SESSIONMANAGER
    // A logout through the session manager closes the window as a shutdown
    // signal does: the child lock must not hold the session up.
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this] { m_closeAllowed = true; });
#endif
}

TForm1::~TForm1()
{
    // The players outlive the question cycle (they go with the window's
    // children, after its members): a player stopped as it goes must not
    // reach the cycle any more.
    for (int clip = 0; clip < 3; ++clip)
        disconnect(&player(clip), nullptr, this, nullptr);
}

// The pages build their own controls (playarea.cpp, optionspage.cpp,
// childrenpage.cpp); the window keeps the pages and the timer.
void TForm1::buildControls()
{
    m_rootLayout = new DockLayout(this);
    Panel4 = new PlayArea(OptionsChord::names(), this);

    OptionsPC = new QTabWidget(this);
    OptionsPC->setObjectName(QStringLiteral("OptionsPC"));
    OptionsPC->setDocumentMode(true); // no frame: the pages keep the full 430 pixels
    TabSheet1 = new OptionsPage;
    // The window keeps the children's table (the status strip and the
    // question cycle count on it) and hands it to the page, which goes
    // first when the window does.
    m_table = new ResultsTable(this);
    m_table->setObjectName(QStringLiteral("Table1"));
    // Made inside the pane so that it reads right to left from the start.
    m_childrenPage = new ChildrenPage(*m_table, *m_dialogs, OptionsPC);
    OptionsPC->addTab(TabSheet1, QStringLiteral("خيارات الدروس"));
    OptionsPC->addTab(m_childrenPage, QStringLiteral("قاعدة بيانات الأطفال"));
    m_accessPage = new AccessPage;
    OptionsPC->addTab(m_accessPage, QStringLiteral("إمكانية الوصول"));
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

    m_scanTimer = new QTimer(this);
    m_scanTimer->setObjectName(QStringLiteral("scanTimer"));
    m_scanTimer->setInterval(AccessSettings::DefaultScanIntervalMs);
    // A click anywhere on the play area answers while scanning, the video
    // panel included.
    Panel4->VedioPanel->installEventFilter(this);
}

void TForm1::connectHandlers()
{
    OptionsPage *o = TabSheet1;
    PlayArea *play = Panel4;
    ChildrenPage *children = m_childrenPage;
    const auto runner = [this](const std::function<void()> &f) { guarded(f); };
    for (RadioGroup *g : {o->AskForRG, o->AskForColorRG, o->AVRG, o->VedioLocationRG, o->rg1, o->rg2, o->rg3})
        g->setUserRunner(runner);
    o->AskForRG->setChangeHandler([this] { AskForRGClick(); });
    o->AVRG->setChangeHandler([this] { AVRGClick(); });
    o->VedioLocationRG->setChangeHandler([this] { VedioLocationRGClick(); });
    // A click in the asked-choice group re-applies the first shape selector.
    o->AskForColorRG->setChangeHandler([this] { rg1Click(); });
    o->rg1->setChangeHandler([this] { rg1Click(); });
    o->rg2->setChangeHandler([this] { rg2Click(); });
    o->rg3->setChangeHandler([this] { rg3Click(); });

    const auto on = [this](auto *sender, auto signal, void (TForm1::*handler)()) {
        connect(sender, signal, this, [this, handler] { guarded([this, handler] { (this->*handler)(); }); });
    };
    on(play->SPanel1, &ChoicePanel::clicked, &TForm1::SPanel1Click);
    on(play->SPanel2, &ChoicePanel::clicked, &TForm1::SPanel2Click);
    on(play->SPanel3, &ChoicePanel::clicked, &TForm1::SPanel3Click);
    on(play->lbask1, &ClickLabel::clicked, &TForm1::SPanel1Click);
    on(play->lbask2, &ClickLabel::clicked, &TForm1::SPanel2Click);
    on(play->lbask3, &ClickLabel::clicked, &TForm1::SPanel3Click);
    on(play->Image1, &PictureControl::clicked, &TForm1::SPanel1Click);
    on(play->Image3, &PictureControl::clicked, &TForm1::SPanel2Click);
    on(play->Image2, &PictureControl::clicked, &TForm1::SPanel3Click);
    on(play->Shape1, &ShapeControl::mouseUp, &TForm1::Shape1MouseUp);
    on(play->Shape2, &ShapeControl::mouseUp, &TForm1::Shape2MouseUp);
    on(play->Shape3, &ShapeControl::mouseUp, &TForm1::Shape3MouseUp);
    on(playwaitTimer, &QTimer::timeout, &TForm1::playwaitTimerTimer);
    on(m_scanTimer, &QTimer::timeout, &TForm1::scanTimerTimer);
    connect(m_accessPage, &AccessPage::changed, this, [this] { applyAccess(); });
    // The question counts as heard once its clip stops sounding.
    for (int clip = 0; clip < 3; ++clip) {
        connect(&player(clip), &ClipPlayer::stateChanged, this, [this, clip] {
            if (m_cycle->asked() == clip + 1 && player(clip).state() != ClipPlayer::State::Playing)
                m_questionHeard = true;
        });
    }
    on(play->Panel6->SpeedButton8, &QToolButton::clicked, &TForm1::SpeedButton8Click);
    on(o->WaitSE, &QSpinBox::valueChanged, &TForm1::WaitSEChange);
    play->Splitter1->setMovedHandler([this] { guarded([this] { Splitter1Moved(); }); });

    on(o->BitBtn1, &QPushButton::clicked, &TForm1::closeFromButton);
    on(o->Button1, &QPushButton::clicked, &TForm1::Button1Click);
    on(o->Button2, &QPushButton::clicked, &TForm1::Button2Click);
    on(o->BitBtn2, &QPushButton::clicked, &TForm1::BitBtn2Click);
    on(o->ColorLB1, &ClickLabel::clicked, &TForm1::ColorLB1Click);
    on(o->ColorLB2, &ClickLabel::clicked, &TForm1::ColorLB2Click);
    on(o->ColorLB3, &ClickLabel::clicked, &TForm1::ColorLB3Click);
    on(o->BitBtn3, &QPushButton::clicked, &TForm1::BitBtn3Click);
    on(o->BitBtn4, &QPushButton::clicked, &TForm1::BitBtn4Click);
    on(o->BitBtn5, &QPushButton::clicked, &TForm1::BitBtn5Click);
    on(o->StretchChk, &QCheckBox::clicked, &TForm1::StretchChkClick);
    on(o->SpeedButton1, &QToolButton::clicked, &TForm1::SpeedButton1Click);
    on(o->SpeedButton2, &QToolButton::clicked, &TForm1::SpeedButton2Click);
    on(o->SpeedButton3, &QToolButton::clicked, &TForm1::SpeedButton3Click);
    on(o->SpeedButton4, &QToolButton::clicked, &TForm1::SpeedButton4Click);
    on(o->SpeedButton5, &QToolButton::clicked, &TForm1::SpeedButton5Click);
    on(children->BitBtn7, &QPushButton::clicked, &TForm1::BitBtn7Click);
    on(children->BitBtn8, &QPushButton::clicked, &TForm1::BitBtn8Click);
    on(children->BitBtn6, &QPushButton::clicked, &TForm1::BitBtn6Click);
    on(o->SpeedButton7, &QToolButton::clicked, &TForm1::SpeedButton7Click);
    on(o->ProButton1, &QPushButton::clicked, &TForm1::ProButton1Click);
    on(o->ProButton2, &QPushButton::clicked, &TForm1::ProButton2Click);
    on(o->SpeedButton6, &QToolButton::clicked, &TForm1::SpeedButton6Click);
}

void TForm1::guarded(const std::function<void()> &operation)
{
    try {
        operation();
    } catch (const QuizError &error) {
        reportError(error.text());
    }
}

void TForm1::reportError(const QString &text)
{
    m_dialogs->showError(errorReportText(text));
}

// ---------------------------------------------------------------- start-up

QString TForm1::startupNotice()
{
    return StartupNotice::text();
}

void TForm1::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    m_inFirstShow = true;
    guarded([this] { FormShow(); });
    m_inFirstShow = false;
    if (!m_offeredLessonFile.isEmpty())
        QTimer::singleShot(0, this, [this] { guarded([this] { askToImportOffered(); }); });
}

void TForm1::FormShow()
{
    // The choice panels are stacked and their contents fill them from
    // construction on; what is left is the run-time sequence.
    m_random->seedOnce(Random::clockSeed());
    // The notice is drawn first; while it waits for the teacher, the sound
    // stream is opened in its own thread, so that the first question is
    // heard as soon as the notice is gone. No file is opened before.
    QTimer::singleShot(0, this, [this] { m_mixer->warmUp(); });
    m_dialogs->showNotice(startupNotice());
    LoadOptions();
    loadHelpPage();
    maximize();
    applyHeightRule();
    SetupMediaFiles();
    NewAct();
}

void TForm1::maximize()
{
    // Without a window manager a maximised state alone does not resize.
    if (QScreen *s = screen())
        setGeometry(s->availableGeometry());
    setWindowState(windowState() | Qt::WindowMaximized);
    layoutNow();
    activateWindow();
    setFocus();
}

void TForm1::closeFromButton()
{
    m_closeAllowed = true;
    close();
}

void TForm1::requestClose()
{
    // The session ends: the child lock must not keep the settings unsaved.
    m_closeAllowed = true;
    QTimer::singleShot(0, this, [this] { closeWhenFree(this, [this] { return m_inFirstShow; }); });
}

void TForm1::closeEvent(QCloseEvent *event)
{
    // With the child lock a close the window manager asks for in play mode
    // (Alt+F4, the task bar) is refused; the exit button and the session's
    // end still close, and so does any close in options mode.
    if (access().childLock && !optionsMode() && !m_closeAllowed) {
        event->ignore();
        return;
    }
    bool accepted = true;
    FormClose(&accepted);
    if (!accepted) {
        m_closeAllowed = false;
        event->ignore();
        return;
    }
    event->accept();
    emit finished();
}

void TForm1::FormClose(bool *accepted)
{
    try {
        SaveOptions();
    } catch (const QuizError &error) {
        // What the error names is not safe yet (settings, or a recording
        // whose clip could not be written): stay open, a later close tries
        // again, unless the teacher chooses to leave without it. A
        // borderless full-screen window has no other way out.
        reportError(error.text());
        *accepted = m_dialogs->confirm(QStringLiteral("تعذر حفظ بعض الملفات.\n\rهل تريد الخروج دون حفظها؟"));
    }
}

// ---------------------------------------------------------- display modes

bool TForm1::optionsMode() const
{
    return !OptionsPC->isHidden();
}

void TForm1::keyReleaseEvent(QKeyEvent *event)
{
    const auto key = m_chord.released(event);
    if (!key) {
        QWidget::keyReleaseEvent(event);
        return;
    }
    guarded([this, key] { FormKeyUp(key->first, key->second); });
}

void TForm1::keyPressEvent(QKeyEvent *event)
{
    m_chord.pressed(event);
    if (!optionsMode() && playKey(event)) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool TForm1::event(QEvent *event)
{
    // Tab and Shift+Tab move the frame in play mode; they must not reach
    // the focus chain, which would hand the keyboard to a hidden control.
    if (event->type() == QEvent::KeyPress && !optionsMode()) {
        auto *key = static_cast<QKeyEvent *>(event);
        if ((key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)
            && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
            m_chord.pressed(key);
            const bool back = key->key() == Qt::Key_Backtab || (key->modifiers() & Qt::ShiftModifier);
            guarded([this, back] { stepFrame(back ? -1 : 1); });
            key->accept();
            return true;
        }
    }
    return QWidget::event(event);
}

bool TForm1::focusNextPrevChild(bool next)
{
    // In play mode no control takes the focus from the window.
    if (!optionsMode())
        return true;
    return QWidget::focusNextPrevChild(next);
}

bool TForm1::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Panel4->VedioPanel && event->type() == QEvent::MouseButtonRelease && !optionsMode()
        && access().scanAuto) {
        guarded([this] { answerFramed(); });
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TForm1::FormKeyUp(int key, Qt::KeyboardModifiers shift)
{
    if (OptionsChord::matches(key, shift)) {
        setOptionsVisible(true);
        Panel4->Splitter1->show();
        m_rootLayout->setThickness(OptionsPC, 430);
        layoutNow();
        RefreshChoiceTexts();
        NewAct();
    }
    Panel4->Image1->setToolTip(optionsMode() ? QStringLiteral("انقر نقراً مزدوجاً هنا لتغيير الصورة") : QString());
}

void TForm1::Button1Click()
{
    setOptionsVisible(false);
    Panel4->Splitter1->hide();
    layoutNow();
    RefreshChoiceTexts();
    Panel4->Image1->setToolTip(QString());
    // Back to play: the frame starts on the top panel again.
    Panel4->Marks->setFramedRow(0);
    startScanning();
}

void TForm1::setOptionsVisible(bool visible)
{
    OptionsPC->setVisible(visible);
    if (visible) {
        // Keys and switches act in play mode only.
        m_scanTimer->stop();
        Panel4->Marks->setFramedRow(-1);
    }
    // The hidden pane's focused control must not keep the keyboard.
    if (!visible)
        setFocus();
}

void TForm1::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    FormResize();
}

void TForm1::FormResize()
{
    layoutNow();
    applyHeightRule();
    RefreshChoiceTexts();
}

void TForm1::layoutNow()
{
    if (!m_rootLayout)
        return;
    m_rootLayout->relayout();
    Panel4->relayout();
}

void TForm1::applyHeightRule()
{
    Panel4->Panel2->applyHeightRule();
}

void TForm1::Splitter1Moved()
{
    applyHeightRule();
    SetupMediaFiles();
}

void TForm1::AVRGClick()
{
    SetupMediaFiles();
    FormResize();
    Panel4->VedioPanel->hide();
    Panel4->Splitter1->hide();
    const bool video = TabSheet1->AVRG->itemIndex() == 1;
    Panel4->VedioPanel->setVisible(video);
    Panel4->Splitter1->setVisible(video);
    layoutNow();
}

void TForm1::AskForRGClick()
{
    const std::optional<QuestionType> type = QuestionTypes::fromIndex(TabSheet1->AskForRG->itemIndex());
    Panel4->showQuestionType(type);
    TabSheet1->TextPanel->setVisible(type == QuestionType::Text);
}

void TForm1::VedioLocationRGClick()
{
    Panel4->setVideoEdge(TabSheet1->VedioLocationRG->itemIndex());
    SetupMediaFiles();
}

void TForm1::RefreshChoiceTexts()
{
    Panel4->showTexts({{TabSheet1->Ed1->text(), TabSheet1->Ed2->text(), TabSheet1->Ed3->text()}}, FontDialog1.font, FontDialog1.color);
}

QColor TForm1::labelColor(const QWidget *label)
{
    return label->palette().color(QPalette::Window);
}

void TForm1::setLabelColor(QWidget *label, const QColor &color)
{
    QPalette pal = label->palette();
    pal.setColor(QPalette::Window, color);
    label->setPalette(pal);
}

// ---------------------------------------------------------- question cycle

void TForm1::NewAct()
{
    m_cycle->newAct();
}

void TForm1::AnswerChoice(quint8 choice)
{
    m_cycle->answerChoice(choice);
}

void TForm1::SPanel1Click() { answerFromPlay(1); }
void TForm1::SPanel2Click() { answerFromPlay(2); }
void TForm1::SPanel3Click() { answerFromPlay(3); }
void TForm1::Shape1MouseUp() { answerFromPlay(1); }
void TForm1::Shape2MouseUp() { answerFromPlay(2); }
void TForm1::Shape3MouseUp() { answerFromPlay(3); }

void TForm1::playwaitTimerTimer()
{
    m_cycle->timerTick();
}

void TForm1::SpeedButton8Click()
{
    m_cycle->PlayQuestionClip();
}

void TForm1::WaitSEChange()
{
    // The value, never the text: the text is written in the system's own
    // digits (Arabic-Indic on an Arabic system), which no plain number
    // reading understands. The spin box keeps the value within 1 to 60.
    const int interval = TabSheet1->WaitSE->value() * 1000;
    if (playwaitTimer->interval() != interval)
        playwaitTimer->setInterval(interval); // restarts a countdown in progress
}

void TForm1::setWaitSeconds(int seconds)
{
    const int before = TabSheet1->WaitSE->value();
    {
        const QSignalBlocker block(TabSheet1->WaitSE);
        TabSheet1->WaitSE->setValue(seconds);
    }
    if (TabSheet1->WaitSE->value() != before)
        WaitSEChange();
}
