// The clip players on the real window: the medium switch, the player
// button bars, emptying a clip with X, result clips over question clips,
// bad clip files, closing with a missing clip, and recording with the bar.
#include "ui/window/choicepanel.h"
#include "core/media/clipfile.h"
#include "core/media/clipplayer.h"
#include "ui/media/videocanvas.h"
#include "support/quizwindow.h"

#include "mediatestsupport.h"

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QRegularExpression>
#include <QSpinBox>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolButton>
#include <QtTest>

#include <memory>

using State = ClipPlayer::State;
using Button = ClipPlayerBar::Button;

namespace {

/// The window with the seed these tests were written for, and its clip players.
struct Quiz : QuizWindow
{
    explicit Quiz(const Prepare &prepare = {}) : QuizWindow(prepare, 11) {}

    void chooseMedium(int index) { choose(control<RadioGroup>("AVRG"), index); }
    ClipPlayer &player(int i) const { return form->player(i); }
    ClipPlayerBar *bar(int i) const
    {
        static const char *const names[] = {"MP1", "MP2", "MP3", "MPTrue", "MPFalse"};
        return control<ClipPlayerBar>(names[i]);
    }
    void press(int i, Button button) { click(bar(i)->button(button)); }
    bool offers(int i, Button button) const { return bar(i)->button(button)->isEnabled(); }
    /// No clip is sounding: the question asked at start-up and on opening
    /// the options is not in a recording (the clips end in a pause longer
    /// than the sound server's usual latency).
    void waitUntilQuiet() const
    {
        for (int i = 0; i < 5; ++i)
            QTRY_VERIFY_WITH_TIMEOUT(player(i).state() != State::Playing, 10000);
    }
};

/// The length in ms, the silence before the first sound (above 1 % of full
/// scale) in ms and the peak of a canonical mono 16-bit wav.
struct WaveFacts
{
    double ms = 0;
    double leadMs = -1;
    double peak = 0;
};

WaveFacts factsOf(const QByteArray &wave)
{
    WaveFacts facts;
    if (wave.size() < 44 || qFromLittleEndian<quint16>(wave.constData() + 22) != 1)
        return facts;
    const double rate = qFromLittleEndian<quint32>(wave.constData() + 24);
    const qint64 samples = qMin<qint64>(qFromLittleEndian<quint32>(wave.constData() + 40), wave.size() - 44) / 2;
    facts.ms = samples * 1000 / rate;
    for (qint64 i = 0; i < samples; ++i) {
        const int sample = std::abs(int(qFromLittleEndian<qint16>(wave.constData() + 44 + 2 * i)));
        if (facts.leadMs < 0 && sample > 328)
            facts.leadMs = i * 1000 / rate;
        facts.peak = qMax(facts.peak, sample / 32768.0);
    }
    return facts;
}

const QStringList clipNames{"color1", "color2", "color3", "true", "false"};

/// Stores the asked choice (line 1 of the options file) before a start.
void askFor(const QuizWindow &w, int choice)
{
    QVERIFY(testsupport::writeFile(w.data("options.txt"),
                                   optionsWithLine(w.optionsBytes(), 1, QByteArray::number(choice))));
}

} // namespace

