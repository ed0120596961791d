// The children's table on a real PostgreSQL server (started by
// scripts/test.sh through scripts/pg-server.sh): several computers sharing
// it, the server taken away in the middle of play, answers sent again after
// a lost acknowledgement, two processes counting the same child, and a
// wrong password or service.
#include "ui/children/childrenpage.h"
#include "core/base/quizerror.h"
#include "support/scripteddialogs.h"
#include "core/records/answerhistory.h"
#include "core/records/resultsmodel.h"
#include "core/records/resultstable.h"
#include "core/records/serverstore.h"
#include "core/records/storechoice.h"
#include "support/quizwindow.h"
#include "support/testsupport.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using testsupport::succeeded;

using Field = ResultsTable::Field;

namespace {

const QString Service = QStringLiteral("quiztest");

// The server as its administrator sees it.
QVariant admin(const QString &sql)
{
    QSqlQuery q(QSqlDatabase::database(QStringLiteral("admin"), false));
    if (!q.exec(sql))
        return QStringLiteral("<failed: %1>").arg(q.lastError().text());
    return q.next() ? q.value(0) : QVariant();
}

bool serverCtl(const char *action)
{
    return QProcess::execute(QStringLiteral("bash"), {testsupport::sourcePath(QStringLiteral("scripts/pg-server.sh")),
                                                      QLatin1String(action)})
           == 0;
}

ServerStore *serverOf(const ResultsTable &table)
{
    return qobject_cast<ServerStore *>(table.store());
}

// One computer: the table on the server, its outbox in `cache`.
std::unique_ptr<ResultsTable> computer(const QString &cache, QString *error, const QString &service = Service)
{
    auto store = std::make_unique<ServerStore>(service, cache);
    store->setRetryInterval(200);
    if (!succeeded(store->open(), error))
        return nullptr;
    auto table = std::make_unique<ResultsTable>();
    if (!succeeded(table->openStore(std::move(store)), error))
        return nullptr;
    return table;
}

} // namespace

class TestSchoolServer : public QObject
{
    Q_OBJECT

