#pragma once
// An operator's race as steps on the race clock: F2 presses and condition
// keys from a table of segment times, spoiled on purpose if wanted.

#include "support/RaceFixture.h"

#include <algorithm>
#include <numeric>
#include <vector>

namespace sw {

using SegmentTable = std::vector<std::vector<double>>; // seconds: times[lap - 1][seg - 1]

inline QString num3(double v) { return QString::number(v, 'f', 3); }

class RaceScript
{
public:
    // at: s since arming; fkey 2 is F2, 4..9 conditions; (lap, seg) the press ends, (0, 0) start, -1 stray.
    struct Step { double at; int fkey, lap, seg; };

    RaceScript(double startPress, const SegmentTable &times) : m_segs(int(times.front().size()))
    {
        m_steps.push_back({startPress, 2, 0, 0});
        for (int lap = 1; lap <= int(times.size()); ++lap)
            for (int seg = 1; seg <= m_segs; ++seg)
                m_steps.push_back({m_steps.back().at + times[lap - 1][seg - 1], 2, lap, seg});
    }
    // Condition keys (F4..F9) given just after the press that ends (lap, seg).
    RaceScript &keysAfter(int lap, int seg, std::initializer_list<int> fkeys)
    {
        size_t i = pressIndex(lap, seg);
        const double at = m_steps[i].at;
        for (int k : fkeys)
            m_steps.insert(m_steps.begin() + ++i, {at, k, lap, seg});
        return *this;
    }
    RaceScript &missPress(int lap, int seg)
    {
        m_steps.erase(m_steps.begin() + pressIndex(lap, seg));
        return *this;
    }
    // A press too many, secondsIn seconds into segment (lap, seg).
    RaceScript &extraPress(int lap, int seg, double secondsIn)
    {
        const size_t before = seg > 1 ? pressIndex(lap, seg - 1) : pressIndex(lap - 1, lap > 1 ? m_segs : 0);
        m_steps.insert(m_steps.begin() + before + 1, {m_steps[before].at + secondsIn, 2, -1, -1});
        return *this;
    }
    // Plays every step at its time; arms the race (F12) first unless armed.
    void run(RaceFixture &f, bool armed = false) const
    {
        if (!armed)
            f.arm();
        for (const Step &s : m_steps) {
            f.advanceTo(s.at);
            f.F(s.fkey);
        }
    }

private:
    size_t pressIndex(int lap, int seg) const
    {
        for (size_t i = 0; i < m_steps.size(); ++i)
            if (m_steps[i].fkey == 2 && m_steps[i].lap == lap && m_steps[i].seg == seg)
                return i;
        qFatal("no press for lap %d segment %d in the script", lap, seg);
    }

    int m_segs;
    std::vector<Step> m_steps;
};

// The statistics table (statValues[(c-1)*3 + j]: average, smallest,
// largest of column c) a table of segment times gives; column 5 is the lap.
// Times have one decimal and the flows run 3, 4 or 20 laps, so the average
// needs at most three decimals: no rounding question.
inline QStringList expectedStatistics(const SegmentTable &times)
{
    QStringList l3(15, QString());
    const size_t segs = times.front().size();
    for (size_t col = 0; col < 5; ++col) {
        if (col >= segs && col < 4)
            continue;
        std::vector<double> v;
        for (const auto &lap : times)
            v.push_back(col < 4 ? lap[col] : std::accumulate(lap.begin(), lap.end(), 0.0));
        const auto [lo, hi] = std::minmax_element(v.begin(), v.end());
        l3[int(col) * 3] = num3(std::accumulate(v.begin(), v.end(), 0.0) / v.size());
        l3[int(col) * 3 + 1] = num3(*lo);
        l3[int(col) * 3 + 2] = num3(*hi);
    }
    return l3;
}

} // namespace sw
