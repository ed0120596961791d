// Replays the kept fuzzing corpus through the readers with the normal
// compiler, so every build checks the inputs that once found new paths.

#include "support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

class TestOptionsCorpus : public QObject
{
    Q_OBJECT

private slots:
    void replayCorpus()
    {
        const QDir corpus(testsupport::testData(QStringLiteral("options-corpus")));
        const QFileInfoList files = corpus.entryInfoList(QDir::Files);
        QVERIFY2(files.size() >= 20, "the corpus is missing");
        for (const QFileInfo &fi : files) {
            QFile f(fi.absoluteFilePath());
            QVERIFY(f.open(QIODevice::ReadOnly));
            const QByteArray bytes = f.readAll();
            QCOMPARE(LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(bytes.constData()),
                                            size_t(bytes.size())), 0);
        }
    }
};

QTEST_GUILESS_MAIN(TestOptionsCorpus)
#include "tst_optionscorpus.moc"
