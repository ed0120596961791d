// The option editors driven on the real window: colour, font and picture
// dialogs answered and cancelled, the crossed picture slots, stretching and
// the help window.
#include "ui/window/choicepanel.h"
#include "ui/window/clicklabel.h"
#include "ui/dialogs/fontchoicedialog.h"
#include "ui/window/picturecontrol.h"
#include "ui/window/shapecontrol.h"
#include "ui/help/thelpform.h"
#include "support/quizwindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFontComboBox>
#include <QLabel>
#include <QSpinBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTextBrowser>
#include <QtTest>

#include <memory>

namespace {

/// The window with the seed these tests were written for, its start-up
/// notice already read.
struct Quiz : QuizWindow
{
    explicit Quiz(bool withHelpPage = true)
        : QuizWindow(
              [withHelpPage](QuizWindow &w) {
                  if (!withHelpPage)
                      QFile::remove(w.folder.appDir() + QStringLiteral("help.htm"));
              },
              5)
    {
        dialogs.clear();
    }
};

QString picture(const QString &name)
{
    return testsupport::testData(QStringLiteral("pictures/") + name);
}

/// A picture unlike any fixture, to tell whether an image kept its picture.
QImage marker()
{
    QImage image(9, 9, QImage::Format_RGB32);
    image.fill(QColor(1, 2, 3));
    return image;
}

} // namespace

class TestEditors : public QObject
{
    Q_OBJECT

private slots:
    void colourLabelsOpenOnTheirColourAndShowFromTheNextQuestion()
    {
        Quiz quiz;
        ClickLabel *ColorLB2 = quiz.control<ClickLabel>("ColorLB2");
        ShapeControl *Shape2 = quiz.control<ShapeControl>("Shape2");
        ClickLabel *ColorLB1 = quiz.control<ClickLabel>("ColorLB1");
        ClickLabel *ColorLB3 = quiz.control<ClickLabel>("ColorLB3");
        quiz.openOptions();

        quiz.dialogs.colorAnswers.enqueue(QColor(0, 128, 0));
        quiz.click(ColorLB2);
        QCOMPARE(quiz.dialogs.lastColorSeed, QColor(Qt::yellow));
        QCOMPARE(TForm1::labelColor(ColorLB2), QColor(0, 128, 0));
        // The question on screen keeps its colours.
        QCOMPARE(Shape2->brushColor(), QColor(Qt::yellow));
        quiz.form->NewAct();
        QCOMPARE(Shape2->brushColor(), QColor(0, 128, 0));
        // Colours are not crossed: colour 3 stays on the third shape.
        QCOMPARE(quiz.control<ShapeControl>("Shape3")->brushColor(), QColor(Qt::blue));

        // Cancelled: nothing changes, whatever was tried in the dialog.
        quiz.dialogs.colorAnswers.enqueue(std::nullopt);
        quiz.click(ColorLB1);
        QCOMPARE(quiz.dialogs.lastColorSeed, QColor(Qt::red));
        QCOMPARE(TForm1::labelColor(ColorLB1), QColor(Qt::red));

        quiz.dialogs.colorAnswers.enqueue(QColor(10, 20, 30));
        quiz.click(ColorLB3);
        QCOMPARE(quiz.dialogs.lastColorSeed, QColor(Qt::blue));
        QCOMPARE(TForm1::labelColor(ColorLB3), QColor(10, 20, 30));
        QCOMPARE(quiz.dialogs.count(Kind::Color), 3);
        QCOMPARE(quiz.dialogs.unscripted(), 0);
        QVERIFY(quiz.errors().isEmpty());
    }

