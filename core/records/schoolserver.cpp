#include "core/records/schoolserver.h"

#include "core/base/bidi.h"
#include "core/base/plaintext.h"
#include "core/records/resultsfile.h"
#include "core/records/resultstable.h"
#include "core/records/sqlitefile.h"

#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <libpq-fe.h>

namespace {

constexpr int CacheVersion = 1;
// 2: the tables in the schema quiz, reached only through its functions.
constexpr int ServerSchemaVersion = 2;

const char *const SetupHint = "شغّل ملف الإعداد school-server.sql على الخادم (انظر ملف README)";

QString unreachableText()
{
    return QStringLiteral("لا يمكن الوصول إلى خادم المدرسة: الخادم متوقف أو الشبكة غير متصلة");
}

QString notSentText()
{
    return QStringLiteral("، فلم تُرسل إليه كلمة المرور");
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

QString SchoolServer::reasonOf(const QSqlError &error, bool typedPassword)
{
    const QString code = error.nativeErrorCode();
    const QString text = (error.databaseText() + QLatin1Char(' ') + error.driverText()).toLower();
    const auto has = [&text](const char *part) { return text.contains(QLatin1String(part)); };
    // Refusals of this computer's own before a password went out: they come
    // first, as libpq words them inside "connection to server ... failed".
    if (has("server does not support ssl"))
        return QStringLiteral("خادم المدرسة لا يقبل الاتصال المشفّر (TLS)") + notSentText();
    if (has("root certificate file") || has("sslrootcert"))
        return QStringLiteral("لا توجد على هذا الجهاز الشهادة الجذرية لخادم المدرسة (الملف %1، "
                              "أو sslrootcert في خدمة الاتصال)")
            .arg(Bidi::path(QStringLiteral("~/.postgresql/root.crt")));
    if (has("does not match host name") || has("certificate verify failed") || has("certificate"))
        return QStringLiteral("شهادة الخادم لا تثبت أنه خادم المدرسة (لم يوقّعها صاحب الشهادة الجذرية "
                              "root.crt على هذا الجهاز، أو هي لاسم خادم آخر)") + notSentText();
    if (has("channel binding"))
        return QStringLiteral("طلب الخادم كلمة المرور بطريقة غير آمنة (غير SCRAM المربوطة بالاتصال المشفّر)")
               + notSentText();
    if (has("ssl error") || has("ssl syscall") || has("could not establish ssl"))
        return QStringLiteral("تعذر الاتصال المشفّر (TLS) بخادم المدرسة") + notSentText();
    if (typedPassword && (code == QLatin1String("28P01") || has("password authentication failed")))
        return QStringLiteral("رفض الخادم كلمة مرور المعلمين المكتوبة");
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

QString SchoolServer::teacherService(const QString &service)
{
    return service + QStringLiteral("-teacher");
}

bool SchoolServer::socketOnly(const QString &service)
{
    if (!validService(service))
        return false;
    // libpq itself says where the service leads (the service file, the
    // environment, its defaults): the start of a connection reads them all.
    // It goes no further than asking for TLS, never near a password; when it
    // fails at once the strict options are kept, and the connection itself
    // then says why.
    const QByteArray info = "service=" + service.toLatin1() + " gssencmode=disable sslmode=verify-full";
    PGconn *conn = PQconnectStart(info.constData());
    if (!conn)
        return false;
    bool socket = false;
    PQconninfoOption *options = PQstatus(conn) != CONNECTION_BAD ? PQconninfo(conn) : nullptr;
    if (options) {
        QString host;
        QString hostaddr;
        for (const PQconninfoOption *o = options; o->keyword; ++o) {
            if (!o->val)
                continue;
            if (qstrcmp(o->keyword, "host") == 0)
                host = QString::fromLocal8Bit(o->val);
            else if (qstrcmp(o->keyword, "hostaddr") == 0)
                hostaddr = QString::fromLocal8Bit(o->val);
        }
        PQconninfoFree(options);
        socket = hostaddr.trimmed().isEmpty();
        // No host at all: libpq's default, the socket folder of this machine.
        for (const QString &h : host.split(QLatin1Char(','))) {
            const QString one = h.trimmed();
            if (!one.isEmpty() && !one.startsWith(QLatin1Char('/')) && !one.startsWith(QLatin1Char('@')))
                socket = false;
        }
    }
    PQfinish(conn);
    return socket;
}

QString SchoolServer::connectOptions(const QString &service)
{
    // A short wait for a server that does not answer, and a dead network
    // noticed within seconds rather than minutes. After the service, so that
    // these win over whatever the service file says.
    const QString guard = socketOnly(service) ? QStringLiteral("channel_binding=disable")
                                              : QStringLiteral("sslmode=verify-full;channel_binding=require");
    return QStringLiteral("service=%1;%2;gssencmode=disable;connect_timeout=3;application_name=quiz;"
                          "keepalives_idle=10;keepalives_interval=3;keepalives_count=3;tcp_user_timeout=10000")
        .arg(service, guard);
}

Result SchoolServer::connect(const QString &connection, const QString &service, const QString &password)
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
            db.setConnectOptions(connectOptions(service));
            const bool typed = !password.isNull();
            // Held by the connection only while it opens.
            if (typed)
                db.setPassword(password);
            const bool opened = db.open();
            db.setPassword(QString());
            if (!opened) {
                reason = reasonOf(db.lastError(), typed);
            } else {
                QSqlQuery q(db);
                if (!q.exec(QStringLiteral("SELECT quiz.version()")) || !q.next()) {
                    const QString missing = q.lastError().nativeErrorCode();
                    reason = missing == QLatin1String("3F000") || missing == QLatin1String("42883")
                                 ? QStringLiteral("لم تُجهَّز قاعدة البيانات للاختبار بعد: %1").arg(QString::fromUtf8(SetupHint))
                                 : reasonOf(q.lastError());
                } else if (q.value(0).isNull() || q.value(0).toInt() < ServerSchemaVersion) {
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
        "SELECT no, name, ok, notok FROM quiz.count_answer(CAST(? AS uuid), CAST(? AS bigint), CAST(? AS text),"
        " CAST(? AS integer), CAST(? AS integer), CAST(? AS integer), CAST(? AS integer), CAST(? AS integer))");
}

QVariant SchoolServer::cleanName(const QVariant &name)
{
    if (name.isNull())
        return name;
    return PlainText::cleanText(name.toString(), ResultsTable::NameLength);
}
