#pragma once
// The File menu (New, Open, Save, Save As, Exit), the Comments menu entry,
// "Return to Ravelin", reading and writing lap-time files, and the exchange
// with the log-book program Ravelin: the one-time load of its input file when
// the main window first becomes active, and the return step that hands the
// lap times back. A file read is handed to the race whole (Race::load); a
// write takes the race as it stands (Race::storedRace).

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class QWidget;

namespace sw {

class Race;
struct FileState;
class Prompts;
class CommentsWindow;
class RecentFiles;
struct MainWindowControls;

class FileCommands : public QObject
{
    Q_OBJECT
public:
    FileCommands(Race &race, FileState &files, Prompts &prompts, QWidget *window);

    // Connects the File menu entries, Comments and "Return to Ravelin", and
    // fills the "Recent Lap Times" menu.
    void connectMenus(const MainWindowControls &ui);

    // The files of "Recent Lap Times" (made by connectMenus).
    RecentFiles &recentFiles() { return *m_recent; }

    // How the program ends (tests replace it).
    std::function<void()> endProgram;

    // Menu entries.
    void fileNew();
    void fileOpen();
    void fileSave();
    void fileSaveAs() { saveAs(); }
    void fileExit();
    void editComments();
    void returnToRavelinCommand() { fileExit(); }
    // An entry of "Recent Lap Times": opened as Open opens the file chosen in
    // its dialog; a file that is gone is named and taken off the list.
    void openRecent(const QString &path);

    // Open without the dialog: the unsaved-work question, then path is read
    // as File > Open reads it. True when it was read.
    bool openNamedFile(const QString &path);
    // A file handed over from outside (the command line, a drop on the
    // window): refused while a race is timed, else openNamedFile.
    bool openFromOutside(const QString &path);

    // Reads or writes the lap-time file named by lapFileName, or the
    // exchange file while exchange is Active. True when the file was read
    // whole or written; on false nothing in memory has changed (the user
    // has been told why).
    bool openLapFile();
    bool saveLapFile();

    // Save As; true when the file was written.
    bool saveAs();

    // The return step of a Ravelin start; false when the program is to go
    // on running (Cancel, or the lap times could not be handed back).
    bool returnToRavelin();

    // Last step of the main window's activation: the exchange file's load.
    void afterActivate();
    // The Exit command (also the close box); false when the program is to
    // go on running.
    bool exitCommand();
    // The main window's caption: "Splitwatch   [ title ]".
    QString caption() const;

    // The comments window while it is shown, else null.
    CommentsWindow *commentsWindow() const;

    // The message texts the commands show.
    static QString eraseQuestionText();
    static QString saveChangesText();
    static QString copyToRavelinText();
    static QString notLapFileText();
    static QString shortenedNameText(const QString &name);
    static QString replaceShortenedText(const QString &name);
    static QString recentFileGoneText(const QString &path);
    static QString notWhileTimingText();

signals:
    // The caption changed (after every read or write).
    void captionChanged(const QString &caption);
    // Exit goes on after the operator answered for the race (saved it, or
    // said No): whatever protected it may go.
    void exitAnswered();

private:
    // "Save Changes?" when the race or its comments changed since the last
    // read or write; Yes saves through Save As. False when the command is to
    // stop (Cancel, or the save was cancelled or failed).
    bool offerToSaveChanges();
    bool readLapFileInto(const QString &path, bool exchange);
    bool writeLapFileTo(const QString &path, bool exchange);
    void closingSteps();
    void closingStepsTitleOnly();
    QString dialogInitialName() const;

    Race &m_race;
    FileState &m_s;
    Prompts &m_prompts;
    QWidget *m_window;
    QPointer<CommentsWindow> m_comments;
    RecentFiles *m_recent = nullptr;
};

} // namespace sw
