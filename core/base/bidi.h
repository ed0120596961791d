#pragma once

#include <QString>

/// Left-to-right pieces inside the quiz's right-to-left messages. Without an
/// isolate, a path such as /opt/quiz/results.db is drawn with its slashes
/// moved to the wrong ends and its parts in the wrong order.
namespace Bidi {

/// A path or file name, always read left to right (LRI ... PDI).
QString path(const QString &path);

/// A name or word in whatever direction its own first letter gives it
/// (FSI ... PDI): a Latin device name or an Arabic lesson name.
QString word(const QString &text);

} // namespace Bidi
