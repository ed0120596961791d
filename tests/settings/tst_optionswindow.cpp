// The settings files through the real window: what a teacher sets is there
// again after closing and starting the quiz, and damaged or missing files
// never stop it.
#include "ui/window/clicklabel.h"
#include "ui/window/docklayout.h"
#include "ui/window/picturecontrol.h"
#include "core/records/resultstable.h"
#include "core/settings/colorvalue.h"
#include "settingstestutil.h"
#include "support/quizwindow.h"
#include "ui/window/playarea.h"

#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QtTest>

using testsupport::succeeded;

using testsupport::readFile;

namespace {

QByteArray fixture(const QString &name)
{
    return readFile(testsupport::testData(QStringLiteral("options-bad/") + name));
}

QString picture(const QString &folder, const QString &name, const QColor &colour)
{
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(colour);
    const QString path = folder + name;
    image.save(path, "PNG");
    return path;
}

void typeInto(QLineEdit *edit, const QString &text)
{
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    typeText(edit, text);
}

int plain(const QColor &c)
{
    return c.red() | (c.green() << 8) | (c.blue() << 16);
}

} // namespace

class TestOptionsWindow : public QObject
{
    Q_OBJECT

private slots:
    void everySettingSurvivesCloseAndRestart()
    {
        QuizWindow q;
        ResultsTable *table = q.control<ResultsTable>("Table1");
        QString error;
        QVERIFY(succeeded(table->addChild(QStringLiteral("سارة")), &error));
        QVERIFY(succeeded(table->addChild(QStringLiteral("ليلى")), &error));
        QVERIFY(table->last());
        const int child = q.form->currentChildNo();
        QVERIFY(child > 0);

        q.openOptions();
        QuizWindow::choose(q.control<RadioGroup>("AskForColorRG"), 2);
        QuizWindow::choose(q.control<RadioGroup>("AVRG"), 1);
        q.dialogs.fontAnswers.enqueue(FontChoice{QFont(QStringLiteral("DejaVu Serif"), 22), QColor(10, 20, 30)});
        QTest::mouseClick(q.control<QPushButton>("Button2"), Qt::LeftButton);
        QuizWindow::choose(q.control<RadioGroup>("AskForRG"), 1);
        typeInto(q.control<QLineEdit>("Ed1"), QStringLiteral("أحمر"));
        typeInto(q.control<QLineEdit>("Ed2"), QStringLiteral("Green 2"));
        typeInto(q.control<QLineEdit>("Ed3"), QStringLiteral("أزرق فاتح"));
        const QColor colours[] = {QColor(1, 2, 3), QColor(200, 100, 50), QColor(0, 128, 255)};
        for (const QColor &c : colours)
            q.dialogs.colorAnswers.enqueue(c);
        for (const char *label : {"ColorLB1", "ColorLB2", "ColorLB3"})
            QTest::mouseClick(q.control<ClickLabel>(label), Qt::LeftButton);
        QuizWindow::choose(q.control<RadioGroup>("VedioLocationRG"), 2);
        q.control<PlayArea>("Panel4")->setVideoSize(QSize(240, 180));
        QTest::qWait(1); // the layout settles as it would on screen
        const QString pictures[] = {picture(q.folder.appDir(), QStringLiteral("قطة.png"), Qt::red),
                                    picture(q.folder.appDir(), QStringLiteral("b c.png"), Qt::green),
                                    picture(q.folder.appDir(), QStringLiteral("c.png"), Qt::blue)};
        for (const QString &p : pictures)
            q.dialogs.pictureAnswers.enqueue(p);
        // What the options keep is the copy in the Data folder's pictures.
        const QString kept[] = {q.data(QStringLiteral(u"pictures/قطة.png")), q.data(QStringLiteral("pictures/b c.png")),
                                q.data(QStringLiteral("pictures/c.png"))};
        QuizWindow::choose(q.control<RadioGroup>("AskForRG"), 2);
        for (const char *button : {"BitBtn3", "BitBtn4", "BitBtn5"})
            QTest::mouseClick(q.control<QPushButton>(button), Qt::LeftButton);
        QTest::mouseClick(q.control<QCheckBox>("StretchChk"), Qt::LeftButton);
        QVERIFY(q.control<QCheckBox>("StretchChk")->isChecked());
        q.control<QSpinBox>("WaitSE")->setValue(9);
        QCOMPARE(q.dialogs.count(Kind::Error), 0);

        q.restart();
        QCOMPARE(q.dialogs.count(Kind::Error), 0);
        QCOMPARE(q.dialogs.count(Kind::Message), 0);
        QCOMPARE(q.control<RadioGroup>("AskForColorRG")->itemIndex(), 2);
        QCOMPARE(q.control<RadioGroup>("AVRG")->itemIndex(), 1);
        QCOMPARE(q.form->MediaExt(), QStringLiteral("avi"));
        QCOMPARE(q.form->FontDialog1.font.family(), QStringLiteral("DejaVu Serif"));
        QCOMPARE(q.form->FontDialog1.font.pointSize(), 22);
        QCOMPARE(q.form->FontDialog1.color, QColor(10, 20, 30));
        QCOMPARE(q.control<RadioGroup>("AskForRG")->itemIndex(), 2);
        QCOMPARE(q.control<QLineEdit>("Ed1")->text(), QStringLiteral("أحمر"));
        QCOMPARE(q.control<QLineEdit>("Ed2")->text(), QStringLiteral("Green 2"));
        QCOMPARE(q.control<QLineEdit>("Ed3")->text(), QStringLiteral("أزرق فاتح"));
        QCOMPARE(TForm1::labelColor(q.control<ClickLabel>("ColorLB1")), colours[0]);
        QCOMPARE(TForm1::labelColor(q.control<ClickLabel>("ColorLB2")), colours[1]);
        QCOMPARE(TForm1::labelColor(q.control<ClickLabel>("ColorLB3")), colours[2]);
        QCOMPARE(q.control<RadioGroup>("VedioLocationRG")->itemIndex(), 2);
        QCOMPARE(q.control<PlayArea>("Panel4")->videoEdge(), DockLayout::Right);
        QCOMPARE(q.control<PlayArea>("Panel4")->videoSize().width(), 240);
        QCOMPARE(q.control<QLineEdit>("ImgEd1")->text(), kept[0]);
        QCOMPARE(q.control<QLineEdit>("ImgEd2")->text(), kept[1]);
        QCOMPARE(q.control<QLineEdit>("ImgEd3")->text(), kept[2]);
        for (const char *image : {"Image1", "Image2", "Image3"}) {
            QVERIFY(q.control<PictureControl>(image)->hasPicture());
            QVERIFY(q.control<PictureControl>(image)->stretch());
        }
        QVERIFY(q.control<QCheckBox>("StretchChk")->isChecked());
        QCOMPARE(q.form->currentChildNo(), child);
        QCOMPARE(q.control<QSpinBox>("WaitSE")->value(), 9);
        QCOMPARE(q.control<QTimer>("playwaitTimer")->interval(), 9000);
        QCOMPARE(q.control<QLineEdit>("CurLesson")->text(), automaticName());

        // The lines as written, and the same bytes again after load and save.
        const QByteArray first = q.optionsBytes();
        const QList<QByteArray> lines = fileLines(first);
        QCOMPARE(lines.size(), OptionsFile::LineCount);
        QVERIFY(first.endsWith("\r\n"));
        QCOMPARE(first.count('\n'), OptionsFile::LineCount);
        QCOMPARE(first.count('\r'), OptionsFile::LineCount);
        QCOMPARE(lines.at(0), QByteArray("2"));
        QCOMPARE(lines.at(1), QByteArray("1"));
        QCOMPARE(lines.at(2), QByteArray("DejaVu Serif"));
        QCOMPARE(lines.at(3), QByteArray("22"));
        QCOMPARE(lines.at(4), QByteArray::number(10 | 20 << 8 | 30 << 16));
        QCOMPARE(lines.at(5), QByteArray("2"));
        QCOMPARE(lines.at(6), cp1256(QStringLiteral("أحمر")));
        QCOMPARE(lines.at(9), QByteArray::number(plain(colours[0])));
        QCOMPARE(lines.at(12), QByteArray("2"));
        QCOMPARE(lines.at(13), QByteArray("240"));
        QCOMPARE(lines.at(15), cp1256(kept[0]));
        QCOMPARE(lines.at(18), QByteArray("-1"));
        QCOMPARE(lines.at(19), QByteArray::number(child));
        QCOMPARE(lines.at(20), QByteArray("9"));
        QCOMPARE(q.lessonBytes(), cp1256(automaticName()) + "\r\n");
        QVERIFY(q.closeByPlatform());
        QCOMPARE(q.optionsBytes(), first);
    }

