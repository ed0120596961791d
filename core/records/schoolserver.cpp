#include "core/records/schoolserver.h"

#include "core/records/resultsfile.h"
#include "core/records/sqlitefile.h"

#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace {

constexpr int CacheVersion = 1;
constexpr int ServerSchemaVersion = 1;

const char *const SetupHint = "شغّل ملف الإعداد school-server.sql على الخادم (انظر ملف README)";

QString unreachableText()
{
    return QStringLiteral("لا يمكن الوصول إلى خادم المدرسة: الخادم متوقف أو الشبكة غير متصلة");
}

} // namespace

bool SchoolServer::validService(const QString &service)
{
    static const QRegularExpression pattern(QStringLiteral("^[A-Za-z0-9_.-]{1,63}$"));
    return pattern.match(service).hasMatch();
}

QString SchoolServer::invalidServiceText(const QString &service)
{
    return QStringLiteral("اسم الخدمة «%1» غير صالح: يُكتب بحروف لاتينية وأرقام والرموز _ و- و. فقط، "
                          "كما في ملف pg_service.conf")
        .arg(service);
}

QString SchoolServer::reasonOf(const QSqlError &error)
{
    const QString code = error.nativeErrorCode();
    const QString text = (error.databaseText() + QLatin1Char(' ') + error.driverText()).toLower();
    const auto has = [&text](const char *part) { return text.contains(QLatin1String(part)); };
    if (code == QLatin1String("28P01") || has("password authentication failed"))
        return QStringLiteral("رفض الخادم كلمة المرور: كلمة المرور في ملف ‎.pgpass على هذا الجهاز خاطئة");
    if (has("no password supplied"))
        return QStringLiteral("لا توجد كلمة مرور لهذا الخادم في ملف ‎.pgpass على هذا الجهاز");
    if (has("definition of service") || has("service file"))
        return QStringLiteral("خدمة الاتصال غير معرّفة في ملف pg_service.conf على هذا الجهاز");
    if (code == QLatin1String("3D000") || (has("database") && has("does not exist")))
        return QStringLiteral("قاعدة البيانات المذكورة في خدمة الاتصال غير موجودة على الخادم");
    if (code == QLatin1String("28000") || (has("role") && has("does not exist")))
        return QStringLiteral("المستخدم المذكور في خدمة الاتصال غير مسموح له بالدخول إلى الخادم");
    if (code == QLatin1String("42P01") || (has("relation") && has("does not exist")))
        return QStringLiteral("لم تُجهَّز قاعدة البيانات للاختبار بعد: %1").arg(QString::fromUtf8(SetupHint));
    if (code == QLatin1String("42501") || has("permission denied"))
        return QStringLiteral("لا يملك مستخدم خدمة الاتصال الصلاحية اللازمة (عضوية الدور quiz_player): %1")
            .arg(QString::fromUtf8(SetupHint));
    if (code.startsWith(QLatin1String("08")) || code.startsWith(QLatin1String("57P")) || has("could not connect")
        || has("connection refused") || has("timeout expired") || has("could not translate host name")
        || has("server closed the connection") || has("no connection to the server")
        || has("connection to server") || has("terminating connection") || has("is the server running"))
        return unreachableText();
    if (has("driver not loaded"))
        return QStringLiteral("برنامج الاتصال بخادم PostgreSQL غير مثبت (الحزمة libqt6sql6-psql)");
    const QString detail = error.text().trimmed();
    return detail.isEmpty() ? QStringLiteral("خطأ من خادم المدرسة")
                            : QStringLiteral("خطأ من خادم المدرسة (%1)").arg(detail);
}

Result SchoolServer::connect(const QString &connection, const QString &service)
{
    if (!validService(service))
        return Result::failure(invalidServiceText(service));
    QString reason;
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connection);
        if (!db.isValid()) {
            reason = QStringLiteral("برنامج الاتصال بخادم PostgreSQL غير مثبت (الحزمة libqt6sql6-psql)");
        } else {
            // A short wait for a server that does not answer, and a dead
            // network noticed within seconds rather than minutes.
            db.setConnectOptions(QStringLiteral("service=%1;connect_timeout=3;application_name=quiz;"
                                                "keepalives_idle=10;keepalives_interval=3;keepalives_count=3;"
                                                "tcp_user_timeout=10000")
                                     .arg(service));
            if (!db.open()) {
                reason = reasonOf(db.lastError());
            } else {
                QSqlQuery q(db);
                if (!q.exec(QStringLiteral("SELECT MAX(version) FROM quiz_schema")) || !q.next()) {
                    reason = reasonOf(q.lastError());
                } else if (q.value(0).isNull()) {
                    reason = QStringLiteral("لم تُجهَّز قاعدة البيانات للاختبار بعد: %1")
                                 .arg(QString::fromUtf8(SetupHint));
                } else if (q.value(0).toInt() > ServerSchemaVersion) {
                    reason = QStringLiteral("قاعدة البيانات على الخادم من إصدار أحدث من هذا البرنامج؛ "
                                            "استعمل الإصدار الأحدث من البرنامج");
                } else {
                    ok = true;
                }
            }
        }
    }
    if (!ok)
        disconnect(connection);
    return ok ? Result::success() : Result::failure(reason);
}

