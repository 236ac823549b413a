#pragma once
// Appends a race journal to disk without ever holding up the timing path.
//
// The window (one thread, the producer) hands records over with the calls
// below; each copies a fixed-size entry into a preallocated lock-free queue
// and returns at once. A writer thread, asleep while nothing comes, wakes at
// the first entry and then drains the queue every cycle (20 ms by default)
// until a cycle finds nothing; it appends the lines to the race's journal
// file and calls fdatasync before the cycle ends, so a record is on disk well
// within 100 ms of being handed over. arm() makes a new file at once (so a
// journal that cannot be written is known when the race is armed); close()
// writes the close record and deletes the file. The writer holds the lock of
// the file it writes from arming (or resuming) until it closes it.
//
// A failing disk (full, read-only, file too large, removed) or a full queue
// never stops the producer: the writer stops writing that race's journal,
// keeps what is already on disk (a valid journal up to the failure), and
// raises a flag the window polls at its next redraw.

#include "journal/JournalRecords.h"
#include "journal/JournalStore.h"

#include <QString>

#include <cstdint>
#include <memory>

namespace sw {

class JournalWriter
{
public:
    static constexpr int DefaultCycleMs = 20;
    static constexpr std::size_t DefaultCapacity = 4096;

    // folder: where new journals are created (JournalStore::folder()).
    // cycleMs is kept within 1..100. With startThread false no thread runs
    // and a test turns the writer cycle by hand with runCycle().
    explicit JournalWriter(const QString &folder, bool startThread = true, int cycleMs = DefaultCycleMs,
                           std::size_t capacity = DefaultCapacity);
    // Writes out what is queued, then stops the thread. A race that was not
    // closed keeps its journal, to be offered at the next start.
    ~JournalWriter();

    JournalWriter(const JournalWriter &) = delete;
    JournalWriter &operator=(const JournalWriter &) = delete;

    // ---- producer: the window's thread only --------------------------------
    // Each returns at once; false means the queue was full, which counts as a
    // protection failure. press, conditions and finish never allocate.

    // A new race (F12, not the timing path): makes the new journal file,
    // locked, with its first lines on disk, before it returns. False when
    // it cannot be made: the failure is raised at once (takeFailureNotice()).
    // A journal still open is closed as discarded first (arming erases the
    // race it belonged to).
    bool arm(const JournalArm &arm);
    // An accepted F2 press, the start press included (lap 0).
    bool press(const JournalPress &press);
    // The selectors changed between presses.
    bool conditions(const JournalConditions &conditions);
    // F11 answered Yes.
    bool finish(qint16 lastLap);

    // These copy their argument onto the heap: never on the timing path.
    bool comments(const QString &comments);
    bool edit(const JournalSnapshot &snapshot);
    // Carry on a recovered journal that this program holds (the claim from
    // JournalStore::unfinished(); the writer takes over its lock and keeps
    // it until the race is closed). The writer copies the whole file to
    // damagedCopyPath unless that is empty, then cuts the file back to its
    // last good record (JournalReadResult::goodLength) and appends to it. A
    // journal that cannot be written stays held, and the failure is raised.
    // False, and nothing done, for a claim that holds nothing.
    bool resume(JournalClaim &&claim, qint64 goodLength, const QString &damagedCopyPath = QString());

    // The race was saved or erased: the close record is written and the file
    // deleted.
    bool close(JournalClose how);

    // ---- any thread --------------------------------------------------------
    // True from a failure until a race is armed after the failure was
    // taken with takeFailureNotice().
    bool protectionFailed() const;
    // True exactly once per failure, so the status line says it once.
    bool takeFailureNotice();
    // The system's reason for the last failure, or the full queue.
    QString failureReason() const;

    std::uint64_t queuedCount() const;    // entries accepted by the queue
    std::uint64_t settledCount() const;   // entries on disk after fdatasync, or dropped after a failure
    std::uint64_t overflowCount() const;  // entries refused because the queue was full
    std::uint64_t syncCount() const;      // fdatasync calls made
    QString currentPath() const;          // the open journal, empty when none

    // One writer cycle by hand; only for a writer made without a thread.
    void runCycle();

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace sw
