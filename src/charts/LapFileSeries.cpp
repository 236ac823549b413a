#include "charts/LapFileSeries.h"

#include "analysis/RecordSeries.h"

#include <memory>

namespace sw {

LapSeries lapSeriesFromFile(const LapFileContent &content, const QString &name, LapFilter filter)
{
    // Through a record of its own, as File > Open loads it, so that the times
    // and conditions are those the grid would show for this file.
    auto rec = std::make_unique<RaceRecord>();
    applyToRecord(content, *rec);
    settleLoadedConditions(*rec);
    return lapSeriesFromRecord(*rec, name, filter);
}

} // namespace sw
