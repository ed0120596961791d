#pragma once

#include <QApplication>

/// While alive, the pointer shows that the window is busy: a large export or
/// a first connection to the school's server takes a moment.
struct WaitCursor
{
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;
};
