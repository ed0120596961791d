#pragma once

#include <QString>

/// Why a file or folder could not be read or written, in Arabic, for the
/// messages a teacher reads. The usual reasons (full disk, no permission,
/// read-only disk, missing file...) are told by the system error number;
/// any other keeps the system's own words, which is still better than
/// nothing for whoever helps the teacher.
QString fileErrorReason(int errnum, const QString &systemText = QString());

/// The same for the error number the last failed system call left; pass
/// the failing object's own text (QFile::errorString()) as systemText.
QString lastFileErrorReason(const QString &systemText = QString());
