#include "app/FrmHead.h"

#include "state/AppState.h"
#include "app/PrintHelpMenus.h"
#include "results/EntryFields.h"
#include "graph/GraphView.h"
#include "results/GridController.h"
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

FrmHead::FrmHead(AppState &state, Prompts &prompts, HiTime &hiTime1, QWidget *parent)
    : QMainWindow(parent), m_state(state), m_prompts(prompts), m_hiTime(hiTime1)
{
    setObjectName(QStringLiteral("frmHead"));
    setWindowTitle(QStringLiteral("Splitwatch"));
    ui.build(this, &state.grid);
    m_timing = std::make_unique<TimingController>(*this);
    m_selectors = std::make_unique<SelectorController>(*this);
    m_grid = std::make_unique<GridController>(*this);
    m_modes = std::make_unique<ScreenModes>(*this);
    m_fields = std::make_unique<EntryFields>(*this);
    m_editor = std::make_unique<LapEditor>(*this);

    // The graph takes the place of the designed picture area.
    m_graph = new GraphView(state.grid, state.rec, ui.client);
    m_graph->setGeometry(ui.Picture1->geometry());
    m_graph->setObjectName(QStringLiteral("Picture1"));
    m_graph->setAccessibleName(QStringLiteral("Lap time graph"));
    delete ui.Picture1;
    ui.Picture1 = m_graph;
    m_graph->bindControls(ui.cmbSpecData[10], {ui.Option1[0], ui.Option1[1], ui.Option1[2]},
                          ui.Label8[0], ui.Label8[1]);
    endProgram = [this] {
        hide();
        QCoreApplication::exit(0);
    };
    m_printHelp = std::make_unique<PrintHelpMenus>(*this);
    wireControls();
    qApp->installEventFilter(this);
    setFixedWidth(tw(design::kClientWidth));
}

FrmHead::~FrmHead()
{
    qApp->removeEventFilter(this);
}

void FrmHead::wireControls()
{
    connect(&m_hiTime, &HiTime::Timer, this, [this](int overrun) { m_timing->HiTime1_Timer(overrun); });
    for (int i = 0; i < 6; ++i)
        connect(ui.Command1[i], &QPushButton::clicked, this, [this, i] { m_selectors->Command1_Click(i); });
    for (int i = 0; i < 2; ++i)
        connect(ui.Command2[i], &QPushButton::clicked, this, [this] { UpdateKeys(122); });
    for (QRadioButton *o : ui.Option1)
        connect(o, &QRadioButton::clicked, this, [this] { Grph(); });
    // A click in the graph selects that lap for editing, as a click on its
    // grid row does, so the fields never show another lap than the one lit.
    connect(m_graph, &GraphView::lapClicked, this, [this](int row) {
        if (row >= 1)
            m_grid->clickRow(row);
    });
}

// ---- routines -------------------------------------------------------------

void FrmHead::UpdateKeys(int keyCode) { m_timing->UpdateKeys(keyCode); }
void FrmHead::UpdateTimer(int DontUpdateGraph) { m_timing->UpdateTimer(DontUpdateGraph); }
void FrmHead::UpdateClocks() { m_timing->UpdateClocks(); }
void FrmHead::EraseLapTimes(int Flag) { m_timing->EraseLapTimes(Flag); }
void FrmHead::RefreshForm() { m_grid->RefreshForm(); }
void FrmHead::SetScreenMode() { m_modes->SetScreenMode(); }
void FrmHead::gridClick() { m_grid->Grid1_Click(); }
void FrmHead::UpdateCurrentArrowKeyPosition(int keyCode) { m_selectors->UpdateCurrentArrowKeyPosition(keyCode); }

void FrmHead::Grph()
{
    m_graph->Grph();
}

void FrmHead::ResetMousePointer()
{
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
}

void FrmHead::rebuildCaption()
{
    m_state.FileTitle = (m_hooks ? *m_hooks : defaultHooks()).makeFileTitle(m_state.CurrentFile);
    setWindowTitle(QStringLiteral("Splitwatch   [ ") + m_state.FileTitle + QStringLiteral(" ]"));
}

int FrmHead::windowHeightTwips() const
{
    return twipsFromPixels(height()) + design::kWindowChromeTwips;
}

// ---- window events -----------------------------------------------------------

void FrmHead::Form_Load()
{
    if (m_loaded)
        return;
    m_loaded = true;
    // The hidden F11 buttons and Picture5 stay out of sight (placed by build()).
    m_state.rec.MinKeyGap = 1;
    // The lap-time folder below the program folder; a failure to create it
    // is not fatal (files can still be saved anywhere through the dialogs).
    QDir folder(m_state.programFolder);
    if (!m_state.programFolder.isEmpty() && !folder.exists(QStringLiteral("LapTimeFiles")))
        folder.mkdir(QStringLiteral("LapTimeFiles"));
    RefreshForm();
    SetScreenMode();
}

void FrmHead::Form_Activate()
{
    placeTw(ui.Text2, -700, 0, 300, 300);
    m_fields->refillOnActivate();
    rebuildCaption();
    (m_hooks ? *m_hooks : defaultHooks()).afterActivate();
}

int FrmHead::virtualKeyFromQt(int qtKey)
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

bool FrmHead::Form_KeyDown(int keyCode)
{
    if (m_state.rec.ravelinMode) {
        m_prompts.info(QStringLiteral("Timing not allowed when called by Ravelin."));
        return true;
    }
    if (m_state.rec.raceState != RaceState::Finished)
        UpdateKeys(keyCode);
    // Function keys belong to the timing keys only (F4 would open a list).
    return keyCode >= 112 && keyCode <= 123;
}

bool FrmHead::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    auto *w = qobject_cast<QWidget *>(watched);
    if (!w || w->window() != this)
        return false;
    auto *ke = static_cast<QKeyEvent *>(event);
    const int key = ke->key();
    if (key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Alt || key == Qt::Key_Meta)
        return false;
    const int vk = virtualKeyFromQt(key);
    if (m_state.rec.ravelinMode)
        return Form_KeyDown(vk);
    // Arrow keys on the selector buttons and lists, and in the entry fields,
    // are routed by the entry fields; everything else by the window first.
    if (vk >= 37 && vk <= 40 && m_fields->handlesArrowFor(w))
        return m_fields->fieldKeyDown(w, vk);
    if (Form_KeyDown(vk))
        return true;
    // Enter in a field moves on like Tab and is not passed on.
    if (vk == 13 && w != ui.Text2) {
        focusNextChild();
        return true;
    }
    if (vk >= 37 && vk <= 40)
        return true; // consumed by the condition selectors
    return false;
}

void FrmHead::changeEvent(QEvent *e)
{
    QMainWindow::changeEvent(e);
    if (e->type() == QEvent::ActivationChange) {
        if (isActiveWindow())
            Form_Activate();
        else
            ResetMousePointer();
    }
}

void FrmHead::closeEvent(QCloseEvent *e)
{
    m_state.exitCancelled = false;
    const bool ok = (m_hooks ? *m_hooks : defaultHooks()).exitCommand();
    if (!ok || m_state.exitCancelled) {
        e->ignore();
        return;
    }
    ResetMousePointer();
    e->accept();
}

void FrmHead::resizeEvent(QResizeEvent *e)
{
    QMainWindow::resizeEvent(e);
    if (m_state.rec.raceState == RaceState::Finished)
        Grph();
}

} // namespace sw
