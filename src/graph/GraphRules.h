#pragma once
// Rules of the lap and segment graph that need no window: which results
// column a quantity-list position graphs, the time axis and its labels, the
// colour of each lap's point, and how a click height maps to a lap and
// scrolls the results grid. GraphView draws with them.
//
// Units: the vertical scale is in laps (lap i owns the band i - 0.5 ..
// i + 0.5, growing downwards); the horizontal scale is in seconds, growing to
// the right. Colours are numbers of the 16-colour palette (ui/Palette.h).

#include "graph/Palette.h"

#include <QString>

namespace sw {

// Which option button colours the points; None is the state at start-up and
// colours as for Flag.
enum class GraphColouring { None = -1, Flag = 0, Position = 1, Traffic = 2 };

GraphColouring graphColouringFromIndex(int checkedOption);

// Quantity list position 0 is "Whole Laps" (statistics column 4, grid column
// 5, the lap time); position j = 1..4 is "Segment j" (statistics column j - 1,
// grid column j). Any other position has no column: valid is false.
struct GraphColumn
{
    bool valid;
    int statsColumn; // k: statValues[3k .. 3k + 2]
    int gridColumn;  // k + 1
};
GraphColumn graphColumnForListPosition(int listPosition);

// The quantity list as it is filled for numSegs segments: "Whole Laps",
// "Segment 1" .. "Segment numSegs".
QStringList graphQuantityItems(int numSegs);

// Time axis from the smallest and the largest positive time of the column,
// both taken to thousandths as the statistics table shows them: left is lo
// rounded down to a tenth, right the next tenth strictly above hi, and the
// axis spans at least one second (widened to the left).
struct GraphScale
{
    double left;
    double right;
    double width() const { return right - left; }
};
GraphScale graphScale(double lo, double hi);

// Scale label text: shortest general form, no blanks, no leading zero
// (61.2, 62, .1, -.9).
QString graphScaleLabel(double v);

// Colour of a lap's point. The condition texts are the lap's cells of
// grid columns 6 (flag), 7 (position) and 8 (traffic); comparisons of the
// first character are case-sensitive.
Palette graphLapColour(GraphColouring colouring, bool selected, const QString &flag,
                   const QString &position, const QString &traffic);

// Vertical scale of a drawing of laps first..last.
struct GraphLapScale
{
    double top;    // first - 0.5
    double height; // last - first + 1
};
GraphLapScale graphLapScale(int firstLap, int lastLap);

// Height of a click in lap units: pixel row y of a picture pixelHeight high.
double graphClickY(double pixelY, int pixelHeight, int firstLap, int lastLap);

// Grid row of a click at height y in lap units: Int(y + 0.5).
int graphClickRow(double y);

// First visible grid row after a click on row: from row 7 on, the row is
// shown sixth (at most 230, so lap 250 stays in view); a row above the top
// becomes the top.
int graphClickTopRow(int row, int currentTopRow);

} // namespace sw
