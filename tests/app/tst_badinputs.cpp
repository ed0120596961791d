// Hostile program folders in the real window: a missing Data folder, read-only
// and unreadable folders and files, names taken by folders, and stored values
// beyond what the controls can show. Whatever the quiz meets, it must not
// crash, must not change or lose a file it could not use, and must say what
// went wrong in Arabic, naming the file.
#include "ui/children/childchart.h"
#include "ui/window/choicearea.h"
#include "ui/window/choicepanel.h"
#include "ui/window/picturecontrol.h"
#include "core/records/resultstable.h"
#include "support/quizwindow.h"

#include <QImage>
#include <QLabel>
#include "ui/window/clicklabel.h"

#include <QAbstractBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QHelpEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolButton>
#include <QToolTip>
#include <QtTest>

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

using testsupport::readFile;
using testsupport::writeFile;

namespace {

/// Takes away the right to read and write past permission bits that the
/// administrator's account (and so a test run as root) has, for the rest of
/// this test program: from then on a read-only folder refuses writes and an
/// unreadable file refuses reads, as they do for a teacher's own account.
/// Both the effective and the permitted rights go, since access() checks the
/// permitted ones. Files the tests make stay theirs to change back and remove.
void obeyFilePermissions()
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2]{};
    if (syscall(SYS_capget, &header, data) != 0)
        return;
    const quint32 overrides = (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH);
    for (__user_cap_data_struct &d : data) {
        d.effective &= ~overrides;
        d.permitted &= ~overrides;
        d.inheritable &= ~overrides;
        break; // both rights live in the first word
    }
    syscall(SYS_capset, &header, data);
}

/// True when a folder without write permission really refuses a write.
bool permissionsApply(const QString &scratch)
{
    const QString dir = scratch + QStringLiteral("/probe");
    QDir().mkpath(dir);
    QFile::setPermissions(dir, QFile::ReadOwner | QFile::ExeOwner);
    QFile f(dir + QStringLiteral("/x"));
    const bool refused = !f.open(QIODevice::WriteOnly) && !QFileInfo(dir).isWritable();
    f.close();
    QFile::remove(f.fileName());
    QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QDir(dir).removeRecursively();
    return refused;
}

/// Gives the owner back every right below the folder when the test ends, so
/// that the temporary folder can be removed whatever the test left.
struct RightsBack
{
    QString folder;
    ~RightsBack()
    {
        const auto all = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
        QFile::setPermissions(folder, all);
        QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            QFile::setPermissions(it.next(), all);
    }
};

const auto readOnly = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup
                      | QFile::ReadOther | QFile::ExeOther;

void setOptionsLine(const QuizWindow &w, int line, const QByteArray &value)
{
    const QString path = w.data(QStringLiteral("options.txt"));
    QVERIFY(writeFile(path, optionsWithLine(readFile(path), line, value)));
}

/// Every message and error shown, notice left out.
QStringList shown(const ScriptedDialogs &dialogs)
{
    QStringList texts;
    for (const ScriptedDialogs::Call &c : dialogs.calls())
        if (c.kind != Kind::Notice)
            texts << c.text;
    return texts;
}

bool isArabic(const QString &text)
{
    for (const QChar c : text)
        if (c.unicode() >= 0x0600 && c.unicode() <= 0x06FF)
            return true;
    return false;
}

/// The window still serves the teacher: the options pane opens and closes.
void paneStillOpens(QuizWindow &q)
{
    q.openOptions();
    QVERIFY(q.form->optionsMode());
    QTest::mouseClick(q.control<QPushButton>("Button1"), Qt::LeftButton);
    QVERIFY(!q.form->optionsMode());
}

} // namespace

