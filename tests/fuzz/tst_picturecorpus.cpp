// Replays the kept corpus of picture files through the picture fuzzing
// entry with the normal compiler, so every build checks them.

#include "support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv);
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

class TestPictureCorpus : public QObject
{
    Q_OBJECT

private slots:
    void replayCorpus()
    {
        const QDir corpus(testsupport::testData(QStringLiteral("pictures-corpus")));
        const QFileInfoList files = corpus.entryInfoList(QDir::Files);
        QVERIFY2(files.size() >= 10, "the corpus is missing");
        for (const QFileInfo &fi : files) {
            QFile f(fi.absoluteFilePath());
            QVERIFY(f.open(QIODevice::ReadOnly));
            const QByteArray bytes = f.readAll();
            QCOMPARE(LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(bytes.constData()),
                                            size_t(bytes.size())), 0);
        }
    }
};

int main(int argc, char **argv)
{
    LLVMFuzzerInitialize(&argc, &argv); // makes the application object
    TestPictureCorpus test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_picturecorpus.moc"
