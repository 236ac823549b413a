#include "ui/Geometry.h"

#include "ui/Palette.h"

#include <QPalette>

namespace sw {

QColor qcolorFromPalette(int n)
{
    const PaletteRgb c = paletteColour(n);
    return QColor(c.r, c.g, c.b);
}

void setForeColour(QWidget *w, int paletteNumber)
{
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, qcolorFromPalette(paletteNumber));
    p.setColor(QPalette::ButtonText, qcolorFromPalette(paletteNumber));
    w->setPalette(p);
    w->setProperty("foreColour", paletteNumber);
}

int foreColourNumber(const QWidget *w)
{
    const QVariant v = w->property("foreColour");
    return v.isValid() ? v.toInt() : -1;
}

} // namespace sw