class TestBadInputs : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        obeyFilePermissions();
        QTemporaryDir scratch;
        m_permissionsApply = permissionsApply(scratch.path());
    }

    void aMissingDataFolderIsNamedAndNothingIsMadeUp()
    {
        QuizWindow q([](const QuizWindow &w) { QVERIFY(QDir(w.data()).removeRecursively()); });
        const QStringList errors = q.dialogs.texts(Kind::Error);
        QCOMPARE(errors.size(), 1);
        QVERIFY2(errors.first().contains(q.folder.appDir() + QStringLiteral("Data")), qPrintable(errors.first()));
        QVERIFY2(errors.first().contains(QStringLiteral("غير موجود")), qPrintable(errors.first()));
        // The load stopped before it opened anything: no table, no folder, no question.
        QVERIFY(!QFileInfo::exists(q.data()));
        QVERIFY(!QFileInfo::exists(q.folder.appDir() + QStringLiteral("results.db")));
        QCOMPARE(q.control<QLineEdit>("AskColorED")->text(), QStringLiteral("N"));
        paneStillOpens(q);

        // A close that cannot save says so in Arabic and leaves no half-made files.
        q.dialogs.clear();
        if (!q.closeByButton()) {
            QVERIFY(q.dialogs.count(Kind::Error) >= 1);
            for (const QString &e : q.dialogs.texts(Kind::Error))
                QVERIFY2(isArabic(e), qPrintable(e));
        }
        const QStringList left = QDir(q.folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        for (const QString &name : left)
            QVERIFY2(!name.contains(QStringLiteral(".tmp")) && !name.startsWith(QLatin1Char('.')), qPrintable(name));
    }

    void aReadOnlyDataFolderLosesNothing()
    {
        if (!m_permissionsApply)
            QSKIP("this account writes past permission bits");
        QMap<QString, QByteArray> before;
        QuizWindow q([&](const QuizWindow &w) {
            setOptionsLine(w, int(OptionsLine::WaitSeconds), "9");
            before = treeSnapshot(w.data());
            QVERIFY(QFile::setPermissions(w.data(), readOnly));
        });
        const RightsBack back{q.folder.path()};
        QCOMPARE(treeSnapshot(q.data()), before);
        // Whatever the start could not write is named, in Arabic.
        for (const QString &e : q.dialogs.texts(Kind::Error)) {
            QVERIFY2(e.contains(q.data()) && isArabic(e), qPrintable(e));
        }
        paneStillOpens(q);
        q.control<QSpinBox>("WaitSE")->setValue(17);
        q.dialogs.clear();
        const bool closed = q.closeByButton();
        QCOMPARE(treeSnapshot(q.data()), before);
        if (!closed) {
            QVERIFY(q.dialogs.count(Kind::Error) >= 1);
            QVERIFY2(q.dialogs.texts(Kind::Error).last().contains(q.data()), qPrintable(q.dialogs.texts(Kind::Error).last()));
        }
        // Writable again, the teacher's settings are all there.
        QVERIFY(QFile::setPermissions(q.data(), readOnly | QFile::WriteOwner));
        q.form.reset();
        q.start();
        QCOMPARE(shown(q.dialogs), QStringList());
        QCOMPARE(q.control<QSpinBox>("WaitSE")->value(), 9);

        // Read-only once more while the quiz runs: a recording, made beside
        // its clip, cannot start, and says why.
        before = treeSnapshot(q.data());
        QVERIFY(QFile::setPermissions(q.data(), readOnly));
        q.openOptions();
        QTest::mouseClick(q.control<ClipPlayerBar>("MPFalse")->button(ClipPlayerBar::Button::Record), Qt::LeftButton);
        QCOMPARE(q.dialogs.count(Kind::Error), 1);
        const QString error = q.dialogs.texts(Kind::Error).first();
        QVERIFY2(error.contains(q.folder.path() + QStringLiteral("/Data")) && isArabic(error), qPrintable(error));
        QCOMPARE(treeSnapshot(q.data()), before);
    }

    void aReadOnlyProgramFolderLosesNothing_data()
    {
        QTest::addColumn<bool>("withTable");
        QTest::newRow("no results table yet") << false;
        QTest::newRow("results table present") << true;
    }

    void aReadOnlyProgramFolderLosesNothing()
    {
        QFETCH(bool, withTable);
        if (!m_permissionsApply)
            QSKIP("this account writes past permission bits");
        QMap<QString, QByteArray> data;
        QStringList folder;
        QByteArray table;
        QuizWindow q([&](const QuizWindow &w) {
            if (withTable) {
                seedChildren(w.folder.appDir() + QStringLiteral("results.db"), {QStringLiteral("سارة")});
                table = readFile(w.folder.appDir() + QStringLiteral("results.db"));
            }
            setOptionsLine(w, int(OptionsLine::WaitSeconds), "8");
            data = treeSnapshot(w.data());
            folder = QDir(w.folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
            QVERIFY(QFile::setPermissions(w.folder.path(), readOnly));
        });
        const RightsBack back{q.folder.path()};
        const QString results = q.folder.appDir() + QStringLiteral("results.db");
        const QStringList errors = q.dialogs.texts(Kind::Error);
        QCOMPARE(errors.size(), 1);
        QVERIFY2(errors.first().contains(results) && isArabic(errors.first()), qPrintable(errors.first()));
        QCOMPARE(QFileInfo::exists(results), withTable);
        QCOMPARE(readFile(results), table);
        paneStillOpens(q);

        // The settings were never read, so closing must not write the
        // built-in values over the teacher's.
        q.closeByButton();
        QCOMPARE(treeSnapshot(q.data()), data);
        QCOMPARE(readFile(results), table);
        QCOMPARE(QDir(q.folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), folder);
    }

    void aReadOnlyOptionsFileIsKept()
    {
        if (!m_permissionsApply)
            QSKIP("this account writes past permission bits");
        QByteArray options;
        QuizWindow q([&](const QuizWindow &w) {
            setOptionsLine(w, int(OptionsLine::WaitSeconds), "6");
            options = readFile(w.data(QStringLiteral("options.txt")));
            QVERIFY(QFile::setPermissions(w.data(QStringLiteral("options.txt")),
                                          QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        });
        QSpinBox *WaitSE = q.control<QSpinBox>("WaitSE");
        const RightsBack back{q.folder.path()};
        QCOMPARE(shown(q.dialogs), QStringList());
        QCOMPARE(WaitSE->value(), 6); // read as usual
        WaitSE->setValue(12);
        q.dialogs.clear();
        QVERIFY(!q.closeByButton());
        const QStringList errors = q.dialogs.texts(Kind::Error);
        QCOMPARE(errors.size(), 1);
        QVERIFY2(errors.first().contains(q.data(QStringLiteral("options.txt"))) && isArabic(errors.first()),
                 qPrintable(errors.first()));
        QCOMPARE(readFile(q.data(QStringLiteral("options.txt"))), options);
        QVERIFY(q.form->isVisible());
    }

    void unreadableFilesAreNamedAndKept_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("lesson");      // written to CurLesson.txt first
        QTest::addColumn<int>("messages");        // "file error" messages
        QTest::addColumn<QString>("errorNames");  // the file an error names, if any
        QTest::newRow("options file") << "Data/options.txt" << QString() << 1 << "Data/options.txt";
        // Read as missing (the automatic lesson), but the change of lesson
        // cannot write the file, which stops the load there.
        QTest::newRow("current-lesson file") << "Data/CurLesson.txt" << QString() << 0 << "Data/CurLesson.txt";
        QTest::newRow("lesson folder") << "Data/les" << "les" << 2 << QString();
        QTest::newRow("question clip") << "Data/color1.wav" << QString() << 0 << "Data/color1.wav";
    }

    void unreadableFilesAreNamedAndKept()
    {
        QFETCH(QString, name);
        QFETCH(QString, lesson);
        QFETCH(int, messages);
        QFETCH(QString, errorNames);
        if (!m_permissionsApply)
            QSKIP("this account reads past permission bits");
        QByteArray bytes;
        QuizWindow q([&](const QuizWindow &w) {
            QVERIFY(QDir().mkpath(w.data(QStringLiteral("les"))));
            QVERIFY(QFile::copy(w.data(QStringLiteral("options.txt")), w.data(QStringLiteral("les/options.txt"))));
            if (!lesson.isEmpty())
                QVERIFY(writeFile(w.data(QStringLiteral("CurLesson.txt")), lesson.toLatin1() + "\r\n"));
            bytes = readFile(w.folder.appDir() + name);
            QVERIFY(QFile::setPermissions(w.folder.appDir() + name, {}));
        });
        const RightsBack back{q.folder.path()};
        const QString path = q.folder.appDir() + name;
        QCOMPARE(q.messages().size(), messages);
        QCOMPARE(q.control<QLineEdit>("CurLesson")->text(), automaticName());
        if (errorNames.isEmpty()) {
            QCOMPARE(q.dialogs.count(Kind::Error), 0);
        } else {
            const QStringList errors = q.dialogs.texts(Kind::Error);
            QCOMPARE(errors.size(), 1);
            QVERIFY2(errors.first().contains(q.folder.appDir() + errorNames) && isArabic(errors.first()),
                     qPrintable(errors.first()));
        }
        paneStillOpens(q);
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        if (!QFileInfo(path).isDir())
            QCOMPARE(readFile(path), bytes);
    }

    void namesTakenByFolders_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("reason");
        QTest::newRow("current-lesson file") << "Data/CurLesson.txt" << QString();
        QTest::newRow("options file") << "Data/options.txt" << QString();
        QTest::newRow("results table") << "results.db" << QStringLiteral("ليس ملفاً");
        QTest::newRow("question clip") << "Data/color1.wav" << QStringLiteral("لمجلد");
    }

    void namesTakenByFolders()
    {
        QFETCH(QString, name);
        QFETCH(QString, reason);
        QuizWindow q([&](const QuizWindow &w) {
            QFile::remove(w.folder.appDir() + name);
            QVERIFY(writeFile(w.folder.appDir() + name + QStringLiteral("/inner/keep.txt"), "kept"));
        });
        const QString path = q.folder.appDir() + name;
        const QStringList errors = q.dialogs.texts(Kind::Error);
        QCOMPARE(errors.size(), 1);
        QVERIFY2(errors.first().contains(path) && isArabic(errors.first()), qPrintable(errors.first()));
        if (!reason.isEmpty())
            QVERIFY2(errors.first().contains(reason), qPrintable(errors.first()));
        paneStillOpens(q);
        q.closeByButton();
        // The folder in the way is never removed or written into.
        QVERIFY(QFileInfo(path).isDir());
        QCOMPARE(readFile(path + QStringLiteral("/inner/keep.txt")), QByteArray("kept"));
        QCOMPARE(QDir(path).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{QStringLiteral("inner")});
    }

    // A file of the data folder that is a symbolic link to a file elsewhere
    // is never written through: the save puts a file of its own under the
    // name, and the file elsewhere keeps its bytes. results.db, which SQLite
    // would write through, is not opened at all: one error names it and the
    // questions go on, uncounted. Nor is any of them read through the link.
    void linksOutOfTheDataFolderAreNeverWrittenThrough_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("options file") << "Data/options.txt";
        QTest::newRow("current-lesson file") << "Data/CurLesson.txt";
        QTest::newRow("results table") << "results.db";
    }
    void linksOutOfTheDataFolderAreNeverWrittenThrough()
    {
        QFETCH(QString, name);
        QTemporaryDir elsewhere;
        const QString target = elsewhere.filePath(QStringLiteral("kept"));
        QByteArray bytes;
        QuizWindow q([&](const QuizWindow &w) {
            const QString path = w.folder.appDir() + name;
            const QString from = name == QLatin1String("results.db")
                ? testsupport::testData(QStringLiteral("records-valid/results.db"))
                : path;
            QVERIFY(QFile::copy(from, target));
            QVERIFY(QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner));
            QFile::remove(path);
            QVERIFY(QFile::link(target, path));
            bytes = readFile(target);
        });
        const QString path = q.folder.appDir() + name;
        const QStringList errors = q.dialogs.texts(Kind::Error);
        if (name == QLatin1String("results.db")) {
            QCOMPARE(errors.size(), 1);
            QVERIFY2(errors.first().contains(path) && errors.first().contains(QStringLiteral("رابط رمزي")),
                     qPrintable(errors.first()));
        } else if (name == QLatin1String("Data/options.txt")) {
            // Not read through the link either: the file of the data folder
            // is missing, as the message says, and the defaults are played.
            QCOMPARE(errors.size(), 1);
            QVERIFY2(errors.first().contains(QStringLiteral("options.txt")), qPrintable(errors.first()));
        } else {
            QCOMPARE(errors, QStringList());
        }
        q.clickPanel(q.asked());
        q.waitForNextQuestion();
        q.openOptions();
        q.control<QSpinBox>("WaitSE")->setValue(9);
        q.dialogs.clear();
        QVERIFY(q.closeByButton());
        QCOMPARE(readFile(target), bytes);
        if (name != QLatin1String("results.db")) {
            QVERIFY(!QFileInfo(path).isSymLink());
            QVERIFY(QFileInfo(path).isFile());
        }
    }

    void aSavedChildThatIsGoneLeavesTheFirstChild_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("deleted child") << QByteArray("99");
        QTest::newRow("not a number") << QByteArray("x");
        QTest::newRow("negative") << QByteArray("-3");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("beyond 32 bits") << QByteArray("4294967298");
    }

    void aSavedChildThatIsGoneLeavesTheFirstChild()
    {
        QFETCH(QByteArray, line);
        QuizWindow q([&](const QuizWindow &w) {
            seedChildren(w.folder.appDir() + QStringLiteral("results.db"),
                         {QStringLiteral("سارة"), QStringLiteral("عمر")});
            setOptionsLine(w, 20, line);
        });
        QCOMPARE(shown(q.dialogs), QStringList());
        QCOMPARE(q.form->currentChildNo(), 1);
        QCOMPARE(q.control<QLabel>("DBText1")->text(), QStringLiteral("سارة"));
        // Saved back as the child that was current.
        QVERIFY(q.closeByButton());
        QCOMPARE(fileLines(q.optionsBytes()).at(19), QByteArray("1"));
    }

    void fontSizesBeyondTheEditorTakeTheDefault_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<int>("points");
        QTest::newRow("zero") << QByteArray("0") << 36;
        QTest::newRow("negative") << QByteArray("-12") << 36;
        QTest::newRow("huge") << QByteArray("99999") << 36;
        QTest::newRow("largest offered") << QByteArray("1638") << 1638;
        QTest::newRow("smallest") << QByteArray("1") << 1;
    }

    void fontSizesBeyondTheEditorTakeTheDefault()
    {
        QFETCH(QByteArray, line);
        QFETCH(int, points);
        QuizWindow q([&](const QuizWindow &w) { setOptionsLine(w, 4, line); });
        QCOMPARE(shown(q.dialogs), QStringList());
        QCOMPARE(q.form->FontDialog1.font.pointSize(), points);
        q.openOptions();
        QCOMPARE(q.control<ClickLabel>("lbask1")->font().pointSize(), points);
        QVERIFY(q.closeByButton());
        QCOMPARE(fileLines(q.optionsBytes()).at(3), QByteArray::number(points));
    }

    void aVideoPanelLargerThanThePlayAreaLeavesThePanelsVisible_data()
    {
        QTest::addColumn<QByteArray>("location");
        QTest::addColumn<QByteArray>("size");
        QTest::newRow("bottom, 2^31-1 high") << QByteArray("1") << QByteArray("2147483647");
        QTest::newRow("top, 5000 high") << QByteArray("0") << QByteArray("5000");
        QTest::newRow("right, 5000 wide") << QByteArray("2") << QByteArray("5000");
        QTest::newRow("bottom, negative") << QByteArray("1") << QByteArray("-100");
    }

    void aVideoPanelLargerThanThePlayAreaLeavesThePanelsVisible()
    {
        QFETCH(QByteArray, location);
        QFETCH(QByteArray, size);
        QuizWindow q([&](const QuizWindow &w) {
            setOptionsLine(w, 2, "1"); // video
            setOptionsLine(w, 13, location);
            setOptionsLine(w, 14, size);
            setOptionsLine(w, 15, size);
        });
        ChoicePanel *SPanel1 = q.control<ChoicePanel>("SPanel1");
        QCOMPARE(q.dialogs.count(Kind::Error), 0);
        QVERIFY(q.control<QWidget>("VedioPanel")->isVisible());
        // A child must still see three panels to click.
        QVERIFY2(SPanel1->height() >= 40 && SPanel1->width() >= 40,
                 qPrintable(QStringLiteral("%1x%2").arg(SPanel1->width()).arg(SPanel1->height())));
    }

    // A child named, or a choice worded, as markup naming a file: shown as
    // the very characters in every place, and the file never read.
    void markupInDataIsShownAsWritten_data()
    {
        QTest::addColumn<bool>("asName");
        QTest::newRow("child's name in results.db") << true;
        QTest::newRow("choice word of a text lesson") << false;
    }

    void markupInDataIsShownAsWritten()
    {
        QFETCH(bool, asName);
        QTemporaryDir outside;
        const QString probe = outside.filePath(QStringLiteral("p.png"));
        QImage dot(4, 4, QImage::Format_RGB32);
        dot.fill(Qt::red);
        QVERIFY(dot.save(probe));
        const QString markup = QStringLiteral("<img src=\"%1\">").arg(probe);
        QVERIFY2(markup.size() <= 50, qPrintable(markup)); // within a name's length
        testsupport::FileOpenWatch watch(probe);
        QVERIFY(watch.isValid());

        // With a direction override and a control character, which are dropped
        // where the name or the word is read.
        QuizWindow q([&](const QuizWindow &w) {
            seedChildren(w.folder.appDir() + QStringLiteral("results.db"),
                         {asName ? markup + QStringLiteral("\u202E") : QStringLiteral("سارة")});
            setOptionsLine(w, 6, "1"); // text question
            setOptionsLine(w, 7, asName ? QByteArray("1") : markup.toLatin1() + "\x01");
            setOptionsLine(w, 20, "1");
        });
        QCOMPARE(shown(q.dialogs), QStringList());
        q.clickPanel(q.asked()); // an answer for the chart
        q.form->grab();
        q.openOptions();
        auto *pages = q.control<QTabWidget>("OptionsPC");
        pages->setCurrentWidget(q.control<QWidget>("TabSheet2"));
        ChildChart *chart = q.control<ChildChart>("ResultsChart");
        QTRY_VERIFY(!chart->chart()->title().isEmpty());
        QTest::mouseClick(chart->findChild<QToolButton *>(QStringLiteral("ChartChoicesBtn")), Qt::LeftButton);
        q.form->grab();
        chart->chartView()->grab();
        // The grid's tooltip over the name.
        auto *grid = q.control<QTableView>("DBGrid1");
        const QRect cell = grid->visualRect(grid->model()->index(0, 1));
        QHelpEvent tip(QEvent::ToolTip, cell.center(), grid->viewport()->mapToGlobal(cell.center()));
        QCoreApplication::sendEvent(grid->viewport(), &tip);
        QCoreApplication::processEvents();
        QToolTip::hideText();

        QVERIFY2(!watch.opened(), "the file named in the markup was read");
        if (asName) {
            QCOMPARE(q.control<QLabel>("DBText1")->text(), markup);
            QVERIFY(chart->chart()->title().contains(markup.toHtmlEscaped()));
        } else {
            QCOMPARE(q.control<ClickLabel>("lbask1")->text(), markup);
            QStringList labels;
            for (QAbstractSeries *s : chart->chart()->series())
                if (auto *bars = qobject_cast<QAbstractBarSeries *>(s))
                    for (QBarSet *set : bars->barSets())
                        labels << set->label();
            QVERIFY2(labels.contains(markup.toHtmlEscaped()), qPrintable(labels.join(QLatin1Char('|'))));
        }
        // Every label showing it shows it as plain text.
        int showing = 0;
        for (QLabel *label : q.form->findChildren<QLabel *>()) {
            if (label->text().contains(markup)) {
                ++showing;
                QVERIFY2(label->textFormat() == Qt::PlainText, qPrintable(label->objectName()));
            }
        }
        QVERIFY(showing >= 1);
    }

    // A name far beyond a name's length, written into results.db by another
    // program: shown cut, counted, reset, and kept whole in the file.
    void aNameOfTenThousandCharactersIsShownCutAndKept()
    {
        const QString huge = QString(5000, QChar(0x0645)) + QStringLiteral("\u202E\x01") + QString(4998, QLatin1Char('x'));
        QString results;
        QuizWindow q([&](const QuizWindow &w) {
            results = w.folder.appDir() + QStringLiteral("results.db");
            seedChildren(results, {QStringLiteral("-")});
            {
                QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("seed"));
                db.setDatabaseName(results);
                QVERIFY(db.open());
                QSqlQuery update(db);
                // As another program that does not hold to the table's limit.
                QVERIFY(update.exec(QStringLiteral("PRAGMA ignore_check_constraints = ON")));
                QVERIFY(update.prepare(QStringLiteral("UPDATE Table1 SET Name = ?")));
                update.bindValue(0, huge);
                QVERIFY(update.exec());
            }
            QSqlDatabase::removeDatabase(QStringLiteral("seed"));
            setOptionsLine(w, 20, "1");
        });
        QCOMPARE(shown(q.dialogs), QStringList());
        QCOMPARE(q.control<QLabel>("DBText1")->text(), QString(50, QChar(0x0645)));
        q.clickPanel(q.asked());
        q.openOptions();
        q.control<QTabWidget>("OptionsPC")->setCurrentWidget(q.control<QWidget>("TabSheet2"));
        auto *grid = q.control<QTableView>("DBGrid1");
        QCOMPARE(grid->model()->index(0, 1).data().toString(), QString(50, QChar(0x0645)));
        q.dialogs.confirmAnswers.enqueue(true);
        QTest::mouseClick(q.control<QPushButton>("BitBtn8"), Qt::LeftButton);
        QCOMPARE(q.control<QLabel>("DBText3")->text(), QLocale().toString(0));
        QVERIFY(q.closeByButton());
        QString stored;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
            db.setDatabaseName(results);
            QVERIFY(db.open());
            QSqlQuery read(QStringLiteral("SELECT Name, Ok FROM Table1 WHERE No = 1"), db);
            QVERIFY(read.next());
            stored = read.value(0).toString();
            QCOMPARE(read.value(1).toInt(), 0);
        }
        QSqlDatabase::removeDatabase(QStringLiteral("check"));
        QCOMPARE(stored, huge);
    }

    void anUnreadablePictureIsNamedAndTheOldOneStays()
    {
        if (!m_permissionsApply)
            QSKIP("this account reads past permission bits");
        QuizWindow q;
        PictureControl *Image1 = q.control<PictureControl>("Image1");
        const RightsBack back{q.folder.path()};
        const QString path = q.folder.appDir() + QStringLiteral("cat.png");
        QImage red(20, 20, QImage::Format_RGB32);
        red.fill(Qt::red);
        QVERIFY(red.save(path));
        QVERIFY(QFile::setPermissions(path, {}));
        QImage marker(7, 7, QImage::Format_RGB32);
        marker.fill(Qt::green);
        Image1->setPicture(marker);
        q.openOptions();
        q.dialogs.pictureAnswers.enqueue(path);
        QTest::mouseClick(q.control<QPushButton>("BitBtn3"), Qt::LeftButton);
        const QStringList errors = q.dialogs.texts(Kind::Error);
        QCOMPARE(errors.size(), 1);
        QVERIFY2(errors.first().contains(path) && isArabic(errors.first()), qPrintable(errors.first()));
        QCOMPARE(Image1->picture(), marker);
    }

private:
    bool m_permissionsApply = false;
};

QTEST_MAIN(TestBadInputs)
#include "tst_badinputs.moc"
