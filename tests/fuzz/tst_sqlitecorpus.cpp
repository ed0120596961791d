// Replays the kept corpus of SQLite files (results.db and outbox files the
// quiz made, damaged ones, ones with objects planted by another program)
// through the opening of both files with the normal compiler.

#include "support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

class TestSqliteCorpus : public QObject
{
    Q_OBJECT

private slots:
    void replayCorpus()
    {
        const QDir corpus(testsupport::testData(QStringLiteral("sqlite-corpus")));
        const QFileInfoList files = corpus.entryInfoList(QDir::Files);
        QVERIFY2(files.size() >= 6, "the corpus is missing");
        for (const QFileInfo &fi : files) {
            QFile f(fi.absoluteFilePath());
            QVERIFY(f.open(QIODevice::ReadOnly));
            const QByteArray bytes = f.readAll();
            QCOMPARE(LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(bytes.constData()),
                                            size_t(bytes.size())), 0);
        }
    }
};

QTEST_GUILESS_MAIN(TestSqliteCorpus)
#include "tst_sqlitecorpus.moc"
