#pragma once

#include "core/base/result.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <QStringList>

class QImage;
class QIODevice;

/// Reads the pictures a teacher gives the choice panels. Every format that
/// Qt's image readers offer on this machine is accepted (parents bring phone
/// photos, not only bitmaps and icons); metafiles only where a reader exists.
///
/// A failure leaves the caller's image untouched and names the cause:
/// "Unknown picture file extension (.ext)" when no reader knows the file's
/// extension, "<Kind> image is not valid" (for bitmaps "Bitmap image is not
/// valid", for icons "Icon image is not valid") when the content is broken,
/// and a short Arabic text when the file is missing, unreadable or too large.
///
/// Large pictures are read scaled down so that no side exceeds maxSide, and
/// no reader may allocate more than a fixed budget: a huge picture can neither
/// exhaust the memory nor freeze the window.
class PictureFile
{
public:
    /// Longest side of a picture as it is kept for the choice panels.
    static constexpr int DefaultMaxSide = 2560;
    /// Memory a reader may allocate for one decoded picture, in megabytes.
    static constexpr int AllocationLimitMB = 72;
    /// Most pixels a picture may have. Jpeg readers decode straight to a
    /// reduced size and may take more; other readers decode every pixel
    /// first, at about 25 ms per million on a modest machine.
    static constexpr qint64 MaxPixels = 16'000'000;
    static constexpr qint64 MaxJpegPixels = 64'000'000;
    /// Largest picture file read.
    static constexpr qint64 MaxFileBytes = 64 * 1024 * 1024;

    /// The lower-case extensions some reader on this machine can read.
    static QStringList supportedSuffixes();
    /// Filters for the open-picture dialog: all pictures first, then one per
    /// format, then all files; built from supportedSuffixes().
    static QStringList dialogFilters();
    /// True when the extension of path names a readable format.
    static bool isKnownSuffix(const QString &path);

    /// Reads the picture at path into *image. On failure *image is left as it
    /// was and the failure holds the message.
    static Result load(const QString &path, QImage *image, int maxSide = DefaultMaxSide);
    /// The same for a picture file's bytes, as read from a file with this
    /// extension (the file's own checks left out): every bound of load()
    /// holds, and nothing a decoder throws leaves here.
    static Result decode(const QByteArray &bytes, const QString &suffix, QImage *image,
                         int maxSide = DefaultMaxSide);

    /// The "... is not valid" text for a file with this extension.
    static QString invalidText(const QString &suffix);
    /// The text for an extension that no reader knows.
    static QString unknownExtensionText(const QString &suffix);
    /// The text for a file beyond MaxFileBytes.
    static QString tooLargeFileText(const QString &path, qint64 bytes);

private:
    /// decode() on an open device, read from its start.
    static Result decodeFrom(QIODevice *device, const QString &suffix, QImage *image, int maxSide);
};
