// The children's table on a real PostgreSQL server (started by
// scripts/test.sh through scripts/pg-server.sh, with TLS): several computers
// sharing it, the server taken away in the middle of play, answers sent
// again after a lost acknowledgement, two processes counting the same child
// (over TCP with TLS and over the Unix socket), a wrong password or service,
// servers that cannot prove who they are, and what the computers' and the
// teachers' logins may do.
#include "ui/children/childrenpage.h"
#include "core/base/quizerror.h"
#include "support/scripteddialogs.h"
#include "core/records/answerhistory.h"
#include "core/records/progressreport.h"
#include "core/records/resultsmodel.h"
#include "core/records/resultstable.h"
#include "core/records/schoolserver.h"
#include "core/records/serverstore.h"
#include "core/records/storechoice.h"
#include "support/quizwindow.h"
#include "support/testsupport.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QLabel>
#include <QLineEdit>
#include <QMutex>
#include <QProcess>
#include <QSemaphore>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <algorithm>
#include <memory>
#include <vector>

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

QString teacherPassword()
{
    return qEnvironmentVariable("QUIZ_PG_TEACHER_PW");
}

quint32 bigEndian32(const QByteArray &bytes, int at)
{
    const auto *b = reinterpret_cast<const uchar *>(bytes.constData() + at);
    return quint32(b[0]) << 24 | quint32(b[1]) << 16 | quint32(b[2]) << 8 | quint32(b[3]);
}

// A server on 127.0.0.1 that answers for the school's: it declines TLS and
// asks for the password in clear text, and keeps every byte it is sent.
class FakeServer : public QThread
{
public:
    ~FakeServer() override
    {
        m_stop.storeRelaxed(1);
        wait();
    }
    quint16 listen()
    {
        start();
        m_ready.acquire();
        return m_port;
    }
    QByteArray received()
    {
        QMutexLocker lock(&m_mutex);
        return m_received;
    }
    void forget()
    {
        QMutexLocker lock(&m_mutex);
        m_received.clear();
    }

protected:
    void run() override
    {
        QTcpServer server;
        server.listen(QHostAddress::LocalHost, 0);
        m_port = server.serverPort();
        m_ready.release();
        struct Client
        {
            std::unique_ptr<QTcpSocket> socket;
            QByteArray buffer;
            bool started = false;
        };
        std::vector<Client> clients;
        while (!m_stop.loadRelaxed()) {
            if (!server.hasPendingConnections())
                server.waitForNewConnection(10);
            while (server.hasPendingConnections())
                clients.push_back({std::unique_ptr<QTcpSocket>(server.nextPendingConnection()), {}, false});
            for (Client &c : clients) {
                if (!c.socket->waitForReadyRead(10))
                    continue;
                const QByteArray bytes = c.socket->readAll();
                {
                    QMutexLocker lock(&m_mutex);
                    m_received += bytes;
                }
                c.buffer += bytes;
                // The untyped first messages: a request for TLS (or GSS),
                // then the start-up message with the user's name.
                while (!c.started && c.buffer.size() >= 8 && c.buffer.size() >= int(bigEndian32(c.buffer, 0))) {
                    const quint32 length = bigEndian32(c.buffer, 0);
                    const quint32 code = bigEndian32(c.buffer, 4);
                    c.buffer.remove(0, int(qMax<quint32>(length, 8)));
                    if (code == 80877103 || code == 80877104) {
                        c.socket->write("N");
                    } else {
                        c.started = true;
                        c.socket->write(QByteArray("R\0\0\0\x08\0\0\0\x03", 9)); // the password, in clear text
                    }
                    c.socket->flush();
                }
            }
            clients.erase(std::remove_if(clients.begin(), clients.end(),
                                         [](const Client &c) {
                                             return c.socket->state() != QAbstractSocket::ConnectedState;
                                         }),
                          clients.end());
        }
    }

private:
    QSemaphore m_ready;
    QAtomicInt m_stop;
    quint16 m_port = 0;
    QMutex m_mutex;
    QByteArray m_received;
};

