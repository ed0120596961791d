#include "core/records/sqlitefile.h"

#include "core/base/atomicfile.h"
#include "core/base/bidi.h"
#include "core/records/resultsfile.h"

#include <QAtomicInt>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>

#include <sqlite3.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char *const Companions[] = {"", "-journal", "-wal", "-shm"};

// One object as sqlite_schema records it.
struct SchemaRow
{
    QString type, name, table, sql;
    bool sqlIsNull = false;
    bool operator==(const SchemaRow &o) const
    {
        return type == o.type && name == o.name && table == o.table && sql == o.sql && sqlIsNull == o.sqlIsNull;
    }
};

size_t qHash(const SchemaRow &row, size_t seed = 0)
{
    return ::qHash(row.type, seed) ^ ::qHash(row.name, seed) ^ ::qHash(row.sql, seed);
}

const char *const SchemaSql = "SELECT type, name, tbl_name, sql FROM sqlite_schema";

SchemaRow rowOf(const QSqlQuery &q)
{
    return {q.value(0).toString(), q.value(1).toString(), q.value(2).toString(), q.value(3).toString(),
            q.value(3).isNull()};
}

// What a statement makes, as SQLite records it: learnt rather than written
// down here, so that SQLite's own way of recording a statement (without
// "IF NOT EXISTS", its automatic indexes) is always the one compared.
bool expectedRows(const QStringList &statements, QSet<SchemaRow> *rows)
{
    static QAtomicInt serial;
    const QString name = QStringLiteral("schema-expected-%1").arg(serial.fetchAndAddRelaxed(1));
    bool ok = true;
    {
        QSqlDatabase mem = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        mem.setDatabaseName(QStringLiteral(":memory:"));
        ok = mem.open();
        QSqlQuery q(mem);
        for (const QString &sql : statements)
            ok = ok && q.exec(sql);
        ok = ok && q.exec(QLatin1String(SchemaSql));
        while (ok && q.next())
            rows->insert(rowOf(q));
        q.finish();
        mem.close();
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

QString kindText(const QString &type)
{
    if (type == QLatin1String("trigger"))
        return QStringLiteral("مشغّل تلقائي (trigger)");
    if (type == QLatin1String("view"))
        return QStringLiteral("عرض (view)");
    if (type == QLatin1String("index"))
        return QStringLiteral("فهرس (index)");
    return QStringLiteral("جدول (table)");
}

// A name from the file, shown as plain text of a bounded length.
QString shownName(const QString &name)
{
    QString shown;
    for (const QChar c : name) {
        if (shown.size() >= 40) {
            shown += QChar(0x2026);
            break;
        }
        if (c.isPrint() && c.category() != QChar::Other_Format)
            shown += c;
    }
    return Bidi::word(shown);
}

} // namespace

namespace SqliteFile {

Result checkNoLinks(const QString &path)
{
    for (const char *suffix : Companions) {
        struct stat st;
        const QByteArray name = QFile::encodeName(path + QLatin1String(suffix));
        if (::lstat(name.constData(), &st) == 0 && S_ISLNK(st.st_mode)) {
            return Result::failure(
                QStringLiteral("الملف %1 رابط رمزي (symbolic link) إلى مكان آخر، فلم يُفتح ولم يُكتب فيه شيء؛ "
                               "ضع في مكانه ملفاً حقيقياً")
                    .arg(Bidi::path(QFileInfo(path + QLatin1String(suffix)).fileName())));
        }
    }
    return Result::success();
}

bool keepPrivate(const QString &path)
{
    if (!AtomicFile::isPrivateFolder(QFileInfo(path).absolutePath()))
        return false;
    bool made = false;
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd >= 0) {
        ::close(fd);
        made = true;
    }
    for (const char *suffix : Companions) {
        const QByteArray companion = QFile::encodeName(path + QLatin1String(suffix));
        struct stat st;
        // A link is never followed, not even to change its target's permissions.
        if (::lstat(companion.constData(), &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & 077) != 0)
            ::chmod(companion.constData(), st.st_mode & 0700);
    }
    return made;
}

Result harden(const QSqlDatabase &db)
{
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    sqlite3 *connection = nullptr;
    if (handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0)
        connection = *static_cast<sqlite3 *const *>(handle.constData());
    if (!connection)
        return Result::failure(QStringLiteral("تعذر ضبط الاتصال بقاعدة البيانات بأمان"));
    int on = -1;
    bool ok = sqlite3_db_config(connection, SQLITE_DBCONFIG_DEFENSIVE, 1, &on) == SQLITE_OK && on == 1;
    int trusted = -1;
    ok = ok && sqlite3_db_config(connection, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, &trusted) == SQLITE_OK
        && trusted == 0;
    // Only the file's own triggers and views: the temporary ones a
    // connection makes for itself still work.
    int triggers = -1;
    int views = -1;
    ok = ok && sqlite3_db_config(connection, SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, &triggers) == SQLITE_OK
        && triggers == 0;
    ok = ok && sqlite3_db_config(connection, SQLITE_DBCONFIG_ENABLE_VIEW, 0, &views) == SQLITE_OK && views == 0;
    if (!ok)
        return Result::failure(QStringLiteral("تعذر ضبط الاتصال بقاعدة البيانات بأمان"));
    return Result::success();
}

Result holdsOnly(const QSqlDatabase &db, const QStringList &statements)
{
    QSet<SchemaRow> expected;
    if (!expectedRows(statements, &expected))
        return Result::failure(QStringLiteral("تعذر التحقق من محتوى الملف"));
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.exec(QLatin1String(SchemaSql)))
        return Result::failure(ResultsFile::reasonOf(q.lastError()));
    // The first object that is not the quiz's ends the reading: a file with
    // a million objects costs no more than one with a single stranger.
    while (q.next()) {
        const SchemaRow row = rowOf(q);
        if (expected.contains(row))
            continue;
        q.finish();
        return Result::failure(QStringLiteral("في الملف %1 باسم %2 لم يصنعه هذا البرنامج، فلم يُستعمل الملف "
                                              "ولم يُغيَّر فيه شيء")
                                   .arg(kindText(row.type), shownName(row.name)));
    }
    if (q.lastError().isValid())
        return Result::failure(ResultsFile::reasonOf(q.lastError()));
    return Result::success();
}

Result checkIntact(const QSqlDatabase &db)
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    // A row that breaks a column's rule (a name longer than its field,
    // written by another program) leaves the file sound: such names are cut
    // where they are read. Only damaged pages make the file unusable; the
    // check reports at most a bounded number of findings.
    if (!q.exec(QStringLiteral("PRAGMA quick_check(100)")))
        return Result::failure(ResultsFile::reasonOf(q.lastError()));
    bool any = false;
    while (q.next()) {
        any = true;
        const QString finding = q.value(0).toString();
        if (finding == QLatin1String("ok") || finding.startsWith(QLatin1String("CHECK constraint failed")))
            continue;
        q.finish();
        return Result::failure(QStringLiteral("الملف ليس قاعدة بيانات صالحة أو أنه تالف"));
    }
    if (!any)
        return Result::failure(ResultsFile::reasonOf(q.lastError()));
    return Result::success();
}

} // namespace SqliteFile
