// A computer without sound: no sound server to reach and no sound device.
// The quiz starts and plays as always, silently; the options pane says once,
// in a label, that there is no sound output, and the clip rows say why they
// cannot play or record. No message box ever comes up for it.
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
        QLabel *SoundNote = quiz.control<QLabel>("SoundNote");
        ClipPlayerBar *MP1 = quiz.control<ClipPlayerBar>("MP1");
        QCOMPARE(quiz.dialogs.count(Kind::Error) + quiz.dialogs.count(Kind::Message), 0);

        // Asked, answered and counted as always.
        const int asked = quiz.asked();
        QVERIFY(asked >= 1 && asked <= 3);
        quiz.clickPanel(asked);
        QCOMPARE(quiz.control<QLineEdit>("ResED")->text(), QStringLiteral("Y"));
        QVERIFY(quiz.control<QTimer>("playwaitTimer")->isActive());
        QCOMPARE(quiz.control<QLabel>("DBText3")->text(), QLocale().toString(1));

        quiz.openOptions();
        QVERIFY(SoundNote->isVisible());
        QCOMPARE(SoundNote->text(), SoundDevices::noOutputText());
        for (ClipPlayerBar *bar : {MP1, quiz.control<ClipPlayerBar>("MPTrue")}) {
            const QToolButton *play = bar->button(ClipPlayerBar::Button::Play);
            const QToolButton *record = bar->button(ClipPlayerBar::Button::Record);
            QVERIFY(!play->isEnabled() && play->toolTip().contains(SoundDevices::noOutputText()));
            QVERIFY(!record->isEnabled() && record->toolTip().contains(SoundDevices::noInputText()));
        }
        // A video clip still shows its picture.
        QuizWindow::choose(quiz.control<RadioGroup>("AVRG"), 1);
        QVERIFY(quiz.form->player(0).hasVideo());
        QVERIFY(MP1->button(ClipPlayerBar::Button::Play)->isEnabled());
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
