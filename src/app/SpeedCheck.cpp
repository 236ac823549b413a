#include "app/SpeedCheck.h"

#include "race/NumberText.h"

namespace sw {

QString formatFixed(double v, int decimals)
{
    if (decimals == 3)
        return formatTime(v);
    return QString::number(v, 'f', decimals);
}

SpeedCheck::SpeedCheck()
{
    m_totalText = QStringLiteral("0");
    m_avgText = QStringLiteral("0.0");
}

QString SpeedCheck::currentlyTryingText() const
{
    // ".000" format of the interval in seconds, then " seconds".
    return formatTime(tried() / 1000.0) + QStringLiteral(" seconds");
}

void SpeedCheck::showCounts()
{
    m_totalText = QString::number(m_ticks);
    if (m_seconds < 0)
        m_avgText = QStringLiteral("0.0");
    if (m_seconds == 0)
        m_ticks = 0; // the measurement starts on a second boundary
    if (m_seconds > 0) {
        m_tps = double(m_ticks) / m_seconds;
        m_avgText = formatFixed(m_tps, 1);
    }
    m_value1 = formatFixed(m_tps * m_ticks, 3);
}

void SpeedCheck::restartMeasurement()
{
    m_ticks = 0;
    m_seconds = -2;
}

SpeedCheck::Outcome SpeedCheck::onTimer(int overrun, std::int64_t nowSeconds)
{
    m_ticks += 1 + (overrun > 0 ? overrun : 0);
    if (nowSeconds == m_lastSecond)
        return Outcome::Continue;
    m_lastSecond = nowSeconds;
    m_seconds += 1;
    showCounts();

    if (m_threshold < m_seconds) {
        m_threshold += 0.25f;
        m_markers += 3;
    }

    if (m_seconds <= 4)
        return Outcome::Continue;

    const double nominal = 1000.0 / kIntervals[m_index];
    if (1.0 - m_tps / nominal < 0.005) {
        m_accepted = kIntervals[m_index];
        m_timerInterval = 0;
        restartMeasurement();
        return Outcome::Accepted;
    }
    if (m_index == 0) {
        m_timerInterval = 0;
        return Outcome::TooSlow;
    }
    --m_index;
    m_threshold = 0.25f;
    m_markers = 2;
    m_timerInterval = kIntervals[m_index];
    restartMeasurement();
    return Outcome::Continue;
}

void SpeedCheck::onScroll(int ms)
{
    m_scrollValue = ms;
    m_timerInterval = ms;
    restartMeasurement();
    showCounts();
}

void SpeedCheck::onZero()
{
    m_ticks = 0;
    m_seconds = 0;
    m_ticksAtClick = 0;
}

void SpeedCheck::onIntervalButton()
{
    m_value2 = formatFixed(m_tps * (m_ticks - m_ticksAtClick), 3);
    m_ticksAtClick = m_ticks;
}

} // namespace sw
