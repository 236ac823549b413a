#include "analysis/Stints.h"

#include <algorithm>
#include <cmath>

namespace sw {

namespace {

constexpr int YellowFlag = 1;

// Least-squares figures of the timed laps of one stint.
void fillFigures(Stint &s, const std::vector<double> &laps, const std::vector<double> &times)
{
    const int n = int(times.size());
    s.timedLaps = n;
    if (n == 0)
        return;
    double sum = 0;
    double best = times.front();
    for (double t : times) {
        sum += t;
        best = std::min(best, t);
    }
    const double mean = sum / n;
    s.best = best;
    s.average = mean;
    if (n < 2)
        return;
    double squares = 0;
    double meanLap = 0;
    for (double l : laps)
        meanLap += l;
    meanLap /= n;
    double sxy = 0;
    double sxx = 0;
    for (int i = 0; i < n; ++i) {
        squares += (times[i] - mean) * (times[i] - mean);
        sxy += (laps[i] - meanLap) * (times[i] - mean);
        sxx += (laps[i] - meanLap) * (laps[i] - meanLap);
    }
    s.spread = std::sqrt(squares / (n - 1));
    if (sxx > 0)
        s.trend = sxy / sxx;
}

} // namespace

std::optional<double> median(std::vector<double> values)
{
    if (values.empty())
        return std::nullopt;
    const size_t mid = values.size() / 2;
    std::nth_element(values.begin(), values.begin() + mid, values.end());
    const double upper = values[mid];
    if (values.size() % 2 == 1)
        return upper;
    const double lower = *std::max_element(values.begin(), values.begin() + mid);
    return (lower + upper) / 2;
}

std::optional<double> medianCountedLapTime(const LapSeries &series)
{
    std::vector<double> times;
    times.reserve(series.laps.size());
    for (const SeriesLap &lap : series.laps)
        if (lap.counts)
            if (const auto t = lapQuantity(lap, WholeLap))
                times.push_back(*t);
    return median(std::move(times));
}

std::vector<PitStop> pitStops(const LapSeries &series, double factor)
{
    std::vector<PitStop> stops;
    const std::optional<double> typical = medianCountedLapTime(series);
    if (!typical || series.laps.empty())
        return stops;
    const double limit = factor * *typical;
    const int firstLap = series.laps.front().lap;
    int previousStopLap = -1;
    for (const SeriesLap &lap : series.laps) {
        const auto t = lapQuantity(lap, WholeLap);
        if (!t || *t <= limit || lap.lap == firstLap || lap.flag == YellowFlag)
            continue;
        if (!stops.empty() && previousStopLap == lap.lap - 1)
            stops.back().lastLap = lap.lap;
        else
            stops.push_back({lap.lap, lap.lap});
        previousStopLap = lap.lap;
    }
    return stops;
}

bool isPitStopLap(const std::vector<PitStop> &stops, int lap)
{
    for (const PitStop &s : stops)
        if (lap >= s.firstLap && lap <= s.lastLap)
            return true;
    return false;
}

std::vector<Stint> stints(const LapSeries &series, const std::vector<PitStop> &stops, int quantity)
{
    std::vector<Stint> result;
    std::vector<double> laps;
    std::vector<double> times;
    bool open = false;
    Stint current;
    auto close = [&] {
        if (!open)
            return;
        fillFigures(current, laps, times);
        result.push_back(current);
        open = false;
    };
    size_t nextStop = 0;
    for (const SeriesLap &lap : series.laps) {
        while (nextStop < stops.size() && stops[nextStop].lastLap < lap.lap)
            ++nextStop;
        if (nextStop < stops.size() && lap.lap >= stops[nextStop].firstLap) {
            close();
            continue;
        }
        if (!open) {
            current = Stint();
            current.firstLap = lap.lap;
            laps.clear();
            times.clear();
            open = true;
        }
        current.lastLap = lap.lap;
        current.laps = current.lastLap - current.firstLap + 1;
        if (lap.counts)
            if (const auto t = lapQuantity(lap, quantity)) {
                laps.push_back(lap.lap);
                times.push_back(*t);
            }
    }
    close();
    return result;
}

CountedFigures countedFigures(const LapSeries &series, int quantity)
{
    CountedFigures f;
    double sum = 0;
    for (const SeriesLap &lap : series.laps) {
        if (!lap.counts)
            continue;
        const auto t = lapQuantity(lap, quantity);
        if (!t)
            continue;
        ++f.timedLaps;
        sum += *t;
        if (!f.best || *t < *f.best)
            f.best = *t;
    }
    if (f.timedLaps > 0)
        f.average = sum / f.timedLaps;
    return f;
}

std::vector<RollingPoint> rollingAverage(const LapSeries &series, const std::vector<PitStop> &stops,
                                         int quantity, int width)
{
    std::vector<RollingPoint> points;
    if (width < 1)
        return points;
    std::vector<double> window(size_t(width), 0.0); // ring of the last width times
    size_t filled = 0;
    size_t next = 0;
    double sum = 0;
    for (const SeriesLap &lap : series.laps) {
        if (!lap.counts || isPitStopLap(stops, lap.lap))
            continue;
        const auto t = lapQuantity(lap, quantity);
        if (!t)
            continue;
        if (filled == window.size())
            sum -= window[next];
        else
            ++filled;
        window[next] = *t;
        sum += *t;
        next = (next + 1) % window.size();
        points.push_back({lap.lap, sum / double(filled)});
    }
    return points;
}

std::optional<double> alignedPosition(const SeriesLap &lap, Alignment alignment)
{
    if (alignment == Alignment::LapNumber)
        return double(lap.lap);
    return lap.raceTime;
}

const SeriesLap *findLap(const LapSeries &series, int lap)
{
    // Laps are kept in order and usually numbered from 1 without gaps.
    const size_t guess = size_t(lap - 1);
    if (lap >= 1 && guess < series.laps.size() && series.laps[guess].lap == lap)
        return &series.laps[guess];
    for (const SeriesLap &l : series.laps)
        if (l.lap == lap)
            return &l;
    return nullptr;
}

std::optional<int> alignedLap(const LapSeries &base, int lap, const LapSeries &other,
                              Alignment alignment)
{
    const SeriesLap *own = findLap(base, lap);
    if (!own)
        return std::nullopt;
    if (alignment == Alignment::LapNumber) {
        if (findLap(other, lap))
            return lap;
        return std::nullopt;
    }
    if (!own->raceTime)
        return std::nullopt;
    for (const SeriesLap &l : other.laps)
        if (l.raceTime && *l.raceTime >= *own->raceTime)
            return l.lap;
    return std::nullopt;
}

} // namespace sw
