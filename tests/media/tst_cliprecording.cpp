// Recording clips on a real sound server: what the players sound into the
// server's sink is heard back through its monitor, so a recording made
// while a clip plays must come out as a normal, non-silent wav file that
// reaches the clip file only through a save.
#include "core/media/clipfile.h"
#include "support/testsupport.h"
#include "core/media/clipplayer.h"
#include "core/media/clipset.h"
#include "core/quiz/random.h"

#include "mediatestsupport.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>

#include <memory>

#include <sys/stat.h>

using testsupport::succeeded;

using namespace MediaTest;
using State = ClipPlayer::State;

class TestClipRecording : public QObject
{
    Q_OBJECT

private:
    QString m_skipReason;

    // The clock of the recording under way.
    std::unique_ptr<RecordingClock> m_clock;

    // Starts recording and waits until sound actually arrives, which the
    // server may take a moment to begin.
    bool startRecording(ClipPlayer &player)
    {
        m_clock = std::make_unique<RecordingClock>(player);
        player.record();
        if (player.state() != State::Recording)
            return false;
        if (!m_clock->waitForFirstSound())
            qWarning() << "recording did not start:" << int(player.state()) << player.lastErrorText();
        return player.recordedDuration() > 0;
    }

    // Records on until the recording has heard what the players sounded and
    // a little silence after it. Saving as soon as a player has stopped
    // could cut a short clip off whole: the sound reaches the recording
    // only after the sound server's latency.
    bool recordPastTheSound() { return m_clock->waitForSoundThenSilence(); }

    void openOn(ClipPlayer &player, const QString &file)
    {
        player.setFileName(file);
        QString error;
        QVERIFY2(succeeded(player.open(), &error), qPrintable(error));
    }

    /// The hidden files beside the clips: recordings not saved yet.
    static QStringList recordingsIn(const ProgramFolder &folder)
    {
        return QDir(folder.data(QString())).entryList(QDir::Files | QDir::Hidden)
            .filter(QRegularExpression(QStringLiteral("^\\.")));
    }

    static quint64 inodeOf(const QString &path)
    {
        struct stat info;
        return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? quint64(info.st_ino) : 0;
    }

private slots:
    void initTestCase()
    {
        m_skipReason = soundServerSkipReason();
    }

    void init()
    {
        if (!m_skipReason.isEmpty())
            QSKIP(qPrintable(m_skipReason));
    }

    void recordsWhatThePlayersSound()
    {
        ProgramFolder folder;
        const QString clip = folder.data(QStringLiteral("color1.wav"));
        ClipPlayer recorder;
        openOn(recorder, clip);
        // As a teacher does it: empty the clip (X), record, stop.
        QString error;
        QVERIFY2(succeeded(ClipSet::resetClip(recorder, folder.data(QStringLiteral("0.wav"))), &error),
                 qPrintable(error));
        QVERIFY(startRecording(recorder));

        Random random;
        random.seedOnce(5);
        ClipPlayer speaker;
        speaker.setFileName(folder.data(QStringLiteral("color2.wav")));
        QVERIFY(succeeded(startClip(speaker, random), &error));
        QTRY_COMPARE_WITH_TIMEOUT(speaker.state(), State::Stopped, 10000);
        QCOMPARE(recorder.state(), State::Recording);
        QVERIFY(recordPastTheSound());

        // The stop button saves first: the recording is finished and written.
        QVERIFY2(succeeded(recorder.save(), &error), qPrintable(error));
        QCOMPARE(recorder.state(), State::Stopped);
        QVERIFY(!recorder.hasRecording());
        recorder.stop();
        QCOMPARE(recorder.state(), State::Stopped);

        const QByteArray recorded = readFile(clip);
        const ClipFile::Check check = ClipFile::check(clip);
        QVERIFY2(check.ok(), qPrintable(check.error));
        QCOMPARE(check.kind, ClipFile::Kind::Wave);
        QCOMPARE(qFromLittleEndian<quint16>(recorded.constData() + 34), quint16(16));
        const Loudness level = loudness(recorded);
        QVERIFY2(level.peak > 0.05 && level.rms > 0.005,
                 qPrintable(QStringLiteral("peak %1 rms %2").arg(level.peak).arg(level.rms)));
        QVERIFY(recordingsIn(folder).isEmpty());

        // Another program reads it as a normal wav file.
        const QString sox = QStandardPaths::findExecutable(QStringLiteral("sox"));
        if (!sox.isEmpty()) {
            QProcess process;
            process.start(sox, {clip, QStringLiteral("-n"), QStringLiteral("stat")});
            QVERIFY(process.waitForFinished(10000));
            QCOMPARE(process.exitCode(), 0);
        }

        // And it is heard at once from the player.
        recorder.play();
        QCOMPARE(recorder.state(), State::Playing);
        QTRY_VERIFY_WITH_TIMEOUT(recorder.duration() > 1500, 3000);
    }

