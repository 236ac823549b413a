#include "app/MainWindow.h"

#include "app/FileDrop.h"
#include "app/PrintHelpMenus.h"
#include "app/Recovery.h"
#include "app/ShareDialog.h"
#include "app/WindowZoom.h"
#include "charts/RaceAnalysisLink.h"
#include "document/CsvExportCommand.h"
#include "document/FileCommands.h"
#include "document/RaceHistory.h"
#include "files/FileState.h"
#include "journal/RaceRecorder.h"
#include "analysis/LiveFigures.h"
#include "live/ClockPanel.h"
#include "live/LiveFigurePanel.h"
#include "live/PitBoard.h"
#include "live/ConditionPanel.h"
#include "live/TimingKeys.h"
#include "race/Race.h"
#include "results/CurrentLapPanel.h"
#include "results/EditCommands.h"
#include "results/GraphPanel.h"
#include "results/GraphView.h"
#include "results/ResultsPanel.h"
#include "results/ScreenFace.h"
#include "share/LiveSharing.h"
#include "timing/HiTime.h"
#include "ui/ClickPanel.h"
#include "ui/Geometry.h"
#include "ui/Prompts.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSettings>
#include <QStatusBar>
#include <QUndoStack>
#include <QWindow>

#include <functional>

namespace sw {

MainWindow::MainWindow(Race &race, FileState &files, Prompts &prompts, HiTime &timer,
                       const TimerCalibration &calibration, QWidget *parent)
    : QMainWindow(parent), m_race(race), m_fileState(files), m_prompts(prompts), m_timer(timer)
{
    setObjectName(QStringLiteral("mainWindow"));
    setWindowTitle(QStringLiteral("Splitwatch"));
    ui.build(this);

    m_conditions = new ConditionPanel(race, ui, this);
    m_timingKeys = new TimingKeys(race, timer, calibration, *m_conditions, prompts, this);
    m_clocks = new ClockPanel(race, ui, timer, calibration, this);
    m_fields = new CurrentLapPanel(race, ui, prompts, this);
    m_editor = new EditCommands(race, ui, *m_fields, prompts, this);
    m_results = new ResultsPanel(race, ui, this);

    // The graph takes the place of the designed picture area.
    m_graph = new GraphView(race, ui.client);
    m_graph->setGeometry(ui.graphArea->geometry());
    m_graph->setProperty("designTwips", ui.graphArea->property("designTwips"));
    m_graph->setObjectName(QStringLiteral("graphArea"));
    m_graph->setAccessibleName(QStringLiteral("Lap time graph"));
    delete ui.graphArea;
    ui.graphArea = m_graph;
    m_graphPanel = new GraphPanel(race, ui, *m_graph, this);
    m_face = new ScreenFace(race, ui, *this);
    // The live figures hear of a press after the journal (its recorder was
    // connected to the race before this window was made) and after the grid.
    m_liveFigures = new LiveFigures(race, this);
    m_liveFigures->setLapFilter(m_results->lapFilter());
    m_liveFigurePanel = new LiveFigurePanel(*m_liveFigures, ui, this);

    m_files = new FileCommands(race, files, prompts, this);
    m_files->connectMenus(ui);
    m_files->endProgram = [this] {
        hide();
        QCoreApplication::exit(0);
    };
    setAcceptDrops(true);
    new FileDrop(*this, *m_files);
    m_printHelp = std::make_unique<PrintHelpMenus>(*this, files, *m_results);
    m_analysis = new RaceAnalysisLink(race, ui, *m_results, files, prompts, m_printHelp->printers(), this);
    m_zoom = new WindowZoom(*this);
    m_sharing = new LiveSharing(race, this);
    m_sharing->lapFilter = [this] { return m_results->lapFilter(); };
    m_sharing->raceClock = [this]() -> std::optional<double> {
        if (m_race.state() == RaceState::Setup)
            return std::nullopt;
        return m_clocks->raceClockNow();
    };
    // The page is headed by the file's title (none before a file is named).
    m_sharing->title = [this] { return m_fileState.fileTitle; };
    m_sharing->figures = [this] { return m_liveFigures->values(); };
    m_history = new RaceHistory(race, this);
    buildEditMenu();
    m_caption = windowTitle();
    wirePanels();
    // The caption is the file's from the start: a window the window system
    // never activates (a question shown at once, as recovery does) must not
    // keep the bare program name.
    setWindowTitle(m_files->caption());
    qApp->installEventFilter(this);
    resize(tw(design::kClientWidth), height());
    connect(m_face, &ScreenFace::laidOut, m_zoom, &WindowZoom::fitFace);
}

MainWindow::~MainWindow()
{
    delete m_exposureWatch;
    qApp->removeEventFilter(this);
}

void MainWindow::wirePanels()
{
    connect(m_conditions, &ConditionPanel::focusBack, this, &MainWindow::focusTimingField);
    connect(m_timingKeys, &TimingKeys::focusBack, this, &MainWindow::focusTimingField);
    connect(m_timingKeys, &TimingKeys::statusNote, ui.statusLine, &QLabel::setText);
    connect(m_fields, &CurrentLapPanel::conditionKey, m_conditions, &ConditionPanel::moveSelector);
    connect(m_fields, &CurrentLapPanel::moveFocus, this, [this](bool next) { focusNextPrevChild(next); });
    connect(m_editor, &EditCommands::timingKey, m_timingKeys, &TimingKeys::handleKey);
    connect(m_results, &ResultsPanel::lapFilterChanged, m_graphPanel, &GraphPanel::setLapFilter);
    connect(m_graphPanel, &GraphPanel::lapClicked, m_results, &ResultsPanel::pickFromGraph);
    connect(m_results, &ResultsPanel::lapFilterChanged, m_liveFigures, &LiveFigures::setLapFilter);
    connect(ui.pitBoardAction, &QAction::triggered, this, &MainWindow::togglePitBoard);
    connect(m_clocks, &ClockPanel::redrawn, this, &MainWindow::showJournalFailure);
    // A journal that cannot be made is told when the race is armed (after
    // the face has written the state's instructions).
    connect(&m_race, &Race::stateChanged, this, &MainWindow::showJournalFailure);
    connect(m_files, &FileCommands::captionChanged, this, [this](const QString &caption) {
        m_caption = caption;
        showCaption();
    });
    connect(ui.shareLiveTimingAction, &QAction::triggered, this, [this] {
        ShareDialog &d = shareDialog();
        d.show();
        d.raise();
        d.activateWindow();
    });
    connect(m_sharing, &LiveSharing::sharingChanged, this, &MainWindow::showSharingNote);
    for (QPushButton *b : ui.hiddenFinishButtons)
        connect(b, &QPushButton::clicked, this, [this] { m_timingKeys->handleKey(Qt::Key_F11); });
    connect(ui.exportCsvAction, &QAction::triggered, this,
            [this] { exportRaceAsCsv(m_race, m_fileState, m_prompts); });
}

void MainWindow::buildEditMenu()
{
    QUndoStack &stack = m_history->stack();
    QAction *undo = stack.createUndoAction(ui.editMenu, QStringLiteral("Undo"));
    undo->setShortcuts(QKeySequence::Undo);
    QAction *redo = stack.createRedoAction(ui.editMenu, QStringLiteral("Redo"));
    redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    undo->setObjectName(QStringLiteral("undoAction"));
    redo->setObjectName(QStringLiteral("redoAction"));
    ui.editMenu->addAction(undo);
    ui.editMenu->addAction(redo);
    // Presses are corrected after the race: while a race is set up or timed
    // there is nothing to undo.
    const auto enable = [this] { ui.editMenu->setEnabled(m_race.state() == RaceState::Finished); };
    connect(&m_race, &Race::stateChanged, this, enable);
    enable();
}

void MainWindow::rememberPitBoardScreen(std::unique_ptr<QSettings> settings)
{
    if (m_pitBoard)
        m_pitBoard->rememberScreen(std::move(settings));
    else
        m_pitBoardSettings = std::move(settings);
}

void MainWindow::togglePitBoard()
{
    if (m_pitBoard && m_pitBoard->isVisible()) {
        m_pitBoard->close();
        return;
    }
    if (!m_pitBoard) {
        m_pitBoard = new PitBoard(m_race, *m_liveFigures, this);
        if (m_pitBoardSettings)
            m_pitBoard->rememberScreen(std::move(m_pitBoardSettings));
        connect(m_pitBoard, &PitBoard::closed, this, [this] { ui.pitBoardAction->setChecked(false); });
        connect(m_clocks, &ClockPanel::redrawn, m_pitBoard,
                [this] { m_pitBoard->setRaceClock(ui.raceClock->text()); });
    }
    m_pitBoard->setRaceClock(ui.raceClock->text());
    m_pitBoard->open(screen());
    ui.pitBoardAction->setChecked(true);
}

ShareDialog &MainWindow::shareDialog()
{
    if (!m_shareDialog)
        m_shareDialog = new ShareDialog(*m_sharing, m_prompts, this);
    return *m_shareDialog;
}

void MainWindow::showCaption()
{
    setWindowTitle(m_caption);
}

void MainWindow::showSharingNote()
{
    // A line of its own below the window's controls, there only while the
    // race is shared: the "Status:" line's texts belong to the timing.
    const bool sharing = m_sharing->isSharing();
    if (sharing && !m_sharingNote) {
        m_sharingNote = new QLabel(statusBar());
        m_sharingNote->setObjectName(QStringLiteral("sharingNote"));
        m_sharingNote->setTextInteractionFlags(Qt::TextSelectableByMouse);
        statusBar()->addWidget(m_sharingNote, 1);
        statusBar()->setSizeGripEnabled(false);
    }
    if (m_sharingNote) {
        m_sharingNote->setText(sharing ? QStringLiteral("This race is shared live at %1").arg(m_sharing->url().toString())
                                       : QString());
        statusBar()->setVisible(sharing);
    }
    m_zoom->fitFace();
}

void MainWindow::focusTimingField()
{
    ui.timingFocusHolder->setFocus(Qt::OtherFocusReason);
}

void MainWindow::showJournalFailure()
{
    if (m_journal && m_journal->writer().takeFailureNotice())
        ui.statusLine->setText(journalFailureText());
}

void MainWindow::restoreCursor()
{
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
}

int MainWindow::windowHeightTwips() const
{
    return twipsFromPixels(height()) + design::kWindowChromeTwips;
}

// ---- window events -----------------------------------------------------------

void MainWindow::loadWindow()
{
    if (m_loaded)
        return;
    m_loaded = true;
    // The lap-time folder below the program folder; a failure to create it
    // is not fatal (files can still be saved anywhere through the dialogs).
    QDir folder(m_fileState.programFolder);
    if (!m_fileState.programFolder.isEmpty() && !folder.exists(QStringLiteral("LapTimeFiles")))
        folder.mkdir(QStringLiteral("LapTimeFiles"));
    m_face->show();
    m_clocks->redraw();
    m_zoom->fitToFont();
}

void MainWindow::redrawAfterZoom()
{
    m_results->resyncColumnWidths();
    m_graphPanel->redraw();
}

void MainWindow::onActivated()
{
    placeTw(ui.timingFocusHolder, -700, 0, 300, 300);
    m_fields->refillOnActivate();
    m_caption = m_files->caption();
    showCaption();
    m_files->afterActivate();
}

bool MainWindow::handleKeyDown(int key)
{
    if (m_race.isHeldInSetup()) {
        m_prompts.info(QStringLiteral("Timing not allowed when called by Ravelin."));
        return true;
    }
    if (m_race.state() != RaceState::Finished)
        m_timingKeys->handleKey(key);
    // Function keys belong to the timing keys only (F4 would open a list).
    return key >= Qt::Key_F1 && key <= Qt::Key_F12;
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ShortcutOverride) {
        auto *ke = static_cast<QKeyEvent *>(event);
        if (ke->key() == Qt::Key_F2 && !ke->isAutoRepeat())
            m_timingKeys->keyArriving(ke->timestamp());
        // A field undoes its own typing first; with none to undo, Ctrl+Z
        // is the race's Undo (the fields are refilled after every edit).
        if (auto *field = qobject_cast<QLineEdit *>(watched)) {
            if ((ke->matches(QKeySequence::Undo) && !field->isUndoAvailable())
                || (ke->matches(QKeySequence::Redo) && !field->isRedoAvailable())
                || (ke->key() == Qt::Key_Y && ke->modifiers() == Qt::ControlModifier && !field->isRedoAvailable()))
                return true;
        }
        return false;
    }
    if (event->type() != QEvent::KeyPress)
        return false;
    auto *w = qobject_cast<QWidget *>(watched);
    if (!w)
        return false;
    auto *ke = static_cast<QKeyEvent *>(event);
    const int key = ke->key();
    if (m_pitBoard && w->window() == m_pitBoard && key != Qt::Key_Escape) {
        // The board shows; the operator's keys are the main window's. F2
        // takes the same road as from any other window of the program.
        if (key == Qt::Key_F2 && !m_race.isHeldInSetup() && m_race.isTiming()) {
            m_timingKeys->pressFromOtherWindow();
            return true;
        }
        return handleKeyDown(key);
    }
    if (w->window() != this) {
        // While a race runs every F2 is a reading, whichever window of the
        // program has the keyboard: an open drop-down or menu, or the finish
        // or restart question. It is taken here and goes no further, so it
        // is counted once and the other window goes on as before.
        if (key == Qt::Key_F2 && !m_race.isHeldInSetup() && m_race.isTiming()) {
            m_timingKeys->pressFromOtherWindow();
            return true;
        }
        return false;
    }
    if (key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Alt || key == Qt::Key_Meta)
        return false;
    if (m_race.isHeldInSetup())
        return handleKeyDown(key);
    const bool arrow = key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down;
    // Arrow keys on the selector buttons and lists, and in the entry fields,
    // are routed by the entry fields; everything else by the window first.
    if (arrow && m_fields->handlesArrowFor(w))
        return m_fields->fieldKeyDown(w, key);
    if (handleKeyDown(key))
        return true;
    // Enter in a field moves on like Tab and is not passed on.
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && w != ui.timingFocusHolder) {
        focusNextChild();
        return true;
    }
    return arrow; // the arrows belong to the condition selectors
}