class TestWindowMedia : public QObject
{
    Q_OBJECT

private slots:
    void theMediumSwitchReopensAllFivePlayers()
    {
        Quiz quiz;
        QWidget *VedioPanel = quiz.control<QWidget>("VedioPanel");
        RadioGroup *AVRG = quiz.control<RadioGroup>("AVRG");
        VideoCanvas *canvas = quiz.control<VideoCanvas>("VideoCanvas");
        QVERIFY2(quiz.errors().isEmpty(), qPrintable(quiz.errors().join('\n')));
        QCOMPARE(quiz.form->MediaExt(), QStringLiteral("wav"));
        QVERIFY(VedioPanel->isHidden());
        for (int i = 0; i < 5; ++i) {
            QCOMPARE(quiz.player(i).fileName(), quiz.data(clipNames[i] + ".wav"));
            QVERIFY(quiz.player(i).isOpen());
        }

        quiz.openOptions();
        quiz.chooseMedium(1);
        QVERIFY2(quiz.errors().isEmpty(), qPrintable(quiz.errors().join('\n')));
        QCOMPARE(quiz.form->MediaExt(), QStringLiteral("avi"));
        QVERIFY(VedioPanel->isVisible());
        QVERIFY(canvas->isVisible());
        QCOMPARE(canvas->geometry(), VedioPanel->rect());
        for (int i = 0; i < 5; ++i) {
            QCOMPARE(quiz.player(i).fileName(), quiz.data(clipNames[i] + ".avi"));
            QCOMPARE(quiz.player(i).state(), State::Stopped);
            QVERIFY(quiz.player(i).hasVideo());
            // Video clips are played, not recorded.
            QVERIFY(quiz.offers(i, Button::Play));
            QVERIFY(!quiz.offers(i, Button::Record));
        }

        // A question in video: its card is drawn inside the video panel.
        quiz.control<QToolButton>("SpeedButton8")->click();
        QTRY_VERIFY_WITH_TIMEOUT(!canvas->currentImage().isNull(), 5000);

        quiz.chooseMedium(0);
        QCOMPARE(quiz.form->MediaExt(), QStringLiteral("wav"));
        QVERIFY(VedioPanel->isHidden());
        QVERIFY(canvas->currentImage().isNull());
        for (int i = 0; i < 5; ++i) {
            QCOMPARE(quiz.player(i).fileName(), quiz.data(clipNames[i] + ".wav"));
            QVERIFY(quiz.offers(i, Button::Record));
        }

        // An index other than 0 or 1 keeps the extension, reopens the
        // players and hides the panel.
        AVRG->setItemIndex(1);
        QVERIFY(VedioPanel->isVisible());
        AVRG->setItemIndex(-1);
        quiz.form->SetupMediaFiles();
        QCOMPARE(quiz.form->MediaExt(), QStringLiteral("avi"));
        QVERIFY(VedioPanel->isHidden());
        QVERIFY(quiz.player(4).isOpen());
    }

    void theButtonsFollowThePlayer()
    {
        Quiz quiz;
        quiz.openOptions();
        QTRY_COMPARE_WITH_TIMEOUT(quiz.player(1).state(), State::Stopped, 8000);
        QVERIFY(quiz.offers(1, Button::Play));
        QVERIFY(!quiz.offers(1, Button::Stop));
        QVERIFY(quiz.offers(1, Button::Record));

        quiz.press(1, Button::Play);
        QCOMPARE(quiz.player(1).state(), State::Playing);
        QVERIFY(!quiz.offers(1, Button::Play));
        QVERIFY(quiz.offers(1, Button::Stop));
        QVERIFY(!quiz.offers(1, Button::Record));

        // Stop saves first: with nothing recorded the file stays as it was.
        const QByteArray before = testsupport::readFile(quiz.data("color2.wav"));
        quiz.press(1, Button::Stop);
        QCOMPARE(quiz.player(1).state(), State::Stopped);
        QVERIFY(quiz.offers(1, Button::Play));
        QCOMPARE(testsupport::readFile(quiz.data("color2.wav")), before);

        // The end of a playback offers play again.
        quiz.press(3, Button::Play);
        QVERIFY(quiz.offers(3, Button::Stop));
        QTRY_VERIFY_WITH_TIMEOUT(quiz.offers(3, Button::Play), 8000);
        QVERIFY(!quiz.offers(3, Button::Stop));
        QVERIFY(quiz.errors().isEmpty());
    }

    void resetButtonsEmptyTheirOwnClip()
    {
        Quiz quiz;
        quiz.openOptions();
        const QByteArray blank = testsupport::readFile(quiz.data("0.wav"));
        // SpeedButton1 empties the right-answer clip, 2 to 4 the question
        // clips, 5 the wrong-answer clip.
        const char *const resets[] = {"SpeedButton2", "SpeedButton3", "SpeedButton4", "SpeedButton1", "SpeedButton5"};
        QVector<QByteArray> avi;
        for (const QString &name : clipNames)
            avi << testsupport::readFile(quiz.data(name + ".avi"));
        for (int i = 0; i < 5; ++i) {
            quiz.press(i, Button::Play);
            Quiz::click(quiz.control<QToolButton>(resets[i]));
            QCOMPARE(testsupport::readFile(quiz.data(clipNames[i] + ".wav")), blank);
            QCOMPARE(quiz.player(i).state(), State::Stopped);
            for (int j = i + 1; j < 5; ++j)
                QVERIFY(testsupport::readFile(quiz.data(clipNames[j] + ".wav")) != blank);
        }
        for (int i = 0; i < 5; ++i)
            QCOMPARE(testsupport::readFile(quiz.data(clipNames[i] + ".avi")), avi[i]);
        QVERIFY(quiz.errors().isEmpty());
    }

