// Prints how long the picture loader takes on large and broken pictures, and
// what it returns. A teacher's click on a picture picker must not freeze the
// window: every figure here should stay well under a second. Each picture is
// also loaded once more in a process of its own, whose peak memory is printed
// as `figure picture_peak_<case> <value> MB`: no picture may make the quiz
// hold more than 300 MB.
#include "core/base/picturefile.h"
#include "support/testsupport.h"

#include <QDir>
#include <QImageWriter>
#include <QProcess>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextStream>


using testsupport::succeeded;

namespace {

/// A picture with detail everywhere, so that compression cannot shrink the
/// work of decoding it.
QImage busyPicture(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    QRandomGenerator gen(7);
    for (int y = 0; y < h; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < w; ++x)
            line[x] = qRgb((x * 7 + y) & 255, (y * 3) & 255, int(gen.bounded(256)));
    }
    return image;
}

QString g_program;

/// The peak memory of a process that loads only this picture.
void measurePeak(QTextStream &out, const QString &name, const QString &path)
{
    QProcess child;
    child.start(g_program, {QStringLiteral("--peak"), path});
    if (!child.waitForFinished(120000) || child.exitCode() != 0) {
        out << "peak of " << name << ": the loading process failed\n";
        return;
    }
    out << "figure picture_peak_" << name << ' ' << child.readAllStandardOutput().trimmed() << " MB\n";
}

void measure(QTextStream &out, const QString &label, const QString &path)
{
    QImage image;
    QString error;
    QElapsedTimer timer;
    timer.start();
    const bool ok = succeeded(PictureFile::load(path, &image), &error);
    const qint64 ms = timer.elapsed();
    out << label.leftJustified(34) << QString::number(ms).rightJustified(6) << " ms  "
        << (ok ? QStringLiteral("%1x%2").arg(image.width()).arg(image.height()) : error) << '\n';
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    QTextStream out(stdout);
    if (argc == 3 && QByteArray(argv[1]) == "--peak") {
        QImage image;
        // The peak is the figure, whether the picture loads or its bound
        // refuses it.
        static_cast<void>(PictureFile::load(QString::fromLocal8Bit(argv[2]), &image));
        // The peak of this process's own memory: unlike the resource usage,
        // it does not carry the peak of the benchmark that started it.
        QFile status(QStringLiteral("/proc/self/status"));
        status.open(QIODevice::ReadOnly);
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith("VmHWM:"))
                out << (line.mid(6).trimmed().split(' ').value(0).toLongLong() + 512) / 1024 << '\n';
        }
        return 0;
    }
    g_program = QCoreApplication::applicationFilePath();
    const QString fixtures = testsupport::testData(QStringLiteral("pictures/"));
    measure(out, QStringLiteral("8000x8000 flat jpg (fixture)"), fixtures + "huge.jpg");
    measure(out, QStringLiteral("8000x8000 flat png (fixture)"), fixtures + "huge.png");
    measure(out, QStringLiteral("text renamed .bmp (fixture)"), fixtures + "text.bmp");
    measure(out, QStringLiteral("truncated png (fixture)"), fixtures + "truncated.png");

    QTemporaryDir tmp;
    struct Case { int w, h; const char *format; };
    const Case cases[] = {{4000, 3000, "jpg"}, {8000, 6000, "jpg"}, {4000, 3000, "png"},
                          {4000, 4000, "bmp"}, {8000, 8000, "bmp"}, {3000, 3000, "webp"}, {4000, 4000, "png"}, {5000, 4000, "png"}};
    for (const Case &c : cases) {
        const QString path = tmp.filePath(QStringLiteral("busy-%1x%2.%3").arg(c.w).arg(c.h).arg(
            QLatin1String(c.format)));
        if (!busyPicture(c.w, c.h).save(path, c.format, 90)) {
            out << "could not write " << path << '\n';
            continue;
        }
        measure(out, QStringLiteral("%1x%2 detailed %3").arg(c.w).arg(c.h).arg(
                         QLatin1String(c.format)), path);
        measurePeak(out, QStringLiteral("%1x%2_%3").arg(c.w).arg(c.h).arg(QLatin1String(c.format)), path);
    }

    // Odd shapes and forms.
    measurePeak(out, QStringLiteral("8000x8000_flat_jpg"), fixtures + "huge.jpg");
    measurePeak(out, QStringLiteral("8000x8000_flat_png"), fixtures + "huge.png");
    {
        QImage tall(1, 100000, QImage::Format_RGB32);
        tall.fill(Qt::blue);
        tall.save(tmp.filePath(QStringLiteral("tall.png")));
        measure(out, QStringLiteral("1x100000 png"), tmp.filePath(QStringLiteral("tall.png")));
        measurePeak(out, QStringLiteral("1x100000_png"), tmp.filePath(QStringLiteral("tall.png")));
        QImageWriter progressive(tmp.filePath(QStringLiteral("progressive.jpg")));
        progressive.setProgressiveScanWrite(true);
        progressive.write(busyPicture(4000, 4000));
        measure(out, QStringLiteral("4000x4000 progressive jpg"), tmp.filePath(QStringLiteral("progressive.jpg")));
        measurePeak(out, QStringLiteral("4000x4000_progressive_jpg"), tmp.filePath(QStringLiteral("progressive.jpg")));
        QFile noise(tmp.filePath(QStringLiteral("noise.png")));
        noise.open(QIODevice::WriteOnly);
        noise.write(QByteArray(PictureFile::MaxFileBytes - 1, '\x5a'));
        noise.close();
        measure(out, QStringLiteral("64 MB of noise named .png"), noise.fileName());
        measurePeak(out, QStringLiteral("64MB_noise_png"), noise.fileName());
    }
    return 0;
}
