#pragma once

#include <QString>

#include <functional>

/// Where the quiz keeps what it writes: the Data folder (settings, lessons,
/// clips) and the children's table results.db.
///
/// A program folder that can be written keeps them beside the program, so a
/// copied folder (on a USB stick, say) goes on working as it is. An installed
/// program that its user cannot write to uses a folder of that user's own,
/// filled on the first start with a copy of the installed Data folder's
/// files; the help page is still read from the program folder. A user folder
/// that cannot be made or written leaves the quiz playing on the installed
/// files with nothing written at all, and a message says why.
struct DataLocation
{
    /// Whether the program may write in a folder. Tests give their own;
    /// the program asks the system (canWriteFolder).
    using WritableProbe = std::function<bool(const QString &folder)>;

    /// The folder holding Data and results.db, with a trailing "/".
    QString root;
    /// The root is the user's own folder, not the program folder.
    bool perUser = false;
    /// False when nothing may be written: the settings, the lessons, the
    /// clips and the children's table are then only read.
    bool writable = true;
    /// An Arabic text naming the folder and the reason, for a location
    /// that is not writable; empty otherwise.
    QString message;

    /// Settles the location for the program folder `appDir` (the program's
    /// AppDir, "" for the current directory) and the user's own data folder
    /// `userDir`. An empty `userDir` keeps everything in the program folder.
    /// May create and fill the user's folder, which is made (or closed to)
    /// its user's own, mode 0700; does nothing else on disk.
    static DataLocation settle(const QString &appDir, const QString &userDir,
                               const WritableProbe &canWrite = {});

    /// Whether this process may create and replace files in the folder
    /// (also false on a read-only file system, even for the superuser).
    static bool canWriteFolder(const QString &folder);
};
