#pragma once
// Places a widget at a designed position given in twips.

#include "graph/Palette.h"
#include "ui/Twips.h"

#include <QColor>
#include <QLabel>
#include <QRect>
#include <QWidget>

#include <optional>

namespace sw {

// Places w and remembers its designed rectangle, so a change of the screen
// scale can place it again (rescaleWidgets).
inline void placeTw(QWidget *w, int left, int top, int width, int height)
{
    w->setProperty("designTwips", QRect(left, top, width, height));
    w->setGeometry(tw(left), twy(top), tw(width), twy(height));
}

// A label with the given text placed at a designed position (twips).
inline QLabel *labelTw(QWidget *parent, const QString &text, int left, int top, int width, int height)
{
    auto *l = new QLabel(text, parent);
    placeTw(l, left, top, width, height);
    return l;
}

// Gives w a font of the designed size (points at 100 % zoom) and remembers
// it for rescaleWidgets.
void setDesignFont(QWidget *w, double points, bool bold);

// Places every widget below root (root included) that placeTw placed, at the
// current screen scale, and sizes every designed font at fontZoom times its
// designed size.
void rescaleWidgets(QWidget *root, double fontZoom);

QColor qcolorFromPalette(Palette colour);
void setForeColour(QWidget *w, Palette colour);
// The colour last given with setForeColour; none when never set.
std::optional<Palette> foreColour(const QWidget *w);

} // namespace sw
