#pragma once
// One race as the analysis chart sees it: plain numbers, no record, no
// widgets. Whoever owns the race fills it; the chart and the stint figures
// read only this.
//
// Units: times are seconds. Conditions are positions in the selector lists
// (flag 0 "Green", 1 "Yellow"; position 0..99 for "1".."100"; traffic
// 0 "Not in Traffic", 1 "In Traffic", 2 "Held up by Traffic"), -1 unknown.

#include <QString>

#include <array>
#include <optional>
#include <vector>

namespace sw {

struct SeriesLap
{
    int lap = 0;
    std::optional<double> lapTime;                  // none while the lap's last reading is missing
    std::array<std::optional<double>, 4> segments;  // segment 1 first; beyond segmentsPerLap none
    int flag = -1;
    int position = -1;
    int traffic = -1;
    std::optional<double> raceTime; // from the start press to the lap's last reading
    bool counts = true;             // the lap is counted under the "Count laps" choice
};

struct LapSeries
{
    QString name;           // the race's file name, as the legend shows it
    int segmentsPerLap = 1; // 1..4
    std::vector<SeriesLap> laps; // in lap order, lap 1 first
};

// What the chart plots: 0 the whole lap ("Whole Laps"), 1..4 one segment
// ("Segment 1".."Segment 4").
inline constexpr int WholeLap = 0;

// The time of one lap for a quantity, or none (no reading, a segment beyond
// the race's count, or a time that is not above 0).
inline std::optional<double> lapQuantity(const SeriesLap &lap, int quantity)
{
    std::optional<double> t;
    if (quantity == WholeLap)
        t = lap.lapTime;
    else if (quantity >= 1 && quantity <= 4)
        t = lap.segments[quantity - 1];
    if (t && !(*t > 0))
        return std::nullopt;
    return t;
}

} // namespace sw
