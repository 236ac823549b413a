#include "report/ScreenPrintGeometry.h"

#include <cmath>

namespace sw {

QSize captureSizePixels(const QSize &twips, int twipsPerPixel)
{
    if (twipsPerPixel <= 0)
        return QSize();
    const auto px = [twipsPerPixel](int t) {
        return static_cast<int>(std::lround(t / double(twipsPerPixel)));
    };
    return QSize(px(twips.width()), px(twips.height()));
}

PrintOrientation orientationFor(const QSize &picture)
{
    return picture.height() < picture.width() ? PrintOrientation::Landscape
                                              : PrintOrientation::Portrait;
}

QSizeF fittedSize(const QSizeF &picture, const QSizeF &printable)
{
    if (picture.width() <= 0 || picture.height() <= 0 || printable.width() <= 0
        || printable.height() <= 0)
        return QSizeF();
    const double pictureRatio = picture.width() / picture.height();
    const double pageRatio = printable.width() / printable.height();
    if (pictureRatio >= pageRatio)
        return QSizeF(printable.width(), printable.width() / pictureRatio);
    return QSizeF(printable.height() * pictureRatio, printable.height());
}

} // namespace sw
