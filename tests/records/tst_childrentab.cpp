// The children's table in the real window: answers counted in the status
// strip, the children's tab driven by clicks on its buttons, navigator and grid.
#include "ui/children/childchart.h"
#include "ui/children/childrenpage.h"
#include "ui/window/choicepanel.h"
#include "ui/window/clicklabel.h"
#include "core/base/bidi.h"
#include "core/base/errorreport.h"
#include "core/records/resultsmodel.h"
#include "core/records/resultstable.h"
#include "support/quizwindow.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QRegularExpression>
#include <QChart>
#include <QChartView>
#include <QDialog>
#include <QHeaderView>
#include <QHorizontalStackedBarSeries>
#include <QBarSeries>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>
#include <QtTest>

#include <memory>

using testsupport::succeeded;

namespace {

/// The window on a results table holding these children, or on these bytes
/// in place of the table.
struct Quiz : QuizWindow
{
    explicit Quiz(const QStringList &children = {}, const QByteArray &resultsFile = QByteArray())
        : QuizWindow([&](QuizWindow &w) {
              const QString path = w.folder.appDir() + QStringLiteral("results.db");
              if (!resultsFile.isNull())
                  testsupport::writeFile(path, resultsFile);
              else if (!children.isEmpty())
                  seedChildren(path, children);
          })
    {
    }

    QString resultsPath() const { return folder.appDir() + QStringLiteral("results.db"); }
    QString status() const
    {
        // The counts are shown in the system's digits; compared as numbers.
        const auto count = [](const QString &shown) {
            return shown.isEmpty() ? shown : QString::number(QLocale().toInt(shown));
        };
        return control<QLabel>("DBText1")->text() + QLatin1Char('|') + count(control<QLabel>("DBText3")->text())
               + QLatin1Char('|') + count(control<QLabel>("DBText2")->text());
    }
    void openChildrenTab()
    {
        openOptions();
        control<QTabWidget>("OptionsPC")->setCurrentWidget(control<QWidget>("TabSheet2"));
        QTableView *grid = control<QTableView>("DBGrid1");
        QVERIFY(grid->isVisible());
        QCOMPARE(grid->model(), static_cast<QAbstractItemModel *>(control<ResultsModel>("DataSource1")));
    }
    void clickRow(int row)
    {
        QTableView *grid = control<QTableView>("DBGrid1");
        const QRect cell = grid->visualRect(grid->model()->index(row, 1));
        QVERIFY(cell.isValid());
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    }
    QToolButton *navigator(const char *which) const
    {
        return control<QToolButton>(QByteArray("DBNavigator1").append(which).constData());
    }
    void answer(bool right)
    {
        clickPanel(right ? asked() : (asked() == 1 ? 2 : 1));
        // Let the waiting time run out so the next question can be answered.
        waitForNextQuestion();
    }
};

} // namespace

class TestChildrenTab : public QObject
{
    Q_OBJECT

private slots:
    void answersAreCountedInTheStatusStrip()
    {
        Quiz quiz;
        QVERIFY(QFile::exists(quiz.resultsPath())); // a first start makes the table
        QCOMPARE(quiz.dialogs.count(Kind::Error), 0);
        QCOMPARE(quiz.status(), QStringLiteral("||"));
        QCOMPARE(quiz.form->currentChildNo(), 0);

        quiz.answer(true); // the empty table gets the child "-"
        QCOMPARE(quiz.status(), QStringLiteral("-|1|"));
        quiz.answer(false);
        quiz.answer(false);
        QCOMPARE(quiz.status(), QStringLiteral("-|1|2"));
        QCOMPARE(quiz.form->currentChildNo(), 1);

        // On disk at once, as the next start would read it.
        ResultsTable reader;
        QString error;
        QVERIFY(succeeded(reader.open(quiz.resultsPath()), &error));
        QCOMPARE(reader.integer(ResultsTable::Field::Ok), 1);
        QCOMPARE(reader.integer(ResultsTable::Field::NotOk), 2);
    }

