// The shaping of a finished recording, on made-up sound in every sample
// layout an input may deliver: silence refused, the words kept with a
// little before and after, the peak brought to the default clips'.
#include "core/media/soundshaper.h"

#include <QTest>
#include <QtEndian>

#include <cmath>

namespace {

constexpr int Rate = 8000;

// leadMs of a quiet floor (|level| = floor), toneMs of a 400 Hz tone at
// level peak, tailMs of floor, in the given layout.
QByteArray sound(SampleKind kind, int channels, double floor, double peak, int leadMs, int toneMs, int tailMs)
{
    const PcmLayout layout{Rate, channels, kind};
    const int lead = Rate * leadMs / 1000, tone = Rate * toneMs / 1000, tail = Rate * tailMs / 1000;
    QByteArray bytes;
    for (int i = 0; i < lead + tone + tail; ++i) {
        const bool inTone = i >= lead && i < lead + tone;
        const double v = inTone ? peak * std::sin(2 * M_PI * 400 * (i - lead) / Rate + M_PI / 2)
                                : (i % 2 ? floor : -floor);
        for (int c = 0; c < channels; ++c) {
            char sample[4];
            switch (kind) {
            case SampleKind::UInt8:
                sample[0] = char(quint8(std::lround(128 + 127 * v)));
                break;
            case SampleKind::Int16:
                qToLittleEndian<qint16>(qint16(std::lround(32767 * v)), sample);
                break;
            case SampleKind::Int32:
                qToLittleEndian<qint32>(qint32(std::lround(2147483647.0 * v)), sample);
                break;
            case SampleKind::Float:
                qToLittleEndian<float>(float(v), sample);
                break;
            }
            bytes.append(sample, layout.bytesPerSample());
        }
    }
    return bytes;
}

} // namespace

class TestSoundShaper : public QObject
{
    Q_OBJECT

private slots:
    void aRecordingIsTrimmedAndLevelled_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("channels");
        QTest::addColumn<double>("peak");
        QTest::newRow("16-bit, quiet") << int(SampleKind::Int16) << 1 << 0.05;
        QTest::newRow("16-bit stereo, too loud") << int(SampleKind::Int16) << 2 << 1.0;
        QTest::newRow("8-bit") << int(SampleKind::UInt8) << 1 << 0.5;
        QTest::newRow("32-bit") << int(SampleKind::Int32) << 2 << 0.3;
        QTest::newRow("float") << int(SampleKind::Float) << 1 << 0.2;
    }
    void aRecordingIsTrimmedAndLevelled()
    {
        QFETCH(int, kind);
        QFETCH(int, channels);
        QFETCH(double, peak);
        const PcmLayout layout{Rate, channels, SampleKind(kind)};
        // Room noise 45 dB under the voice is not taken for it.
        const QByteArray bytes = sound(layout.kind, channels, peak * 0.0056, peak, 700, 500, 900);
        SoundScan scan(layout);
        // Pieces that end inside a sample, as an input may hand them over.
        for (qsizetype at = 0; at < bytes.size(); at += 333)
            scan.take(bytes.constData() + at, qMin<qsizetype>(333, bytes.size() - at));
        QCOMPARE(scan.frames(), qint64(Rate * 2100 / 1000));
        QVERIFY(std::abs(scan.peak() - peak) < 0.01);

        const SoundShape shape = scan.shape();
        QVERIFY(!shape.silent);
        const double firstMs = shape.firstFrame * 1000.0 / Rate, endMs = shape.endFrame * 1000.0 / Rate;
        QVERIFY2(std::abs(firstMs - (700 - SoundScan::LeadMs)) <= 1.5, qPrintable(QString::number(firstMs)));
        QVERIFY2(std::abs(endMs - (1200 + SoundScan::TailMs)) <= 1.5, qPrintable(QString::number(endMs)));

        QByteArray kept = bytes.mid(shape.firstFrame * layout.bytesPerFrame(),
                                    (shape.endFrame - shape.firstFrame) * layout.bytesPerFrame());
        scaleSamples(kept.data(), kept.size(), layout.kind, shape.gain);
        SoundScan levelled(layout);
        levelled.take(kept);
        QVERIFY2(std::abs(SoundScan::toDb(levelled.peak()) - SoundScan::TargetPeakDb) < 0.2,
                 qPrintable(QString::number(SoundScan::toDb(levelled.peak()))));
    }

    void silenceIsNoRecording_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("channels");
        QTest::addColumn<bool>("silent");
        QTest::newRow("nothing") << QByteArray() << 1 << true;
        QTest::newRow("zeros") << QByteArray(16000, '\0') << 1 << true;
        QTest::newRow("a dead input's hiss at -50 dBFS")
            << sound(SampleKind::Int16, 1, 0.0032, 0.0032, 100, 100, 100) << 1 << true;
        QTest::newRow("a soft voice at -40 dBFS") << sound(SampleKind::Int16, 1, 0, 0.01, 100, 100, 100) << 1 << false;
        // Not whole frames of a layout nobody offers: taken as no sound.
        QTest::newRow("no layout") << sound(SampleKind::Int16, 1, 0, 0.5, 0, 100, 0) << 0 << true;
    }
    void silenceIsNoRecording()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, channels);
        QFETCH(bool, silent);
        SoundScan scan(PcmLayout{Rate, channels, SampleKind::Int16});
        scan.take(bytes);
        QCOMPARE(scan.shape().silent, silent);
    }

    void hostileFloatsStayWithinFullScale()
    {
        QByteArray bytes(16, '\0');
        const float values[] = {std::nanf(""), INFINITY, -3.0f, 0.5f};
        for (int i = 0; i < 4; ++i)
            qToLittleEndian<float>(values[i], bytes.data() + 4 * i);
        SoundScan scan(PcmLayout{Rate, 1, SampleKind::Float});
        QVERIFY(scan.take(bytes) > 1);
        const SoundShape shape = scan.shape();
        QVERIFY(!shape.silent && std::isfinite(shape.gain) && shape.gain > 0);
        scaleSamples(bytes.data(), bytes.size(), SampleKind::Float, 1000);
        for (int i = 0; i < 4; ++i) {
            const float v = qFromLittleEndian<float>(bytes.constData() + 4 * i);
            QVERIFY2(std::isfinite(v) && std::abs(v) <= 1, qPrintable(QString::number(v)));
        }
    }
};

QTEST_MAIN(TestSoundShaper)
#include "tst_soundshaper.moc"
