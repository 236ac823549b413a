#include "charts/LapFileSeries.h"

#include "analysis/RecordSeries.h"
#include "race/Race.h"

namespace sw {

LapSeries lapSeriesFromFile(const LapFileContent &content, const QString &name, LapFilter filter)
{
    // Through a race of its own, as File > Open loads it, so that the times
    // and conditions are those the grid would show for this file.
    Race race;
    race.load(content.race);
    return lapSeriesFromRace(race, name, filter);
}

} // namespace sw
