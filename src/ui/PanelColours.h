#pragma once
// Text on a coloured panel: a label that stands for a condition (the flag)
// fills its background with the condition's colour and writes its text in a
// colour that reads on it. Light colours such as yellow cannot be read as
// text on the light window background (about 1.1 : 1); dark text on a yellow
// panel reads at about 19 : 1 and still looks yellow at a glance.

#include "graph/Palette.h"

#include <optional>

class QColor;
class QWidget;

namespace sw {

// Fills w's background with panel and writes its text in text.
void setPanelColours(QWidget *w, Palette text, Palette panel);
// The panel colour last given; none when never set.
std::optional<Palette> panelColour(const QWidget *w);

// The text colour that reads best on a panel colour: black or white,
// whichever has the higher contrast ratio (WCAG 2 relative luminance).
Palette textColourOn(Palette panel);

// The contrast ratio of two colours, 1 .. 21 (WCAG 2).
double contrastRatio(const QColor &a, const QColor &b);

} // namespace sw