    // After the server was restarted, the administrator logs in again.
    void reconnectAdmin()
    {
        QSqlDatabase db = QSqlDatabase::database(QStringLiteral("admin"), false);
        if (!db.isOpen() || !QSqlQuery(db).exec(QStringLiteral("SELECT 1"))) {
            db.close();
            QVERIFY2(db.open(), qPrintable(db.lastError().text()));
        }
    }

private slots:
    void initTestCase()
    {
        // No silent skip: these tests exist to run against a real server.
        if (qEnvironmentVariableIsEmpty("QUIZ_PG_DIR") || qEnvironmentVariableIsEmpty("PGSERVICEFILE"))
            QFAIL("No PostgreSQL test server: run the tests through scripts/test.sh, "
                  "or source scripts/pg-server.sh and call start_pg_server first.");
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("admin"));
        db.setConnectOptions(QStringLiteral("service=quizadmin"));
        QVERIFY2(db.open(), qPrintable(db.lastError().text()));
    }

    void init()
    {
        QVERIFY(serverCtl("status") || serverCtl("start"));
        reconnectAdmin();
        QCOMPARE(admin(QStringLiteral("TRUNCATE table1, answers RESTART IDENTITY")), QVariant());
    }

    // Two computers share one table: what one adds and counts, the other
    // shows at once without its cursor moving; the quiz's role cannot touch
    // what the quiz does not need.
    void computersShareOneTable()
    {
        QTemporaryDir dir;
        QString error;
        auto a = computer(dir.filePath(QStringLiteral("a.db")), &error);
        QVERIFY2(a, qPrintable(error));
        auto b = computer(dir.filePath(QStringLiteral("b.db")), &error);
        QVERIFY2(b, qPrintable(error));
        ResultsModel grid(*b);
        QCOMPARE(grid.rowCount(), 0);
        QTRY_VERIFY(serverOf(*a)->online() && serverOf(*b)->online());

        QVERIFY2(succeeded(a->addChild(QStringLiteral("سارة")), &error), qPrintable(error));
        QVERIFY2(succeeded(a->addChild(QStringLiteral("علي")), &error), qPrintable(error));
        QTRY_COMPARE(b->recordCount(), 2);
        QTRY_COMPARE(grid.rowCount(), 2);
        QVERIFY(b->first());
        QCOMPARE(b->text(Field::Name), QStringLiteral("سارة"));

        QVERIFY(a->findKey(QStringLiteral("2")));
        for (const char *result : {"Y", "Y", "N"})
            QVERIFY2(succeeded(a->recordResult(QLatin1String(result)), &error), qPrintable(error));
        QCOMPARE(a->integer(Field::Ok), 2); // shown at once, before the server has it
        QTRY_COMPARE(admin(QStringLiteral("SELECT ok || '/' || notok FROM table1 WHERE no = 2")).toString(),
                     QStringLiteral("2/1"));
        QTRY_COMPARE(grid.data(grid.index(1, ResultsModel::OkColumn)).toInt(), 2);
        QCOMPARE(grid.data(grid.index(1, ResultsModel::NotOkColumn)).toInt(), 1);
        QCOMPARE(b->currentNo(), 1); // the teacher's cursor stays

        // A reset on one computer reaches the child shown on the other.
        QVERIFY(b->findKey(QStringLiteral("2")));
        QVERIFY2(succeeded(b->resetCounts(), &error), qPrintable(error));
        QTRY_COMPARE(a->integer(Field::Ok), 0);
        QCOMPARE(a->text(Field::NotOk), QStringLiteral("0"));
        QCOMPARE(admin(QStringLiteral("SELECT COUNT(*) || '/' || SUM(event) FROM answers WHERE child = 2")).toString(),
                 QStringLiteral("4/1"));

        // The quiz's login may not rewrite the history nor the tables.
        QSqlDatabase room = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("room"));
        room.setConnectOptions(QStringLiteral("service=") + Service);
        QVERIFY(room.open());
        for (const char *sql : {"UPDATE answers SET correct = 1", "TRUNCATE table1", "DROP TABLE answers",
                                "CREATE TABLE mine (x integer)", "UPDATE table1 SET no = 9"}) {
            QSqlQuery q(room);
            QVERIFY2(!q.exec(QLatin1String(sql)), sql);
            QCOMPARE(q.lastError().nativeErrorCode(), QStringLiteral("42501"));
        }
        room.close();
        room = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("room"));

        // Deleting on one computer moves the other's cursor on, as a
        // deletion there would.
        QVERIFY(a->findKey(QStringLiteral("1")));
        QVERIFY2(succeeded(b->deleteChild(), &error), qPrintable(error)); // b stands on child 2
        QCOMPARE(b->currentNo(), 1);
        QVERIFY(a->findKey(QStringLiteral("1")));
        QVERIFY2(succeeded(a->deleteChild(), &error), qPrintable(error));
        QTRY_COMPARE(b->recordCount(), 0);
        QCOMPARE(b->currentNo(), 0);
        QCOMPARE(admin(QStringLiteral("SELECT COUNT(*) FROM answers")).toInt(), 0);
    }

    // An answer whose acknowledgement was lost is sent again: the server
    // knows its id and counts it once.
    void answerSentAgainIsCountedOnce()
    {
        QTemporaryDir dir;
        const QString cache = dir.filePath(QStringLiteral("a.db"));
        QString error;
        auto a = computer(cache, &error);
        QVERIFY2(a, qPrintable(error));
        QVERIFY2(succeeded(a->addChild(QStringLiteral("ريم")), &error), qPrintable(error));
        QVERIFY2(succeeded(a->recordResult(QStringLiteral("Y")), &error), qPrintable(error));
        QTRY_COMPARE(serverOf(*a)->waiting(), 0);
        const QString id = admin(QStringLiteral("SELECT id::text FROM answers")).toString();
        QVERIFY(!id.isEmpty());
        {
            // As if the program had been killed between the server's commit
            // and the removal from the outbox.
            QSqlDatabase raw = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("raw"));
            raw.setDatabaseName(cache);
            QVERIFY(raw.open());
            QSqlQuery q(raw);
            QVERIFY(q.prepare(QStringLiteral("INSERT INTO Outbox (Id, Service, Child, Time, Correct) "
                                             "VALUES (?, ?, 1, 0, 1)")));
            q.addBindValue(id);
            q.addBindValue(Service);
            QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("raw"));
        QVERIFY2(succeeded(a->recordResult(QStringLiteral("Y")), &error), qPrintable(error)); // sends both
        QTRY_COMPARE(serverOf(*a)->waiting(), 0);
        QCOMPARE(admin(QStringLiteral("SELECT ok FROM table1")).toInt(), 2);
        QCOMPARE(admin(QStringLiteral("SELECT COUNT(*) FROM answers")).toInt(), 2);
        QTRY_COMPARE(a->integer(Field::Ok), 2);
    }

    // The server stops in the middle of play and comes back: the child plays
    // on, the strip says answers wait, and every answer reaches the server once.
    void serverStopsInTheMiddleOfPlay()
    {
        QTemporaryDir dir;
        QString error;
        auto a = computer(dir.filePath(QStringLiteral("a.db")), &error);
        QVERIFY2(a, qPrintable(error));
        QVERIFY2(succeeded(a->addChild(QStringLiteral("نور")), &error), qPrintable(error));
        ServerStore *server = serverOf(*a);
        QSignalSpy states(server, &ResultsStore::stateChanged);
        for (int i = 0; i < 10; ++i)
            QVERIFY2(succeeded(a->recordResult(i % 3 ? QStringLiteral("Y") : QStringLiteral("N")), &error), qPrintable(error));
        QTRY_COMPARE(server->waiting(), 0);

        QVERIFY(serverCtl("stop"));
        QElapsedTimer played;
        played.start();
        for (int i = 10; i < 40; ++i) {
            QVERIFY2(succeeded(a->recordResult(i % 3 ? QStringLiteral("Y") : QStringLiteral("N")), &error), qPrintable(error));
            QTest::qWait(5);
        }
        QTRY_VERIFY(!server->online());
        QVERIFY2(played.elapsed() < 5000, "counting waited for the absent server");
        QCOMPARE(server->waiting(), 30);
        QVERIFY2(server->stateText().contains(QLocale().toString(30)), qPrintable(server->stateText()));
        QCOMPARE(a->integer(Field::Ok), 26); // 40 answers, every third wrong
        QCOMPARE(a->integer(Field::NotOk), 14);

        QVERIFY(serverCtl("start"));
        QTRY_COMPARE_WITH_TIMEOUT(server->waiting(), 0, 20000);
        // The sender's thread empties the outbox, then tells the window's
        // thread it is online: the two can be seen a moment apart.
        QTRY_VERIFY(server->online());
        QVERIFY(server->stateText().isEmpty());
        reconnectAdmin();
        QCOMPARE(admin(QStringLiteral("SELECT ok || '/' || notok FROM table1")).toString(), QStringLiteral("26/14"));
        QCOMPARE(admin(QStringLiteral("SELECT COUNT(DISTINCT id) || '/' || COUNT(*) FROM answers")).toString(),
                 QStringLiteral("40/40"));
        QCOMPARE(a->integer(Field::Ok), 26);
        QVERIFY(states.count() > 0);
    }

    // Two quiz processes count the same child 1,000 times each, at the same
    // moment: the server has all 2,000.
    void twoProcessesCountTheSameChild()
    {
        QTemporaryDir dir;
        QCOMPARE(admin(QStringLiteral("INSERT INTO table1 (name) VALUES ('هدى') RETURNING no")).toInt(), 1);
        QProcess players[2];
        for (int i = 0; i < 2; ++i) {
            players[i].setProcessChannelMode(QProcess::ForwardedErrorChannel);
            players[i].start(QStringLiteral(SCHOOLPLAYER),
                             {Service, dir.filePath(QStringLiteral("p%1.db").arg(i)), QStringLiteral("1"),
                              QStringLiteral("--answers"), QStringLiteral("1000")});
        }
        for (QProcess &p : players) {
            QVERIFY(p.waitForFinished(150000));
            QCOMPARE(p.exitStatus(), QProcess::NormalExit);
            QCOMPARE(p.exitCode(), 0);
            QVERIFY(p.readAllStandardOutput().startsWith("counted 1000\n"));
        }
        QCOMPARE(admin(QStringLiteral("SELECT ok FROM table1 WHERE no = 1")).toInt(), 2000);
        QCOMPARE(admin(QStringLiteral("SELECT COUNT(*) FROM answers WHERE child = 1")).toInt(), 2000);
    }

    // A wrong password or an unknown service: a clear Arabic reason, the
    // table stays usable, answers wait and arrive once the password is right.
    void wrongPasswordOrService()
    {
        QTemporaryDir dir;
        const QString cache = dir.filePath(QStringLiteral("a.db"));
        QString error;
        {
            auto a = computer(cache, &error);
            QVERIFY2(a, qPrintable(error));
            QVERIFY2(succeeded(a->addChild(QStringLiteral("سلمى")), &error), qPrintable(error));
        }
        QString reason;
        QVERIFY(!succeeded(ServerStore::probe(QStringLiteral("nosuch")), &reason));
        QVERIFY2(reason.contains(QStringLiteral("pg_service.conf")), qPrintable(reason));
        QVERIFY(!succeeded(ServerStore::probe(QStringLiteral("bad name")), &reason));
        QVERIFY2(reason.contains(QStringLiteral("غير صالح")), qPrintable(reason));

        const QByteArray rightPass = qgetenv("PGPASSFILE");
        const QString wrongPass = dir.filePath(QStringLiteral("pgpass"));
        QByteArray lines = testsupport::readFile(QString::fromLocal8Bit(rightPass));
        lines.replace(":school:room:", ":school:room:x");
        QVERIFY(testsupport::writeFile(wrongPass, lines));
        QFile::setPermissions(wrongPass, QFile::ReadOwner | QFile::WriteOwner);
        qputenv("PGPASSFILE", wrongPass.toLocal8Bit());
        QVERIFY(!succeeded(ServerStore::probe(Service), &reason));
        QVERIFY2(reason.contains(QStringLiteral("كلمة المرور")), qPrintable(reason));

        // The computer starts again with the wrong password: the copy of the
        // table is there, and the game counts on.
        auto a = computer(cache, &error);
        QVERIFY2(a, qPrintable(error));
        ServerStore *server = serverOf(*a);
        QTRY_VERIFY(server->problem().contains(QStringLiteral("كلمة المرور")));
        QCOMPARE(a->recordCount(), 1);
        for (int i = 0; i < 3; ++i)
            QVERIFY2(succeeded(a->recordResult(QStringLiteral("Y")), &error), qPrintable(error));
        QCOMPARE(a->integer(Field::Ok), 3);
        QCOMPARE(server->waiting(), 3);
        QVERIFY(!server->stateText().isEmpty());
        QVERIFY(admin(QStringLiteral("SELECT ok FROM table1")).isNull());

        qputenv("PGPASSFILE", rightPass);
        QTRY_COMPARE_WITH_TIMEOUT(server->waiting(), 0, 10000);
        QCOMPARE(admin(QStringLiteral("SELECT ok FROM table1")).toInt(), 3);
    }

    // The teacher switches the children's page to the server and back; a
    // wrong service is refused with its reason and changes nothing.
    void pageSwitchesStore()
    {
        testsupport::ProgramFolder folder;
        ScriptedDialogs dialogs;
        ChildrenPage page(dialogs);
        page.setServerRetryInterval(200);
        page.openTable(folder.appDir() + QStringLiteral("results.db"), folder.dataDir());
        QVERIFY(!page.Table1->isShared());
        QString error;
        QVERIFY(succeeded(page.Table1->addChild(QStringLiteral("في الملف")), &error));

        dialogs.textAnswers.enqueue(QStringLiteral("nosuch"));
        try {
            page.chooseServer();
            QFAIL("an unknown service was taken");
        } catch (const QuizError &e) {
            QVERIFY2(e.text().contains(QStringLiteral("تعذر الاتصال بخادم المدرسة")), qPrintable(e.text()));
        }
        QVERIFY(!page.Table1->isShared());
        QCOMPARE(page.Table1->recordCount(), 1);
        QVERIFY(StoreChoice::read(folder.dataDir()).isEmpty());

        admin(QStringLiteral("INSERT INTO table1 (name) VALUES ('على الخادم'), ('ثانٍ')"));
        dialogs.textAnswers.enqueue(Service);
        page.chooseServer();
        QVERIFY(page.Table1->isShared());
        QCOMPARE(StoreChoice::read(folder.dataDir()), Service);
        QCOMPARE(testsupport::readFile(folder.dataDir() + StoreChoice::fileName()), QByteArray("quiztest\n"));
        QTRY_COMPARE(page.Table1->recordCount(), 2);
        QVERIFY(page.StoreLbl->text().contains(Service));

        // The chart and the export read the server's history.
        QVERIFY(page.Table1->findKey(QStringLiteral("2")));
        page.recordResult(QStringLiteral("Y"), AnswerDetails{QStringLiteral("درس"), 0, 1, 1});
        QTRY_COMPARE(serverOf(*page.Table1)->waiting(), 0);
        ChildHistory history;
        QString error2;
        QVERIFY2(succeeded(AnswerHistory::readChild(*page.Table1, 2, QStringLiteral("درس"), 0,
                                                    QDate::currentDate(), &history),
                           &error2),
                 qPrintable(error2));
        QCOMPARE(history.answers, 1);
        QCOMPARE(history.choices[0][0], 1);
        QCOMPARE(history.days.size(), 1);
        const QString csv = folder.path() + QStringLiteral("/answers.csv");
        dialogs.saveFileAnswers.enqueue(csv);
        page.exportAnswers();
        const QString written = QString::fromUtf8(testsupport::readFile(csv));
        QVERIFY2(written.contains(QStringLiteral("ثانٍ")) && written.contains(QStringLiteral("صح")),
                 qPrintable(written));

        page.chooseLocalFile();
        QVERIFY(!page.Table1->isShared());
        QCOMPARE(page.Table1->recordCount(), 1);
        QVERIFY(!QFile::exists(folder.dataDir() + StoreChoice::fileName()));
    }

    // The real window on a computer that has never reached the server,
    // started while the server is away: an answer then makes no child "-"
    // for the whole school, and the child the options name becomes current
    // once the rows arrive. With the server gone in play the child plays on,
    // no box appears, and the status strip quietly says how many answers
    // wait, until the server has them.
    void windowPlaysOnWithoutTheServer()
    {
        admin(QStringLiteral("INSERT INTO table1 (name) VALUES ('أول'), ('منى')"));
        QVERIFY(serverCtl("stop"));
        QuizWindow w([](QuizWindow &w) {
            QVERIFY(testsupport::writeFile(w.data(StoreChoice::fileName()), "quiztest\n"));
            // The current child.
            QVERIFY(testsupport::writeFile(w.data(QStringLiteral("options.txt")),
                                           optionsWithLine(w.optionsBytes(), 20, "2")));
        });
        ResultsTable *Table1 = w.control<ResultsTable>("Table1");
        QLabel *SchoolLbl = w.control<QLabel>("SchoolLbl");
        const auto answerRight = [&w] {
            w.clickPanel(w.asked());
            w.waitForNextQuestion();
        };
        QVERIFY(Table1->isShared());
        QCOMPARE(w.form->currentChildNo(), 0);
        answerRight();
        QCOMPARE(Table1->recordCount(), 0);

        QVERIFY(serverCtl("start"));
        QTRY_COMPARE_WITH_TIMEOUT(w.form->currentChildNo(), 2, 20000);
        QCOMPARE(w.control<QLabel>("DBText1")->text(), QStringLiteral("منى"));
        QTRY_VERIFY(serverOf(*Table1)->online());
        QVERIFY(SchoolLbl->isHidden());
        // The settings loaded again (a lesson chosen): the teacher's child stays.
        QVERIFY(Table1->first());
        w.form->LoadOptions();
        QCOMPARE(w.form->currentChildNo(), 1);
        QVERIFY(w.form->findChildByKey(QStringLiteral("2")));
        w.form->LoadOptions(); // nor is the table opened anew, which would put the first child back
        QCOMPARE(w.form->currentChildNo(), 2);
        reconnectAdmin();
        QCOMPARE(admin(QStringLiteral("SELECT COUNT(*) FROM table1")).toInt(), 2);

        QVERIFY(serverCtl("stop"));
        for (int i = 0; i < 3; ++i)
            answerRight();
        QCOMPARE(w.control<QLabel>("DBText3")->text(), QLocale().toString(3));
        QTRY_VERIFY(SchoolLbl->isVisible());
        QVERIFY2(SchoolLbl->text().contains(QLocale().toString(3)), qPrintable(SchoolLbl->text()));

        QVERIFY(serverCtl("start"));
        QTRY_VERIFY_WITH_TIMEOUT(SchoolLbl->isHidden(), 20000);
        reconnectAdmin();
        QCOMPARE(admin(QStringLiteral("SELECT ok FROM table1 WHERE no = 2")).toInt(), 3);
        QCOMPARE(w.messages() + w.errors(), QStringList());
    }
};

QTEST_MAIN(TestSchoolServer)
#include "tst_schoolserver.moc"