    void theFontDialogOpensOnTheFirstTextAndAppliesAtOnce()
    {
        Quiz quiz;
        ClickLabel *lbask1 = quiz.control<ClickLabel>("lbask1");
        QPushButton *Button2 = quiz.control<QPushButton>("Button2");
        ClickLabel *lbask2 = quiz.control<ClickLabel>("lbask2");
        quiz.openOptions();
        quiz.control<RadioGroup>("AskForRG")->setItemIndex(1);
        const QFont before = lbask1->font();
        const QColor beforeColour = lbask1->palette().color(QPalette::WindowText);

        // Texts typed since the last refresh show with the new font.
        quiz.control<QLineEdit>("Ed2")->setText(QStringLiteral("باب"));
        QFont big(QStringLiteral("DejaVu Serif"));
        big.setPixelSize(72);
        big.setBold(true);
        quiz.dialogs.fontAnswers.enqueue(FontChoice{big, QColor(0, 0, 139)});
        quiz.click(Button2);
        QCOMPARE(quiz.dialogs.lastFontSeed.font, before);
        QCOMPARE(quiz.dialogs.lastFontSeed.color, beforeColour);
        for (ClickLabel *l : {lbask1, lbask2, quiz.control<ClickLabel>("lbask3")}) {
            QCOMPARE(l->font().family(), big.family());
            QCOMPARE(l->font().pixelSize(), 72);
            QVERIFY(l->font().bold());
            QCOMPARE(l->palette().color(QPalette::WindowText), QColor(0, 0, 139));
        }
        QCOMPARE(lbask2->text(), QStringLiteral("باب"));

        // The next dialog opens on what the first text shows now.
        quiz.control<QLineEdit>("Ed1")->setText(QStringLiteral("x"));
        quiz.dialogs.fontAnswers.enqueue(std::nullopt);
        quiz.click(Button2);
        QCOMPARE(quiz.dialogs.lastFontSeed.font.pixelSize(), 72);
        QCOMPARE(quiz.dialogs.lastFontSeed.color, QColor(0, 0, 139));
        // Cancelled: no refresh, no change.
        QCOMPARE(lbask1->text(), QStringLiteral("1"));
        QCOMPARE(lbask1->font().pixelSize(), 72);
        QCOMPARE(quiz.form->FontDialog1.font.pixelSize(), 72);
        QCOMPARE(quiz.dialogs.unscripted(), 0);
    }

