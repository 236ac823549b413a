#pragma once
// The program's picture: a stopwatch with a chequered flag, drawn in code at
// any size (about window, splash window).

#include <QPixmap>
#include <QSize>

namespace sw {

// A transparent picture of the given logical size with devicePixelRatio
// screen pixels to the unit (an empty size gives a null pixmap).
QPixmap programPicture(const QSize &size, qreal devicePixelRatio = 1.0);

} // namespace sw
