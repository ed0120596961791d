// Figures of the children's table on the school's PostgreSQL server (the one
// of scripts/pg-server.sh, as bench/run-all.sh and scripts/test.sh start
// it), in one run over TCP with TLS (service "quiztest", figures ending in
// _tls) and over the Unix socket, where TLS does not apply ("quizsocket",
// _socket), so that the cost of TLS is known: an answer counted on the
// server from the click to the server's commit, median and 99th percentile;
// 10,000 answers waiting on a computer sent when the server is reached
// again; 20 computers (processes) counting at once for a minute, answers
// per second and answers lost.
// Usage: bench_school [seconds for the 20 computers, default 60]

#include "core/records/resultstable.h"
#include "core/records/serverstore.h"
#include "core/records/storechoice.h"
#include "support/testsupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QUuid>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

using testsupport::succeeded;

namespace {

int fail(const QString &what)
{
    std::fprintf(stderr, "bench_school: %s\n", qPrintable(what));
    return 1;
}

QVariant admin(const QString &sql)
{
    QSqlQuery q(QSqlDatabase::database(QStringLiteral("admin"), false));
    if (!q.exec(sql) || !q.next())
        return QVariant();
    return q.value(0);
}

double percentile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[std::min(values.size() - 1, size_t(p * double(values.size())))];
}

std::unique_ptr<ResultsTable> computer(const QString &service, const QString &cache, QString *error)
{
    auto store = std::make_unique<ServerStore>(service, cache);
    store->setRetryInterval(100);
    if (!succeeded(store->open(), error))
        return nullptr;
    auto table = std::make_unique<ResultsTable>();
    if (!succeeded(table->openStore(std::move(store)), error))
        return nullptr;
    return table;
}