    void closingByTheButtonAndByThePlatformBothSave()
    {
        QuizWindow q;
        q.control<QSpinBox>("WaitSE")->setValue(5);
        QVERIFY(q.closeByButton());
        QCOMPARE(fileLines(q.optionsBytes()).value(20), QByteArray("5"));

        q.form.reset();
        q.start();
        QCOMPARE(q.control<QSpinBox>("WaitSE")->value(), 5);
        q.control<QSpinBox>("WaitSE")->setValue(6);
        QVERIFY(q.closeByPlatform());
        QCOMPARE(fileLines(q.optionsBytes()).value(20), QByteArray("6"));
    }

    void colourValuesThatCannotBeShownAreSavedBackUnchanged()
    {
        // A file from another installation: system colours, high bits, a
        // picture that is not there, a child that does not exist.
        QuizWindow q([](const QuizWindow &w) {
            writeFile(w.data(QStringLiteral("options.txt")), fixture(QStringLiteral("lf-only.txt")));
        });
        QCOMPARE(q.dialogs.count(Kind::Error), 0);
        QCOMPARE(q.control<RadioGroup>("AskForColorRG")->itemIndex(), 3);
        QCOMPARE(q.form->FontDialog1.font.family(), QStringLiteral("DejaVu Sans Mono"));
        QCOMPARE(q.form->FontDialog1.font.pointSize(), 48);
        QCOMPARE(TForm1::labelColor(q.control<ClickLabel>("ColorLB1")), QColor(128, 0, 0));
        // -16777201 is the button face of the system colours.
        QCOMPARE(TForm1::labelColor(q.control<ClickLabel>("ColorLB2")),
                 q.form->palette().color(QPalette::Active, QPalette::Button));
        QCOMPARE(q.control<RadioGroup>("VedioLocationRG")->itemIndex(), 3);
        QCOMPARE(q.control<PlayArea>("Panel4")->videoEdge(), DockLayout::Left);
        QCOMPARE(q.control<PlayArea>("Panel4")->videoSize().width(), 320);
        QVERIFY(q.control<QLineEdit>("ImgEd2")->text() == QStringLiteral("/tmp/b c.jpg")
                && !q.control<PictureControl>("Image2")->hasPicture());
        QVERIFY(q.control<QCheckBox>("StretchChk")->isChecked());
        QCOMPARE(q.control<QSpinBox>("WaitSE")->value(), 60);
        QCOMPARE(q.control<QTimer>("playwaitTimer")->interval(), 60000);

        QVERIFY(q.closeByButton());
        const QList<QByteArray> read = fileLines(fixture(QStringLiteral("lf-only.txt")));
        const QList<QByteArray> saved = fileLines(q.optionsBytes());
        QCOMPARE(saved.size(), OptionsFile::LineCount);
        for (int i = 0; i < OptionsFile::LineCount; ++i) {
            // Line 15 is the panel's span at the left edge; no child 17 exists.
            if (i == 14 || i == 19)
                continue;
            QCOMPARE(saved.at(i), read.at(i));
        }
        QCOMPARE(saved.at(19), QByteArray("0"));

        // Another colour chosen: its own value replaces the system colour.
        q.form.reset();
        q.start();
        q.openOptions();
        q.dialogs.colorAnswers.enqueue(QColor(0, 255, 0));
        QTest::mouseClick(q.control<ClickLabel>("ColorLB2"), Qt::LeftButton);
        QVERIFY(q.closeByButton());
        QCOMPARE(fileLines(q.optionsBytes()).at(10), QByteArray::number(0x00FF00));
        QCOMPARE(fileLines(q.optionsBytes()).at(11), QByteArray("2147483647"));
    }

