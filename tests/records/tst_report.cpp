// The reports for parents and teachers: what they read from the answers
// history, their PDF pages read back with poppler's tools (text, fonts,
// pages), the two buttons of the children's page, and a report printed
// through Qt's printing on a real CUPS printer (cups-pdf).
#include "ui/children/reportpages.h"
#include "core/records/progressreport.h"
#include "core/records/resultstable.h"
#include "support/historyfill.h"
#include "support/quizwindow.h"

#include <QDir>
#include <QLocale>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <limits>

using testsupport::succeeded;

namespace {

// What poppler's tool prints for the file (or one page of it); fails the
// test when the tool cannot run.
QString tool(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        qWarning("%s failed: %s", qPrintable(program), p.readAllStandardError().constData());
        return QStringLiteral("<%1 failed>").arg(program);
    }
    return QString::fromUtf8(p.readAllStandardOutput());
}

QString squeezed(const QString &text)
{
    QString out = text.normalized(QString::NormalizationForm_KC);
    out.remove(QRegularExpression(QStringLiteral("[\\s:\\x{200e}\\x{200f}\\x{202a}-\\x{202e}\\x{2066}-\\x{2069}]")));
    return out;
}

// The text of the file (or one page of it) as poppler reads it back, for
// finding a label with its value: the joined letters' forms brought back to
// the letters (NFKC), without the direction marks, spaces and colons, which
// poppler places by its own reading of the lines.
QString pdfText(const QString &path, int page = 0)
{
    QStringList args;
    if (page > 0)
        args << QStringLiteral("-f") << QString::number(page) << QStringLiteral("-l") << QString::number(page);
    return squeezed(tool(QStringLiteral("pdftotext"), args << path << QStringLiteral("-")));
}

int pdfPages(const QString &path)
{
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(tool(QStringLiteral("pdfinfo"), {path}));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

// Every font of the file is embedded: the report reads alike on a computer
// without the quiz's fonts.
void checkFontsEmbedded(const QString &path)
{
    const QStringList lines = tool(QStringLiteral("pdffonts"), {path}).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QVERIFY2(lines.size() > 2, qPrintable(lines.join(QLatin1Char('\n'))));
    const int emb = int(lines.at(0).indexOf(QLatin1String("emb")));
    QVERIFY(emb > 0);
    for (const QString &line : lines.mid(2))
        QVERIFY2(line.mid(emb, 3) == QLatin1String("yes"), qPrintable(line));
}

QString shownDay(const QDate &d)
{
    return QLocale().toString(d, QStringLiteral("d/M/yyyy"));
}

// Where the window test leaves its two reports: the end-to-end run's
// artefacts when it asks for them, else the test's own folder.
QString reportFolder(const QTemporaryDir &dir)
{
    const QString asked = qEnvironmentVariable("QUIZ_REPORT_ARTIFACTS");
    if (!asked.isEmpty() && QDir().mkpath(asked))
        return asked;
    return dir.path();
}

struct Quiz : QuizWindow
{
    explicit Quiz(const QStringList &children)
        : QuizWindow([&](QuizWindow &w) { seedChildren(w.folder.appDir() + QStringLiteral("results.db"), children); })
    {
    }
    void openChildrenTab()
    {
        openOptions();
        control<QTabWidget>("OptionsPC")->setCurrentWidget(control<QWidget>("TabSheet2"));
    }
    void answer(bool right)
    {
        clickPanel(right ? asked() : (asked() == 1 ? 2 : 1));
        waitForNextQuestion();
    }
};

} // namespace

class TestReport : public QObject
{
    Q_OBJECT

private slots:
    void theChildsReportSaysWhatTheHistoryHolds_data()
    {
        QTest::addColumn<int>("period");
        QTest::addColumn<int>("right");
        QTest::addColumn<int>("wrong");
        QTest::addColumn<QDate>("from");
        QTest::addColumn<int>("resets");
        QTest::addColumn<int>("sessions");
        // Today is Wednesday 18 March 2026; whichever day the week starts on
        // here (the week's first day is put in below), it holds only today's
        // answers.
        QTest::newRow("everything") << int(ReportPeriod::Everything) << 7 << 3 << QDate(2026, 2, 6) << 1 << 4;
        QTest::newRow("this month") << int(ReportPeriod::ThisMonth) << 5 << 2 << QDate(2026, 3, 1) << 1 << 3;
        QTest::newRow("this week") << int(ReportPeriod::ThisWeek) << 4 << 1 << QDate(2026, 3, 18) << 0 << 2;
    }

