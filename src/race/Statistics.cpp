#include "race/Statistics.h"

#include "race/NumberText.h"
#include "race/Race.h"

namespace sw {

std::optional<double> shownTime(const Race &race, int lap, int column)
{
    const std::optional<double> t = column == LapTimeColumn ? race.lapTime(lap) : race.segmentTime(lap, column);
    if (!t)
        return std::nullopt;
    return shownSeconds(*t);
}

ColumnSummary summariseColumn(const Race &race, int column, const std::vector<bool> *counted)
{
    ColumnSummary s;
    std::array<int, 501> bins{}; // bins 1..500 used
    const int laps = race.lapsShown();
    for (int lap = 1; lap <= laps; ++lap) {
        if (counted && (size_t(lap) >= counted->size() || !(*counted)[size_t(lap)]))
            continue;
        const std::optional<double> t = shownTime(race, lap, column);
        const double v = t.value_or(0);
        if (v > 0) {
            // The first time counted starts both bounds, so a stint of more
            // than 10000 s is its own smallest.
            ++s.count;
            if (s.count == 1 || v < s.smallest)
                s.smallest = v;
            if (s.count == 1 || v > s.largest)
                s.largest = v;
            s.sum += v;
            if (v < 500) {
                const int b = static_cast<int>(v); // whole seconds, v >= 0
                if (b >= 1)
                    ++bins[size_t(b)];
            }
        }
    }
    // Highest count, lowest bin on a tie; then the same among the others.
    int best = 0;
    for (int b = 1; b <= 500; ++b)
        if (bins[size_t(b)] > 0 && (best == 0 || bins[size_t(b)] > bins[size_t(best)]))
            best = b;
    int second = 0;
    for (int b = 1; b <= 500; ++b)
        if (b != best && bins[size_t(b)] > 0 && (second == 0 || bins[size_t(b)] > bins[size_t(second)]))
            second = b;
    s.mode0 = best;
    s.mode1 = second;
    return s;
}

int anticipatedSegmentTime(const Race &race, int segment)
{
    return summariseColumn(race, segment).mode0;
}

std::array<QString, 3> summaryTexts(const ColumnSummary &s)
{
    if (s.count <= 0)
        return {};
    return {formatTime(s.average()), formatTime(s.smallest), formatTime(s.largest)};
}

} // namespace sw
