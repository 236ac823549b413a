#include "analysis/LapAnalysis.h"

#include "race/NumberText.h"

#include <QStringList>

namespace sw {

int lapsInRace(const Race &race)
{
    return race.lapsShown();
}

LapTimes lapTimes(const Race &race, int lap)
{
    LapTimes t;
    t.lap = lap;
    t.segments = race.segmentsPerLap();
    if (lap < 1 || lap > Race::MaxLap)
        return t;
    for (int s = 1; s <= t.segments; ++s) {
        if (const std::optional<double> v = race.segmentTime(lap, s)) {
            t.segmentText[size_t(s - 1)] = formatTime(*v);
            t.segment[size_t(s - 1)] = shownSeconds(*v);
        }
    }
    if (const std::optional<double> v = race.lapTime(lap)) {
        t.lapTimeText = formatTime(*v);
        t.lapTime = shownSeconds(*v);
    }
    return t;
}

std::vector<bool> countedLaps(const Race &race, LapFilter filter)
{
    std::vector<bool> counted(size_t(Race::MaxLap + 1), false);
    const int laps = lapsInRace(race);
    for (int lap = 1; lap <= laps; ++lap)
        counted[size_t(lap)] = lapCounts(race.lapConditions(lap), filter);
    return counted;
}

RaceFigures raceFigures(const Race &race, LapFilter filter)
{
    RaceFigures f;
    const std::vector<bool> counted = countedLaps(race, filter);
    for (bool c : counted)
        f.lapsCounted += c ? 1 : 0;
    const int n = race.segmentsPerLap();
    for (int col = 1; col <= LapTimeColumn; ++col) {
        if (col < LapTimeColumn && col > n)
            continue;
        f.columns[size_t(col - 1)] = summariseColumn(race, col, &counted);
    }
    return f;
}

std::optional<BestPossibleLap> bestPossibleLap(const Race &race, LapFilter filter)
{
    const int n = race.segmentsPerLap();
    std::vector<BestSegment> best(static_cast<size_t>(n)); // lap 0: no time yet
    const int laps = lapsInRace(race);
    for (int lap = 1; lap <= laps; ++lap) {
        if (!lapCounts(race.lapConditions(lap), filter))
            continue;
        for (int s = 1; s <= n; ++s) {
            const std::optional<double> t = shownTime(race, lap, s);
            const double v = t.value_or(0);
            BestSegment &b = best[size_t(s - 1)];
            // Strictly smaller: the first lap keeps a shared best time.
            if (v > 0 && (b.lap == 0 || v < b.time))
                b = {lap, v};
        }
    }
    BestPossibleLap result;
    for (const BestSegment &b : best) {
        if (b.lap == 0)
            return std::nullopt;
        result.time += b.time;
    }
    // The segment times have three decimals; keep the sum on them too.
    result.time = shownSeconds(result.time);
    result.segments = std::move(best);
    return result;
}

QString bestPossibleLapText(const BestPossibleLap &best)
{
    QStringList parts;
    if (best.segments.size() == 1) {
        parts << QStringLiteral("lap %1").arg(best.segments.front().lap);
    } else {
        for (size_t s = 0; s < best.segments.size(); ++s)
            parts << QStringLiteral("Seg %1 lap %2").arg(s + 1).arg(best.segments[s].lap);
    }
    return QStringLiteral("Best possible lap %1 (%2)")
            .arg(formatTime(best.time), parts.join(QStringLiteral(", ")));
}

} // namespace sw
