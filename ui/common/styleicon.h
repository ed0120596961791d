#pragma once

#include <QIcon>
#include <QStyle>

/// One of the style's standard icons, taken from the style only when it is
/// first drawn or measured. The style reads its icons through the image
/// readers, and the first read loads every picture-format plugin: the
/// window's buttons are built before the start-up notice, but drawn after it.
QIcon styleIcon(QStyle::StandardPixmap which);
