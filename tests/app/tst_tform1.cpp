// The main window driven as a child and a teacher would: real clicks on the
// panels, key releases, the waiting timer firing.
#include "core/base/appdir.h"
#include "ui/window/choicearea.h"
#include "ui/window/choicepanel.h"
#include "ui/window/clicklabel.h"
#include "ui/window/docklayout.h"
#include "ui/window/docksplitter.h"
#include "core/base/errorreport.h"
#include "ui/window/picturecontrol.h"
#include "ui/window/shapecontrol.h"
#include "support/quizwindow.h"
#include "ui/window/playarea.h"
#include "ui/dialogs/okbox.h"

#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>

#include <memory>
#include <set>

namespace {

/// The window with the seed these tests were written for.
struct Quiz : QuizWindow
{
    explicit Quiz(quint32 seed = 42, const Prepare &prepare = {}) : QuizWindow(prepare, seed) {}

    std::array<int, 3> order() const
    {
        const auto &o = control<ChoiceArea>("Panel2")->stack().order();
        return {o[0], o[1], o[2]};
    }
    void keyUp(int key, Qt::KeyboardModifiers mods)
    {
        QTest::keyRelease(form.get(), Qt::Key(key), mods);
    }
};

} // namespace

class TestTForm1 : public QObject
{
    Q_OBJECT

private slots:
    void startsWithTheNoticeAndAFirstQuestionInPlayMode()
    {
        Quiz quiz;
        QWidget *Panel6 = quiz.control<QWidget>("Panel6");
        QCOMPARE(quiz.dialogs.count(Kind::Notice), 1);
        QCOMPARE(quiz.dialogs.count(Kind::Error), 0);
        QCOMPARE(quiz.form->AppDir, quiz.folder.appDir());
        QVERIFY(!quiz.form->optionsMode());
        QVERIFY(quiz.asked() >= 1 && quiz.asked() <= 3);
        QCOMPARE(quiz.control<QWidget>("SpeedButton8")->toolTip(), QStringLiteral(u"اسمع السؤال مرة ثانية"));
        QVERIFY(quiz.control<ShapeControl>("Shape1")->isVisible());
        QCOMPARE(quiz.form->layoutDirection(), Qt::RightToLeft);
        QVERIFY(quiz.form->windowFlags() & Qt::FramelessWindowHint);
        // The status strip is the outermost child at the bottom.
        QCOMPARE(Panel6->geometry().bottom(), quiz.control<QWidget>("Panel4")->height() - 1);
        QCOMPARE(Panel6->height(), 25);
    }

    void theNoticeKeepsItsSixIndentedLines()
    {
        const QStringList lines = TForm1::startupNotice().split(QStringLiteral("\n\r"));
        QCOMPARE(lines.size(), 6);
        const int indents[] = {2, 0, 15, 11, 12, 14};
        for (int i = 0; i < 6; ++i) {
            const QString &line = lines.at(i);
            int spaces = 0;
            while (spaces < line.size() && line.at(spaces) == QLatin1Char(' '))
                ++spaces;
            QCOMPARE(spaces, indents[i]);
            QVERIFY(!line.endsWith(QLatin1Char(' ')));
            QVERIFY(!line.contains(QLatin1Char('\r')) && !line.contains(QLatin1Char('\n')));
        }
        QCOMPARE(lines.at(1), QStringLiteral("للخروج وتغيير الخيارات اضغط على"));
        // Both chords, each isolated so that it reads left to right.
        QCOMPARE(lines.at(2).trimmed(), QStringLiteral(u"\u2068Ctrl+Shift+F1\u2069 أو \u2068Ctrl+Alt+F1\u2069"));
    }

