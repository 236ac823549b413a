#pragma once
// The figures a race engineer reads at every timing point while a lap is
// run: the last lap, the best lap, the delta to the best lap at this timing
// point, the predicted lap and the best possible lap. They follow the race's
// signals: each accepted press costs a fixed amount of work (running bests
// are kept per lap and per segment); the whole record is read again only
// when it is replaced or edited, the race state changes, or the lap filter
// changes.
//
// The reference is the best lap among the completed laps that the lap filter
// counts, before the lap under way: a lap the filter leaves out is never the
// reference, and until a counted lap is complete there is none (every figure
// but the last lap is then blank). Times are compared as the grid shows
// them, rounded to thousandths, so a delta is an exact difference of two
// shown times.

#include "analysis/LapFilter.h"

#include <QObject>
#include <QString>

#include <array>
#include <optional>

namespace sw {

class Race;

struct LiveFigureValues
{
    // The last accepted press: lap 0 is the start press (or none yet).
    int lap = 0;
    int segment = 0;
    // The time of the last completed lap.
    std::optional<double> lastLap;
    // The best counted lap so far (this lap included once it is complete).
    std::optional<double> bestLap;
    int bestLapNumber = 0;
    // This lap's time from its start to the last press minus the reference's
    // time to the same timing point; at the last segment, the lap time minus
    // the reference lap. Negative: ahead.
    std::optional<double> delta;
    // The reference lap plus the delta.
    std::optional<double> predictedLap;
    // The sum of the best time of every segment over the counted laps (the
    // lap under way included); none with one segment a lap.
    std::optional<double> bestPossibleLap;
};

class LiveFigures : public QObject
{
    Q_OBJECT
public:
    explicit LiveFigures(const Race &race, QObject *parent = nullptr);

    const LiveFigureValues &values() const { return m_values; }
    LapFilter lapFilter() const { return m_filter; }
    void setLapFilter(LapFilter filter);
    // The whole record read again (load, edit, filter): O(laps).
    void recompute();

    // "+0.312", "\u22120.204" (a minus sign, not a hyphen), "+0.000"; empty
    // for none.
    static QString deltaText(std::optional<double> delta);
    // "83.123", ".500"; empty for none.
    static QString timeText(std::optional<double> seconds);

signals:
    void changed();

private:
    void onReadingRecorded(int lap, int segment);
    // Figures at a press at lap, segment against the bests of the laps
    // before lap; merges the lap into the bests when it is complete.
    void takePress(int lap, int segment);
    void mergeCompletedLap(int lap);
    void resetBests();
    std::optional<double> splitTime(int lap, int segment) const;
    bool counts(int lap) const;

    const Race &m_race;
    LapFilter m_filter = LapFilter::AllLaps;
    LiveFigureValues m_values;
    // Running bests of the completed counted laps before the lap under way.
    std::optional<double> m_bestLap;
    int m_bestLapNumber = 0;
    std::array<std::optional<double>, 5> m_bestSegment{}; // index: segment 1..4
};

} // namespace sw
