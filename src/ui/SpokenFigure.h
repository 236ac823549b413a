#pragma once
// A label that shows a live figure (a clock, the lap now timed, a condition,
// a delta) tells the accessibility bus both what it is and what it shows: its
// name is the caption ("Delta to best") and its value and description the
// figure as spoken ("minus 0.204"). The figure is read from the label's text
// when a screen reader asks, so a clock redrawn 20 times a second costs
// nothing more.

#include <QString>

class QLabel;

namespace sw {

// Gives the label the caption as its accessible name and makes its text its
// accessible value.
void makeSpokenFigure(QLabel *label, const QString &caption);

// A figure's text as a screen reader should say it: a leading minus sign
// (U+2212 or '-') as "minus ", a leading '+' as "plus "; empty stays empty.
QString spokenFigure(const QString &text);

} // namespace sw
