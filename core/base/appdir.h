#pragma once

#include <QString>

/// The folder part of a program path, with its trailing "/": everything up to
/// and including the last "/". A path without any "/" gives the empty text,
/// and paths formed from it are then relative to the current directory.
QString deriveAppDir(const QString &programFile);

/// The full path of the running executable as the operating system reports it
/// (/proc/self/exe), not as the command line spelled it.
QString runningProgramFile();
