#include "ui/Geometry.h"

#include "graph/Palette.h"

#include <QPalette>

namespace sw {

void setDesignFont(QWidget *w, double points, bool bold)
{
    w->setProperty("designPointSize", points);
    QFont f = w->font();
    f.setPointSizeF(points);
    f.setBold(bold);
    w->setFont(f);
}

void rescaleWidgets(QWidget *root, double fontZoom)
{
    QList<QWidget *> all = root->findChildren<QWidget *>();
    all.prepend(root);
    // Fonts first: a label's room depends on nothing but its rectangle, but
    // the font change may ask for a new layout.
    for (QWidget *w : all) {
        const QVariant pt = w->property("designPointSize");
        if (pt.isValid()) {
            QFont f = w->font();
            f.setPointSizeF(pt.toDouble() * fontZoom);
            w->setFont(f);
        }
    }
    for (QWidget *w : all) {
        const QVariant r = w->property("designTwips");
        if (r.isValid()) {
            const QRect d = r.toRect();
            w->setGeometry(tw(d.left()), twy(d.top()), tw(d.width()), twy(d.height()));
        }
    }
}

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
