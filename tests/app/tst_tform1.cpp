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
#include "ui/window/radiogroup.h"
#include "support/scripteddialogs.h"
#include "ui/window/shapecontrol.h"
#include "ui/window/playarea.h"
#include "ui/window/statusstrip.h"
#include "ui/window/tform1.h"
#include "core/quiz/random.h"
#include "support/testsupport.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>

#include <memory>
#include <set>

using testsupport::ProgramFolder;
using Kind = ScriptedDialogs::Kind;

namespace {

struct Quiz
{
    explicit Quiz(quint32 seed = 42)
    {
        random.seedOnce(seed);
        form = std::make_unique<TForm1>(QuizEnvironment{&dialogs, &random, folder.programFile()});
        form->resize(1003, 612);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    }

    std::array<int, 3> order() const
    {
        const auto &o = form->Panel2->stack().order();
        return {o[0], o[1], o[2]};
    }
    int asked() const { return form->AskColorED->text().toInt(); }
    ChoicePanel *panel(int choice) const
    {
        return choice == 1 ? form->SPanel1 : choice == 2 ? form->SPanel2 : form->SPanel3;
    }
    void clickPanel(int choice, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseClick(panel(choice), button, {}, panel(choice)->rect().center());
    }
    void keyUp(int key, Qt::KeyboardModifiers mods)
    {
        QTest::keyRelease(form.get(), Qt::Key(key), mods);
    }
    /// Lets the waiting timer really fire, shortened so that no test sleeps.
    void waitForNextQuestion()
    {
        form->playwaitTimer->setInterval(5);
        QTRY_VERIFY_WITH_TIMEOUT(!form->cycle().answered(), 2000);
    }

    ProgramFolder folder;
    ScriptedDialogs dialogs;
    Random random;
    std::unique_ptr<TForm1> form;
};

} // namespace

