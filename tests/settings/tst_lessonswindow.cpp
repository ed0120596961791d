// The lesson library through the real window: the list, the four buttons and
// renaming in place, on real folders of a throw-away program folder.
#include "core/settings/lessonfoldermodel.h"
#include "ui/lessons/lessonlist.h"
#include "settingstestutil.h"
#include "support/quizwindow.h"

#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolButton>
#include <QtTest>

using testsupport::readFile;

namespace {

QString refusedAutomaticText()
{
    return QStringLiteral(u"لا يجوز تسمية الدرس بهذا الاسم\n\rاختر اسماً آخر");
}

QByteArray withWait(const QByteArray &options, int seconds)
{
    return optionsWithLine(options, 21, QByteArray::number(seconds));
}

/// A lesson folder made by hand: the Data folder's options with another
/// waiting time.
void makeLesson(const QuizWindow &q, const QString &name, int waitSeconds)
{
    QDir().mkpath(q.data(name));
    writeFile(q.data(name + QStringLiteral("/options.txt")), withWait(q.optionsBytes(), waitSeconds));
}

/// The regular files directly in the folder, with their bytes.
QMap<QString, QByteArray> files(const QString &folder)
{
    QMap<QString, QByteArray> out;
    for (const QFileInfo &fi : QDir(folder).entryInfoList(QDir::Files | QDir::Hidden))
        out.insert(fi.fileName(), readFile(fi.absoluteFilePath()));
    return out;
}

struct Lessons : QuizWindow
{
    using QuizWindow::QuizWindow;

    LessonFolderModel *model() const { return form->lessonList()->model(); }
    QListView *view() const { return control<QListView>("Lesson"); }
    std::optional<QString> selected() const { return form->lessonList()->selectedName(); }
    QString current() const { return control<QLineEdit>("CurLesson")->text(); }

    void showPane()
    {
        openOptions();
        control<QTabWidget>("OptionsPC")->setCurrentIndex(0);
    }

    /// Waits until the list shows the folder (or no longer shows it).
    bool listed(const QString &name) const { return model()->rowOf(name) >= 0; }

    void click(const QString &name)
    {
        showPane();
        const int row = model()->rowOf(name);
        QVERIFY2(row >= 0, qPrintable(name));
        if (selected() == name)
            return; // a click on the chosen entry would start renaming it
        const QModelIndex index = model()->index(row);
        view()->scrollTo(index);
        QTest::mouseClick(view()->viewport(), Qt::LeftButton, {}, view()->visualRect(index).center());
    }

    void press(const char *button)
    {
        showPane();
        QTest::mouseClick(control<QAbstractButton>(button), Qt::LeftButton);
    }
    /// The waiting time, which tells the lessons' settings apart.
    QSpinBox *waitSE() const { return control<QSpinBox>("WaitSE"); }

    /// Renames in place: F2 on the list, the name typed over, Enter.
    void rename(const QString &from, const QString &to)
    {
        click(from);
        QTest::keyClick(view(), Qt::Key_F2);
        auto *editor = qobject_cast<QLineEdit *>(view()->indexWidget(view()->currentIndex()));
        QVERIFY(editor);
        QCOMPARE(editor->text(), from);
        editor->selectAll();
        QTest::keyClick(editor, Qt::Key_Delete);
        typeText(editor, to);
        const QPointer<QLineEdit> open(editor);
        QTest::keyClick(editor, Qt::Key_Return);
        // The name is committed once the editor has taken the key.
        QTRY_VERIFY(!open || !open->isVisible());
    }
};

} // namespace

