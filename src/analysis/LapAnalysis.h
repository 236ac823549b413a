#pragma once
// Lap times of a race as the results grid shows them, and the figures drawn
// from them for the laps that count under a lap filter: average, smallest and
// largest time of every segment column and the lap column, and the best
// possible lap. Everything is computed from the race alone, so it gives the
// same figures in the window, the report and the exporter.

#include "analysis/LapFilter.h"
#include "race/Race.h"
#include "race/Statistics.h"

#include <QString>

#include <array>
#include <optional>
#include <vector>

namespace sw {

// One lap's times in the grid's form. A segment runs from the previous
// reading (the end of the previous segment; for segment 1 the end of the
// previous lap's last segment, for lap 1 the start press) to its own reading
// and is shown as 0 when that difference is negative. The lap time is the
// difference of the last readings of this lap and the one before; it is not
// held at 0 and may be negative after an edit. A segment without its
// reading has no time, and a lap without its last reading no lap time: their
// texts are empty. Texts are "#####.000" (".500" below one second); values
// are rounded to the millisecond exactly as the texts show them.
struct LapTimes
{
    int lap = 0;
    int segments = 0; // segments per lap of the race, 1..4
    std::array<QString, 4> segmentText;
    std::array<std::optional<double>, 4> segment{};
    QString lapTimeText;
    std::optional<double> lapTime;
};

// Laps of the race that have something to show: 1..lapsShown().
int lapsInRace(const Race &race);

// Times of lap 1..250 (segments beyond the race's count stay empty).
LapTimes lapTimes(const Race &race, int lap);

// Statistics of one results column over the counted laps, from the times
// above 0 only (a lap without a time, or with a negative one, is no time).
struct RaceFigures
{
    std::array<ColumnSummary, 5> columns; // index: results column - 1
    int lapsCounted = 0;                  // laps the filter lets through
    const ColumnSummary &column(int resultsColumn) const { return columns[size_t(resultsColumn - 1)]; }
};

// Which laps 0..250 count under the filter (index = lap; lap 0 never).
std::vector<bool> countedLaps(const Race &race, LapFilter filter);

// Figures over the laps that count under the filter. Columns beyond the
// race's segments have count 0. With LapFilter::AllLaps the figures are
// those of the statistics table below the grid.
RaceFigures raceFigures(const Race &race, LapFilter filter);

// The best possible lap: the smallest time of every segment over the counted
// laps, added up. Each segment names the lap it comes from (the first such
// lap when several share the smallest time).
struct BestSegment
{
    int lap = 0;
    double time = 0;
};

struct BestPossibleLap
{
    double time = 0; // sum of the segments' times
    std::vector<BestSegment> segments; // one per segment in use, segment 1 first
};

// None when no lap counts or a segment has no time above 0 on a counted lap.
std::optional<BestPossibleLap> bestPossibleLap(const Race &race, LapFilter filter);

// One line for a report: "Best possible lap 61.250 (Seg 1 lap 3, Seg 2 lap 1)";
// with one segment per lap "Best possible lap 30.250 (lap 3)".
QString bestPossibleLapText(const BestPossibleLap &best);

} // namespace sw
