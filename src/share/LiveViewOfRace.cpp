#include "share/LiveViewOfRace.h"

#include "analysis/LapAnalysis.h"
#include "race/ConditionLists.h"
#include "race/Race.h"
#include "race/Statistics.h"
#include "results/ResultsTexts.h"

#include <algorithm>
#include <array>

namespace sw {

namespace {

LiveView::State liveState(RaceState state)
{
    switch (state) {
    case RaceState::Setup:
        return LiveView::State::Setup;
    case RaceState::Armed:
        return LiveView::State::Armed;
    case RaceState::Running:
        return LiveView::State::Running;
    case RaceState::Finished:
        break;
    }
    return LiveView::State::Finished;
}

QString textOrNull(const QString &text)
{
    return text.isEmpty() ? QString() : text;
}

// The smallest time above 0 of a results column over the counted laps.
std::optional<double> bestOfColumn(const Race &race, int column, const std::vector<bool> &counted, int laps)
{
    std::optional<double> best;
    for (int lap = 1; lap <= laps; ++lap) {
        if (!counted[size_t(lap)])
            continue;
        const std::optional<double> t = shownTime(race, lap, column);
        if (t && *t > 0 && (!best || *t < *best))
            best = t;
    }
    return best;
}

} // namespace

LiveView liveViewOfRace(const LiveViewSource &source)
{
    const Race &race = source.race;
    LiveView view;
    view.state = liveState(race.state());
    view.title = source.title;
    view.segmentsPerLap = race.segmentsPerLap();
    if (source.clockSeconds && race.state() != RaceState::Setup) {
        view.clockSeconds = source.clockSeconds;
        view.clockRunning = race.isTiming();
    }
    if (race.state() == RaceState::Running)
        view.currentLap = race.currentLap();
    else if (race.state() == RaceState::Armed)
        view.currentLap = 1;

    const Conditions now = race.conditionsNow();
    view.flag = textOrNull(conditionText(Condition::Flag, now.flag));
    view.position = textOrNull(conditionText(Condition::Position, now.position));
    view.traffic = textOrNull(conditionText(Condition::Traffic, now.traffic));

    const int completed = race.lastCompletedLap();
    if (completed >= 1)
        view.lastLap = textOrNull(resultsCellText(race, completed, LapTimeColumn));

    // Best marks and the best lap only from completed laps that count.
    const std::vector<bool> counted = countedLaps(race, source.lapFilter);
    const int segments = race.segmentsPerLap();
    std::array<std::optional<double>, LapTimeColumn + 1> best{};
    for (int column = 1; column <= LapTimeColumn; ++column)
        if (column <= segments || column == LapTimeColumn)
            best[size_t(column)] = bestOfColumn(race, column, counted, completed);
    if (best[LapTimeColumn]) {
        for (int lap = 1; lap <= completed; ++lap) {
            const std::optional<double> t = shownTime(race, lap, LapTimeColumn);
            if (counted[size_t(lap)] && t && *t == *best[LapTimeColumn]) {
                view.bestLap = resultsCellText(race, lap, LapTimeColumn);
                view.bestLapNumber = lap;
                break;
            }
        }
    }

    // The recent laps: the completed ones and the lap under way.
    const int shown = race.lapsShown();
    const int first = std::max(1, shown - LiveView::maxRecentLaps + 1);
    for (int lap = first; lap <= shown; ++lap) {
        LiveLap row;
        row.lap = lap;
        const bool complete = lap <= completed;
        auto mark = [&](int column, bool &isBest, bool &improved) {
            const std::optional<double> t = shownTime(race, lap, column);
            isBest = complete && counted[size_t(lap)] && t && best[size_t(column)] && *t == *best[size_t(column)];
            const std::optional<double> before = lap > 1 ? shownTime(race, lap - 1, column) : std::nullopt;
            improved = t && before && *t > 0 && *before > 0 && *t < *before;
        };
        for (int segment = 1; segment <= segments; ++segment) {
            row.segmentTimes << textOrNull(resultsCellText(race, lap, segment));
            bool isBest = false, improved = false;
            mark(segment, isBest, improved);
            row.bestSegments << isBest;
            row.improvedSegments << improved;
        }
        row.lapTime = textOrNull(resultsCellText(race, lap, LapTimeColumn));
        mark(LapTimeColumn, row.bestLapTime, row.improvedLapTime);
        row.flag = textOrNull(resultsCellText(race, lap, RaceRecordCells::FlagColumn + 1));
        row.position = textOrNull(resultsCellText(race, lap, RaceRecordCells::PositionColumn + 1));
        row.traffic = textOrNull(resultsCellText(race, lap, RaceRecordCells::TrafficColumn + 1));
        view.recentLaps << row;
    }
    return view;
}

} // namespace sw