    void addingAChild()
    {
        Quiz quiz({QStringLiteral("سارة")});
        QPushButton *BitBtn7 = quiz.control<QPushButton>("BitBtn7");
        ResultsModel *DataSource1 = quiz.control<ResultsModel>("DataSource1");
        quiz.openChildrenTab();
        quiz.dialogs.textAnswers << std::nullopt << QString() << QStringLiteral("  ")
                                << QString(60, QChar(0x0639));
        for (int i = 0; i < 2; ++i) // Cancel, then an empty name: nothing added
            QTest::mouseClick(BitBtn7, Qt::LeftButton);
        QCOMPARE(DataSource1->rowCount(), 1);
        QCOMPARE(quiz.dialogs.lastTextCaption, QStringLiteral("إضافة طفل"));
        QCOMPARE(quiz.dialogs.texts(Kind::AskText).first(), QStringLiteral("أدخل الاسم"));

        QTest::mouseClick(BitBtn7, Qt::LeftButton); // blanks only are a name
        QTest::mouseClick(BitBtn7, Qt::LeftButton);
        QCOMPARE(DataSource1->rowCount(), 3);
        QCOMPARE(DataSource1->index(1, 1).data().toString(), QStringLiteral("  "));
        // The last added is current, shown last in the grid, blank counts, name cut to 50.
        QCOMPARE(quiz.status(), QString(50, QChar(0x0639)) + QStringLiteral("||"));
        QCOMPARE(quiz.control<QTableView>("DBGrid1")->currentIndex().row(), 2);
        QCOMPARE(quiz.form->currentChildNo(), 3);
        QCOMPARE(quiz.dialogs.count(Kind::Error), 0);
    }

    void theGridAndTheNavigatorMoveTheCurrentChild()
    {
        Quiz quiz({QStringLiteral("أ"), QStringLiteral("ب"), QStringLiteral("ج"), QStringLiteral("د")});
        QLabel *DBText1 = quiz.control<QLabel>("DBText1");
        QCOMPARE(quiz.status(), QStringLiteral("أ||")); // the first record after opening
        quiz.openChildrenTab();
        QTableView *grid = quiz.control<QTableView>("DBGrid1");
        QCOMPARE(grid->currentIndex().row(), 0);

        quiz.clickRow(2);
        QCOMPARE(quiz.status(), QStringLiteral("ج||"));
        QCOMPARE(quiz.form->currentChildNo(), 3);

        QTest::mouseClick(quiz.navigator("Next"), Qt::LeftButton);
        QCOMPARE(DBText1->text(), QStringLiteral("د"));
        QTest::mouseClick(quiz.navigator("Next"), Qt::LeftButton); // already the last
        QCOMPARE(DBText1->text(), QStringLiteral("د"));
        QTest::mouseClick(quiz.navigator("First"), Qt::LeftButton);
        QCOMPARE(DBText1->text(), QStringLiteral("أ"));
        QCOMPARE(grid->currentIndex().row(), 0);
        QTest::mouseClick(quiz.navigator("Last"), Qt::LeftButton);
        QTest::mouseClick(quiz.navigator("Prior"), Qt::LeftButton);
        QCOMPARE(DBText1->text(), QStringLiteral("ج"));
        QCOMPARE(grid->currentIndex().row(), 2);

        // The answer goes to the child chosen in the grid.
        quiz.clickRow(1);
        QTest::mouseClick(quiz.control<QPushButton>("Button1"), Qt::LeftButton); // back to play
        quiz.answer(true);
        QCOMPARE(quiz.status(), QStringLiteral("ب|1|"));
        QCOMPARE(quiz.control<ResultsModel>("DataSource1")->index(1, 2).data().toInt(), 1);

        // The start-up look-up of a saved child.
        QVERIFY(quiz.form->findChildByKey(QStringLiteral("4")));
        QCOMPARE(DBText1->text(), QStringLiteral("د"));
        QVERIFY(!quiz.form->findChildByKey(QStringLiteral("x")));
        QVERIFY(!quiz.form->findChildByKey(QStringLiteral("40")));
        QCOMPARE(quiz.form->currentChildNo(), 4);
    }

