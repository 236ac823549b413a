#pragma once
// Places a widget at a designed position given in twips.

#include "ui/Palette.h"
#include "ui/Twips.h"

#include <QColor>
#include <QLabel>
#include <QWidget>

#include <optional>

namespace sw {

inline void placeTw(QWidget *w, int left, int top, int width, int height)
{
    w->setGeometry(tw(left), tw(top), tw(width), tw(height));
}

// A label with the given text placed at a designed position (twips).
inline QLabel *labelTw(QWidget *parent, const QString &text, int left, int top, int width, int height)
{
    auto *l = new QLabel(text, parent);
    placeTw(l, left, top, width, height);
    return l;
}

QColor qcolorFromPalette(Palette colour);
void setForeColour(QWidget *w, Palette colour);
// The colour last given with setForeColour; none when never set.
std::optional<Palette> foreColour(const QWidget *w);

} // namespace sw
