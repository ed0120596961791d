#pragma once

#include "core/base/result.h"

#include <QByteArray>
#include <QString>

/// How this computer lets a child play who cannot use a mouse, cannot hear
/// the result or must not leave the quiz: switch scanning, a drawn tick or
/// cross, answers held back until the question was heard, and the lock that
/// keeps the window manager from closing the quiz. They belong to the
/// computer, not to a lesson: Data/access.txt, UTF-8, one key=value a line.
/// Reading never fails: a missing file, an unknown key or a bad value gives
/// that key's default, and nothing is said during play.
struct AccessSettings
{
    static QString fileName() { return QStringLiteral("access.txt"); }
    /// More than any file the program writes; the rest is not read.
    static constexpr qint64 MaxReadBytes = 16 * 1024;
    static constexpr int MinScanIntervalMs = 500;
    static constexpr int MaxScanIntervalMs = 10000;
    static constexpr int DefaultScanIntervalMs = 2000;

    /// The frame moves by itself from panel to panel (one switch).
    bool scanAuto = false;
    int scanIntervalMs = DefaultScanIntervalMs;
    bool visualFeedback = false;
    bool waitForQuestion = false;
    bool childLock = false;

    bool operator==(const AccessSettings &other) const;
    bool operator!=(const AccessSettings &other) const { return !(*this == other); }

    /// The settings a file's bytes give, key by key.
    static AccessSettings parse(const QByteArray &bytes);
    QByteArray toBytes() const;

    /// The settings of the Data folder's file; the defaults where there is none.
    static AccessSettings read(const QString &dataDir);
    /// Replaces the file atomically; a failure's Arabic reason names it.
    Result write(const QString &dataDir) const;
};
