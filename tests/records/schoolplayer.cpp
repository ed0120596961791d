// One quiz computer counting answers on the school's server, as a separate
// process: the tests and the benchmark start several at once.
//
// Usage: schoolplayer SERVICE OUTBOX_FILE CHILD_NO (--answers N | --seconds S) [--retry MS]
// Counts right answers on the child through the children's table, as the
// game does, then waits until every answer has left the outbox. Prints
// "counted N", "delivered-ms T" and, per answer, nothing; exits 0 when all
// were counted and delivered.
#include "core/records/resultstable.h"
#include "core/records/serverstore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <cstdio>
#include <memory>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 6) {
        std::fprintf(stderr, "usage: schoolplayer SERVICE OUTBOX CHILD (--answers N | --seconds S) [--retry MS]\n");
        return 2;
    }
    const QString service = args.at(1);
    const QString outbox = args.at(2);
    const QString child = args.at(3);
    const bool bySeconds = args.at(4) == QLatin1String("--seconds");
    const qint64 amount = args.at(5).toLongLong();
    const int retry = args.size() >= 8 && args.at(6) == QLatin1String("--retry") ? args.at(7).toInt() : 500;

    auto store = std::make_unique<ServerStore>(service, outbox);
    store->setRetryInterval(retry);
    ServerStore *server = store.get();
    const Result opened = store->open();
    if (!opened) {
        std::fprintf(stderr, "open: %s\n", qPrintable(opened.text));
        return 1;
    }
    ResultsTable table;
    const Result tableOpened = table.openStore(std::move(store));
    if (!tableOpened) {
        std::fprintf(stderr, "open table: %s\n", qPrintable(tableOpened.text));
        return 1;
    }
    // The copy fills once the sender has read the server.
    QElapsedTimer waited;
    waited.start();
    while (!table.findKey(child)) {
        if (waited.elapsed() > 30000) {
            std::fprintf(stderr, "child %s not found: %s\n", qPrintable(child), qPrintable(server->problem()));
            return 1;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }

    qint64 counted = 0;
    QElapsedTimer clock;
    clock.start();
    while (bySeconds ? clock.elapsed() < amount * 1000 : counted < amount) {
        const Result result = table.recordResult(Judgement::Right);
        if (!result) {
            std::fprintf(stderr, "count: %s\n", qPrintable(result.text));
            return 1;
        }
        ++counted;
        QCoreApplication::processEvents();
    }
    const qint64 countedMs = clock.elapsed();
    while (server->waiting() > 0) {
        if (clock.elapsed() > countedMs + 120000) {
            std::fprintf(stderr, "%d answers not delivered: %s\n", server->waiting(), qPrintable(server->problem()));
            return 1;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    std::printf("counted %lld\ncounted-ms %lld\ndelivered-ms %lld\n", counted, countedMs, clock.elapsed());
    return 0;
}
