#pragma once

#include <QString>

/// The start-up notice's text, apart from the window, so that the program's
/// small launcher can show it before the window's libraries are loaded.
namespace StartupNotice {

/// Six lines joined by line feed + carriage return.
QString text();

} // namespace StartupNotice