    void theFontDialogChoosesTheColourToo()
    {
        // The real dialog, shown without waiting on it; its colour comes
        // through the scripted colour dialog.
        ScriptedDialogs colours;
        QFont start(QStringLiteral("DejaVu Sans"));
        start.setPointSize(20);
        FontChoiceDialog box(FontChoice{start, QColor(Qt::black)},
                             [&colours](const QColor &c) { return colours.chooseColor(c); });
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        auto *family = box.findChild<QFontComboBox *>(QStringLiteral("fontFamily"));
        auto *size = box.findChild<QSpinBox *>(QStringLiteral("fontSize"));
        auto *bold = box.findChild<QCheckBox *>(QStringLiteral("fontBold"));
        auto *colour = box.findChild<QPushButton *>(QStringLiteral("fontColour"));
        auto *preview = box.findChild<QLabel *>(QStringLiteral("fontPreview"));
        QVERIFY(family && size && bold && colour && preview);
        QCOMPARE(size->value(), 20);

        // A cancelled colour dialog keeps the colour; a chosen one shows at once.
        QTest::mouseClick(colour, Qt::LeftButton);
        QCOMPARE(colours.lastColorSeed, QColor(Qt::black));
        QCOMPARE(box.choice().color, QColor(Qt::black));
        colours.colorAnswers.enqueue(QColor(0, 128, 0));
        QTest::mouseClick(colour, Qt::LeftButton);
        family->setCurrentFont(QFont(QStringLiteral("DejaVu Serif")));
        size->setValue(40);
        QTest::mouseClick(bold, Qt::LeftButton);
        QCOMPARE(preview->palette().color(QPalette::WindowText), QColor(0, 128, 0));
        QCOMPARE(preview->font().family(), QStringLiteral("DejaVu Serif"));
        QVERIFY(preview->font().bold());

        QTest::mouseClick(box.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok), Qt::LeftButton);
        QCOMPARE(box.result(), int(QDialog::Accepted));
        const FontChoice chosen = box.choice();
        QCOMPARE(chosen.font.family(), QStringLiteral("DejaVu Serif"));
        QCOMPARE(chosen.font.pointSize(), 40);
        QVERIFY(chosen.font.bold() && !chosen.font.italic());
        QCOMPARE(chosen.color, QColor(0, 128, 0));
    }

    void theSecondPickerFillsTheThirdPanel()
    {
        Quiz quiz;
        QPushButton *BitBtn4 = quiz.control<QPushButton>("BitBtn4");
        QLineEdit *ImgEd2 = quiz.control<QLineEdit>("ImgEd2");
        PictureControl *Image2 = quiz.control<PictureControl>("Image2");
        PictureControl *Image1 = quiz.control<PictureControl>("Image1");
        PictureControl *Image3 = quiz.control<PictureControl>("Image3");
        QLabel *Lb2 = quiz.control<QLabel>("Lb2");
        quiz.openOptions();
        quiz.control<RadioGroup>("AskForRG")->setItemIndex(2);

        quiz.dialogs.pictureAnswers.enqueue(picture(QStringLiteral("square.png")));
        quiz.click(BitBtn4);
        QCOMPARE(quiz.dialogs.lastPictureSeed, QString());
        // The path edit names the copy kept in the Data folder's pictures.
        const auto kept = [&quiz](const QString &name) { return quiz.data(QStringLiteral("pictures/") + name); };
        QCOMPARE(ImgEd2->text(), kept(QStringLiteral("square.png")));
        QCOMPARE(Image2->picture().size(), QSize(40, 40));
        QVERIFY(!Image1->hasPicture());
        QVERIFY(!Image3->hasPicture());
        QCOMPARE(Image2->parentWidget(), quiz.control<ChoicePanel>("SPanel3"));

        // A click on that picture answers choice 3.
        QVERIFY(Image2->isVisible());
        quiz.click(Image2);
        QCOMPARE(Lb2->text(), QStringLiteral("3"));

        // The third picker fills the second panel, the first the first.
        quiz.dialogs.pictureAnswers.enqueue(picture(QStringLiteral("photo.jpg")));
        quiz.click(quiz.control<QPushButton>("BitBtn5"));
        QCOMPARE(quiz.control<QLineEdit>("ImgEd3")->text(), kept(QStringLiteral("photo.jpg")));
        QCOMPARE(Image3->picture().size(), QSize(60, 30));
        QCOMPARE(Image3->parentWidget(), quiz.control<ChoicePanel>("SPanel2"));
        quiz.dialogs.pictureAnswers.enqueue(picture(QStringLiteral("icon.ico")));
        quiz.click(quiz.control<QPushButton>("BitBtn3"));
        QCOMPARE(Image1->picture().size(), QSize(32, 32));
        QCOMPARE(Image1->parentWidget(), quiz.control<ChoicePanel>("SPanel1"));

        quiz.waitForNextQuestion();
        quiz.click(Image3);
        QCOMPARE(Lb2->text(), QStringLiteral("2"));

        // The dialog opens on the path already chosen; cancelling keeps it all.
        quiz.dialogs.pictureAnswers.enqueue(std::nullopt);
        quiz.click(BitBtn4);
        QCOMPARE(quiz.dialogs.lastPictureSeed, kept(QStringLiteral("square.png")));
        QCOMPARE(ImgEd2->text(), kept(QStringLiteral("square.png")));
        QCOMPARE(Image2->picture().size(), QSize(40, 40));
        QVERIFY(quiz.errors().isEmpty());
        QCOMPARE(quiz.dialogs.unscripted(), 0);
    }

    void aPictureThatFailsIsReportedAndTheOldOneStays_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("report");
        QTest::newRow("unknown extension") << picture(QStringLiteral("unknown.xyz"))
                                           << "Unknown picture file extension (.xyz)";
        QTest::newRow("text named bmp") << picture(QStringLiteral("text.bmp"))
                                        << "Bitmap image is not valid.";
        QTest::newRow("broken icon") << picture(QStringLiteral("truncated.ico"))
                                     << "Icon image is not valid.";
        QTest::newRow("huge png") << picture(QStringLiteral("huge.png"))
                                  << QStringLiteral("الصورة كبيرة جداً (%L1×%L1 نقطة): اختر صورة أصغر.")
                                         .arg(8000);
    }
    void aPictureThatFailsIsReportedAndTheOldOneStays()
    {
        QFETCH(QString, file);
        QFETCH(QString, report);
        Quiz quiz;
        PictureControl *Image2 = quiz.control<PictureControl>("Image2");
        QPushButton *BitBtn4 = quiz.control<QPushButton>("BitBtn4");
        quiz.openOptions();
        Image2->setPicture(marker());
        quiz.dialogs.pictureAnswers.enqueue(file);
        quiz.click(BitBtn4);
        QCOMPARE(quiz.errors(), QStringList{report});
        QCOMPARE(Image2->picture(), marker());
        // The path edit already holds the new path.
        QCOMPARE(quiz.control<QLineEdit>("ImgEd2")->text(), file);
        // The window goes on: the next pick works.
        quiz.dialogs.pictureAnswers.enqueue(picture(QStringLiteral("square.png")));
        quiz.click(BitBtn4);
        QCOMPARE(Image2->picture().size(), QSize(40, 40));
        QCOMPARE(quiz.errors().size(), 1);
    }

    void aMissingPictureIsNamedInTheReport()
    {
        Quiz quiz;
        PictureControl *Image1 = quiz.control<PictureControl>("Image1");
        quiz.openOptions();
        const QString gone = quiz.folder.appDir() + QStringLiteral("gone.png");
        Image1->setPicture(marker());
        quiz.dialogs.pictureAnswers.enqueue(gone);
        quiz.click(quiz.control<QPushButton>("BitBtn3"));
        QCOMPARE(quiz.errors().size(), 1);
        QVERIFY2(quiz.errors().first().contains(gone), qPrintable(quiz.errors().first()));
        QCOMPARE(Image1->picture(), marker());
    }

    void settingsLoadReadsPicturesSilently()
    {
        Quiz quiz;
        PictureControl *Image1 = quiz.control<PictureControl>("Image1");
        QLineEdit *ImgEd1 = quiz.control<QLineEdit>("ImgEd1");
        quiz.control<QLineEdit>("ImgEd3")->setText(picture(QStringLiteral("bitmap.bmp")));
        QVERIFY(quiz.form->loadPictureSilently(3));
        QCOMPARE(quiz.control<PictureControl>("Image3")->picture().size(), QSize(40, 40));

        Image1->setPicture(marker());
        for (const QString &bad : {QString(), picture(QStringLiteral("zero.bmp")),
                                   picture(QStringLiteral("unknown.xyz")),
                                   quiz.folder.appDir() + QStringLiteral("gone.jpg")}) {
            ImgEd1->setText(bad);
            QVERIFY(!quiz.form->loadPictureSilently(1));
            QCOMPARE(Image1->picture(), marker());
            QCOMPARE(ImgEd1->text(), bad);
        }
        QVERIFY(!quiz.form->loadPictureSilently(0));
        QVERIFY(!quiz.form->loadPictureSilently(4));
        QCOMPARE(quiz.dialogs.calls().size(), 0);
    }

    void stretchingOnAndOff()
    {
        Quiz quiz;
        PictureControl *Image1 = quiz.control<PictureControl>("Image1");
        QCheckBox *StretchChk = quiz.control<QCheckBox>("StretchChk");
        PictureControl *Image2 = quiz.control<PictureControl>("Image2");
        PictureControl *Image3 = quiz.control<PictureControl>("Image3");
        quiz.openOptions();
        quiz.control<RadioGroup>("AskForRG")->setItemIndex(2);
        // 40 x 40: blue top-left quarter, the rest red.
        quiz.control<QLineEdit>("ImgEd1")->setText(picture(QStringLiteral("square.png")));
        QVERIFY(quiz.form->loadPictureSilently(1));
        QVERIFY(Image1->width() > 200 && Image1->height() > 80);
        const int w = Image1->width(), h = Image1->height();
        const QRgb red = qRgb(255, 0, 0), blue = qRgb(0, 0, 255);

        QVERIFY(!StretchChk->isChecked());
        QImage shown = Image1->grab().toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(shown.pixel(5, 5), blue);
        QCOMPARE(shown.pixel(30, 30), red);
        // Own size from the top-left corner: nothing of it beyond 40 pixels.
        for (QPoint p : {QPoint(45, 5), QPoint(5, 45), QPoint(w - 5, h - 5), QPoint(w / 2, h / 2)})
            QVERIFY(shown.pixel(p) != red && shown.pixel(p) != blue);

        quiz.click(StretchChk);
        QVERIFY(StretchChk->isChecked());
        for (PictureControl *p : {Image1, Image2, Image3})
            QVERIFY(p->stretch());
        shown = Image1->grab().toImage().convertToFormat(QImage::Format_RGB32);
        // The square fills the wide panel: its quarters become wide quarters.
        QCOMPARE(shown.pixel(w / 4, h / 4), blue);
        QCOMPARE(shown.pixel(w / 2 - 10, h / 2 - 10), blue);
        QCOMPARE(shown.pixel(w / 2 + 10, h / 4), red);
        QCOMPARE(shown.pixel(w / 4, h / 2 + 10), red);
        QCOMPARE(shown.pixel(w - 2, h - 2), red);

        // A resized panel is filled anew.
        quiz.form->resize(900, 700);
        QTRY_VERIFY(Image1->width() != w || Image1->height() != h);
        shown = Image1->grab().toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(shown.pixel(Image1->width() - 2, Image1->height() - 2), red);
        QCOMPARE(shown.pixel(Image1->width() / 2 - 10, Image1->height() / 2 - 10), blue);

        quiz.click(StretchChk);
        for (PictureControl *p : {Image1, Image2, Image3})
            QVERIFY(!p->stretch());
        shown = Image1->grab().toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(shown.pixel(30, 30), red);
        QVERIFY(shown.pixel(Image1->width() - 5, Image1->height() - 5) != red);
    }

    void theHelpWindowIsReadAtStartAndShownTwiceAsOne()
    {
        Quiz quiz;
        QPushButton *BitBtn2 = quiz.control<QPushButton>("BitBtn2");
        ClickLabel *ColorLB1 = quiz.control<ClickLabel>("ColorLB1");
        QVERIFY(quiz.form->HelpForm);
        QVERIFY(quiz.form->HelpForm->pageLoaded());
        QVERIFY(!quiz.form->HelpForm->isVisible());
        QVERIFY(quiz.form->HelpForm->WebBrowser1->toPlainText().contains(
            QStringLiteral("مساعدة اختبار الأطفال")));

        quiz.openOptions();
        quiz.click(BitBtn2);
        THelpForm *first = quiz.form->HelpForm;
        QVERIFY(first->isVisible());
        QVERIFY(first->isMaximized());
        quiz.click(BitBtn2);
        QCOMPARE(quiz.form->HelpForm, first);
        int helpWindows = 0;
        for (QWidget *w : QApplication::topLevelWidgets())
            helpWindows += qobject_cast<THelpForm *>(w) && w->isVisible() ? 1 : 0;
        QCOMPARE(helpWindows, 1);

        // Not modal: the main window goes on taking clicks.
        QVERIFY(!first->isModal());
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
        quiz.dialogs.colorAnswers.enqueue(QColor(Qt::green));
        quiz.click(ColorLB1);
        QCOMPARE(TForm1::labelColor(ColorLB1), QColor(Qt::green));

        // Closing only hides; the next click shows the same window.
        QVERIFY(first->close());
        QVERIFY(!first->isVisible());
        quiz.click(BitBtn2);
        QCOMPARE(quiz.form->HelpForm, first);
        QVERIFY(first->isVisible());
        QVERIFY(quiz.errors().isEmpty());
    }

    void aMissingHelpPageIsExplainedNotEmpty()
    {
        Quiz quiz(false);
        QVERIFY(quiz.errors().isEmpty());
        quiz.openOptions();
        quiz.click(quiz.control<QPushButton>("BitBtn2"));
        const QString text = quiz.form->HelpForm->WebBrowser1->toPlainText();
        QVERIFY2(text.contains(QStringLiteral("لم يُعثر على ملف المساعدة")), qPrintable(text));
        QVERIFY(text.contains(quiz.folder.appDir() + QStringLiteral("help.htm")));
    }

    void aSuppliedHelpWindowIsUsed()
    {
        // Start-up may hand the window its help window from outside.
        THelpForm help;
        QuizWindow quiz([&help](QuizWindow &w) { w.beforeShow = [&help](TForm1 &form) { form.setHelpForm(&help); }; },
                        1);
        QCOMPARE(quiz.form->HelpForm, &help);
        QVERIFY(help.pageLoaded());
        quiz.form->BitBtn2Click();
        QVERIFY(help.isVisible());
    }
};

QTEST_MAIN(TestEditors)
#include "tst_editors.moc"
