// One clip player on the real media backend: opening good and bad clips,
// the states its buttons follow, playing to the end and again, reopening a
// clip replaced on disk, two players at once, and video drawn into a shared
// canvas.
#include "core/media/clipplayer.h"
#include "core/media/clipset.h"
#include "support/testsupport.h"
#include "ui/media/videocanvas.h"
#include "core/quiz/random.h"

#include "mediatestsupport.h"

#include <QApplication>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using testsupport::succeeded;

using namespace MediaTest;
using State = ClipPlayer::State;

namespace {

// How many of this process's open files lie under folder.
int openFilesUnder(const QString &folder)
{
    int count = 0;
    const QDir fds(QStringLiteral("/proc/self/fd"));
    for (const QFileInfo &fd : fds.entryInfoList(QDir::System | QDir::NoDotAndDotDot))
        if (fd.symLinkTarget().startsWith(QDir(folder).canonicalPath()))
            ++count;
    return count;
}

// The colour of the card's coloured border, above its light middle.
QColor borderColour(const QImage &image)
{
    const QImage small = image.convertToFormat(QImage::Format_RGB32);
    return small.pixelColor(small.width() / 2, small.height() / 20);
}

} // namespace

class TestClipPlayer : public QObject
{
    Q_OBJECT

private:
    ProgramFolder m_folder;

private slots:
    void initTestCase() { QVERIFY(m_folder.isValid()); }

    void opensSoundAndVideoClips()
    {
        ClipPlayer player;
        QSignalSpy changes(&player, &ClipPlayer::stateChanged);
        QCOMPARE(player.state(), State::Closed);
        QVERIFY(!player.canPlay());
        QCOMPARE(player.trackCount(), 0);

        player.setFileName(m_folder.data(QStringLiteral("color1.wav")));
        QString error;
        QVERIFY2(succeeded(player.open(), &error), qPrintable(error));
        QCOMPARE(player.state(), State::Stopped);
        QVERIFY(player.canPlay());
        QVERIFY(player.canRecord());
        QVERIFY(!player.hasVideo());
        QCOMPARE(player.trackCount(), 1);
        QCOMPARE(player.trackStart(1), 0);
        QCOMPARE(changes.count(), 1);

        // Video clips play but cannot be recorded into.
        player.setFileName(m_folder.data(QStringLiteral("color1.avi")));
        QVERIFY2(succeeded(player.open(), &error), qPrintable(error));
        QCOMPARE(player.state(), State::Stopped);
        QVERIFY(player.hasVideo());
        QVERIFY(!player.canRecord());
        player.record();
        QCOMPARE(player.state(), State::Stopped);

        player.close();
        QCOMPARE(player.state(), State::Closed);
        QVERIFY(!player.canPlay());
        QVERIFY(!player.hasVideo());
    }

    void badClipLeavesPlayerClosedAndFileAlone()
    {
        const QString file = m_folder.data(QStringLiteral("bad.wav"));
        const QByteArray text("not a clip at all");
        QVERIFY(writeFile(file, text));

        ClipPlayer player;
        player.setFileName(m_folder.data(QStringLiteral("true.wav")));
        QString error;
        QVERIFY(succeeded(player.open(), &error));
        player.play();

        // A failed open still closes the clip that was open.
        player.setFileName(file);
        QVERIFY(!succeeded(player.open(), &error));
        QVERIFY(error.contains(file));
        QCOMPARE(player.state(), State::Closed);
        QCOMPARE(readFile(file), text);
        player.play();
        QCOMPARE(player.state(), State::Closed);

        // A player without an open clip has nothing to save and says so.
        QString saveError;
        QVERIFY(!succeeded(player.save(), &saveError));
        QVERIFY(saveError.contains(file));
        QCOMPARE(readFile(file), text);
    }

