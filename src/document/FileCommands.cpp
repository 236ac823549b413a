#include "document/FileCommands.h"

#include "document/CommentsWindow.h"
#include "document/RecentFiles.h"
#include "files/FileIo.h"
#include "files/FileState.h"
#include "files/FileTitle.h"
#include "files/LapFile.h"
#include "race/Race.h"
#include "ui/MainWindowControls.h"
#include "ui/Prompts.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

namespace sw {

namespace {

constexpr int MaxNameLength = 40;

const QString &fileFilter()
{
    static const QString f = QStringLiteral("All Files (*)");
    return f;
}

// Index of the last path separator; paths handed over by Ravelin may come
// from a Windows machine, so '\' counts as well as '/'.
qsizetype lastSeparator(const QString &path)
{
    return qMax(path.lastIndexOf(QLatin1Char('\\')), path.lastIndexOf(QLatin1Char('/')));
}

QString nameOfPath(const QString &path)
{
    return path.mid(lastSeparator(path) + 1);
}

// A system error text as message lines, a blank line between them.
QString messageLines(QString text)
{
    return text.replace(QLatin1Char('\n'), QLatin1String("\n\n"));
}

} // namespace

FileCommands::FileCommands(Race &race, FileState &files, Prompts &prompts, QWidget *window)
    : QObject(window), m_race(race), m_s(files), m_prompts(prompts), m_window(window)
{
    setObjectName(QStringLiteral("FileCommands"));
}

void FileCommands::connectMenus(const MainWindowControls &ui)
{
    connect(ui.newAction, &QAction::triggered, this, &FileCommands::fileNew);
    connect(ui.openAction, &QAction::triggered, this, &FileCommands::fileOpen);
    connect(ui.saveAction, &QAction::triggered, this, &FileCommands::fileSave);
    connect(ui.saveAsAction, &QAction::triggered, this, &FileCommands::fileSaveAs);
    connect(ui.exitAction, &QAction::triggered, this, &FileCommands::fileExit);
    connect(ui.commentsAction, &QAction::triggered, this, &FileCommands::editComments);
    connect(ui.returnToRavelinAction, &QAction::triggered, this, &FileCommands::returnToRavelinCommand);
    m_recent = new RecentFiles(ui.recentFilesMenu, this);
    connect(m_recent, &RecentFiles::chosen, this, &FileCommands::openRecent);
}

QString FileCommands::caption() const
{
    return QStringLiteral("Splitwatch   [ ") + m_s.fileTitle + QStringLiteral(" ]");
}

// ---- texts -------------------------------------------------------------------

QString FileCommands::eraseQuestionText()
{
    return QStringLiteral("Do you want to erase all these Lap Times and Comments for this session?\n\n"
                          "If you answer Yes, all specs and Comments will be blanked out.");
}

QString FileCommands::saveChangesText()
{
    return QStringLiteral("Save these specs to a file?\n\n"
                          "If you say No, any changes you have made will not be saved.");
}

QString FileCommands::copyToRavelinText()
{
    return QStringLiteral("Do you want to copy these Lap Times back to your Ravelin record?");
}

QString FileCommands::notLapFileText()
{
    return QStringLiteral("This is not a Lap Time file and can not be used.");
}

QString FileCommands::shortenedNameText(const QString &name)
{
    return QStringLiteral("File Name shortened to first 40 characters:\n\n    ") + name;
}

QString FileCommands::replaceShortenedText(const QString &name)
{
    return QStringLiteral("A file with the shortened name already exists:\n\n    ") + name
           + QStringLiteral("\n\nDo you want to replace it?");
}

QString FileCommands::recentFileGoneText(const QString &path)
{
    return QStringLiteral("This Lap Time file is no longer there:\n\n    ") + QDir::toNativeSeparators(path)
           + QStringLiteral("\n\nIt has been taken off the list of recent Lap Time files.");
}

QString FileCommands::notWhileTimingText()
{
    return QStringLiteral("A Lap Time file can not be opened while a race is being timed.  "
                          "Finish the race (F11) first.");
}

// ---- menu entries --------------------------------------------------------------

void FileCommands::fileNew()
{
    const Answer a = m_prompts.message({QStringLiteral("Erase All Lap Times?"), eraseQuestionText(),
                                        Buttons::YesNoCancel, Icon::Question, Answer::No});
    if (a != Answer::Yes)
        return;
    m_race.erase();
    // The new race belongs to no file yet: a plain Save must ask for a name
    // rather than replace the race last read or written.
    m_s.lapFileName.clear();
    m_s.currentFile.clear();
    closingStepsTitleOnly();
}

void FileCommands::fileOpen()
{
    if (!offerToSaveChanges())
        return;
    const std::optional<QString> chosen = m_prompts.openFile(
        {QStringLiteral("Open a File"), fileFilter(), m_s.lapTimeFolder(), dialogInitialName()});
    if (!chosen || chosen->isEmpty())
        return;
    m_s.lapFileName = *chosen;
    openLapFile();
}

void FileCommands::openRecent(const QString &path)
{
    if (!QFileInfo::exists(path)) {
        m_recent->remove(path);
        m_prompts.info(recentFileGoneText(path));
        return;
    }
    openNamedFile(path);
}

bool FileCommands::openNamedFile(const QString &path)
{
    if (!offerToSaveChanges())
        return false;
    m_s.lapFileName = path;
    return openLapFile();
}

bool FileCommands::openFromOutside(const QString &path)
{
    // Open would put the file's race in place of the one being timed.
    if (m_race.isTiming()) {
        m_prompts.info(notWhileTimingText());
        return false;
    }
    return openNamedFile(path);
}

void FileCommands::fileSave()
{
    // Without a file last read or written (or with one named by a path this
    // system cannot place, such as a Windows path handed over by Ravelin on
    // another system) there is nowhere to write again: ask for a name.
    if (m_s.currentFile.isEmpty() || !QDir::isAbsolutePath(m_s.currentFile)) {
        saveAs();
        return;
    }
    m_s.lapFileName = m_s.currentFile;
    saveLapFile();
}

bool FileCommands::saveAs()
{
    const std::optional<QString> chosen = m_prompts.saveFile(
        {QStringLiteral("Save a File"), fileFilter(), m_s.lapTimeFolder(), dialogInitialName()});
    if (!chosen || chosen->isEmpty())
        return false;
    const qsizetype cut = lastSeparator(*chosen);
    QString name = chosen->mid(cut + 1);
    const bool shortened = name.size() > MaxNameLength;
    if (shortened) {
        name.truncate(MaxNameLength);
        m_prompts.info(shortenedNameText(name));
    }
    // A bare name (no folder given) goes into the lap-time folder, never the
    // current directory.
    const QString target = cut >= 0 ? chosen->left(cut + 1) + name : QDir(m_s.lapTimeFolder()).filePath(name);
    // The dialog asked about replacing the name it was given, not the cut one.
    if (shortened && QFileInfo::exists(target)
        && m_prompts.message({programTitle(), replaceShortenedText(name), Buttons::YesNo, Icon::Question,
                              Answer::No})
                != Answer::Yes)
        return false;
    m_s.lapFileName = target;
    return saveLapFile();
}

void FileCommands::fileExit()
{
    exitCommand();
}

CommentsWindow *FileCommands::commentsWindow() const
{
    return m_comments.data();
}

void FileCommands::editComments()
{
    if (!m_comments)
        m_comments = new CommentsWindow(m_race, m_window);
    m_comments->show();
    m_comments->raise();
    m_comments->activateWindow();
}

// ---- exit and the exchange ----------------------------------------------------------

bool FileCommands::offerToSaveChanges()
{
    if (!m_race.isModified())
        return true;
    const Answer a = m_prompts.message({QStringLiteral("Save Changes?"), saveChangesText(),
                                        Buttons::YesNoCancel, Icon::Question, Answer::Yes});
    if (a == Answer::Cancel)
        return false;
    // Changes the user asked to keep are never lost: a cancelled or failed
    // save stops the command.
    return a == Answer::No || saveAs();
}

bool FileCommands::exitCommand()
{
    if (!offerToSaveChanges())
        return false;
    if (m_s.startedByRavelin && !returnToRavelin())
        return false;
    if (m_comments)
        m_comments->close();
    emit exitAnswered(); // the operator has answered for the race
    if (endProgram)
        endProgram();
    return true;
}

bool FileCommands::returnToRavelin()
{
    const Answer a = m_prompts.message({QStringLiteral("Copy To Ravelin?"), copyToRavelinText(),
                                        Buttons::YesNoCancel, Icon::Question, Answer::Yes});
    if (a == Answer::Cancel)
        return false;
    if (a == Answer::Yes) {
        m_s.exchange = ExchangeState::Active;
        const bool written = saveLapFile();
        m_s.exchange = ExchangeState::None;
        // Ending without the output file would lose the lap times Ravelin
        // was promised; the user has been told, the program goes on.
        return written;
    }
    // No: the handed-over file is discarded; a missing one is no matter.
    QFile::remove(m_s.exchangeInputPath());
    return true;
}

void FileCommands::afterActivate()
{
    if (m_s.exchange != ExchangeState::InputWaiting)
        return;
    m_s.exchange = ExchangeState::Active;
    openLapFile();
    m_s.exchange = ExchangeState::None;
}

// ---- the lap-time file routine --------------------------------------------------------

bool FileCommands::openLapFile()
{
    const bool exchange = m_s.exchange == ExchangeState::Active;
    const bool done = readLapFileInto(exchange ? m_s.exchangeInputPath() : m_s.lapFileName, exchange);
    m_s.exchange = ExchangeState::None;
    return done;
}

bool FileCommands::saveLapFile()
{
    const bool exchange = m_s.exchange == ExchangeState::Active;
    const bool done = writeLapFileTo(exchange ? m_s.exchangeOutputPath() : m_s.lapFileName, exchange);
    m_s.exchange = ExchangeState::None;
    return done;
}

bool FileCommands::readLapFileInto(const QString &path, bool exchange)
{
    QString error;
    const std::optional<QByteArray> bytes = loadFile(path, &error);
    if (!bytes) {
        m_prompts.message({QStringLiteral("Bad File"), messageLines(error), Buttons::Ok, Icon::None,
                           Answer::Ok});
        return false;
    }
    const LapFileReadResult read = readLapFile(*bytes, exchange);
    if (read.status == LapFileReadResult::NotLapFile) {
        m_prompts.message({QStringLiteral("Bad File"), notLapFileText(), Buttons::Ok, Icon::None, Answer::Ok});
        return false;
    }
    if (read.status == LapFileReadResult::Damaged) {
        // Loading part of it would mix this file's laps with the race in
        // memory: nothing is taken.
        m_prompts.message({QStringLiteral("Bad File"),
                           QStringLiteral("This Lap Time file is damaged and can not be used:\n\n    ")
                                   + QDir::toNativeSeparators(path) + QStringLiteral("\n\n") + read.problem
                                   + QStringLiteral("\n\nNothing has been loaded."),
                           Buttons::Ok, Icon::None, Answer::Ok});
        return false;
    }

    const LapFileContent &c = read.content;
    // An exchange file names the lap-time file of the Ravelin record; without
    // that line the exchange file itself is the current file.
    if (exchange)
        m_s.lapFileName = c.pathLine ? *c.pathLine : path;
    m_s.exchange = ExchangeState::None;
    m_race.load(c.race);
    closingSteps();
    if (!exchange && m_recent)
        m_recent->add(path);
    return true;
}

bool FileCommands::writeLapFileTo(const QString &path, bool exchange)
{
    const QString lost = unencodableCharacters(m_race.comments());
    if (!lost.isEmpty()) {
        const Answer a = m_prompts.message(
                {programTitle(),
                 QStringLiteral("These characters in the Comments can not be stored in a Lap Time file "
                                "and would be saved as question marks:\n\n    ")
                         + lost + QStringLiteral("\n\nSave anyway?"),
                 Buttons::YesNo, Icon::Question, Answer::No});
        if (a != Answer::Yes)
            return false;
    }
    const std::optional<QString> pathLine =
            exchange ? std::optional<QString>(m_s.currentFile) : std::nullopt;
    const QByteArray bytes =
            writeLapFile(m_race.storedRace(), pathLine, QLocale::system().decimalPoint().at(0));
    m_s.exchange = ExchangeState::None;
    QString error;
    if (!saveFileAtomically(path, bytes, &error)) {
        m_prompts.message({programTitle(),
                           QStringLiteral("The Lap Times have not been saved.\n\n") + messageLines(error),
                           Buttons::Ok, Icon::Exclamation, Answer::Ok});
        return false;
    }
    closingSteps();
    m_race.markSaved();
    // The file handed back to Ravelin is Ravelin's, not one the user picked.
    if (!exchange && m_recent)
        m_recent->add(path);
    return true;
}

void FileCommands::closingSteps()
{
    m_s.currentFile = m_s.lapFileName;
    closingStepsTitleOnly();
}

void FileCommands::closingStepsTitleOnly()
{
    m_s.fileTitle = fileTitleFor(m_s.programFolder, m_s.currentFile);
    emit captionChanged(caption());
}

QString FileCommands::dialogInitialName() const
{
    return nameOfPath(m_s.currentFile);
}

} // namespace sw
