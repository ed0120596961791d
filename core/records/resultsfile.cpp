#include "core/records/resultsfile.h"

#include "core/base/systemerror.h"
#include "core/records/resultstable.h"
#include "core/records/sqlitefile.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <cerrno>

namespace {

// SQLite's primary result codes, as the driver reports them in nativeErrorCode().
constexpr int SqlitePerm = 3;
constexpr int SqliteBusy = 5;
constexpr int SqliteLocked = 6;
constexpr int SqliteReadOnly = 8;
constexpr int SqliteIoErr = 10;
constexpr int SqliteCorrupt = 11;
constexpr int SqliteFull = 13;
constexpr int SqliteCantOpen = 14;
constexpr int SqliteNotADb = 26;

int primaryCode(const QSqlError &error)
{
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok);
    return ok ? (code & 0xff) : -1;
}

QString detailOf(const QSqlError &error)
{
    const QString text = error.databaseText().isEmpty() ? error.text() : error.databaseText();
    return text.trimmed();
}

// The answers table is stored in the order of its key, child by child: one
// child's history lies together in the file, so the chart and the deletion of
// a child read a few pages, not one page per answer among a whole class's.
// Seq numbers a child's rows in the order they were written.
const char *const AnswersTableSql =
    "CREATE TABLE IF NOT EXISTS Answers ("
    "Child INTEGER NOT NULL, "
    "Seq INTEGER NOT NULL, "
    "Time INTEGER NOT NULL, "
    "Event INTEGER NOT NULL DEFAULT 0, "
    "Lesson TEXT, "
    "QuestionType INTEGER, "
    "Asked INTEGER, "
    "Clicked INTEGER, "
    "Correct INTEGER, "
    "PRIMARY KEY (Child, Seq)) WITHOUT ROWID";

struct Column
{
    const char *name;
    bool text; // TEXT, else INTEGER
    int pk;
};

// The columns of a table as the file declares them, against those expected:
// same names in the same order, integer or text affinity alike.
bool columnsMatch(QSqlQuery &q, const Column *expected, int count, int *found)
{
    int column = 0;
    bool match = true;
    while (q.next()) {
        if (column >= count) {
            match = false;
            ++column;
            continue;
        }
        const Column &e = expected[column++];
        const QString type = q.value(1).toString().toUpper();
        // The key must be exactly INTEGER to be SQLite's row number.
        const bool typeOk = e.pk ? type == QLatin1String("INTEGER")
                            : !e.text ? type.contains(QLatin1String("INT"))
                                      : (type.contains(QLatin1String("TEXT"))
                                         || type.contains(QLatin1String("CHAR")));
        if (q.value(0).toString().compare(QLatin1String(e.name), Qt::CaseInsensitive) != 0
            || !typeOk || (q.value(2).toInt() != 0) != (e.pk != 0)) {
            match = false;
        }
    }
    *found = column;
    return match && column == count;
}

} // namespace

// The Arabic reason for an SQLite failure met while reading or probing a file.
QString ResultsFile::reasonOf(const QSqlError &error)
{
    switch (primaryCode(error)) {
    case SqliteNotADb:
    case SqliteCorrupt:
        return QStringLiteral("الملف ليس قاعدة بيانات صالحة أو أنه تالف");
    case SqliteBusy:
    case SqliteLocked:
        return QStringLiteral("الملف مقفل من برنامج آخر");
    case SqliteReadOnly:
        return QStringLiteral("الملف للقراءة فقط");
    case SqliteCantOpen:
        return QStringLiteral("تعذر فتح الملف");
    // The file reasons every other save gives.
    case SqliteFull:
        return fileErrorReason(ENOSPC);
    case SqliteIoErr:
        return fileErrorReason(EIO);
    case SqlitePerm:
        return fileErrorReason(EACCES);
    default:
        return QStringLiteral("خطأ في قاعدة البيانات (%1)").arg(detailOf(error));
    }
}

// What the quiz makes in a results.db, in every version that is still read:
// the children's table and, since answers are kept, the answers table.
QStringList ResultsFile::schemaStatements()
{
    return {QStringLiteral("CREATE TABLE Table1 ("
                           "No INTEGER PRIMARY KEY AUTOINCREMENT, "
                           "Name TEXT CHECK (Name IS NULL OR length(Name) <= %1), "
                           "Ok INTEGER, "
                           "NotOk INTEGER)").arg(ResultsTable::NameLength),
            QLatin1String(AnswersTableSql)};
}