namespace {
// Passes on whether a platform window is exposed.
class ExposureWatch : public QObject
{
public:
    ExposureWatch(QObject *parent, std::function<void(bool)> exposed)
        : QObject(parent), m_exposed(std::move(exposed))
    {
    }
    bool eventFilter(QObject *watched, QEvent *e) override
    {
        if (e->type() == QEvent::Expose)
            m_exposed(static_cast<QWindow *>(watched)->isExposed());
        return false;
    }

private:
    std::function<void(bool)> m_exposed;
};
} // namespace

void MainWindow::updateClocksOnScreen()
{
    m_clocks->setOnScreen(isVisible() && !isMinimized() && m_exposed);
}

void MainWindow::showEvent(QShowEvent *e)
{
    QMainWindow::showEvent(e);
    if (!m_exposureWatch && windowHandle()) {
        m_exposureWatch = new ExposureWatch(this, [this](bool exposed) {
            m_exposed = exposed;
            updateClocksOnScreen();
        });
        windowHandle()->installEventFilter(m_exposureWatch);
    }
    m_exposed = true; // until the platform says otherwise
    updateClocksOnScreen();
}

void MainWindow::hideEvent(QHideEvent *e)
{
    QMainWindow::hideEvent(e);
    updateClocksOnScreen();
}

void MainWindow::changeEvent(QEvent *e)
{
    QMainWindow::changeEvent(e);
    if (e->type() == QEvent::WindowStateChange)
        updateClocksOnScreen();
    if (e->type() == QEvent::ActivationChange) {
        if (isActiveWindow())
            onActivated();
        else
            restoreCursor();
    }
}

void MainWindow::closeEvent(QCloseEvent *e)
{
    if (!m_files->exitCommand()) {
        e->ignore();
        return;
    }
    restoreCursor();
    if (m_pitBoard)
        m_pitBoard->close();
    e->accept();
}

void MainWindow::moveEvent(QMoveEvent *e)
{
    QMainWindow::moveEvent(e);
    m_zoom->rememberPosition();
}

void MainWindow::resizeEvent(QResizeEvent *e)
{
    QMainWindow::resizeEvent(e);
    if (m_zoom && m_loaded)
        m_zoom->resized();
}

} // namespace sw
