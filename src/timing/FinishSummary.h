#pragma once
// Statistics of a finished race: for each results column (segments 1..4, then
// the lap time in column 5) the average, smallest and largest positive time,
// and the most and second most frequent whole-second value (ModeSecs), read
// back from the grid cells as they stand.

#include <QString>

#include <array>

namespace sw {

struct AppState;
class ResultsGrid;

struct ColumnSummary
{
    int count = 0;
    double sum = 0, smallest = 0, largest = 0; // bounds valid when count > 0
    int mode0 = 0, mode1 = 0; // histogram bins 1..499; 0 when none
};

// Summary of grid column col over laps 1..lastLap. Only times above 0 count;
// times from 1 up to (not including) 500 s enter the whole-second histogram.
ColumnSummary summariseColumn(const ResultsGrid &grid, int col, int lastLap);

// Writes the statistics texts and ModeSecs for columns 1..NumSegs and 5; columns beyond
// NumSegs keep their statistics cells.
void applyFinishSummary(AppState &s);

} // namespace sw
