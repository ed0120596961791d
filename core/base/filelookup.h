#pragma once

#include <QString>

/// Finding the files the quiz reads where letter case may differ from the
/// names the program uses: a Data folder brought from a file system that
/// ignores case holds "Options.txt", "data" or "Color1.wav". Writers use the
/// same lookup, so a file is rewritten under the name it already has and
/// never gets a second file beside it.
namespace FileLookup {

/// `folder` + "/" + `name` where that entry exists. Otherwise the entry of
/// the folder whose name differs from `name` only in letter case (the first
/// in name order where several do); otherwise `folder` + "/" + `name`, the
/// name to create. `folder` may end with "/" or not.
QString inFolder(const QString &folder, const QString &name);

/// A relative path ("Data/options.txt") looked up part by part below `base`
/// with inFolder().
QString below(const QString &base, const QString &relativePath);

} // namespace FileLookup