// The service file and the password file for the length of a test, with
// more services in them.
class ExtraServices
{
public:
    ExtraServices(const QString &folder, const QByteArray &services, const QByteArray &passwords)
        : m_services(qgetenv("PGSERVICEFILE")), m_passwords(qgetenv("PGPASSFILE"))
    {
        const QString serviceFile = folder + QStringLiteral("/pg_service.conf");
        const QString passFile = folder + QStringLiteral("/pgpass");
        testsupport::writeFile(serviceFile,
                               testsupport::readFile(QString::fromLocal8Bit(m_services)) + '\n' + services);
        testsupport::writeFile(passFile, testsupport::readFile(QString::fromLocal8Bit(m_passwords)) + passwords);
        QFile::setPermissions(passFile, QFile::ReadOwner | QFile::WriteOwner);
        qputenv("PGSERVICEFILE", serviceFile.toLocal8Bit());
        qputenv("PGPASSFILE", passFile.toLocal8Bit());
    }
    ~ExtraServices()
    {
        qputenv("PGSERVICEFILE", m_services);
        qputenv("PGPASSFILE", m_passwords);
    }

private:
    QByteArray m_services;
    QByteArray m_passwords;
};

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
            QVERIFY2(succeeded(a->recordResult(judgementFromText(QLatin1String(result))), &error), qPrintable(error));
        QCOMPARE(a->integer(Field::Ok), 2); // shown at once, before the server has it
        QTRY_COMPARE(admin(QStringLiteral("SELECT ok || '/' || notok FROM table1 WHERE no = 2")).toString(),
                     QStringLiteral("2/1"));
        QTRY_COMPARE(grid.data(grid.index(1, ResultsModel::OkColumn)).toInt(), 2);
        QCOMPARE(grid.data(grid.index(1, ResultsModel::NotOkColumn)).toInt(), 1);
        QCOMPARE(b->currentNo(), 1); // the teacher's cursor stays

        // A reset on one computer reaches the child shown on the other.
        QVERIFY(b->findKey(QStringLiteral("2")));
        QVERIFY(!succeeded(b->resetCounts(), &error)); // the computers' login may not
        QVERIFY2(error.contains(ServerStore::teacherPasswordText()), qPrintable(error));
        serverOf(*b)->setTeacherPassword(teacherPassword());
        QVERIFY2(succeeded(b->resetCounts(), &error), qPrintable(error));
        QTRY_COMPARE(a->integer(Field::Ok), 0);
        QCOMPARE(a->text(Field::NotOk), QStringLiteral("0"));
        QCOMPARE(admin(QStringLiteral("SELECT COUNT(*) || '/' || SUM(event) FROM answers WHERE child = 2")).toString(),
                 QStringLiteral("4/1"));

        // The quiz's login may only play: it can neither read nor write a
        // table, nor call the teachers' functions, nor make anything; what
        // it sends is checked and kept in bounds.
        QVERIFY2(succeeded(SchoolServer::connect(QStringLiteral("room"), Service), &error), qPrintable(error));
        {
            QSqlDatabase room = QSqlDatabase::database(QStringLiteral("room"), false);
            for (const char *sql :
                 {"DELETE FROM quiz.answers", "DELETE FROM quiz.table1", "TRUNCATE quiz.table1", "TRUNCATE quiz.answers",
                  "UPDATE quiz.answers SET correct = 1", "UPDATE quiz.table1 SET ok = 1000", "UPDATE quiz.table1 SET no = 9",
                  "SELECT * FROM quiz.table1", "INSERT INTO quiz.table1 (name, ok) VALUES ('x', 99)",
                  "DROP TABLE quiz.answers", "SELECT quiz.delete_child(1)", "SELECT quiz.rename_child(1, 'x')",
                  "SELECT quiz.reset_child(1, gen_random_uuid(), 0)", "CREATE TABLE public.mine (x integer)",
                  "CREATE TABLE quiz.mine (x integer)", "CREATE TEMP TABLE mine (x integer)",
                  "CREATE FUNCTION public.now() RETURNS timestamptz LANGUAGE sql AS 'SELECT NULL::timestamptz'"}) {
                QSqlQuery q(room);
                QVERIFY2(!q.exec(QLatin1String(sql)), sql);
                QVERIFY2(q.lastError().nativeErrorCode() == QLatin1String("42501"), sql);
            }
            // A forged answer: a time far ahead, a count and choices out of
            // range, a name too long and with control characters.
            QSqlQuery q(room);
            QVERIFY(q.exec(QStringLiteral("SELECT no FROM quiz.add_child(E'\\u202Eab\\ncd' || repeat('x', 80))")));
            QVERIFY(q.next());
            const int forged = q.value(0).toInt();
            q.finish();
            QVERIFY(q.exec(QStringLiteral("SELECT ok FROM quiz.count_answer(gen_random_uuid(), 9000000000000000, "
                                          "'l', 7, 9, -1, 5, %1)").arg(forged)));
            QVERIFY(q.next());
            QCOMPARE(q.value(0).toInt(), 0); // counted as one wrong answer
            q.finish();
            QCOMPARE(admin(QStringLiteral("SELECT char_length(name) || '/' || (name ~ '[[:cntrl:]]')::text || '/' || "
                                          "(SELECT (time <= extract(epoch FROM now()) * 1000 + 1000)::text || "
                                          "coalesce(asked, 0) || coalesce(clicked, 0) || coalesce(questiontype, -1) "
                                          "FROM answers WHERE child = no) FROM table1 WHERE no = %1").arg(forged))
                         .toString(),
                     QStringLiteral("50/false/true00-1"));
            QCOMPARE(admin(QStringLiteral("SELECT quiz.delete_child(%1)").arg(forged)).toBool(), true);
        }
        SchoolServer::disconnect(QStringLiteral("room"));

        // Deleting on one computer moves the other's cursor on, as a
        // deletion there would.
        QVERIFY(a->findKey(QStringLiteral("1")));
        serverOf(*b)->setTeacherPassword(teacherPassword());
        QVERIFY2(succeeded(b->deleteChild(), &error), qPrintable(error)); // b stands on child 2
        QCOMPARE(b->currentNo(), 1);
        QVERIFY(a->findKey(QStringLiteral("1")));
        serverOf(*a)->setTeacherPassword(teacherPassword());
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
        QVERIFY2(succeeded(a->recordResult(Judgement::Right), &error), qPrintable(error));
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
        QVERIFY2(succeeded(a->recordResult(Judgement::Right), &error), qPrintable(error)); // sends both
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
            QVERIFY2(succeeded(a->recordResult(i % 3 ? Judgement::Right : Judgement::Wrong), &error), qPrintable(error));
        QTRY_COMPARE(server->waiting(), 0);

        QVERIFY(serverCtl("stop"));
        QElapsedTimer played;
        played.start();
        for (int i = 10; i < 40; ++i) {
            QVERIFY2(succeeded(a->recordResult(i % 3 ? Judgement::Right : Judgement::Wrong), &error), qPrintable(error));
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
    // moment, one over TCP with TLS and one over the Unix socket: the server
    // has all 2,000.
    void twoProcessesCountTheSameChild()
    {
        QTemporaryDir dir;
        QCOMPARE(admin(QStringLiteral("INSERT INTO table1 (name) VALUES ('هدى') RETURNING no")).toInt(), 1);
        QProcess players[2];
        for (int i = 0; i < 2; ++i) {
            players[i].setProcessChannelMode(QProcess::ForwardedErrorChannel);
            players[i].start(QStringLiteral(SCHOOLPLAYER),
                             {i == 0 ? Service : QStringLiteral("quizsocket"), dir.filePath(QStringLiteral("p%1.db").arg(i)), QStringLiteral("1"),
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
            QVERIFY2(succeeded(a->recordResult(Judgement::Right), &error), qPrintable(error));
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
        ResultsTable table;
        ChildrenPage page(table, dialogs);
        page.setServerRetryInterval(200);
        page.openTable(folder.appDir() + QStringLiteral("results.db"), folder.dataDir());
        QVERIFY(!table.isShared());
        QString error;
        QVERIFY(succeeded(table.addChild(QStringLiteral("في الملف")), &error));

        dialogs.textAnswers.enqueue(QStringLiteral("nosuch"));
        try {
            page.chooseServer();
            QFAIL("an unknown service was taken");
        } catch (const QuizError &e) {
            QVERIFY2(e.text().contains(QStringLiteral("تعذر الاتصال بخادم المدرسة")), qPrintable(e.text()));
        }
        QVERIFY(!table.isShared());
        QCOMPARE(table.recordCount(), 1);
        QVERIFY(StoreChoice::read(folder.dataDir()).isEmpty());

        admin(QStringLiteral("INSERT INTO table1 (name) VALUES ('على الخادم'), ('ثانٍ')"));
        dialogs.textAnswers.enqueue(Service);
        page.chooseServer();
        QVERIFY(table.isShared());
        QCOMPARE(StoreChoice::read(folder.dataDir()), Service);
        QCOMPARE(testsupport::readFile(folder.dataDir() + StoreChoice::fileName()), QByteArray("quiztest\n"));
        QTRY_COMPARE(table.recordCount(), 2);
        QVERIFY(page.findChild<QLabel *>(QStringLiteral("StoreLbl"))->text().contains(Service));

        // The chart and the export read the server's history.
        QVERIFY(table.findKey(QStringLiteral("2")));
        page.recordResult(Judgement::Right, AnswerDetails{QStringLiteral("درس"), QuestionType::Colours, 1, 1});
        QTRY_COMPARE(serverOf(table)->waiting(), 0);
        ChildHistory history;
        QString error2;
        QVERIFY2(succeeded(AnswerHistory::readChild(table, 2, QStringLiteral("درس"), QuestionType::Colours,
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
        // So do the reports.
        ChildReport report;
        QVERIFY2(succeeded(ProgressReport::readChild(table, 2, QStringLiteral("درس"), QuestionType::Colours, ReportPeriod::Everything,
                                                     QDateTime::currentDateTimeUtc(), &report),
                           &error2),
                 qPrintable(error2));
        QCOMPARE(report.name, QStringLiteral("ثانٍ"));
        QCOMPARE(report.right + report.wrong, 1);
        QCOMPARE(report.history.choices[0][0], 1);
        QCOMPARE(report.sessions.size(), 1);
        ClassReport klass;
        QVERIFY2(succeeded(ProgressReport::readClass(table, &klass), &error2), qPrintable(error2));
        QCOMPARE(klass.rows.size(), 2);
        QCOMPARE(klass.rows.at(0).name, QStringLiteral("ثانٍ")); // by name in Arabic order
        QCOMPARE(klass.rows.at(0).answers, 1);
        QCOMPARE(klass.rows.at(0).right, 1);
        QVERIFY(klass.rows.at(0).lastPlayed.isValid());
        QCOMPARE(klass.rows.at(1).answers, 0);

        page.chooseLocalFile();
        QVERIFY(!table.isShared());
        QCOMPARE(table.recordCount(), 1);
        QVERIFY(!QFile::exists(folder.dataDir() + StoreChoice::fileName()));
    }

    // The password goes only to a server that proves it is the school's: a
    // server declining TLS (even with a service that asks for no TLS), one
    // whose certificate is for another name, or a computer without the root
    // certificate get nothing, and the computer says why, quietly.
    void passwordOnlyToTheProvenServer()
    {
        FakeServer fake;
        const quint16 port = fake.listen();
        QTemporaryDir dir;
        const QByteArray secret = "fake-secret-" + QByteArray::number(QRandomGenerator::global()->generate());
        const QByteArray pgPort = qgetenv("QUIZ_PG_PORT");
        const QByteArray root = qgetenv("QUIZ_PG_DIR") + "/root.crt";
        ExtraServices services(dir.path(),
                               "[fake]\nhost=127.0.0.1\nport=" + QByteArray::number(port)
                                   + "\ndbname=school\nuser=room\nsslmode=disable\nchannel_binding=disable\n\n"
                                     "[elsewhere]\nhost=not-the-school.example\nhostaddr=127.0.0.1\nport="
                                   + pgPort + "\ndbname=school\nuser=room\nsslrootcert=" + root
                                   + "\n\n[noroot]\nhost=127.0.0.1\nport=" + pgPort
                                   + "\ndbname=school\nuser=room\nsslrootcert=" + dir.path().toLocal8Bit()
                                   + "/none/root.crt\n",
                               "*:" + QByteArray::number(port) + ":school:room:" + secret + "\n");

        // What the fake server gets from a client that follows the service:
        // the password (the test would see a leak).
        {
            QSqlDatabase plain = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("plain"));
            plain.setConnectOptions(QStringLiteral("service=fake;connect_timeout=3"));
            QVERIFY(!plain.open());
        }
        QSqlDatabase::removeDatabase(QStringLiteral("plain"));
        QTRY_VERIFY(fake.received().contains(secret));
        fake.forget();

        const struct
        {
            const char *service;
            const char *reason;
        } rows[] = {{"fake", "TLS"}, {"elsewhere", "لاسم خادم آخر"}, {"noroot", "root.crt"}};
        for (const auto &row : rows) {
            QString reason;
            QVERIFY2(!succeeded(ServerStore::probe(QLatin1String(row.service)), &reason), row.service);
            QVERIFY2(reason.contains(QString::fromUtf8(row.reason)), qPrintable(QLatin1String(row.service) + QLatin1Char(' ') + reason));
        }
        QVERIFY(fake.received().startsWith(QByteArray("\0\0\0\x08\x04\xd2\x16\x2f", 8))); // asked for TLS
        QVERIFY(!fake.received().contains(secret));

        // A computer on it counts on into its outbox and says why in its
        // quiet line, trying again and again without ever sending it.
        QString error;
        auto a = computer(dir.filePath(QStringLiteral("a.db")), &error, QStringLiteral("fake"));
        QVERIFY2(a, qPrintable(error));
        ServerStore *server = serverOf(*a);
        QTRY_VERIFY(server->problem().contains(QStringLiteral("TLS")));
        QVERIFY(!server->online());
        QTest::qWait(600);
        QVERIFY(!server->stateText().isEmpty());
        QVERIFY(!fake.received().contains(secret));
        QVERIFY(fake.received().size() >= 16);
    }

    // What the server sends is taken in bounds: a name written past the
    // functions comes without its control characters; a flood
    // of notices, junk among them, is one reading of the table; a table of
    // more children than a computer takes is refused with its reason.
    void whatTheServerSendsIsBounded()
    {
        QTemporaryDir dir;
        QString error;
        admin(QStringLiteral("INSERT INTO table1 (name) VALUES ('أ')"));
        auto a = computer(dir.filePath(QStringLiteral("a.db")), &error);
        QVERIFY2(a, qPrintable(error));
        QTRY_COMPARE(a->recordCount(), 1);
        QCOMPARE(admin(QStringLiteral("UPDATE table1 SET name = E'\\u202Eab\\ncd\\u0007' || repeat('x', 40) WHERE no = 1")), QVariant());
        admin(QStringLiteral("SELECT pg_notify('quiz_table1', x) FROM (SELECT g::text AS x FROM generate_series(1, 400) g "
                             "UNION ALL VALUES ('-5'), ('x'), (repeat('9', 7000))) s"));
        QTRY_COMPARE(a->text(Field::Name), QStringLiteral("abcd") + QString(40, QLatin1Char('x')));
        QVERIFY(serverOf(*a)->online());
        QCOMPARE(a->recordCount(), 1);

        a.reset();
        admin(QStringLiteral("INSERT INTO table1 (name) SELECT 'ط' FROM generate_series(1, %1)").arg(SchoolServer::MaxRows));
        auto b = computer(dir.filePath(QStringLiteral("b.db")), &error);
        QVERIFY2(b, qPrintable(error));
        QTRY_VERIFY(serverOf(*b)->problem().contains(QLocale().toString(SchoolServer::MaxRows)));
        QCOMPARE(b->recordCount(), 0);
    }

    // On the children's page a reset and a deletion ask for the teachers'
    // password, use it for that operation only and keep it nowhere; a wrong
    // one or none changes nothing.
    void teacherResetsAndDeletes()
    {
        testsupport::ProgramFolder folder;
        ScriptedDialogs dialogs;
        ResultsTable table;
        ChildrenPage page(table, dialogs);
        page.setServerRetryInterval(200);
        QCOMPARE(admin(QStringLiteral("INSERT INTO table1 (name, ok, notok) VALUES ('ليلى', 4, 2), ('عمر', 1, 1) "
                                      "RETURNING no")).toInt(), 1);
        QVERIFY(testsupport::writeFile(folder.dataDir() + StoreChoice::fileName(), "quiztest\n"));
        page.openTable(folder.appDir() + QStringLiteral("results.db"), folder.dataDir());
        QTRY_COMPARE(table.recordCount(), 2);
        QVERIFY(table.findKey(QStringLiteral("1")));
        const QString typedWrong = QStringLiteral("not-the-teachers-password");

        const auto reset = [&](const std::optional<QString> &password) -> QString {
            dialogs.confirmAnswers.enqueue(true);
            dialogs.passwordAnswers.enqueue(password);
            try {
                page.resetChild();
            } catch (const QuizError &e) {
                return e.text();
            }
            return QString();
        };
        QCOMPARE(reset(std::nullopt), QString()); // cancelled: nothing asked of the server
        QVERIFY2(reset(typedWrong).contains(QStringLiteral("كلمة مرور المعلمين")), "a wrong password was taken");
        QCOMPARE(admin(QStringLiteral("SELECT ok || '/' || notok FROM table1 WHERE no = 1")).toString(),
                 QStringLiteral("4/2"));
        QCOMPARE(reset(teacherPassword()), QString());
        QCOMPARE(admin(QStringLiteral("SELECT ok || '/' || notok || '/' || (SELECT COUNT(*) FROM answers "
                                      "WHERE child = 1 AND event = 1) FROM table1 WHERE no = 1")).toString(),
                 QStringLiteral("0/0/1"));
        QCOMPARE(table.integer(Field::Ok), 0);

        dialogs.confirmAnswers.enqueue(true);
        dialogs.passwordAnswers.enqueue(teacherPassword());
        page.deleteChild();
        QCOMPARE(admin(QStringLiteral("SELECT COUNT(*) || '/' || (SELECT COUNT(*) FROM answers) FROM table1")).toString(),
                 QStringLiteral("1/0"));
        QCOMPARE(table.recordCount(), 1);

        // Asked each time, shown nowhere, kept in no file of the program.
        QCOMPARE(dialogs.count(ScriptedDialogs::Kind::Password), 4);
        for (const ScriptedDialogs::Call &call : dialogs.calls())
            QVERIFY(!call.text.contains(teacherPassword()) && !call.text.contains(typedWrong));
        QDirIterator files(folder.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (files.hasNext()) {
            const QByteArray bytes = testsupport::readFile(files.next());
            QVERIFY2(!bytes.contains(teacherPassword().toUtf8()), qPrintable(files.filePath()));
        }
        QVERIFY(!QSqlDatabase::connectionNames().filter(QStringLiteral("teacher")).size());
    }

    // The setup file on a database made by the earlier one, with its rows:
    // run once, the rows are kept and the old login may only play; run again,
    // nothing changes.
    void setupFileUpgradesAndRepeats()
    {
        QVERIFY(admin(QStringLiteral("SELECT 1 FROM pg_database WHERE datname = 'upgraded'")).isNull());
        QCOMPARE(admin(QStringLiteral("CREATE DATABASE upgraded")), QVariant());
        const auto psql = [](const QString &file) {
            QProcess p;
            p.setProcessChannelMode(QProcess::MergedChannels);
            p.start(QStringLiteral("psql"), {QStringLiteral("service=quizadmin dbname=upgraded"), QStringLiteral("-qX"),
                                             QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1"), QStringLiteral("-f"), file});
            return p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0
                       ? QByteArray()
                       : p.readAll() + "<failed>";
        };
        const QString setup = testsupport::sourcePath(QStringLiteral("core/records/school-server.sql"));
        QCOMPARE(psql(testsupport::testData(QStringLiteral("records-school/school-server-v1.sql"))), QByteArray());
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("upgraded"));
        db.setConnectOptions(QStringLiteral("service=quizadmin;dbname=upgraded"));
        QVERIFY(db.open());
        const auto on = [&db](const QString &sql) {
            QSqlQuery q(db);
            return q.exec(sql) && q.next() ? q.value(0) : QVariant();
        };
        on(QStringLiteral("CREATE ROLE earlier LOGIN PASSWORD 'earlier-pw' IN ROLE quiz_player"));
        on(QStringLiteral("INSERT INTO table1 (name, ok, notok) VALUES ('قديم', 3, 1)"));
        on(QStringLiteral("INSERT INTO answers (id, child, time) VALUES (gen_random_uuid(), 1, 5)"));

        const QString state = QStringLiteral(
            "SELECT string_agg(x, ' ' ORDER BY x) FROM ("
            " SELECT c.relname || coalesce(c.relacl::text, '') || pg_get_userbyid(c.relowner) AS x FROM pg_class c"
            "  WHERE c.relnamespace IN ('quiz'::regnamespace, 'public'::regnamespace)"
            " UNION ALL SELECT p.oid::regprocedure::text || coalesce(p.proacl::text, '') || md5(p.prosrc)"
            "  || pg_get_userbyid(p.proowner) || p.prosecdef || coalesce(p.proconfig::text, '') FROM pg_proc p"
            "  WHERE p.pronamespace IN ('quiz'::regnamespace, 'public'::regnamespace)"
            " UNION ALL SELECT conname || convalidated FROM pg_constraint WHERE connamespace = 'quiz'::regnamespace"
            " UNION ALL SELECT datacl::text FROM pg_database WHERE datname = current_database()"
            " UNION ALL SELECT nspname || nspacl::text FROM pg_namespace WHERE nspname IN ('public', 'quiz')"
            " UNION ALL SELECT name || ok || notok FROM quiz.table1"
            " UNION ALL SELECT count(*)::text FROM quiz.answers) s");
        QCOMPARE(psql(setup), QByteArray());
        const QVariant once = on(state);
        QVERIFY2(once.toString().contains(QStringLiteral("قديم31")), qPrintable(once.toString()));
        QCOMPARE(psql(setup), QByteArray());
        QCOMPARE(on(state), once);

        // The earlier login, over the socket: it plays and may do no more.
        QString error;
        QSqlDatabase earlier = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("earlier"));
        earlier.setConnectOptions(QStringLiteral("service=quizsocket;dbname=upgraded;user=earlier;password=earlier-pw"));
        QVERIFY2(earlier.open(), qPrintable(earlier.lastError().text()));
        {
            QSqlQuery q(earlier);
            QVERIFY(q.exec(QStringLiteral("SELECT name FROM quiz.children()")) && q.next());
            QCOMPARE(q.value(0).toString(), QStringLiteral("قديم"));
            for (const char *sql : {"DELETE FROM quiz.answers", "UPDATE quiz.table1 SET ok = 0", "DELETE FROM public.table1",
                                    "CREATE TABLE public.mine (x integer)"}) {
                QVERIFY2(!q.exec(QLatin1String(sql)), sql);
                QVERIFY2(q.lastError().nativeErrorCode() == QLatin1String("42501")
                             || q.lastError().nativeErrorCode() == QLatin1String("42P01"),
                         sql);
            }
        }
        earlier.close();
        earlier = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("earlier"));
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("upgraded"));
        QCOMPARE(admin(QStringLiteral("DROP DATABASE upgraded")), QVariant());
        QCOMPARE(admin(QStringLiteral("DROP ROLE earlier")), QVariant());
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
