#include "ui/PanelColours.h"

#include "ui/Geometry.h"

#include <QColor>
#include <QPalette>
#include <QVariant>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace sw {

namespace {

double channel(double c)
{
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double luminance(const QColor &c)
{
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

} // namespace

double contrastRatio(const QColor &a, const QColor &b)
{
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

Palette textColourOn(Palette panel)
{
    const QColor p = qcolorFromPalette(panel);
    return contrastRatio(p, Qt::black) >= contrastRatio(p, Qt::white) ? Palette::Black : Palette::White;
}

void setPanelColours(QWidget *w, Palette text, Palette panel)
{
    setForeColour(w, text);
    QPalette p = w->palette();
    p.setColor(QPalette::Window, qcolorFromPalette(panel));
    w->setPalette(p);
    w->setAutoFillBackground(true);
    w->setProperty("panelColour", static_cast<int>(panel));
}

std::optional<Palette> panelColour(const QWidget *w)
{
    const QVariant v = w->property("panelColour");
    if (!v.isValid())
        return std::nullopt;
    return static_cast<Palette>(v.toInt());
}

} // namespace sw