class TestLessonsWindow : public QObject
{
    Q_OBJECT

private slots:
    void createChooseSaveIntoAndRestart()
    {
        Lessons q;
        const QString name = QStringLiteral("درس الألوان");
        q.showPane();
        q.waitSE()->setValue(8);
        q.dialogs.textAnswers.enqueue(name);
        q.press("ProButton2");
        QCOMPARE(q.dialogs.lastTextCaption, QStringLiteral(u"انشاء درس جديد"));
        QCOMPARE(q.dialogs.texts(Kind::AskText), QStringList{QStringLiteral(u"أدخل اسم الدرس")});
        QCOMPARE(q.dialogs.count(Kind::Message), 0);
        QCOMPARE(q.dialogs.count(Kind::Error), 0);
        // A copy of every file of the Data folder, nothing else, at once in the list.
        QMap<QString, QByteArray> copied = files(q.data());
        // The current-lesson file was copied before the new lesson became current.
        copied[QStringLiteral("CurLesson.txt")] = cp1256(automaticName()) + "\r\n";
        QCOMPARE(files(q.data(name)), copied);
        QCOMPARE(fileLines(readFile(q.data(name + QStringLiteral("/options.txt")))).at(20), QByteArray("8"));
        QCOMPARE(QDir(q.data(name)).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
        QCOMPARE(QDir(q.data()).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden), QStringList{name});
        QCOMPARE(q.current(), name);
        QCOMPARE(q.lessonBytes(), cp1256(name) + "\r\n");
        QVERIFY(q.listed(name));
        // Only the teacher picks a row: the new lesson is current, not chosen
        // for deleting.
        QCOMPARE(q.selected(), std::nullopt);
        q.press("SpeedButton6");
        QCOMPARE(q.messages(), QStringList{QStringLiteral(u"يجب اختيار درس لحذفه")});
        QCOMPARE(q.dialogs.count(Kind::Confirm), 0);
        q.dialogs.clear();

        // Back to the automatic lesson: its own file is loaded.
        writeFile(q.data(QStringLiteral("options.txt")), withWait(q.optionsBytes(), 5));
        q.press("SpeedButton7");
        QCOMPARE(q.current(), automaticName());
        QCOMPARE(q.selected(), std::nullopt);
        QCOMPARE(q.waitSE()->value(), 5);
        QCOMPARE(q.lessonBytes(), cp1256(automaticName()) + "\r\n");

        // Chosen in the list: the lesson's file is loaded.
        q.click(name);
        QCOMPARE(q.current(), name);
        QCOMPARE(q.waitSE()->value(), 8);
        QCOMPARE(q.lessonBytes(), cp1256(name) + "\r\n");

        // Saved into: every Data file replaces its namesake, an extra file stays.
        writeFile(q.data(name + QStringLiteral("/ملاحظات.txt")), "notes");
        q.waitSE()->setValue(12);
        q.press("ProButton1");
        QCOMPARE(q.messages(), QStringList{QStringLiteral(u"تمت عملية النسخ بنجاح")});
        QCOMPARE(q.current(), name);
        QMap<QString, QByteArray> expected = files(q.data());
        expected.insert(QStringLiteral("ملاحظات.txt"), "notes");
        QCOMPARE(files(q.data(name)), expected);

        // Changes after that reach only the Data folder; a restart reads the lesson.
        q.waitSE()->setValue(20);
        q.restart();
        QCOMPARE(q.current(), name);
        QCOMPARE(q.waitSE()->value(), 12);
        QCOMPARE(q.dialogs.count(Kind::Message), 0);
        QCOMPARE(fileLines(q.optionsBytes()).at(20), QByteArray("20"));
        QVERIFY(q.listed(name));
        // Started on a named lesson, the list still has nothing chosen.
        QCOMPARE(q.selected(), std::nullopt);
        q.press("SpeedButton6");
        QCOMPARE(q.messages(), QStringList{QStringLiteral(u"يجب اختيار درس لحذفه")});
        QCOMPARE(q.dialogs.count(Kind::Confirm), 0);
        QVERIFY(q.listed(name));
    }