Result ResultsFile::open(const QString &connection, const QString &path)
{
    // Before anything else looks at the name: a link is followed by every
    // check below and by SQLite, and a dangling one would be created.
    const Result notLinked = SqliteFile::checkNoLinks(path);
    if (!notLinked)
        return notLinked;
    const QFileInfo info(path);
    const bool existed = info.exists();
    if (existed && !info.isFile())
        return Result::failure(QStringLiteral("يوجد بهذا الاسم شيء ليس ملفاً"));
    if (!QFileInfo(info.absolutePath()).isDir())
        return Result::failure(QStringLiteral("المجلد غير موجود"));
    if (existed) {
        const Result writable = checkWritable(path);
        if (!writable)
            return writable;
    }
    // SQLite would only say it cannot open the file it has to create.
    if (!existed && !QFileInfo(info.absolutePath()).isWritable())
        return Result::failure(QStringLiteral("لا يمكن إنشاء الملف: المجلد للقراءة فقط أو لا توجد صلاحية الكتابة فيه"));
    // A zero-length file holds nothing that could be lost; SQLite takes it as
    // an empty database, so it gets the table like a missing file.
    const bool fresh = !existed || info.size() == 0;
    if (!existed)
        SqliteFile::keepPrivate(path);

    Result result = Result::success();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(path);
        // A short wait only: a table locked by another program must not
        // freeze the child's game.
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=250"));
        if (!db.open())
            result = Result::failure(reasonOf(db.lastError()));
        else
            result = SqliteFile::harden(db);
    }
    if (result && fresh) {
        const Result created = createSchema(connection);
        if (!created)
            result = Result::failure(QStringLiteral("تعذر إنشاء الجدول: %1").arg(created.text));
    } else if (result) {
        int version = 0;
        bool hasAnswers = false;
        result = checkSchema(connection, &version);
        if (result)
            result = checkAnswersTable(connection, &hasAnswers);
        if (result)
            result = SqliteFile::holdsOnly(QSqlDatabase::database(connection, false), schemaStatements());
        if (result)
            result = SqliteFile::checkIntact(QSqlDatabase::database(connection, false));
        if (result)
            result = probeWrite(connection);
        // A file from before answers were kept (or one whose answers table
        // was removed, which would refuse every count): the table is added
        // now, in one transaction, so that the file has it whole or is as it was.
        if (result && (version < ResultsTable::SchemaVersion || !hasAnswers))
            result = addAnswersTable(connection);
    }
    if (result) {
        // Every post is on the disk before it returns.
        QSqlQuery sync(QSqlDatabase::database(connection, false));
        if (!sync.exec(QStringLiteral("PRAGMA synchronous = FULL")))
            result = Result::failure(reasonOf(sync.lastError()));
        else if (existed)
            SqliteFile::keepPrivate(path);
    }
    if (!result) {
        QSqlDatabase::database(connection, false).close();
        QSqlDatabase::removeDatabase(connection);
        if (!existed)
            QFile::remove(path); // only the file this call made
    }
    return result;
}

// Writing needs the file and its folder (SQLite writes its journal beside the
// file). The permission bits are checked too because an administrator's
// account would otherwise write into a file marked read-only.
Result ResultsFile::checkWritable(const QString &path)
{
    const QFileInfo info(path);
    const auto perms = info.permissions();
    const auto anyWrite = QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    if (!info.isWritable() || !(perms & anyWrite))
        return Result::failure(QStringLiteral("الملف للقراءة فقط"));
    if (!QFileInfo(info.absolutePath()).isWritable())
        return Result::failure(QStringLiteral("لا يمكن الكتابة في المجلد الذي يحوي الملف"));
    return Result::success();
}

Result ResultsFile::createSchema(const QString &connection)
{
    QSqlDatabase db = QSqlDatabase::database(connection, false);
    if (!db.transaction())
        return Result::failure(reasonOf(db.lastError()));
    QSqlQuery q(db);
    const QStringList statements = schemaStatements()
        << QStringLiteral("PRAGMA user_version = %1").arg(ResultsTable::SchemaVersion);
    for (const QString &sql : statements) {
        if (!q.exec(sql)) {
            const Result failed = Result::failure(reasonOf(q.lastError()));
            q.finish();
            db.rollback();
            return failed;
        }
    }
    if (!db.commit()) {
        const Result failed = Result::failure(reasonOf(db.lastError()));
        db.rollback();
        return failed;
    }
    return Result::success();
}