    void playsToTheEndAndAgainFromTheStart()
    {
        ClipPlayer player;
        player.setFileName(m_folder.data(QStringLiteral("true.wav")));
        QString error;
        QVERIFY(succeeded(player.open(), &error));
        QSignalSpy changes(&player, &ClipPlayer::stateChanged);

        player.play();
        QCOMPARE(player.state(), State::Playing);
        QTRY_COMPARE_WITH_TIMEOUT(player.state(), State::Stopped, 8000);
        QVERIFY(player.duration() > 500);
        QVERIFY(changes.count() >= 2);

        // At its end, play starts the clip from its beginning again.
        player.play();
        QCOMPARE(player.state(), State::Playing);
        QTRY_VERIFY_WITH_TIMEOUT(player.position() > 0, 3000);
        QVERIFY(player.position() < player.duration() - 100);

        // Stop keeps the position; play goes on from there.
        QTest::qWait(200);
        player.stop();
        QCOMPARE(player.state(), State::Stopped);
        const qint64 stoppedAt = player.position();
        QVERIFY(stoppedAt > 0);
        player.play();
        QCOMPARE(player.state(), State::Playing);
        QTest::qWait(100);
        QVERIFY(player.position() >= stoppedAt);
        player.stop();
    }

    void savingWithoutRecordingLeavesClipAlone()
    {
        const QString file = m_folder.data(QStringLiteral("color3.wav"));
        ClipPlayer player;
        player.setFileName(file);
        QString error;
        QVERIFY(succeeded(player.open(), &error));

        // Another program replaces the clip while it is open: a save of the
        // unchanged player must not write the old clip back over it.
        const QByteArray replacement = readFile(m_folder.data(QStringLiteral("false.wav")));
        QVERIFY(writeFile(file, replacement));
        QVERIFY2(succeeded(player.save(), &error), qPrintable(error));
        QCOMPARE(readFile(file), replacement);
        QVERIFY(!player.hasRecording());

        // A player without a file name has nothing to save.
        ClipPlayer unnamed;
        QVERIFY(succeeded(unnamed.save(), &error));
    }

    void startClipReopensAClipReplacedOnDisk()
    {
        const QString file = m_folder.data(QStringLiteral("replaced.wav"));
        QVERIFY(QFile::copy(m_folder.data(QStringLiteral("true.wav")), file));
        Random random;
        random.seedOnce(7);
        ClipPlayer player;
        player.setFileName(file);
        QString error;
        QVERIFY(succeeded(startClip(player, random), &error));
        QCOMPARE(player.state(), State::Playing);
        QTRY_VERIFY_WITH_TIMEOUT(player.duration() > 0, 3000);
        const qint64 before = player.duration();

        QVERIFY(QFile::remove(file));
        QVERIFY(QFile::copy(m_folder.data(QStringLiteral("color2.wav")), file));
        QVERIFY(succeeded(startClip(player, random), &error));
        QCOMPARE(player.state(), State::Playing);
        QTRY_VERIFY_WITH_TIMEOUT(player.duration() > 0 && player.duration() != before, 3000);
        QVERIFY(player.duration() > before + 500);

        // A clip removed meanwhile: the start fails, nothing plays.
        QVERIFY(QFile::remove(file));
        QVERIFY(!succeeded(startClip(player, random), &error));
        QVERIFY(error.contains(file));
        QCOMPARE(player.state(), State::Closed);
    }

    void aClipRewrittenInPlaceIsHeardAnew()
    {
        // Another program writes into the same file (same name, same inode,
        // same size): only the file's time tells the change, and the clip
        // that stays loaded between questions must still be read again.
        const QString file = m_folder.data(QStringLiteral("inplace.wav"));
        QByteArray wave = readFile(m_folder.data(QStringLiteral("color2.wav")));
        QVERIFY(writeFile(file, wave));
        Random random;
        random.seedOnce(3);
        ClipPlayer player;
        player.setFileName(file);
        QString error;
        QVERIFY(succeeded(startClip(player, random), &error));
        QTRY_VERIFY_WITH_TIMEOUT(player.duration() > 0, 3000);
        const qint64 before = player.duration();

        // Twice the sample rate: the same bytes last half as long.
        qToLittleEndian<quint32>(44100, wave.data() + 24);
        qToLittleEndian<quint32>(88200, wave.data() + 28);
        QFile same(file);
        QVERIFY(same.open(QIODevice::ReadWrite));
        QCOMPARE(same.write(wave.left(32)), 32);
        same.close();
        QCOMPARE(QFileInfo(file).size(), qint64(wave.size()));

        QVERIFY(succeeded(startClip(player, random), &error));
        QTRY_VERIFY_WITH_TIMEOUT(player.duration() > 0 && player.duration() < before * 3 / 4, 3000);
        QVERIFY(player.duration() > before / 3);
    }

