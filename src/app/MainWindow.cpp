#include "app/MainWindow.h"

#include "state/AppState.h"
#include "app/PrintHelpMenus.h"
#include "app/WindowZoom.h"
#include "results/EntryFields.h"
#include "graph/GraphView.h"
#include "results/GridController.h"
#include "files/CsvExportCommand.h"
#include "results/LapCountController.h"
#include "results/LapEditor.h"
#include "results/ScreenModes.h"
#include "timing/HiTime.h"
#include "timing/SelectorController.h"
#include "timing/TimingController.h"
#include "ui/ClickPanel.h"
#include "ui/Geometry.h"
#include "ui/Prompts.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QKeyEvent>
#include <QWindow>

#include <functional>

namespace sw {

QString MainWindowHooks::makeFileTitle(const QString &currentFile)
{
    const int cut = qMax(currentFile.lastIndexOf(QLatin1Char('\\')),
                         currentFile.lastIndexOf(QLatin1Char('/')));
    return currentFile.mid(cut + 1);
}

namespace {
MainWindowHooks &defaultHooks()
{
    static MainWindowHooks h;
    return h;
}
} // namespace

MainWindow::MainWindow(AppState &state, Prompts &prompts, HiTime &hiTime, QWidget *parent)
    : MainWindowBase(state, prompts, hiTime, parent)
{
    setObjectName(QStringLiteral("mainWindow"));
    setWindowTitle(QStringLiteral("Splitwatch"));
    ui.build(this, &state.grid);
    m_timing = std::make_unique<TimingController>(*this);
    m_selectors = std::make_unique<SelectorController>(*this);
    m_grid = std::make_unique<GridController>(*this);
    m_modes = std::make_unique<ScreenModes>(*this);
    m_fields = std::make_unique<EntryFields>(*this);
    m_editor = std::make_unique<LapEditor>(*this);
    new LapCountController(*this); // a child of the window

    // The graph takes the place of the designed picture area.
    m_graph = new GraphView(state.grid, state.rec, ui.client);
    m_graph->setGeometry(ui.graphArea->geometry());
    m_graph->setProperty("designTwips", ui.graphArea->property("designTwips"));
    m_graph->setObjectName(QStringLiteral("graphArea"));
    m_graph->setAccessibleName(QStringLiteral("Lap time graph"));
    delete ui.graphArea;
    ui.graphArea = m_graph;
    m_graph->bindControls(ui.graphQuantityList, {ui.graphColourOptions[0], ui.graphColourOptions[1], ui.graphColourOptions[2]},
                          ui.graphLeftScale, ui.graphRightScale);
    endProgram = [this] {
        hide();
        QCoreApplication::exit(0);
    };
    m_printHelp = std::make_unique<PrintHelpMenus>(*this);
    installCsvExport(*this);
    m_zoom = new WindowZoom(*this);
    wireControls();
    qApp->installEventFilter(this);
    setFixedWidth(tw(design::kClientWidth));
}

MainWindow::~MainWindow()
{
    delete m_exposureWatch;
    qApp->removeEventFilter(this);
}

void MainWindow::wireControls()
{
    connect(&m_hiTime, &HiTime::Timer, this, [this](int overrun) { m_timing->onTimerTick(overrun); });
    for (int i = 0; i < 6; ++i)
        connect(ui.arrowButtons[i], &QPushButton::clicked, this, [this, i] { m_selectors->onArrowButton(i); });
    for (int i = 0; i < 2; ++i)
        connect(ui.hiddenFinishButtons[i], &QPushButton::clicked, this, [this] { handleTimingKey(122); });
    for (QRadioButton *o : ui.graphColourOptions)
        connect(o, &QRadioButton::clicked, this, [this] { drawGraph(); });
    // A click in the graph selects that lap for editing, as a click on its
    // grid row does, so the fields never show another lap than the one lit.
    connect(m_graph, &GraphView::lapClicked, this, [this](int row) {
        if (row >= 1)
            m_grid->clickRow(row);
    });
}

// ---- routines -------------------------------------------------------------

void MainWindow::handleTimingKey(int keyCode) { m_timing->handleTimingKey(keyCode); }
void MainWindow::writeSegmentStep(GraphUpdate graph) { m_timing->writeSegmentStep(graph); }
void MainWindow::redrawClocks() { m_timing->redrawClocks(); }
void MainWindow::eraseLapTimes(RecordErase erase) { m_timing->eraseLapTimes(erase); }
void MainWindow::refreshResults() { m_grid->refreshResults(); }
void MainWindow::showScreenMode() { m_modes->showScreenMode(); }
void MainWindow::onGridClicked() { m_grid->onGridClicked(); }
void MainWindow::moveConditionSelector(int keyCode) { m_selectors->moveConditionSelector(keyCode); }

void MainWindow::drawGraph()
{
    m_graph->drawGraph();
}

void MainWindow::restoreCursor()
{
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
}

void MainWindow::rebuildCaption()
{
    m_state.FileTitle = (m_hooks ? *m_hooks : defaultHooks()).makeFileTitle(m_state.CurrentFile);
    setWindowTitle(QStringLiteral("Splitwatch   [ ") + m_state.FileTitle + QStringLiteral(" ]"));
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
    // The hidden F11 buttons and screenPrintPicture stay out of sight (placed by build()).
    m_state.rec.MinKeyGap = 1;
    // The lap-time folder below the program folder; a failure to create it
    // is not fatal (files can still be saved anywhere through the dialogs).
    QDir folder(m_state.programFolder);
    if (!m_state.programFolder.isEmpty() && !folder.exists(QStringLiteral("LapTimeFiles")))
        folder.mkdir(QStringLiteral("LapTimeFiles"));
    refreshResults();
    showScreenMode();
    m_zoom->fitToFont();
}

void MainWindow::redrawAfterZoom()
{
    if (m_state.rec.raceState == RaceState::Finished)
        drawGraph();
}

void MainWindow::onActivated()
{
    placeTw(ui.timingFocusHolder, -700, 0, 300, 300);
    m_fields->refillOnActivate();
    rebuildCaption();
    (m_hooks ? *m_hooks : defaultHooks()).afterActivate();
}

int MainWindow::virtualKeyFromQt(int qtKey)
{
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return 112 + (qtKey - Qt::Key_F1);
    switch (qtKey) {
    case Qt::Key_Left:
        return 37;
    case Qt::Key_Up:
        return 38;
    case Qt::Key_Right:
        return 39;
    case Qt::Key_Down:
        return 40;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Tab:
        return 9;
    case Qt::Key_Escape:
        return 27;
    default:
        break;
    }
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
        return qtKey; // same codes as the letters' virtual keys
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return qtKey;
    return 0;
}

bool MainWindow::handleKeyDown(int keyCode)
{
    if (m_state.rec.ravelinMode) {
        m_prompts.info(QStringLiteral("Timing not allowed when called by Ravelin."));
        return true;
    }
    if (m_state.rec.raceState != RaceState::Finished)
        handleTimingKey(keyCode);
    // Function keys belong to the timing keys only (F4 would open a list).
    return keyCode >= 112 && keyCode <= 123;
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ShortcutOverride) {
        const auto *ke = static_cast<QKeyEvent *>(event);
        if (ke->key() == Qt::Key_F2 && !ke->isAutoRepeat())
            m_timing->keyArriving();
        return false;
    }
    if (event->type() != QEvent::KeyPress)
        return false;
    auto *w = qobject_cast<QWidget *>(watched);
    if (!w)
        return false;
    auto *ke = static_cast<QKeyEvent *>(event);
    const int key = ke->key();
    if (w->window() != this) {
        // While a race runs every F2 is a reading, whichever window of the
        // program has the keyboard: an open drop-down or menu, or the finish
        // or restart question. It is taken here and goes no further, so it
        // is counted once and the other window goes on as before.
        const RaceState st = m_state.rec.raceState;
        if (key == Qt::Key_F2 && !m_state.rec.ravelinMode
            && (st == RaceState::Armed || st == RaceState::Running)) {
            m_timing->pressFromOtherWindow();
            return true;
        }
        return false;
    }
    if (key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Alt || key == Qt::Key_Meta)
        return false;
    const int vk = virtualKeyFromQt(key);
    if (m_state.rec.ravelinMode)
        return handleKeyDown(vk);
    // Arrow keys on the selector buttons and lists, and in the entry fields,
    // are routed by the entry fields; everything else by the window first.
    if (vk >= 37 && vk <= 40 && m_fields->handlesArrowFor(w))
        return m_fields->fieldKeyDown(w, vk);
    if (handleKeyDown(vk))
        return true;
    // Enter in a field moves on like Tab and is not passed on.
    if (vk == 13 && w != ui.timingFocusHolder) {
        focusNextChild();
        return true;
    }
    if (vk >= 37 && vk <= 40)
        return true; // consumed by the condition selectors
    return false;
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
    m_timing->setClocksOnScreen(isVisible() && !isMinimized() && m_exposed);
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
    m_state.exitCancelled = false;
    const bool ok = (m_hooks ? *m_hooks : defaultHooks()).exitCommand();
    if (!ok || m_state.exitCancelled) {
        e->ignore();
        return;
    }
    restoreCursor();
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
    if (m_state.rec.raceState == RaceState::Finished)
        drawGraph();
}

} // namespace sw