    void theChildStaysWhoTheTeacherChoseWhateverTheLesson()
    {
        // The lesson was saved while the child "-" sat at the computer.
        const QString name = QStringLiteral("درس");
        Lessons q([&](QuizWindow &w) {
            seedChildren(w.folder.appDir() + QStringLiteral("results.db"),
                         {QStringLiteral("-"), QStringLiteral("سارة")});
            makeLesson(w, name, 9);
            writeFile(w.data(name + QStringLiteral("/options.txt")),
                      optionsWithLine(readFile(w.data(name + QStringLiteral("/options.txt"))), 20, "1"));
        });
        QVERIFY(q.form->findChildByKey(QStringLiteral("2")));
        q.click(name);
        QCOMPARE(q.waitSE()->value(), 9);
        QCOMPARE(q.form->currentChildNo(), 2);
        QTest::mouseClick(q.control<QPushButton>("Button1"), Qt::LeftButton); // back to play
        q.clickPanel(q.asked());
        QCOMPARE(q.control<QLabel>("DBText1")->text(), QStringLiteral("سارة"));

        // After a restart on the lesson: the child of the last close.
        q.restart();
        QCOMPARE(q.current(), name);
        QCOMPARE(q.form->currentChildNo(), 2);
        QCOMPARE(fileLines(readFile(q.data(name + QStringLiteral("/options.txt")))).at(19), QByteArray("1"));
    }

    void namesInOtherLetterCaseAreTheSameLesson()
    {
        Lessons q([](const QuizWindow &w) {
            makeLesson(w, QStringLiteral("أ"), 3);
            makeLesson(w, QStringLiteral("abc"), 4);
        });
        const auto lessons = [&q] { return QDir(q.data()).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden); };
        q.click(QStringLiteral("أ"));
        q.waitSE()->setValue(6);
        q.dialogs.textAnswers << QStringLiteral("ABC");
        q.press("ProButton2");
        QCOMPARE(q.dialogs.count(Kind::Message), 0);
        QCOMPARE(lessons(), QStringList({QStringLiteral("abc"), QStringLiteral("أ")}));
        QCOMPARE(q.current(), QStringLiteral("abc"));
        QCOMPARE(readFile(q.data(QStringLiteral("abc/options.txt"))), q.optionsBytes());
        // The row picked before is not the lesson made: nothing is offered for deleting.
        QCOMPARE(q.selected(), std::nullopt);
        q.press("SpeedButton6");
        QCOMPARE(q.messages(), QStringList{QStringLiteral(u"يجب اختيار درس لحذفه")});
        QCOMPARE(q.dialogs.count(Kind::Confirm), 0);

        // Renamed: another lesson's name in other case is taken, the lesson's own spelling may change.
        q.dialogs.clear();
        q.rename(QStringLiteral("أ"), QStringLiteral("ABC"));
        QCOMPARE(q.messages(), QStringList{QStringLiteral(u"يوجد درس بهذا الاسم\n\rاختر اسماً آخر")});
        QCOMPARE(lessons(), QStringList({QStringLiteral("abc"), QStringLiteral("أ")}));
        q.dialogs.clear();
        q.rename(QStringLiteral("abc"), QStringLiteral("Abc"));
        QCOMPARE(q.messages(), QStringList());
        QCOMPARE(lessons(), QStringList({QStringLiteral("Abc"), QStringLiteral("أ")}));
        QCOMPARE(q.current(), QStringLiteral("Abc"));

