#pragma once

#include "core/base/result.h"

#include <QSize>
#include <QString>

/// What a lesson keeps beside its 21 options lines: its own copies of the
/// pictures, how they are drawn, and (for the Data folder) whether lessons
/// carry their own clips and settings.
namespace LessonPictures {

/// Copies the picture `source` into `picturesDir` (made when missing) and
/// gives the copy's full path in *stored. A picture larger than `screen` is
/// stored reduced to fit it, keeping its shape, turned as its EXIF
/// orientation says; a smaller one, and a metafile, is copied as it is. A
/// picture already in `picturesDir` is kept where it is, and one picked
/// again is the copy made before. A copy never replaces another picture of
/// the same name.
Result keep(const QString &source, const QString &picturesDir, QSize screen, QString *stored);

/// How the lesson in `lessonDir` draws its pictures: whole, centred and as
/// large as the panel allows ("fit, keeping shape"), or as its options say.
bool fitsPictures(const QString &lessonDir);
Result setFitsPictures(const QString &lessonDir, bool fit);

/// Whether named lessons carry their own clips and settings (kept in the
/// Data folder's own small file); off where the file is missing.
bool selfContained(const QString &dataDir);
Result setSelfContained(const QString &dataDir, bool on);
QString selfContainedFileName();

} // namespace LessonPictures