    void theGridLooksLikeTheTable()
    {
        Quiz quiz({QStringLiteral("سارة")});
        quiz.openChildrenTab();
        QTableView *grid = quiz.control<QTableView>("DBGrid1");
        QCOMPARE(grid->layoutDirection(), Qt::RightToLeft);
        QCOMPARE(grid->columnWidth(0), 30);
        QCOMPARE(grid->columnWidth(1), 150);
        QCOMPARE(grid->model()->headerData(3, Qt::Horizontal).toString(), QStringLiteral("الإجابات الخاطئة"));
        // No at the right edge: the first column is drawn rightmost.
        QVERIFY(grid->visualRect(grid->model()->index(0, 0)).x()
                > grid->visualRect(grid->model()->index(0, 1)).x());
        // Nothing can be edited, not even by a double click.
        quiz.clickRow(0);
        const QRect cell = grid->visualRect(grid->model()->index(0, 1));
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
        QVERIFY(grid->findChildren<QLineEdit *>().isEmpty());
        QStringList hints;
        for (const char *which : {"First", "Prior", "Next", "Last"})
            hints << quiz.navigator(which)->toolTip();
        QCOMPARE(hints, (QStringList{QStringLiteral("لأول اسم"), QStringLiteral("السابق"),
                                     QStringLiteral("التالي"), QStringLiteral("لآخر اسم")}));
    }

    void resettingACount()
    {
        Quiz quiz({QStringLiteral("سارة")});
        QPushButton *BitBtn8 = quiz.control<QPushButton>("BitBtn8");
        quiz.answer(true);
        quiz.answer(false);
        quiz.openChildrenTab();
        quiz.dialogs.confirmAnswers << false << true;
        QTest::mouseClick(BitBtn8, Qt::LeftButton);
        QCOMPARE(quiz.status(), QStringLiteral("سارة|1|1"));
        QTest::mouseClick(BitBtn8, Qt::LeftButton);
        QCOMPARE(quiz.status(), QStringLiteral("سارة|0|0")); // 0, not blank
        QCOMPARE(quiz.dialogs.texts(Kind::Confirm),
                 QStringList(2, QStringLiteral("هل تريد حذف نتائج الطفل فعلاً")));
        QCOMPARE(quiz.control<ResultsModel>("DataSource1")->index(0, 2).data().toString(), QStringLiteral("0"));
    }

    void deletingChildren()
    {
        Quiz quiz({QStringLiteral("أ"), QStringLiteral("ب"), QStringLiteral("ج")});
        QPushButton *BitBtn6 = quiz.control<QPushButton>("BitBtn6");
        ResultsModel *DataSource1 = quiz.control<ResultsModel>("DataSource1");
        quiz.openChildrenTab();
        quiz.clickRow(1);
        quiz.dialogs.confirmAnswers << false << true << true << true << true;
        QTest::mouseClick(BitBtn6, Qt::LeftButton); // Cancel
        QCOMPARE(DataSource1->rowCount(), 3);
        QTest::mouseClick(BitBtn6, Qt::LeftButton);
        QCOMPARE(DataSource1->rowCount(), 2);
        QCOMPARE(quiz.status(), QStringLiteral("ج||")); // the following child
        QCOMPARE(quiz.control<QTableView>("DBGrid1")->currentIndex().row(), 1);
        QTest::mouseClick(BitBtn6, Qt::LeftButton);
        QCOMPARE(quiz.status(), QStringLiteral("أ||")); // the new last one
        QTest::mouseClick(BitBtn6, Qt::LeftButton);
        QCOMPARE(quiz.status(), QStringLiteral("||"));
        QCOMPARE(quiz.dialogs.count(Kind::Error), 0);

        // On an empty table the store's refusal reaches the error report.
        QTest::mouseClick(BitBtn6, Qt::LeftButton);
        QCOMPARE(quiz.dialogs.texts(Kind::Error),
                 QStringList{QStringLiteral("Table1: Cannot perform this operation on an empty dataset.")});
        QCOMPARE(quiz.dialogs.texts(Kind::Confirm).last(), QStringLiteral("هل تريد حذف الطفل فعلاً"));
        QCOMPARE(DataSource1->rowCount(), 0);
    }