    void resetWithoutBlankKeepsTheClipAndSaysSo()
    {
        Quiz quiz([](QuizWindow &w) {
            QFile::remove(w.data("0.wav"));
        });
        quiz.openOptions();
        const QByteArray before = testsupport::readFile(quiz.data("true.wav"));
        Quiz::click(quiz.control<QToolButton>("SpeedButton1"));
        QCOMPARE(testsupport::readFile(quiz.data("true.wav")), before);
        QCOMPARE(quiz.errors().size(), 1);
        QVERIFY2(quiz.errors().first().contains(quiz.data("0.wav")), qPrintable(quiz.errors().first()));
        QVERIFY(quiz.errors().first().contains(QStringLiteral("بقي كما كان")));
        // The player still works.
        QVERIFY(quiz.offers(3, Button::Play));
    }

    void aRightAnswerSoundsOverTheQuestion()
    {
        Quiz quiz;
        const int asked = quiz.asked();
        QVERIFY(asked >= 1 && asked <= 3);
        ClipPlayer &question = quiz.player(asked - 1);
        QCOMPARE(question.state(), State::Playing);
        quiz.clickPanel(asked);
        QCOMPARE(quiz.control<QLineEdit>("ResED")->text(), QStringLiteral("Y"));
        QCOMPARE(quiz.player(3).state(), State::Playing);
        QCOMPARE(question.state(), State::Playing);
        QCOMPARE(quiz.player(4).state(), State::Stopped);
        QVERIFY(quiz.errors().isEmpty());
    }

