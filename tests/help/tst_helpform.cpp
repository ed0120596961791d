#include "ui/help/thelpform.h"
#include "support/testsupport.h"

#include <QApplication>
#include <QFile>
#include <QPointer>
#include <QTemporaryDir>
#include <QImage>
#include <QTextBrowser>
#include <QtTest>

using testsupport::writeFile;

/// The help window: read once, shown many times, hidden on close.
class TestHelpForm : public QObject
{
    Q_OBJECT

private:
    static int helpWindows()
    {
        int n = 0;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->objectName() == QLatin1String("HelpForm"))
                ++n;
        return n;
    }

private slots:
    void readsThePageOnceAndNeverAgain()
    {
        QTemporaryDir dir;
        const QString page = dir.filePath(QStringLiteral("help.htm"));
        QVERIFY(writeFile(page, "<html><head><meta charset=\"utf-8\"></head>"
                                "<body><p>الصفحة الأولى</p></body></html>"));
        THelpForm form;
        QVERIFY(!form.pageLoaded());
        QVERIFY(form.WebBrowser1->toPlainText().isEmpty());
        form.loadPage(page);
        QVERIFY(form.pageLoaded());
        QVERIFY(form.WebBrowser1->toPlainText().contains(QStringLiteral("الصفحة الأولى")));
        // Read by path, and no history entry to go back to.
        QCOMPARE(form.WebBrowser1->source(), QUrl::fromLocalFile(page));
        QVERIFY(!form.WebBrowser1->isBackwardAvailable());
        QVERIFY(!form.WebBrowser1->isForwardAvailable());

        // The file changes on disk: showing, hiding, showing again and even a
        // second load request keep what was read at start-up.
        QVERIFY(writeFile(page, "<html><body><p>second</p></body></html>"));
        form.showHelp();
        QVERIFY(form.close());
        form.showHelp();
        form.loadPage(page);
        QVERIFY(form.WebBrowser1->toPlainText().contains(QStringLiteral("الصفحة الأولى")));
        QVERIFY(!form.WebBrowser1->toPlainText().contains(QStringLiteral("second")));
    }

    // A page put in place of the program's: its pictures are read from its
    // own folder only, never from a file elsewhere, a device or a pipe.
    void aPageReadsPicturesOnlyBesideItself()
    {
        QTemporaryDir outside;
        const QString elsewhere = outside.filePath(QStringLiteral("p.png"));
        QImage dot(4, 4, QImage::Format_RGB32);
        dot.fill(Qt::red);
        QVERIFY(dot.save(elsewhere));
        testsupport::FileOpenWatch watch(elsewhere);
        QVERIFY(watch.isValid());
        QTemporaryDir dir;
        QVERIFY(dot.save(dir.filePath(QStringLiteral("own.png"))));
        const QString page = dir.filePath(QStringLiteral("help.htm"));
        QVERIFY(writeFile(page, QStringLiteral("<html><body><p>x</p><img src=\"own.png\">"
                                               "<img src=\"%1\"><img src=\"file://%1\"><img src=\"../%2/p.png\">"
                                               "</body></html>").arg(elsewhere, QFileInfo(outside.path()).fileName()).toUtf8()));
        THelpForm form;
        form.loadPage(page);
        form.resize(400, 300);
        const QImage shot = form.grab().toImage();
        QVERIFY(!watch.opened());
        // The page's own picture is there.
        int red = 0;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x)
                red += shot.pixelColor(x, y) == QColor(Qt::red);
        QVERIFY2(red >= 16, qPrintable(QString::number(red)));
    }

    void showingTwiceShowsTheSameWindowAndClosingOnlyHides()
    {
        QPointer<THelpForm> form = new THelpForm;
        QCOMPARE(form->windowTitle(), QStringLiteral("HelpForm"));
        QCOMPARE(form->normalGeometry().size(), QSize(870, 500));
        QVERIFY(!form->isVisible());
        form->showHelp();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        form->showHelp();
        QVERIFY(form->isVisible());
        QVERIFY(form->isMaximized());
        QCOMPARE(helpWindows(), 1);
        // The browser fills the window.
        QCOMPARE(form->WebBrowser1->geometry(), form->rect());

        QVERIFY(form->close());
        QVERIFY(!form.isNull());
        QVERIFY(!form->isVisible());
        form->showHelp();
        QVERIFY(form->isVisible());
        QCOMPARE(helpWindows(), 1);
        // An open help window does not keep the program alive on its own.
        QVERIFY(!form->testAttribute(Qt::WA_QuitOnClose));
        delete form;
    }

    void aMissingFileShowsAnArabicExplanation()
    {
        QTemporaryDir dir;
        const QString page = dir.filePath(QStringLiteral("help.htm"));
        THelpForm form;
        form.loadPage(page);
        const QString text = form.WebBrowser1->toPlainText();
        QVERIFY2(text.contains(QStringLiteral("لم يُعثر على ملف المساعدة")), qPrintable(text));
        QVERIFY(text.contains(page));
        // The file appearing later changes nothing: the page is read once.
        QVERIFY(writeFile(page, "<html><body>late</body></html>"));
        form.showHelp();
        QVERIFY(!form.WebBrowser1->toPlainText().contains(QStringLiteral("late")));

        // A folder in the file's place is no page either.
        QTemporaryDir dir2;
        QVERIFY(QDir(dir2.path()).mkdir(QStringLiteral("help.htm")));
        THelpForm form2;
        form2.loadPage(dir2.filePath(QStringLiteral("help.htm")));
        QVERIFY(form2.WebBrowser1->toPlainText().contains(QStringLiteral("لم يُعثر")));
    }

    void theShippedPageIsArabicAndNamesTheControls()
    {
        const QString page = testsupport::appDirTemplate() + QStringLiteral("/help.htm");
        QVERIFY2(QFileInfo::exists(page), qPrintable(page));
        THelpForm form;
        form.loadPage(page);
        const QString text = form.WebBrowser1->toPlainText();
        QVERIFY(!text.contains(QStringLiteral("لم يُعثر")));
        // Read as UTF-8, not as Latin-1 mojibake.
        QVERIFY(text.contains(QStringLiteral("مساعدة اختبار الأطفال")));
        // The captions a teacher sees on the options pane.
        const char *captions[] = {"Ctrl + Shift + F1", "Ctrl + Alt + F1", ".local/share/kidsquiz/quiz", "نوع السؤال", "اللون الأول", "تغيير الخط", "الصور",
                                  "تمدد الصورة", "الخيار المطلوب", "طريقة التفاعل", "موضع الفيديو",
                                  "مؤقت انتظار بين الأسئلة", "الجواب صح", "الجواب خطأ",
                                  "اختيار الدرس التلقائي", "حفظ الدرس الحالي إلى الاسم المختار",
                                  "إنشاء درس جديد من الوضع الحالي", "حذف الدرس المختار",
                                  "قاعدة بيانات الأطفال", "إضافة طفل", "تصفير نتائج الطفل",
                                  "حذف الطفل تماماً", "اخفاء الخيارات", "لم يصل صوت: افحص الميكروفون"};
        for (const char *c : captions)
            QVERIFY2(text.contains(QString::fromUtf8(c)), c);
        // The user's folder reads left to right with the Arabic words in it
        // in place: the viewer honours isolates inside a line.
        QVERIFY(text.contains(QStringLiteral(u"\u2066/home/\u2068اسم المستخدم\u2069/.local/share/kidsquiz/quiz\u2069")));
    }
};

QTEST_MAIN(TestHelpForm)
#include "tst_helpform.moc"
