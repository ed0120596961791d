#pragma once

#include "core/base/result.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <memory>

class LessonLibrary;
class QTemporaryDir;

/// One lesson as one .zip file, for handing it to another teacher: a folder
/// of the lesson's name holding its options.txt, its clips, its side file
/// and a `pictures` folder with the pictures its options name. Inside the
/// archive the picture lines of options.txt name "pictures/<file>", relative
/// to the lesson; an import writes them back as full paths of the new
/// lesson's folder, as the options file always holds them.
namespace LessonArchive {

/// Bounds of an archive that is read: a lesson holds a few files, and an
/// archive beyond these is damaged or made to harm.
constexpr int MaxEntries = 300;
constexpr qint64 MaxTotalBytes = 200LL * 1024 * 1024;
constexpr int MaxRatio = 100;

/// The name of the folder inside a lesson (and Data) holding its pictures.
QString picturesFolder();
/// The lesson's side file: how its pictures are drawn (not a line of
/// options.txt, whose 21 lines stay as other installations read them).
QString displayFileName();
/// The file filter of the open and save dialogs.
QString fileFilter();

/// Whether a file name is one a lesson folder holds: options.txt, the side
/// file, a clip (color1..3, true, false, 0 as wav or avi). Letter case does
/// not count.
bool isLessonFileName(const QString &name);
/// Whether a file name can be a picture of the `pictures` folder: one plain
/// name, no leading dot, a picture extension, holdable by the options file.
bool isPictureFileName(const QString &name);

/// Writes the lesson whose folder is `lessonDir` (the Data folder for the
/// automatic lesson) as `zipPath`, its folder inside named `name`. The
/// pictures are taken from where the options name them; one that cannot be
/// read keeps its line as it is. The archive is complete or not there.
Result exportLesson(const QString &lessonDir, const QString &name, const QString &zipPath);

/// An import in two steps, so that the window can ask for a name between
/// them: unpack() reads the whole archive into a hidden folder of the Data
/// folder, refusing it at the first entry beyond a bound; place() gives the
/// folder its name. A refused or abandoned import leaves no folder behind.
class Import
{
public:
    explicit Import(const QString &dataDir);
    ~Import();
    Import(const Import &) = delete;
    Import &operator=(const Import &) = delete;

    /// Reads the archive. A failure holds one Arabic text naming the reason.
    Result unpack(const QString &zipPath);
    /// The lesson's name as the archive's folder spells it.
    QString archivedName() const { return m_name; }
    /// Rewrites the picture lines for the folder `name` of the Data folder
    /// and moves the lesson there; fails, without asking, when the name is
    /// not one a new lesson can take or is taken in any letter case.
    Result place(const LessonLibrary &library, const QString &name);

private:
    QString m_dataDir;
    std::unique_ptr<QTemporaryDir> m_staging;
    QString m_name;
};

/// The text that begins every refusal of an archive.
QString refusedText(const QString &reason);

} // namespace LessonArchive
