#include "analysis/RecordSeries.h"

#include "analysis/LapAnalysis.h"

namespace sw {

LapSeries lapSeriesFromRecord(const RaceRecord &rec, const QString &name, LapFilter filter)
{
    LapSeries series;
    series.name = name;
    const int n = segmentsInUse(rec);
    series.segmentsPerLap = n;
    const int laps = lapsInRace(rec);
    series.laps.reserve(size_t(laps));
    const Cell &start = rec.LapData[0][n];
    for (int lap = 1; lap <= laps; ++lap) {
        const auto &row = rec.LapData[lap];
        const auto &previous = rec.LapData[lap - 1];
        const LapTimes t = lapTimes(rec, lap);
        SeriesLap l;
        l.lap = lap;
        if (!row[n].isEmpty() && !previous[n].isEmpty())
            l.lapTime = t.lapTime;
        for (int s = 1; s <= n; ++s) {
            const Cell &before = s == 1 ? previous[n] : row[s - 1];
            if (!row[s].isEmpty() && !before.isEmpty())
                l.segments[s - 1] = t.segment[s - 1];
        }
        const LapConditions c = lapConditions(rec, lap);
        l.flag = c.flag;
        l.position = c.position;
        l.traffic = c.traffic;
        if (!row[n].isEmpty() && !start.isEmpty())
            l.raceTime = row[n].value() - start.value();
        l.counts = lapCounts(c, filter);
        series.laps.push_back(l);
    }
    return series;
}

} // namespace sw
