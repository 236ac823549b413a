#pragma once
// Arithmetic of printing a picture of a window: the window's outer size in
// twips as screen pixels, the page orientation for the picture, and the
// largest undistorted size of the picture on the printable area.

#include <QSize>
#include <QSizeF>

namespace sw {

enum class PrintOrientation { Portrait, Landscape };

// Window size in twips to whole screen pixels (each rounded to the nearest
// pixel): 9000 x 6000 twips at 15 twips a pixel is 600 x 400.
QSize captureSizePixels(const QSize &twips, int twipsPerPixel = 15);

// Landscape when the picture is wider than tall; portrait otherwise, a square
// included.
PrintOrientation orientationFor(const QSize &picture);

// The picture scaled to fill the printable width when it is relatively wider
// than the printable area (or as wide), else the printable height. An empty
// picture or page gives an empty size.
QSizeF fittedSize(const QSizeF &picture, const QSizeF &printable);

} // namespace sw
