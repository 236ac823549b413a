#include "journal/JournalRecords.h"

#include <cstring>

namespace sw {

void JournalArm::setBootId(const QByteArray &id)
{
    const qsizetype n = qMin<qsizetype>(id.size(), BootIdSize - 1);
    std::memset(bootId, 0, sizeof bootId);
    std::memcpy(bootId, id.constData(), size_t(n));
}

bool JournalArm::operator==(const JournalArm &o) const
{
    return monotonicNs == o.monotonicNs && wallMs == o.wallMs && std::strcmp(bootId, o.bootId) == 0
        && numSegs == o.numSegs && ticksPerSecond == o.ticksPerSecond && timerIntervalMs == o.timerIntervalMs;
}

int JournalRace::segmentCount() const
{
    int n = 0;
    for (const JournalPress &p : presses)
        n += p.isStart() ? 0 : 1;
    return n;
}

int JournalRace::completedLaps() const
{
    if (!edits.empty())
        return edits.back().lastLap;
    if (finished)
        return lastLap;
    int laps = 0;
    for (const JournalPress &p : presses)
        if (!p.isStart() && p.seg == arm.numSegs)
            laps = p.lap;
    return laps;
}

std::optional<qint64> JournalRace::lastPressUs() const
{
    if (presses.empty())
        return std::nullopt;
    return presses.back().readingUs;
}

} // namespace sw