    void escapeDeletesOnlyOnTheChildrenTab()
    {
        Quiz quiz({QStringLiteral("أ"), QStringLiteral("ب")});
        QTabWidget *OptionsPC = quiz.control<QTabWidget>("OptionsPC");
        ResultsModel *DataSource1 = quiz.control<ResultsModel>("DataSource1");
        QTest::keyClick(quiz.form.get(), Qt::Key_Escape); // play mode: nothing
        QTest::keyRelease(quiz.form.get(), Qt::Key_F1, Qt::ControlModifier | Qt::AltModifier);
        OptionsPC->setCurrentWidget(quiz.control<QWidget>("TabSheet1"));
        QTest::keyClick(quiz.form.get(), Qt::Key_Escape); // the other tab: nothing
        QCOMPARE(quiz.dialogs.count(Kind::Confirm), 0);

        OptionsPC->setCurrentWidget(quiz.control<QWidget>("TabSheet2"));
        QTest::keyClick(quiz.form.get(), Qt::Key_Escape, Qt::ShiftModifier);
        QCOMPARE(quiz.dialogs.count(Kind::Confirm), 0);
        quiz.dialogs.confirmAnswers << false << true;
        QTest::keyClick(quiz.form.get(), Qt::Key_Escape); // the question guards it
        QCOMPARE(quiz.dialogs.count(Kind::Confirm), 1);
        QCOMPARE(DataSource1->rowCount(), 2);
        quiz.clickRow(0); // with the grid focused too
        QTest::keyClick(quiz.control<QTableView>("DBGrid1"), Qt::Key_Escape);
        QCOMPARE(quiz.dialogs.count(Kind::Confirm), 2);
        QCOMPARE(DataSource1->rowCount(), 1);
        QCOMPARE(quiz.status(), QStringLiteral("ب||"));
    }

    void theChartFollowsTheCurrentChild()
    {
        Quiz quiz({QStringLiteral("سارة"), QStringLiteral("عمر")});
        for (const bool right : {true, true, false})
            quiz.answer(right);
        quiz.openChildrenTab();
        ChildChart *chart = quiz.control<ChildChart>("ResultsChart");
        QVERIFY(chart && chart->isVisible());
        const auto daySets = [](ChildChart *c) {
            QStringList out;
            for (QAbstractSeries *s : c->chart()->series())
                if (auto *bars = qobject_cast<QBarSeries *>(s))
                    for (QBarSet *set : bars->barSets())
                        out << set->label() + QLatin1Char('=') + QString::number(set->sum());
            return out;
        };
        QTRY_COMPARE(daySets(chart), (QStringList{QStringLiteral("إجابة خطأ=1"), QStringLiteral("إجابة صح=2")}));
        QVERIFY(chart->chart()->title().contains(QStringLiteral("سارة")));

        // Drawn: the right answers' green is on the screen.
        const QImage shot = chart->chartView()->grab().toImage();
        int green = 0;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x)
                green += shot.pixelColor(x, y) == ChildChart::rightColor();
        QVERIFY2(green > 50, qPrintable(QString::number(green)));