class TestTForm1 : public QObject
{
    Q_OBJECT

private slots:
    void startsWithTheNoticeAndAFirstQuestionInPlayMode()
    {
        Quiz quiz;
        QCOMPARE(quiz.dialogs.count(Kind::Notice), 1);
        QCOMPARE(quiz.dialogs.count(Kind::Error), 0);
        QCOMPARE(quiz.form->AppDir, quiz.folder.appDir());
        QVERIFY(!quiz.form->optionsMode());
        QVERIFY(quiz.asked() >= 1 && quiz.asked() <= 3);
        QVERIFY(quiz.form->Shape1->isVisible());
        QCOMPARE(quiz.form->layoutDirection(), Qt::RightToLeft);
        QVERIFY(quiz.form->windowFlags() & Qt::FramelessWindowHint);
        // The status strip is the outermost child at the bottom.
        QCOMPARE(quiz.form->Panel6->geometry().bottom(), quiz.form->Panel4->height() - 1);
        QCOMPARE(quiz.form->Panel6->height(), 25);
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
        QTest::mouseClick(quiz.form->Button1, Qt::LeftButton);

        quiz.keyUp(Qt::Key_F1, Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier);
        QVERIFY(quiz.form->optionsMode());
        QCOMPARE(quiz.form->OptionsPC->width(), 430);
        QCOMPARE(quiz.order(), (std::array<int, 3>{0, 1, 2}));
        QVERIFY(!quiz.form->Image1->toolTip().isEmpty());
        // The pane lies at the right edge, the play area fills the rest.
        QCOMPARE(quiz.form->OptionsPC->geometry().right(), quiz.form->width() - 1);
        QCOMPARE(quiz.form->Panel4->width(), quiz.form->width() - 430);

        // Again while open: back to 430 wide and a new question in the fixed order.
        quiz.form->OptionsPC->resize(500, quiz.form->OptionsPC->height());
        quiz.keyUp(Qt::Key_F1, Qt::ControlModifier | Qt::AltModifier);
        QCOMPARE(quiz.form->OptionsPC->width(), 430);
        QCOMPARE(quiz.order(), (std::array<int, 3>{0, 1, 2}));

        // Hiding the pane starts no new question.
        const QString asked = quiz.form->AskColorED->text();
        QTest::mouseClick(quiz.form->Button1, Qt::LeftButton);
        QVERIFY(!quiz.form->optionsMode());
        QVERIFY(quiz.form->Image1->toolTip().isEmpty());
        QCOMPARE(quiz.form->AskColorED->text(), asked);
        QCOMPARE(quiz.order(), (std::array<int, 3>{0, 1, 2}));
        QVERIFY(!quiz.form->Splitter1->isVisible());
        // The keyboard is the window's again, so the chord works at once.
        quiz.keyUp(Qt::Key_F1, Qt::ControlModifier | Qt::AltModifier);
        QVERIFY(quiz.form->optionsMode());

        // Ctrl+Alt+F1 never reaches a window on most desktops: Ctrl+Shift+F1
        // does the same, and the status strip names both, uncut.
        QTest::mouseClick(quiz.form->Button1, Qt::LeftButton);
        quiz.keyUp(Qt::Key_F1, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(quiz.form->optionsMode());
        QCOMPARE(quiz.order(), (std::array<int, 3>{0, 1, 2}));
        const QLabel *hint = quiz.form->Label10;
        QVERIFY(hint->text().contains(QStringLiteral("Ctrl+Shift+F1")) && hint->text().contains(QStringLiteral("Ctrl+Alt+F1")));
        QVERIFY(hint->width() >= hint->fontMetrics().horizontalAdvance(hint->text()));
    }

    void keysTypedIntoATextAreNotTheWindows()
    {
        Quiz quiz;
        quiz.keyUp(Qt::Key_F1, Qt::ControlModifier | Qt::AltModifier);
        quiz.form->OptionsPC->setCurrentIndex(0);
        quiz.form->AskForRG->setItemIndex(1);
        quiz.form->Ed1->setFocus();
        QTest::mouseClick(quiz.form->Button1, Qt::LeftButton);
        quiz.form->OptionsPC->show(); // back to options mode with an edit focused
        quiz.form->Ed1->setFocus();
        const QString asked = quiz.form->AskColorED->text();
        QTest::keyRelease(quiz.form->Ed1, Qt::Key_F1, Qt::ControlModifier | Qt::AltModifier);
        QCOMPARE(quiz.form->AskColorED->text(), asked);
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
                QCOMPARE(quiz.panel(quiz.order()[place] + 1)->y(), place * quiz.form->Panel2->stack().height());
        }
        QCOMPARE(seen.size(), std::size_t(6));
    }

    void aClickIsJudgedOnceUntilTheWaitEnds()
    {
        Quiz quiz;
        const int asked = quiz.asked();
        const int wrong = asked == 1 ? 2 : 1;
        quiz.clickPanel(asked);
        QCOMPARE(quiz.form->ResED->text(), QStringLiteral("Y"));
        QCOMPARE(quiz.form->Lb2->text(), QString::number(asked));
        QVERIFY(quiz.form->cycle().answered());
        QVERIFY(quiz.form->playwaitTimer->isActive());
        QCOMPARE(quiz.form->playwaitTimer->interval(), 2000);

        quiz.clickPanel(wrong); // ignored: the result is showing
        QCOMPARE(quiz.form->Lb2->text(), QString::number(asked));
        QCOMPARE(quiz.form->ResED->text(), QStringLiteral("Y"));

        quiz.waitForNextQuestion();
        QVERIFY(!quiz.form->playwaitTimer->isActive());
        const int next = quiz.asked();
        quiz.clickPanel(next == 3 ? 1 : next + 1);
        QCOMPARE(quiz.form->ResED->text(), QStringLiteral("N"));
    }

