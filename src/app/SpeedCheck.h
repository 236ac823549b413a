#pragma once
// The computer speed check: finds the shortest timer interval this computer
// serves and measures how many timer events it really delivers per second.
// The race clock later divides its event count by that measured rate.
//
// Fed with the start-up window's timer events and the whole seconds of the
// monotonic clock (a change of the wall clock during the check cannot spoil
// it). Decides; the window only shows what it says.

#include <QString>

#include <array>
#include <cstdint>

namespace sw {

class SpeedCheck
{
public:
    enum class Outcome { Continue, Accepted, TooSlow };

    SpeedCheck();

    // Interval (ms) the timer should run at now.
    int timerInterval() const { return m_timerInterval; }
    // Interval being judged (ms).
    int tried() const { return kIntervals[m_index]; }

    // One timer event: 1 + overrun intervals have passed. nowSeconds is the
    // monotonic clock's whole seconds at the event.
    Outcome onTimer(int overrun, std::int64_t nowSeconds);

    // Scroll bar moved: the timer runs at that interval and the measurement
    // restarts (the judgement still compares with the interval being tried).
    void onScroll(int ms);
    void onZero();
    void onIntervalButton();

    // Results once accepted.
    int acceptedInterval() const { return m_accepted; }
    double ticksPerSecond() const { return m_tps; }

    // What the window shows.
    QString totalTicksText() const { return m_totalText; }
    QString averageText() const { return m_avgText; }
    QString currentlyTryingText() const; // ".001 seconds"
    QString scrollCaption() const { return QStringLiteral("Interval = %1").arg(m_scrollValue); }
    int scrollValue() const { return m_scrollValue; }
    QString value1Text() const { return m_value1; }
    QString value2Text() const { return m_value2; }
    int progressMarkers() const { return m_markers; }

    std::int32_t ticks() const { return m_ticks; }
    std::int32_t seconds() const { return m_seconds; }

    static constexpr std::array<int, 7> kIntervals{{25, 20, 10, 5, 4, 2, 1}};

private:
    void showCounts();
    void restartMeasurement();

    int m_index = 6;
    int m_timerInterval = 1;
    int m_scrollValue = 10;
    std::int32_t m_ticks = 0;
    std::int32_t m_seconds = -2;
    std::int64_t m_lastSecond = INT64_MIN;
    float m_threshold = 0.25f;
    int m_markers = 2;
    std::int32_t m_ticksAtClick = 0;
    double m_tps = 0;
    int m_accepted = 0;
    QString m_totalText, m_avgText, m_value1, m_value2;
};

// "######.000" / "0.0" style texts the check window uses.
QString formatFixed(double v, int decimals);

} // namespace sw
