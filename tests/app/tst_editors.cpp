// The option editors driven on the real window: colour, font and picture
// dialogs answered and cancelled, the crossed picture slots, stretching and
// the help window.
#include "ui/window/choicepanel.h"
#include "ui/window/clicklabel.h"
#include "ui/dialogs/fontchoicedialog.h"
#include "ui/window/picturecontrol.h"
#include "ui/window/radiogroup.h"
#include "support/scripteddialogs.h"
#include "ui/window/shapecontrol.h"
#include "ui/window/tform1.h"
#include "ui/help/thelpform.h"
#include "core/quiz/random.h"
#include "support/testsupport.h"

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

using testsupport::ProgramFolder;
using Kind = ScriptedDialogs::Kind;

namespace {

struct Quiz
{
    explicit Quiz(bool withHelpPage = true)
    {
        if (!withHelpPage)
            QFile::remove(folder.appDir() + QStringLiteral("help.htm"));
        random.seedOnce(5);
        form = std::make_unique<TForm1>(QuizEnvironment{&dialogs, &random, folder.programFile()});
        form->resize(1003, 612);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        dialogs.clear(); // the start-up notice
    }

    void openOptions()
    {
        QTest::keyRelease(form.get(), Qt::Key_F1, Qt::ControlModifier | Qt::AltModifier);
        QVERIFY(form->optionsMode());
        form->OptionsPC->setCurrentIndex(0);
    }
    void click(QWidget *w) { QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center()); }
    QStringList errors() const { return dialogs.texts(Kind::Error); }

    ProgramFolder folder;
    ScriptedDialogs dialogs;
    Random random;
    std::unique_ptr<TForm1> form;
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
        quiz.openOptions();
        auto *form = quiz.form.get();

        quiz.dialogs.colorAnswers.enqueue(QColor(0, 128, 0));
        quiz.click(form->ColorLB2);
        QCOMPARE(quiz.dialogs.lastColorSeed, QColor(Qt::yellow));
        QCOMPARE(TForm1::labelColor(form->ColorLB2), QColor(0, 128, 0));
        // The question on screen keeps its colours.
        QCOMPARE(form->Shape2->brushColor(), QColor(Qt::yellow));
        form->NewAct();
        QCOMPARE(form->Shape2->brushColor(), QColor(0, 128, 0));
        // Colours are not crossed: colour 3 stays on the third shape.
        QCOMPARE(form->Shape3->brushColor(), QColor(Qt::blue));

        // Cancelled: nothing changes, whatever was tried in the dialog.
        quiz.dialogs.colorAnswers.enqueue(std::nullopt);
        quiz.click(form->ColorLB1);
        QCOMPARE(quiz.dialogs.lastColorSeed, QColor(Qt::red));
        QCOMPARE(TForm1::labelColor(form->ColorLB1), QColor(Qt::red));