    void aClipRenamedInLetterCaseIsFoundAtItsNextStart()
    {
        // COLOR1.WAV copied in for color1.wav while the quiz runs: heard at
        // the clip's next start, and what the clip saves goes under that name.
        QTemporaryDir dir;
        const QString lower = dir.filePath(QStringLiteral("color1.wav"));
        const QString upper = dir.filePath(QStringLiteral("COLOR1.WAV"));
        QByteArray wave = readFile(m_folder.data(QStringLiteral("color2.wav")));
        QVERIFY(writeFile(lower, wave));
        Random random;
        random.seedOnce(3);
        ClipPlayer player;
        player.setFileName(lower);
        QString error;
        QVERIFY(succeeded(startClip(player, random), &error));
        const qint64 before = player.duration();
        QVERIFY(before > 0);
        QVERIFY(QFile::remove(lower));
        // Twice the sample rate: the same bytes last half as long.
        qToLittleEndian<quint32>(quint32(qFromLittleEndian<quint32>(wave.constData() + 24) * 2), wave.data() + 24);
        qToLittleEndian<quint32>(quint32(qFromLittleEndian<quint32>(wave.constData() + 28) * 2), wave.data() + 28);
        QVERIFY(writeFile(upper, wave));
        for (int start = 0; start < 2; ++start) {
            QVERIFY2(succeeded(startClip(player, random), &error), qPrintable(error));
            QCOMPARE(player.state(), ClipPlayer::State::Playing);
            QVERIFY(player.duration() > before / 3 && player.duration() < before * 3 / 4);
        }
        QCOMPARE(player.fileName(), upper);
    }

    void aClipAskedForWhileAnotherLoadsIsTheOneHeard()
    {
        // The backend is still loading the first clip when the second is
        // asked for: the second waits for the first to load, then replaces it.
        Random random;
        random.seedOnce(5);
        ClipPlayer player;
        QString error;
        player.setFileName(m_folder.data(QStringLiteral("true.wav")));
        QVERIFY(succeeded(player.open(), &error));
        player.setFileName(m_folder.data(QStringLiteral("color2.wav")));
        QVERIFY(succeeded(startClip(player, random), &error));
        QCOMPARE(player.state(), State::Playing);
        // color2.wav lasts over two seconds, true.wav under one.
        QTRY_VERIFY_WITH_TIMEOUT(player.duration() > 2000, 3000);
        QTRY_VERIFY_WITH_TIMEOUT(player.position() > 1200, 5000);
        QCOMPARE(player.state(), State::Playing);
    }

