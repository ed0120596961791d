#pragma once

#include <functional>

class QWidget;

/// Closes the window as its exit button would, once nothing stands in the
/// way: every dialog waiting for an answer is given its cancel (or OK) first,
/// as nobody is there to answer it at a shutdown, and the close runs from the
/// program's own event loop, never from inside a dialog's loop nor while
/// `busy` says the window is in the middle of a sequence.
void closeWhenFree(QWidget *window, std::function<bool()> busy);
