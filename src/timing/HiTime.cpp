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
    m_interval = ms > 0 ? ms : 0;
    m_startNs = m_clock.nowNs();
    m_accounted = 0;
}

int HiTime::catchUp()
{
    return catchUp(nullptr);
}

int HiTime::catchUp(double *fraction)
{
    if (fraction)
        *fraction = 0;
    if (m_interval <= 0)
        return 0;
    const std::int64_t intervalNs = std::int64_t(m_interval) * 1000000;
    const std::int64_t sinceStart = m_clock.nowNs() - m_startNs;
    const std::int64_t elapsed = sinceStart / intervalNs;
    if (fraction && sinceStart >= 0)
        *fraction = double(sinceStart % intervalNs) / double(intervalNs);
    const std::int64_t n = elapsed - m_accounted;
    if (n <= 0)
        return 0;
    m_accounted = elapsed;
    return static_cast<int>(n);
}

void HiTime::deliver()
{
    const int n = catchUp();
    if (n > 0)
        emit Timer(n - 1);
}

SteadyHiTime::SteadyHiTime(const MonotonicClock &clock, QObject *parent) : HiTime(clock, parent)
{
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &SteadyHiTime::deliver);
}

void SteadyHiTime::setInterval(int ms)
{
    HiTime::setInterval(ms);
    if (interval() > 0)
        m_timer.start(interval());
    else
        m_timer.stop();
}

ManualHiTime::ManualHiTime(ManualClock &clock, QObject *parent) : HiTime(clock, parent), m_manual(clock) {}

void ManualHiTime::advanceMs(double ms)
{
    if (interval() <= 0) {
        m_manual.advanceMs(ms);
        return;
    }
    // Step interval by interval so each whole interval gets its own event.
    double left = ms;
    while (left > 0) {
        const double step = left < interval() ? left : interval();
        m_manual.advanceMs(step);
        left -= step;
        deliver();
        if (interval() <= 0) { // stopped by a handler
            m_manual.advanceMs(left);
            return;
        }
    }
}

void ManualHiTime::advanceLateMs(double ms)
{
    m_manual.advanceMs(ms);
    if (interval() > 0)
        deliver();
}

} // namespace sw