    void shapesTextsAndPicturesAnswerTheirPanel()
    {
        Quiz quiz;
        quiz.form->AskForColorRG->setItemIndex(3);
        quiz.keyUp(Qt::Key_F1, Qt::ControlModifier | Qt::AltModifier);
        QCOMPARE(quiz.asked(), 3);
        // Any mouse button released over a shape answers.
        QTest::mouseClick(quiz.form->Shape3, Qt::RightButton, {}, quiz.form->Shape3->rect().center());
        QCOMPARE(quiz.form->Lb2->text(), QStringLiteral("3"));
        QCOMPARE(quiz.form->ResED->text(), QStringLiteral("Y"));
        quiz.waitForNextQuestion();

        quiz.form->AskForRG->setItemIndex(1);
        QVERIFY(quiz.form->lbask2->isVisible() && !quiz.form->Shape2->isVisible());
        QVERIFY(quiz.form->TextPanel->isVisible());
        QTest::mouseClick(quiz.form->lbask2, Qt::LeftButton, {}, quiz.form->lbask2->rect().center());
        QCOMPARE(quiz.form->Lb2->text(), QStringLiteral("2"));
        quiz.waitForNextQuestion();

        // Picture slot 2 shows in the third panel and answers choice 3.
        quiz.form->AskForRG->setItemIndex(2);
        QVERIFY(quiz.form->Image2->isVisible() && !quiz.form->lbask2->isVisible());
        QCOMPARE(quiz.form->Image2->parentWidget(), static_cast<QWidget *>(quiz.form->SPanel3));
        QTest::mouseClick(quiz.form->Image2, Qt::LeftButton, {}, quiz.form->Image2->rect().center());
        QCOMPARE(quiz.form->Lb2->text(), QStringLiteral("3"));
        quiz.waitForNextQuestion();

        quiz.form->AskForRG->setItemIndex(-1);
        for (QWidget *w : std::initializer_list<QWidget *>{quiz.form->Shape1, quiz.form->lbask1, quiz.form->Image1})
            QVERIFY(!w->isVisible());
    }

    void colourAndTextsReachThePanelsAtTheNextQuestion()
    {
        Quiz quiz;
        TForm1::setLabelColor(quiz.form->ColorLB2, Qt::green);
        QVERIFY(quiz.form->Shape2->brushColor() != QColor(Qt::green));
        quiz.form->Ed1->setText(QStringLiteral("قطة"));
        quiz.clickPanel(1);
        quiz.waitForNextQuestion();
        QCOMPARE(quiz.form->Shape2->brushColor(), QColor(Qt::green));
        QCOMPARE(quiz.form->lbask1->text(), QStringLiteral("قطة"));
        // All three texts share the first colour as background.
        for (QWidget *l : std::initializer_list<QWidget *>{quiz.form->lbask1, quiz.form->lbask2, quiz.form->lbask3})
            QCOMPARE(TForm1::labelColor(l), TForm1::labelColor(quiz.form->ColorLB1));
    }

    void theWaitingTimeSetsTheTimer()
    {
        Quiz quiz;
        quiz.form->WaitSE->setValue(5);
        QCOMPARE(quiz.form->playwaitTimer->interval(), 5000);
        quiz.clickPanel(1);
        QVERIFY(quiz.form->playwaitTimer->isActive());
        // A change during the wait starts the countdown again.
        quiz.form->WaitSE->setValue(60);
        QCOMPARE(quiz.form->playwaitTimer->interval(), 60000);
        QVERIFY(quiz.form->playwaitTimer->remainingTime() > 59000);
        quiz.form->WaitSE->setValue(1);
        QCOMPARE(quiz.form->playwaitTimer->interval(), 1000);
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
        QSpinBox *wait = quiz.form->WaitSE;
        wait->setFocus();
        QTest::keyClick(wait, Qt::Key_Up);
        QCOMPARE(wait->text(), QStringLiteral(u"٣"));
        QCOMPARE(quiz.form->playwaitTimer->interval(), 3000);

        // The status strip counts as the grid does; the file keeps plain digits.
        quiz.clickPanel(1);
        QCOMPARE(quiz.form->DBText3->text() + quiz.form->DBText2->text(), QStringLiteral(u"١"));
        QVERIFY(quiz.form->close());
        const QList<QByteArray> lines =
            testsupport::readFile(quiz.folder.dataDir() + QStringLiteral("options.txt")).split('\n');
        QCOMPARE(lines.value(20).trimmed(), QByteArray("3"));
    }

