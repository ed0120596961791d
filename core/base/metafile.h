#pragma once

#include <QString>
#include <QStringList>

class QIODevice;
class QImage;

/// Windows metafiles (wmf, and the enhanced emf), as old clip-art collections
/// hold them. Qt has no reader for them: each is turned into SVG by a
/// library (libwmf for wmf, libemf2svg for emf) and drawn by Qt Svg at the
/// metafile's own size.
namespace Metafile {

/// The lower-case extensions read here: "wmf" and "emf".
QStringList suffixes();
/// Whether the lower-case extension is one of them.
bool handles(const QString &suffix);

/// Draws the metafile read from device into *image at its own size, scaled down so
/// that no side exceeds maxSide. False, with *image untouched, for a file
/// that is too large, damaged or draws nothing.
bool load(QIODevice *device, const QString &suffix, int maxSide, QImage *image);

/// The largest metafile read, in bytes: clip art is a few kilobytes, and
/// the whole file is held in memory while it is converted.
constexpr qint64 MaxBytes = 16 * 1024 * 1024;

} // namespace Metafile
