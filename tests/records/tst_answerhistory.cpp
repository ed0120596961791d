// The answers history in results.db: added to old files, written with the
// count in one transaction, read back per day and per choice, and exported as
// CSV that a real CSV reader (Python's csv module) reads back as written.
#include "core/records/answerhistory.h"
#include "core/records/csvfile.h"
#include "core/records/resultsexport.h"
#include "core/records/resultstable.h"
#include "core/settings/lessonlibrary.h"
#include "core/settings/optionsfile.h"
#include "support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

#include <ctime>

using testsupport::succeeded;

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

// A second connection, as another program (or the next start) sees the file.
class RawDb
{
public:
    explicit RawDb(const QString &path) : m_name(QStringLiteral("history-raw-%1").arg(++s_serial))
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=50"));
        db.open();
    }
    ~RawDb()
    {
        QSqlDatabase::database(m_name, false).close();
        QSqlDatabase::removeDatabase(m_name);
    }
    bool exec(const QString &sql)
    {
        QSqlQuery q(QSqlDatabase::database(m_name, false));
        return q.exec(sql);
    }
    QString scalar(const QString &sql)
    {
        QSqlQuery q(QSqlDatabase::database(m_name, false));
        if (!q.exec(sql) || !q.next())
            return QStringLiteral("<failed>");
        return q.value(0).toString();
    }

private:
    static inline int s_serial = 0;
    QString m_name;
};

// The table with a clock the test sets.
struct Clocked
{
    explicit Clocked(const QString &path)
    {
        table.setClock([this] { return now; });
        QString error;
        opened = succeeded(table.open(path), &error);
        if (!opened)
            qWarning("%s", qPrintable(error));
    }
    void at(const QDate &day, int hour = 10) { now = QDateTime(day, QTime(hour, 0)).toUTC(); }
    void answer(bool right, int asked, int clicked, const QString &lesson = QStringLiteral("الألوان"),
                int type = 0)
    {
        QString error;
        QVERIFY2(succeeded(table.recordResult(right ? Judgement::Right : Judgement::Wrong,
                                              AnswerDetails{lesson, QuestionTypes::fromIndex(type), asked, clicked}),
                           &error),
                 qPrintable(error));
    }
    QDateTime now = QDateTime::currentDateTimeUtc();
    ResultsTable table;
    bool opened = false;
};

// Every row of the CSV file as Python's csv module reads it.
QList<QStringList> readWithPython(const QString &path)
{
    QProcess python;
    python.start(QStringLiteral("python3"),
                 {QStringLiteral("-c"),
                  QStringLiteral("import csv, json, sys\n"
                                 "with open(sys.argv[1], encoding='utf-8-sig', newline='') as f:\n"
                                 "    print(json.dumps(list(csv.reader(f, strict=True))))\n"),
                  path});
    if (!python.waitForFinished(30000) || python.exitCode() != 0) {
        qWarning("python3: %s", python.readAllStandardError().constData());
        return {};
    }
    QList<QStringList> rows;
    for (const QJsonValue &row : QJsonDocument::fromJson(python.readAllStandardOutput()).array()) {
        QStringList cells;
        for (const QJsonValue &cell : row.toArray())
            cells << cell.toString();
        rows << cells;
    }
    return rows;
}

} // namespace

