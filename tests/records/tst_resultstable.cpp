#include "core/records/resultstable.h"
#include "core/records/schoolserver.h"
#include "support/testsupport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

using testsupport::succeeded;

using Field = ResultsTable::Field;

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

// A second, independent connection: what it reads is what another process
// (or the next start of the program) would find in the file.
class RawDb
{
public:
    explicit RawDb(const QString &path) : m_name(QStringLiteral("raw-%1").arg(++s_serial))
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=50"));
        m_ok = db.open();
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
    QVariant scalar(const QString &sql)
    {
        QSqlQuery q(QSqlDatabase::database(m_name, false));
        if (!q.exec(sql) || !q.next())
            return QStringLiteral("<failed>");
        return q.value(0);
    }
    bool ok() const { return m_ok; }

private:
    static inline int s_serial = 0;
    QString m_name;
    bool m_ok = false;
};

} // namespace

class TestResultsTable : public QObject
{
    Q_OBJECT

private:
    QString dataPath(const QString &relative) const
    {
        return testsupport::testData(relative);
    }
    // A results.db in a fresh folder, copied from a fixture when one is named.
    QString freshFile(QTemporaryDir &dir, const QString &fixture = QString()) const
    {
        const QString path = dir.filePath(QStringLiteral("results.db"));
        if (!fixture.isEmpty()) {
            if (!QFile::copy(dataPath(fixture), path))
                qFatal("missing fixture %s", qPrintable(dataPath(fixture)));
            QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        }
        return path;
    }
    void addChildren(ResultsTable &table, const QStringList &names)
    {
        for (const QString &name : names) {
            QString error;
            QVERIFY2(succeeded(table.addChild(name), &error), qPrintable(error));
        }
    }

private slots:
    void missingFileIsCreatedEmpty()
    {
        QTemporaryDir dir;
        const QString path = freshFile(dir);
        ResultsTable table;
        QString error;
        QVERIFY2(succeeded(table.open(path), &error), qPrintable(error));
        QVERIFY(QFile::exists(path));
        QCOMPARE(table.recordCount(), 0);
        QVERIFY(!table.hasCurrent());
        QCOMPARE(table.currentNo(), 0);
        QCOMPARE(table.integer(Field::Ok), 0);

        RawDb raw(path);
        QCOMPARE(raw.scalar(QStringLiteral("PRAGMA user_version")).toInt(),
                 ResultsTable::SchemaVersion);
        QCOMPARE(raw.scalar(QStringLiteral("SELECT COUNT(*) FROM pragma_table_info('Table1')")).toInt(), 4);
    }

    void zeroLengthFileGetsTheTable()
    {
        QTemporaryDir dir;
        const QString path = freshFile(dir);
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        ResultsTable table;
        QString error;
        QVERIFY2(succeeded(table.open(path), &error), qPrintable(error));
        addChildren(table, {QStringLiteral("سارة")});
        QCOMPARE(table.recordCount(), 1);
    }

    void existingTableOpensOnFirstRecord()
    {
        QTemporaryDir dir;
        const QString path = freshFile(dir, QStringLiteral("records-valid/results.db"));
        ResultsTable table;
        QString error;
        QVERIFY2(succeeded(table.open(path), &error), qPrintable(error));
        QCOMPARE(table.recordCount(), 3);
        QCOMPARE(table.currentNo(), 3);
        QCOMPARE(table.text(Field::Name), QStringLiteral("سارة"));
        QCOMPARE(table.integer(Field::Ok), 4);
        QCOMPARE(table.integer(Field::NotOk), 1);
        QVERIFY(table.next());
        QCOMPARE(table.currentNo(), 5);
        // Empty counts read as 0 and show blank.
        QCOMPARE(table.integer(Field::Ok), 0);
        QVERIFY(table.value(Field::Ok).isNull());
        QCOMPARE(table.text(Field::NotOk), QString());

        // Opening the same file again changes nothing, not even the cursor.
        QSignalSpy reloads(&table, &ResultsTable::reloaded);
        QVERIFY(succeeded(table.open(path), &error));
        QCOMPARE(reloads.count(), 0);
        QCOMPARE(table.currentNo(), 5);
    }

