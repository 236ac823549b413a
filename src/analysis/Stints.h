#pragma once
// Pit stops, stints and the figures an engineer reads from lap times after a
// race, as pure functions of a LapSeries (QtCore only).
//
// The pit-stop rule: a lap slower than factor x the median lap time of the
// counted laps is a pit-stop lap, except
//   - the race's first lap (the start makes it slow, not the pits),
//   - a lap run under the yellow flag (slow because of the flag),
// and slow laps that follow each other are one stop (in-lap and out-lap
// both lose time when the stop straddles the timing line).
// The stints are the runs of laps between the stops; the stop laps belong to
// no stint, so they do not spoil a stint's average or trend.
//
// Units: seconds; the trend is seconds per lap.

#include "analysis/LapSeries.h"

#include <optional>
#include <vector>

namespace sw {

inline constexpr double DefaultPitStopFactor = 1.5;
inline constexpr int DefaultRollingWidth = 5;

// The middle value (the mean of the two middle values for an even count);
// none for no values.
std::optional<double> median(std::vector<double> values);

// Median lap time of the laps that count and have a lap time.
std::optional<double> medianCountedLapTime(const LapSeries &series);

struct PitStop
{
    int firstLap = 0;
    int lastLap = 0;
    bool operator==(const PitStop &o) const { return firstLap == o.firstLap && lastLap == o.lastLap; }
};

// The pit stops of a race by the rule above, in lap order.
std::vector<PitStop> pitStops(const LapSeries &series, double factor = DefaultPitStopFactor);

// Whether a lap lies in one of the stops.
bool isPitStopLap(const std::vector<PitStop> &stops, int lap);

struct Stint
{
    int firstLap = 0;
    int lastLap = 0;
    int laps = 0;       // lastLap - firstLap + 1
    int timedLaps = 0;  // laps that count and have a time: the figures below use these
    std::optional<double> best;
    std::optional<double> average;
    std::optional<double> spread; // sample standard deviation (n - 1), from two timed laps
    std::optional<double> trend;  // slope of the least-squares line of time on lap number
};

// The stints between the stops, with the figures of one quantity (WholeLap
// or a segment 1..4).
std::vector<Stint> stints(const LapSeries &series, const std::vector<PitStop> &stops,
                          int quantity = WholeLap);

// Best and average of the counted laps over the whole race (the chart's two
// horizontal lines), pit-stop laps included as the statistics table has them.
struct CountedFigures
{
    int timedLaps = 0;
    std::optional<double> best;
    std::optional<double> average;
};
CountedFigures countedFigures(const LapSeries &series, int quantity = WholeLap);

// The rolling average at each counted, timed lap outside the stops: the mean
// of that lap and the width - 1 such laps before it (fewer at the start).
struct RollingPoint
{
    int lap = 0;
    double value = 0;
};
std::vector<RollingPoint> rollingAverage(const LapSeries &series, const std::vector<PitStop> &stops,
                                         int quantity = WholeLap, int width = DefaultRollingWidth);

// How laps of two races line up on the chart's horizontal axis.
enum class Alignment { LapNumber, RaceTime };

// A lap's place on the horizontal axis: its number, or its race time in
// seconds (none without a race time).
std::optional<double> alignedPosition(const SeriesLap &lap, Alignment alignment);

// The lap of other that lines up with lap of base: by lap number the lap of
// the same number, by race time the lap of other under way when base's lap
// ended (the first lap of other that ends at or after that race time). None
// when other has no such lap.
std::optional<int> alignedLap(const LapSeries &base, int lap, const LapSeries &other,
                              Alignment alignment);

// The lap of a series with this number, or nullptr.
const SeriesLap *findLap(const LapSeries &series, int lap);

} // namespace sw