class TestAnswerHistory : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // Three hours east of UTC, so that a day counted in UTC rather than
        // the teacher's local time shows.
        qputenv("TZ", "<+03>-3");
        tzset();
    }

    void anOldFileGetsTheAnswersTableAndKeepsItsChildren()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("results.db"));
        QVERIFY(QFile::copy(testsupport::testData(QStringLiteral("records-valid/results.db")), path));
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        {
            Clocked c(path);
            QVERIFY(c.opened);
            QCOMPARE(c.table.recordCount(), 3);
            c.answer(true, 2, 2);
        }
        RawDb raw(path);
        QCOMPARE(raw.scalar(QStringLiteral("PRAGMA user_version")), QStringLiteral("2"));
        QCOMPARE(raw.scalar(QStringLiteral("SELECT group_concat(name) FROM pragma_table_info('Table1')")),
                 QStringLiteral("No,Name,Ok,NotOk"));
        QCOMPARE(raw.scalar(QStringLiteral("SELECT group_concat(No || ':' || Name || ':' || ifnull(Ok, '') || ':' "
                                           "|| ifnull(NotOk, ''), '|') FROM Table1")),
                 QStringLiteral("3:سارة:5:1|5:أحمد::|9:ليلى:0:2"));
        QCOMPARE(raw.scalar(QStringLiteral("SELECT Child || ',' || Asked || ',' || Clicked || ',' || Correct "
                                           "FROM Answers")),
                 QStringLiteral("3,2,2,1"));

        // A file of this version whose answers table was dropped gets it back,
        // rather than refusing every count.
        QVERIFY(raw.exec(QStringLiteral("DROP TABLE Answers")));
        Clocked again(path);
        QVERIFY(again.opened);
        again.answer(false, 1, 3);
        QCOMPARE(raw.scalar(QStringLiteral("SELECT COUNT(*) FROM Answers")), QStringLiteral("1"));
    }

    void aForeignAnswersTableIsRefusedUntouched()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("results.db"));
        {
            RawDb raw(path);
            QVERIFY(raw.exec(QStringLiteral("CREATE TABLE Table1 (No INTEGER PRIMARY KEY AUTOINCREMENT, "
                                            "Name TEXT, Ok INTEGER, NotOk INTEGER)")));
            QVERIFY(raw.exec(QStringLiteral("CREATE TABLE Answers (Id INTEGER PRIMARY KEY, Text TEXT)")));
            QVERIFY(raw.exec(QStringLiteral("INSERT INTO Answers (Text) VALUES ('kept')")));
        }
        const QByteArray before = fileBytes(path);
        ResultsTable table;
        QString error;
        QVERIFY(!succeeded(table.open(path), &error));
        QVERIFY2(error.contains(QStringLiteral("Answers")) && error.contains(path), qPrintable(error));
        QCOMPARE(fileBytes(path), before);
    }

    void countAndHistoryAreWrittenTogether()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("results.db"));
        Clocked c(path);
        QVERIFY(c.opened);
        QString error;
        QVERIFY(succeeded(c.table.addChild(QStringLiteral("سارة")), &error));
        c.answer(true, 1, 1);
        {
            // Another program holds the file: neither the count nor the row is
            // written, and both stay pending together.
            RawDb other(path);
            QVERIFY(other.exec(QStringLiteral("BEGIN EXCLUSIVE")));
            QVERIFY(!succeeded(
                c.table.recordResult(Judgement::Wrong, AnswerDetails{QStringLiteral("الألوان"), QuestionType::Colours, 1, 3}), &error));
            QVERIFY(other.exec(QStringLiteral("ROLLBACK")));
            QCOMPARE(other.scalar(QStringLiteral("SELECT ifnull(NotOk, 0) FROM Table1")), QStringLiteral("0"));
            QCOMPARE(other.scalar(QStringLiteral("SELECT COUNT(*) FROM Answers")), QStringLiteral("1"));
        }
        c.answer(false, 2, 1);
        RawDb raw(path);
        QCOMPARE(raw.scalar(QStringLiteral("SELECT Ok || '/' || NotOk FROM Table1")), QStringLiteral("1/2"));
        QCOMPARE(raw.scalar(QStringLiteral("SELECT group_concat(Asked || Clicked || Correct, ' ') FROM "
                                           "(SELECT * FROM Answers ORDER BY Seq)")),
                 QStringLiteral("111 130 210"));

        // A reset keeps the answers and is itself kept; a failed reset keeps nothing.
        QVERIFY(succeeded(c.table.resetCounts(), &error));
        QCOMPARE(raw.scalar(QStringLiteral("SELECT COUNT(*) || '/' || SUM(Event) FROM Answers")),
                 QStringLiteral("4/1"));
        QCOMPARE(c.table.integer(ResultsTable::Field::Ok), 0);

        // Deleting a child deletes its history and no one else's.
        QVERIFY(succeeded(c.table.addChild(QStringLiteral("عمر")), &error));
        c.answer(true, 3, 3);
        QVERIFY(c.table.findKey(QStringLiteral("1")));
        QVERIFY(succeeded(c.table.deleteChild(), &error));
        QCOMPARE(raw.scalar(QStringLiteral("SELECT group_concat(DISTINCT Child) FROM Answers")), QStringLiteral("2"));
    }

    void historyByDayAndByChoice()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("results.db"));
        Clocked c(path);
        QString error;
        QVERIFY(succeeded(c.table.addChild(QStringLiteral("ليلى")), &error));
        const QDate monday(2024, 3, 4);
        c.at(monday);
        c.answer(true, 1, 1);
        c.answer(false, 1, 2);
        c.answer(false, 1, 2);
        c.answer(true, 2, 2, QStringLiteral("درس آخر")); // another lesson: a day count, not a choice
        c.answer(false, 0, 3);                            // before the first question
        c.at(monday.addDays(2), 1);
        c.answer(true, 3, 3);
        QVERIFY(succeeded(c.table.resetCounts(), &error));
        c.at(monday.addDays(9)); // written while the clock ran ahead
        c.answer(true, 3, 3, QStringLiteral("الألوان"), 1);

        ChildHistory h;
        QVERIFY2(succeeded(AnswerHistory::readChild(c.table, 1, QStringLiteral("الألوان"), QuestionType::Colours, monday.addDays(2), &h),
                           &error),
                 qPrintable(error));
        QCOMPARE(h.days.size(), 3);
        QCOMPARE(h.days[0].day, monday);
        QCOMPARE(QList<int>({h.days[0].right, h.days[0].wrong, h.days[0].resets}), QList<int>({2, 3, 0}));
        QCOMPARE(h.days[1].day, monday.addDays(2)); // 01:00 local is that day, not the one before
        QCOMPARE(QList<int>({h.days[1].right, h.days[1].wrong, h.days[1].resets}), QList<int>({1, 0, 1}));
        QCOMPARE(h.futureRows, 1);
        QCOMPARE(h.answers, 7);
        QCOMPARE(h.choices[0], (std::array<int, 3>{1, 2, 0}));
        QCOMPARE(h.choices[1], (std::array<int, 3>{0, 0, 0}));
        QCOMPARE(h.choices[2], (std::array<int, 3>{0, 0, 1}));
        QCOMPARE(h.unplacedChoices, 1);
    }

    // The file chosen for an export is a symbolic link: the link is
    // replaced by the export, the file it pointed to keeps its bytes. With
    // OwnerOnly (the user's own data folder) no other account reads it.
    void anExportOverALinkReplacesTheLink()
    {
        QTemporaryDir dir;
        QTemporaryDir elsewhere;
        Clocked c(dir.filePath(QStringLiteral("results.db")));
        QString error;
        QVERIFY(succeeded(c.table.addChild(QStringLiteral("سارة")), &error));
        const QString target = elsewhere.filePath(QStringLiteral("kept.txt"));
        QVERIFY(testsupport::writeFile(target, "kept"));
        const QString counts = dir.filePath(QStringLiteral("counts.csv"));
        QVERIFY(QFile::link(target, counts));
        ExportSummary summary;
        QVERIFY2(succeeded(ResultsExport::writeCounts(c.table, counts, &summary, AtomicFile::Access::OwnerOnly),
                           &error),
                 qPrintable(error));
        QCOMPARE(fileBytes(target), QByteArray("kept"));
        QVERIFY(!QFileInfo(counts).isSymLink());
        QVERIFY(fileBytes(counts).contains(QStringLiteral("سارة").toUtf8()));
        QCOMPARE(QFileInfo(counts).permissions() & (QFile::ReadGroup | QFile::ReadOther), QFile::Permissions());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                 (QStringList{QStringLiteral("counts.csv"), QStringLiteral("results.db")}));
    }

    void exportedFilesReadBackAsWritten()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("results.db"));
        Clocked c(path);
        const QStringList names{QStringLiteral("سارة"), QStringLiteral("Ali, \"the\"\nsecond"),
                                QStringLiteral("=HYPERLINK(\"x\")"), QStringLiteral("+1"), QStringLiteral("-"),
                                QStringLiteral("@SUM(A1)"), QStringLiteral("\tx"), QStringLiteral(" =1"),
                                QStringLiteral("  "),
                                // Blanks and invisible characters a spreadsheet passes over.
                                QStringLiteral("\u00A0=1"), QStringLiteral("\u200B+1"), QStringLiteral("\u2060@x"),
                                QStringLiteral("\u3000\u200F-1")};
        QString error;
        for (const QString &name : names)
            QVERIFY(succeeded(c.table.addChild(name), &error));
        c.at(QDate(2024, 5, 1), 9);
        QVERIFY(c.table.findKey(QStringLiteral("2")));
        c.answer(true, 2, 2, QStringLiteral("=cmd|' /C calc'!A0"));
        c.answer(false, 1, 3, QStringLiteral("درس, \"الألوان\""), 2);
        QVERIFY(succeeded(c.table.resetCounts(), &error));
        {
            RawDb raw(path); // a row of a child that is gone, and one from the future
            QVERIFY(raw.exec(QStringLiteral("INSERT INTO Answers (Child, Time, Lesson, QuestionType, Asked, "
                                            "Clicked, Correct, Seq) VALUES (99, 1714500000000, 'x', 1, 1, 1, 1, 1), "
                                            "(1, 4102444800000, 'x', 7, 1, 2, 0, 1)")));
        }

        const QString counts = dir.filePath(QStringLiteral("counts.csv"));
        ExportSummary summary;
        QVERIFY2(succeeded(ResultsExport::writeCounts(c.table, counts, &summary), &error), qPrintable(error));
        QCOMPARE(summary.rows, names.size());
        const QByteArray bytes = fileBytes(counts);
        QVERIFY(bytes.startsWith("\xEF\xBB\xBF\xD9\x85,"));
        QVERIFY(bytes.endsWith("\r\n") && !bytes.contains(",,\n"));
        const QList<QStringList> rows = readWithPython(counts);
        QCOMPARE(rows.size(), names.size() + 1);
        QCOMPARE(rows[0], (QStringList{QStringLiteral("م"), QStringLiteral("الاسم"),
                                       QStringLiteral("الإجابات الصحيحة"), QStringLiteral("الإجابات الخاطئة")}));
        QCOMPARE(rows[1], (QStringList{QStringLiteral("1"), QStringLiteral("سارة"), QString(), QString()}));
        QCOMPARE(rows[2], (QStringList{QStringLiteral("2"), names[1], QStringLiteral("0"), QStringLiteral("0")}));
        // Nothing a spreadsheet would run: a leading apostrophe, the rest as typed.
        // A lone minus (the default child) is no formula and stays as it is.
        const QStringList guarded{QStringLiteral("'=HYPERLINK(\"x\")"), QStringLiteral("'+1"), QStringLiteral("-"),
                                  QStringLiteral("'@SUM(A1)"), QStringLiteral("'\tx"), QStringLiteral(" '=1"),
                                  QStringLiteral("  "), QStringLiteral("\u00A0'=1"), QStringLiteral("\u200B'+1"),
                                  QStringLiteral("\u2060'@x"), QStringLiteral("\u3000\u200F'-1")};
        for (int i = 0; i < guarded.size(); ++i)
            QCOMPARE(rows[3 + i][1], guarded[i]);

        const QString answers = dir.filePath(QStringLiteral("answers.csv"));
        const LessonLibrary noLessons(dir.filePath(QStringLiteral("Data"))); // no Data folder: no names
        QVERIFY2(succeeded(ResultsExport::writeAnswers(c.table, answers, c.now, noLessons, &summary), &error), qPrintable(error));
        QCOMPARE(summary.rows, 5);
        QCOMPARE(summary.orphanRows, 1);
        QCOMPARE(summary.futureRows, 1);
        // Child by child: the first child's one row (from the future), the
        // second child's three, then the child that is gone.
        const QList<QStringList> history = readWithPython(answers);
        QCOMPARE(history.size(), 6);
        QCOMPARE(history[1][4], QStringLiteral("7"));
        QCOMPARE(history[2], (QStringList{QStringLiteral("2"), names[1], QStringLiteral("2024-05-01 09:00:00"),
                                          QStringLiteral("'=cmd|' /C calc'!A0"), QStringLiteral("ألوان"),
                                          QStringLiteral("2"), QStringLiteral("2"), QStringLiteral("صح"), QString(),
                                          QString()}));
        QCOMPARE(history[3][3], QStringLiteral("درس, \"الألوان\""));
        QCOMPARE(history[3][4], QStringLiteral("صور"));
        QCOMPARE(history[3][7], QStringLiteral("خطأ"));
        QCOMPARE(history[4][7], QStringLiteral("تصفير النتائج"));
        QCOMPARE(history[5][0], QStringLiteral("99"));
        QCOMPARE(history[5][1], QString()); // the child that is gone

        // A file that cannot be made: an Arabic reason naming it, nothing left behind.
        const QString nowhere = dir.filePath(QStringLiteral("missing/answers.csv"));
        QVERIFY(!succeeded(ResultsExport::writeAnswers(c.table, nowhere, c.now, noLessons, &summary), &error));
        QVERIFY2(error.contains(QDir::toNativeSeparators(nowhere)), qPrintable(error));
        QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("missing"))));
    }

    void exportedChoicesAreNamed_data()
    {
        QTest::addColumn<QString>("lesson");
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("asked");
        QTest::addColumn<int>("clicked");
        QTest::addColumn<QStringList>("names");
        const QString automatic = LessonLibrary::automaticName();
        // The Data folder's own colours: red, a hand-picked near orange, and
        // one no common name fits.
        QTest::newRow("colours") << automatic << 0 << 1 << 3 << QStringList{QStringLiteral("أحمر"), QStringLiteral("#123456")};
        QTest::newRow("no asked choice") << automatic << 0 << 0 << 2 << QStringList{QString(), QStringLiteral("برتقالي")};
        QTest::newRow("unknown type") << automatic << 7 << 1 << 1 << QStringList{QString(), QString()};
        // A formula is guarded, a control character cleaned; the lesson is
        // found whatever the letter case of its folder.
        QTest::newRow("texts") << QStringLiteral("Animals") << 1 << 3 << 2 << QStringList{QStringLiteral("كلب"), QStringLiteral("'=1+1")};
        QTest::newRow("the row's type") << QStringLiteral("Animals") << 0 << 1 << 2 << QStringList{QStringLiteral("أحمر"), QStringLiteral("أصفر")};
        // The panels show picture slot 3 as choice 2 and slot 2 as choice 3.
        QTest::newRow("pictures") << QStringLiteral("صور") << 2 << 2 << 3 << QStringList{QStringLiteral("bird.jpg"), QStringLiteral("dog.png")};
        QTest::newRow("picture of a Windows path") << QStringLiteral("صور") << 2 << 1 << 1 << QStringList{QStringLiteral("قطة.bmp"), QStringLiteral("قطة.bmp")};
        QTest::newRow("gone") << QStringLiteral("قديم") << 1 << 1 << 2 << QStringList{QString(), QString()};
        QTest::newRow("outside the Data folder") << QStringLiteral("link") << 1 << 1 << 1 << QStringList{QString(), QString()};
    }

    void exportedChoicesAreNamed()
    {
        QFETCH(QString, lesson);
        QFETCH(int, type);
        QFETCH(int, asked);
        QFETCH(int, clicked);
        QFETCH(QStringList, names);
        QTemporaryDir dir;
        const QDir data(dir.filePath(QStringLiteral("Data")));
        QString error;
        const auto saveIn = [&error](const QString &folder, const OptionsValues &v) {
            return QDir().mkpath(folder)
                && succeeded(OptionsFile::save(QDir(folder).filePath(OptionsFile::fileName()), v), &error);
        };
        OptionsValues colours;
        colours.color2 = 250 | 160 << 8 | 10 << 16;
        colours.color3 = 0x12 | 0x34 << 8 | 0x56 << 16;
        OptionsValues texts;
        texts.text1 = QStringLiteral("قطة");
        texts.text2 = QStringLiteral("=1+1");
        texts.text3 = QStringLiteral("كلب\u0007");
        OptionsValues pictures;
        pictures.picture1 = QStringLiteral("C:\\صور\\قطة.bmp");
        pictures.picture2 = QStringLiteral("/home/teacher/dog.png");
        pictures.picture3 = QStringLiteral("bird.jpg");
        OptionsValues secret;
        secret.text1 = QStringLiteral("secret");
        QVERIFY2(saveIn(data.path(), colours) && saveIn(data.filePath(QStringLiteral("animals")), texts)
                     && saveIn(data.filePath(QStringLiteral("صور")), pictures)
                     && saveIn(dir.filePath(QStringLiteral("outside")), secret),
                 qPrintable(error));
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("outside")), data.filePath(QStringLiteral("link"))));

        Clocked c(dir.filePath(QStringLiteral("results.db")));
        QVERIFY(succeeded(c.table.addChild(QStringLiteral("سارة")), &error));
        c.answer(asked == clicked, asked, clicked, lesson, type);
        const QString csv = dir.filePath(QStringLiteral("a.csv"));
        ExportSummary summary;
        QVERIFY2(succeeded(ResultsExport::writeAnswers(c.table, csv, c.now, LessonLibrary(data.path()), &summary),
                           &error),
                 qPrintable(error));
        const QList<QStringList> rows = readWithPython(csv);
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows[0].mid(5), (QStringList{QStringLiteral("الخيار المطلوب"), QStringLiteral("الخيار المختار"),
                                              QStringLiteral("النتيجة"), QStringLiteral("اسم الخيار المطلوب"),
                                              QStringLiteral("اسم الخيار المختار")}));
        QCOMPARE(rows[1].size(), 10);
        // No asked choice is stored as none.
        QCOMPARE(rows[1].mid(5, 2), (QStringList{asked ? QString::number(asked) : QString(), QString::number(clicked)}));
        QCOMPARE(rows[1].mid(8), names);
    }

    void exportedTimesFollowSummerTime()
    {
        // Central European time: summer time begins 2024-03-31 at 01:00 UTC.
        qputenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3");
        tzset();
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("results.db"));
        Clocked c(path);
        QString error;
        QVERIFY(succeeded(c.table.addChild(QStringLiteral("x")), &error));
        for (const char *utc : {"2024-03-31T00:30:00Z", "2024-03-31T01:30:00Z", "2024-07-01T12:00:00Z",
                                "2024-01-01T23:30:00Z"}) {
            c.now = QDateTime::fromString(QLatin1String(utc), Qt::ISODate);
            c.answer(true, 1, 1);
        }
        ExportSummary summary;
        const QString csv = dir.filePath(QStringLiteral("a.csv"));
        QVERIFY2(succeeded(ResultsExport::writeAnswers(c.table, csv, c.now, LessonLibrary(dir.filePath(QStringLiteral("Data"))), &summary), &error), qPrintable(error));
        QStringList times;
        for (const QStringList &row : readWithPython(csv).mid(1))
            times << row.value(2);
        QCOMPARE(times, (QStringList{QStringLiteral("2024-03-31 01:30:00"), QStringLiteral("2024-03-31 03:30:00"),
                                     QStringLiteral("2024-07-01 14:00:00"), QStringLiteral("2024-01-02 00:30:00")}));
        qputenv("TZ", "<+03>-3");
        tzset();
    }
};

QTEST_GUILESS_MAIN(TestAnswerHistory)
#include "tst_answerhistory.moc"