// Reads only: a file that fails any check is left exactly as it was.
Result ResultsFile::checkSchema(const QString &connection, int *version)
{
    QSqlDatabase db = QSqlDatabase::database(connection, false);
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("PRAGMA user_version")) || !q.next())
        return Result::failure(reasonOf(q.lastError()));
    *version = q.value(0).toInt();
    if (*version > ResultsTable::SchemaVersion) {
        // Its answers may be kept in a way this program does not know:
        // writing to it could spoil them, so it is not even opened.
        return Result::failure(QStringLiteral("الملف من إصدار أحدث من هذا البرنامج (الإصدار %1 من سجل الإجابات)، "
                                              "فلم يُفتح ولم يُغيَّر فيه شيء؛ استعمل الإصدار الأحدث من البرنامج")
                                   .arg(*version));
    }
    if (!q.exec(QStringLiteral("SELECT name, type, pk FROM pragma_table_info('Table1')")))
        return Result::failure(reasonOf(q.lastError()));
    const Column expected[] = {{"No", false, 1}, {"Name", true, 0}, {"Ok", false, 0}, {"NotOk", false, 0}};
    int found = 0;
    const bool match = columnsMatch(q, expected, 4, &found);
    if (found == 0)
        return Result::failure(QStringLiteral("لا يحتوي الملف على جدول الأطفال Table1"));
    if (!match) {
        return Result::failure(QStringLiteral("حقول الجدول Table1 في الملف ليست الحقول الأربعة المتوقعة "
                                              "(No، Name، Ok، NotOk)"));
    }
    return Result::success();
}

// A file may lack the answers table (it is added later), but one it has must
// be ours: a table of that name with other columns is not written into.
Result ResultsFile::checkAnswersTable(const QString &connection, bool *present)
{
    QSqlQuery q(QSqlDatabase::database(connection, false));
    if (!q.exec(QStringLiteral("SELECT name, type, pk FROM pragma_table_info('Answers')")))
        return Result::failure(reasonOf(q.lastError()));
    const Column expected[] = {{"Child", false, 1},       {"Seq", false, 2},    {"Time", false, 0},
                               {"Event", false, 0},       {"Lesson", true, 0},  {"QuestionType", false, 0},
                               {"Asked", false, 0},       {"Clicked", false, 0}, {"Correct", false, 0}};
    int found = 0;
    const bool match = columnsMatch(q, expected, 9, &found);
    *present = found != 0;
    if (!match && found != 0)
        return Result::failure(QStringLiteral("في الملف جدول باسم Answers ليس سجل الإجابات الذي يكتبه هذا البرنامج"));
    return Result::success();
}

Result ResultsFile::addAnswersTable(const QString &connection)
{
    QSqlDatabase db = QSqlDatabase::database(connection, false);
    QSqlQuery q(db);
    const QString statements[] = {
        QStringLiteral("BEGIN IMMEDIATE"),
        QLatin1String(AnswersTableSql),
        QStringLiteral("PRAGMA user_version = %1").arg(ResultsTable::SchemaVersion),
        QStringLiteral("COMMIT"),
    };
    for (const QString &sql : statements) {
        if (!q.exec(sql)) {
            const Result failed = Result::failure(
                QStringLiteral("تعذر إضافة سجل الإجابات إلى الملف: %1").arg(reasonOf(q.lastError())));
            q.finish();
            QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
            return failed;
        }
    }
    return Result::success();
}

// Takes and drops the write lock: a file that another program holds, or that
// SQLite could only open for reading, fails here without a byte written.
Result ResultsFile::probeWrite(const QString &connection)
{
    QSqlQuery q(QSqlDatabase::database(connection, false));
    if (!q.exec(QStringLiteral("BEGIN IMMEDIATE")))
        return Result::failure(reasonOf(q.lastError()));
    if (!q.exec(QStringLiteral("ROLLBACK")))
        return Result::failure(reasonOf(q.lastError()));
    return Result::success();
}
