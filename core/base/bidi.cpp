#include "core/base/bidi.h"

namespace {

constexpr char16_t LeftToRightIsolate = 0x2066;
constexpr char16_t FirstStrongIsolate = 0x2068;
constexpr char16_t PopDirectionalIsolate = 0x2069;

} // namespace

namespace Bidi {

QString path(const QString &path)
{
    return QChar(LeftToRightIsolate) + path + QChar(PopDirectionalIsolate);
}

QString word(const QString &text)
{
    return QChar(FirstStrongIsolate) + text + QChar(PopDirectionalIsolate);
}

} // namespace Bidi
