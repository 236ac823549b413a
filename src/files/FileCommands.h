#pragma once
// The File menu (New, Open, Save, Save As, Exit), the Comments menu entry,
// "Return to Ravelin", the lap-time file routine readWriteLapFile with the
// replay of a loaded race, and the exchange with the log-book program Ravelin:
// the one-time load of its input file when the main window first becomes
// active, and the return step that hands the lap times back.
//
// Installed into the main window as its hooks (activation, exit, caption
// name); the window owns it as a child object.

#include "ui/MainWindowBase.h"

#include <QObject>
#include <QPointer>
#include <QString>

namespace sw {

struct AppState;
class Prompts;
class CommentsWindow;

class FileCommands : public QObject, public MainWindowHooks
{
    Q_OBJECT
public:
    explicit FileCommands(MainWindowBase &w);

    // Menu entries.
    void fileNew();
    void fileOpen();
    void fileSave();
    void fileSaveAs() { saveAs(); }
    void fileExit();
    void editComments();
    void returnToRavelinCommand() { fileExit(); }

    // Reads (LoadIt nonzero) or writes (LoadIt 0) LapFileName, or the
    // exchange file while exchange is Active. True when the file was read
    // whole or written; on false nothing in memory has changed (the user
    // has been told why).
    bool readWriteLapFile(int LoadIt);

    // Save As; true when the file was written.
    bool saveAs();

    // The return step of a Ravelin start; false when the program is to go
    // on running (Cancel, or the lap times could not be handed back).
    bool returnToRavelin();

    // MainWindowHooks
    void afterActivate() override;
    bool exitCommand() override;
    QString makeFileTitle(const QString &currentFile) override;

    // The comments window while it is shown, else null.
    CommentsWindow *commentsWindow() const;

    // The message texts the commands show.
    static QString eraseQuestionText();
    static QString saveChangesText();
    static QString copyToRavelinText();
    static QString notLapFileText();
    static QString shortenedNameText(const QString &name);
    static QString replaceShortenedText(const QString &name);

private:
    // "Save Changes?" when the race or its comments changed since the last
    // read or write; Yes saves through Save As. False when the command is to
    // stop (Cancel, or the save was cancelled or failed).
    bool offerToSaveChanges();
    bool readLapFileInto(const QString &path, bool exchange);
    bool writeLapFileTo(const QString &path, bool exchange);
    void replayLoadedRace();
    void closingSteps();
    QString dialogInitialName() const;

    MainWindowBase &m_w;
    AppState &m_s;
    Prompts &m_prompts;
    QPointer<CommentsWindow> m_comments;
};

// Creates the file commands for w, connects the File menu entries, Comments
// and "Return to Ravelin", and makes them the window's hooks. The window owns
// the result.
FileCommands *installFileCommands(MainWindowBase &w);

} // namespace sw
