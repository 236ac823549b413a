#pragma once
// Which laps count when lap times are compared: all of them, or only the
// laps run under the green flag, or only green-flag laps run clear of
// traffic. A lap that does not count stays in the record and in the grid; it
// is only left out of the statistics and the best possible lap.

#include "race/Conditions.h"

#include <QString>

#include <array>

namespace sw {

enum class LapFilter { AllLaps, GreenOnly, GreenNotInTraffic };

// The filters in the order a list offers them.
inline constexpr std::array<LapFilter, 3> AllLapFilters{LapFilter::AllLaps, LapFilter::GreenOnly,
                                                        LapFilter::GreenNotInTraffic};

// "All laps", "Green flag only", "Green and not in traffic".
QString lapFilterText(LapFilter filter);

// Whether a lap with these conditions counts under the filter. A lap whose
// flag is unknown was not shown to be run under green, so it counts only for
// AllLaps; likewise an unknown traffic cell keeps a lap out of
// GreenNotInTraffic.
bool lapCounts(const Conditions &conditions, LapFilter filter);

} // namespace sw
