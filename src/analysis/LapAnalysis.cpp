#include "analysis/LapAnalysis.h"

#include "state/ResultsGrid.h"
#include "timing/FinishSummary.h"
#include "timing/NumberText.h"

#include <QStringList>

namespace sw {

int segmentsInUse(const RaceRecord &rec)
{
    return qBound(1, int(rec.NumSegs), 4);
}

int lapsInRace(const RaceRecord &rec)
{
    return qBound(0, int(rec.LastLap), int(RaceRecord::MaxLap));
}

LapTimes lapTimes(const RaceRecord &rec, int lap)
{
    LapTimes t;
    t.lap = lap;
    t.segments = segmentsInUse(rec);
    if (lap < 1 || lap > RaceRecord::MaxLap)
        return t;
    const int n = t.segments;
    for (int s = 1; s <= n; ++s) {
        const double start = s == 1 ? rec.reading(lap - 1, n) : rec.reading(lap, s - 1);
        const double end = rec.reading(lap, s);
        t.segmentText[s - 1] = formatTime(end < start ? 0.0 : end - start);
        t.segment[s - 1] = val(t.segmentText[s - 1]);
    }
    t.lapTimeText = formatTime(rec.reading(lap, n) - rec.reading(lap - 1, n));
    t.lapTime = val(t.lapTimeText);
    return t;
}

RaceFigures raceFigures(const RaceRecord &rec, LapFilter filter)
{
    // The counted laps' cells in a grid of their own, the others left empty
    // (an empty cell is no time), summed up by the statistics table's own code
    // so that "All laps" gives its figures to the last digit.
    ResultsGrid counted;
    RaceFigures f;
    const int laps = lapsInRace(rec);
    const int n = segmentsInUse(rec);
    for (int lap = 1; lap <= laps; ++lap) {
        if (!lapCounts(rec, lap, filter))
            continue;
        ++f.lapsCounted;
        const LapTimes t = lapTimes(rec, lap);
        for (int s = 1; s <= n; ++s)
            counted.setCell(lap, s, t.segmentText[s - 1]);
        counted.setCell(lap, LapTimeColumn, t.lapTimeText);
    }
    for (int col = 1; col <= LapTimeColumn; ++col) {
        if (col < LapTimeColumn && col > n)
            continue;
        const ColumnSummary s = summariseColumn(counted, col, laps);
        ColumnFigures &c = f.columns[col - 1];
        c.count = s.count;
        if (s.count > 0) {
            c.average = s.sum / s.count;
            c.smallest = s.smallest;
            c.largest = s.largest;
        }
    }
    return f;
}

std::array<QString, 3> figureTexts(const ColumnFigures &figures)
{
    if (figures.count <= 0)
        return {};
    return {formatTime(figures.average), formatTime(figures.smallest), formatTime(figures.largest)};
}

std::optional<BestPossibleLap> bestPossibleLap(const RaceRecord &rec, LapFilter filter)
{
    const int n = segmentsInUse(rec);
    std::vector<BestSegment> best(n); // lap 0: no time yet
    const int laps = lapsInRace(rec);
    for (int lap = 1; lap <= laps; ++lap) {
        if (!lapCounts(rec, lap, filter))
            continue;
        const LapTimes t = lapTimes(rec, lap);
        for (int s = 0; s < n; ++s) {
            const double v = t.segment[s];
            // Strictly smaller: the first lap keeps a shared best time.
            if (v > 0 && (best[s].lap == 0 || v < best[s].time))
                best[s] = {lap, v};
        }
    }
    BestPossibleLap result;
    for (const BestSegment &b : best) {
        if (b.lap == 0)
            return std::nullopt;
        result.time += b.time;
    }
    // The segment times have three decimals; keep the sum on them too.
    result.time = val(formatTime(result.time));
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
