#pragma once
// One program state: the race record, the results grid with its statistics,
// the file variables and the program-wide flags. The windows and their
// collaborators share one instance by reference; a test builds a fresh one.

#include "state/ResultsGrid.h"
#include "state/RaceRecord.h"

#include <QString>

namespace sw {

class RaceJournal;

// Where the exchange with the log-book program stands. The numbers are the
// ones the program has always used for it.
enum class ExchangeState {
    None = 0,
    Active = 1,       // reading or writing an exchange file
    InputWaiting = 5, // the handed-over file waits to be loaded at the first activation
};

struct AppState
{
    RaceRecord rec;
    ResultsGrid grid;

    // Folder of the executable; every fixed file name hangs below it. Never
    // the current directory.
    QString programFolder;

    // File variables.
    QString LapFileName;  // path to read or write next
    QString CurrentFile;  // path last read or written
    QString FileTitle;    // caption name of CurrentFile
    QString Comments;     // lines separated by CR LF
    bool unsavedChanges = false; // the race or its comments changed since the last read or write
    ExchangeState exchange = ExchangeState::None;
    bool rewritingRecord = false; // lets the segment step store conditions in the finished state
    bool exitCancelled = false;   // the operator cancelled the last Exit
    bool blankWorksheet = false;  // the report being printed is the empty worksheet

    // True while the program writes the entry fields itself: no range check.
    bool rangeCheckSuspended = false;

    // The crash journal of this run (timing/JournalLink), or none.
    RaceJournal *journal = nullptr;

    QString lapTimeFolder() const;
    QString exchangeInputPath() const;
    QString exchangeOutputPath() const;
    QString helpDocumentPath() const;
};

} // namespace sw
