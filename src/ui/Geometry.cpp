#include "ui/Geometry.h"

#include "ui/Palette.h"

#include <QPalette>

namespace sw {

QColor qcolorFromPalette(Palette colour)
{
    const PaletteRgb c = paletteColour(colour);
    return QColor(c.r, c.g, c.b);
}

void setForeColour(QWidget *w, Palette colour)
{
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, qcolorFromPalette(colour));
    p.setColor(QPalette::ButtonText, qcolorFromPalette(colour));
    w->setPalette(p);
    w->setProperty("foreColour", static_cast<int>(colour));
}

std::optional<Palette> foreColour(const QWidget *w)
{
    const QVariant v = w->property("foreColour");
    if (!v.isValid())
        return std::nullopt;
    return static_cast<Palette>(v.toInt());
}

} // namespace sw
