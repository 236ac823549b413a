#include "results/ResultsTexts.h"

#include "analysis/LapAnalysis.h"
#include "race/ConditionLists.h"
#include "race/NumberText.h"
#include "race/Race.h"
#include "report/ReportLayout.h"

#include <QStringList>

namespace sw {

QString resultsHeading(int column)
{
    static const char *heads[ResultsColumns] = {"Lap #", "Seg 1", "Seg 2", "Seg 3", "Seg 4",
                                                "LapTime", "Flag", "Position", "Traffic"};
    return column >= 0 && column < ResultsColumns ? QString::fromLatin1(heads[column]) : QString();
}

int resultsColumnWidthTwips(int column, int segmentsPerLap)
{
    static const int widths[ResultsColumns] = {500, 800, 800, 800, 800, 800, 500, 500, 1500};
    if (column >= 1 && column <= 4)
        return column <= segmentsPerLap ? 800 : 10;
    return column >= 0 && column < ResultsColumns ? widths[column] : 0;
}

QString resultsCellText(const Race &race, int lap, int column)
{
    if (column == 0)
        return lap >= 1 && lap <= Race::MaxLap ? QString::number(lap) : QString();
    if (lap < 1 || lap > race.lapsShown())
        return QString();
    if (column >= 1 && column <= 4) {
        const std::optional<double> t = race.segmentTime(lap, column);
        return t ? formatTime(*t) : QString();
    }
    if (column == 5) {
        const std::optional<double> t = race.lapTime(lap);
        return t ? formatTime(*t) : QString();
    }
    const Conditions c = race.lapConditions(lap);
    switch (column) {
    case 6:
        return conditionText(Condition::Flag, c.flag);
    case 7:
        return conditionText(Condition::Position, c.position);
    case 8:
        return conditionText(Condition::Traffic, c.traffic);
    default:
        return QString();
    }
}

namespace {
// The label's short form: the time, then the lap of each segment in order.
QString bestLapLabelText(const BestPossibleLap &best)
{
    QStringList laps;
    for (const BestSegment &s : best.segments)
        laps << QString::number(s.lap);
    return QStringLiteral("Best possible lap %1\nfrom laps %2")
            .arg(formatTime(best.time).trimmed(), laps.join(QStringLiteral(", ")));
}
} // namespace

StatisticsTexts statisticsTexts(const Race &race, LapFilter filter)
{
    StatisticsTexts t;
    const int n = race.segmentsPerLap();
    for (int c = 1; c <= 4; ++c) {
        const bool used = c <= n;
        t.headingVisible[size_t(c + 2)] = used;
        for (int j = 0; j < 3; ++j)
            t.valueVisible[size_t((c - 1) * 3 + j)] = used;
    }
    t.headingVisible[7] = true;
    for (int j = 12; j < 15; ++j)
        t.valueVisible[size_t(j)] = true;
    if (race.state() != RaceState::Finished)
        return t;

    const RaceFigures figures = raceFigures(race, filter);
    for (int c = 1; c <= LapTimeColumn; ++c) {
        if (c != LapTimeColumn && c > n)
            continue;
        const std::array<QString, 3> texts = summaryTexts(figures.column(c));
        for (int j = 0; j < 3; ++j)
            t.values[size_t((c - 1) * 3 + j)] = texts[size_t(j)];
    }
    if (filter != LapFilter::AllLaps)
        t.countedLapsLine = QStringLiteral("Laps counted: %1 (%2 of %3)")
                                    .arg(lapFilterText(filter))
                                    .arg(figures.lapsCounted)
                                    .arg(lapsInRace(race));
    if (n > 1) {
        if (const std::optional<BestPossibleLap> best = bestPossibleLap(race, filter)) {
            t.bestLapLine = bestPossibleLapText(*best);
            t.bestLapLabel = bestLapLabelText(*best);
        }
    }
    return t;
}

ReportTable reportTableFor(const Race &race, LapFilter filter)
{
    ReportTable t;
    for (int c = 0; c < ResultsColumns; ++c)
        t.headings[size_t(c)] = resultsHeading(c);
    const int laps = qBound(0, race.lastLap(), int(Race::MaxLap));
    t.laps.resize(size_t(laps));
    for (int lap = 1; lap <= laps; ++lap)
        for (int c = 0; c < ResultsColumns; ++c)
            t.laps[size_t(lap - 1)][size_t(c)] = resultsCellText(race, lap, c);
    const StatisticsTexts stats =
            statisticsTexts(race, race.state() == RaceState::Finished ? filter : LapFilter::AllLaps);
    t.statHeadingVisible = stats.headingVisible;
    t.statValues = stats.values;
    for (const QString &line : {stats.countedLapsLine, stats.bestLapLine})
        if (!line.isEmpty())
            t.linesBelow << line;
    return t;
}

ReportTable blankWorksheetFor(const Race &race)
{
    ReportTable t;
    const int segments = race.segmentsPerLap();
    for (int c = 0; c < ResultsColumns; ++c)
        t.headings[size_t(c)] = c >= 1 && c <= 4 && c > segments ? QString() : resultsHeading(c);
    const int laps = qBound(WorksheetMinimumLaps, race.lastLap(), int(Race::MaxLap));
    t.laps.resize(size_t(laps));
    for (int lap = 1; lap <= laps; ++lap)
        t.laps[size_t(lap - 1)][0] = resultsCellText(race, lap, 0);
    t.worksheet = true;
    return t;
}

} // namespace sw
