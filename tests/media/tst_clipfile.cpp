// The header check that tells a playable clip from a bad file before a
// player is handed it, the mending of a recording's wav sizes, and what the
// quiz's own decoders make of clips from other tools and of damaged ones.
#include "core/media/aviclip.h"
#include "core/media/clipfile.h"
#include "core/media/wavesound.h"

#include "mediatestsupport.h"

#include <QBuffer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdlib>

#include <sys/stat.h>
#include <QTest>
#include <QtEndian>

using namespace MediaTest;

class TestClipFile : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QByteArray shipped(const QString &name) const
    {
        return readFile(appDirTemplate() + QStringLiteral("/Data/") + name);
    }
    static void put32(QByteArray &bytes, int at, quint32 value)
    {
        qToLittleEndian<quint32>(value, bytes.data() + at);
    }

private slots:
    void shippedClipsArePlayable_data()
    {
        QTest::addColumn<QString>("name");
        for (const char *base : {"color1", "color2", "color3", "true", "false", "0"}) {
            for (const char *ext : {"wav", "avi"}) {
                const QString name = QStringLiteral("%1.%2").arg(QLatin1String(base), QLatin1String(ext));
                QTest::newRow(qPrintable(name)) << name;
            }
        }
    }
    void shippedClipsArePlayable()
    {
        QFETCH(QString, name);
        const QString file = appDirTemplate() + QStringLiteral("/Data/") + name;
        const ClipFile::Check check = ClipFile::check(file);
        QVERIFY2(check.ok(), qPrintable(check.error));
        const bool avi = name.endsWith(QLatin1String(".avi"));
        QCOMPARE(check.kind, avi ? ClipFile::Kind::Avi : ClipFile::Kind::Wave);
        QCOMPARE(check.hasVideo, avi);
        QVERIFY2(QFileInfo(file).size() < 300 * 1024, "a shipped clip must stay small");
    }

    void clipsFromOtherWritersArePlayable()
    {
        // fact and LIST chunks before the data, extensible float format.
        const ClipFile::Check floatWave = ClipFile::check(testData(QStringLiteral("media/float-with-list.wav")));
        QVERIFY2(floatWave.ok(), qPrintable(floatWave.error));

        // An avi with a sound stream and no picture is a sound clip.
        const ClipFile::Check soundAvi = ClipFile::check(testData(QStringLiteral("media/audio-only.avi")));
        QVERIFY2(soundAvi.ok(), qPrintable(soundAvi.error));
        QCOMPARE(soundAvi.kind, ClipFile::Kind::Avi);
        QVERIFY(!soundAvi.hasVideo);

        // A streaming writer leaves both sizes open.
        QByteArray streamed = shipped(QStringLiteral("true.wav"));
        put32(streamed, 4, 0xFFFFFFFFu);
        put32(streamed, 40, 0xFFFFFFFFu);
        QVERIFY(writeFile(path(QStringLiteral("streamed.wav")), streamed));
        QVERIFY(ClipFile::check(path(QStringLiteral("streamed.wav"))).ok());
    }

    void badFilesFailWithNameAndReason_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("reason");

        const QByteArray wave = shipped(QStringLiteral("color1.wav"));
        const QByteArray avi = shipped(QStringLiteral("color1.avi"));

        QTest::newRow("zero bytes") << "color1.wav" << QByteArray() << QStringLiteral("فارغ");
        QTest::newRow("text named wav")
            << "color1.wav" << QByteArray("This is not a sound, only some text.\n")
            << QStringLiteral("ليس مقطع صوت wav ولا فيديو avi");
        QTest::newRow("one byte") << "color1.avi" << QByteArray("R")
                                  << QStringLiteral("ليس مقطع صوت wav ولا فيديو avi");
        QTest::newRow("too short") << "color1.wav" << QByteArray("RIFF")
                                   << QStringLiteral("ليس مقطع صوت wav ولا فيديو avi");
        QTest::newRow("other riff form")
            << "color1.wav" << QByteArray("RIFF\x04\x00\x00\x00RMID", 12)
            << QStringLiteral("ليس مقطع صوت wav ولا فيديو avi");

        QByteArray noFormat = wave;
        noFormat.replace(12, 4, "junk");
        QTest::newRow("fmt chunk renamed") << "color1.wav" << noFormat << QStringLiteral("تالف");

        QByteArray badRate = wave;
        put32(badRate, 24, 0);
        QTest::newRow("sample rate zero") << "color1.wav" << badRate << QStringLiteral("غير صالحة");

        QByteArray garbage = wave;
        for (int i = 12; i < 44; ++i)
            garbage[i] = char(0x01);
        QTest::newRow("header overwritten") << "color1.wav" << garbage << QStringLiteral("تالف");

        QTest::newRow("header only, no data chunk")
            << "color1.wav" << [&] {
                   QByteArray head = wave.left(36);
                   put32(head, 4, 28);
                   return head;
               }() << QStringLiteral("أي صوت");

        // Another program is still writing it: not even its header is
        // there yet. (Cut inside its sound, it plays what it holds.)
        QTest::newRow("being written") << "color1.wav" << wave.left(30)
                                       << QStringLiteral("ناقص");
        QTest::newRow("avi cut short") << "color1.avi" << avi.left(avi.size() / 3)
                                       << QStringLiteral("ناقص");

        QByteArray aviNoHeader = avi;
        aviNoHeader.replace(12, 4, QByteArray("\x01\x02\x03\x04", 4));
        QTest::newRow("avi header damaged") << "color1.avi" << aviNoHeader << QStringLiteral("تالف");

        // Its only stream is neither picture nor sound.
        QByteArray textOnly = readFile(testData(QStringLiteral("media/audio-only.avi")));
        textOnly.replace(textOnly.indexOf("strh") + 8, 4, "txts");
        QTest::newRow("avi without picture or sound") << "color1.avi" << textOnly
                                                      << QStringLiteral("لا يحوي صورة فيديو ولا صوتاً");
    }
    void badFilesFailWithNameAndReason()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(QString, reason);
        const QString file = path(name);
        QVERIFY(writeFile(file, content));
        const ClipFile::Check check = ClipFile::check(file);
        QVERIFY(!check.ok());
        QVERIFY2(check.error.contains(file), qPrintable(check.error));
        QVERIFY2(check.error.contains(reason), qPrintable(check.error));
        // The check only reads.
        QCOMPARE(readFile(file), content);
    }

    void missingAndUnreadableNames()
    {
        const QString missing = path(QStringLiteral("missing.wav"));
        ClipFile::Check check = ClipFile::check(missing);
        QVERIFY(!check.ok());
        QVERIFY(check.error.contains(missing));
        QVERIFY(check.error.contains(QStringLiteral("غير موجود")));

        const QString folder = path(QStringLiteral("color2.wav"));
        QVERIFY(QDir().mkpath(folder));
        check = ClipFile::check(folder);
        QVERIFY(!check.ok());
        QVERIFY(check.error.contains(QStringLiteral("مجلد")));

        QVERIFY(!ClipFile::check(QString()).ok());

        // A named pipe: refused at once rather than waited on.
        const QString pipe = path(QStringLiteral("color3.wav"));
        QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
        check = ClipFile::check(pipe);
        QVERIFY(!check.ok());
        QVERIFY2(check.error.contains(pipe) && check.error.contains(QStringLiteral("ليس لملف عادي")),
                 qPrintable(check.error));
    }

    void decodersPlayOtherToolsClipsAndRefuseBrokenOnes_data()
    {
        // The seeds of the clip readers' fuzz targets (scripts/make-fuzz-seeds.sh).
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("outcome");  // "plays", "backend" or the reason it is refused
        QTest::addColumn<qint64>("ms");        // how long it plays
        const QString wav = QStringLiteral("wavesound-corpus/");
        for (const char *f : {"u8", "s16", "s24"})
            QTest::newRow(f) << wav + f + ".wav" << "plays" << qint64(30);
        for (const char *f : {"s32", "float32"})
            QTest::newRow(f) << wav + f + ".wav" << "plays" << qint64(20);
        QTest::newRow("six channels") << wav + "six-channels.wav" << "plays" << qint64(10);
        QTest::newRow("22050 stereo") << wav + "s16-stereo-22050.wav" << "plays" << qint64(9);
        for (const char *f : {"mulaw", "alaw", "ima-adpcm", "ms-adpcm"})
            QTest::newRow(f) << wav + f + ".wav" << "backend" << qint64(0);
        // A recorder cut off, a streaming writer, a header that promises more:
        // the sound the file holds plays.
        for (const char *f : {"sizes-zero", "sizes-open", "data-past-end"})
            QTest::newRow(f) << wav + f + ".wav" << "plays" << qint64(30);
        QTest::newRow("cut inside a sample") << wav + "cut-mid-sample.wav" << "plays" << qint64(29);
        QTest::newRow("no sound at all") << wav + "no-sound.wav" << "لا يحوي ملف wav أي صوت" << qint64(0);

        const QString avi = QStringLiteral("aviclip-corpus/");
        QTest::newRow("mjpeg u8") << avi + "mjpeg-u8.avi" << "plays" << qint64(250);
        QTest::newRow("mjpeg s16") << avi + "mjpeg-s16.avi" << "plays" << qint64(250);
        QTest::newRow("mjpeg silent") << avi + "mjpeg-silent.avi" << "plays" << qint64(500);
        QTest::newRow("sound only avi") << avi + "sound-only.avi" << "plays" << qint64(100);
        QTest::newRow("mu-law avi") << avi + "mjpeg-mulaw.avi" << "backend" << qint64(0);
        QTest::newRow("lists nested 40 deep") << avi + "nested-lists.avi" << "تالف" << qint64(0);
        QTest::newRow("a frame of ten hours") << avi + "hours-frame.avi" << "أطول من ثلاث دقائق" << qint64(0);
        QTest::newRow("400 frames of a second") << avi + "empty-frames.avi" << "أطول من ثلاث دقائق" << qint64(0);
    }
    void decodersPlayOtherToolsClipsAndRefuseBrokenOnes()
    {
        QFETCH(QString, file);
        QFETCH(QString, outcome);
        QFETCH(qint64, ms);
        const QString path = testData(file);
        WaveSound::Failure why;
        std::shared_ptr<const WaveSound> sound;
        if (file.endsWith(QLatin1String(".wav"))) {
            sound = WaveSound::decodeFile(path, &why);
        } else if (const std::shared_ptr<const AviClip> clip = AviClip::decodeFile(path, &why)) {
            sound = clip->sound;
            QCOMPARE(clip->hasVideo(), !file.contains(QLatin1String("sound-only")));
            if (clip->hasVideo())
                QVERIFY(!clip->picture(clip->frameAt(ms)).isNull());
        }
        if (outcome == QLatin1String("plays")) {
            QVERIFY2(sound, qPrintable(why.reason));
            QCOMPARE(sound->durationMs(), ms);
            // It is heard, not silence.
            const bool silent = file.contains(QLatin1String("silent"));
            QCOMPARE(std::any_of(sound->samples.begin(), sound->samples.end(),
                                 [](qint16 v) { return std::abs(v) > 1000; }), !silent);
            QVERIFY2(ClipFile::check(path).ok(), qPrintable(ClipFile::check(path).error));
        } else {
            QVERIFY(!sound);
            QCOMPARE(why.foreign, outcome == QLatin1String("backend"));
            if (!why.foreign)
                QVERIFY2(why.reason.contains(outcome), qPrintable(why.reason));
        }
    }

    void recordingSizesAreMended()
    {
        const QByteArray good = shipped(QStringLiteral("color2.wav"));
        // As a recorder leaves the header while it still writes.
        QByteArray open = good;
        put32(open, 4, 0x7FFF0000u);
        put32(open, 40, 0x7FFF0000u);
        QVERIFY(ClipFile::fixWaveSizes(open));
        QCOMPARE(open, good);

        QByteArray zero = good;
        put32(zero, 40, 0);
        QVERIFY(ClipFile::fixWaveSizes(zero));
        QCOMPARE(zero, good);

        QBuffer buffer(&open);
        buffer.open(QIODevice::ReadOnly);
        QVERIFY(ClipFile::check(buffer, QStringLiteral("recording")).ok());

        QByteArray avi = shipped(QStringLiteral("true.avi"));
        QVERIFY(!ClipFile::fixWaveSizes(avi));
        QByteArray text("hello");
        QVERIFY(!ClipFile::fixWaveSizes(text));
    }
};

QTEST_GUILESS_MAIN(TestClipFile)
#include "tst_clipfile.moc"
