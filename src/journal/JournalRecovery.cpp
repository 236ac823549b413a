#include "journal/JournalRecovery.h"

namespace sw {

namespace {
Conditions conditionsOf(const JournalConditions &c)
{
    return {c.flag, c.position, c.traffic};
}
} // namespace

Recovered recoveredRace(const JournalRace &journal, bool running)
{
    Recovered out;
    RestoredRace &r = out.race;
    const int n = qBound(1, int(journal.arm.numSegs), 4);
    r.segmentsPerLap = n;
    r.comments = journal.comments.value_or(QString());
    r.conditionsNow = journal.conditions ? conditionsOf(*journal.conditions)
                                         : Conditions::defaults().filledForTiming();
    r.currentLap = 0;
    r.currentSegment = 1;
    // Each press as the timing step stored it: the reading, the lap's
    // conditions, the counters on.
    for (const JournalPress &p : journal.presses) {
        r.lastPressReading = p.seconds();
        if (p.isStart()) {
            r.cells.rows[0][size_t(n)].set(p.seconds());
            r.currentLap = 1;
            r.currentSegment = 1;
            continue;
        }
        const int lap = qBound(1, int(p.lap), Race::Rows - 1);
        const int seg = qBound(1, int(p.seg), n);
        auto &row = r.cells.rows[size_t(lap)];
        row[size_t(seg)].set(p.seconds());
        row[RaceRecordCells::FlagColumn].set(p.conditions.flag);
        row[RaceRecordCells::PositionColumn].set(p.conditions.position);
        row[RaceRecordCells::TrafficColumn].set(p.conditions.traffic);
        r.currentLap = lap;
        r.currentSegment = seg + 1;
        if (r.currentSegment > n) {
            r.currentSegment = 1;
            r.currentLap = lap + 1;
        }
    }

    if (running) {
        r.state = journal.presses.empty() ? RaceState::Armed : RaceState::Running;
        return out;
    }

    r.state = RaceState::Finished;
    if (!journal.edits.empty()) {
        // The last edit is the record as it stands.
        const JournalSnapshot &e = journal.edits.back();
        r.cells.clear();
        r.segmentsPerLap = qBound(1, int(e.numSegs), 4);
        for (const JournalRow &row : e.rows) {
            auto &cells = r.cells.rows[size_t(qBound(0, int(row.lap), Race::Rows - 1))];
            for (int c = 0; c < 4; ++c)
                if (row.readingsUs[size_t(c)])
                    cells[size_t(c + 1)].set(*row.readingsUs[size_t(c)] / 1e6);
            for (int c = 0; c < 3; ++c)
                if (row.conditions[size_t(c)])
                    cells[size_t(RaceRecordCells::FlagColumn + c)].set(*row.conditions[size_t(c)]);
        }
        r.lastLap = e.lastLap;
        r.selectedLap = e.curLap;
    } else if (journal.finished) {
        r.lastLap = journal.lastLap;
        r.selectedLap = r.lastLap;
    } else {
        // Not finished, and the clock it ran on is gone: finished at the last
        // lap a press wrote.
        const int lastWritten = r.currentSegment > 1 ? r.currentLap : r.currentLap - 1;
        r.lastLap = qBound(0, lastWritten, Race::MaxLap);
        r.selectedLap = r.lastLap;
        out.finishToWrite = true;
    }
    return out;
}

} // namespace sw
