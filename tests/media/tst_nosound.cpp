// A computer without sound: no sound server to reach and no sound device.
// The quiz starts and plays as always, silently; the options pane says once,
// in a label, that there is no sound output, and the clip rows say why they
// cannot play or record. No message box ever comes up for it.
#include "ui/window/choicepanel.h"
#include "core/media/clipplayer.h"
#include "core/media/sounddevices.h"
#include "support/quizwindow.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

class TestNoSound : public QObject
{
    Q_OBJECT

private slots:
    void theQuizPlaysSilentlyAndSaysWhyOnce()
    {
        QVERIFY2(!SoundDevices::hasOutput() && !SoundDevices::hasInput(),
                 "the media backend still finds a sound device");
        QuizWindow quiz;
        QCOMPARE(quiz.dialogs.count(Kind::Error) + quiz.dialogs.count(Kind::Message), 0);

        // Asked, answered and counted as always.
        const int asked = quiz.form->AskColorED->text().toInt();
        QVERIFY(asked >= 1 && asked <= 3);
        ChoicePanel *panel = asked == 1 ? quiz.form->SPanel1 : asked == 2 ? quiz.form->SPanel2 : quiz.form->SPanel3;
        QTest::mouseClick(panel, Qt::LeftButton, {}, panel->rect().center());
        QCOMPARE(quiz.form->ResED->text(), QStringLiteral("Y"));
        QVERIFY(quiz.form->playwaitTimer->isActive());
        QCOMPARE(quiz.form->DBText3->text(), QLocale().toString(1));

        quiz.openOptions();
        QVERIFY(quiz.form->SoundNote->isVisible());
        QCOMPARE(quiz.form->SoundNote->text(), SoundDevices::noOutputText());
        for (ClipPlayerBar *bar : {quiz.form->MP1, quiz.form->MPTrue}) {
            const QToolButton *play = bar->button(ClipPlayerBar::Button::Play);
            const QToolButton *record = bar->button(ClipPlayerBar::Button::Record);
            QVERIFY(!play->isEnabled() && play->toolTip().contains(SoundDevices::noOutputText()));
            QVERIFY(!record->isEnabled() && record->toolTip().contains(SoundDevices::noInputText()));
        }
        // A video clip still shows its picture.
        QuizWindow::choose(quiz.form->AVRG, 1);
        QVERIFY(quiz.form->m_players[0]->hasVideo());
        QVERIFY(quiz.form->MP1->button(ClipPlayerBar::Button::Play)->isEnabled());
        QCOMPARE(quiz.dialogs.count(Kind::Error) + quiz.dialogs.count(Kind::Message), 0);
    }
};

int main(int argc, char **argv)
{
    // No sound server can be reached: the media library learns of sound
    // devices only from it. The test suite's own server stays untouched.
    QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    qputenv("PULSE_SERVER", "unix:/nonexistent/native");
    QApplication app(argc, argv);
    TestNoSound test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_nosound.moc"
