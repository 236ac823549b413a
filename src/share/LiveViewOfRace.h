#pragma once
// The one place where the live timing page's snapshot is made from the race.
// Everything the page shows comes from here, so that the live figures (delta
// to best, predicted lap) join in one place when they exist.

#include "analysis/LapFilter.h"
#include "share/LiveView.h"

#include <QString>

#include <optional>

namespace sw {

class Race;

struct LiveViewSource
{
    const Race &race;
    // The window's "Count laps" choice: which laps the best lap and the best
    // marks are taken from.
    LapFilter lapFilter = LapFilter::AllLaps;
    // The race clock (seconds since arming) when the snapshot is made; none
    // while the race is set up.
    std::optional<double> clockSeconds;
    QString title;
};

// The snapshot of the race now. The sequence is left 0 for the publisher.
LiveView liveViewOfRace(const LiveViewSource &source);

} // namespace sw
