// Random bytes as a lesson's .zip file. Besides not crashing: a refused
// archive leaves nothing in the Data folder, an accepted one only a hidden
// folder holding a lesson's own names, and an import never placed takes
// that folder with it.

#include "core/settings/lessonarchive.h"
#include "core/settings/optionsfile.h"

#include "fuzzcheck.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>

namespace {

QStringList entriesBelow(const QString &folder)
{
    QStringList found;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        found << QDir(folder).relativeFilePath(it.next());
    return found;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // The picture names are checked against the image readers, plugins
    // that the application object finds.
    static int argc = 1;
    static char name[] = "fuzz_lessonarchive";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir root;
    const QString dataDir = root.filePath(QStringLiteral("Data"));
    QDir().mkpath(dataDir);
    const QString zip = root.filePath(QStringLiteral("lesson.zip"));
    {
        QFile file(zip);
        check(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        check(file.write(reinterpret_cast<const char *>(data), qint64(size)) == qint64(size));
    }
    {
        LessonArchive::Import import(dataDir);
        const Result unpacked = import.unpack(zip);
        const QStringList left = entriesBelow(dataDir);
        if (!unpacked) {
            check(left.isEmpty());
            check(!unpacked.text.isEmpty());
        } else {
            check(!import.archivedName().isEmpty());
            bool options = false;
            for (const QString &entry : left) {
                const QStringList parts = entry.split(QLatin1Char('/'));
                check(parts.first().startsWith(QLatin1String(".lesson-import-")));
                check(parts.size() <= 3);
                if (parts.size() == 2) {
                    check(LessonArchive::isLessonFileName(parts.at(1)) || parts.at(1) == LessonArchive::picturesFolder());
                    options = options || parts.at(1).compare(OptionsFile::fileName(), Qt::CaseInsensitive) == 0;
                }
                if (parts.size() == 3)
                    check(parts.at(1) == LessonArchive::picturesFolder() && LessonArchive::isPictureFileName(parts.at(2)));
            }
            check(options);
        }
    }
    check(entriesBelow(dataDir).isEmpty());
    return 0;
}
