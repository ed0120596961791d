// Figures for the settings core: creating a lesson from a Data folder with
// 20 MB of clips, saving into it, and reading and writing the options file.
// Prints medians; not a test.

#include "core/settings/currentlessonfile.h"
#include "core/settings/lessonlibrary.h"
#include "core/settings/optionsfile.h"
#include "core/settings/windows1256.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Median time of one call, in microseconds.
double timeMicros(int runs, const std::function<void()> &work)
{
    std::vector<double> times;
    times.reserve(runs);
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        work();
        times.push_back(t.nsecsElapsed() / 1000.0);
    }
    return median(times);
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir root;
    const QString data = root.filePath(QStringLiteral("Data"));
    QDir().mkpath(data);

    OptionsValues values;
    values.fontName = QStringLiteral("DejaVu Sans");
    values.text1 = QStringLiteral(u"أحمر");
    values.text2 = QStringLiteral(u"أصفر");
    values.text3 = QStringLiteral(u"أزرق");
    values.picture1 = QStringLiteral(u"/home/معلمة/صور/قطة.png");
    if (!OptionsFile::save(data + QStringLiteral("/options.txt"), values).ok
        || !CurrentLessonFile::write(data, LessonLibrary::automaticName()).ok) {
        std::fprintf(stderr, "cannot write the settings files\n");
        return 1;
    }
    // Five clips of 4 MB each and the blank clip: 20 MB in all.
    QByteArray clip(4 * 1024 * 1024, Qt::Uninitialized);
    for (int i = 0; i < clip.size(); ++i)
        clip[i] = char(i * 31 + (i >> 12));
    for (const char *name : {"color1.wav", "color2.wav", "color3.wav", "true.wav", "false.wav"})
        writeFile(data + QLatin1Char('/') + QLatin1String(name), clip);
    writeFile(data + QStringLiteral("/0.wav"), QByteArray(44, '\0'));

    const LessonLibrary library(data);
    const QString lesson = QStringLiteral(u"درس");
    std::vector<double> create;
    std::vector<double> save;
    for (int i = 0; i < 7; ++i) {
        QElapsedTimer t;
        t.start();
        if (!library.createLesson(lesson).ok) {
            std::fprintf(stderr, "creating the lesson failed\n");
            return 1;
        }
        create.push_back(t.nsecsElapsed() / 1e6);
        t.restart();
        if (!library.saveIntoLesson(lesson).ok) {
            std::fprintf(stderr, "saving into the lesson failed\n");
            return 1;
        }
        save.push_back(t.nsecsElapsed() / 1e6);
        if (!library.deleteLesson(lesson).ok) {
            std::fprintf(stderr, "deleting the lesson failed\n");
            return 1;
        }
    }
    std::printf("create a lesson from 20 MB of clips: median %.1f ms, worst %.1f ms (target 500 ms)\n",
                median(create), *std::max_element(create.begin(), create.end()));
    std::printf("save into that lesson (20 MB):        median %.1f ms, worst %.1f ms\n",
                median(save), *std::max_element(save.begin(), save.end()));

    const QByteArray bytes = OptionsFile::toBytes(values);
    volatile int sink = 0;
    std::printf("read the options bytes:               median %.1f us\n",
                timeMicros(2000, [&] { sink += OptionsFile::read(bytes).values.fontSize; }));
    std::printf("write the options bytes:              median %.1f us\n",
                timeMicros(2000, [&] { sink += int(OptionsFile::toBytes(values).size()); }));
    const QString path = data + QStringLiteral("/options.txt");
    std::printf("load options.txt from disk:           median %.1f us\n", timeMicros(500, [&] {
                    OptionsRead read;
                    sink += OptionsFile::load(path, &read).ok;
                }));
    std::printf("save options.txt to disk (synced):    median %.1f us\n",
                timeMicros(100, [&] { sink += OptionsFile::save(path, values).ok; }));
    std::printf("write CurLesson.txt (synced):         median %.1f us\n",
                timeMicros(100, [&] { sink += CurrentLessonFile::write(data, lesson).ok; }));
    const QString typed = QStringLiteral(u"قطة صغيرة تلعب بالكرة الحمراء");
    std::printf("check a 30-letter text (per key):     median %.1f us\n",
                timeMicros(2000, [&] { sink += Windows1256::canHold(typed); }));
    return 0;
}