    void badClipsAtStartUpAreToldOnceAndCostNoQuestion_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing") << QByteArray() << QStringLiteral("غير موجود");
        QTest::newRow("zero bytes") << QByteArray("") << QStringLiteral("فارغ");
        QTest::newRow("text") << QByteArray("hello, not a sound") << QStringLiteral("ليس مقطع");
        QByteArray broken = testsupport::silentWav();
        broken.replace(12, 4, "????");
        QTest::newRow("broken header") << broken << QStringLiteral("تالف");
    }
    void badClipsAtStartUpAreToldOnceAndCostNoQuestion()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, reason);
        const QStringList bad{QStringLiteral("color2.wav"), QStringLiteral("true.wav")};
        Quiz quiz([&](QuizWindow &w) {
            for (const QString &name : bad) {
                if (content.isNull())
                    QFile::remove(w.data(name));
                else
                    testsupport::writeFile(w.data(name), content);
            }
            askFor(w, 1);
        });
        QLineEdit *AskColorED = quiz.control<QLineEdit>("AskColorED");
        QLineEdit *ResED = quiz.control<QLineEdit>("ResED");
        // One message names both clips; every other clip is open.
        QCOMPARE(quiz.errors().size(), 1);
        for (const QString &name : bad) {
            QVERIFY2(quiz.errors().first().contains(quiz.data(name)), qPrintable(quiz.errors().first()));
            QCOMPARE(testsupport::readFile(quiz.data(name)), content);
        }
        QVERIFY2(quiz.errors().first().contains(reason), qPrintable(quiz.errors().first()));
        for (int i = 0; i < 5; ++i)
            QCOMPARE(quiz.player(i).isOpen(), i != 1 && i != 3);

        // The first question was asked: a click on it is right, and the
        // right-answer clip that cannot open plays nothing and is not told again.
        QCOMPARE(AskColorED->text(), QStringLiteral("1"));
        QCOMPARE(quiz.player(0).state(), State::Playing);
        quiz.clickPanel(1);
        QCOMPARE(ResED->text(), QStringLiteral("Y"));
        QCOMPARE(quiz.player(3).state(), State::Closed);
        QVERIFY(quiz.form->cycle().answered());

        // A question on the second choice is asked without its clip.
        quiz.control<RadioGroup>("AskForColorRG")->setItemIndex(2);
        quiz.waitForNextQuestion();
        QCOMPARE(AskColorED->text(), QStringLiteral("2"));
        QCOMPARE(quiz.player(1).state(), State::Closed);
        quiz.clickPanel(3);
        QCOMPARE(ResED->text(), QStringLiteral("N"));
        QCOMPARE(quiz.player(4).state(), State::Playing);
        QCOMPARE(quiz.errors().size(), 1);
    }

    void aCraftedVideoClipIsNamedAndTheFirstQuestionComes_data()
    {
        QTest::addColumn<QString>("crafted");
        QTest::addColumn<QString>("reason");
        QTest::newRow("lists nested 40 deep") << "nested-lists.avi" << QStringLiteral("تالف");
        QTest::newRow("a frame of ten hours") << "hours-frame.avi" << QStringLiteral("ثلاث دقائق");
        QTest::newRow("400 empty frames of a second") << "empty-frames.avi" << QStringLiteral("ثلاث دقائق");
    }
    void aCraftedVideoClipIsNamedAndTheFirstQuestionComes()
    {
        QFETCH(QString, crafted);
        QFETCH(QString, reason);
        const QByteArray bytes = testsupport::readFile(testsupport::testData(QStringLiteral("aviclip-corpus/") + crafted));
        QVERIFY(!bytes.isEmpty());
        // The video medium stored, asking for the first colour, whose clip is the crafted file.
        Quiz quiz([&](QuizWindow &w) {
            QVERIFY(testsupport::writeFile(
                w.data("options.txt"), optionsWithLine(optionsWithLine(w.optionsBytes(), 1, "1"), 2, "1")));
            QVERIFY(testsupport::writeFile(w.data("color1.avi"), bytes));
        });
        QCOMPARE(quiz.form->MediaExt(), QStringLiteral("avi"));
        QCOMPARE(quiz.errors().size(), 1);
        const QString error = quiz.errors().first();
        QVERIFY2(error.contains(quiz.data("color1.avi")) && error.contains(reason), qPrintable(error));
        for (int i = 0; i < 5; ++i)
            QCOMPARE(quiz.player(i).isOpen(), i != 0);
        // The first question was asked and can be answered; the clip is not
        // told again, and its file stays as it was.
        QCOMPARE(quiz.control<QLineEdit>("AskColorED")->text(), QStringLiteral("1"));
        quiz.clickPanel(1);
        QCOMPARE(quiz.control<QLineEdit>("ResED")->text(), QStringLiteral("Y"));
        QCOMPARE(quiz.player(3).state(), State::Playing);
        quiz.form->SetupMediaFiles();
        QCOMPARE(quiz.errors().size(), 1);
        QCOMPARE(testsupport::readFile(quiz.data("color1.avi")), bytes);
    }

    void clipsTheBackendRefusesAreToldOnceAndSoundOnlyAviPlays()
    {
        // A sound header over a codec no decoder knows: only the backend finds out.
        QByteArray undecodable = testsupport::silentWav();
        undecodable[20] = '\x77';
        undecodable[21] = '\x77';
        Quiz quiz([&](QuizWindow &w) {
            testsupport::writeFile(w.data("color3.wav"), undecodable);
            testsupport::writeFile(w.data("true.avi"),
                                   testsupport::readFile(testsupport::testData(QStringLiteral("media/audio-only.avi"))));
            askFor(w, 3);
        });
        const QString file = quiz.data("color3.wav");
        QTRY_COMPARE_WITH_TIMEOUT(quiz.errors().size(), 1, 8000);
        const QString error = quiz.errors().first();
        QVERIFY2(error.contains(file), qPrintable(error));
        // The backend's own reason, in its words.
        QVERIFY2(error.contains(QRegularExpression(QStringLiteral("\\([A-Za-z][^)]+\\)"))), qPrintable(error));
        QCOMPARE(quiz.player(2).state(), State::Closed);
        QVERIFY(!quiz.offers(2, Button::Play));

        // Once: neither the next reopening nor the next question tells it again.
        quiz.form->SetupMediaFiles();
        quiz.form->NewAct();
        QCOMPARE(quiz.control<QLineEdit>("AskColorED")->text(), QStringLiteral("3"));
        QTest::qWait(300);
        QCOMPARE(quiz.errors().size(), 1);
        QCOMPARE(quiz.player(2).state(), State::Closed);
        QCOMPARE(testsupport::readFile(file), undecodable);
        // A good clip in its place is heard at the next start.
        QVERIFY(testsupport::writeFile(file, testsupport::silentWav(1600)));
        quiz.control<QToolButton>("SpeedButton8")->click();
        QCOMPARE(quiz.player(2).state(), State::Playing);

        // An avi with sound only opens, shows nothing and plays to its end.
        quiz.openOptions();
        quiz.chooseMedium(1);
        QCOMPARE(quiz.errors().size(), 1);
        QVERIFY(quiz.player(3).isOpen());
        QVERIFY(!quiz.player(3).hasVideo());
        quiz.press(3, Button::Play);
        QCOMPARE(quiz.player(3).state(), State::Playing);
        QTRY_VERIFY_WITH_TIMEOUT(quiz.player(3).duration() > 0, 5000);
        QTRY_COMPARE_WITH_TIMEOUT(quiz.player(3).state(), State::Stopped, 5000);
        QCOMPARE(quiz.errors().size(), 1);
    }

    void aMissingClipDoesNotBlockClosing()
    {
        Quiz quiz([](QuizWindow &w) {
            QFile::remove(w.data("color2.wav"));
        });
        QVERIFY(!quiz.errors().isEmpty());
        quiz.dialogs.clear();
        QSignalSpy finished(quiz.form.get(), &TForm1::finished);
        QVERIFY(quiz.form->close());
        QCOMPARE(finished.count(), 1);
        QVERIFY2(quiz.errors().isEmpty(), qPrintable(quiz.errors().join('\n')));
    }

    void aTeacherRecordsANewQuestion()
    {
        const QString skip = MediaTest::soundServerSkipReason();
        if (!skip.isEmpty())
            QSKIP(qPrintable(skip));
        Quiz quiz;
        quiz.openOptions();
        const QString clip = quiz.data("color3.wav");
        // X, record, stop.
        Quiz::click(quiz.control<QToolButton>("SpeedButton4"));
        quiz.press(2, Button::Record);
        QCOMPARE(quiz.player(2).state(), State::Recording);
        QVERIFY(quiz.offers(2, Button::Stop));
        QVERIFY(!quiz.offers(2, Button::Play));
        QTRY_VERIFY_WITH_TIMEOUT(quiz.player(2).recordedDuration() > 0, 8000);
        // The recording hears the wrong-answer clip played on its bar.
        quiz.press(4, Button::Play);
        QTRY_VERIFY_WITH_TIMEOUT(quiz.offers(4, Button::Play), 8000);
        quiz.press(2, Button::Stop);
        QCOMPARE(quiz.player(2).state(), State::Stopped);
        QVERIFY(quiz.offers(2, Button::Play));
        QVERIFY2(quiz.errors().isEmpty(), qPrintable(quiz.errors().join('\n')));

        const ClipFile::Check check = ClipFile::check(clip);
        QVERIFY2(check.ok(), qPrintable(check.error));
        QVERIFY(MediaTest::loudness(testsupport::readFile(clip)).peak > 0.05);
        // Heard at once.
        quiz.press(2, Button::Play);
        QCOMPARE(quiz.player(2).state(), State::Playing);

        // Closing with two recordings, one of which cannot be written: the
        // other clip and both settings files are saved all the same, and the
        // failure is told once.
        const QString blocked = quiz.data("color1.wav");
        quiz.press(2, Button::Stop);
        quiz.press(0, Button::Record);
        quiz.press(2, Button::Record);
        QTRY_VERIFY_WITH_TIMEOUT(quiz.player(0).recordedDuration() > 0 && quiz.player(2).recordedDuration() > 0, 8000);
        QVERIFY(MediaTest::soundInto(quiz.player(0)));
        QVERIFY(MediaTest::soundInto(quiz.player(2), 10));
        const QByteArray oldBlocked = testsupport::readFile(blocked);
        QVERIFY(QFile::remove(blocked));
        QVERIFY(QDir().mkpath(blocked + "/inside"));
        const QByteArray before = testsupport::readFile(clip);
        QVERIFY(QFile::remove(quiz.data("CurLesson.txt")));
        quiz.control<QSpinBox>("WaitSE")->setValue(9);
        quiz.dialogs.clear();
        quiz.dialogs.confirmAnswers.enqueue(false);
        QVERIFY(!quiz.form->close());
        QCOMPARE(quiz.errors().size(), 1);
        QVERIFY2(quiz.errors().first().contains(blocked), qPrintable(quiz.errors().first()));
        QVERIFY(testsupport::readFile(clip) != before);
        QVERIFY(ClipFile::check(clip).ok());
        QVERIFY(QFileInfo::exists(quiz.data("CurLesson.txt")));
        QVERIFY(testsupport::readFile(quiz.data("options.txt")).endsWith("\r\n9\r\n"));
        // The recording that could not be written is held for the next try,
        // through a start of its clip and through SetupMediaFiles (the medium
        // switched and back), and the next close saves it.
        QVERIFY(quiz.player(0).hasRecording());
        quiz.press(0, Button::Play);
        QCOMPARE(quiz.player(0).state(), State::Playing);
        quiz.chooseMedium(1);
        quiz.chooseMedium(0);
        QVERIFY(quiz.player(0).hasRecording());
        QVERIFY(QDir(blocked).removeRecursively());
        quiz.dialogs.clear();
        QVERIFY(quiz.form->close());
        QVERIFY(ClipFile::check(blocked).ok());
        QVERIFY(testsupport::readFile(blocked) != oldBlocked);
    }

    // Recorded through the row's button while the source plays 400 ms of
    // silence, a second of tone and 600 ms of silence. The row shows the
    // recording; the clip keeps the tone with about 10 ms before it and 150
    // ms after, at the default clips' peak (-1 dBFS); undo brings the old
    // clip back until the settings are saved.
    void aRecordingIsShownTrimmedLevelledAndCanBeUndone()
    {
        const QString skip = MediaTest::soundServerSkipReason();
        if (!skip.isEmpty())
            QSKIP(qPrintable(skip));
        Quiz quiz;
        quiz.openOptions();
        quiz.waitUntilQuiet();
        const QString clip = quiz.data("color1.wav");
        const QByteArray before = testsupport::readFile(clip);
        QProgressBar *level = quiz.bar(0)->findChild<QProgressBar *>("level");
        QToolButton *record = quiz.bar(0)->button(Button::Record);
        QVERIFY(level && level->isHidden());
        QVERIFY(!quiz.offers(0, Button::Undo));

        quiz.press(0, Button::Record);
        QVERIFY(record->isChecked());
        QVERIFY(level->isVisible());
        QVERIFY(quiz.bar(0)->autoFillBackground());
        QVERIFY(!quiz.bar(1)->autoFillBackground());
        MediaTest::RecordingClock clock(quiz.player(0));
        QVERIFY(clock.waitForFirstSound());
        QCOMPARE(level->value(), 0);
        MediaTest::SinkSignal signal;
        QVERIFY(signal.play(testsupport::toneWav(400, 1000, 600)));
        // The tone at -6 dBFS, on a meter from -60 dBFS.
        QTRY_VERIFY_WITH_TIMEOUT(level->value() >= 50, 5000);
        QTRY_VERIFY_WITH_TIMEOUT(signal.finished(), 10000);
        // The tone's end and its 600 ms of silence, as the recording hears them.
        QVERIFY(clock.waitForSoundThenSilence(600));
        QVERIFY2(record->text().startsWith(QStringLiteral("0:0")), qPrintable(record->text()));
        quiz.press(0, Button::Stop);
        QVERIFY(!record->isChecked());
        QVERIFY(level->isHidden());
        QVERIFY(!quiz.bar(0)->autoFillBackground());
        QVERIFY2(quiz.errors().isEmpty(), qPrintable(quiz.errors().join('\n')));

        const WaveFacts facts = factsOf(testsupport::readFile(clip));
        const QString said = QStringLiteral("%1 ms, %2 ms before the tone, peak %3")
                                 .arg(facts.ms).arg(facts.leadMs).arg(facts.peak);
        // A second of tone, 10 ms before it and 150 after; a loaded machine
        // may stretch the tone by a gap in the sound server's playback.
        QVERIFY2(facts.ms >= 1145 && facts.ms <= 1260, qPrintable(said));
        QVERIFY2(facts.leadMs >= 5 && facts.leadMs <= 15, qPrintable(said));
        QVERIFY2(std::abs(facts.peak - std::pow(10.0, -1 / 20.0)) < 0.01, qPrintable(said));

        QVERIFY(quiz.offers(0, Button::Undo));
        quiz.press(0, Button::Undo);
        QCOMPARE(testsupport::readFile(clip), before);
        QVERIFY(!quiz.offers(0, Button::Undo));
        QCOMPARE(quiz.player(0).state(), State::Stopped);

        // Once the settings are saved, the recording stays.
        quiz.press(0, Button::Record);
        QVERIFY(MediaTest::soundInto(quiz.player(0)));
        quiz.press(0, Button::Stop);
        const QByteArray recorded = testsupport::readFile(clip);
        QVERIFY(recorded != before);
        QVERIFY(quiz.offers(0, Button::Undo));
        quiz.form->SaveOptions();
        QVERIFY(!quiz.offers(0, Button::Undo));
        QCOMPARE(testsupport::readFile(clip), recorded);
    }

    // A microphone muted or dead: the recording holds only silence, the
    // old clip stays and the row says so, without a message box.
    void aSilentRecordingKeepsTheClipAndTheRowSaysSo()
    {
        const QString skip = MediaTest::soundServerSkipReason();
        if (!skip.isEmpty())
            QSKIP(qPrintable(skip));
        Quiz quiz;
        quiz.openOptions();
        quiz.waitUntilQuiet();
        const QString clip = quiz.data("color2.wav");
        const QByteArray before = testsupport::readFile(clip);
        QLabel *silent = quiz.bar(1)->findChild<QLabel *>("silent");
        QVERIFY(silent && silent->isHidden());
        quiz.press(1, Button::Record);
        MediaTest::RecordingClock clock(quiz.player(1));
        QVERIFY(clock.waitForFirstSound());
        QVERIFY(clock.waitForMore(300));
        QVERIFY(!clock.heard());
        quiz.press(1, Button::Stop);
        QCOMPARE(quiz.player(1).state(), State::Stopped);
        QCOMPARE(testsupport::readFile(clip), before);
        QVERIFY(quiz.errors().isEmpty());
        QVERIFY(silent->isVisible());
        QVERIFY(silent->text().contains(QStringLiteral("الميكروفون")));
        QVERIFY(!quiz.offers(1, Button::Undo));
        QVERIFY(quiz.offers(1, Button::Play));
        // Said until the next recording.
        quiz.press(1, Button::Record);
        QVERIFY(silent->isHidden());
        quiz.press(1, Button::Stop);
        QVERIFY(silent->isVisible());
    }

    // The microphone goes away in the middle of a recording (the sound
    // server ends the input stream): what was recorded is kept, the clip's row
    // says it was cut off, and it is saved with the clips.
    void aRecordingCutOffByALostInputIsKept()
    {
        const QString skip = MediaTest::soundServerSkipReason();
        if (!skip.isEmpty())
            QSKIP(qPrintable(skip));
        Quiz quiz;
        quiz.openOptions();
        const QString clip = quiz.data("true.wav");
        const QByteArray before = testsupport::readFile(clip);
        QLabel *cutOff = quiz.bar(3)->findChild<QLabel *>("cutOff");
        QVERIFY(cutOff && cutOff->isHidden());
        quiz.press(3, Button::Record);
        QVERIFY(MediaTest::soundInto(quiz.player(3)));
        QVERIFY(MediaTest::cutInputsOff());
        QTRY_COMPARE_WITH_TIMEOUT(quiz.player(3).state(), State::Stopped, 10000);
        QVERIFY(quiz.player(3).recordingCutOff());
        QVERIFY(cutOff->isVisible());
        QVERIFY(cutOff->text().contains(QStringLiteral("انقطع")));
        QVERIFY(quiz.player(3).duration() >= 300);
        QVERIFY(quiz.form->close());
        QVERIFY(testsupport::readFile(clip) != before);
        QVERIFY(ClipFile::check(clip).ok());
        QVERIFY(cutOff->isHidden());
    }
};

QTEST_MAIN(TestWindowMedia)
#include "tst_windowmedia.moc"