    void anAviWithSoundOnlyIsHeard()
    {
        ProgramFolder folder;
        const QString avi = folder.data(QStringLiteral("true.avi"));
        QVERIFY(writeFile(avi, loudSoundOnlyAvi()));
        ClipPlayer recorder;
        openOn(recorder, folder.data(QStringLiteral("color1.wav")));
        QVERIFY(startRecording(recorder));

        Random random;
        random.seedOnce(3);
        ClipPlayer speaker;
        speaker.setFileName(avi);
        QString error;
        QVERIFY2(succeeded(startClip(speaker, random), &error), qPrintable(error));
        QVERIFY(!speaker.hasVideo());
        QTRY_COMPARE_WITH_TIMEOUT(speaker.state(), State::Stopped, 10000);
        QVERIFY(recordPastTheSound());
        QVERIFY2(succeeded(recorder.save(), &error), qPrintable(error));
        const Loudness level = loudness(readFile(recorder.fileName()));
        QVERIFY2(level.peak > 0.2, qPrintable(QStringLiteral("peak %1").arg(level.peak)));
    }

    void aClipPlayedBeforeIsHeardAtEveryStart_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("sound") << "true.wav";
        QTest::newRow("video") << "true.avi";
    }
    void aClipPlayedBeforeIsHeardAtEveryStart()
    {
        // A result clip is held between questions and started again from
        // where its last playback ended; the child must hear it each time,
        // not only a player that reports it playing.
        QFETCH(QString, name);
        ProgramFolder folder;
        Random random;
        random.seedOnce(7);
        ClipPlayer speaker;
        speaker.setFileName(folder.data(name));
        QString error;
        QVERIFY2(succeeded(startClip(speaker, random), &error), qPrintable(error));
        QTRY_COMPARE_WITH_TIMEOUT(speaker.state(), State::Stopped, 10000);
        for (int start = 0; start < 2; ++start) {
            ClipPlayer recorder;
            openOn(recorder, folder.data(QStringLiteral("color1.wav")));
            QVERIFY(startRecording(recorder));
            QVERIFY(succeeded(startClip(speaker, random), &error));
            QTRY_COMPARE_WITH_TIMEOUT(speaker.state(), State::Stopped, 10000);
            QVERIFY(recordPastTheSound());
            QVERIFY2(succeeded(recorder.save(), &error), qPrintable(error));
            const Loudness level = loudness(readFile(recorder.fileName()));
            QVERIFY2(level.peak > 0.05, qPrintable(QStringLiteral("start %1: peak %2").arg(start).arg(level.peak)));
        }
    }

    void stopHoldsTheRecordingUntilSaved()
    {
        ProgramFolder folder;
        const QString clip = folder.data(QStringLiteral("true.wav"));
        const QByteArray before = readFile(clip);
        ClipPlayer player;
        openOn(player, clip);
        QVERIFY(startRecording(player));
        QVERIFY(soundInto(player));
        player.stop();
        QCOMPARE(player.state(), State::Stopped);
        QVERIFY(player.hasRecording());
        QCOMPARE(readFile(clip), before);
        // It waits hidden beside the clip, on the same disk.
        const QStringList held = recordingsIn(folder);
        QCOMPARE(held.size(), 1);
        const quint64 recording = inodeOf(folder.data(held.first()));
        QVERIFY(recording != 0);
        QVERIFY(QFile::setPermissions(clip, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser
                                                | QFile::WriteUser | QFile::ReadGroup | QFile::WriteGroup));
        const QFile::Permissions permissions = QFileInfo(clip).permissions();

        // What was recorded can be heard before it is kept.
        player.play();
        QCOMPARE(player.state(), State::Playing);
        QTRY_COMPARE_WITH_TIMEOUT(player.state(), State::Stopped, 5000);

        QString error;
        QVERIFY2(succeeded(player.save(), &error), qPrintable(error));
        QVERIFY(!player.hasRecording());
        QVERIFY(readFile(clip) != before);
        QVERIFY(ClipFile::check(clip).ok());
        // Renamed into place, not copied, keeping the clip's permissions.
        QCOMPARE(inodeOf(clip), recording);
        QCOMPARE(QFileInfo(clip).permissions(), permissions);
        QVERIFY(recordingsIn(folder).isEmpty());
    }

    void theQuestionCycleDoesNotCutARecordingOff()
    {
        ProgramFolder folder;
        ClipPlayer player;
        openOn(player, folder.data(QStringLiteral("color2.wav")));
        QVERIFY(startRecording(player));
        Random random;
        random.seedOnce(9);
        QString error;
        QVERIFY(succeeded(startClip(player, random), &error));
        QCOMPARE(player.state(), State::Recording);
        QVERIFY(player.recordedDuration() > 0);
        QVERIFY2(succeeded(player.save(), &error), qPrintable(error));
        QVERIFY(ClipFile::check(player.fileName()).ok());
    }

    // Whatever closes and reopens the player (SetupMediaFiles, a start of
    // the clip by the question cycle), the recording not saved yet is the
    // clip and is heard; only emptying the clip drops it.
    void aRecordingStaysUntilSavedOrEmptied()
    {
        ProgramFolder folder;
        const QString clip = folder.data(QStringLiteral("false.wav"));
        const QByteArray before = readFile(clip);
        ClipPlayer player;
        openOn(player, clip);
        QVERIFY(startRecording(player));
        QVERIFY(soundInto(player));
        player.close();
        QCOMPARE(player.state(), State::Closed);
        QVERIFY(player.hasRecording());
        QCOMPARE(readFile(clip), before);
        QCOMPARE(recordingsIn(folder).size(), 1);

        QString error;
        QVERIFY(succeeded(player.open(), &error));
        const qint64 recorded = player.duration();
        QVERIFY(recorded > 0);
        Random random;
        random.seedOnce(4);
        QVERIFY(succeeded(startClip(player, random), &error));
        QCOMPARE(player.state(), State::Playing);
        QCOMPARE(player.duration(), recorded);
        QVERIFY(player.hasRecording());

        QVERIFY(succeeded(ClipSet::resetClip(player, folder.data(QStringLiteral("0.wav"))), &error));
        QVERIFY(!player.hasRecording());
        QVERIFY(recordingsIn(folder).isEmpty());
        QCOMPARE(readFile(clip), readFile(folder.data(QStringLiteral("0.wav"))));
    }

    void saveAllReportsARecordingThatCannotBeWritten()
    {
        ProgramFolder folder;
        std::array<ClipPlayer, ClipSet::ClipCount> players;
        QList<ClipPlayer *> list;
        QVERIFY(QFile::remove(ClipSet::clipFileName(folder.appDir(), 4, QStringLiteral("wav"))));
        for (int i = 0; i < ClipSet::ClipCount; ++i) {
            players[i].setFileName(ClipSet::clipFileName(folder.appDir(), i, QStringLiteral("wav")));
            QString error;
            succeeded(players[i].open(), &error);
            list << &players[i];
        }
        QCOMPARE(players[4].state(), State::Closed);

        const QString clip = players[1].fileName();
        QVERIFY(startRecording(players[1]));
        QVERIFY(soundInto(players[1]));
        // The clip's name is taken by a folder before the save.
        QVERIFY(QFile::remove(clip));
        QVERIFY(QDir().mkpath(clip + QStringLiteral("/inside")));

        QString error;
        QVERIFY(!succeeded(ClipSet::saveAll(list), &error));
        QVERIFY2(error.contains(clip), qPrintable(error));
        QVERIFY(players[1].hasRecording());
        // The question cycle starts the clip meanwhile: the recording is
        // what it plays, and it is kept.
        Random random;
        random.seedOnce(2);
        QVERIFY(succeeded(startClip(players[1], random), &error));
        QCOMPARE(players[1].state(), State::Playing);
        QVERIFY(players[1].hasRecording());

        // Once the name is free again, the held recording is saved.
        QVERIFY(QDir(clip).removeRecursively());
        QVERIFY2(succeeded(ClipSet::saveAll(list), &error), qPrintable(error));
        QVERIFY(ClipFile::check(clip).ok());
        QVERIFY(!players[1].hasRecording());
        QVERIFY(recordingsIn(folder).isEmpty());
    }
};

QTEST_MAIN(TestClipRecording)
#include "tst_cliprecording.moc"

