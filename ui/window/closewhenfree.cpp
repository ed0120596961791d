#include "ui/window/closewhenfree.h"

#include <QApplication>
#include <QList>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <QWidget>

void closeWhenFree(QWidget *window, std::function<bool()> busy)
{
    QList<QWidget *> dismissed;
    while (QWidget *modal = QApplication::activeModalWidget()) {
        if (dismissed.contains(modal))
            break;
        dismissed.append(modal);
        modal->close();
    }
    // From inside a dialog's loop (or the start-up sequence, which waits on
    // its notice) the window would close under code that still uses it. The
    // dialogs just dismissed return within an event or two.
    if (busy() || QApplication::activeModalWidget() || QThread::currentThread()->loopLevel() > 1) {
        QTimer::singleShot(20, window, [window, busy] { closeWhenFree(window, busy); });
        return;
    }
    window->close();
}
