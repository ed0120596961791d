// Replays the kept fuzzing corpus of one fuzz target through its entry with
// the normal compiler, so every build checks the inputs that once found new
// paths or a fault. The folders (below tests/data) and the least number of
// files come from tests/fuzz/CMakeLists.txt.

#include "support/testsupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTest>

#include <cstdint>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);
// A target that needs an application object of its own (pictures are drawn
// with fonts) makes it here, as libFuzzer would call it.
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int *argc, char ***argv);

class TestCorpus : public QObject
{
    Q_OBJECT

private slots:
    void replayCorpus()
    {
        int replayed = 0;
        for (const QString &dir : QStringLiteral(QUIZ_CORPUS_DIRS).split(QLatin1Char(','))) {
            const QFileInfoList files = QDir(dir).entryInfoList(QDir::Files);
            QVERIFY2(!files.isEmpty(), qPrintable(QStringLiteral("the corpus %1 is missing").arg(dir)));
            for (const QFileInfo &fi : files) {
                QFile f(fi.absoluteFilePath());
                QVERIFY(f.open(QIODevice::ReadOnly));
                const QByteArray bytes = f.readAll();
                // A fault ends the program here, naming nothing: the file
                // replayed last is printed first.
                qDebug("%s", qPrintable(fi.fileName()));
                QCOMPARE(LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(bytes.constData()),
                                                size_t(bytes.size())), 0);
                ++replayed;
            }
        }
        QVERIFY2(replayed >= QUIZ_CORPUS_MIN_FILES, "the corpus is missing files");
    }
};

int main(int argc, char **argv)
{
    std::unique_ptr<QCoreApplication> app;
    if (LLVMFuzzerInitialize)
        LLVMFuzzerInitialize(&argc, &argv);
    else
        app = std::make_unique<QCoreApplication>(argc, argv);
    TestCorpus test;
    return QTest::qExec(&test, argc, argv);
}
#include "corpusreplay.moc"
