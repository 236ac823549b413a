#include "analysis/RecordSeries.h"

#include "analysis/LapAnalysis.h"
#include "race/NumberText.h"

namespace sw {

LapSeries lapSeriesFromRace(const Race &race, const QString &name, LapFilter filter)
{
    LapSeries series;
    series.name = name;
    const int n = race.segmentsPerLap();
    series.segmentsPerLap = n;
    const int laps = lapsInRace(race);
    series.laps.reserve(size_t(laps));
    // Times as the grid shows them (to the thousandth), without the text
    // the grid needs: this runs on every press while a chart is open.
    for (int lap = 1; lap <= laps; ++lap) {
        SeriesLap l;
        l.lap = lap;
        if (race.hasReading(lap - 1, n))
            if (const std::optional<double> v = race.lapTime(lap))
                l.lapTime = shownSeconds(*v);
        for (int s = 1; s <= n; ++s) {
            const bool before = s == 1 ? race.hasReading(lap - 1, n) : race.hasReading(lap, s - 1);
            if (before)
                if (const std::optional<double> v = race.segmentTime(lap, s))
                    l.segments[size_t(s - 1)] = shownSeconds(*v);
        }
        const Conditions c = race.lapConditions(lap);
        l.flag = c.flag;
        l.position = c.position;
        l.traffic = c.traffic;
        if (race.hasReading(lap, n) && race.hasReading(0, n))
            l.raceTime = race.reading(lap, n) - race.startReading();
        l.counts = lapCounts(c, filter);
        series.laps.push_back(l);
    }
    return series;
}

} // namespace sw
