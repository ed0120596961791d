// The five clips as files: names per medium, emptying a clip with the
// blank clip without ever losing the teacher's clip, and saving them all
// without one missing clip blocking the rest.
#include "core/media/clipplayer.h"
#include "core/media/clipset.h"

#include "mediatestsupport.h"
#include "support/testsupport.h"

#include <QTest>

using testsupport::succeeded;

using namespace MediaTest;
using State = ClipPlayer::State;

namespace {

/// The files of the default Data folder: a program folder holds no others
/// until something is left behind.
QStringList shippedDataFiles()
{
    return QDir(appDirTemplate() + QStringLiteral("/Data")).entryList(QDir::Files | QDir::Hidden);
}

} // namespace

class TestClipSet : public QObject
{
    Q_OBJECT

private slots:
    void namesFollowTheMedium()
    {
        QCOMPARE(ClipSet::mediaExtension(0, QStringLiteral("avi")), QStringLiteral("wav"));
        QCOMPARE(ClipSet::mediaExtension(1, QStringLiteral("wav")), QStringLiteral("avi"));
        QCOMPARE(ClipSet::mediaExtension(-1, QStringLiteral("avi")), QStringLiteral("avi"));
        QCOMPARE(ClipSet::mediaExtension(2, QStringLiteral("wav")), QStringLiteral("wav"));

        const QString dir = QStringLiteral("/opt/quiz/");
        const QStringList expected = {"color1.wav", "color2.wav", "color3.wav", "true.wav",
                                      "false.wav"};
        for (int i = 0; i < ClipSet::ClipCount; ++i)
            QCOMPARE(ClipSet::clipFileName(dir, i, QStringLiteral("wav")),
                     dir + QStringLiteral("Data/") + expected[i]);
        QCOMPARE(ClipSet::clipFileName(dir, 4, QStringLiteral("avi")),
                 QStringLiteral("/opt/quiz/Data/false.avi"));
        QCOMPARE(ClipSet::blankFileName(dir, QStringLiteral("avi")),
                 QStringLiteral("/opt/quiz/Data/0.avi"));
    }

    void resetReplacesClipWithBlankOfItsMedium_data()
    {
        QTest::addColumn<QString>("ext");
        QTest::addColumn<QString>("otherExt");
        QTest::newRow("sound") << "wav" << "avi";
        QTest::newRow("video") << "avi" << "wav";
    }
    void resetReplacesClipWithBlankOfItsMedium()
    {
        QFETCH(QString, ext);
        QFETCH(QString, otherExt);
        ProgramFolder folder;
        const QString clip = ClipSet::clipFileName(folder.appDir(), 0, ext);
        const QString otherMedium = ClipSet::clipFileName(folder.appDir(), 0, otherExt);
        const QByteArray otherBefore = readFile(otherMedium);

        ClipPlayer player;
        player.setFileName(clip);
        QString error;
        QVERIFY(succeeded(player.open(), &error));
        player.play();
        QCOMPARE(player.state(), State::Playing);

        QVERIFY2(succeeded(ClipSet::resetClip(player, ClipSet::blankFileName(folder.appDir(), ext)), &error),
                 qPrintable(error));
        QCOMPARE(readFile(clip), readFile(folder.data(QStringLiteral("0.") + ext)));
        QCOMPARE(player.state(), State::Stopped);
        QCOMPARE(player.fileName(), clip);
        QCOMPARE(readFile(otherMedium), otherBefore);
        // No temporary copies are left beside the clips.
        QCOMPARE(QDir(folder.dataDir()).entryList(QDir::Files), shippedDataFiles());
    }

    void resetWithoutUsableBlankKeepsTheClip_data()
    {
        QTest::addColumn<QByteArray>("blank");
        QTest::addColumn<bool>("blankExists");
        QTest::addColumn<QString>("reason");
        QTest::newRow("blank missing") << QByteArray() << false << QStringLiteral("غير موجود");
        QTest::newRow("blank empty") << QByteArray() << true << QStringLiteral("فارغ");
        QTest::newRow("blank is text") << QByteArray("blank") << true
                                       << QStringLiteral("ليس مقطع");
    }
    void resetWithoutUsableBlankKeepsTheClip()
    {
        QFETCH(QByteArray, blank);
        QFETCH(bool, blankExists);
        QFETCH(QString, reason);
        ProgramFolder folder;
        const QString blankFile = ClipSet::blankFileName(folder.appDir(), QStringLiteral("wav"));
        QVERIFY(QFile::remove(blankFile));
        if (blankExists)
            QVERIFY(writeFile(blankFile, blank));
        const QString clip = ClipSet::clipFileName(folder.appDir(), 3, QStringLiteral("wav"));
        const QByteArray before = readFile(clip);

        ClipPlayer player;
        player.setFileName(clip);
        QString error;
        QVERIFY(succeeded(player.open(), &error));
        QVERIFY(!succeeded(ClipSet::resetClip(player, blankFile), &error));
        QCOMPARE(readFile(clip), before);
        QVERIFY2(error.contains(clip) && error.contains(blankFile) && error.contains(reason),
                 qPrintable(error));
        QVERIFY2(error.contains(QStringLiteral("بقي كما كان")), qPrintable(error));
        // The kept clip is open again and plays.
        QCOMPARE(player.state(), State::Stopped);
        player.play();
        QCOMPARE(player.state(), State::Playing);
    }

