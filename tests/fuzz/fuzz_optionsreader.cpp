// Random bytes as an options file and as a current-lesson file. Besides not
// crashing, whatever is read must be writable again and read back the same,
// and no name read may give a path outside the Data folder.

#include "core/settings/currentlessonfile.h"
#include "core/settings/lessonlibrary.h"
#include "core/settings/optionsfile.h"

#include "fuzzcheck.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));

    for (bool complete : {true, false}) {
        const OptionsRead read = OptionsFile::read(bytes, complete);
        const OptionsValues values = read.appliedTo(OptionsValues());
        const QByteArray written = OptionsFile::toBytes(values);
        check(!written.isEmpty());
        const OptionsRead again = OptionsFile::read(written);
        for (bool fellBack : again.fellBack)
            check(!fellBack);
        check(again.appliedTo(values) == values);
        check(OptionsFile::toBytes(again.appliedTo(values)) == written);
    }

    if (const std::optional<int> number = OptionsFile::parseInteger(bytes)) {
        bool ok = false;
        check(bytes.toLongLong(&ok) == *number && ok);
    }

    const QString name = CurrentLessonFile::parse(bytes);
    static const QString dataDir = QStringLiteral("/nonexistent-quiz-fuzz/Data");
    const LessonLibrary library(dataDir);
    if (const std::optional<QString> path = library.optionsPathFor(name)) {
        check(path->startsWith(dataDir + QLatin1Char('/')));
        check(!path->contains(QLatin1String("/../")) && !path->contains(QLatin1String("/./")));
        check(path->count(QLatin1Char('/')) <= dataDir.count(QLatin1Char('/')) + 2);
    }
    if (LessonLibrary::checkName(name).ok) {
        const QByteArray line = CurrentLessonFile::toBytes(name);
        check(!line.isEmpty());
        check(CurrentLessonFile::parse(line) == name);
    }
    return 0;
}
