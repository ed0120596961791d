// Lessons that travel, through the real window: a lesson with its own clips
// and three pictures handed to another computer as one file, and lessons
// that play their own clips and keep their own settings.
#include "core/base/bidi.h"
#include "core/media/clipplayer.h"
#include "core/settings/lessonarchive.h"
#include "core/settings/lessonfoldermodel.h"
#include "core/settings/lessonpictures.h"
#include "ui/lessons/lessonactions.h"
#include "ui/lessons/lessonlist.h"
#include "ui/window/picturecontrol.h"
#include "settingstestutil.h"
#include "support/quizwindow.h"

#include <QAction>
#include <QCheckBox>
#include <QGuiApplication>
#include <QImageReader>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QtTest>

using testsupport::readFile;
using testsupport::silentWav;

namespace {

QString lessonName()
{
    return QStringLiteral(u"فواكه");
}

QImage filled(QSize size, QColor colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

void writeClips(const QString &folder, int length)
{
    const char *names[] = {"color1.wav", "color2.wav", "color3.wav", "true.wav", "false.wav"};
    for (int i = 0; i < 5; ++i)
        QVERIFY(writeFile(folder + QLatin1Char('/') + QLatin1String(names[i]), silentWav(length + 50 * i)));
}

} // namespace

class TestLessonTransfer : public QObject
{
    Q_OBJECT

private slots:
    void aLessonTravelsToAnotherComputer()
    {
        QTemporaryDir phone, homeA, homeB;
        const QByteArray oldHome = qgetenv("HOME");
        qputenv("HOME", QFile::encodeName(homeA.path()));
        const QString pictures[] = {phone.filePath(QStringLiteral("photo.jpg")), phone.filePath(QStringLiteral("pear.png")),
                                    phone.filePath(QStringLiteral(u"موز.png"))};
        QVERIFY(filled(QSize(4032, 3024), Qt::darkYellow).save(pictures[0], "JPG", 80));
        QVERIFY(filled(QSize(120, 80), Qt::green).save(pictures[1]));
        QVERIFY(filled(QSize(90, 90), Qt::yellow).save(pictures[2]));

        QuizWindow a([](QuizWindow &q) { writeClips(q.folder.dataDir(), 700); });
        a.openOptions();
        QuizWindow::choose(a.control<RadioGroup>("AskForRG"), 2);
        const char *pickers[] = {"BitBtn3", "BitBtn4", "BitBtn5"};
        const char *edits[] = {"ImgEd1", "ImgEd2", "ImgEd3"};
        for (int i = 0; i < 3; ++i) {
            a.dialogs.pictureAnswers.enqueue(pictures[i]);
            QuizWindow::click(a.control<QPushButton>(pickers[i]));
            // The copy in the Data folder's pictures folder is what the options name.
            const QString kept = a.control<QLineEdit>(edits[i])->text();
            QCOMPARE(QFileInfo(kept).absolutePath(), QFileInfo(a.data(QStringLiteral("pictures"))).absoluteFilePath());
            QVERIFY(QFileInfo(kept).isFile());
        }
        // The phone photo is kept at the screen's size, its shape unchanged.
        const QSize screen = a.form->screen()->size() * a.form->screen()->devicePixelRatio();
        const QSize photo = QImageReader(a.control<QLineEdit>("ImgEd1")->text()).size();
        QVERIFY2(photo.width() <= screen.width() && photo.height() <= screen.height()
                     && (photo.width() == screen.width() || photo.height() == screen.height()),
                 qPrintable(QStringLiteral("%1x%2").arg(photo.width()).arg(photo.height())));
        QVERIFY(qAbs(photo.width() * 3 - photo.height() * 4) <= 4);
        QCOMPARE(QImageReader(a.control<QLineEdit>("ImgEd2")->text()).size(), QSize(120, 80));

        // The automatic lesson's pictures folder is no lesson.
        a.form->lessonList()->refresh();
        QCOMPARE(a.form->lessonList()->model()->rowOf(QStringLiteral("pictures")), -1);
        a.dialogs.textAnswers.enqueue(lessonName());
        QuizWindow::click(a.control<QPushButton>("ProButton2"));
        QCOMPARE(a.control<QLineEdit>("CurLesson")->text(), lessonName());
        const QString zip = homeA.filePath(QStringLiteral("lesson.zip"));
        a.dialogs.saveFileAnswers.enqueue(zip);
        a.form->lessonActions()->exportAction()->trigger();
        QCOMPARE(a.dialogs.texts(Kind::SaveFile), QStringList{QDir(homeA.path()).filePath(lessonName() + ".lesson.zip")});
        QVERIFY2(a.messages().constLast().startsWith(QStringLiteral(u"تم تصدير الدرس")), qPrintable(a.messages().join('|')));
        const QByteArray clip1 = readFile(a.data(lessonName() + QStringLiteral("/color1.wav")));
        QVERIFY(a.closeByButton());
        // The pictures are gone from where they were picked, and the first
        // computer's copies cannot be reached from the second.
        QVERIFY(phone.remove());
        QVERIFY(QDir(a.data(QStringLiteral("pictures"))).removeRecursively());

        qputenv("HOME", QFile::encodeName(homeB.path()));
        QuizWindow b;
        b.openOptions();
        b.dialogs.openFileAnswers.enqueue(zip);
        b.form->lessonActions()->importAction()->trigger();
        QCOMPARE(b.dialogs.texts(Kind::OpenFile), QStringList{homeB.path()});
        QCOMPARE(b.messages(), QStringList{QStringLiteral(u"تم استيراد الدرس ") + Bidi::word(lessonName())});
        QCOMPARE(readFile(b.data(lessonName() + QStringLiteral("/color1.wav"))), clip1);

        b.form->setCurLesson(lessonName());
        QCOMPARE(b.control<RadioGroup>("AskForRG")->itemIndex(), 2);
        const QString own = QFileInfo(b.data(lessonName())).canonicalFilePath() + QStringLiteral("/pictures/");
        for (int i = 0; i < 3; ++i)
            QVERIFY2(b.control<QLineEdit>(edits[i])->text().startsWith(own), qPrintable(b.control<QLineEdit>(edits[i])->text()));
        const QColor photoColour = b.control<PictureControl>("Image1")->picture().pixelColor(5, 5);
        QVERIFY(qAbs(photoColour.red() - 128) <= 6 && qAbs(photoColour.green() - 128) <= 6 && photoColour.blue() <= 6);
        QCOMPARE(b.control<PictureControl>("Image2")->picture().size(), QSize(120, 80));
        QCOMPARE(b.control<PictureControl>("Image3")->picture().pixelColor(5, 5), QColor(Qt::yellow));
        // For looking at by eye: the imported lesson as the child sees it.
        if (const QString shots = qEnvironmentVariable("QUIZ_SCREENSHOTS"); !shots.isEmpty()) {
            b.form->grab().save(shots + QStringLiteral("/imported-options.png"));
            QTest::mouseClick(b.control<QCheckBox>("FitChk"), Qt::LeftButton);
            QuizWindow::click(b.control<QPushButton>("Button1"));
            b.form->grab().save(shots + QStringLiteral("/imported-play-fit.png"));
            b.openOptions();
        }
        // Its own clips are the ones asked where lessons carry them.
        b.form->lessonActions()->selfContainedAction()->trigger();
        QCOMPARE(QFileInfo(b.form->player(0).fileName()).canonicalFilePath(),
                 QFileInfo(b.data(lessonName() + QStringLiteral("/color1.wav"))).canonicalFilePath());
        QVERIFY(b.form->player(0).isOpen());

        // The same file again: the name is taken, another is asked for.
        b.dialogs.openFileAnswers.enqueue(zip);
        b.dialogs.textAnswers.enqueue(lessonName() + QStringLiteral(" 2"));
        b.form->lessonActions()->importAction()->trigger();
        QCOMPARE(b.dialogs.count(Kind::AskText), 1);
        QVERIFY(QFileInfo(b.data(lessonName() + QStringLiteral(" 2/pictures"))).isDir());
        QVERIFY(b.errors().isEmpty());
        QCOMPARE(b.dialogs.unscripted(), 0);
        qputenv("HOME", oldHome);
    }

