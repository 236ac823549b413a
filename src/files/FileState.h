#pragma once
// What the session knows of files, apart from the race: the program folder
// every fixed file name hangs below, the file to read or write next, the
// file last read or written and its caption name, and the exchange with the
// log-book program Ravelin.

#include <QString>

namespace sw {

// Where the exchange with the log-book program stands.
enum class ExchangeState {
    None,
    Active,       // reading or writing an exchange file
    InputWaiting, // the handed-over file waits to be loaded at the first activation
};

struct FileState
{
    // Folder of the executable; never the current directory.
    QString programFolder;

    QString lapFileName; // path to read or write next
    QString currentFile; // path last read or written
    QString fileTitle;   // caption name of currentFile
    ExchangeState exchange = ExchangeState::None;
    bool startedByRavelin = false;

    QString lapTimeFolder() const;
    QString exchangeInputPath() const;
    QString exchangeOutputPath() const;
    QString helpDocumentPath() const;
};

} // namespace sw
