#pragma once
// The high-resolution interval timer and the monotonic clock behind it.
//
// HiTime: an interval in milliseconds (0 stops it), one Timer event per
// interval, and with each event the overrun count: intervals that passed
// without an event of their own. Adding 1 + overrun at every event therefore
// counts every whole interval that has elapsed, however late events come.
// catchUp() brings the count up to date between events: it returns the whole
// intervals elapsed since the last accounted one and marks them accounted,
// so a key press reads a tick count that is exact to one interval.

#include <QObject>
#include <QTimer>

#include <cstdint>

namespace sw {

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
    // Starts counting intervals from now; 0 stops the events.
    virtual void setInterval(int ms);

    // Whole intervals elapsed since the last accounted one; they count as
    // accounted from now on (a later event does not report them again).
    int catchUp();
    // The same, also giving how far (0 <= fraction < 1) the clock has got
    // into the interval now running, read at the same instant.
    int catchUp(double *fraction);

    const MonotonicClock &clock() const { return m_clock; }

signals:
    // One event per interval; overrun = further intervals that passed without
    // an event of their own.
    void Timer(int overrun);

protected:
    // Accounts the intervals elapsed up to now and, if there is at least one,
    // raises one Timer event carrying the rest as overrun.
    void deliver();

private:
    const MonotonicClock &m_clock;
    int m_interval = 0;
    std::int64_t m_startNs = 0;
    std::int64_t m_accounted = 0; // intervals since m_startNs already counted
};

// The real timer: a precise QTimer whose events only prompt the accounting;
// the count itself comes from the monotonic clock.
class SteadyHiTime : public HiTime
{
    Q_OBJECT
public:
    explicit SteadyHiTime(const MonotonicClock &clock, QObject *parent = nullptr);
    void setInterval(int ms) override;

private:
    QTimer m_timer;
};

// A timer for tests: nothing happens until the test advances its clock.
class ManualHiTime : public HiTime
{
    Q_OBJECT
public:
    explicit ManualHiTime(ManualClock &clock, QObject *parent = nullptr);

    // Moves the clock by ms and delivers one event per whole interval passed
    // (no overrun), as a timer that keeps up would.
    void advanceMs(double ms);
    // Moves the clock by ms and delivers a single late event carrying every
    // interval passed, as a timer that fell behind would.
    void advanceLateMs(double ms);
    // Moves the clock without any event: the intervals wait for catchUp().
    void advanceQuietMs(double ms) { m_manual.advanceMs(ms); }

private:
    ManualClock &m_manual;
};

} // namespace sw