    // Opened from the file manager with a lesson file: asked, then imported.
    void aLessonFileTheQuizStartsWithIsOffered()
    {
        QTemporaryDir made;
        const QString zip = made.filePath(QStringLiteral("animals.lesson.zip"));
        QVERIFY(writeFile(made.filePath(QStringLiteral("animals/options.txt")), QByteArray(21 * 3, '\n')));
        QVERIFY(LessonArchive::exportLesson(made.filePath(QStringLiteral("animals")), QStringLiteral("animals"), zip));
        QuizWindow q([&zip](QuizWindow &w) {
            w.beforeShow = [&zip, &w](TForm1 &form) {
                w.dialogs.confirmAnswers.enqueue(true);
                form.offerLessonFile(zip);
            };
        });
        QTRY_COMPARE(q.dialogs.count(Kind::Confirm), 1);
        QVERIFY(q.dialogs.texts(Kind::Confirm).first().contains(zip));
        QVERIFY(QFileInfo(q.data(QStringLiteral("animals/options.txt"))).isFile());
        QVERIFY(q.errors().isEmpty());
    }

    void lessonsWithTheirOwnClipsAndSettings()
    {
        QuizWindow q([](QuizWindow &w) {
            for (const QString &name : {QStringLiteral(u"أ"), QStringLiteral(u"ب")}) {
                QDir().mkpath(w.data(name));
                QFile::copy(w.data(QStringLiteral("options.txt")), w.data(name + QStringLiteral("/options.txt")));
            }
            writeClips(w.data(QStringLiteral(u"أ")), 900);
            writeClips(w.data(QStringLiteral(u"ب")), 1500);
        });
        q.openOptions();
        QAction *own = q.form->lessonActions()->selfContainedAction();
        QVERIFY(!own->isChecked());
        q.form->setCurLesson(QStringLiteral(u"أ"));
        QCOMPARE(q.form->player(0).fileName(), q.data(QStringLiteral("color1.wav")));

        // Switching it on writes its own file and no other.
        const auto before = treeSnapshot(q.folder.dataDir());
        own->trigger();
        auto after = treeSnapshot(q.folder.dataDir());
        QCOMPARE(after.take(LessonPictures::selfContainedFileName()), QByteArray("1\r\n"));
        QCOMPARE(after, before);

        // Two lessons ask with their own clips.
        const QString clipA = q.form->player(0).fileName();
        QCOMPARE(clipA, q.data(QStringLiteral(u"أ/color1.wav")));
        q.form->setCurLesson(QStringLiteral(u"ب"));
        const QString clipB = q.form->player(0).fileName();
        QCOMPARE(clipB, q.data(QStringLiteral(u"ب/color1.wav")));
        QVERIFY(readFile(clipA) != readFile(clipB));
        QVERIFY(q.form->player(0).isOpen());

        // A change made while a lesson is current survives a restart, and
        // so does how its pictures are drawn.
        // A lesson made from it takes its clips, not the Data folder's.
        q.dialogs.textAnswers.enqueue(QStringLiteral(u"ج"));
        QuizWindow::click(q.control<QPushButton>("ProButton2"));
        QCOMPARE(readFile(q.data(QStringLiteral(u"ج/color1.wav"))), readFile(clipB));
        QCOMPARE(q.form->player(0).fileName(), q.data(QStringLiteral(u"ج/color1.wav")));
        q.form->setCurLesson(QStringLiteral(u"ب"));
        q.control<QLineEdit>("Ed1")->setText(QStringLiteral(u"تفاح"));
        QTest::mouseClick(q.control<QCheckBox>("FitChk"), Qt::LeftButton);
        QVERIFY(q.control<PictureControl>("Image1")->fit());
        q.restart();
        QCOMPARE(q.control<QLineEdit>("CurLesson")->text(), QStringLiteral(u"ب"));
        QCOMPARE(q.control<QLineEdit>("Ed1")->text(), QStringLiteral(u"تفاح"));
        QVERIFY(q.control<QCheckBox>("FitChk")->isChecked());
        QVERIFY(q.control<PictureControl>("Image3")->fit());
        QVERIFY(q.form->lessonActions()->selfContainedAction()->isChecked());
        q.form->setCurLesson(QStringLiteral(u"أ"));
        QVERIFY(!q.control<QCheckBox>("FitChk")->isChecked());
        QCOMPARE(q.control<QLineEdit>("Ed1")->text(), QStringLiteral("1"));
        // Off again: the Data folder's clips, as always.
        q.form->lessonActions()->selfContainedAction()->trigger();
        QCOMPARE(q.form->player(0).fileName(), q.data(QStringLiteral("color1.wav")));
        QVERIFY(q.errors().isEmpty());
    }
};

QTEST_MAIN(TestLessonTransfer)
#include "tst_lessontransfer.moc"
