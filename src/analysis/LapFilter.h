#pragma once
// Which laps count when lap times are compared: all of them, or only the
// laps run under the green flag, or only green-flag laps run clear of
// traffic. A lap that does not count stays in the record and in the grid; it
// is only left out of the statistics and the best possible lap.

#include "state/RaceRecord.h"

#include <QString>

#include <array>

namespace sw {

enum class LapFilter { AllLaps, GreenOnly, GreenNotInTraffic };

// The filters in the order a list offers them.
inline constexpr std::array<LapFilter, 3> AllLapFilters{LapFilter::AllLaps, LapFilter::GreenOnly,
                                                        LapFilter::GreenNotInTraffic};

// "All laps", "Green flag only", "Green and not in traffic".
QString lapFilterText(LapFilter filter);

// The conditions of one lap as positions in the selector lists (flag:
// 0 "Green", 1 "Yellow"; position: 0..99 for "1".."100"; traffic: 0 "Not in
// Traffic", 1 "In Traffic", 2 "Held up by Traffic"), or -1 where the cell
// names no item: an empty cell, text that is no number, or a number outside
// the list. A cell the program wrote always names an item or holds -1 (a
// list with nothing selected).
struct LapConditions
{
    int flag = -1;
    int position = -1;
    int traffic = -1;
};

LapConditions lapConditions(const RaceRecord &rec, int lap);

// Whether a lap with these conditions counts under the filter. A lap whose
// flag is unknown was not shown to be run under green, so it counts only for
// AllLaps; likewise an unknown traffic cell keeps a lap out of
// GreenNotInTraffic.
bool lapCounts(const LapConditions &conditions, LapFilter filter);
bool lapCounts(const RaceRecord &rec, int lap, LapFilter filter);

// What loading a lap-time file does to the condition cells of laps
// 1..LastLap: each cell is put into its selector list by its whole number and
// read back, so an empty cell (which reads as 0) becomes the first item and a
// cell naming no item becomes -1. Afterwards the cells say what the grid
// shows for a loaded file.
void settleLoadedConditions(RaceRecord &rec);

} // namespace sw
