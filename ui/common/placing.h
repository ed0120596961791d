#pragma once

#include <QLatin1String>
#include <QWidget>

/// The pages build their controls by hand, each under the name the handlers
/// and the tests find it by; these two keep that to one line a control.

/// Gives the widget its name and returns it.
template <typename W>
W *named(W *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

/// Names the widget and sets it at a fixed place: at its natural size when
/// no width or height is given.
template <typename W>
W *placed(W *widget, const char *name, int left, int top, int width = -1, int height = -1)
{
    named(widget, name);
    if (width < 0 || height < 0) {
        widget->adjustSize();
        widget->move(left, top);
    } else {
        widget->setGeometry(left, top, width, height);
    }
    return widget;
}