    void theHeightRuleAppliesOnResizeNotOnVideoMoves()
    {
        Quiz quiz;
        auto expected = [&] { return quiz.form->Panel2->height() / 3; };
        QCOMPARE(quiz.form->SPanel1->height(), expected());
        quiz.form->resize(900, 700);
        QCOMPARE(quiz.form->SPanel1->height(), expected());
        QCOMPARE(quiz.form->SPanel3->height(), expected());
        const int before = quiz.form->SPanel1->height();

        quiz.form->AVRG->setItemIndex(1); // video: the panel takes room from the choices
        QVERIFY(quiz.form->VedioPanel->isVisible());
        // The rule runs before the splitter is shown again, so its four pixels
        // may still count.
        QVERIFY(quiz.form->SPanel1->height() >= expected());
        QVERIFY(quiz.form->SPanel1->height() <= (quiz.form->Panel2->height() + 4) / 3);
        const int withVideo = quiz.form->SPanel1->height();
        QVERIFY(withVideo < before);
        quiz.form->VedioLocationRG->setItemIndex(2); // to the right: no height rule
        QCOMPARE(quiz.form->SPanel1->height(), withVideo);
        quiz.form->AVRG->setItemIndex(0);
        QVERIFY(!quiz.form->VedioPanel->isVisible());
        QVERIFY(!quiz.form->Splitter1->isVisible());
        QCOMPARE(quiz.form->SPanel1->height(), expected());
    }

    void theVideoPanelDocksAtFourEdges()
    {
        Quiz quiz;
        TForm1 &f = *quiz.form;
        f.AVRG->setItemIndex(1);
        f.VedioLocationRG->setItemIndex(1);
        f.Panel4->setVideoThickness(200);
        f.Panel4->relayout();
        const QRect strip = f.Panel6->geometry();
        const int w = f.Panel4->width();

        // bottom: across the play area, directly above the status strip
        QCOMPARE(f.VedioPanel->geometry(), QRect(0, strip.top() - 200, w, 200));
        QCOMPARE(f.Splitter1->geometry().bottom() + 1, f.VedioPanel->y());
        // right: 200 wide, from the top down to the strip, splitter to its left
        f.VedioLocationRG->setItemIndex(2);
        QCOMPARE(f.VedioPanel->geometry(), QRect(w - 200, 0, 200, strip.top()));
        QCOMPARE(f.Splitter1->geometry().right() + 1, f.VedioPanel->x());
        QCOMPARE(f.Panel2->geometry().right() + 1, f.Splitter1->x());
        // left
        f.VedioLocationRG->setItemIndex(3);
        QCOMPARE(f.VedioPanel->geometry(), QRect(0, 0, 200, strip.top()));
        QCOMPARE(f.Splitter1->x(), 200);
        // top: full width, splitter below it
        f.VedioLocationRG->setItemIndex(0);
        QCOMPARE(f.VedioPanel->geometry(), QRect(0, 0, w, 200));
        QCOMPARE(f.Splitter1->y(), 200);
        QCOMPARE(f.Panel2->y(), 204);
        // and back to the bottom, still 200 high above the strip
        f.VedioLocationRG->setItemIndex(1);
        QCOMPARE(f.VedioPanel->geometry(), QRect(0, strip.top() - 200, w, 200));
    }

    void draggingTheSplitterResizesOrClosesTheVideo()
    {
        Quiz quiz;
        TForm1 &f = *quiz.form;
        f.AVRG->setItemIndex(1);
        f.VedioLocationRG->setItemIndex(0);
        f.Panel4->setVideoThickness(200);
        f.Panel4->relayout();
        const QPoint grip = f.Splitter1->rect().center();
        QTest::mousePress(f.Splitter1, Qt::LeftButton, {}, grip);
        QTest::mouseMove(f.Splitter1, grip + QPoint(0, 50));
        // The splitter followed the drag, so the pointer is over its grip again.
        QCOMPARE(f.Splitter1->y(), 250);
        QTest::mouseRelease(f.Splitter1, Qt::LeftButton, {}, grip);
        QCOMPARE(f.VedioPanel->height(), 250);
        QCOMPARE(f.SPanel1->height(), f.Panel2->height() / 3);

        const QPoint grip2 = f.Splitter1->rect().center();
        QTest::mousePress(f.Splitter1, Qt::LeftButton, {}, grip2);
        QTest::mouseRelease(f.Splitter1, Qt::LeftButton, {}, grip2 - QPoint(0, 225));
        QCOMPARE(f.Panel4->videoThickness(), 0);
        QCOMPARE(DockSplitter::draggedThickness(100, -70, 500), 30 > 30 ? 30 : 0);
        QCOMPARE(DockSplitter::draggedThickness(100, -69, 500), 31);
    }

