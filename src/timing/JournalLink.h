#pragma once
// The main window's side of the crash journal (journal/JournalWriter): what
// the timing keys, the editor, the comments and the file commands hand to
// the journal, the status-line notice when it cannot be written, and the
// recovery of an unfinished race at start-up.
//
// Each hook below does nothing when the program state has no journal
// (AppState::journal is null), so a window without one times as before.

#include "journal/JournalRecords.h"
#include "journal/JournalWriter.h"

#include <QByteArray>
#include <QString>

namespace sw {

struct AppState;
class MainWindowBase;

// One journal for the run: the writer, its folder and this boot's identity.
class RaceJournal
{
public:
    // folder: where journals are written and looked for. Without a writer
    // thread a test turns the writer by hand (writer().runCycle()).
    explicit RaceJournal(const QString &folder, bool writerThread = true);

    JournalWriter &writer() { return m_writer; }
    QString folder() const { return m_folder; }

    // This boot's identity, compared with a journal's at recovery; tests set
    // another to play a restart of the computer.
    QByteArray bootId;

private:
    QString m_folder;
    JournalWriter m_writer;
};

// ---- hooks, one line each in the code they follow --------------------------
// F12 armed the race (after the race timer was started).
void journalArmed(MainWindowBase &w);
// An accepted F2 press was stored (counters not yet advanced). On the timing
// path: copies a fixed-size record into the writer's queue and nothing else.
void journalPressed(MainWindowBase &w);
// F11 answered Yes (LastLap set).
void journalFinished(MainWindowBase &w);
// Insert, Delete or Keep Changes changed the record; lap and segment edited.
void journalEdited(MainWindowBase &w, JournalEdit edit, int lap, int seg);
// The comments were changed.
void journalCommentsChanged(AppState &s);
// The race was saved to a file (closed only once it is no longer being timed).
void journalSaved(AppState &s);
// The race was erased (New, Restart, number of segments, a file opened over
// it) or the program ends after the operator's answer.
void journalDiscarded(AppState &s);
// At a clock redraw: the status line says once that the race is not
// protected any more; timing goes on.
void journalShowFailure(MainWindowBase &w);

// The status line's text when the journal cannot be written.
QString journalFailureText();

// At start-up, with the main window open: offers each unfinished journal in
// turn ("Recover Race?") until one is recovered. Yes restores the race into
// the window and carries its journal on; No asks before deleting the journal.
// True when a race was recovered.
bool offerRecovery(MainWindowBase &w);

} // namespace sw