        quiz.dialogs.colorAnswers.enqueue(QColor(10, 20, 30));
        quiz.click(form->ColorLB3);
        QCOMPARE(quiz.dialogs.lastColorSeed, QColor(Qt::blue));
        QCOMPARE(TForm1::labelColor(form->ColorLB3), QColor(10, 20, 30));
        QCOMPARE(quiz.dialogs.count(Kind::Color), 3);
        QCOMPARE(quiz.dialogs.unscripted(), 0);
        QVERIFY(quiz.errors().isEmpty());
    }

    void theFontDialogOpensOnTheFirstTextAndAppliesAtOnce()
    {
        Quiz quiz;
        quiz.openOptions();
        auto *form = quiz.form.get();
        form->AskForRG->setItemIndex(1);
        const QFont before = form->lbask1->font();
        const QColor beforeColour = form->lbask1->palette().color(QPalette::WindowText);

        // Texts typed since the last refresh show with the new font.
        form->Ed2->setText(QStringLiteral("باب"));
        QFont big(QStringLiteral("DejaVu Serif"));
        big.setPixelSize(72);
        big.setBold(true);
        quiz.dialogs.fontAnswers.enqueue(FontChoice{big, QColor(0, 0, 139)});
        quiz.click(form->Button2);
        QCOMPARE(quiz.dialogs.lastFontSeed.font, before);
        QCOMPARE(quiz.dialogs.lastFontSeed.color, beforeColour);
        for (ClickLabel *l : {form->lbask1, form->lbask2, form->lbask3}) {
            QCOMPARE(l->font().family(), big.family());
            QCOMPARE(l->font().pixelSize(), 72);
            QVERIFY(l->font().bold());
            QCOMPARE(l->palette().color(QPalette::WindowText), QColor(0, 0, 139));
        }
        QCOMPARE(form->lbask2->text(), QStringLiteral("باب"));

        // The next dialog opens on what the first text shows now.
        form->Ed1->setText(QStringLiteral("x"));
        quiz.dialogs.fontAnswers.enqueue(std::nullopt);
        quiz.click(form->Button2);
        QCOMPARE(quiz.dialogs.lastFontSeed.font.pixelSize(), 72);
        QCOMPARE(quiz.dialogs.lastFontSeed.color, QColor(0, 0, 139));
        // Cancelled: no refresh, no change.
        QCOMPARE(form->lbask1->text(), QStringLiteral("1"));
        QCOMPARE(form->lbask1->font().pixelSize(), 72);
        QCOMPARE(form->FontDialog1.font.pixelSize(), 72);
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
        quiz.openOptions();
        auto *form = quiz.form.get();
        form->AskForRG->setItemIndex(2);

        quiz.dialogs.pictureAnswers.enqueue(picture(QStringLiteral("square.png")));
        quiz.click(form->BitBtn4);
        QCOMPARE(quiz.dialogs.lastPictureSeed, QString());
        QCOMPARE(form->ImgEd2->text(), picture(QStringLiteral("square.png")));
        QCOMPARE(form->Image2->picture().size(), QSize(40, 40));
        QVERIFY(!form->Image1->hasPicture());
        QVERIFY(!form->Image3->hasPicture());
        QCOMPARE(form->Image2->parentWidget(), form->SPanel3);

        // A click on that picture answers choice 3.
        QVERIFY(form->Image2->isVisible());
        quiz.click(form->Image2);
        QCOMPARE(form->Lb2->text(), QStringLiteral("3"));

        // The third picker fills the second panel, the first the first.
        quiz.dialogs.pictureAnswers.enqueue(picture(QStringLiteral("photo.jpg")));
        quiz.click(form->BitBtn5);
        QCOMPARE(form->ImgEd3->text(), picture(QStringLiteral("photo.jpg")));
        QCOMPARE(form->Image3->picture().size(), QSize(60, 30));
        QCOMPARE(form->Image3->parentWidget(), form->SPanel2);
        quiz.dialogs.pictureAnswers.enqueue(picture(QStringLiteral("icon.ico")));
        quiz.click(form->BitBtn3);
        QCOMPARE(form->Image1->picture().size(), QSize(32, 32));
        QCOMPARE(form->Image1->parentWidget(), form->SPanel1);

        form->playwaitTimer->setInterval(5);
        QTRY_VERIFY_WITH_TIMEOUT(!form->cycle().answered(), 2000);
        quiz.click(form->Image3);
        QCOMPARE(form->Lb2->text(), QStringLiteral("2"));

        // The dialog opens on the path already chosen; cancelling keeps it all.
        quiz.dialogs.pictureAnswers.enqueue(std::nullopt);
        quiz.click(form->BitBtn4);
        QCOMPARE(quiz.dialogs.lastPictureSeed, picture(QStringLiteral("square.png")));
        QCOMPARE(form->ImgEd2->text(), picture(QStringLiteral("square.png")));
        QCOMPARE(form->Image2->picture().size(), QSize(40, 40));
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
        quiz.openOptions();
        auto *form = quiz.form.get();
        form->Image2->setPicture(marker());
        quiz.dialogs.pictureAnswers.enqueue(file);
        quiz.click(form->BitBtn4);
        QCOMPARE(quiz.errors(), QStringList{report});
        QCOMPARE(form->Image2->picture(), marker());
        // The path edit already holds the new path.
        QCOMPARE(form->ImgEd2->text(), file);
        // The window goes on: the next pick works.
        quiz.dialogs.pictureAnswers.enqueue(picture(QStringLiteral("square.png")));
        quiz.click(form->BitBtn4);
        QCOMPARE(form->Image2->picture().size(), QSize(40, 40));
        QCOMPARE(quiz.errors().size(), 1);
    }

    void aMissingPictureIsNamedInTheReport()
    {
        Quiz quiz;
        quiz.openOptions();
        const QString gone = quiz.folder.appDir() + QStringLiteral("gone.png");
        quiz.form->Image1->setPicture(marker());
        quiz.dialogs.pictureAnswers.enqueue(gone);
        quiz.click(quiz.form->BitBtn3);
        QCOMPARE(quiz.errors().size(), 1);
        QVERIFY2(quiz.errors().first().contains(gone), qPrintable(quiz.errors().first()));
        QCOMPARE(quiz.form->Image1->picture(), marker());
    }

    void settingsLoadReadsPicturesSilently()
    {
        Quiz quiz;
        auto *form = quiz.form.get();
        form->ImgEd3->setText(picture(QStringLiteral("bitmap.bmp")));
        QVERIFY(form->loadPictureSilently(3));
        QCOMPARE(form->Image3->picture().size(), QSize(40, 40));

        form->Image1->setPicture(marker());
        for (const QString &bad : {QString(), picture(QStringLiteral("zero.bmp")),
                                   picture(QStringLiteral("unknown.xyz")),
                                   quiz.folder.appDir() + QStringLiteral("gone.jpg")}) {
            form->ImgEd1->setText(bad);
            QVERIFY(!form->loadPictureSilently(1));
            QCOMPARE(form->Image1->picture(), marker());
            QCOMPARE(form->ImgEd1->text(), bad);
        }
        QVERIFY(!form->loadPictureSilently(0));
        QVERIFY(!form->loadPictureSilently(4));
        QCOMPARE(quiz.dialogs.calls().size(), 0);
    }

    void stretchingOnAndOff()
    {
        Quiz quiz;
        quiz.openOptions();
        auto *form = quiz.form.get();
        form->AskForRG->setItemIndex(2);
        // 40 x 40: blue top-left quarter, the rest red.
        form->ImgEd1->setText(picture(QStringLiteral("square.png")));
        QVERIFY(form->loadPictureSilently(1));
        PictureControl *image = form->Image1;
        QVERIFY(image->width() > 200 && image->height() > 80);
        const int w = image->width(), h = image->height();
        const QRgb red = qRgb(255, 0, 0), blue = qRgb(0, 0, 255);

        QVERIFY(!form->StretchChk->isChecked());
        QImage shown = image->grab().toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(shown.pixel(5, 5), blue);
        QCOMPARE(shown.pixel(30, 30), red);
        // Own size from the top-left corner: nothing of it beyond 40 pixels.
        for (QPoint p : {QPoint(45, 5), QPoint(5, 45), QPoint(w - 5, h - 5), QPoint(w / 2, h / 2)})
            QVERIFY(shown.pixel(p) != red && shown.pixel(p) != blue);

        quiz.click(form->StretchChk);
        QVERIFY(form->StretchChk->isChecked());
        for (PictureControl *p : {form->Image1, form->Image2, form->Image3})
            QVERIFY(p->stretch());
        shown = image->grab().toImage().convertToFormat(QImage::Format_RGB32);
        // The square fills the wide panel: its quarters become wide quarters.
        QCOMPARE(shown.pixel(w / 4, h / 4), blue);
        QCOMPARE(shown.pixel(w / 2 - 10, h / 2 - 10), blue);
        QCOMPARE(shown.pixel(w / 2 + 10, h / 4), red);
        QCOMPARE(shown.pixel(w / 4, h / 2 + 10), red);
        QCOMPARE(shown.pixel(w - 2, h - 2), red);

        // A resized panel is filled anew.
        form->resize(900, 700);
        QTRY_VERIFY(image->width() != w || image->height() != h);
        shown = image->grab().toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(shown.pixel(image->width() - 2, image->height() - 2), red);
        QCOMPARE(shown.pixel(image->width() / 2 - 10, image->height() / 2 - 10), blue);

        quiz.click(form->StretchChk);
        for (PictureControl *p : {form->Image1, form->Image2, form->Image3})
            QVERIFY(!p->stretch());
        shown = image->grab().toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(shown.pixel(30, 30), red);
        QVERIFY(shown.pixel(image->width() - 5, image->height() - 5) != red);
    }

    void theHelpWindowIsReadAtStartAndShownTwiceAsOne()
    {
        Quiz quiz;
        auto *form = quiz.form.get();
        QVERIFY(form->HelpForm);
        QVERIFY(form->HelpForm->pageLoaded());
        QVERIFY(!form->HelpForm->isVisible());
        QVERIFY(form->HelpForm->WebBrowser1->toPlainText().contains(
            QStringLiteral("مساعدة اختبار الأطفال")));

        quiz.openOptions();
        quiz.click(form->BitBtn2);
        THelpForm *first = form->HelpForm;
        QVERIFY(first->isVisible());
        QVERIFY(first->isMaximized());
        quiz.click(form->BitBtn2);
        QCOMPARE(form->HelpForm, first);
        int helpWindows = 0;
        for (QWidget *w : QApplication::topLevelWidgets())
            helpWindows += qobject_cast<THelpForm *>(w) && w->isVisible() ? 1 : 0;
        QCOMPARE(helpWindows, 1);

        // Not modal: the main window goes on taking clicks.
        QVERIFY(!first->isModal());
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
        quiz.dialogs.colorAnswers.enqueue(QColor(Qt::green));
        quiz.click(form->ColorLB1);
        QCOMPARE(TForm1::labelColor(form->ColorLB1), QColor(Qt::green));

        // Closing only hides; the next click shows the same window.
        QVERIFY(first->close());
        QVERIFY(!first->isVisible());
        quiz.click(form->BitBtn2);
        QCOMPARE(form->HelpForm, first);
        QVERIFY(first->isVisible());
        QVERIFY(quiz.errors().isEmpty());
    }

    void aMissingHelpPageIsExplainedNotEmpty()
    {
        Quiz quiz(false);
        QVERIFY(quiz.errors().isEmpty());
        quiz.openOptions();
        quiz.click(quiz.form->BitBtn2);
        const QString text = quiz.form->HelpForm->WebBrowser1->toPlainText();
        QVERIFY2(text.contains(QStringLiteral("لم يُعثر على ملف المساعدة")), qPrintable(text));
        QVERIFY(text.contains(quiz.folder.appDir() + QStringLiteral("help.htm")));
    }

    void aSuppliedHelpWindowIsUsed()
    {
        // Start-up may hand the window its help window from outside.
        ProgramFolder folder;
        ScriptedDialogs dialogs;
        Random random;
        random.seedOnce(1);
        THelpForm help;
        TForm1 form(QuizEnvironment{&dialogs, &random, folder.programFile()});
        form.setHelpForm(&help);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(form.HelpForm, &help);
        QVERIFY(help.pageLoaded());
        form.BitBtn2Click();
        QVERIFY(help.isVisible());
    }
};

QTEST_MAIN(TestEditors)
#include "tst_editors.moc"
