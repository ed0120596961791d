#pragma once

#include "core/base/result.h"

#include <QByteArray>
#include <QString>

/// File writes that never leave a half-written file under the final name:
/// the new content goes to a temporary file in the same folder, is flushed to
/// disk, and only then takes the final name in one rename. A crash or a full
/// disk at any moment leaves either the old file or the new one, whole.
///
/// A name that is a symbolic link is never written through: the link itself
/// is replaced by a file of its own, its target (which may lie anywhere,
/// outside the data folder too) is left as it was. Nothing is lost that way:
/// the quiz reads its file under that name next time, and the file elsewhere
/// keeps what it held.
class AtomicFile
{
public:
    /// Who may read a file written: as the file it replaces (or, for a new
    /// one, everyone the umask lets), or only its owner, for the children's
    /// names and counts kept in a folder that is the user's own.
    enum class Access { Usual, OwnerOnly };

    /// Replaces (or creates) the file at the path with the bytes.
    static Result writeBytes(const QString &path, const QByteArray &bytes, Access access = Access::Usual);

    /// Replaces (or creates) `destination` with a copy of the regular file
    /// `source`, keeping its permissions. Where `destination` is a symbolic
    /// link, the link itself is replaced; its target is never written.
    static Result copyReplacing(const QString &source, const QString &destination);

    /// Gives the finished file `source` the name `destination` in one rename,
    /// replacing what is there; both must lie on the same file system. The
    /// content is flushed to disk first, and it takes the permissions of the
    /// file it replaces (a link is replaced, never its target). On failure
    /// both files stay as they were.
    static Result moveReplacing(const QString &source, const QString &destination, Access access = Access::Usual);

    /// Whether the folder is its user's own: owned by this user and closed
    /// to everyone else, as the per-user data folder is made.
    static bool isPrivateFolder(const QString &folder);
    /// OwnerOnly in a private folder, Usual elsewhere.
    static Access accessIn(const QString &folder);

    /// True for a symbolic link whose target is not inside the link's own
    /// folder (or cannot be found): such a file is never read through.
    static bool leadsOutOfItsFolder(const QString &path);
    /// Reads at most `maxBytes` of the file. Returns false when the file
    /// cannot be opened, is no plain file (a folder, a pipe, a device) or is
    /// a symbolic link that leads out of its own folder; *complete is false when reading failed part way or
    /// stopped at the limit before the end of the file.
    static bool readUpTo(const QString &path, qint64 maxBytes, QByteArray *bytes, bool *complete);

    /// Writes all `size` bytes to the open file, going on after a signal
    /// and after a short write; false on any error.
    static bool writeAll(int fd, const char *data, qint64 size);

    /// The Arabic text of a failed write of the file at the path, with the
    /// system's reason.
    static QString writeFailedText(const QString &path, const QString &reason);
};
