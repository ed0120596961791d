// How long handing a lesson on takes: a lesson with five one-minute clips
// (44.1 kHz, 16-bit, mono) and three 12-megapixel photos written as one
// .zip file, and that file made into a new lesson. The median of five runs
// of each, in seconds; both should stay under 2 s.
#include "core/settings/lessonarchive.h"
#include "core/settings/lessonlibrary.h"
#include "core/settings/windows1256.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextStream>
#include <QtEndian>

#include <algorithm>
#include <cmath>

namespace {

QByteArray noisyWav(int seconds)
{
    const int rate = 44100;
    QByteArray samples(seconds * rate * 2, Qt::Uninitialized);
    QRandomGenerator gen(3);
    for (qsizetype i = 0; i < samples.size(); i += 2) {
        // Speech-like: a slow wave with noise, so that nothing compresses it away.
        const qint16 v = qint16(8000 * std::sin(double(i) / 300.0) + int(gen.bounded(2000)) - 1000);
        qToLittleEndian(v, samples.data() + i);
    }
    QByteArray out("RIFF");
    char b[4];
    qToLittleEndian(quint32(36 + samples.size()), b);
    out.append(b, 4);
    out.append("WAVEfmt ");
    const quint32 fmt[] = {16};
    qToLittleEndian(fmt[0], b);
    out.append(b, 4);
    char h[16];
    qToLittleEndian(quint16(1), h);
    qToLittleEndian(quint16(1), h + 2);
    qToLittleEndian(quint32(rate), h + 4);
    qToLittleEndian(quint32(rate * 2), h + 8);
    qToLittleEndian(quint16(2), h + 12);
    qToLittleEndian(quint16(16), h + 14);
    out.append(h, 16);
    out.append("data");
    qToLittleEndian(quint32(samples.size()), b);
    out.append(b, 4);
    return out + samples;
}

bool write(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

double median(QList<double> v)
{
    std::sort(v.begin(), v.end());
    return v.at(v.size() / 2);
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    QTextStream out(stdout);
    QTemporaryDir root;
    const QString data = root.filePath(QStringLiteral("Data"));
    const QString name = QStringLiteral(u"درس");
    const QString lesson = data + QLatin1Char('/') + name;
    QDir().mkpath(lesson + QStringLiteral("/pictures"));

    const QByteArray clip = noisyWav(60);
    for (const char *c : {"color1.wav", "color2.wav", "color3.wav", "true.wav", "false.wav"})
        write(lesson + QLatin1Char('/') + QLatin1String(c), clip);
    QStringList pictures;
    for (int i = 0; i < 3; ++i) {
        QImage photo(4000, 3000, QImage::Format_RGB32);
        QRandomGenerator gen(10 + i);
        for (int y = 0; y < photo.height(); ++y) {
            auto *line = reinterpret_cast<QRgb *>(photo.scanLine(y));
            for (int x = 0; x < photo.width(); ++x)
                line[x] = qRgb((x / 7 + i * 40) & 255, (y / 5) & 255, int(gen.bounded(64)) + 96);
        }
        const QString path = lesson + QStringLiteral("/pictures/photo%1.jpg").arg(i + 1);
        photo.save(path, "JPG", 90);
        pictures << path;
    }
    QByteArray options;
    const QList<QByteArray> lines = {"0", "0", "Times New Roman", "36", "0", "2", "1", "2", "3", "255", "65535",
                                     "16711680", "0", "200", "200"};
    for (const QByteArray &l : lines)
        options += l + "\r\n";
    for (const QString &p : pictures) {
        bool ok = false;
        options += Windows1256::encode(p, &ok) + "\r\n";
    }
    options += "0\r\n0\r\n2\r\n";
    write(lesson + QStringLiteral("/options.txt"), options);

    const QString zip = root.filePath(QStringLiteral("lesson.zip"));
    QList<double> exports, imports;
    const LessonLibrary library(data);
    for (int run = 0; run < 5; ++run) {
        QFile::remove(zip);
        QElapsedTimer t;
        t.start();
        const Result written = LessonArchive::exportLesson(lesson, name, zip);
        exports << t.nsecsElapsed() / 1e9;
        if (!written) {
            out << "export failed: " << written.text << '\n';
            return 1;
        }
        const QString target = QStringLiteral(u"نسخة");
        t.restart();
        LessonArchive::Import import(data);
        const Result done = import.unpack(zip).andThen(import.place(library, target));
        imports << t.nsecsElapsed() / 1e9;
        if (!done) {
            out << "import failed: " << done.text << '\n';
            return 1;
        }
        QDir(data + QLatin1Char('/') + target).removeRecursively();
    }
    out << "lesson archive: " << QFileInfo(zip).size() / (1024 * 1024) << " MB\n";
    out << "figure lesson_export_s " << QString::number(median(exports), 'f', 3) << " s\n";
    out << "figure lesson_import_s " << QString::number(median(imports), 'f', 3) << " s\n";
    return 0;
}
