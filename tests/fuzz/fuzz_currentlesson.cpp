// Random bytes as Data/CurLesson.txt, read from a real file as the quiz
// reads it. Besides not crashing, the name is one line, no longer than what
// the reader reads, is written back to the same name, and never gives a path
// outside the Data folder.

#include "core/settings/currentlessonfile.h"
#include "core/settings/lessonlibrary.h"

#include "fuzzcheck.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir dir;
    check(dir.isValid());
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    {
        QFile file(dir.filePath(CurrentLessonFile::fileName()));
        check(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        check(file.write(bytes) == bytes.size());
    }
    const std::optional<QString> read = CurrentLessonFile::read(dir.path());
    // Only a first line longer than the reader reads gives nothing.
    check(read.has_value() || bytes.size() > CurrentLessonFile::MaxReadBytes);
    if (!read)
        return 0;
    const QString name = *read;
    check(!name.contains(QLatin1Char('\n')) && !name.contains(QLatin1Char('\r')));
    check(name.size() <= CurrentLessonFile::MaxReadBytes);

    const LessonLibrary library(dir.path());
    if (const std::optional<QString> path = library.optionsPathFor(name))
        check(path->startsWith(dir.path() + QLatin1Char('/')) && !path->contains(QLatin1String("/../")));
    QString error;
    const QByteArray line = CurrentLessonFile::toBytes(name, &error);
    if (!line.isEmpty())
        check(CurrentLessonFile::parse(line) == name);
    else
        check(!error.isEmpty());
    return 0;
}
