#include "analysis/LiveFigures.h"

#include "race/NumberText.h"
#include "race/Race.h"
#include "race/Statistics.h"

#include <cmath>

namespace sw {

namespace {

void keepSmaller(std::optional<double> &best, std::optional<double> t)
{
    // Only times above 0 are times, as in the statistics.
    if (t && *t > 0 && (!best || *t < *best))
        best = t;
}

} // namespace

LiveFigures::LiveFigures(const Race &race, QObject *parent)
    : QObject(parent)
    , m_race(race)
{
    connect(&race, &Race::readingRecorded, this, &LiveFigures::onReadingRecorded);
    connect(&race, &Race::recordChanged, this, &LiveFigures::recompute);
    connect(&race, &Race::stateChanged, this, &LiveFigures::recompute);
    connect(&race, &Race::segmentsPerLapChanged, this, &LiveFigures::recompute);
    recompute();
}

void LiveFigures::setLapFilter(LapFilter filter)
{
    if (filter == m_filter)
        return;
    m_filter = filter;
    recompute();
}

bool LiveFigures::counts(int lap) const
{
    return lapCounts(m_race.lapConditions(lap), m_filter);
}

std::optional<double> LiveFigures::splitTime(int lap, int segment) const
{
    const int n = m_race.segmentsPerLap();
    if (lap < 1 || !m_race.hasReading(lap, segment))
        return std::nullopt;
    return shownSeconds(m_race.reading(lap, segment) - m_race.reading(lap - 1, n));
}

void LiveFigures::resetBests()
{
    m_values = LiveFigureValues{};
    m_bestLap.reset();
    m_bestLapNumber = 0;
    m_bestSegment.fill(std::nullopt);
}

void LiveFigures::mergeCompletedLap(int lap)
{
    if (!counts(lap))
        return;
    const std::optional<double> t = shownTime(m_race, lap, LapTimeColumn);
    if (t && *t > 0 && (!m_bestLap || *t < *m_bestLap)) {
        m_bestLap = t;
        m_bestLapNumber = lap;
    }
    for (int s = 1; s <= m_race.segmentsPerLap(); ++s)
        keepSmaller(m_bestSegment[size_t(s)], shownTime(m_race, lap, s));
}

void LiveFigures::takePress(int lap, int segment)
{
    const int n = m_race.segmentsPerLap();
    LiveFigureValues v;
    v.lap = lap;
    v.segment = segment;
    const int lastDone = segment == n ? lap : lap - 1;
    if (lastDone >= 1)
        v.lastLap = shownTime(m_race, lastDone, LapTimeColumn);

    if (lap >= 1 && m_bestLap) {
        const std::optional<double> mine = splitTime(lap, segment);
        const std::optional<double> reference = splitTime(m_bestLapNumber, segment);
        if (mine && reference) {
            v.delta = shownSeconds(*mine - *reference);
            v.predictedLap = shownSeconds(*m_bestLap + *v.delta);
        }
    }

    if (n > 1) {
        // The lap under way adds its segments when it counts now (a lap
        // takes the conditions of its last press).
        const bool thisLapCounts = lap >= 1 && counts(lap);
        double sum = 0;
        bool whole = true;
        for (int s = 1; s <= n; ++s) {
            std::optional<double> best = m_bestSegment[size_t(s)];
            if (thisLapCounts && s <= segment)
                keepSmaller(best, shownTime(m_race, lap, s));
            if (!best) {
                whole = false;
                break;
            }
            sum += *best;
        }
        if (whole)
            v.bestPossibleLap = shownSeconds(sum);
    }

    if (lap >= 1 && segment == n)
        mergeCompletedLap(lap);
    if (m_bestLap) {
        v.bestLap = m_bestLap;
        v.bestLapNumber = m_bestLapNumber;
    }
    m_values = v;
}

void LiveFigures::onReadingRecorded(int lap, int segment)
{
    if (lap == 0) {
        resetBests();
        emit changed();
        return;
    }
    takePress(lap, segment);
    emit changed();
}

void LiveFigures::recompute()
{
    resetBests();
    const int n = m_race.segmentsPerLap();
    // The last press: the one before the counters while timing, the last
    // reading of the last lap once finished.
    int lap = 0;
    int segment = 0;
    if (m_race.state() == RaceState::Running) {
        lap = m_race.currentLap();
        segment = m_race.currentSegment() - 1;
        if (segment == 0) {
            --lap;
            segment = n;
        }
    } else if (m_race.state() == RaceState::Finished) {
        lap = m_race.lastLap();
        segment = n;
        while (lap >= 1 && segment > 0 && !m_race.hasReading(lap, segment))
            --segment;
        if (segment == 0) {
            --lap;
            segment = n;
        }
    }
    for (int l = 1; l < lap; ++l)
        mergeCompletedLap(l);
    if (lap >= 1)
        takePress(lap, segment);
    else
        m_values.segment = segment;
    emit changed();
}

QString LiveFigures::deltaText(std::optional<double> delta)
{
    if (!delta)
        return {};
    const double d = shownSeconds(*delta);
    const QString magnitude = QString::number(std::fabs(d), 'f', 3);
    return (d < 0 ? QString(QChar(0x2212)) : QStringLiteral("+")) + magnitude;
}

QString LiveFigures::timeText(std::optional<double> seconds)
{
    if (!seconds)
        return {};
    return formatTime(*seconds).trimmed();
}

} // namespace sw