    void theChildsReportSaysWhatTheHistoryHolds()
    {
        QFETCH(int, period);
        QFETCH(int, right);
        QFETCH(int, wrong);
        QFETCH(QDate, from);
        QFETCH(int, resets);
        QFETCH(int, sessions);
        QTemporaryDir dir;
        const QString db = dir.filePath(QStringLiteral("results.db"));
        // A name with Latin letters and digits in it.
        const QString name = QStringLiteral("سارة Sara 2");
        ResultsTable table;
        QString error;
        QVERIFY2(succeeded(table.open(db), &error), qPrintable(error));
        QVERIFY2(succeeded(table.addChild(name), &error), qPrintable(error));
        const QDateTime now(QDate(2026, 3, 18), QTime(15, 0));
        struct Row { int daysBack; int minute; int event; const char *lesson; bool right; };
        const Row rows[] = {
            {40, 0, 0, "الألوان", true}, {40, 1, 0, "الألوان", true}, {40, 2, 0, "الألوان", false},
            {10, 0, 1, "", false}, // a reset of the counts
            {10, 1, 0, "الألوان", true}, {10, 2, 0, "الألوان", false},
            {0, -300, 0, "الألوان", true}, {0, -299, 0, "الألوان", true}, {0, -298, 0, "الألوان", true},
            {0, -297, 0, "الألوان", false}, {0, -60, 0, "الحيوانات", true},
        };
        QVERIFY(testsupport::fillHistory(db, 1, int(std::size(rows)), [&](int, int n, testsupport::FilledAnswer *a) {
            const Row &r = rows[n];
            a->time = now.addDays(-r.daysBack).addSecs(r.minute * 60).toMSecsSinceEpoch();
            a->event = r.event;
            a->lesson = QString::fromUtf8(r.lesson);
            a->asked = 1 + n % 3;
            a->clicked = r.right ? a->asked : 1 + a->asked % 3;
            a->right = r.right;
        }));

        ChildReport report;
        QVERIFY2(succeeded(ProgressReport::readChild(table, 1, QStringLiteral("الألوان"), QuestionType::Colours, ReportPeriod(period),
                                                     now, &report), &error),
                 qPrintable(error));
        QCOMPARE(report.name, name);
        QCOMPARE(report.right, right);
        QCOMPARE(report.wrong, wrong);
        if (period == int(ReportPeriod::ThisWeek))
            from = from.addDays(-((from.dayOfWeek() - int(QLocale().firstDayOfWeek()) + 7) % 7));
        QCOMPARE(report.from, from);
        QCOMPARE(report.to, QDate(2026, 3, 18));
        QCOMPARE(report.resets, resets);
        QCOMPARE(report.sessions.size(), sessions);
        QCOMPARE(report.sessions.first().lesson, QStringLiteral("الحيوانات"));
        QCOMPARE(report.sessions.at(1).answers, 4);
        QCOMPARE(report.sessions.at(1).right, 3);
        int choices = 0;
        for (const auto &askedRow : report.history.choices)
            for (const int n : askedRow)
                choices += n;
        QCOMPARE(choices, right + wrong - 1); // the other lesson's answer is not among them

        ChartContent chart;
        chart.lesson = QStringLiteral("الألوان");
        chart.labels.names = {QStringLiteral("أحمر"), QStringLiteral("أخضر"), QStringLiteral("أزرق")};
        chart.labels.colors = {QColor(Qt::red), QColor(Qt::green), QColor(Qt::blue)};
        chart.today = now.date();
        const QString pdf = dir.filePath(QStringLiteral("child.pdf"));
        QVERIFY2(succeeded(ReportPages::writeChildPdf(pdf, report, chart, now), &error), qPrintable(error));
        if (period == int(ReportPeriod::Everything)) {
            // A picture of the page to look at, beside the other reports.
            const QString png = reportFolder(dir) + QStringLiteral("/report-child-page");
            tool(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("80"), QStringLiteral("-png"),
                                              QStringLiteral("-singlefile"), pdf, png});
            QVERIFY(QFile::exists(png + QStringLiteral(".png")));
        }
        QCOMPARE(pdfPages(pdf), 1);
        const QString text = pdfText(pdf);
        const QLocale locale;
        for (const QString &expected :
             {QStringLiteral("سارة"), QStringLiteral("Sara"), QStringLiteral("الصحيحة: ") + locale.toString(right),
              QStringLiteral("الخاطئة: ") + locale.toString(wrong),
              QStringLiteral("عدد الإجابات: ") + locale.toString(right + wrong), shownDay(from), shownDay(now.date()),
              ProgressReport::periodTitle(ReportPeriod(period)), QStringLiteral("ملاحظات المعلم")})
            QVERIFY2(text.contains(squeezed(expected)), qPrintable(expected + QStringLiteral(" not in:\n") + text));
        checkFontsEmbedded(pdf);
    }

    // Times no clock writes (a damaged file, or one from elsewhere), a
    // huge lesson name, a name longer than the table keeps: the reports are
    // still read and written, the good answer counted, the name cut.
    void damagedRowsStillMakeAReport()
    {
        QTemporaryDir dir;
        const QString db = dir.filePath(QStringLiteral("results.db"));
        ResultsTable table;
        QString error;
        QVERIFY2(succeeded(table.open(db), &error), qPrintable(error));
        QVERIFY2(succeeded(table.addChild(QStringLiteral("سارة")), &error), qPrintable(error));
        const QDateTime now(QDate(2026, 3, 18), QTime(15, 0));
        const qint64 times[] = {std::numeric_limits<qint64>::min(), std::numeric_limits<qint64>::max(), -1,
                                now.toMSecsSinceEpoch()};
        QVERIFY(testsupport::fillHistory(db, 1, int(std::size(times)), [&](int, int n, testsupport::FilledAnswer *a) {
            a->time = times[n];
            a->lesson = QString(100000, QChar(0x0628));
        }));
        // results.db refuses a longer name; another store may hold one.
        QCOMPARE(ProgressReport::displayName(1, QString(5000, QChar(0x0633))).size(), ResultsTable::NameLength);
        for (const ReportPeriod period : {ReportPeriod::Everything, ReportPeriod::ThisWeek}) {
            ChildReport report;
            QVERIFY2(succeeded(ProgressReport::readChild(table, 1, QString(), QuestionType::Colours, period, now, &report), &error),
                     qPrintable(error));
            QVERIFY(report.right >= 1);
            const QString pdf = dir.filePath(QStringLiteral("damaged.pdf"));
            QVERIFY2(succeeded(ReportPages::writeChildPdf(pdf, report, ChartContent(), now), &error),
                     qPrintable(error));
            QCOMPARE(pdfPages(pdf), 1);
        }
        ClassReport klass;
        QVERIFY2(succeeded(ProgressReport::readClass(table, &klass), &error), qPrintable(error));
        QCOMPARE(klass.rows.size(), 1);
        QCOMPARE(klass.rows.at(0).answers, 4);
        const QString pdf = dir.filePath(QStringLiteral("class.pdf"));
        QVERIFY2(succeeded(ReportPages::writeClassPdf(pdf, klass, now), &error), qPrintable(error));
    }

    void theClassReportPaginatesWithItsHeader()
    {
        QTemporaryDir dir;
        const QString db = dir.filePath(QStringLiteral("results.db"));
        ResultsTable table;
        QString error;
        QVERIFY2(succeeded(table.open(db), &error), qPrintable(error));
        QStringList names{QStringLiteral("يوسف"), QStringLiteral("بشير"), QStringLiteral("أحمد")};
        for (int i = 57; i >= 1; --i)
            names << QStringLiteral("طفل رقم %1").arg(i);
        for (const QString &n : std::as_const(names))
            QVERIFY2(succeeded(table.addChild(n), &error), qPrintable(error));
        const QDateTime now(QDate(2026, 3, 18), QTime(15, 0));
        QVERIFY(testsupport::fillHistory(db, 60, 5, [&](int child, int n, testsupport::FilledAnswer *a) {
            a->time = now.addDays(-child).addSecs(n * 60).toMSecsSinceEpoch();
            a->right = n < child % 5;
        }));
        ClassReport report;
        QVERIFY2(succeeded(ProgressReport::readClass(table, &report), &error), qPrintable(error));
        QCOMPARE(report.rows.size(), 60);
        QCOMPARE(report.rows.at(0).name, QStringLiteral("أحمد"));
        QCOMPARE(report.rows.at(1).name, QStringLiteral("بشير"));
        QCOMPARE(report.rows.at(2).name, QStringLiteral("طفل رقم 1"));
        QCOMPARE(report.rows.at(3).name, QStringLiteral("طفل رقم 2")); // numbers in their order
        QCOMPARE(report.rows.at(59).name, QStringLiteral("يوسف"));
        QCOMPARE(report.rows.at(0).answers, 5);
        QCOMPARE(report.rows.at(0).right, 3); // child 3
        QCOMPARE(report.rows.at(0).lastPlayed, now.addDays(-3).addSecs(4 * 60));

        const QString pdf = dir.filePath(QStringLiteral("class.pdf"));
        QVERIFY2(succeeded(ReportPages::writeClassPdf(pdf, report, now), &error), qPrintable(error));
        const int perPage = ReportPages::classRowsPerPage();
        QVERIFY(perPage >= 20 && perPage < 60);
        const int pages = (60 + perPage - 1) / perPage;
        QCOMPARE(pdfPages(pdf), pages);
        const QLocale locale;
        for (int page = 1; page <= pages; ++page) {
            const QString text = pdfText(pdf, page);
            for (const QString &header : {QStringLiteral("تقرير الصف"), QStringLiteral("نسبة الصحيح"),
                                          QStringLiteral("آخر لعب"),
                                          QStringLiteral("صفحة %1 من %2").arg(locale.toString(page), locale.toString(pages))})
                QVERIFY2(text.contains(squeezed(header)), qPrintable(QStringLiteral("page %1: %2 not in\n%3").arg(page).arg(header, text)));
        }
        QVERIFY(pdfText(pdf, 1).contains(QStringLiteral("أحمد")));
        QVERIFY(pdfText(pdf, pages).contains(QStringLiteral("يوسف")));
        checkFontsEmbedded(pdf);
    }

    // The buttons of the children's page, through the dialogs: both reports
    // saved as PDF files (into the end-to-end run's artefacts when it asks).
    void reportsFromTheChildrenPage()
    {
        Quiz quiz({QStringLiteral("سارة"), QStringLiteral("عمر")});
        for (const bool right : {true, true, false})
            quiz.answer(right);
        quiz.openChildrenTab();
        QTemporaryDir dir;
        const QString folder = reportFolder(dir);
        const QString child = folder + QStringLiteral("/report-child.pdf");
        const QString klass = folder + QStringLiteral("/report-class.pdf");
        QFile::remove(child);
        QFile::remove(klass);
        // Everything, as a PDF file; then the class, as a PDF file.
        quiz.dialogs.itemAnswers << 0 << 1 << 1;
        quiz.dialogs.saveFileAnswers << child << klass;
        QTest::mouseClick(quiz.control<QPushButton>("ChildReportBtn"), Qt::LeftButton);
        QTest::mouseClick(quiz.control<QPushButton>("ClassReportBtn"), Qt::LeftButton);
        QCOMPARE(quiz.errors(), QStringList());
        QCOMPARE(quiz.dialogs.unscripted(), 0);
        QCOMPARE(quiz.messages().size(), 2);
        QVERIFY(quiz.messages().at(0).contains(child));
        QVERIFY2(quiz.dialogs.texts(Kind::SaveFile).at(0).endsWith(QStringLiteral("تقرير سارة.pdf")),
                 qPrintable(quiz.dialogs.texts(Kind::SaveFile).at(0)));
        const QString childText = pdfText(child);
        QVERIFY2(childText.contains(QStringLiteral("سارة"))
                     && childText.contains(squeezed(QStringLiteral("الصحيحة: ") + QLocale().toString(2))),
                 qPrintable(childText));
        const QString classText = pdfText(klass);
        QVERIFY2(classText.contains(QStringLiteral("سارة")) && classText.contains(QStringLiteral("عمر")),
                 qPrintable(classText));

        // Cancelled at either question: nothing more is written or said.
        quiz.dialogs.itemAnswers << std::nullopt << 0 << std::nullopt;
        QTest::mouseClick(quiz.control<QPushButton>("ChildReportBtn"), Qt::LeftButton);
        QTest::mouseClick(quiz.control<QPushButton>("ChildReportBtn"), Qt::LeftButton);
        QCOMPARE(quiz.messages().size(), 2);
        QCOMPARE(quiz.errors(), QStringList());
    }

    // Printed through Qt's printing on the private CUPS server's PDF printer
    // (scripts/cups-server.sh, started by scripts/test.sh): the page that
    // the printer wrote holds the report.
    void printingOnARealPrinter()
    {
        const QString printer = qEnvironmentVariable("QUIZ_CUPS_PRINTER");
        const QString out = qEnvironmentVariable("QUIZ_CUPS_OUT");
        if (printer.isEmpty() || out.isEmpty()) {
            const QString why = qEnvironmentVariable("QUIZ_NO_CUPS", QStringLiteral("no CUPS test server"));
            if (qEnvironmentVariable("QUIZ_PRINT_TEST") == QLatin1String("required"))
                QFAIL(qPrintable(QStringLiteral("cannot print: ") + why));
            QSKIP(qPrintable(why + QStringLiteral(" (source scripts/cups-server.sh; start_cups_server)")));
        }
        const QStringList before = QDir(out).entryList({QStringLiteral("*.pdf")}, QDir::Files);
        Quiz quiz({QStringLiteral("ليلى Layla")});
        quiz.answer(true);
        quiz.openChildrenTab();
        // Everything, printed, on the test's printer.
        quiz.dialogs.itemAnswers << 0 << 0;
        quiz.dialogs.printerAnswers << printer;
        QTest::mouseClick(quiz.control<QPushButton>("ChildReportBtn"), Qt::LeftButton);
        QCOMPARE(quiz.errors(), QStringList());
        QCOMPARE(quiz.dialogs.count(Kind::Print), 1);
        QString printed;
        // The printer writes its file when CUPS has run the job through its filters.
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                const QStringList now = QDir(out).entryList({QStringLiteral("*.pdf")}, QDir::Files);
                for (const QString &f : now)
                    if (!before.contains(f) && QFileInfo(QDir(out).filePath(f)).size() > 0)
                        printed = QDir(out).filePath(f);
                return !printed.isEmpty();
            }(),
            90000);
        QTRY_COMPARE_WITH_TIMEOUT(pdfPages(printed), 1, 10000);
        const QString info = tool(QStringLiteral("pdfinfo"), {printed});
        QVERIFY2(info.contains(QLatin1String("595 x 842")), qPrintable(info));

        // The printer's file went through PostScript and back, which keeps
        // the drawing but not the letters' text: the page is compared, as a
        // picture, with the same report saved as a PDF file.
        QTemporaryDir dir;
        const QString saved = dir.filePath(QStringLiteral("saved.pdf"));
        quiz.dialogs.itemAnswers << 0 << 1;
        quiz.dialogs.saveFileAnswers << saved;
        QTest::mouseClick(quiz.control<QPushButton>("ChildReportBtn"), Qt::LeftButton);
        QCOMPARE(quiz.errors(), QStringList());
        const auto picture = [&dir](const QString &pdf, const QString &name) {
            const QString stem = dir.filePath(name);
            tool(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("24"), QStringLiteral("-gray"),
                                              QStringLiteral("-png"), QStringLiteral("-singlefile"), pdf, stem});
            return QImage(stem + QStringLiteral(".png")).convertToFormat(QImage::Format_Grayscale8);
        };
        const QImage onPaper = picture(printed, QStringLiteral("printed"));
        const QImage inFile = picture(saved, QStringLiteral("saved"));
        QVERIFY(!onPaper.isNull() && onPaper.size() == inFile.size());
        int inked = 0;
        int different = 0;
        for (int y = 0; y < inFile.height(); ++y)
            for (int x = 0; x < inFile.width(); ++x) {
                const int a = inFile.pixelColor(x, y).value();
                const int b = onPaper.pixelColor(x, y).value();
                inked += a < 200;
                different += std::abs(a - b) > 80;
            }
        const int pixels = inFile.width() * inFile.height();
        QVERIFY2(inked > pixels / 50, qPrintable(QString::number(inked)));
        QVERIFY2(different < pixels / 50, qPrintable(QStringLiteral("%1 of %2 differ").arg(different).arg(pixels)));
    }
};

QTEST_MAIN(TestReport)
#include "tst_report.moc"
