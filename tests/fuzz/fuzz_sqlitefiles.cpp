// Random bytes as results.db and as the school server's outbox, opened
// through the program's own opening path with all its checks. Besides not
// crashing or hanging, a file that opens must answer a read, and a file
// that is refused must keep every byte it had.

#include "core/records/resultstable.h"
#include "core/records/schoolserver.h"

#include "fuzzcheck.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

void openResults(const QString &path, const QByteArray &bytes)
{
    check(writeBytes(path, bytes));
    ResultsTable table;
    if (table.open(path)) {
        // Everything the window reads at the start.
        QVector<int> keys;
        check(bool(table.keys(&keys)));
        check(keys.size() == table.recordCount());
        if (!keys.isEmpty()) {
            QVector<ChildRecord> rows;
            check(bool(table.records(keys.first(), keys.last(), &rows)));
        }
    } else if (!bytes.isEmpty()) {
        check(fileBytes(path) == bytes);
    }
}

void openOutbox(const QString &path, const QByteArray &bytes)
{
    check(writeBytes(path, bytes));
    const QString connection = QStringLiteral("fuzz-outbox");
    if (SchoolServer::openCache(connection, path, 0)) {
        {
            QSqlQuery q(QSqlDatabase::database(connection, false));
            check(q.exec(QStringLiteral("SELECT COUNT(*) FROM Outbox")) && q.next());
            check(q.exec(QStringLiteral("SELECT Service, No, Name FROM Copy")));
            while (q.next()) {
            }
        }
        SchoolServer::closeCache(connection);
    } else if (!bytes.isEmpty()) {
        check(fileBytes(path) == bytes);
    }
    for (const char *suffix : {"-wal", "-shm", "-journal"})
        QFile::remove(path + QLatin1String(suffix));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The SQL driver needs an application object.
    static int argc = 1;
    static char name[] = "fuzz_sqlitefiles";
    static char *argv[] = {name, nullptr};
    static QCoreApplication *app = QCoreApplication::instance() ? nullptr : new QCoreApplication(argc, argv);
    Q_UNUSED(app);
    static QTemporaryDir dir;
    check(dir.isValid());

    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString results = dir.filePath(QStringLiteral("results.db"));
    openResults(results, bytes);
    QFile::remove(results);
    QFile::remove(results + QStringLiteral("-journal"));
    const QString outbox = dir.filePath(QStringLiteral("school-outbox.db"));
    openOutbox(outbox, bytes);
    QFile::remove(outbox);
    return 0;
}
