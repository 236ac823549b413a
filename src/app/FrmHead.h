#pragma once
// The main window (timing screen and, after the race, editing screen). It
// builds its controls, owns one collaborator per subsystem and forwards the
// window's own events; the named routines below are the ones the subsystems
// call on each other.

#include "app/FrmHeadControls.h"

#include <QMainWindow>

#include <functional>
#include <memory>

namespace sw {

struct AppState;
class Prompts;
class HiTime;
class TimingController;
class SelectorController;
class GridController;
class ScreenModes;
class EntryFields;
class LapEditor;
class GraphView;
class PrintHelpMenus;
class MainWindowHooks;

class FrmHead : public QMainWindow
{
    Q_OBJECT
public:
    FrmHead(AppState &state, Prompts &prompts, HiTime &hiTime1, QWidget *parent = nullptr);
    ~FrmHead() override;

    FrmHeadControls ui;

    // Routines shared by the subsystems.
    void UpdateKeys(int keyCode);
    void UpdateTimer(int DontUpdateGraph);
    void UpdateClocks();
    void EraseLapTimes(int Flag);
    void RefreshForm();
    void SetScreenMode();
    void gridClick();
    void Grph();
    void UpdateCurrentArrowKeyPosition(int keyCode);
    void ResetMousePointer();
    // Moves the focus to the next (or previous) field in tab order.
    void moveFocus(bool next) { focusNextPrevChild(next); }

    // Window events, callable directly by tests.
    void Form_Load();
    void Form_Activate();
    bool Form_KeyDown(int keyCode); // true when the key is consumed

    // Rebuilds the caption from CurrentFile.
    void rebuildCaption();
    // Outer window height as designed (twips), client plus title bar.
    int windowHeightTwips() const;

    AppState &state() { return m_state; }
    Prompts &prompts() { return m_prompts; }
    HiTime &hiTime1() { return m_hiTime; }
    TimingController &timing() { return *m_timing; }
    GridController &gridController() { return *m_grid; }
    EntryFields &entryFields() { return *m_fields; }
    SelectorController &selectors() { return *m_selectors; }
    LapEditor &editor() { return *m_editor; }
    GraphView &graph() { return *m_graph; }
    PrintHelpMenus &printHelp() { return *m_printHelp; }

    // Later subsystems plug in here (file commands, exchange, editing, graph,
    // printing, help); all calls are optional.
    void setHooks(MainWindowHooks *hooks) { m_hooks = hooks; }
    MainWindowHooks *hooks() const { return m_hooks; }

    // How the program ends (tests replace it).
    std::function<void()> endProgram;

    // Non-zero while a race is being timed: used by key routing.
    static int virtualKeyFromQt(int qtKey);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *e) override;
    void closeEvent(QCloseEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;

private:
    void wireControls();

    AppState &m_state;
    Prompts &m_prompts;
    HiTime &m_hiTime;
    std::unique_ptr<TimingController> m_timing;
    std::unique_ptr<SelectorController> m_selectors;
    std::unique_ptr<GridController> m_grid;
    std::unique_ptr<ScreenModes> m_modes;
    std::unique_ptr<EntryFields> m_fields;
    std::unique_ptr<LapEditor> m_editor;
    GraphView *m_graph = nullptr;
    std::unique_ptr<PrintHelpMenus> m_printHelp;
    MainWindowHooks *m_hooks = nullptr;
    bool m_loaded = false;
};

// Places for the subsystems that come on top of timing: each has a default
// that does nothing.
class MainWindowHooks
{
public:
    virtual ~MainWindowHooks() = default;
    // Last step of the activation handler (the exchange-file load).
    virtual void afterActivate() {}
    // Exit command; returns false when the user cancelled (exitCancelled = true).
    virtual bool exitCommand() { return true; }
    // Caption name of CurrentFile.
    virtual QString makeFileTitle(const QString &currentFile);
};

} // namespace sw
