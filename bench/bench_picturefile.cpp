// Prints how long the picture loader takes on large and broken pictures, and
// what it returns. A teacher's click on a picture picker must not freeze the
// window: every figure here should stay well under a second.
#include "core/base/picturefile.h"
#include "support/testsupport.h"

#include <QDir>
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
    }
    return 0;
}
