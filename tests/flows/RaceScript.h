#pragma once
// What an operator does during a race, as a list of steps on the race clock:
// every F2 press and every condition key, built from a table of segment times
// and then spoiled on purpose (a press missed, a press too many) the way a
// real race goes. run() plays it through the real main window.

#include "support/RaceFixture.h"

#include <QtTest>

#include <vector>

namespace sw {

// Segment times in seconds: times[lap - 1][seg - 1].
using SegmentTable = std::vector<std::vector<double>>;

class RaceScript
{
public:
    struct Step
    {
        double at = 0; // race clock, seconds since arming
        int fkey = 2;  // 2: F2 press; 4..9 condition keys
        int lap = 0;   // the lap and segment this press ends as run (0, 0: start press)
        int seg = 0;
    };

    RaceScript(double startPress, const SegmentTable &times)
    {
        m_steps.push_back({startPress, 2, 0, 0});
        double t = startPress;
        for (size_t lap = 0; lap < times.size(); ++lap)
            for (size_t seg = 0; seg < times[lap].size(); ++seg)
                m_steps.push_back({t += times[lap][seg], 2, int(lap + 1), int(seg + 1)});
    }

    // Condition keys (F4..F9) given just after the press that ends (lap, seg).
    RaceScript &keysAfter(int lap, int seg, std::initializer_list<int> fkeys)
    {
        auto it = m_steps.begin() + pressIndex(lap, seg) + 1;
        for (int k : fkeys)
            it = m_steps.insert(it, {m_steps[pressIndex(lap, seg)].at, k, lap, seg}) + 1;
        return *this;
    }

    // The operator misses the press that ends (lap, seg).
    RaceScript &missPress(int lap, int seg)
    {
        m_steps.erase(m_steps.begin() + pressIndex(lap, seg));
        return *this;
    }

    // A press too many, secondsIn seconds into segment (lap, seg).
    RaceScript &extraPress(int lap, int seg, double secondsIn)
    {
        const size_t before = seg > 1 ? pressIndex(lap, seg - 1) : lap > 1 ? lastPressIndex(lap - 1) : 0;
        m_steps.insert(m_steps.begin() + before + 1, {m_steps[before].at + secondsIn, 2, -1, -1});
        return *this;
    }

    // The moment the race ends (the last press).
    double lastPress() const
    {
        for (auto it = m_steps.rbegin(); it != m_steps.rend(); ++it)
            if (it->fkey == 2)
                return it->at;
        return 0;
    }

    // Arms the race (F12) and plays every step at its time.
    void run(RaceFixture &f) const
    {
        f.arm();
        play(f);
    }

    // Plays every step at its time on a race already armed.
    void play(RaceFixture &f) const
    {
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
        return 0;
    }
    size_t lastPressIndex(int lap) const
    {
        size_t found = 0;
        for (size_t i = 0; i < m_steps.size(); ++i)
            if (m_steps[i].fkey == 2 && m_steps[i].lap == lap)
                found = i;
        return found;
    }

    std::vector<Step> m_steps;
};

// The statistics table the operator should see for a table of segment
// times: per segment column and for the lap, the average, smallest and
// largest time as the grid shows them. Label3 element (c-1)*3 + j; segment
// columns beyond the race's segments stay empty.
inline std::array<QString, 15> expectedStatistics(const SegmentTable &times)
{
    std::array<QString, 15> l3;
    const int segs = times.empty() ? 0 : int(times.front().size());
    auto put = [&](int column, const std::vector<double> &v) {
        double sum = 0, lo = v.front(), hi = v.front();
        for (double x : v) {
            sum += x;
            lo = qMin(lo, x);
            hi = qMax(hi, x);
        }
        // Every time has one decimal and the flows run 2, 3, 4, 5, 8, 10 or
        // 20 laps, so the average needs at most three: no rounding question.
        l3[(column - 1) * 3] = QString::number(sum / v.size(), 'f', 3);
        l3[(column - 1) * 3 + 1] = QString::number(lo, 'f', 3);
        l3[(column - 1) * 3 + 2] = QString::number(hi, 'f', 3);
    };
    std::vector<double> laps;
    for (int seg = 1; seg <= segs; ++seg) {
        std::vector<double> v;
        for (const auto &lap : times)
            v.push_back(lap[seg - 1]);
        put(seg, v);
    }
    for (const auto &lap : times) {
        double sum = 0;
        for (double x : lap)
            sum += x;
        laps.push_back(sum);
    }
    put(5, laps);
    return l3;
}

} // namespace sw
