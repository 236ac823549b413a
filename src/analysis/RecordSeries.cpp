#include "analysis/RecordSeries.h"

#include "analysis/LapAnalysis.h"

namespace sw {

LapSeries lapSeriesFromRace(const Race &race, const QString &name, LapFilter filter)
{
    LapSeries series;
    series.name = name;
    const int n = race.segmentsPerLap();
    series.segmentsPerLap = n;
    const int laps = lapsInRace(race);
    series.laps.reserve(size_t(laps));
    for (int lap = 1; lap <= laps; ++lap) {
        const LapTimes t = lapTimes(race, lap);
        SeriesLap l;
        l.lap = lap;
        if (race.hasReading(lap - 1, n))
            l.lapTime = t.lapTime;
        for (int s = 1; s <= n; ++s) {
            const bool before = s == 1 ? race.hasReading(lap - 1, n) : race.hasReading(lap, s - 1);
            if (before)
                l.segments[size_t(s - 1)] = t.segment[size_t(s - 1)];
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