    void theChordOpensTheOptionsPaneWithTheFixedOrder()
    {
        Quiz quiz;
        QPushButton *Button1 = quiz.control<QPushButton>("Button1");
        QTabWidget *OptionsPC = quiz.control<QTabWidget>("OptionsPC");
        PictureControl *Image1 = quiz.control<PictureControl>("Image1");
        QLineEdit *AskColorED = quiz.control<QLineEdit>("AskColorED");
        for (auto mods : {Qt::ControlModifier | Qt::NoModifier, Qt::AltModifier | Qt::NoModifier,
                          Qt::NoModifier | Qt::NoModifier, Qt::ShiftModifier | Qt::AltModifier,
                          Qt::ShiftModifier | Qt::NoModifier}) {
            quiz.keyUp(Qt::Key_F1, mods);
            QVERIFY(!quiz.form->optionsMode());
        }
        quiz.keyUp(Qt::Key_F2, Qt::ControlModifier | Qt::AltModifier);
        QVERIFY(!quiz.form->optionsMode());

        // F1 let go after Ctrl and Alt: the modifiers held when it went down count.
        QTest::keyPress(quiz.form.get(), Qt::Key_F1, Qt::NoModifier);
        quiz.keyUp(Qt::Key_F1, Qt::NoModifier);
        QVERIFY(!quiz.form->optionsMode());
        QTest::keyPress(quiz.form.get(), Qt::Key_F1, Qt::ControlModifier | Qt::AltModifier);
        quiz.keyUp(Qt::Key_F1, Qt::NoModifier);
        QVERIFY(quiz.form->optionsMode());
        QTest::mouseClick(Button1, Qt::LeftButton);

        quiz.keyUp(Qt::Key_F1, Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier);
        QVERIFY(quiz.form->optionsMode());
        QCOMPARE(OptionsPC->width(), 430);
        QCOMPARE(quiz.order(), (std::array<int, 3>{0, 1, 2}));
        QVERIFY(!Image1->toolTip().isEmpty());
        // The pane lies at the right edge, the play area fills the rest.
        QCOMPARE(OptionsPC->geometry().right(), quiz.form->width() - 1);
        QCOMPARE(quiz.control<QWidget>("Panel4")->width(), quiz.form->width() - 430);

        // Again while open: back to 430 wide and a new question in the fixed order.
        OptionsPC->resize(500, OptionsPC->height());
        quiz.keyUp(Qt::Key_F1, Qt::ControlModifier | Qt::AltModifier);
        QCOMPARE(OptionsPC->width(), 430);
        QCOMPARE(quiz.order(), (std::array<int, 3>{0, 1, 2}));

        // Hiding the pane starts no new question.
        const QString asked = AskColorED->text();
        QTest::mouseClick(Button1, Qt::LeftButton);
        QVERIFY(!quiz.form->optionsMode());
        QVERIFY(Image1->toolTip().isEmpty());
        QCOMPARE(AskColorED->text(), asked);
        QCOMPARE(quiz.order(), (std::array<int, 3>{0, 1, 2}));
        QVERIFY(!quiz.control<DockSplitter>("Splitter1")->isVisible());
        // The keyboard is the window's again, so the chord works at once.
        quiz.keyUp(Qt::Key_F1, Qt::ControlModifier | Qt::AltModifier);
        QVERIFY(quiz.form->optionsMode());

        // Ctrl+Alt+F1 never reaches a window on most desktops: Ctrl+Shift+F1
        // does the same, and the status strip names both, uncut.
        QTest::mouseClick(Button1, Qt::LeftButton);
        quiz.keyUp(Qt::Key_F1, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(quiz.form->optionsMode());
        QCOMPARE(quiz.order(), (std::array<int, 3>{0, 1, 2}));
        // With the pane open the strip is narrow: the hint gives way rather
        // than running over the counts and the child's name.
        const QLabel *hint = quiz.control<QLabel>("Label10");
        const auto apart = [&quiz] {
            QRect taken;
            for (const char *name : {"Panel7", "Label14", "Label10", "DBText2", "Label13", "DBText3", "Label12", "DBText1"}) {
                const QWidget *w = quiz.control<QWidget>(name);
                if (w->isHidden())
                    continue;
                if (w->geometry().intersects(taken) || w->geometry().right() >= w->parentWidget()->width())
                    return false;
                taken = taken.united(w->geometry());
            }
            return true;
        };
        QTRY_VERIFY(apart());
        QVERIFY(quiz.control<QWidget>("DBText1")->width() >= 60);
        // In play mode it names both chords, uncut.
        QTest::mouseClick(Button1, Qt::LeftButton);
        QTRY_VERIFY(apart());
        QVERIFY(hint->isVisible());
        QVERIFY(hint->text().contains(QStringLiteral("Ctrl+Shift+F1")) && hint->text().contains(QStringLiteral("Ctrl+Alt+F1")));
        QVERIFY(hint->width() >= hint->fontMetrics().horizontalAdvance(hint->text()));
    }

    void keysTypedIntoATextAreNotTheWindows()
    {
        Quiz quiz;
        QTabWidget *OptionsPC = quiz.control<QTabWidget>("OptionsPC");
        QLineEdit *Ed1 = quiz.control<QLineEdit>("Ed1");
        QLineEdit *AskColorED = quiz.control<QLineEdit>("AskColorED");
        quiz.keyUp(Qt::Key_F1, Qt::ControlModifier | Qt::AltModifier);
        OptionsPC->setCurrentIndex(0);
        quiz.control<RadioGroup>("AskForRG")->setItemIndex(1);
        Ed1->setFocus();
        QTest::mouseClick(quiz.control<QPushButton>("Button1"), Qt::LeftButton);
        OptionsPC->show(); // back to options mode with an edit focused
        Ed1->setFocus();
        const QString asked = AskColorED->text();
        QTest::keyRelease(Ed1, Qt::Key_F1, Qt::ControlModifier | Qt::AltModifier);
        QCOMPARE(AskColorED->text(), asked);
    }

    void everyOrderOccursInPlayMode()
    {
        Quiz quiz(11);
        std::set<std::array<int, 3>> seen;
        for (int i = 0; i < 60 && seen.size() < 6; ++i) {
            quiz.clickPanel(1);
            quiz.waitForNextQuestion();
            seen.insert(quiz.order());
            // The panels are stacked without gaps in the order they report.
            for (int place = 0; place < 3; ++place)
                QCOMPARE(quiz.panel(quiz.order()[place] + 1)->y(),
                         place * quiz.control<ChoiceArea>("Panel2")->stack().height());
        }
        QCOMPARE(seen.size(), std::size_t(6));
    }

    void aClickIsJudgedOnceUntilTheWaitEnds()
    {
        Quiz quiz;
        QLineEdit *ResED = quiz.control<QLineEdit>("ResED");
        QLabel *Lb2 = quiz.control<QLabel>("Lb2");
        QTimer *playwaitTimer = quiz.control<QTimer>("playwaitTimer");
        const int asked = quiz.asked();
        const int wrong = asked == 1 ? 2 : 1;
        quiz.clickPanel(asked);
        QCOMPARE(ResED->text(), QStringLiteral("Y"));
        QCOMPARE(Lb2->text(), QString::number(asked));
        QVERIFY(quiz.form->cycle().answered());
        QVERIFY(playwaitTimer->isActive());
        QCOMPARE(playwaitTimer->interval(), 2000);

        quiz.clickPanel(wrong); // ignored: the result is showing
        QCOMPARE(Lb2->text(), QString::number(asked));
        QCOMPARE(ResED->text(), QStringLiteral("Y"));

        quiz.waitForNextQuestion();
        QVERIFY(!playwaitTimer->isActive());
        const int next = quiz.asked();
        quiz.clickPanel(next == 3 ? 1 : next + 1);
        QCOMPARE(ResED->text(), QStringLiteral("N"));
    }

    void shapesTextsAndPicturesAnswerTheirPanel()
    {
        Quiz quiz;
        ShapeControl *Shape3 = quiz.control<ShapeControl>("Shape3");
        QLabel *Lb2 = quiz.control<QLabel>("Lb2");
        RadioGroup *AskForRG = quiz.control<RadioGroup>("AskForRG");
        ClickLabel *lbask2 = quiz.control<ClickLabel>("lbask2");
        PictureControl *Image2 = quiz.control<PictureControl>("Image2");
        quiz.control<RadioGroup>("AskForColorRG")->setItemIndex(3);
        quiz.keyUp(Qt::Key_F1, Qt::ControlModifier | Qt::AltModifier);
        QCOMPARE(quiz.asked(), 3);
        // Any mouse button released over a shape answers.
        QTest::mouseClick(Shape3, Qt::RightButton, {}, Shape3->rect().center());
        QCOMPARE(Lb2->text(), QStringLiteral("3"));
        QCOMPARE(quiz.control<QLineEdit>("ResED")->text(), QStringLiteral("Y"));
        quiz.waitForNextQuestion();

        AskForRG->setItemIndex(1);
        QVERIFY(lbask2->isVisible() && !quiz.control<ShapeControl>("Shape2")->isVisible());
        QVERIFY(quiz.control<QWidget>("TextPanel")->isVisible());
        QTest::mouseClick(lbask2, Qt::LeftButton, {}, lbask2->rect().center());
        QCOMPARE(Lb2->text(), QStringLiteral("2"));
        quiz.waitForNextQuestion();

        // Picture slot 2 shows in the third panel and answers choice 3.
        AskForRG->setItemIndex(2);
        QVERIFY(Image2->isVisible() && !lbask2->isVisible());
        QCOMPARE(Image2->parentWidget(), static_cast<QWidget *>(quiz.control<ChoicePanel>("SPanel3")));
        QTest::mouseClick(Image2, Qt::LeftButton, {}, Image2->rect().center());
        QCOMPARE(Lb2->text(), QStringLiteral("3"));
        quiz.waitForNextQuestion();

        AskForRG->setItemIndex(-1);
        for (const char *name : {"Shape1", "lbask1", "Image1"})
            QVERIFY(!quiz.control<QWidget>(name)->isVisible());
    }

    void colourAndTextsReachThePanelsAtTheNextQuestion()
    {
        Quiz quiz;
        ShapeControl *Shape2 = quiz.control<ShapeControl>("Shape2");
        TForm1::setLabelColor(quiz.control<ClickLabel>("ColorLB2"), Qt::green);
        QVERIFY(Shape2->brushColor() != QColor(Qt::green));
        quiz.control<QLineEdit>("Ed1")->setText(QStringLiteral("قطة"));
        quiz.clickPanel(1);
        quiz.waitForNextQuestion();
        QCOMPARE(Shape2->brushColor(), QColor(Qt::green));
        QCOMPARE(quiz.control<ClickLabel>("lbask1")->text(), QStringLiteral("قطة"));
        // All three texts share the first colour as background.
        for (const char *name : {"lbask1", "lbask2", "lbask3"})
            QCOMPARE(TForm1::labelColor(quiz.control<ClickLabel>(name)), TForm1::labelColor(quiz.control<ClickLabel>("ColorLB1")));
    }

    void theWaitingTimeSetsTheTimer()
    {
        Quiz quiz;
        QSpinBox *WaitSE = quiz.control<QSpinBox>("WaitSE");
        QTimer *playwaitTimer = quiz.control<QTimer>("playwaitTimer");
        WaitSE->setValue(5);
        QCOMPARE(playwaitTimer->interval(), 5000);
        quiz.clickPanel(1);
        QVERIFY(playwaitTimer->isActive());
        // A change during the wait starts the countdown again.
        WaitSE->setValue(60);
        QCOMPARE(playwaitTimer->interval(), 60000);
        QVERIFY(playwaitTimer->remainingTime() > 59000);
        WaitSE->setValue(1);
        QCOMPARE(playwaitTimer->interval(), 1000);

        // Typed out of range: brought into it when the field is left.
        quiz.openOptions();
        QWidget *Ed1 = quiz.control<QWidget>("Ed1");
        const std::pair<QString, int> typed[] = {{QStringLiteral("75"), 60}, {QStringLiteral("0"), 1},
                                                 {QStringLiteral("7"), 7}};
        for (const auto &[text, value] : typed) {
            WaitSE->setFocus();
            WaitSE->selectAll();
            typeText(WaitSE, text);
            Ed1->setFocus();
            QCOMPARE(WaitSE->value(), value);
            QCOMPARE(playwaitTimer->interval(), value * 1000);
        }
    }

    void numbersOnAnArabicSystem()
    {
        // An Arabic system writes numbers in Arabic-Indic digits: the spin box
        // shows them, and the waiting time must still be what it shows.
        const QLocale system;
        QLocale::setDefault(QLocale(QLocale::Arabic, QLocale::Egypt));
        const auto restore = qScopeGuard([&system] { QLocale::setDefault(system); });
        Quiz quiz;
        quiz.keyUp(Qt::Key_F1, Qt::ControlModifier | Qt::ShiftModifier);
        QSpinBox *wait = quiz.control<QSpinBox>("WaitSE");
        wait->setFocus();
        QTest::keyClick(wait, Qt::Key_Up);
        QCOMPARE(wait->text(), QStringLiteral(u"٣"));
        QCOMPARE(quiz.control<QTimer>("playwaitTimer")->interval(), 3000);

        // The status strip counts as the grid does; the file keeps plain digits.
        quiz.clickPanel(1);
        QCOMPARE(quiz.control<QLabel>("DBText3")->text() + quiz.control<QLabel>("DBText2")->text(),
                 QStringLiteral(u"١"));
        QVERIFY(quiz.form->close());
        QCOMPARE(fileLines(quiz.optionsBytes()).value(20), QByteArray("3"));
    }

    void theHeightRuleAppliesOnResizeNotOnVideoMoves()
    {
        Quiz quiz;
        ChoiceArea *Panel2 = quiz.control<ChoiceArea>("Panel2");
        ChoicePanel *SPanel1 = quiz.control<ChoicePanel>("SPanel1");
        RadioGroup *AVRG = quiz.control<RadioGroup>("AVRG");
        QWidget *VedioPanel = quiz.control<QWidget>("VedioPanel");
        auto expected = [&] { return Panel2->height() / 3; };
        QCOMPARE(SPanel1->height(), expected());
        quiz.form->resize(900, 700);
        QCOMPARE(SPanel1->height(), expected());
        QCOMPARE(quiz.control<ChoicePanel>("SPanel3")->height(), expected());
        const int before = SPanel1->height();

        AVRG->setItemIndex(1); // video: the panel takes room from the choices
        QVERIFY(VedioPanel->isVisible());
        // The rule runs before the splitter is shown again, so its four pixels
        // may still count.
        QVERIFY(SPanel1->height() >= expected());
        QVERIFY(SPanel1->height() <= (Panel2->height() + 4) / 3);
        const int withVideo = SPanel1->height();
        QVERIFY(withVideo < before);
        quiz.control<RadioGroup>("VedioLocationRG")->setItemIndex(2); // to the right: no height rule
        QCOMPARE(SPanel1->height(), withVideo);
        AVRG->setItemIndex(0);
        QVERIFY(!VedioPanel->isVisible());
        QVERIFY(!quiz.control<DockSplitter>("Splitter1")->isVisible());
        QCOMPARE(SPanel1->height(), expected());
    }

    void theVideoPanelDocksAtFourEdges()
    {
        Quiz quiz;
        RadioGroup *VedioLocationRG = quiz.control<RadioGroup>("VedioLocationRG");
        QWidget *VedioPanel = quiz.control<QWidget>("VedioPanel");
        DockSplitter *Splitter1 = quiz.control<DockSplitter>("Splitter1");
        ChoiceArea *Panel2 = quiz.control<ChoiceArea>("Panel2");
        quiz.control<RadioGroup>("AVRG")->setItemIndex(1);
        VedioLocationRG->setItemIndex(1);
        quiz.control<PlayArea>("Panel4")->setVideoThickness(200);
        quiz.control<PlayArea>("Panel4")->relayout();
        const QRect strip = quiz.control<QWidget>("Panel6")->geometry();
        const int w = quiz.control<QWidget>("Panel4")->width();

        // bottom: across the play area, directly above the status strip
        QCOMPARE(VedioPanel->geometry(), QRect(0, strip.top() - 200, w, 200));
        QCOMPARE(Splitter1->geometry().bottom() + 1, VedioPanel->y());
        // right: 200 wide, from the top down to the strip, splitter to its left
        VedioLocationRG->setItemIndex(2);
        QCOMPARE(VedioPanel->geometry(), QRect(w - 200, 0, 200, strip.top()));
        QCOMPARE(Splitter1->geometry().right() + 1, VedioPanel->x());
        QCOMPARE(Panel2->geometry().right() + 1, Splitter1->x());
        // left
        VedioLocationRG->setItemIndex(3);
        QCOMPARE(VedioPanel->geometry(), QRect(0, 0, 200, strip.top()));
        QCOMPARE(Splitter1->x(), 200);
        // top: full width, splitter below it
        VedioLocationRG->setItemIndex(0);
        QCOMPARE(VedioPanel->geometry(), QRect(0, 0, w, 200));
        QCOMPARE(Splitter1->y(), 200);
        QCOMPARE(Panel2->y(), 204);
        // and back to the bottom, still 200 high above the strip
        VedioLocationRG->setItemIndex(1);
        QCOMPARE(VedioPanel->geometry(), QRect(0, strip.top() - 200, w, 200));
    }

    void draggingTheSplitterResizesOrClosesTheVideo()
    {
        Quiz quiz;
        QWidget *VedioPanel = quiz.control<QWidget>("VedioPanel");
        DockSplitter *Splitter1 = quiz.control<DockSplitter>("Splitter1");
        quiz.control<RadioGroup>("AVRG")->setItemIndex(1);
        quiz.control<RadioGroup>("VedioLocationRG")->setItemIndex(0);
        quiz.control<PlayArea>("Panel4")->setVideoThickness(200);
        quiz.control<PlayArea>("Panel4")->relayout();
        const QPoint grip = Splitter1->rect().center();
        QTest::mousePress(Splitter1, Qt::LeftButton, {}, grip);
        QTest::mouseMove(Splitter1, grip + QPoint(0, 50));
        // The splitter followed the drag, so the pointer is over its grip again.
        QCOMPARE(Splitter1->y(), 250);
        QTest::mouseRelease(Splitter1, Qt::LeftButton, {}, grip);
        QCOMPARE(VedioPanel->height(), 250);
        QCOMPARE(quiz.control<ChoicePanel>("SPanel1")->height(), quiz.control<ChoiceArea>("Panel2")->height() / 3);

        const QPoint grip2 = Splitter1->rect().center();
        QTest::mousePress(Splitter1, Qt::LeftButton, {}, grip2);
        QTest::mouseRelease(Splitter1, Qt::LeftButton, {}, grip2 - QPoint(0, 225));
        QCOMPARE(quiz.control<PlayArea>("Panel4")->videoThickness(), 0);
        QCOMPARE(DockSplitter::draggedThickness(100, -70, 500), 30 > 30 ? 30 : 0);
        QCOMPARE(DockSplitter::draggedThickness(100, -69, 500), 31);
    }

    void startingWithVideoShowsTheSplitterUntilThePaneCloses()
    {
        Quiz quiz;
        DockSplitter *Splitter1 = quiz.control<DockSplitter>("Splitter1");
        quiz.control<RadioGroup>("AVRG")->setItemIndex(1); // as a settings load at start-up would
        QVERIFY(Splitter1->isVisible());
        quiz.keyUp(Qt::Key_F1, Qt::ControlModifier | Qt::AltModifier);
        QTest::mouseClick(quiz.control<QPushButton>("Button1"), Qt::LeftButton);
        QVERIFY(!Splitter1->isVisible());
        QVERIFY(quiz.control<QWidget>("VedioPanel")->isVisible());
    }

    void aMissingResultClipIsReportedOnceAndTheQuestionEnds()
    {
        Quiz quiz;
        QFile::remove(quiz.data("true.wav"));
        QFile::remove(quiz.data("false.wav"));
        quiz.clickPanel(1);
        QCOMPARE(quiz.dialogs.count(Kind::Error), 1);
        QVERIFY(quiz.dialogs.texts(Kind::Error).first().contains(QStringLiteral(".wav")));
        QVERIFY(quiz.form->cycle().answered());
        QVERIFY(quiz.control<QTimer>("playwaitTimer")->isActive());
        quiz.clickPanel(2);
        QCOMPARE(quiz.dialogs.count(Kind::Error), 1);
        QCOMPARE(quiz.control<QLabel>("Lb2")->text(), QStringLiteral("1"));
    }

    void aMissingQuestionClipAtTheTickIsReportedOnce()
    {
        Quiz quiz;
        QTimer *playwaitTimer = quiz.control<QTimer>("playwaitTimer");
        for (const char *n : {"color1.wav", "color2.wav", "color3.wav"})
            QFile::remove(quiz.data(n));
        const auto before = quiz.order();
        quiz.clickPanel(1);
        playwaitTimer->setInterval(5);
        QTRY_COMPARE_WITH_TIMEOUT(quiz.dialogs.count(Kind::Error), 1, 2000);
        QTest::qWait(100); // twenty more intervals: no further reports
        QCOMPARE(quiz.dialogs.count(Kind::Error), 1);
        QVERIFY(!playwaitTimer->isActive());
        // The failed question left the display as it was.
        QCOMPARE(quiz.order(), before);
    }

    void aClipMissingAtStartUpStillAsksTheFirstQuestion()
    {
        Quiz quiz(1, [](QuizWindow &w) { QFile::remove(w.data(QStringLiteral("color2.wav"))); });
        QCOMPARE(quiz.dialogs.count(Kind::Notice), 1);
        QCOMPARE(quiz.dialogs.count(Kind::Error), 1);
        QVERIFY(quiz.dialogs.calls().first().kind == Kind::Notice);
        const int asked = quiz.asked();
        QVERIFY2(asked >= 1 && asked <= 3, qPrintable(quiz.control<QLineEdit>("AskColorED")->text()));
        quiz.clickPanel(asked);
        QCOMPARE(quiz.control<QLineEdit>("ResED")->text(), QStringLiteral("Y"));
        QCOMPARE(quiz.dialogs.count(Kind::Error), 1);
    }

    void closingByTheButtonOrThePlatformEndsTheProgram()
    {
        {
            Quiz quiz;
            QSignalSpy finished(quiz.form.get(), &TForm1::finished);
            quiz.keyUp(Qt::Key_F1, Qt::ControlModifier | Qt::AltModifier);
            QTest::mouseClick(quiz.control<QPushButton>("BitBtn1"), Qt::LeftButton);
            QCOMPARE(finished.count(), 1);
            QVERIFY(!quiz.form->isVisible());
        }
        {
            Quiz quiz;
            QSignalSpy finished(quiz.form.get(), &TForm1::finished);
            QVERIFY(quiz.form->close());
            QCOMPARE(finished.count(), 1);
        }
    }

    void aCloseThatCannotSaveOffersToLeaveWithoutSaving()
    {
        Quiz quiz;
        QSignalSpy finished(quiz.form.get(), &TForm1::finished);
        // A folder where the options file belongs: no save can succeed.
        QVERIFY(QFile::remove(quiz.data("options.txt")));
        QVERIFY(QDir().mkpath(quiz.data("options.txt")));
        quiz.dialogs.confirmAnswers.enqueue(false);
        QVERIFY(!quiz.form->close());
        QCOMPARE(quiz.dialogs.count(Kind::Error), 1);
        QCOMPARE(quiz.dialogs.count(Kind::Confirm), 1);
        QCOMPARE(finished.count(), 0);
        quiz.dialogs.confirmAnswers.enqueue(true);
        QVERIFY(quiz.form->close());
        QCOMPARE(finished.count(), 1);
    }

    void appDirIsTheProgramsFolder()
    {
        QCOMPARE(deriveAppDir(QStringLiteral("/opt/kids/quiz")), QStringLiteral("/opt/kids/"));
        QCOMPARE(deriveAppDir(QStringLiteral("/quiz")), QStringLiteral("/"));
        QCOMPARE(deriveAppDir(QStringLiteral("quiz")), QString());
        QCOMPARE(deriveAppDir(QString()), QString());
        QVERIFY(runningProgramFile().endsWith(QStringLiteral("/tst_tform1")));
    }

    void aMessageBoxHasRoomForItsTitle()
    {
        // A window manager draws the title larger and bold, beside its own
        // buttons: a short message must not cut it.
        const std::unique_ptr<QMessageBox> box =
            OkBox::make(QMessageBox::Information, QStringLiteral(u"يجب اختيار درس لحذفه"), nullptr);
        box->show();
        QVERIFY(QTest::qWaitForWindowExposed(box.get()));
        QFont bold = box->font();
        bold.setBold(true);
        const int title = QFontMetrics(bold).horizontalAdvance(box->windowTitle());
        QVERIFY2(box->width() >= title * 13 / 10 + 3 * 28 + 40, qPrintable(QString::number(box->width())));
    }

    void errorTextsEndWithAFullStop()
    {
        QCOMPARE(errorReportText(QStringLiteral("ملف مفقود")), QStringLiteral("ملف مفقود."));
        QCOMPARE(errorReportText(QStringLiteral("done.")), QStringLiteral("done."));
        QCOMPARE(errorReportText(QStringLiteral("a,")), QStringLiteral("a,"));
        QCOMPARE(errorReportText(QStringLiteral("a ")), QStringLiteral("a "));
        QCOMPARE(errorReportText(QStringLiteral("x-")), QStringLiteral("x-"));
        QCOMPARE(errorReportText(QString()), QString());
        QCOMPARE(errorReportText(QStringLiteral("7")), QStringLiteral("7."));
    }
};

QTEST_MAIN(TestTForm1)
#include "tst_tform1.moc"