void SchoolServer::disconnect(const QString &connection)
{
    if (!QSqlDatabase::contains(connection))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(connection, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
}

Result SchoolServer::openCache(const QString &connection, const QString &path, int busyMs)
{
    QString reason;
    bool ok = false;
    // The file's objects, checked before anything is written to it.
    const QStringList objects = {
        QStringLiteral("CREATE TABLE IF NOT EXISTS Outbox (Seq INTEGER PRIMARY KEY AUTOINCREMENT, "
                       "Id TEXT NOT NULL UNIQUE, Service TEXT NOT NULL, Child INTEGER NOT NULL, "
                       "Time INTEGER NOT NULL, Lesson TEXT, QuestionType INTEGER, Asked INTEGER, "
                       "Clicked INTEGER, Correct INTEGER NOT NULL)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS OutboxChild ON Outbox (Service, Child)"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS Copy (Service TEXT NOT NULL, No INTEGER NOT NULL, "
                       "Name TEXT, Ok INTEGER, NotOk INTEGER, PRIMARY KEY (Service, No)) WITHOUT ROWID"),
    };
    const Result notLinked = SqliteFile::checkNoLinks(path);
    if (!notLinked)
        return notLinked;
    SqliteFile::keepPrivate(path);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(busyMs));
        Result checked = Result::success();
        if (!db.open()) {
            reason = ResultsFile::reasonOf(db.lastError());
        } else if (!(checked = SqliteFile::harden(db)) || !(checked = SqliteFile::holdsOnly(db, objects))
                   || !(checked = SqliteFile::checkIntact(db))) {
            reason = checked.text;
        } else {
            QSqlQuery q(db);
            // Every answer is on the disk before the count returns.
            const QStringList setup =
                QStringList{QStringLiteral("PRAGMA synchronous = FULL"), QStringLiteral("BEGIN IMMEDIATE")} + objects;
            ok = true;
            for (const QString &sql : setup) {
                if (!q.exec(sql)) {
                    reason = ResultsFile::reasonOf(q.lastError());
                    ok = false;
                    break;
                }
            }
            if (ok && (!q.exec(QStringLiteral("PRAGMA user_version")) || !q.next())) {
                reason = ResultsFile::reasonOf(q.lastError());
                ok = false;
            }
            if (ok) {
                const int version = q.value(0).toInt();
                q.finish();
                if (version > CacheVersion) {
                    reason = QStringLiteral("الملف من إصدار أحدث من هذا البرنامج");
                    ok = false;
                } else if (version < CacheVersion
                           && !q.exec(QStringLiteral("PRAGMA user_version = %1").arg(CacheVersion))) {
                    reason = ResultsFile::reasonOf(q.lastError());
                    ok = false;
                }
            }
            if (ok && !q.exec(QStringLiteral("COMMIT"))) {
                reason = ResultsFile::reasonOf(q.lastError());
                ok = false;
            }
            // Write-ahead logging: the sender reads while the game writes.
            // Switched only once the file has shown it is the quiz's, so
            // that a refused file keeps every byte.
            if (ok && !q.exec(QStringLiteral("PRAGMA journal_mode = WAL"))) {
                reason = ResultsFile::reasonOf(q.lastError());
                ok = false;
            }
            if (!ok)
                QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
        }
    }
    if (!ok)
        closeCache(connection);
    return ok ? Result::success() : Result::failure(reason);
}

void SchoolServer::closeCache(const QString &connection)
{
    disconnect(connection);
}

QString SchoolServer::countSql()
{
    return QStringLiteral(
        "WITH added AS ("
        " INSERT INTO answers (id, child, time, event, lesson, questiontype, asked, clicked, correct)"
        " SELECT CAST(? AS uuid), t.no, CAST(? AS bigint), 0, CAST(? AS text), CAST(? AS integer),"
        " CAST(? AS integer), CAST(? AS integer), CAST(? AS integer)"
        " FROM table1 t WHERE t.no = CAST(? AS integer)"
        " ON CONFLICT (id) DO NOTHING"
        " RETURNING child, correct) "
        "UPDATE table1 SET"
        " ok = CASE WHEN added.correct = 1"
        " THEN CAST(LEAST(COALESCE(CAST(table1.ok AS bigint), 0) + 1, 2147483647) AS integer)"
        " ELSE table1.ok END,"
        " notok = CASE WHEN added.correct = 1 THEN table1.notok"
        " ELSE CAST(LEAST(COALESCE(CAST(table1.notok AS bigint), 0) + 1, 2147483647) AS integer) END "
        "FROM added WHERE table1.no = added.child "
        "RETURNING table1.no, table1.name, table1.ok, table1.notok");
}

QString SchoolServer::historySql()
{
    return QStringLiteral(
        "INSERT INTO answers (id, child, time, event, lesson, questiontype, asked, clicked, correct) "
        "VALUES (CAST(? AS uuid), CAST(? AS integer), CAST(? AS bigint), CAST(? AS integer), CAST(? AS text),"
        " CAST(? AS integer), CAST(? AS integer), CAST(? AS integer), CAST(? AS integer))");
}