    void badFilesAreRefusedAndLeftAsTheyWere_data()
    {
        QTest::addColumn<QString>("fixture");
        // Statements run on the fixture first, one a line: objects planted
        // by another program in a file that is otherwise the quiz's.
        QTest::addColumn<QString>("planted");
        QTest::addColumn<QString>("reason");
        const QString valid = QStringLiteral("records-valid/results.db");
        const QString stranger = QStringLiteral("لم يصنعه هذا البرنامج");
        QTest::newRow("text file") << "records-bad/text-file.db" << QString() << "ليس قاعدة بيانات صالحة";
        QTest::newRow("extra column") << "records-bad/extra-column.db" << QString() << "ليست الحقول الأربعة";
        QTest::newRow("other fields") << "records-bad/other-fields.db" << QString() << "ليست الحقول الأربعة";
        QTest::newRow("no children table") << "records-bad/no-table.db" << QString() << "لا يحتوي الملف على جدول";
        QTest::newRow("newer program") << "records-bad/newer-version.db" << QString() << "إصدار أحدث";
        QTest::newRow("damaged pages") << "sqlite-corpus/damaged-page.db" << QString() << "تالف";
        // At every counted answer, every other child's counts become 0.
        QTest::newRow("trigger") << valid
                                 << "CREATE TRIGGER Wipe AFTER UPDATE ON Table1 BEGIN "
                                    "UPDATE Table1 SET Ok = 0, NotOk = 0 WHERE No <> NEW.No; END"
                                 << stranger;
        QTest::newRow("view") << valid << "CREATE VIEW Best AS SELECT Name FROM Table1 WHERE Ok > 3" << stranger;
        QTest::newRow("index") << valid << "CREATE INDEX ByName ON Table1 (Name)" << stranger;
        QTest::newRow("other table") << valid << "CREATE TABLE Notes (Text TEXT)" << stranger;
        // The same four columns, but a child whose name comes again would
        // replace (delete) the child there.
        QTest::newRow("table of another shape")
            << valid
            << "DROP TABLE Table1\nCREATE TABLE Table1 (No INTEGER PRIMARY KEY AUTOINCREMENT, "
               "Name TEXT UNIQUE ON CONFLICT REPLACE, Ok INTEGER, NotOk INTEGER)"
            << stranger;
    }
    void badFilesAreRefusedAndLeftAsTheyWere()
    {
        QFETCH(QString, fixture);
        QFETCH(QString, planted);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QString path = freshFile(dir, fixture);
        if (!planted.isEmpty()) {
            RawDb raw(path);
            for (const QString &sql : planted.split(QLatin1Char('\n')))
                QVERIFY2(raw.exec(sql), qPrintable(sql));
        }
        const QByteArray before = fileBytes(path);
        QVERIFY(!before.isEmpty());

        ResultsTable table;
        QString error;
        QVERIFY(!succeeded(table.open(path), &error));
        QVERIFY2(error.contains(reason), qPrintable(error));
        QVERIFY2(error.contains(path), qPrintable(error));
        QVERIFY(!table.isOpen());
        QCOMPARE(fileBytes(path), before);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("results.db")});

        // Nothing can be done on a table that did not open, and nothing is written.
        QVERIFY(!succeeded(table.recordResult(Judgement::Right), &error));
        QVERIFY(!succeeded(table.addChild(QStringLiteral("x")), &error));
        QCOMPARE(fileBytes(path), before);
    }

    // The school server's outbox is held to the same rule: what the quiz
    // made in it reopens, anything planted makes it unusable, untouched.
    void outboxWithPlantedObjectsIsRefusedUntouched_data()
    {
        QTest::addColumn<QString>("planted");
        QTest::newRow("as the quiz made it") << QString();
        QTest::newRow("trigger") << "CREATE TRIGGER Gone AFTER INSERT ON Outbox BEGIN DELETE FROM Outbox; END";
        QTest::newRow("view") << "CREATE VIEW Waiting AS SELECT * FROM Outbox";
        QTest::newRow("index") << "CREATE INDEX ByTime ON Outbox (Time)";
    }
    void outboxWithPlantedObjectsIsRefusedUntouched()
    {
        QFETCH(QString, planted);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("school-outbox.db"));
        QString error;
        QVERIFY2(succeeded(SchoolServer::openCache(QStringLiteral("outbox"), path, 50), &error), qPrintable(error));
        SchoolServer::closeCache(QStringLiteral("outbox"));
        if (!planted.isEmpty()) {
            RawDb raw(path);
            QVERIFY(raw.exec(planted));
        }
        const QByteArray before = fileBytes(path);
        const bool opened = succeeded(SchoolServer::openCache(QStringLiteral("outbox"), path, 50), &error);
        SchoolServer::closeCache(QStringLiteral("outbox"));
        QCOMPARE(opened, planted.isEmpty());
        if (!opened) {
            QVERIFY2(error.contains(QStringLiteral("لم يصنعه هذا البرنامج")), qPrintable(error));
            QCOMPARE(fileBytes(path), before);
        }
    }

    // SQLite follows a link for the file and for the journal it writes
    // beside it: the children's table is never read or written through one.
    void linkedFilesAreNeverOpened_data()
    {
        QTest::addColumn<QString>("linked");
        QTest::newRow("results.db") << "results.db";
        QTest::newRow("its journal") << "results.db-journal";
        QTest::newRow("outbox") << "school-outbox.db";
        QTest::newRow("outbox's log") << "school-outbox.db-wal";
    }
    void linkedFilesAreNeverOpened()
    {
        QFETCH(QString, linked);
        QTemporaryDir dir;
        QTemporaryDir elsewhere;
        const QString target = elsewhere.filePath(QStringLiteral("kept.db"));
        QVERIFY(QFile::copy(dataPath(QStringLiteral("records-valid/results.db")), target));
        QVERIFY(QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner));
        const QByteArray before = fileBytes(target);
        const QFile::Permissions permissions = QFileInfo(target).permissions();
        QVERIFY(QFile::link(target, dir.filePath(linked)));
        QString error;
        if (linked.startsWith(QLatin1String("results"))) {
            ResultsTable table;
            QVERIFY(!succeeded(table.open(dir.filePath(QStringLiteral("results.db"))), &error));
        } else {
            QVERIFY(!succeeded(
                SchoolServer::openCache(QStringLiteral("outbox"), dir.filePath(QStringLiteral("school-outbox.db")), 50),
                &error));
        }
        QVERIFY2(error.contains(QStringLiteral("رابط رمزي")) && error.contains(linked), qPrintable(error));
        QCOMPARE(fileBytes(target), before);
        QCOMPARE(QFileInfo(target).permissions(), permissions);
    }

    // In a folder that is the user's own, the files with the children's
    // names are too; in a folder others may read (a program folder the
    // teacher chose), they keep the usual permissions.
    void filesInAPrivateFolderAreTheOwnersOnly()
    {
        const auto others = QFile::ReadGroup | QFile::ReadOther;
        QTemporaryDir dir;
        QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        const QString path = dir.filePath(QStringLiteral("results.db"));
        QString error;
        {
            ResultsTable table;
            QVERIFY2(succeeded(table.open(path), &error), qPrintable(error));
            addChildren(table, {QStringLiteral("سارة")});
        }
        QCOMPARE(QFileInfo(path).permissions() & others, QFile::Permissions());
        // One made elsewhere and copied in gets the same at its first open.
        QVERIFY(QFile::remove(path));
        QVERIFY(QFile::copy(dataPath(QStringLiteral("records-valid/results.db")), path));
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | others));
        {
            ResultsTable table;
            QVERIFY2(succeeded(table.open(path), &error), qPrintable(error));
        }
        QCOMPARE(QFileInfo(path).permissions() & others, QFile::Permissions());
        const QString outbox = dir.filePath(QStringLiteral("school-outbox.db"));
        QVERIFY(succeeded(SchoolServer::openCache(QStringLiteral("outbox"), outbox, 50), &error));
        SchoolServer::closeCache(QStringLiteral("outbox"));
        QCOMPARE(QFileInfo(outbox).permissions() & others, QFile::Permissions());

        QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | others
                                                      | QFile::ExeGroup | QFile::ExeOther));
        QVERIFY(QFile::remove(path));
        const mode_t mask = ::umask(022);
        {
            ResultsTable table;
            QVERIFY2(succeeded(table.open(path), &error), qPrintable(error));
        }
        ::umask(mask);
        QCOMPARE(QFileInfo(path).permissions() & others, others);
    }

    void readOnlyFileIsRefusedUntouched()
    {
        QTemporaryDir dir;
        const QString path = freshFile(dir, QStringLiteral("records-valid/results.db"));
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        const QByteArray before = fileBytes(path);
        ResultsTable table;
        QString error;
        QVERIFY(!succeeded(table.open(path), &error));
        QVERIFY2(error.contains(QStringLiteral("للقراءة فقط")), qPrintable(error));
        QVERIFY2(error.contains(path), qPrintable(error));
        QCOMPARE(fileBytes(path), before);
    }

    void lockedFileIsRefusedThenOpensWhenFreed()
    {
        QTemporaryDir dir;
        const QString path = freshFile(dir, QStringLiteral("records-valid/results.db"));
        const QByteArray before = fileBytes(path);
        ResultsTable table;
        QString error;
        {
            RawDb other(path);
            QVERIFY(other.ok());
            QVERIFY(other.exec(QStringLiteral("BEGIN EXCLUSIVE")));
            QVERIFY(!succeeded(table.open(path), &error));
            QVERIFY2(error.contains(QStringLiteral("مقفل")), qPrintable(error));
            QVERIFY(other.exec(QStringLiteral("ROLLBACK")));
        }
        QCOMPARE(fileBytes(path), before);
        QVERIFY2(succeeded(table.open(path), &error), qPrintable(error));
        QCOMPARE(table.recordCount(), 3);
    }

    void namesAreStoredExactlyAndCut_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("stored");
        const QString fifty = QString(50, QChar(0x0628));
        QTest::newRow("empty") << QString() << QString();
        QTest::newRow("50") << fifty << fifty;
        QTest::newRow("51") << fifty + QStringLiteral("x") << fifty;
        QTest::newRow("500") << QString(500, QLatin1Char('a')) << QString(50, QLatin1Char('a'));
        QTest::newRow("blanks only") << QStringLiteral("   ") << QStringLiteral("   ");
        QTest::newRow("quotes") << QStringLiteral("O'Brien \"Jr\" `x`") << QStringLiteral("O'Brien \"Jr\" `x`");
        QTest::newRow("semicolons") << QStringLiteral("a;b;;c;") << QStringLiteral("a;b;;c;");
        QTest::newRow("sql text") << QStringLiteral("x'); DROP TABLE Table1; --")
                                  << QStringLiteral("x'); DROP TABLE Table1; --");
        QTest::newRow("rtl marks") << QStringLiteral("\u200Fمريم\u200E (5)\u202B\u202C")
                                   << QStringLiteral("\u200Fمريم\u200E (5)\u202B\u202C");
        // 49 letters then a character outside the basic plane: kept whole.
        const QString emoji = QStringLiteral("\U0001F600");
        QTest::newRow("no split pair") << QString(49, QLatin1Char('a')) + emoji + emoji
                                       << QString(49, QLatin1Char('a')) + emoji;
    }
    void namesAreStoredExactlyAndCut()
    {
        QFETCH(QString, name);
        QFETCH(QString, stored);
        QTemporaryDir dir;
        const QString path = freshFile(dir);
        int no = 0;
        {
            ResultsTable table;
            QString error;
            QVERIFY2(succeeded(table.open(path), &error), qPrintable(error));
            QVERIFY2(succeeded(table.addChild(name), &error), qPrintable(error));
            QCOMPARE(table.text(Field::Name), stored);
            no = table.currentNo();
        }
        // The file holds the name as typed; read back by a new instance, as
        // at the next start, it is shown without embeddings and overrides.
        QCOMPARE(RawDb(path).scalar(QStringLiteral("SELECT Name FROM Table1")).toString(), stored);
        ResultsTable again;
        QString error;
        QVERIFY2(succeeded(again.open(path), &error), qPrintable(error));
        QCOMPARE(again.recordCount(), 1);
        QVERIFY(again.findKey(QString::number(no)));
        const bool marks = QByteArray(QTest::currentDataTag()) == "rtl marks";
        QCOMPARE(again.text(Field::Name), marks ? QStringLiteral("\u200Fمريم\u200E (5)") : stored);
        QVERIFY(again.value(Field::Ok).isNull());
        QVERIFY(again.value(Field::NotOk).isNull());
    }

    void answersAreCountedAndCommitted()
    {
        QTemporaryDir dir;
        const QString path = freshFile(dir);
        ResultsTable table;
        QString error;
        QVERIFY(succeeded(table.open(path), &error));

        // The first answer on an empty table makes the child "-".
        QVERIFY2(succeeded(table.recordResult(Judgement::Right), &error), qPrintable(error));
        QCOMPARE(table.recordCount(), 1);
        QCOMPARE(table.text(Field::Name), QStringLiteral("-"));
        QCOMPARE(table.integer(Field::Ok), 1);
        QVERIFY(table.value(Field::NotOk).isNull());

        RawDb raw(path);
        QCOMPARE(raw.scalar(QStringLiteral("SELECT Ok FROM Table1")).toInt(), 1);
        QVERIFY(raw.scalar(QStringLiteral("SELECT NotOk FROM Table1")).isNull());

        // Only an exact "Y" is right; anything else is counted wrong.
        for (const char *result : {"N", "y", "", "Y "})
            QVERIFY(succeeded(table.recordResult(judgementFromText(QLatin1String(result))), &error));
        QVERIFY(succeeded(table.recordResult(Judgement::Right), &error));
        QCOMPARE(table.integer(Field::Ok), 2);
        QCOMPARE(table.integer(Field::NotOk), 4);
        // Committed: another connection sees every count at once.
        QCOMPARE(raw.scalar(QStringLiteral("SELECT Ok || '/' || NotOk FROM Table1")).toString(),
                 QStringLiteral("2/4"));
        QCOMPARE(table.state(), ResultsTable::State::Browse);
    }

    void wrongFirstAnswerOnEmptyTable()
    {
        QTemporaryDir dir;
        ResultsTable table;
        QString error;
        QVERIFY(succeeded(table.open(freshFile(dir)), &error));
        QVERIFY(succeeded(table.recordResult(Judgement::Wrong), &error));
        QCOMPARE(table.integer(Field::NotOk), 1);
        QVERIFY(table.value(Field::Ok).isNull());
    }

    void answersOnTheCurrentChildOnly()
    {
        QTemporaryDir dir;
        ResultsTable table;
        QString error;
        QVERIFY(succeeded(table.open(freshFile(dir)), &error));
        addChildren(table, {QStringLiteral("أ"), QStringLiteral("ب"), QStringLiteral("ج")});
        QCOMPARE(table.currentNo(), 3); // the child added last is current
        QVERIFY(table.value(Field::Ok).isNull());
        QVERIFY(table.findKey(QStringLiteral("2")));
        QVERIFY(succeeded(table.recordResult(Judgement::Right), &error));
        QCOMPARE(table.currentNo(), 2); // counting never moves the cursor
        QVERIFY(table.first());
        QVERIFY(table.value(Field::Ok).isNull());
        QVERIFY(table.last());
        QVERIFY(table.value(Field::Ok).isNull());
        QVERIFY(table.findKey(QStringLiteral("2")));
        QCOMPARE(table.integer(Field::Ok), 1);
    }

    void answerWhileLockedIsKeptPendingAndCountedLater()
    {
        QTemporaryDir dir;
        const QString path = freshFile(dir);
        ResultsTable table;
        QString error;
        QVERIFY(succeeded(table.open(path), &error));
        addChildren(table, {QStringLiteral("سارة")});
        {
            RawDb other(path);
            QVERIFY(other.exec(QStringLiteral("BEGIN EXCLUSIVE")));
            QVERIFY(!succeeded(table.recordResult(Judgement::Right), &error));
            QVERIFY2(error.contains(QStringLiteral("مقفل")), qPrintable(error));
            QCOMPARE(table.state(), ResultsTable::State::Edit);
            QVERIFY(other.exec(QStringLiteral("ROLLBACK")));
        }
        // The next answer posts the pending one with it: nothing is lost.
        QVERIFY2(succeeded(table.recordResult(Judgement::Right), &error), qPrintable(error));
        RawDb raw(path);
        QCOMPARE(raw.scalar(QStringLiteral("SELECT Ok FROM Table1")).toInt(), 2);
    }

    // Counted in the file, and counted in memory while the file is locked:
    // both stop at the largest integer instead of turning negative.
    void countsStopAtTheLargestInteger()
    {
        QTemporaryDir dir;
        const QString path = freshFile(dir);
        ResultsTable table;
        QString error;
        QVERIFY(succeeded(table.open(path), &error));
        addChildren(table, {QStringLiteral("سارة")});
        RawDb raw(path);
        QVERIFY(raw.exec(QStringLiteral("UPDATE Table1 SET Ok = %1, NotOk = %2")
                             .arg(AnswerCount::Largest)
                             .arg(AnswerCount::Largest - 1)));
        for (const Judgement j : {Judgement::Right, Judgement::Wrong, Judgement::Wrong})
            QVERIFY2(succeeded(table.recordResult(j), &error), qPrintable(error));
        const QString both = QStringLiteral("%1/%1").arg(AnswerCount::Largest);
        QCOMPARE(raw.scalar(QStringLiteral("SELECT Ok || '/' || NotOk FROM Table1")).toString(), both);
        QCOMPARE(raw.scalar(QStringLiteral("SELECT COUNT(*) FROM Answers")).toInt(), 3);
        QVERIFY(raw.exec(QStringLiteral("BEGIN EXCLUSIVE")));
        QVERIFY(!succeeded(table.recordResult(Judgement::Right), &error));
        QCOMPARE(table.integer(Field::Ok), AnswerCount::Largest);
        QVERIFY(raw.exec(QStringLiteral("ROLLBACK")));
        QVERIFY2(succeeded(table.recordResult(Judgement::Wrong), &error), qPrintable(error));
        QCOMPARE(raw.scalar(QStringLiteral("SELECT Ok || '/' || NotOk FROM Table1")).toString(), both);
    }

    void resetCounts()
    {
        QTemporaryDir dir;
        ResultsTable table;
        QString error;
        QVERIFY(succeeded(table.open(freshFile(dir)), &error));
        // On an empty table a reset adds a record with an empty name and 0 / 0.
        QVERIFY(succeeded(table.resetCounts(), &error));
        QCOMPARE(table.recordCount(), 1);
        QCOMPARE(table.text(Field::Name), QString());
        QCOMPARE(table.text(Field::Ok), QStringLiteral("0"));
        QCOMPARE(table.text(Field::NotOk), QStringLiteral("0"));

        QVERIFY(succeeded(table.recordResult(Judgement::Right), &error));
        QVERIFY(succeeded(table.recordResult(Judgement::Wrong), &error));
        QVERIFY(succeeded(table.resetCounts(), &error));
        QCOMPARE(table.value(Field::Ok), QVariant(0));
        QCOMPARE(table.value(Field::NotOk), QVariant(0));
    }

    void deleteMovesToTheFollowingChild()
    {
        QTemporaryDir dir;
        ResultsTable table;
        QString error;
        QVERIFY(succeeded(table.open(freshFile(dir)), &error));
        addChildren(table, {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")});
        QVERIFY(table.findKey(QStringLiteral("2")));
        QSignalSpy removed(&table, &ResultsTable::recordRemoved);
        QVERIFY(succeeded(table.deleteChild(), &error));
        QCOMPARE(removed.count(), 1);
        QCOMPARE(removed.at(0).at(0).toInt(), 2);
        QCOMPARE(table.currentNo(), 3);
        QVERIFY(succeeded(table.deleteChild(), &error)); // the last: the new last becomes current
        QCOMPARE(table.currentNo(), 1);
        QVERIFY(succeeded(table.deleteChild(), &error));
        QVERIFY(!table.hasCurrent());
        QCOMPARE(table.recordCount(), 0);

        QVERIFY(!succeeded(table.deleteChild(), &error));
        QCOMPARE(error, QStringLiteral("Table1: Cannot perform this operation on an empty dataset"));
        QCOMPARE(table.recordCount(), 0);

        // Numbers are never given again, so a saved child number cannot
        // silently point at another child.
        addChildren(table, {QStringLiteral("4")});
        QCOMPARE(table.currentNo(), 4);
    }

    void findByKey_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<bool>("found");
        QTest::addColumn<int>("no");
        QTest::newRow("number") << "9" << true << 9;
        QTest::newRow("with line end") << "5\r" << true << 5;
        QTest::newRow("missing") << "4" << false << 3;
        QTest::newRow("zero") << "0" << false << 3;
        QTest::newRow("empty") << "" << false << 3;
        QTest::newRow("word") << "abc" << false << 3;
        QTest::newRow("decimal") << "5.0" << false << 3;
        QTest::newRow("too big") << "99999999999" << false << 3;
        QTest::newRow("sql") << "5 OR 1=1" << false << 3;
    }
    void findByKey()
    {
        QFETCH(QString, key);
        QFETCH(bool, found);
        QFETCH(int, no);
        QTemporaryDir dir;
        ResultsTable table;
        QString error;
        QVERIFY(succeeded(table.open(freshFile(dir, QStringLiteral("records-valid/results.db"))), &error));
        QSignalSpy changed(&table, &ResultsTable::currentChanged);
        QCOMPARE(table.findKey(key), found);
        QCOMPARE(table.currentNo(), no);
        QCOMPARE(changed.count(), no == 3 ? 0 : 1);
    }

    void navigationStopsAtTheEnds()
    {
        QTemporaryDir dir;
        ResultsTable table;
        QString error;
        QVERIFY(succeeded(table.open(freshFile(dir, QStringLiteral("records-valid/results.db"))), &error));
        QVERIFY(!table.prior());
        QCOMPARE(table.currentNo(), 3);
        QVERIFY(table.last());
        QCOMPARE(table.currentNo(), 9);
        QVERIFY(!table.next());
        QCOMPARE(table.currentNo(), 9);
        QVERIFY(table.prior());
        QCOMPARE(table.currentNo(), 5);
        QVERIFY(table.first());
        QCOMPARE(table.currentNo(), 3);
    }

    void insertEditPostCancel()
    {
        QTemporaryDir dir;
        ResultsTable table;
        QString error;
        QVERIFY(succeeded(table.open(freshFile(dir, QStringLiteral("records-valid/results.db"))), &error));

        // Fields can be set only while a change is pending; No never.
        QVERIFY(!succeeded(table.setText(Field::Name, QStringLiteral("x")), &error));
        QVERIFY(succeeded(table.edit(), &error));
        QVERIFY(!succeeded(table.setInteger(Field::No, 7), &error));
        QVERIFY(!succeeded(table.setText(Field::Ok, QStringLiteral("many")), &error));
        QVERIFY(succeeded(table.setText(Field::Ok, QStringLiteral("12")), &error));
        QVERIFY(succeeded(table.setText(Field::NotOk, QString()), &error));
        QVERIFY(succeeded(table.edit(), &error)); // does nothing more
        QCOMPARE(table.integer(Field::Ok), 12);
        table.cancel();
        QCOMPARE(table.integer(Field::Ok), 4);
        QCOMPARE(table.integer(Field::NotOk), 1);
        table.cancel(); // nothing pending: nothing happens
        QCOMPARE(table.state(), ResultsTable::State::Browse);

        // A cancelled insertion puts the cursor back.
        QVERIFY(succeeded(table.insert(), &error));
        QCOMPARE(table.currentNo(), 0);
        QVERIFY(table.value(Field::Name).isNull());
        table.cancel();
        QCOMPARE(table.currentNo(), 3);
        QCOMPARE(table.recordCount(), 3);

        // Posting a new record gives it the next number and keeps it current.
        QVERIFY(succeeded(table.insert(), &error));
        QVERIFY(succeeded(table.setText(Field::Name, QString(60, QLatin1Char('n'))), &error));
        QVERIFY(succeeded(table.post(), &error));
        QCOMPARE(table.currentNo(), 10);
        QCOMPARE(table.text(Field::Name).size(), 50);
        QCOMPARE(table.recordCount(), 4);

        // Moving the cursor posts a pending edit.
        QVERIFY(succeeded(table.edit(), &error));
        QVERIFY(succeeded(table.setInteger(Field::Ok, 5), &error));
        QVERIFY(table.first());
        QVERIFY(table.findKey(QStringLiteral("10")));
        QCOMPARE(table.integer(Field::Ok), 5);
    }

    void editOnEmptyTableInserts()
    {
        QTemporaryDir dir;
        ResultsTable table;
        QString error;
        QVERIFY(succeeded(table.open(freshFile(dir)), &error));
        QVERIFY(succeeded(table.edit(), &error));
        QCOMPARE(table.state(), ResultsTable::State::Insert);
        QVERIFY(succeeded(table.setText(Field::Name, QStringLiteral("ريم")), &error));
        QVERIFY(succeeded(table.post(), &error));
        QCOMPARE(table.recordCount(), 1);
        QCOMPARE(table.currentNo(), 1);
    }

    void changesAreAnnounced()
    {
        QTemporaryDir dir;
        ResultsTable table;
        QString error;
        QVERIFY(succeeded(table.open(freshFile(dir, QStringLiteral("records-valid/results.db"))), &error));
        QSignalSpy changed(&table, &ResultsTable::currentChanged);
        QSignalSpy updated(&table, &ResultsTable::recordUpdated);
        QSignalSpy inserted(&table, &ResultsTable::recordInserted);
        QVERIFY(table.next());
        QCOMPARE(changed.count(), 1);
        QVERIFY(succeeded(table.recordResult(Judgement::Wrong), &error));
        QVERIFY(changed.count() >= 2);
        QCOMPARE(updated.count(), 1);
        QCOMPARE(updated.at(0).at(0).toInt(), 5);
        QVERIFY(succeeded(table.addChild(QStringLiteral("new")), &error));
        QCOMPARE(inserted.count(), 1);
        QCOMPARE(inserted.at(0).at(0).toInt(), 10);
    }

    void instancesAreIndependent()
    {
        QTemporaryDir dir;
        ResultsTable a;
        ResultsTable b;
        QString error;
        QVERIFY(succeeded(a.open(dir.filePath(QStringLiteral("a.db"))), &error));
        QVERIFY(succeeded(b.open(dir.filePath(QStringLiteral("b.db"))), &error));
        QVERIFY(succeeded(a.addChild(QStringLiteral("a")), &error));
        QCOMPARE(a.recordCount(), 1);
        QCOMPARE(b.recordCount(), 0);
        b.close();
        QVERIFY(succeeded(a.recordResult(Judgement::Right), &error));
        QVERIFY(!succeeded(b.recordResult(Judgement::Right), &error));
    }
};

QTEST_GUILESS_MAIN(TestResultsTable)
#include "tst_resultstable.moc"