    void resetRestoresAMissingClip()
    {
        ProgramFolder folder;
        const QString clip = ClipSet::clipFileName(folder.appDir(), 1, QStringLiteral("wav"));
        QVERIFY(QFile::remove(clip));
        ClipPlayer player;
        player.setFileName(clip);
        QString error;
        QVERIFY(!succeeded(player.open(), &error));
        QVERIFY2(succeeded(ClipSet::resetClip(player, folder.data(QStringLiteral("0.wav"))), &error),
                 qPrintable(error));
        QCOMPARE(player.state(), State::Stopped);
        QCOMPARE(readFile(clip), readFile(folder.data(QStringLiteral("0.wav"))));
    }

    void resetThatCannotWriteKeepsTheClip()
    {
        ProgramFolder folder;
        // The clip's name is taken by a folder: nothing can be written there.
        const QString clip = folder.data(QStringLiteral("taken.wav"));
        QVERIFY(QDir().mkpath(clip + QStringLiteral("/inside")));
        ClipPlayer player;
        player.setFileName(clip);
        QString error;
        QVERIFY(!succeeded(ClipSet::resetClip(player, folder.data(QStringLiteral("0.wav"))), &error));
        QVERIFY2(error.contains(clip), qPrintable(error));
        QVERIFY(QFileInfo(clip + QStringLiteral("/inside")).isDir());
        QCOMPARE(player.state(), State::Closed);
    }

    void resetCutShortByTheDiskKeepsTheClip()
    {
        // The disk takes only part of the blank (here a file size limit, as a
        // full disk would): the teacher's clip stays whole and the reason is
        // told in Arabic.
        ProgramFolder folder;
        const QString clip = ClipSet::clipFileName(folder.appDir(), 0, QStringLiteral("wav"));
        const QByteArray before = readFile(clip);
        ClipPlayer player;
        player.setFileName(clip);
        QString error;
        QVERIFY(succeeded(player.open(), &error));
        bool reset = true;
        {
            testsupport::FileSizeLimit limit(1024);
            reset = succeeded(ClipSet::resetClip(player, folder.data(QStringLiteral("0.wav"))), &error);
        }
        QVERIFY(!reset);
        QCOMPARE(readFile(clip), before);
        QVERIFY2(error.contains(clip) && error.contains(QStringLiteral("الملف أكبر مما يسمح به القرص")),
                 qPrintable(error));
        QCOMPARE(QDir(folder.dataDir()).entryList(QDir::Files | QDir::Hidden), shippedDataFiles());
        QCOMPARE(player.state(), State::Stopped);
    }

    void saveAllSkipsPlayersWithoutClip()
    {
        ProgramFolder folder;
        QVERIFY(QFile::remove(ClipSet::clipFileName(folder.appDir(), 2, QStringLiteral("wav"))));
        std::array<ClipPlayer, ClipSet::ClipCount> players;
        QList<ClipPlayer *> list;
        QList<QByteArray> before;
        int opened = 0;
        for (int i = 0; i < ClipSet::ClipCount; ++i) {
            players[i].setFileName(ClipSet::clipFileName(folder.appDir(), i, QStringLiteral("wav")));
            QString error;
            opened += succeeded(players[i].open(), &error) ? 1 : 0;
            list << &players[i];
            before << readFile(players[i].fileName());
        }
        QCOMPARE(opened, 4);

        QString error;
        QVERIFY2(succeeded(ClipSet::saveAll(list), &error), qPrintable(error));
        QVERIFY(error.isEmpty());
        for (int i = 0; i < ClipSet::ClipCount; ++i)
            QCOMPARE(readFile(players[i].fileName()), before[i]);
        QVERIFY(!QFile::exists(players[2].fileName()));

        // Nothing open at all still saves.
        for (ClipPlayer &player : players)
            player.close();
        QVERIFY(succeeded(ClipSet::saveAll(list), &error));
    }
};

QTEST_MAIN(TestClipSet)
#include "tst_clipset.moc"

