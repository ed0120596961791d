#include "core/settings/archivelibrary.h"

#include "core/base/bidi.h"

#include <QString>

#include <dlfcn.h>

namespace {

struct Loaded
{
    ArchiveLibrary library;
    bool complete = false;
    QString missing;

    Loaded()
    {
        // The soname the package depends on; never a path, so only the
        // system's library folders are searched.
        void *handle = ::dlopen("libarchive.so.13", RTLD_NOW | RTLD_LOCAL);
        if (!handle) {
            missing = QStringLiteral("libarchive.so.13");
            return;
        }
#define QUIZ_ARCHIVE_FIND(name)                                                                    \
    library.name = reinterpret_cast<decltype(library.name)>(::dlsym(handle, #name));               \
    if (!library.name) {                                                                           \
        missing = QStringLiteral(#name);                                                           \
        return;                                                                                    \
    }
        QUIZ_ARCHIVE_FUNCTIONS(QUIZ_ARCHIVE_FIND)
#undef QUIZ_ARCHIVE_FIND
        // Kept loaded to the end of the process: functions of it may be
        // called from any later lesson file.
        complete = true;
    }
};

} // namespace

const ArchiveLibrary *ArchiveLibrary::load(QString *error)
{
    static const Loaded loaded;
    if (loaded.complete)
        return &loaded.library;
    if (error) {
        *error = QStringLiteral(u"مكتبة الملفات المضغوطة (libarchive) غير مثبتة على هذا الحاسوب أو ناقصة (%1)")
                     .arg(Bidi::word(loaded.missing));
    }
    return nullptr;
}
