// Play without a mouse, without sound, with one or two switches, by touch,
// and with the child lock: real key and touch events on the real window.
#include "core/media/sounddevices.h"
#include "core/settings/accesssettings.h"
#include "support/quizwindow.h"
#include "ui/window/choicepanel.h"
#include "ui/window/clicklabel.h"
#include "ui/window/playmarks.h"
#include "ui/window/shapecontrol.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPointingDevice>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>

namespace {

/// The window with access.txt written into its data folder before it starts.
struct Quiz : QuizWindow
{
    explicit Quiz(const QByteArray &access = QByteArray())
        : QuizWindow([access](QuizWindow &w) {
              if (!access.isNull())
                  testsupport::writeFile(w.data(AccessSettings::fileName()), access);
          })
    {
    }

    PlayMarks *marks() const { return control<PlayMarks>("PlayMarks"); }
    void key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QTest::keyClick(form.get(), key, mods);
    }
    /// The choice in a row of the stack, 1..3.
    int choiceInRow(int row) const { return marks()->panelInRow(row) + 1; }
    QString judged() const { return control<QLineEdit>("ResED")->text(); }
};

} // namespace

class TestAccess : public QObject
{
    Q_OBJECT

private slots:
    void readsEachKeyOnItsOwn_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QByteArray>("expected");
        const QByteArray defaults = AccessSettings().toBytes();
        QTest::newRow("empty") << QByteArray() << defaults;
        QTest::newRow("all set, CR LF, byte order mark")
            << QByteArray("\xEF\xBB\xBFscan=auto\r\nscan_interval_ms=750\r\nvisual_feedback=1\r\n"
                          "wait_for_question=1\r\nchild_lock=1\r\n")
            << QByteArray("scan=auto\nscan_interval_ms=750\nvisual_feedback=1\nwait_for_question=1\nchild_lock=1\n");
        QTest::newRow("bad values keep the defaults")
            << QByteArray("scan=on\nscan_interval_ms=499\nvisual_feedback=2\nwait_for_question=yes\nchild_lock=\n")
            << defaults;
        QTest::newRow("interval above, signed, huge, not a number")
            << QByteArray("scan_interval_ms=10001\nscan_interval_ms=+900\nscan_interval_ms=99999999999\n"
                          "scan_interval_ms=1e3\nscan_interval_ms=٧٠٠")
            << defaults;
        QTest::newRow("unknown keys, no equals sign, the bounds")
            << QByteArray("colour=red\nchild_lock\n=1\nscan_interval_ms = 10000\nSCAN=auto\n")
            << QByteArray("scan=off\nscan_interval_ms=10000\nvisual_feedback=0\nwait_for_question=0\nchild_lock=0\n");
        QTest::newRow("binary") << QByteArray("\0\xff\xfe=\0\n\n\n", 8) << defaults;
    }
    void readsEachKeyOnItsOwn()
    {
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, expected);
        QCOMPARE(AccessSettings::parse(file).toBytes(), expected);
        QCOMPARE(AccessSettings::parse(expected).toBytes(), expected);
    }

    void thePageLoadsAndSavesTheFile()
    {
        Quiz quiz("scan=auto\nscan_interval_ms=3000\nchild_lock=1\nnonsense\n");
        QCOMPARE(quiz.control<QComboBox>("ScanCB")->currentIndex(), 1);
        QCOMPARE(quiz.control<QSpinBox>("ScanIntervalSE")->value(), 3000);
        QVERIFY(quiz.control<QCheckBox>("ChildLockChk")->isChecked());
        QVERIFY(quiz.messages().isEmpty());
        QVERIFY(quiz.errors().isEmpty());
        quiz.openOptions();
        QuizWindow::click(quiz.control<QCheckBox>("VisualFeedbackChk"));
        QVERIFY(quiz.closeByButton());
        QCOMPARE(testsupport::readFile(quiz.data(AccessSettings::fileName())),
                 QByteArray("scan=auto\nscan_interval_ms=3000\nvisual_feedback=1\nwait_for_question=0\nchild_lock=1\n"));
        // A file that cannot be read at all is no message either.
        QFile::remove(quiz.data(AccessSettings::fileName()));
        QVERIFY(QDir().mkdir(quiz.data(AccessSettings::fileName())));
        quiz.form.reset();
        quiz.start();
        QVERIFY(quiz.messages().isEmpty());
        QVERIFY(!quiz.control<QCheckBox>("VisualFeedbackChk")->isChecked());
    }

    void keysMoveTheFrameAndReturnAnswers_data()
    {
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<int>("row");
        const int shiftTab = int(Qt::Key_Tab) | int(Qt::ShiftModifier);
        QTest::newRow("none") << QList<int>{} << 0;
        QTest::newRow("down") << QList<int>{Qt::Key_Down} << 1;
        QTest::newRow("down wraps") << QList<int>{Qt::Key_Down, Qt::Key_Down, Qt::Key_Down} << 0;
        QTest::newRow("up wraps") << QList<int>{Qt::Key_Up} << 2;
        QTest::newRow("tab, space") << QList<int>{Qt::Key_Tab, Qt::Key_Space} << 2;
        QTest::newRow("shift tab") << QList<int>{shiftTab} << 2;
        QTest::newRow("back tab") << QList<int>{Qt::Key_Backtab, Qt::Key_Backtab} << 1;
    }
    void keysMoveTheFrameAndReturnAnswers()
    {
        QFETCH(QList<int>, keys);
        QFETCH(int, row);
        Quiz quiz;
        QCOMPARE(quiz.marks()->framedRow(), 0);
        QVERIFY(quiz.marks()->frameWidth() >= 10);
        QWidget *focus = QApplication::focusWidget();
        for (int k : keys)
            quiz.key(Qt::Key(k & ~int(Qt::KeyboardModifierMask)), Qt::KeyboardModifiers(k & int(Qt::KeyboardModifierMask)));
        QCOMPARE(quiz.marks()->framedRow(), row);
        QCOMPARE(QApplication::focusWidget(), focus);
        QVERIFY(!quiz.form->cycle().answered());
        const int choice = quiz.choiceInRow(row);
        quiz.key(Qt::Key_Return);
        QVERIFY(quiz.form->cycle().answered());
        QCOMPARE(int(quiz.form->cycle().clicked()), choice);
        QCOMPARE(quiz.judged(), quiz.asked() == choice ? QStringLiteral("Y") : QStringLiteral("N"));
        // While the result shows, keys do nothing.
        quiz.key(Qt::Key_Down);
        quiz.key(Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(quiz.marks()->framedRow(), row);
        quiz.waitForNextQuestion();
        QCOMPARE(quiz.marks()->framedRow(), 0);
    }

    void keysLeaveTheOptionsPaneAlone()
    {
        Quiz quiz;
        quiz.openOptions();
        QCOMPARE(quiz.marks()->framedRow(), -1);
        quiz.key(Qt::Key_Return);
        quiz.key(Qt::Key_Down);
        QVERIFY(!quiz.form->cycle().answered());
        QuizWindow::click(quiz.control<QPushButton>("Button1"));
        QCOMPARE(quiz.marks()->framedRow(), 0);
    }

    void theChildLockHoldsOnlyAgainstTheWindowManagerInPlay_data()
    {
        QTest::addColumn<bool>("lock");
        QTest::addColumn<bool>("options");
        QTest::addColumn<int>("how"); // 0 the window manager, 1 the exit button, 2 the session's end
        QTest::addColumn<bool>("closes");
        QTest::newRow("lock, play, Alt+F4") << true << false << 0 << false;
        QTest::newRow("lock, options, Alt+F4") << true << true << 0 << true;
        QTest::newRow("lock, exit button") << true << true << 1 << true;
        QTest::newRow("lock, play, session ends") << true << false << 2 << true;
        QTest::newRow("no lock, play, Alt+F4") << false << false << 0 << true;
    }
    void theChildLockHoldsOnlyAgainstTheWindowManagerInPlay()
    {
        QFETCH(bool, lock);
        QFETCH(bool, options);
        QFETCH(int, how);
        QFETCH(bool, closes);
        Quiz quiz(lock ? "child_lock=1\n" : "child_lock=0\n");
        QSignalSpy finished(quiz.form.get(), &TForm1::finished);
        if (options)
            quiz.openOptions();
        if (how == 0)
            quiz.closeByPlatform();
        else if (how == 1)
            quiz.closeByButton();
        else
            quiz.form->requestClose();
        if (closes) {
            QTRY_COMPARE(finished.count(), 1);
            QVERIFY(QFile::exists(quiz.data(AccessSettings::fileName()))); // saved as it ended
        } else {
            QCoreApplication::processEvents();
            QVERIFY(quiz.form->isVisible());
            QCOMPARE(finished.count(), 0);
        }
    }

    void oneSwitchScansAndAnyClickAnswersTheFramedPanel()
    {
        Quiz quiz("scan=auto\nscan_interval_ms=500\n");
        auto *timer = quiz.control<QTimer>("scanTimer");
        QVERIFY(timer->isActive());
        QCOMPARE(timer->interval(), 500);
        QCOMPARE(quiz.marks()->framedRow(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(quiz.marks()->framedRow(), 1, 5000);
        // A click on the top panel answers the framed middle one.
        const int framed = quiz.choiceInRow(1);
        quiz.clickPanel(quiz.choiceInRow(0));
        QVERIFY(quiz.form->cycle().answered());
        QCOMPARE(int(quiz.form->cycle().clicked()), framed);
        QVERIFY(!timer->isActive());
        quiz.waitForNextQuestion();
        QCOMPARE(quiz.marks()->framedRow(), 0);
        QVERIFY(timer->isActive());
        // Space selects while scanning.
        quiz.key(Qt::Key_Space);
        QCOMPARE(int(quiz.form->cycle().clicked()), quiz.choiceInRow(0));
    }

    void aTickOrACrossShowsUntilTheNextQuestion_data()
    {
        QTest::addColumn<bool>("feedback");
        QTest::addColumn<bool>("right");
        QTest::newRow("right") << true << true;
        QTest::newRow("wrong") << true << false;
        QTest::newRow("off") << false << true;
    }
    void aTickOrACrossShowsUntilTheNextQuestion()
    {
        QFETCH(bool, feedback);
        QFETCH(bool, right);
        Quiz quiz(feedback ? "visual_feedback=1\n" : "");
        const int choice = right ? quiz.asked() : quiz.asked() % 3 + 1;
        quiz.clickPanel(choice);
        QVERIFY(quiz.form->cycle().answered());
        const PlayMarks::Mark expected
            = !feedback ? PlayMarks::Mark::None : right ? PlayMarks::Mark::Tick : PlayMarks::Mark::Cross;
        QCOMPARE(quiz.marks()->mark(), expected);
        if (feedback)
            QCOMPARE(quiz.marks()->markedPanel(), choice - 1);
        quiz.waitForNextQuestion();
        QCOMPARE(quiz.marks()->mark(), PlayMarks::Mark::None);
    }

    void anAnswerBeforeTheQuestionWasHeardIsIgnored()
    {
        Quiz quiz("wait_for_question=1\n");
        if (!SoundDevices::hasOutput())
            QVERIFY(quiz.form->questionHeard()); // nothing to wait for
        if (!quiz.form->questionHeard()) {
            quiz.clickPanel(quiz.asked());
            quiz.key(Qt::Key_Return);
            QVERIFY(!quiz.form->cycle().answered());
            QTRY_VERIFY_WITH_TIMEOUT(quiz.form->questionHeard(), 20000);
        }
        quiz.clickPanel(quiz.asked());
        QVERIFY(quiz.form->cycle().answered());
    }

    void aTapAnswersOnceAndASlideOrTwoFingersNothing_data()
    {
        QTest::addColumn<int>("gesture"); // 0 a tap, 1 a slide, 2 two fingers
        QTest::addColumn<bool>("answers");
        QTest::newRow("tap") << 0 << true;
        QTest::newRow("slide") << 1 << false;
        QTest::newRow("two fingers") << 2 << false;
    }
    void aTapAnswersOnceAndASlideOrTwoFingersNothing()
    {
        QFETCH(int, gesture);
        QFETCH(bool, answers);
        Quiz quiz;
        static QPointingDevice *screen = QTest::createTouchDevice();
        ChoicePanel *panel = quiz.panel(quiz.asked());
        int answered = 0;
        // Every way a click reaches the window from this panel and its content.
        for (QObject *o : panel->findChildren<QObject *>()) {
            if (auto *label = qobject_cast<ClickLabel *>(o))
                connect(label, &ClickLabel::clicked, this, [&answered] { ++answered; });
            if (auto *shape = qobject_cast<ShapeControl *>(o))
                connect(shape, &ShapeControl::mouseUp, this, [&answered] { ++answered; });
        }
        connect(panel, &ChoicePanel::clicked, this, [&answered] { ++answered; });
        QWidget *w = quiz.form.get();
        const QPoint at = panel->mapTo(w, panel->rect().center());
        QTest::touchEvent(w, screen).press(0, at, w);
        if (gesture == 1)
            QTest::touchEvent(w, screen).move(0, at + QPoint(0, panel->height() / 2 - 2), w);
        if (gesture == 2)
            QTest::touchEvent(w, screen).stationary(0).press(1, at + QPoint(30, 0), w);
        if (gesture == 2)
            QTest::touchEvent(w, screen).release(0, at, w).release(1, at + QPoint(30, 0), w);
        else
            QTest::touchEvent(w, screen).release(0, at + (gesture == 1 ? QPoint(0, panel->height() / 2 - 2) : QPoint()), w);
        QCoreApplication::processEvents();
        QCOMPARE(answered, answers ? 1 : 0);
        QCOMPARE(quiz.form->cycle().answered(), answers);
        if (answers)
            QCOMPARE(quiz.judged(), QStringLiteral("Y"));
    }

    void everyControlATeacherUsesHasAName()
    {
        Quiz quiz;
        quiz.openOptions();
        auto *pane = quiz.control<QTabWidget>("OptionsPC");
        QStringList unnamed;
        // The hidden fields that hold the question's state are no controls.
        const QStringList state{QStringLiteral("AskColorED"), QStringLiteral("ResED")};
        int walked = 0;
        for (QWidget *w : pane->findChildren<QWidget *>()) {
            const bool control = qobject_cast<QAbstractButton *>(w) || qobject_cast<QLineEdit *>(w)
                || qobject_cast<QAbstractSpinBox *>(w) || qobject_cast<QComboBox *>(w)
                || qobject_cast<QAbstractItemView *>(w) || qobject_cast<QTabBar *>(w)
                || qobject_cast<ClickLabel *>(w);
            if (!control || state.contains(w->objectName()))
                continue;
            // The parts of a combo box's list and a table speak through their owner.
            if (w->inherits("QComboBoxListView") || w->inherits("QHeaderView")
                || w->inherits("QTableCornerButton"))
                continue;
            // A spin box's or a combo box's own line edit speaks for its owner.
            if (qobject_cast<QLineEdit *>(w) && (qobject_cast<QAbstractSpinBox *>(w->parentWidget())
                                                 || qobject_cast<QComboBox *>(w->parentWidget())))
                continue;
            QAccessibleInterface *a = QAccessible::queryAccessibleInterface(w);
            QVERIFY(a);
            ++walked;
            if (a->text(QAccessible::Name).trimmed().isEmpty())
                unnamed << (w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) + QLatin1Char('@') + w->parentWidget()->objectName() : w->objectName());
        }
        QVERIFY(walked > 40);
        QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(QLatin1Char(' '))));
    }
};

QTEST_MAIN(TestAccess)
#include "tst_access.moc"
