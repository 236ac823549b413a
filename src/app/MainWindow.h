#pragma once
// The main window (timing screen and, after the race, editing screen). It
// builds its controls, owns one collaborator per subsystem and forwards the
// window's own events; the named routines below are the ones the subsystems
// call on each other.

#include "ui/MainWindowBase.h"

#include <memory>

namespace sw {

class SelectorController;
class GridController;
class ScreenModes;
class GraphView;
class PrintHelpMenus;
class WindowZoom;

class MainWindow : public MainWindowBase
{
    Q_OBJECT
public:
    MainWindow(AppState &state, Prompts &prompts, HiTime &hiTime, QWidget *parent = nullptr);
    ~MainWindow() override;

    // Routines shared by the subsystems.
    void handleTimingKey(int keyCode) override;
    void writeSegmentStep(GraphUpdate graph) override;
    void redrawClocks() override;
    void eraseLapTimes(RecordErase erase) override;
    void refreshResults() override;
    void showScreenMode() override;
    void onGridClicked() override;
    void drawGraph() override;
    void moveConditionSelector(int keyCode) override;
    void rebuildCaption() override;
    void restoreCursor();

    // Window events, callable directly by tests.
    void loadWindow();
    void onActivated();
    bool handleKeyDown(int keyCode); // true when the key is consumed

    // Outer window height as designed (twips), client plus title bar.
    int windowHeightTwips() const;

    TimingController &timing() override { return *m_timing; }
    EntryFields &entryFields() override { return *m_fields; }
    LapEditor &editor() override { return *m_editor; }
    GridController &gridController() { return *m_grid; }
    SelectorController &selectors() { return *m_selectors; }
    GraphView &graph() { return *m_graph; }
    PrintHelpMenus &printHelp() { return *m_printHelp; }
    WindowZoom &zoom() { return *m_zoom; }
    // Redraws what is drawn to the window's size (the graph) after a zoom.
    void redrawAfterZoom();

    // The key code the timing keys use (F2 113 ... F12 123, the arrows 37..40,
    // Enter 13) for a Qt key; 0 for any other key.
    static int virtualKeyFromQt(int qtKey);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *e) override;
    void showEvent(QShowEvent *e) override;
    void hideEvent(QHideEvent *e) override;
    void closeEvent(QCloseEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    void moveEvent(QMoveEvent *e) override;

private:
    void wireControls();
    // Tells the clocks whether they can be seen: shown, not minimised and
    // exposed (not unmapped, e.g. on another desktop).
    void updateClocksOnScreen();

    std::unique_ptr<TimingController> m_timing;
    std::unique_ptr<SelectorController> m_selectors;
    std::unique_ptr<GridController> m_grid;
    std::unique_ptr<ScreenModes> m_modes;
    std::unique_ptr<EntryFields> m_fields;
    std::unique_ptr<LapEditor> m_editor;
    GraphView *m_graph = nullptr;
    std::unique_ptr<PrintHelpMenus> m_printHelp;
    WindowZoom *m_zoom = nullptr;
    bool m_loaded = false;
    QObject *m_exposureWatch = nullptr; // on windowHandle(): Expose reaches no widget
    bool m_exposed = true;
};

} // namespace sw