    void startingWithVideoShowsTheSplitterUntilThePaneCloses()
    {
        Quiz quiz;
        TForm1 &f = *quiz.form;
        f.AVRG->setItemIndex(1); // as a settings load at start-up would
        QVERIFY(f.Splitter1->isVisible());
        quiz.keyUp(Qt::Key_F1, Qt::ControlModifier | Qt::AltModifier);
        QTest::mouseClick(f.Button1, Qt::LeftButton);
        QVERIFY(!f.Splitter1->isVisible());
        QVERIFY(f.VedioPanel->isVisible());
    }

    void aMissingResultClipIsReportedOnceAndTheQuestionEnds()
    {
        Quiz quiz;
        QFile::remove(quiz.folder.dataDir() + "true.wav");
        QFile::remove(quiz.folder.dataDir() + "false.wav");
        quiz.clickPanel(1);
        QCOMPARE(quiz.dialogs.count(Kind::Error), 1);
        QVERIFY(quiz.dialogs.texts(Kind::Error).first().contains(QStringLiteral(".wav")));
        QVERIFY(quiz.form->cycle().answered());
        QVERIFY(quiz.form->playwaitTimer->isActive());
        quiz.clickPanel(2);
        QCOMPARE(quiz.dialogs.count(Kind::Error), 1);
        QCOMPARE(quiz.form->Lb2->text(), QStringLiteral("1"));
    }

    void aMissingQuestionClipAtTheTickIsReportedOnce()
    {
        Quiz quiz;
        for (const char *n : {"color1.wav", "color2.wav", "color3.wav"})
            QFile::remove(quiz.folder.dataDir() + n);
        const auto before = quiz.order();
        quiz.clickPanel(1);
        quiz.form->playwaitTimer->setInterval(5);
        QTRY_COMPARE_WITH_TIMEOUT(quiz.dialogs.count(Kind::Error), 1, 2000);
        QTest::qWait(100); // twenty more intervals: no further reports
        QCOMPARE(quiz.dialogs.count(Kind::Error), 1);
        QVERIFY(!quiz.form->playwaitTimer->isActive());
        // The failed question left the display as it was.
        QCOMPARE(quiz.order(), before);
    }

    void aClipMissingAtStartUpStillAsksTheFirstQuestion()
    {
        ProgramFolder folder;
        QFile::remove(folder.dataDir() + "color2.wav");
        ScriptedDialogs dialogs;
        Random random;
        random.seedOnce(1);
        TForm1 form({&dialogs, &random, folder.programFile()});
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(dialogs.count(Kind::Notice), 1);
        QCOMPARE(dialogs.count(Kind::Error), 1);
        QVERIFY(dialogs.calls().first().kind == Kind::Notice);
        const int asked = form.AskColorED->text().toInt();
        QVERIFY2(asked >= 1 && asked <= 3, qPrintable(form.AskColorED->text()));
        ChoicePanel *const panels[] = {form.SPanel1, form.SPanel2, form.SPanel3};
        QTest::mouseClick(panels[asked - 1], Qt::LeftButton, {}, panels[asked - 1]->rect().center());
        QCOMPARE(form.ResED->text(), QStringLiteral("Y"));
        QCOMPARE(dialogs.count(Kind::Error), 1);
    }

    void closingByTheButtonOrThePlatformEndsTheProgram()
    {
        {
            Quiz quiz;
            QSignalSpy finished(quiz.form.get(), &TForm1::finished);
            quiz.keyUp(Qt::Key_F1, Qt::ControlModifier | Qt::AltModifier);
            QTest::mouseClick(quiz.form->BitBtn1, Qt::LeftButton);
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
        QVERIFY(QFile::remove(quiz.folder.dataDir() + "options.txt"));
        QVERIFY(QDir().mkpath(quiz.folder.dataDir() + "options.txt"));
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
