#pragma once
// What the main window offers the subsystems that work on it (timing,
// results, editing, files, graph, printing): its controls, the program
// state, the prompts and timer, and the routines they call on each other.
// The window itself (app/MainWindow) implements it; the subsystems include
// only this header, so every include points down to the ground they share.

#include "ui/MainWindowControls.h"

#include <QMainWindow>

#include <functional>

namespace sw {

struct AppState;
class Prompts;
class HiTime;
class TimingController;
class EntryFields;
class LapEditor;
class MainWindowHooks;

// Whether the segment step also recomputes the statistics and redraws the
// graph once the race is finished.
enum class GraphUpdate { StatsAndGraph, RowOnly };

// What eraseLapTimes empties.
enum class RecordErase { RecordAndGrid, GridOnly };

class MainWindowBase : public QMainWindow
{
    Q_OBJECT
public:
    MainWindowBase(AppState &state, Prompts &prompts, HiTime &hiTime, QWidget *parent)
        : QMainWindow(parent), m_state(state), m_prompts(prompts), m_hiTime(hiTime)
    {
    }

    MainWindowControls ui;

    AppState &state() { return m_state; }
    Prompts &prompts() { return m_prompts; }
    HiTime &hiTime() { return m_hiTime; }

    // Routines shared by the subsystems.
    virtual void handleTimingKey(int keyCode) = 0;
    virtual void writeSegmentStep(GraphUpdate graph) = 0;
    virtual void redrawClocks() = 0;
    virtual void eraseLapTimes(RecordErase erase) = 0;
    virtual void refreshResults() = 0;
    virtual void showScreenMode() = 0;
    virtual void onGridClicked() = 0;
    virtual void drawGraph() = 0;
    virtual void moveConditionSelector(int keyCode) = 0;
    virtual void rebuildCaption() = 0;
    // Moves the focus to the next (or previous) field in tab order.
    void moveFocus(bool next) { focusNextPrevChild(next); }

    virtual TimingController &timing() = 0;
    virtual EntryFields &entryFields() = 0;
    virtual LapEditor &editor() = 0;

    // Later subsystems plug in here (file commands, exchange); all calls are
    // optional.
    void setHooks(MainWindowHooks *hooks) { m_hooks = hooks; }
    MainWindowHooks *hooks() const { return m_hooks; }

    // How the program ends (tests replace it).
    std::function<void()> endProgram;

protected:
    AppState &m_state;
    Prompts &m_prompts;
    HiTime &m_hiTime;
    MainWindowHooks *m_hooks = nullptr;
};

// Places for the subsystems that come on top of timing: each has a default
// that does nothing.
class MainWindowHooks
{
public:
    virtual ~MainWindowHooks() = default;
    // Last step of the activation handler (the exchange-file load).
    virtual void afterActivate() {}
    // Exit command; returns false when the user cancelled.
    virtual bool exitCommand() { return true; }
    // Caption name of CurrentFile.
    virtual QString makeFileTitle(const QString &currentFile);
};

} // namespace sw
