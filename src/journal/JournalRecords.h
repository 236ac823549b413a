#pragma once
// What a race journal holds, as plain values. The writer's queue carries
// these by value, so every type here that a timing press can produce is
// trivially copyable and never allocates.
//
// Units: readings are whole microseconds of race clock since arming (the
// race record's seconds times 10^6, rounded); monotonic values are
// nanoseconds of CLOCK_MONOTONIC (std::chrono::steady_clock); wall-clock
// values are milliseconds since 1970-01-01 UTC.

#include <QString>
#include <QtGlobal>

#include <array>
#include <cmath>
#include <optional>
#include <type_traits>
#include <vector>

namespace sw {

// Condition list positions in force: flag 0..1, position 0..99 (for "1" to
// "100"), traffic 0..2.
struct JournalConditions
{
    qint16 flag = 0;
    qint16 position = 0;
    qint16 traffic = 0;

    bool operator==(const JournalConditions &o) const
    {
        return flag == o.flag && position == o.position && traffic == o.traffic;
    }
    bool operator!=(const JournalConditions &o) const { return !(*this == o); }
};

// The moment a race was armed and the calibration the race clock runs on.
struct JournalArm
{
    static constexpr int BootIdSize = 40; // a boot id is 36 characters; room for the terminator

    qint64 monotonicNs = 0; // steady clock at arming
    qint64 wallMs = 0;      // wall clock at arming
    char bootId[BootIdSize] = {}; // empty when the system does not say
    qint16 numSegs = 1;
    double ticksPerSecond = 0;
    qint32 timerIntervalMs = 0;

    QString bootIdText() const { return QString::fromLatin1(bootId); }
    // Copies at most BootIdSize - 1 characters; always terminated.
    void setBootId(const QByteArray &id);

    bool operator==(const JournalArm &o) const;
};

// One accepted F2 press. The start press is lap 0, segment numSegs.
struct JournalPress
{
    qint16 lap = 0;
    qint16 seg = 0;
    qint64 readingUs = 0;
    JournalConditions conditions;

    bool isStart() const { return lap == 0; }
    double seconds() const { return readingUs / 1e6; }

    bool operator==(const JournalPress &o) const
    {
        return lap == o.lap && seg == o.seg && readingUs == o.readingUs && conditions == o.conditions;
    }
};

// Race-clock seconds to whole microseconds, rounded to nearest.
inline qint64 toMicroseconds(double seconds) { return std::llround(seconds * 1e6); }

enum class JournalEdit : quint8 { Insert, Delete, KeepChanges, Undo, Redo };

// One row of the race record: readings of segments 1..4 and the lap's
// conditions (flag, position, traffic); an empty cell has no value.
struct JournalRow
{
    qint16 lap = 0;
    std::array<std::optional<qint64>, 4> readingsUs;
    std::array<std::optional<qint16>, 3> conditions;

    bool operator==(const JournalRow &o) const
    {
        return lap == o.lap && readingsUs == o.readingsUs && conditions == o.conditions;
    }
};

// The whole record after an edit: replaying a journal applies the last
// snapshot as it stands, so it never depends on the editing arithmetic.
// Rows that are empty in every column are left out.
struct JournalSnapshot
{
    JournalEdit edit = JournalEdit::KeepChanges;
    qint16 editLap = 0; // the lap and segment the operator edited
    qint16 editSeg = 0;
    qint16 numSegs = 1;
    qint16 lastLap = 0;
    qint16 curLap = 0; // the lap selected after the edit
    std::vector<JournalRow> rows; // ascending lap

    bool operator==(const JournalSnapshot &o) const
    {
        return edit == o.edit && editLap == o.editLap && editSeg == o.editSeg && numSegs == o.numSegs
            && lastLap == o.lastLap && curLap == o.curLap && rows == o.rows;
    }
};

enum class JournalClose : quint8 { Open, Saved, Discarded };

// A race as its journal tells it, in the order the window replays it:
// arm, then each press with its conditions, the finish, the last snapshot
// (when the race was edited) and the comments.
struct JournalRace
{
    JournalArm arm;
    std::vector<JournalPress> presses; // the start press first
    std::optional<JournalConditions> conditions; // the selectors in force at the last record
    bool finished = false;
    qint16 lastLap = 0; // from the finish record
    std::vector<JournalSnapshot> edits; // in order; the last is the record as it stands
    std::optional<QString> comments; // the last comments written, CR LF line breaks kept
    JournalClose closed = JournalClose::Open;

    // Presses after the start press and laps they completed.
    int segmentCount() const;
    int completedLaps() const;
    // Race clock of the last press, or nothing before the start press.
    std::optional<qint64> lastPressUs() const;
};

static_assert(std::is_trivially_copyable_v<JournalArm>);
static_assert(std::is_trivially_copyable_v<JournalPress>);
static_assert(std::is_trivially_copyable_v<JournalConditions>);

} // namespace sw