    void colourValuesConvert()
    {
        const QPalette pal;
        QCOMPARE(ColorValue::toColor(255, pal), QColor(255, 0, 0));
        QCOMPARE(ColorValue::toColor(65535, pal), QColor(255, 255, 0));
        QCOMPARE(ColorValue::toColor(16711680, pal), QColor(0, 0, 255));
        QCOMPARE(ColorValue::fromColor(QColor(0x12, 0x34, 0x56)), 0x563412);
        QCOMPARE(ColorValue::toColor(-16777201, pal), pal.color(QPalette::Active, QPalette::Button));
        QCOMPARE(ColorValue::toColor(0x02123456, pal), QColor(0x56, 0x34, 0x12));
        KeptColor kept;
        QCOMPARE(kept.valueFor(Qt::red), 255); // nothing kept: the plain value
        const QColor shown = kept.keep(-16777201, pal);
        QCOMPARE(kept.valueFor(shown), -16777201);
        QCOMPARE(kept.valueFor(Qt::blue), 16711680);
    }

    void damagedOptionsFilesFallBackLineByLine_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("five lines") << fixture(QStringLiteral("five-lines.txt"));
        QTest::newRow("bad numbers") << fixture(QStringLiteral("bad-numbers.txt"));
        QTest::newRow("utf-8 with a byte-order mark") << fixture(QStringLiteral("utf8-bom.txt"));
        QTest::newRow("nul bytes") << fixture(QStringLiteral("nul-bytes.txt"));
        QTest::newRow("no final line end") << fixture(QStringLiteral("no-final-crlf.txt"));
        QTest::newRow("a line of 1 MB") << QByteArray("1\r\n0\r\n") + QByteArray(1 << 20, 'x') + "\r\n36\r\n";
        QTest::newRow("binary") << QByteArray("\x00\xff\x80\r\r\n\n\x01", 9).repeated(500);
    }

    void damagedOptionsFilesFallBackLineByLine()
    {
        QFETCH(QByteArray, bytes);
        QuizWindow q([&](const QuizWindow &w) { writeFile(w.data(QStringLiteral("options.txt")), bytes); });
        QCOMPARE(q.dialogs.count(Kind::Error), 0);
        QCOMPARE(q.dialogs.count(Kind::Message), 0);
        QVERIFY(q.control<QLineEdit>("AskColorED")->text() != QStringLiteral("N")); // the quiz asked
        const int askFor = q.control<RadioGroup>("AskForRG")->itemIndex();
        QVERIFY(askFor >= 0 && askFor <= 2);
        QVERIFY(q.form->FontDialog1.font.pointSize() >= 1);
        QCOMPARE(q.control<QTimer>("playwaitTimer")->interval(), q.control<QSpinBox>("WaitSE")->value() * 1000);

        // Whatever was read, the file written on closing loads cleanly.
        QVERIFY(q.closeByButton());
        const QByteArray saved = q.optionsBytes();
        QCOMPARE(fileLines(saved).size(), OptionsFile::LineCount);
        q.form.reset();
        q.start();
        QCOMPARE(q.dialogs.count(Kind::Error), 0);
        QVERIFY(q.closeByButton());
        QCOMPARE(q.optionsBytes(), saved);
    }

    void theFallbacksOfAnEmptyAndABadFile()
    {
        {
            QuizWindow q([](const QuizWindow &w) { writeFile(w.data(QStringLiteral("options.txt")), QByteArray()); });
            QCOMPARE(q.control<RadioGroup>("AskForColorRG")->itemIndex(), 0);
            QCOMPARE(q.control<RadioGroup>("AVRG")->itemIndex(), 0);
            QCOMPARE(q.form->FontDialog1.font.family(), QStringLiteral("DejaVu Sans")); // kept
            QCOMPARE(q.form->FontDialog1.font.pointSize(), 36);
            QCOMPARE(q.form->FontDialog1.color, QColor(Qt::black));
            QCOMPARE(q.control<RadioGroup>("AskForRG")->itemIndex(), 0);
            for (const char *edit : {"Ed1", "Ed2", "Ed3"})
                QVERIFY(q.control<QLineEdit>(edit)->text().isEmpty());
            QCOMPARE(TForm1::labelColor(q.control<ClickLabel>("ColorLB1")), QColor(Qt::red));
            QCOMPARE(TForm1::labelColor(q.control<ClickLabel>("ColorLB2")), QColor(Qt::yellow));
            QCOMPARE(TForm1::labelColor(q.control<ClickLabel>("ColorLB3")), QColor(Qt::blue));
            QCOMPARE(q.control<PlayArea>("Panel4")->videoSize().height(), 200);
            QVERIFY(q.control<QLineEdit>("ImgEd1")->text().isEmpty());
            QVERIFY(!q.control<QCheckBox>("StretchChk")->isChecked());
            QCOMPARE(q.control<QSpinBox>("WaitSE")->value(), 2);
            QCOMPARE(q.control<QTimer>("playwaitTimer")->interval(), 2000);
        }
        {
            QuizWindow q([](const QuizWindow &w) {
                writeFile(w.data(QStringLiteral("options.txt")), fixture(QStringLiteral("bad-numbers.txt")));
            });
            QCOMPARE(q.control<RadioGroup>("AskForColorRG")->itemIndex(), -1); // -5: no selection
            QCOMPARE(q.control<RadioGroup>("AVRG")->itemIndex(), 1);           // 99: the last item
            QCOMPARE(q.control<RadioGroup>("AskForRG")->itemIndex(), 2);       // 7: pictures
            QCOMPARE(TForm1::labelColor(q.control<ClickLabel>("ColorLB1")), QColor(Qt::red));    // "0x10"
            QCOMPARE(TForm1::labelColor(q.control<ClickLabel>("ColorLB2")), QColor(Qt::yellow)); // " 5"
            QCOMPARE(TForm1::labelColor(q.control<ClickLabel>("ColorLB3")), QColor(Qt::blue));   // "5 "
            QCOMPARE(q.control<RadioGroup>("VedioLocationRG")->itemIndex(), 3);
            QCOMPARE(q.control<PlayArea>("Panel4")->videoSize().width(), 200); // beyond 32 bits
            QVERIFY(!q.control<QCheckBox>("StretchChk")->isChecked());
            QCOMPARE(q.control<QSpinBox>("WaitSE")->value(), 60);
            // Without a selection a choice is still asked, and answering it is right.
            const int asked = q.asked();
            QVERIFY2(asked >= 1 && asked <= 3, qPrintable(q.control<QLineEdit>("AskColorED")->text()));
            q.clickPanel(asked);
            QCOMPARE(q.control<QLineEdit>("ResED")->text(), QStringLiteral("Y"));
            QVERIFY(q.closeByButton());
            QCOMPARE(fileLines(q.optionsBytes()).at(0), QByteArray("-1"));
        }
        // A size no font can take falls back to 36 points.
        for (const QByteArray &size : {QByteArray("0"), QByteArray("-12"), QByteArray("100000")}) {
            QuizWindow q([&](const QuizWindow &w) {
                writeFile(w.data(QStringLiteral("options.txt")),
                          optionsWithLine(readFile(w.data(QStringLiteral("options.txt"))), 4, size));
            });
            QCOMPARE(q.form->FontDialog1.font.pointSize(), 36);
        }
    }

    void aClipMissingAtLoadKeepsTheStoredMediumAndPlace()
    {
        // Video stored, shown at the right; one video clip and its sound
        // namesake are gone.
        QuizWindow q([](const QuizWindow &w) {
            QByteArray options = readFile(w.data(QStringLiteral("options.txt")));
            options = optionsWithLine(optionsWithLine(options, 2, "1"), 13, "2");
            writeFile(w.data(QStringLiteral("options.txt")), options);
            QFile::remove(w.data(QStringLiteral("color2.avi")));
            QFile::remove(w.data(QStringLiteral("color2.wav")));
        });
        QCOMPARE(q.dialogs.count(Kind::Error), 1);
        QVERIFY2(q.dialogs.texts(Kind::Error).first().contains(q.data(QStringLiteral("color2.avi"))),
                 qPrintable(q.dialogs.texts(Kind::Error).first()));
        QCOMPARE(q.control<RadioGroup>("AVRG")->itemIndex(), 1);
        QCOMPARE(q.form->MediaExt(), QStringLiteral("avi"));
        QCOMPARE(q.control<RadioGroup>("VedioLocationRG")->itemIndex(), 2);
        QVERIFY(q.closeByButton());
        const QList<QByteArray> lines = fileLines(q.optionsBytes());
        QCOMPARE(lines.at(1), QByteArray("1"));
        QCOMPARE(lines.at(12), QByteArray("2"));
    }

    void aCurrentLessonWhoseFolderWentShowsTheMessageTwiceAtStart_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::newRow("deleted lesson") << cp1256(QStringLiteral("درس محذوف"));
        QTest::newRow("outside the Data folder") << QByteArray("../../etc");
        QTest::newRow("a file, not a folder") << QByteArray("options.txt");
    }

    void aCurrentLessonWhoseFolderWentShowsTheMessageTwiceAtStart()
    {
        QFETCH(QByteArray, name);
        QByteArray options;
        QuizWindow q([&](const QuizWindow &w) {
            writeFile(w.data(QStringLiteral("CurLesson.txt")), name + "\r\n");
            options = optionsWithLine(readFile(w.data(QStringLiteral("options.txt"))), int(OptionsLine::WaitSeconds), "7");
            writeFile(w.data(QStringLiteral("options.txt")), options);
        });
        QCOMPARE(q.messages(), QStringList({fileErrorText(), fileErrorText()}));
        QCOMPARE(q.dialogs.count(Kind::Error), 0);
        QCOMPARE(q.control<QLineEdit>("CurLesson")->text(), automaticName());
        QCOMPARE(q.lessonBytes(), cp1256(automaticName()) + "\r\n");
        QCOMPARE(q.control<QSpinBox>("WaitSE")->value(), 7);
        QCOMPARE(q.optionsBytes(), options);
        QVERIFY(q.control<QLineEdit>("AskColorED")->text() != QStringLiteral("N"));
    }

    void currentLessonFileMissingOrEmpty()
    {
        {
            QuizWindow q([](const QuizWindow &w) { QFile::remove(w.data(QStringLiteral("CurLesson.txt"))); });
            QCOMPARE(q.dialogs.count(Kind::Message), 0);
            QCOMPARE(q.control<QLineEdit>("CurLesson")->text(), automaticName());
            QCOMPARE(q.lessonBytes(), cp1256(automaticName()) + "\r\n");
        }
        {
            // The empty name names the Data folder itself: its options, no message.
            QuizWindow q([](const QuizWindow &w) {
                writeFile(w.data(QStringLiteral("CurLesson.txt")), QByteArray());
                writeFile(w.data(QStringLiteral("options.txt")),
                          optionsWithLine(readFile(w.data(QStringLiteral("options.txt"))), int(OptionsLine::WaitSeconds), "4"));
            });
            QCOMPARE(q.dialogs.count(Kind::Message), 0);
            QCOMPARE(q.control<QLineEdit>("CurLesson")->text(), QString());
            QCOMPARE(q.control<QSpinBox>("WaitSE")->value(), 4);
        }
    }

    void aMissingDataOptionsFileIsReportedAndWrittenOnClosing()
    {
        QuizWindow q([](const QuizWindow &w) {
            QFile::remove(w.data(QStringLiteral("options.txt")));
            QFile::remove(w.data(QStringLiteral("CurLesson.txt")));
        });
        QCOMPARE(q.messages(), QStringList{fileErrorText()});
        QCOMPARE(q.dialogs.count(Kind::Error), 1);
        QVERIFY(q.dialogs.texts(Kind::Error).first().contains(QStringLiteral("options.txt")));
        // Nothing was there to lose: closing writes the file, and the next
        // start is clean.
        QVERIFY(q.closeByButton());
        QCOMPARE(fileLines(q.optionsBytes()).size(), OptionsFile::LineCount);
        q.form.reset();
        q.start();
        QCOMPARE(q.dialogs.count(Kind::Message), 0);
        QCOMPARE(q.dialogs.count(Kind::Error), 0);
    }

    void aStartThatFailedBeforeReadingKeepsTheSavedSettings()
    {
        QByteArray options;
        QByteArray lesson;
        QuizWindow q([&](const QuizWindow &w) {
            writeFile(w.folder.appDir() + QStringLiteral("results.db"), QByteArray("not a table at all"));
            options = optionsWithLine(readFile(w.data(QStringLiteral("options.txt"))), int(OptionsLine::WaitSeconds), "11");
            writeFile(w.data(QStringLiteral("options.txt")), options);
            lesson = readFile(w.data(QStringLiteral("CurLesson.txt")));
        });
        QCOMPARE(q.dialogs.count(Kind::Error), 1);
        QCOMPARE(q.control<QSpinBox>("WaitSE")->value(), 2); // never read
        QVERIFY(q.closeByButton());
        QCOMPARE(q.optionsBytes(), options);
        QCOMPARE(q.lessonBytes(), lesson);
    }

    void aSaveCutShortKeepsTheOldFileAndTheWindowOpen()
    {
        QuizWindow q;
        const QByteArray before = q.optionsBytes();
        q.control<QSpinBox>("WaitSE")->setValue(13);
        {
            // CurLesson.txt still fits, the options file does not.
            const FileSizeLimit limit(40);
            QVERIFY(!q.closeByButton());
        }
        QCOMPARE(q.dialogs.count(Kind::Error), 1);
        QVERIFY(q.form->isVisible());
        QCOMPARE(q.optionsBytes(), before);
        QDir data(q.data());
        QCOMPARE(data.entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral("options.txt")),
                 QStringList{QStringLiteral("options.txt")}); // no temporary left behind
        // A later close tries again and succeeds.
        QVERIFY(q.closeByButton());
        QCOMPARE(fileLines(q.optionsBytes()).at(20), QByteArray("13"));
    }

    void theTextEditorsRefuseWhatTheFileCannotHold()
    {
        QuizWindow q;
        q.openOptions();
        QuizWindow::choose(q.control<RadioGroup>("AskForRG"), 1);
        QLineEdit *ed = q.control<QLineEdit>("Ed1");
        typeInto(ed, QStringLiteral("قط a1"));
        QCOMPARE(ed->text(), QStringLiteral("قط a1"));
        typeText(ed, QStringLiteral("中"));
        QCOMPARE(ed->text(), QStringLiteral("قط a1"));
        QTRY_COMPARE(q.dialogs.count(Kind::Message), 1);
        QVERIFY(q.messages().first().startsWith(Windows1256::refusalMessage()));
        QVERIFY(q.messages().first().endsWith(QStringLiteral("中")));

        // A paste that brings such characters is refused whole, with one message.
        QGuiApplication::clipboard()->setText(QStringLiteral("x😀y"));
        if (QGuiApplication::clipboard()->text() == QStringLiteral("x😀y")) {
            ed->setFocus();
            QTest::keyClick(ed, Qt::Key_V, Qt::ControlModifier);
            QCOMPARE(ed->text(), QStringLiteral("قط a1"));
            QTRY_COMPARE(q.dialogs.count(Kind::Message), 2);
            QTest::qWait(20);
            QCOMPARE(q.dialogs.count(Kind::Message), 2);
        }
        QVERIFY(q.closeByButton());
        QCOMPARE(fileLines(q.optionsBytes()).at(6), cp1256(QStringLiteral("قط a1")));
    }

    void fontNamesAndPicturePathsTheFileCannotHoldAreRefused()
    {
        QuizWindow q;
        q.openOptions();
        const QString family = q.form->FontDialog1.font.family();
        q.dialogs.fontAnswers.enqueue(FontChoice{QFont(QStringLiteral("文泉驿")), Qt::red});
        QTest::mouseClick(q.control<QPushButton>("Button2"), Qt::LeftButton);
        QCOMPARE(q.form->FontDialog1.font.family(), family);
        q.dialogs.pictureAnswers.enqueue(picture(q.folder.appDir(), QStringLiteral("猫.png"), Qt::red));
        QTest::mouseClick(q.control<QPushButton>("BitBtn3"), Qt::LeftButton);
        QVERIFY(q.control<QLineEdit>("ImgEd1")->text().isEmpty());
        QCOMPARE(q.messages(), QStringList({Windows1256::refusalMessage(), Windows1256::refusalMessage()}));
        QCOMPARE(q.dialogs.count(Kind::Error), 0);
        QVERIFY(q.closeByButton());
    }
};

QTEST_MAIN(TestOptionsWindow)
#include "tst_optionswindow.moc"
