#include "files/FileCommands.h"

#include "state/AppState.h"
#include "results/LapEditor.h"
#include "files/FileIo.h"
#include "files/FileTitle.h"
#include "files/LapFile.h"
#include "files/CommentsWindow.h"
#include "timing/ConditionLists.h"
#include "timing/JournalLink.h"
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
    static const QString f = QStringLiteral("All Files (*.*)|*.*");
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

// A system error text as message lines (message boxes use CR for breaks).
QString messageLines(QString text)
{
    return text.replace(QLatin1Char('\n'), QLatin1String("\r\r"));
}

} // namespace

FileCommands::FileCommands(MainWindowBase &w)
    : QObject(&w), m_w(w), m_s(w.state()), m_prompts(w.prompts())
{
    setObjectName(QStringLiteral("FileCommands"));
}

FileCommands *installFileCommands(MainWindowBase &w)
{
    auto *f = new FileCommands(w);
    auto &ui = w.ui;
    QObject::connect(ui.newAction, &QAction::triggered, f, &FileCommands::fileNew);
    QObject::connect(ui.openAction, &QAction::triggered, f, &FileCommands::fileOpen);
    QObject::connect(ui.saveAction, &QAction::triggered, f, &FileCommands::fileSave);
    QObject::connect(ui.saveAsAction, &QAction::triggered, f, &FileCommands::fileSaveAs);
    QObject::connect(ui.exitAction, &QAction::triggered, f, &FileCommands::fileExit);
    QObject::connect(ui.commentsAction, &QAction::triggered, f, &FileCommands::editComments);
    QObject::connect(ui.returnToRavelinAction, &QAction::triggered, f,
                     &FileCommands::returnToRavelinCommand);
    w.setHooks(f);
    return f;
}

// ---- texts -------------------------------------------------------------------

QString FileCommands::eraseQuestionText()
{
    return QStringLiteral("Do you want to erase all these Lap Times and Comments for this session?\r\r"
                          "If you answer Yes, all specs and Comments will be blanked out.");
}

QString FileCommands::saveChangesText()
{
    return QStringLiteral("Save these specs to a file?\r\r"
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
    return QStringLiteral("File Name shortened to first 40 characters:\r\r    ") + name;
}

QString FileCommands::replaceShortenedText(const QString &name)
{
    return QStringLiteral("A file with the shortened name already exists:\r\r    ") + name
           + QStringLiteral("\r\rDo you want to replace it?");
}

// ---- menu entries --------------------------------------------------------------

void FileCommands::fileNew()
{
    const Answer a = m_prompts.message({QStringLiteral("Erase All Lap Times?"), eraseQuestionText(),
                                        Buttons::YesNoCancel, Icon::Question, Answer::No});
    if (a != Answer::Yes)
        return;
    m_s.rec.raceState = RaceState::Setup;
    m_s.rec.LastLap = 0;
    m_s.Comments.clear();
    m_w.eraseLapTimes(RecordErase::RecordAndGrid);
    m_w.refreshResults();
    m_w.showScreenMode();
    // The new race belongs to no file yet: a plain Save must ask for a name
    // rather than replace the race last read or written.
    m_s.LapFileName.clear();
    m_s.CurrentFile.clear();
    m_s.unsavedChanges = false;
    m_w.rebuildCaption();
}

void FileCommands::fileOpen()
{
    if (!offerToSaveChanges())
        return;
    const std::optional<QString> chosen = m_prompts.openFile(
        {QStringLiteral("Open a File"), fileFilter(), m_s.lapTimeFolder(), dialogInitialName()});
    if (!chosen || chosen->isEmpty())
        return;
    m_s.LapFileName = *chosen;
    readWriteLapFile(1);
}

void FileCommands::fileSave()
{
    // Without a file last read or written (or with one named by a path this
    // system cannot place, such as a Windows path handed over by Ravelin on
    // another system) there is nowhere to write again: ask for a name.
    if (m_s.CurrentFile.isEmpty() || !QDir::isAbsolutePath(m_s.CurrentFile)) {
        saveAs();
        return;
    }
    m_s.LapFileName = m_s.CurrentFile;
    readWriteLapFile(0);
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
    m_s.LapFileName = target;
    return readWriteLapFile(0);
}

void FileCommands::fileExit()
{
    m_s.exitCancelled = false;
    exitCommand();
}

CommentsWindow *FileCommands::commentsWindow() const
{
    return m_comments.data();
}

void FileCommands::editComments()
{
    if (!m_comments)
        m_comments = new CommentsWindow(m_s, &m_w);
    m_comments->show();
    m_comments->raise();
    m_comments->activateWindow();
}

// ---- exit and the exchange ----------------------------------------------------------

bool FileCommands::offerToSaveChanges()
{
    if (!m_s.unsavedChanges)
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
    if (!offerToSaveChanges()) {
        m_s.exitCancelled = true;
        return false;
    }
    if (m_s.rec.ravelinMode && !returnToRavelin()) {
        m_s.exitCancelled = true;
        return false;
    }
    if (m_comments)
        m_comments->close();
    journalDiscarded(m_s); // the operator has answered for the race
    if (m_w.endProgram)
        m_w.endProgram();
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
        const bool written = readWriteLapFile(0);
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
    readWriteLapFile(1);
    m_s.exchange = ExchangeState::None;
}

QString FileCommands::makeFileTitle(const QString &currentFile)
{
    return MakeFileTitle(m_s.programFolder, currentFile);
}

// ---- the lap-time file routine --------------------------------------------------------

bool FileCommands::readWriteLapFile(int LoadIt)
{
    const bool exchange = m_s.exchange == ExchangeState::Active;
    QString path = m_s.LapFileName;
    if (exchange)
        path = LoadIt != 0 ? m_s.exchangeInputPath() : m_s.exchangeOutputPath();
    const bool done = LoadIt != 0 ? readLapFileInto(path, exchange) : writeLapFileTo(path, exchange);
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
                           QStringLiteral("This Lap Time file is damaged and can not be used:\r\r    ")
                                   + QDir::toNativeSeparators(path) + QStringLiteral("\r\r") + read.problem
                                   + QStringLiteral("\r\rNothing has been loaded."),
                           Buttons::Ok, Icon::None, Answer::Ok});
        return false;
    }

    const LapFileContent &c = read.content;
    journalDiscarded(m_s); // the file takes the place of the race
    applyToRecord(c, m_s.rec);
    m_s.Comments = c.Comments;
    // An exchange file names the lap-time file of the Ravelin record; without
    // that line the exchange file itself is the current file.
    if (exchange)
        m_s.LapFileName = c.pathLine ? *c.pathLine : path;
    m_s.exchange = ExchangeState::None;
    replayLoadedRace();
    closingSteps();
    return true;
}

