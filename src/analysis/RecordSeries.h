#pragma once
// A race as the analysis chart's plain numbers. The times are those the
// results grid shows (to the millisecond, a negative segment shown as 0).

#include "analysis/LapFilter.h"
#include "analysis/LapSeries.h"
#include "race/Race.h"

namespace sw {

// The race's laps with something to show. A lap has a lap time only when its
// last reading and the previous lap's last reading (the start press for lap
// 1) are both there; a segment only when its reading and the one before it
// are there. counts says whether the lap counts under filter.
LapSeries lapSeriesFromRace(const Race &race, const QString &name, LapFilter filter);

} // namespace sw
