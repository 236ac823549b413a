#pragma once
// One program state: the race record, the results grid with its statistics,
// the file variables and the program-wide flags. The windows and their
// collaborators share one instance by reference; a test builds a fresh one.

#include "results/ResultsGrid.h"
#include "timing/RaceRecord.h"

#include <QString>

namespace sw {

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
    int SpecsChanged = 0; // an entry field changed since the last read or write
    int ExchangeFlag = 0; // 5: exchange input waits to be loaded; 1: working on an exchange file
    int Recalc = 0;       // 1 lets the segment step store conditions in the finished state
    int CancelExit = 0;
    int FileCheck = 0;
    int BlankWorksheet = 0;

    // Entry-field scheme (see EntryFieldScheme in the results folder).
    int NoSpecCheck = 0;

    QString lapTimeFolder() const;
    QString exchangeInputPath() const;
    QString exchangeOutputPath() const;
    QString helpDocumentPath() const;
};

} // namespace sw