        // The choices the child clicked, labelled and coloured like the lesson.
        QTest::mouseClick(chart->findChild<QToolButton *>(QStringLiteral("ChartChoicesBtn")), Qt::LeftButton);
        auto *stacked = qobject_cast<QHorizontalStackedBarSeries *>(chart->chart()->series().value(0));
        QVERIFY(stacked);
        QCOMPARE(stacked->barSets().size(), 3);
        int clicks = 0;
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(stacked->barSets()[i]->label(), QStringList({QStringLiteral("اللون الأول"), QStringLiteral("اللون الثاني"),
                                                                  QStringLiteral("اللون الثالث")})[i]);
            const char *const colours[] = {"ColorLB1", "ColorLB2", "ColorLB3"};
            QCOMPARE(stacked->barSets()[i]->color(), TForm1::labelColor(quiz.control<ClickLabel>(colours[i])));
            clicks += int(stacked->barSets()[i]->sum());
        }
        QCOMPARE(clicks, 3);

        // The next child has no answers: the chart says so.
        QTest::mouseClick(quiz.navigator("Next"), Qt::LeftButton);
        QTRY_VERIFY(chart->chart()->title().contains(QStringLiteral("عمر")));
        QVERIFY(chart->chart()->series().isEmpty());

        // Larger on demand, following the same child.
        QTest::mouseClick(quiz.control<QToolButton>("ChartBigBtn"), Qt::LeftButton);
        auto *big = quiz.control<ChildChart>("ResultsChartBig");
        QVERIFY(big && big->isVisible());
        QVERIFY(big->width() > chart->width());
        QCOMPARE(big->chart()->title(), chart->chart()->title());
        QTest::mouseClick(quiz.navigator("First"), Qt::LeftButton);
        QTRY_VERIFY(big->chart()->title().contains(QStringLiteral("سارة")));
    }

    void exportThroughTheDialogs()
    {
        Quiz quiz({QStringLiteral("سارة")});
        quiz.answer(true);
        quiz.openChildrenTab();
        const QString counts = quiz.folder.appDir() + QStringLiteral("counts.csv");
        const QString answers = quiz.folder.appDir() + QStringLiteral("answers.csv");
        quiz.dialogs.saveFileAnswers << std::nullopt << counts << answers;
        QPushButton *countsButton = quiz.control<QPushButton>("ExportCountsBtn");
        QTest::mouseClick(countsButton, Qt::LeftButton); // Cancel: nothing written
        QVERIFY(!QFile::exists(counts));
        QTest::mouseClick(countsButton, Qt::LeftButton);
        QTest::mouseClick(quiz.control<QPushButton>("ExportAnswersBtn"), Qt::LeftButton);
        QVERIFY(testsupport::readFile(counts).startsWith("\xEF\xBB\xBF"));
        QCOMPARE(testsupport::readFile(answers).count("\r\n"), 2);
        // The right answer's choice named twice, from the Data folder's
        // colours (red, yellow, blue).
        const QStringList cells =
            QString::fromUtf8(testsupport::readFile(answers)).split(QStringLiteral("\r\n")).value(1).split(QLatin1Char(','));
        const QStringList colours{QStringLiteral("أحمر"), QStringLiteral("أصفر"), QStringLiteral("أزرق")};
        QCOMPARE(cells.size(), 10);
        QVERIFY2(cells[8] == cells[9] && colours.contains(cells[8]), qPrintable(cells.join(QLatin1Char('|'))));
        const QStringList messages = quiz.dialogs.texts(Kind::Message);
        QCOMPARE(messages.size(), 2);
        // The paths read left to right inside the Arabic text.
        QVERIFY2(messages[0].contains(Bidi::path(counts)) && messages[1].contains(Bidi::path(answers)),
                 qPrintable(messages.join(QLatin1Char('|'))));
        QCOMPARE(quiz.dialogs.count(Kind::Error), 0);
    }

    void countsInTheSystemsDigitsInTheChartAndTheMessages()
    {
        const QLocale system;
        QLocale::setDefault(QLocale(QLocale::Arabic, QLocale::Egypt));
        const auto restore = qScopeGuard([&system] { QLocale::setDefault(system); });
        Quiz quiz({QStringLiteral("سارة")});
        quiz.answer(true);
        quiz.openChildrenTab();
        ChildChart *chart = quiz.control<ChildChart>("ResultsChart");
        QTRY_VERIFY(!chart->chart()->series().isEmpty());
        QVERIFY(chart->chart()->localizeNumbers());
        QCOMPARE(chart->chart()->locale().zeroDigit(), QStringLiteral(u"٠"));
        auto *days = qobject_cast<QBarCategoryAxis *>(chart->chart()->axes(Qt::Horizontal).value(0));
        QVERIFY(days && days->count() == 1);
        QVERIFY2(!days->at(0).contains(QRegularExpression(QStringLiteral("[0-9]"))), qPrintable(days->at(0)));

        quiz.dialogs.saveFileAnswers << quiz.folder.appDir() + QStringLiteral("counts.csv");
        QTest::mouseClick(quiz.control<QPushButton>("ExportCountsBtn"), Qt::LeftButton);
        QVERIFY2(quiz.messages().value(0).startsWith(QStringLiteral(u"حُفظت أعداد إجابات ١ من الأطفال")),
                 qPrintable(quiz.messages().value(0)));
    }

    void aBrokenTableStopsTheLoadAndIsKept()
    {
        const QByteArray text("No;Name\n1;x\n");
        Quiz quiz({}, text);
        const QStringList errors = quiz.dialogs.texts(Kind::Error);
        QCOMPARE(errors.size(), 1);
        QVERIFY2(errors.first().contains(quiz.resultsPath()), qPrintable(errors.first()));
        QVERIFY(errors.first().endsWith(QLatin1Char('.')));
        QCOMPARE(testsupport::readFile(quiz.resultsPath()), text);

        // Answers are still judged; the table simply counts nothing.
        quiz.answer(true);
        QCOMPARE(quiz.status(), QStringLiteral("||"));
        QCOMPARE(testsupport::readFile(quiz.resultsPath()), text);
        // Adding a child tells the teacher that the table is not usable.
        quiz.openChildrenTab();
        quiz.dialogs.textAnswers << QStringLiteral("سارة");
        const int before = quiz.dialogs.count(Kind::Error);
        QTest::mouseClick(quiz.control<QPushButton>("BitBtn7"), Qt::LeftButton);
        QCOMPARE(quiz.dialogs.count(Kind::Error), before + 1);
        QCOMPARE(quiz.dialogs.texts(Kind::Error).last(), errorReportText(ResultsTable::closedText()));
        QCOMPARE(testsupport::readFile(quiz.resultsPath()), text);
        // So does a reset, once the teacher confirmed it.
        quiz.dialogs.confirmAnswers << true;
        QTest::mouseClick(quiz.control<QPushButton>("BitBtn8"), Qt::LeftButton);
        QCOMPARE(quiz.dialogs.count(Kind::Error), before + 2);
        QCOMPARE(quiz.dialogs.texts(Kind::Error).last(), errorReportText(ResultsTable::closedText()));
        // So does an export, before any file is asked for; the chart says why it is empty.
        QTest::mouseClick(quiz.control<QPushButton>("ExportAnswersBtn"), Qt::LeftButton);
        QCOMPARE(quiz.dialogs.texts(Kind::Error).last(), errorReportText(ResultsTable::closedText()));
        QCOMPARE(quiz.dialogs.count(Kind::SaveFile), 0);
        QVERIFY(quiz.control<ChildChart>("ResultsChart")->chart()->title().contains(
            QStringLiteral("غير مفتوح")));
    }
};

QTEST_MAIN(TestChildrenTab)
#include "tst_childrentab.moc"
