#include "timing/HiTime.h"

#include <chrono>

namespace sw {

std::int64_t SteadyClock::nowNs() const
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

HiTime::HiTime(const MonotonicClock &clock, QObject *parent) : QObject(parent), m_clock(clock) {}

void HiTime::setInterval(int ms)
{
    if (ms > 0) {
        m_interval = ms;
        m_startNs = m_clock.nowNs();
    } else {
        m_stoppedTicks = ticks();
        m_interval = 0;
    }
    setWakeInterval(m_interval);
    m_wakeStartNs = m_startNs; // events fall on the count's interval ends
}

void HiTime::resumeFrom(int ms, std::int64_t startNs)
{
    setWakeInterval(0);
    m_interval = ms > 0 ? ms : 0;
    m_startNs = startNs;
    m_stoppedTicks = 0;
}

std::int64_t HiTime::ticksAt(std::int64_t atNs, double *fraction) const
{
    if (fraction)
        *fraction = 0;
    if (m_interval <= 0)
        return m_stoppedTicks;
    const std::int64_t intervalNs = std::int64_t(m_interval) * 1000000;
    const std::int64_t sinceStart = atNs - m_startNs;
    if (sinceStart <= 0)
        return 0;
    if (fraction)
        *fraction = double(sinceStart % intervalNs) / double(intervalNs);
    return sinceStart / intervalNs;
}

void HiTime::setWakeInterval(int ms)
{
    m_wakeMs = ms > 0 ? ms : 0;
    m_wakeStartNs = m_clock.nowNs();
    m_wakesAccounted = 0;
}

void HiTime::deliver()
{
    if (m_wakeMs <= 0)
        return;
    const std::int64_t elapsed = (m_clock.nowNs() - m_wakeStartNs) / (std::int64_t(m_wakeMs) * 1000000);
    const std::int64_t n = elapsed - m_wakesAccounted;
    if (n <= 0)
        return;
    m_wakesAccounted = elapsed;
    emit Timer(n - 1 > INT32_MAX ? INT32_MAX : static_cast<int>(n - 1));
}

SteadyHiTime::SteadyHiTime(const MonotonicClock &clock, QObject *parent) : HiTime(clock, parent)
{
    // Precise: a coarse timer may fire early, and an early wake-up finds no
    // whole interval to report and waits for the next.
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &SteadyHiTime::deliver);
}

void SteadyHiTime::setWakeInterval(int ms)
{
    HiTime::setWakeInterval(ms);
    if (wakeInterval() > 0)
        m_timer.start(wakeInterval());
    else
        m_timer.stop();
}

ManualHiTime::ManualHiTime(ManualClock &clock, QObject *parent) : HiTime(clock, parent), m_manual(clock) {}

void ManualHiTime::advanceMs(double ms)
{
    // Step wake interval by wake interval so each gets its own event.
    double left = ms;
    while (left > 0 && wakeInterval() > 0) {
        const double step = left < wakeInterval() ? left : wakeInterval();
        m_manual.advanceMs(step);
        left -= step;
        deliver(); // a handler may change or stop the wake-ups
    }
    if (left > 0)
        m_manual.advanceMs(left);
}

void ManualHiTime::advanceLateMs(double ms)
{
    m_manual.advanceMs(ms);
    deliver();
}

} // namespace sw
