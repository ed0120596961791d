#include "core/records/resultsmodel.h"
#include "core/records/resultstable.h"
#include "support/testsupport.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

using testsupport::succeeded;

class TestResultsModel : public QObject
{
    Q_OBJECT

private:
    // Fills a new table quickly in one transaction through a side connection.
    static void fill(const QString &path, int children)
    {
        {
            ResultsTable maker;
            QString error;
            QVERIFY2(succeeded(maker.open(path), &error), qPrintable(error));
        }
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fill"));
            db.setDatabaseName(path);
            QVERIFY(db.open());
            QVERIFY(db.transaction());
            QSqlQuery q(db);
            QVERIFY(q.prepare(QStringLiteral("INSERT INTO Table1 (Name, Ok, NotOk) VALUES (?, ?, ?)")));
            for (int i = 1; i <= children; ++i) {
                q.bindValue(0, QStringLiteral("طفل %1").arg(i));
                q.bindValue(1, i % 3 == 0 ? QVariant(QMetaType::fromType<int>()) : QVariant(i));
                q.bindValue(2, i % 3 == 0 ? QVariant(QMetaType::fromType<int>()) : QVariant(i * 2));
                QVERIFY(q.exec());
            }
            QVERIFY(db.commit());
        }
        QSqlDatabase::removeDatabase(QStringLiteral("fill"));
    }

private slots:
    void showsTheTableWithTitlesAndBlanks()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("results.db"));
        fill(path, 5);
        ResultsTable table;
        QString error;
        QVERIFY(succeeded(table.open(path), &error));
        ResultsModel model(table);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);

        QCOMPARE(model.rowCount(), 5);
        QCOMPARE(model.columnCount(), 4);
        const QStringList titles{QStringLiteral("م"), QStringLiteral("الاسم"),
                                 QStringLiteral("الإجابات الصحيحة"), QStringLiteral("الإجابات الخاطئة")};
        for (int c = 0; c < 4; ++c)
            QCOMPARE(model.headerData(c, Qt::Horizontal).toString(), titles.at(c));
        QCOMPARE(model.index(1, 0).data().toInt(), 2);
        QCOMPARE(model.index(1, 1).data().toString(), QStringLiteral("طفل 2"));
        QCOMPARE(model.index(1, 2).data().toInt(), 2);
        QCOMPARE(model.index(1, 3).data().toInt(), 4);
        // Empty counts are blank, not 0.
        QVERIFY(!model.index(2, 2).data().isValid());
        QVERIFY(!model.index(2, 3).data().isValid());
        // Nothing can be edited in the grid.
        QVERIFY(!(model.flags(model.index(0, 1)) & Qt::ItemIsEditable));
        QVERIFY(!model.setData(model.index(0, 1), QStringLiteral("x")));
    }

    void readsLargeTablesInBlocks()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("results.db"));
        const int children = 5 * ResultsModel::BlockSize * ResultsModel::MaxBlocks / 4 + 7;
        fill(path, children);
        ResultsTable table;
        QString error;
        QVERIFY(succeeded(table.open(path), &error));
        ResultsModel model(table);
        QCOMPARE(model.rowCount(), children);
        // Walk past the number of kept blocks and back: every row stays right.
        for (int row = 0; row < children; row += 37)
            QCOMPARE(model.index(row, 1).data().toString(), QStringLiteral("طفل %1").arg(row + 1));
        QCOMPARE(model.index(children - 1, 0).data().toInt(), children);
        QCOMPARE(model.index(0, 3).data().toInt(), 2);
        QCOMPARE(model.rowOf(children), children - 1);
        QCOMPARE(model.noAt(children - 1), children);
        QCOMPARE(model.rowOf(children + 1), -1);
        QVERIFY(model.lastError().isEmpty());
    }

    void followsTheTable()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("results.db"));
        fill(path, 4);
        ResultsTable table;
        QString error;
        QVERIFY(succeeded(table.open(path), &error));
        ResultsModel model(table);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(model.rowCount(), 4);
        QCOMPARE(model.index(0, 2).data().toInt(), 1); // read before the change

        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        QVERIFY(succeeded(table.recordResult(Judgement::Right), &error));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(model.index(0, 2).data().toInt(), 2);

        QVERIFY(succeeded(table.addChild(QStringLiteral("جديد")), &error));
        QCOMPARE(model.rowCount(), 5);
        QCOMPARE(model.index(4, 1).data().toString(), QStringLiteral("جديد"));
        QVERIFY(!model.index(4, 2).data().isValid());

        QVERIFY(table.findKey(QStringLiteral("2")));
        QVERIFY(succeeded(table.deleteChild(), &error));
        QCOMPARE(model.rowCount(), 4);
        QCOMPARE(model.index(1, 0).data().toInt(), 3);
        QCOMPARE(model.rowOf(2), -1);

        // Another file: the model shows that one.
        QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
        QVERIFY(succeeded(table.open(dir.filePath(QStringLiteral("other.db"))), &error));
        QVERIFY(reset.count() >= 1);
        QCOMPARE(model.rowCount(), 0);
    }

    void keysAreReadOnlyWhenAViewAsks()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("results.db"));
        fill(path, 3);
        ResultsTable table;
        QString error;
        QVERIFY(succeeded(table.open(path), &error));
        ResultsModel model(table);
        // A child added before any view asked is in the keys when they are read.
        QVERIFY(succeeded(table.addChild(QStringLiteral("x")), &error));
        QCOMPARE(model.rowCount(), 4);
        QCOMPARE(model.noAt(3), 4);
    }
};

QTEST_GUILESS_MAIN(TestResultsModel)
#include "tst_resultsmodel.moc"
