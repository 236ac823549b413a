#pragma once
// Lap times of a race as the results grid shows them, and the figures drawn
// from them for the laps that count under a lap filter: average, smallest and
// largest time of every segment column and the lap column, and the best
// possible lap. Everything is computed from the race record alone, so it
// needs no grid and gives the same figures in the window and the exporter.

#include "analysis/LapFilter.h"
#include "state/RaceRecord.h"

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
// held at 0 and may be negative after an edit. Texts are "#####.000" (".500"
// below one second); values are the shown texts read back, so they are
// rounded to the millisecond exactly as the statistics see them.
struct LapTimes
{
    int lap = 0;
    int segments = 0; // segments per lap of the race, 1..4
    std::array<QString, 4> segmentText;
    std::array<double, 4> segment{};
    QString lapTimeText;
    double lapTime = 0;
};

// Segments per lap as the race uses them: NumSegs, at least 1 and at most 4.
int segmentsInUse(const RaceRecord &rec);

// Laps 1..LastLap, at most 250.
int lapsInRace(const RaceRecord &rec);

// Times of lap 1..250 (segments beyond the race's count stay empty).
LapTimes lapTimes(const RaceRecord &rec, int lap);

// Statistics of one results column over the counted laps, from the times
// above 0 only (a lap without a time, or with a negative one, is no time).
struct ColumnFigures
{
    int count = 0; // times above 0
    double average = 0, smallest = 0, largest = 0;
};

// Results column as the grid numbers them: 1..4 the segments, 5 the lap time.
inline constexpr int LapTimeColumn = 5;

struct RaceFigures
{
    std::array<ColumnFigures, 5> columns; // index: results column - 1
    int lapsCounted = 0;                  // laps the filter lets through
    const ColumnFigures &column(int resultsColumn) const { return columns[resultsColumn - 1]; }
};

// Figures over laps 1..LastLap that count under the filter. Columns beyond
// the race's segments have count 0. With LapFilter::AllLaps the figures are
// those of the statistics table below the grid.
RaceFigures raceFigures(const RaceRecord &rec, LapFilter filter);

// The statistics table's texts of one column: average, smallest, largest in
// "#####.000", or three empty texts when the column has no time.
std::array<QString, 3> figureTexts(const ColumnFigures &figures);

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
std::optional<BestPossibleLap> bestPossibleLap(const RaceRecord &rec, LapFilter filter);

// One line for a report: "Best possible lap 61.250 (Seg 1 lap 3, Seg 2 lap 1)";
// with one segment per lap "Best possible lap 30.250 (lap 3)".
QString bestPossibleLapText(const BestPossibleLap &best);

} // namespace sw