bool waitDelivered(ServerStore *server, int limitMs)
{
    QElapsedTimer t;
    t.start();
    while (server->waiting() > 0 || !server->online()) {
        if (t.elapsed() > limitMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    return true;
}

} // namespace

// The three measurements over one service; figure names end in `suffix`.
int measure(const QString &service, const char *suffix, int seconds)
{
    QSqlQuery(QSqlDatabase::database(QStringLiteral("admin"))).exec(
        QStringLiteral("TRUNCATE table1, answers RESTART IDENTITY"));
    QTemporaryDir dir;
    QString error;

    // One answer at a time, each waited for until the server has it.
    {
        auto table = computer(service, dir.filePath(QStringLiteral("one.db")), &error);
        if (!table)
            return fail(error);
        auto *server = qobject_cast<ServerStore *>(table->store());
        if (!waitDelivered(server, 10000) || !succeeded(table->addChild(QStringLiteral("قياس")), &error))
            return fail(QStringLiteral("no server: %1 %2").arg(server->problem(), error));
        std::vector<double> ms;
        for (int i = 0; i < 1000; ++i) {
            QElapsedTimer t;
            t.start();
            if (!succeeded(table->recordResult(i % 4 ? Judgement::Right : Judgement::Wrong), &error))
                return fail(error);
            if (!waitDelivered(server, 10000))
                return fail(QStringLiteral("answer not delivered: %1").arg(server->problem()));
            ms.push_back(double(t.nsecsElapsed()) / 1e6);
        }
        std::printf("figure school_answer_on_server_median%s %.2f ms\n", suffix, percentile(ms, 0.5));
        std::printf("figure school_answer_on_server_p99%s %.2f ms\n", suffix, percentile(ms, 0.99));
        std::fflush(stdout);
    }

    // 10,000 answers waiting on a computer whose program could not reach the
    // server; the time from opening the table until the last is on the server.
    {
        const QString cache = dir.filePath(QStringLiteral("outage.db"));
        const int child = admin(QStringLiteral("INSERT INTO table1 (name) VALUES ('انقطاع') RETURNING no")).toInt();
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fill"));
            db.setDatabaseName(cache);
            QString reason;
            {
                // The outbox file as the program makes it.
                auto store = std::make_unique<ServerStore>(QStringLiteral("nosuch"), cache);
                if (!succeeded(store->open(), &reason))
                    return fail(reason);
            }
            if (!db.open() || !db.transaction())
                return fail(db.lastError().text());
            QSqlQuery q(db);
            q.prepare(QStringLiteral("INSERT INTO Outbox (Id, Service, Child, Time, Lesson, QuestionType, Asked, "
                                     "Clicked, Correct) VALUES (?, ?, ?, ?, 'التلقائي', 0, 1, ?, ?)"));
            const qint64 now = QDateTime::currentMSecsSinceEpoch();
            for (int i = 0; i < 10000; ++i) {
                q.bindValue(0, QUuid::createUuid().toString(QUuid::WithoutBraces));
                q.bindValue(1, service);
                q.bindValue(2, child);
                q.bindValue(3, now - 10000 + i);
                q.bindValue(4, i % 3 + 1);
                q.bindValue(5, i % 3 == 0 ? 1 : 0);
                if (!q.exec())
                    return fail(q.lastError().text());
            }
            if (!db.commit())
                return fail(db.lastError().text());
        }
        QSqlDatabase::removeDatabase(QStringLiteral("fill"));
        QElapsedTimer t;
        t.start();
        auto table = computer(service, cache, &error);
        if (!table)
            return fail(error);
        if (!waitDelivered(qobject_cast<ServerStore *>(table->store()), 300000))
            return fail(QStringLiteral("waiting answers not delivered"));
        const double s = double(t.nsecsElapsed()) / 1e9;
        const int onServer = admin(QStringLiteral("SELECT COUNT(*) FROM answers WHERE child = %1").arg(child)).toInt();
        std::printf("figure school_10000_waiting_sent%s %.2f s\n", suffix, s);
        std::printf("figure school_10000_waiting_on_server%s %d answers\n", suffix, onServer);
        std::fflush(stdout);
    }

    // 20 computers, each counting its own child as fast as it can.
    {
        constexpr int Computers = 20;
        std::vector<int> children;
        for (int i = 0; i < Computers; ++i)
            children.push_back(
                admin(QStringLiteral("INSERT INTO table1 (name) VALUES ('حاسوب %1') RETURNING no").arg(i + 1)).toInt());
        std::vector<std::unique_ptr<QProcess>> players;
        for (int i = 0; i < Computers; ++i) {
            auto p = std::make_unique<QProcess>();
            p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
            p->start(QStringLiteral(SCHOOLPLAYER),
                     {service, dir.filePath(QStringLiteral("c%1.db").arg(i)), QString::number(children[i]),
                      QStringLiteral("--seconds"), QString::number(seconds)});
            players.push_back(std::move(p));
        }
        qint64 counted = 0;
        double countedMs = 0;
        for (auto &p : players) {
            if (!p->waitForFinished((seconds + 180) * 1000) || p->exitCode() != 0)
                return fail(QStringLiteral("a computer failed"));
            for (const QByteArray &line : p->readAllStandardOutput().split('\n')) {
                if (line.startsWith("counted "))
                    counted += line.mid(8).toLongLong();
                else if (line.startsWith("counted-ms "))
                    countedMs = std::max(countedMs, line.mid(11).toDouble());
            }
        }
        QStringList list;
        for (const int c : children)
            list.append(QString::number(c));
        const qint64 onServer =
            admin(QStringLiteral("SELECT SUM(ok) FROM table1 WHERE no IN (%1)").arg(list.join(QLatin1Char(','))))
                .toLongLong();
        std::printf("figure school_20_computers_answers_per_s%s %.0f answers/s\n", suffix, double(counted) / (countedMs / 1000.0));
        std::printf("figure school_20_computers_answers%s %lld answers\n", suffix, counted);
        std::printf("figure school_20_computers_lost%s %lld answers\n", suffix, counted - onServer);
    }
    return 0;
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 60;
    if (qEnvironmentVariableIsEmpty("PGSERVICEFILE"))
        return fail(QStringLiteral("no PostgreSQL test server (start it with scripts/pg-server.sh)"));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("admin"));
        db.setConnectOptions(QStringLiteral("service=quizadmin"));
        if (!db.open())
            return fail(db.lastError().text());
    }
    for (const auto &[service, suffix] : {std::pair{"quiztest", "_tls"}, std::pair{"quizsocket", "_socket"}}) {
        if (const int failed = measure(QLatin1String(service), suffix, seconds))
            return failed;
    }
    return 0;
}
