#pragma once

#include <QString>

class QIODevice;

/// What a clip file's own bytes say about it. The check reads only the RIFF
/// chunk headers, so it finishes at once whatever the file's size; it tells a
/// playable wav or avi clip apart from a missing, empty, foreign, damaged or
/// half-written file before a player is handed it.
class ClipFile
{
public:
    enum class Kind { Invalid, Wave, Avi };

    struct Check
    {
        Kind kind = Kind::Invalid;
        bool hasVideo = false;
        /// Empty when the clip is playable; otherwise an Arabic text that
        /// names the file and the reason.
        QString error;
        bool ok() const { return kind != Kind::Invalid; }
    };

    /// Checks the file at path: it exists, is a readable regular file and
    /// holds a RIFF WAVE or RIFF AVI clip whose chunk sizes fit the file.
    static Check check(const QString &path);
    /// The same check on data already open for reading; name is only used
    /// in the error text.
    static Check check(QIODevice &device, const QString &name);

    /// Mends the sizes in a wav header when they are wrong or unknown, as in
    /// a recording whose writer stopped before fixing them: the RIFF size and
    /// the size of the final data chunk are made to match the data's length.
    /// Returns false when the data is not a wav with a data chunk. The wav
    /// reader mends every file so before it decodes it.
    static bool fixWaveSizes(QByteArray &wave);

    /// "تعذر فتح المقطع "name": reason", the form of every open failure.
    static QString openError(const QString &name, const QString &reason);
};