        // Saved into under a name spelled otherwise (a current-lesson file
        // from a system where case does not count).
        QVERIFY(q.closeByButton());
        writeFile(q.data(QStringLiteral("CurLesson.txt")), "ABC\r\n");
        q.start();
        QCOMPARE(q.current(), QStringLiteral("ABC"));
        QCOMPARE(q.waitSE()->value(), 6);
        q.waitSE()->setValue(15);
        q.dialogs.clear();
        q.press("ProButton1");
        QCOMPARE(q.messages(), QStringList{QStringLiteral(u"تمت عملية النسخ بنجاح")});
        QCOMPARE(lessons(), QStringList({QStringLiteral("Abc"), QStringLiteral("أ")}));
        QCOMPARE(fileLines(readFile(q.data(QStringLiteral("Abc/options.txt")))).at(20), QByteArray("15"));
    }

    void theAutomaticNameIsRefusedTwiceThenAnotherAccepted()
    {
        Lessons q;
        q.dialogs.textAnswers << automaticName() << automaticName() << QStringLiteral("ب");
        q.press("ProButton2");
        QCOMPARE(q.messages(), QStringList({refusedAutomaticText(), refusedAutomaticText()}));
        QCOMPARE(q.dialogs.count(Kind::AskText), 3);
        QVERIFY(QFileInfo(q.data(QStringLiteral("ب"))).isDir());
        QCOMPARE(q.current(), QStringLiteral("ب"));
    }

    void everyRefusedNameLeavesTheDataFolderAsItWas()
    {
        Lessons q;
        q.press("ProButton2"); // the name box cancelled: only the settings saved
        QCOMPARE(q.dialogs.count(Kind::AskText), 1);
        QCOMPARE(q.dialogs.count(Kind::Message), 0);
        const QMap<QString, QByteArray> before = treeSnapshot(q.data());
        const QString lesson = q.current();

        const QStringList refused = {QString(), QStringLiteral("."), QStringLiteral(".."),
                                     QStringLiteral(".مخفي"), QStringLiteral("a/b"), QStringLiteral("../x"),
                                     QStringLiteral("a\\b"), QString::fromUtf8("a\0b", 3),
                                     QStringLiteral("سطر\nثان"), QStringLiteral("中文"),
                                     QStringLiteral("😀"), QString(300, QLatin1Char('x')), automaticName()};
        q.dialogs.clear();
        for (const QString &name : refused)
            q.dialogs.textAnswers << name;
        q.press("ProButton2"); // the last answer is a cancel
        QCOMPARE(q.dialogs.count(Kind::Message), refused.size());
        for (const QString &text : q.messages())
            QVERIFY(!text.isEmpty());
        QCOMPARE(q.dialogs.count(Kind::AskText), refused.size() + 1);
        QCOMPARE(treeSnapshot(q.data()), before);
        QCOMPARE(q.current(), lesson);
        QVERIFY(!QFileInfo::exists(q.folder.path() + QStringLiteral("/x")));
    }

    void creatingOverAnExistingLessonReplacesItsFiles()
    {
        const QString name = QStringLiteral("قديم");
        Lessons q([&](const QuizWindow &w) {
            makeLesson(w, name, 33);
            writeFile(w.data(name + QStringLiteral("/extra.txt")), "stays");
        });
        q.waitSE()->setValue(6);
        q.dialogs.textAnswers << name;
        q.press("ProButton2");
        QCOMPARE(q.dialogs.count(Kind::Message), 0);
        QCOMPARE(q.current(), name);
        QCOMPARE(readFile(q.data(name + QStringLiteral("/options.txt"))), q.optionsBytes());
        QCOMPARE(readFile(q.data(name + QStringLiteral("/extra.txt"))), QByteArray("stays"));
        QCOMPARE(q.waitSE()->value(), 6);
    }

    void aFailedCopyLeavesNoLessonAndTheDataFolderAsItWas()
    {
        Lessons q;
        q.press("ProButton2"); // cancelled: the settings are saved once
        const QMap<QString, QByteArray> before = treeSnapshot(q.data());
        q.dialogs.clear();
        q.dialogs.textAnswers << QStringLiteral("كبير");
        {
            // The settings files fit, the clips do not.
            const FileSizeLimit limit(1000);
            q.press("ProButton2");
        }
        QCOMPARE(q.messages(), QStringList{QStringLiteral(u"لم يتم نسخ الدرس")});
        QCOMPARE(treeSnapshot(q.data()), before); // no lesson, no hidden half-copy
        QCOMPARE(q.current(), automaticName());
        QVERIFY(!q.listed(QStringLiteral("كبير")));
    }

    void savingIntoTheLessonFailsWithoutTouchingIt()
    {
        const QString name = QStringLiteral("درس");
        Lessons q([&](const QuizWindow &w) { makeLesson(w, name, 9); });

        // The automatic lesson cannot be saved into: nothing is written.
        const QMap<QString, QByteArray> atStart = treeSnapshot(q.data());
        q.waitSE()->setValue(14);
        q.press("ProButton1");
        QCOMPARE(q.messages(), QStringList{QStringLiteral(u"يجب اختيار درس ")});
        QCOMPARE(treeSnapshot(q.data()), atStart);

        q.click(name);
        QCOMPARE(q.current(), name);
        q.waitSE()->setValue(14);
        const QMap<QString, QByteArray> before = treeSnapshot(q.data());
        {
            // The settings cannot be saved: nothing is copied.
            const FileSizeLimit limit(40);
            q.dialogs.clear();
            q.press("ProButton1");
        }
        QCOMPARE(q.messages(), QStringList{QStringLiteral(u"لم يتم نسخ الدرس")});
        // The lesson and the Data folder's options are as they were.
        QCOMPARE(treeSnapshot(q.data()), before);

        // The lesson's folder went behind the quiz's back.
        QDir(q.data(name)).removeRecursively();
        q.dialogs.clear();
        q.press("ProButton1");
        QCOMPARE(q.messages(), QStringList{QStringLiteral(u"لم يتم نسخ الدرس")});
        QVERIFY(!QFileInfo::exists(q.data(name)));
        QCOMPARE(fileLines(q.optionsBytes()).at(20), QByteArray("14"));
    }

    void deletingWithCancelAndWithYes()
    {
        Lessons q([](const QuizWindow &w) {
            makeLesson(w, QStringLiteral("أ"), 3);
            makeLesson(w, QStringLiteral("ب"), 4);
        });
        q.press("SpeedButton6");
        QCOMPARE(q.messages(), QStringList{QStringLiteral(u"يجب اختيار درس لحذفه")});
        QCOMPARE(q.dialogs.count(Kind::Confirm), 0);

        q.click(QStringLiteral("أ"));
        QCOMPARE(q.current(), QStringLiteral("أ"));
        const QMap<QString, QByteArray> lessons = treeSnapshot(q.data());
        q.dialogs.clear();
        q.dialogs.confirmAnswers << false;
        q.press("SpeedButton6");
        QCOMPARE(q.dialogs.texts(Kind::Confirm), QStringList{QStringLiteral(u"هل تريد حذف الدرس فعلاً\n\rأ")});
        // Cancel changes nothing: the lesson stays chosen and current.
        QVERIFY(q.listed(QStringLiteral("أ")) && q.listed(QStringLiteral("ب")));
        QCOMPARE(q.selected(), std::optional<QString>(QStringLiteral("أ")));
        QCOMPARE(q.current(), QStringLiteral("أ"));
        QCOMPARE(treeSnapshot(q.data()), lessons);

        q.click(QStringLiteral("ب"));
        q.dialogs.clear();
        q.dialogs.confirmAnswers << true;
        q.press("SpeedButton6");
        QVERIFY(!QFileInfo::exists(q.data(QStringLiteral("ب"))));
        QVERIFY(!q.listed(QStringLiteral("ب")));
        QVERIFY(q.listed(QStringLiteral("أ")));
        QCOMPARE(q.selected(), std::nullopt);
        QCOMPARE(q.current(), automaticName());
        QCOMPARE(q.lessonBytes(), cp1256(automaticName()) + "\r\n");
        QCOMPARE(q.dialogs.count(Kind::Message), 0);
        QCOMPARE(q.dialogs.count(Kind::Error), 0);
    }

    void deletingKeepsSubFoldersAndNeverFollowsLinks()
    {
        QTemporaryDir elsewhere;
        writeFile(elsewhere.filePath(QStringLiteral("options.txt")), "keep me");
        Lessons q([&](const QuizWindow &w) {
            makeLesson(w, QStringLiteral("مع مجلد"), 3);
            writeFile(w.data(QStringLiteral("مع مجلد/a.txt")), "a");
            writeFile(w.data(QStringLiteral("مع مجلد/sub/inner.txt")), "inner");
            QFile::link(elsewhere.path(), w.data(QStringLiteral("رابط")));
        });
        q.dialogs.confirmAnswers << true << true;
        q.click(QStringLiteral("مع مجلد"));
        q.press("SpeedButton6");
        QCOMPARE(QDir(q.data(QStringLiteral("مع مجلد"))).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList{QStringLiteral("sub")});
        QCOMPARE(readFile(q.data(QStringLiteral("مع مجلد/sub/inner.txt"))), QByteArray("inner"));
        QVERIFY(q.listed(QStringLiteral("مع مجلد")));
        QCOMPARE(q.dialogs.count(Kind::Message), 0);

        // A folder of Data that is a link to a folder elsewhere is no lesson:
        // it is not listed, so nothing is read, written or deleted through it.
        QVERIFY(!q.listed(QStringLiteral("رابط")));
        QVERIFY(QFileInfo(q.data(QStringLiteral("رابط"))).isSymLink());
        QCOMPARE(readFile(elsewhere.filePath(QStringLiteral("options.txt"))), QByteArray("keep me"));
    }

    void aFolderMadeByHandShowsAtOnceAndFallsBackWithoutOptions()
    {
        Lessons q;
        q.showPane();
        const QString name = QStringLiteral("يدوي");
        QDir().mkpath(q.data(name));
        QDir().mkpath(q.data(QStringLiteral(".مخفي")));
        QTRY_VERIFY(q.listed(name));
        QVERIFY(!q.listed(QStringLiteral(".مخفي")));
        const QByteArray options = q.optionsBytes();

        q.click(name);
        QCOMPARE(q.messages(), QStringList{fileErrorText()});
        QCOMPARE(q.current(), automaticName());
        QCOMPARE(q.lessonBytes(), cp1256(automaticName()) + "\r\n");
        QCOMPARE(q.optionsBytes(), options);
        // The folder stays chosen, so that it can be deleted at once.
        QCOMPARE(q.selected(), std::optional<QString>(name));
        q.dialogs.confirmAnswers << true;
        q.press("SpeedButton6");
        QVERIFY(!QFileInfo::exists(q.data(name)));

        QDir().mkpath(q.data(QStringLiteral("آخر")));
        QTRY_VERIFY(q.listed(QStringLiteral("آخر")));
        QDir(q.data()).rmdir(QStringLiteral("آخر"));
        QTRY_VERIFY(!q.listed(QStringLiteral("آخر")));
    }

    void aFolderNameTheLessonFileCannotHoldIsRefused()
    {
        const QString name = QStringLiteral("درس");
        Lessons q([&](const QuizWindow &w) {
            makeLesson(w, name, 9);
            makeLesson(w, QStringLiteral("中文"), 4);
        });
        q.click(name);
        const QByteArray lessonFile = q.lessonBytes();
        q.click(QStringLiteral("中文"));
        QCOMPARE(q.dialogs.count(Kind::Message), 1);
        QVERIFY(q.messages().first().contains(QStringLiteral("中文")));
        QCOMPARE(q.current(), name);
        QCOMPARE(q.lessonBytes(), lessonFile);
        QCOMPARE(q.waitSE()->value(), 9);
        // It can still be deleted; clearing the choice then means the automatic lesson.
        q.dialogs.confirmAnswers << true;
        q.press("SpeedButton6");
        QVERIFY(!QFileInfo::exists(q.data(QStringLiteral("中文"))));
        QCOMPARE(q.current(), automaticName());
    }

    void renamingInPlace()
    {
        Lessons q([](const QuizWindow &w) {
            makeLesson(w, QStringLiteral("قديم"), 9);
            makeLesson(w, QStringLiteral("آخر"), 4);
        });
        q.click(QStringLiteral("قديم"));
        q.waitSE()->setValue(17); // not saved: a rename must not load again
        q.rename(QStringLiteral("قديم"), QStringLiteral("جديد"));
        QCOMPARE(q.messages(), QStringList());
        QVERIFY(!QFileInfo::exists(q.data(QStringLiteral("قديم"))));
        QCOMPARE(readFile(q.data(QStringLiteral("جديد/options.txt"))), withWait(q.optionsBytes(), 9));
        QVERIFY(q.listed(QStringLiteral("جديد")) && !q.listed(QStringLiteral("قديم")));
        QCOMPARE(q.selected(), std::optional<QString>(QStringLiteral("جديد")));
        QCOMPARE(q.current(), QStringLiteral("جديد"));
        QCOMPARE(q.lessonBytes(), cp1256(QStringLiteral("جديد")) + "\r\n");
        QCOMPARE(q.waitSE()->value(), 17);
        QTest::qWait(LessonFolderModel::SettleMs * 3); // the change watch agrees
        QCOMPARE(q.model()->names(), QStringList({QStringLiteral("آخر"), QStringLiteral("جديد")}));
        QCOMPARE(q.selected(), std::optional<QString>(QStringLiteral("جديد")));

        // Refused names leave everything as it was.
        const QMap<QString, QByteArray> before = treeSnapshot(q.data());
        const QStringList refused = {automaticName(), QStringLiteral("آخر"), QStringLiteral("中"),
                                     QStringLiteral(".خفي"), QStringLiteral("a/b")};
        for (const QString &name : refused) {
            q.dialogs.clear();
            q.rename(QStringLiteral("جديد"), name);
            QCOMPARE(q.dialogs.count(Kind::Message), 1);
            QCOMPARE(treeSnapshot(q.data()), before);
            QCOMPARE(q.current(), QStringLiteral("جديد"));
        }
        // Renaming a lesson that is not the current one leaves the current one.
        q.rename(QStringLiteral("آخر"), QStringLiteral("ثالث"));
        QVERIFY(QFileInfo(q.data(QStringLiteral("ثالث"))).isDir());
        QCOMPARE(q.current(), QStringLiteral("ثالث")); // selecting it made it current first
    }

    void theAutomaticButtonWhenTheAutomaticLessonIsCurrentDoesNothing()
    {
        Lessons q;
        q.showPane();
        QCOMPARE(q.current(), automaticName());
        q.waitSE()->setValue(23);
        writeFile(q.data(QStringLiteral("CurLesson.txt")), "untouched");
        q.press("SpeedButton7");
        QCOMPARE(q.waitSE()->value(), 23);
        QCOMPARE(q.lessonBytes(), QByteArray("untouched"));
        QCOMPARE(q.dialogs.count(Kind::Message), 0);
    }

    void theListFollowsTheDiskAndKeepsItsSelection()
    {
        Lessons q([](const QuizWindow &w) {
            for (const char *name : {"درس 1", "درس 2", "درس 10"})
                makeLesson(w, QString::fromUtf8(name), 5);
        });
        // Numbers sort by their value.
        QCOMPARE(q.model()->names(), QStringList({QStringLiteral("درس 1"), QStringLiteral("درس 2"),
                                                  QStringLiteral("درس 10")}));
        q.click(QStringLiteral("درس 2"));
        QCOMPARE(q.current(), QStringLiteral("درس 2"));
        q.dialogs.clear();
        QDir().mkpath(q.data(QStringLiteral("أول")));
        QDir().mkpath(q.data(QStringLiteral("يليه")));
        QDir(q.data(QStringLiteral("درس 1"))).removeRecursively();
        QTRY_COMPARE(q.model()->names(), QStringList({QStringLiteral("أول"), QStringLiteral("درس 2"),
                                                      QStringLiteral("درس 10"), QStringLiteral("يليه")}));
        QCOMPARE(q.selected(), std::optional<QString>(QStringLiteral("درس 2")));
        QCOMPARE(q.current(), QStringLiteral("درس 2"));
        QCOMPARE(q.dialogs.count(Kind::Message), 0);

        // The list is plain: no double-click action, selection visible unfocused.
        QVERIFY(!(q.view()->editTriggers() & QAbstractItemView::DoubleClicked));
        QCOMPARE(q.view()->palette().color(QPalette::Inactive, QPalette::Highlight),
                 q.view()->palette().color(QPalette::Active, QPalette::Highlight));
    }

    void aMissingDataFolderStopsTheLoadBeforeAnyFile()
    {
        Lessons q([](const QuizWindow &w) { QDir(w.data()).removeRecursively(); });
        QCOMPARE(q.dialogs.count(Kind::Error), 1);
        QVERIFY(q.dialogs.texts(Kind::Error).first().contains(q.folder.appDir() + QStringLiteral("Data")));
        QVERIFY(!QFileInfo::exists(q.folder.appDir() + QStringLiteral("results.db")));
    }
};

QTEST_MAIN(TestLessonsWindow)
#include "tst_lessonswindow.moc"
