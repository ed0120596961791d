// Replays the kept fuzzing corpus of one fuzz target through its entry with
// the normal compiler, so every build checks the inputs that once found new
// paths or a fault. The folders (below tests/data) and the least number of
// files come from tests/fuzz/CMakeLists.txt.

#include "support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

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

QTEST_GUILESS_MAIN(TestCorpus)
#include "corpusreplay.moc"
