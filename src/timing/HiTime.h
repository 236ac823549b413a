#pragma once
// The high-resolution interval timer and the monotonic clock behind it.
//
// HiTime does two separate jobs:
//  - The count: whole intervals of interval() ms since the timer was armed,
//    computed from the monotonic clock whenever it is read (ticks()). It needs
//    no events, so it is exact however late or seldom events come, and it is
//    64-bit: at 1 ms it lasts 292 million years.
//  - The wake-ups: one Timer event per wake interval, each carrying the wake
//    intervals that passed without an event of their own as its overrun.
//    setInterval(ms) arms the count and wakes once per interval (the speed
//    check counts 1 + overrun per event, which then adds up to ticks());
//    setWakeInterval() changes only the wake-ups, so a window can count at
//    1 ms and wake 20 times a second, or not at all while nobody looks.

#include <QObject>
#include <QTimer>

#include <cstdint>

namespace sw {

// The race timer's calibration, from the speed check at start-up: the timer
// interval it accepted (ms) and the timer's intervals a second.
struct TimerCalibration
{
    int intervalMs = 0;
    double ticksPerSecond = 0;
};

class MonotonicClock
{
public:
    virtual ~MonotonicClock() = default;
    virtual std::int64_t nowNs() const = 0;
    std::int64_t wholeSeconds() const { return nowNs() / 1000000000; }
};

class SteadyClock : public MonotonicClock
{
public:
    std::int64_t nowNs() const override;
};

// Time that moves only when a test moves it.
class ManualClock : public MonotonicClock
{
public:
    std::int64_t nowNs() const override { return m_now; }
    void advanceNs(std::int64_t ns) { m_now += ns; }
    void advanceMs(double ms) { m_now += static_cast<std::int64_t>(ms * 1e6 + 0.5); }
    void setNs(std::int64_t ns) { m_now = ns; }

private:
    std::int64_t m_now = 1000000000; // one second in: seconds start away from zero
};

class HiTime : public QObject
{
    Q_OBJECT
public:
    explicit HiTime(const MonotonicClock &clock, QObject *parent = nullptr);

    int interval() const { return m_interval; }
    // Arms the count at 0 from now, in intervals of ms, and wakes once per
    // interval. 0 stops both: the count stands still where it got to.
    void setInterval(int ms);
    // Arms the count as if setInterval(ms) had been called at startNs on
    // this clock (a race that goes on after the program was restarted); no
    // wake-ups.
    void resumeFrom(int ms, std::int64_t startNs);
    // Clock value the count runs from.
    std::int64_t startNs() const { return m_startNs; }

    // Whole intervals since arming, as the clock says now. Never allocates,
    // locks or waits: the F2 step reads it.
    std::int64_t ticks() const { return ticks(nullptr); }
    // The same, also giving how far (0 <= fraction < 1) the clock has got
    // into the interval now running, read at the same instant.
    std::int64_t ticks(double *fraction) const { return ticksAt(m_clock.nowNs(), fraction); }
    // The same for the clock value atNs (a moment already passed).
    std::int64_t ticksAt(std::int64_t atNs, double *fraction) const;

    int wakeInterval() const { return m_wakeMs; }
    // One Timer event every ms from now on; 0: none. The count is untouched.
    virtual void setWakeInterval(int ms);

    const MonotonicClock &clock() const { return m_clock; }

signals:
    // One event per wake interval; overrun = further wake intervals that
    // passed without an event of their own.
    void Timer(int overrun);

protected:
    // Accounts the wake intervals elapsed up to now and, if there is at least
    // one, raises one Timer event carrying the rest as overrun.
    void deliver();

private:
    const MonotonicClock &m_clock;
    int m_interval = 0;
    std::int64_t m_startNs = 0;
    std::int64_t m_stoppedTicks = 0; // the count while stopped
    int m_wakeMs = 0;
    std::int64_t m_wakeStartNs = 0;
    std::int64_t m_wakesAccounted = 0; // wake intervals since m_wakeStartNs already raised
};

// The real timer: a precise QTimer whose events only prompt the accounting;
// the figures themselves come from the monotonic clock.
class SteadyHiTime : public HiTime
{
    Q_OBJECT
public:
    explicit SteadyHiTime(const MonotonicClock &clock, QObject *parent = nullptr);
    void setWakeInterval(int ms) override;

private:
    QTimer m_timer;
};

// A timer for tests: nothing happens until the test advances its clock.
class ManualHiTime : public HiTime
{
    Q_OBJECT
public:
    explicit ManualHiTime(ManualClock &clock, QObject *parent = nullptr);

    // Moves the clock by ms and delivers one event per whole wake interval
    // passed (no overrun), as a timer that keeps up would.
    void advanceMs(double ms);
    // Moves the clock by ms and delivers a single late event carrying every
    // wake interval passed, as a timer that fell behind would.
    void advanceLateMs(double ms);
    // Moves the clock without any event: a missed wake-up.
    void advanceQuietMs(double ms) { m_manual.advanceMs(ms); }

private:
    ManualClock &m_manual;
};

} // namespace sw