bool FileCommands::writeLapFileTo(const QString &path, bool exchange)
{
    const QString lost = unencodableCharacters(m_s.Comments);
    if (!lost.isEmpty()) {
        const Answer a = m_prompts.message(
                {programTitle(),
                 QStringLiteral("These characters in the Comments can not be stored in a Lap Time file "
                                "and would be saved as question marks:\r\r    ")
                         + lost + QStringLiteral("\r\rSave anyway?"),
                 Buttons::YesNo, Icon::Question, Answer::No});
        if (a != Answer::Yes)
            return false;
    }
    const std::optional<QString> pathLine =
            exchange ? std::optional<QString>(m_s.CurrentFile) : std::nullopt;
    // While a race runs LastLap is still 0; the file is to hold every lap
    // timed so far, so it gets the last completed one (a lap begun is in its
    // row lines all the same).
    std::optional<RaceRecord> running;
    if (m_s.rec.raceState == RaceState::Running) {
        running = m_s.rec;
        running->LastLap = static_cast<qint16>(qBound(0, m_s.rec.CurLap - 1, int(RaceRecord::MaxLap)));
    }
    const QByteArray bytes = writeLapFile(running ? *running : m_s.rec, m_s.Comments, pathLine,
                                          QLocale::system().decimalPoint().at(0));
    m_s.exchange = ExchangeState::None;
    QString error;
    if (!saveFileAtomically(path, bytes, &error)) {
        m_prompts.message({programTitle(),
                           QStringLiteral("The Lap Times have not been saved.\r\r") + messageLines(error),
                           Buttons::Ok, Icon::Exclamation, Answer::Ok});
        return false;
    }
    closingSteps();
    journalSaved(m_s);
    return true;
}

void FileCommands::replayLoadedRace()
{
    RaceRecord &r = m_s.rec;
    auto &ui = m_w.ui;
    if (r.LastLap < 1)
        r.LastLap = 1;
    // Shown the way every whole record is shown: the finished face (kept in
    // the setup face when started by Ravelin), then every lap and segment
    // through the segment step, conditions taken from the lists.
    r.raceState = RaceState::Finished;
    m_w.eraseLapTimes(RecordErase::GridOnly);
    m_w.refreshResults();
    m_w.showScreenMode();
    m_w.editor().rewriteAllLaps();
    if (r.raceState == RaceState::Finished) {
        // The editing face opens on lap 1, with the statistics and graph.
        m_s.grid.Row = 1;
        m_w.onGridClicked();
        m_w.showScreenMode();
    } else {
        // Setup face: the lap list goes back to its first item; the last lap
        // stays the current one.
        ui.lapList->setCurrentIndex(0);
    }
    m_w.drawGraph();
}

void FileCommands::closingSteps()
{
    m_s.CurrentFile = m_s.LapFileName;
    m_w.rebuildCaption(); // sets FileTitle through makeFileTitle
    m_s.unsavedChanges = false;
}

QString FileCommands::dialogInitialName() const
{
    return nameOfPath(m_s.CurrentFile);
}

} // namespace sw
