#pragma once
// What a journal gives back of a race: the race as it stood at the crash,
// ready for Race::restore. Running when the race can go on (same boot, the
// clock still counting); otherwise finished: at the last edit's record, at
// the finish, or, for a race the crash ended while it ran on a clock that is
// gone, at the last lap a press wrote, as F11 would have finished it.

#include "journal/JournalRecords.h"
#include "race/Race.h"

namespace sw {

struct Recovered
{
    RestoredRace race;
    // The journal holds no finish although the race comes back finished:
    // the carried-on journal must be given one.
    bool finishToWrite = false;
};

Recovered recoveredRace(const JournalRace &journal, bool running);

} // namespace sw