    void playersDroppedWhileLoadingLeaveNothingBehind()
    {
        // Windows that open their clips and close at once (a failed start,
        // a quick test) drop players whose backend still loads; that must
        // neither lock up nor keep the clips' files open. Clips in a codec
        // that only the backend plays.
        const QString names[] = {m_folder.data(QStringLiteral("alaw.avi")), m_folder.data(QStringLiteral("alaw.wav"))};
        QVERIFY(writeFile(names[0], aLawClip(readFile(testData(QStringLiteral("media/audio-only.avi"))))));
        QVERIFY(writeFile(names[1], aLawClip(readFile(m_folder.data(QStringLiteral("color1.wav"))))));
        for (int i = 0; i < 20; ++i) {
            ClipPlayer player;
            player.setFileName(names[i % 2]);
            QString error;
            QVERIFY(succeeded(player.open(), &error));
            player.play();
        }
        // What the program does as it ends: wait for them to load and go.
        QVERIFY(ClipPlayer::droppedPlayerCount() > 0);
        ClipPlayer::finishDroppedPlayers(5000);
        QCOMPARE(ClipPlayer::droppedPlayerCount(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(openFilesUnder(m_folder.appDir()) == 0, 5000);

        // The players still work afterwards.
        Random random;
        random.seedOnce(6);
        ClipPlayer player;
        player.setFileName(names[1]);
        QString error;
        QVERIFY(succeeded(startClip(player, random), &error));
        QTRY_VERIFY_WITH_TIMEOUT(player.position() > 100, 3000);
    }

    void aSoundingClipStartsAgainFromItsBeginning_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("sound") << "color2.wav";
        QTest::newRow("video") << "color2.avi";
    }
    void aSoundingClipStartsAgainFromItsBeginning()
    {
        QFETCH(QString, name);
        Random random;
        random.seedOnce(4);
        ClipPlayer player;
        player.setFileName(m_folder.data(name));
        QString error;
        QVERIFY(succeeded(startClip(player, random), &error));
        QTRY_VERIFY_WITH_TIMEOUT(player.position() > 900, 5000);
        QCOMPARE(player.state(), State::Playing);

        QVERIFY(succeeded(startClip(player, random), &error));
        QCOMPARE(player.state(), State::Playing);
        QTest::qWait(100);
        QVERIFY2(player.position() < 600, qPrintable(QString::number(player.position())));

        // Stopped halfway and started again: from the beginning too.
        QTRY_VERIFY_WITH_TIMEOUT(player.position() > 900, 5000);
        player.stop();
        QVERIFY(player.position() > 900);
        QVERIFY(succeeded(startClip(player, random), &error));
        QTest::qWait(100);
        QVERIFY2(player.position() < 600, qPrintable(QString::number(player.position())));
        QCOMPARE(player.state(), State::Playing);
    }

    void questionAndResultClipsSoundTogether()
    {
        Random random;
        random.seedOnce(1);
        ClipPlayer question;
        ClipPlayer result;
        question.setFileName(m_folder.data(QStringLiteral("color2.wav")));
        result.setFileName(m_folder.data(QStringLiteral("true.wav")));
        QString error;
        QVERIFY(succeeded(startClip(question, random), &error));
        QTest::qWait(300);
        QVERIFY(succeeded(startClip(result, random), &error));
        QTest::qWait(300);
        QCOMPARE(question.state(), State::Playing);
        QCOMPARE(result.state(), State::Playing);
        QTRY_VERIFY_WITH_TIMEOUT(question.position() > 400 && result.position() > 100, 3000);
        QCOMPARE(question.state(), State::Playing);
    }

    void videoIsDrawnByThePlayerStartedLast()
    {
        VideoCanvas canvas;
        canvas.resize(200, 200);
        canvas.show();
        Random random;
        random.seedOnce(3);
        ClipPlayer red;
        ClipPlayer green;
        red.setVideoOutput(&canvas);
        green.setVideoOutput(&canvas);
        red.setFileName(m_folder.data(QStringLiteral("color1.avi")));
        green.setFileName(m_folder.data(QStringLiteral("true.avi")));
        QString error;

        // Opening alone draws nothing: the panel belongs to playing clips.
        QVERIFY(succeeded(red.open(), &error));
        QVERIFY(succeeded(green.open(), &error));
        QTest::qWait(300);
        QVERIFY(canvas.currentImage().isNull());

        QVERIFY(succeeded(startClip(red, random), &error));
        QTRY_VERIFY_WITH_TIMEOUT(!canvas.currentImage().isNull(), 3000);
        QColor colour = borderColour(canvas.currentImage());
        QVERIFY2(colour.red() > 180 && colour.green() < 80 && colour.blue() < 80,
                 qPrintable(colour.name()));

        QVERIFY(succeeded(startClip(green, random), &error));
        QTRY_VERIFY_WITH_TIMEOUT(borderColour(canvas.currentImage()).green() > 90
                                     && borderColour(canvas.currentImage()).red() < 80,
                                 3000);
        // The red clip still plays but no longer draws over the green one.
        QCOMPARE(red.state(), State::Playing);
        QTest::qWait(300);
        colour = borderColour(canvas.currentImage());
        QVERIFY2(colour.green() > 90 && colour.red() < 80, qPrintable(colour.name()));

        // The canvas paints its picture into the window like any widget.
        const QImage shown = canvas.grab().toImage();
        QVERIFY(borderColour(shown).green() > 90);
    }
};

QTEST_MAIN(TestClipPlayer)
#include "tst_clipplayer.moc"

