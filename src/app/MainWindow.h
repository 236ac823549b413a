#pragma once
// The main window (timing face and, after the race, editing face). It builds
// its controls, creates one panel for each part of the window, each of which
// listens to the race and calls its verbs, and wires the keys and menus to
// them. It holds no race state of its own.

#include "ui/MainWindowControls.h"

#include <QMainWindow>

class QSettings;

#include <functional>
#include <memory>

namespace sw {

class Race;
struct FileState;
class Prompts;
class HiTime;
struct TimerCalibration;
class RaceJournal;
class TimingKeys;
class ClockPanel;
class ConditionPanel;
class CurrentLapPanel;
class EditCommands;
class ResultsPanel;
class GraphView;
class GraphPanel;
class ScreenFace;
class FileCommands;
class PrintHelpMenus;
class WindowZoom;
class RaceAnalysisLink;
class LiveFigures;
class LiveFigurePanel;
class PitBoard;
class LiveSharing;
class ShareDialog;
class RaceHistory;

class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    MainWindow(Race &race, FileState &files, Prompts &prompts, HiTime &timer, const TimerCalibration &calibration,
               QWidget *parent = nullptr);
    ~MainWindow() override;

    MainWindowControls ui;

    Race &race() { return m_race; }
    Prompts &prompts() { return m_prompts; }
    TimingKeys &timingKeys() { return *m_timingKeys; }
    ClockPanel &clocks() { return *m_clocks; }
    ConditionPanel &conditions() { return *m_conditions; }
    CurrentLapPanel &fields() { return *m_fields; }
    EditCommands &editor() { return *m_editor; }
    ResultsPanel &results() { return *m_results; }
    GraphView &graph() { return *m_graph; }
    FileCommands &fileCommands() { return *m_files; }
    PrintHelpMenus &printHelp() { return *m_printHelp; }
    WindowZoom &zoom() { return *m_zoom; }
    RaceAnalysisLink &analysis() { return *m_analysis; }
    LiveFigures &liveFigures() { return *m_liveFigures; }
    RaceHistory &history() { return *m_history; }
    // View > "Pit Board": opens the board, or closes it when open.
    void togglePitBoard();
    PitBoard *pitBoard() const { return m_pitBoard; } // null until first opened
    // Where the board remembers its screen (the real program only).
    void rememberPitBoardScreen(std::unique_ptr<QSettings> settings);
    LiveSharing &sharing() { return *m_sharing; }
    // Options > "Share Live Timing…" (made the first time it is opened).
    ShareDialog &shareDialog();

    // The crash journal of the run, if any: its failures are noted on the
    // status line.
    void setJournal(RaceJournal *journal) { m_journal = journal; }

    // Window events, callable directly by tests.
    void loadWindow();
    void onActivated();
    // A key on the main window (Qt::Key); true when the key is consumed.
    bool handleKeyDown(int key);

    // Outer window height as designed (twips), client plus title bar.
    int windowHeightTwips() const;
    // Redraws what is drawn to the window's size (the graph) and sets the
    // grid's column widths again after a zoom.
    void redrawAfterZoom();
    void restoreCursor();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *e) override;
    void showEvent(QShowEvent *e) override;
    void hideEvent(QHideEvent *e) override;
    void closeEvent(QCloseEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    void moveEvent(QMoveEvent *e) override;

private:
    void wirePanels();
    // Tells the clocks whether they can be seen: shown, not minimised and
    // exposed (not unmapped, e.g. on another desktop).
    void updateClocksOnScreen();
    void showJournalFailure();
    void focusTimingField();
    void buildEditMenu();
    // The file's caption, with a note while the race is shared.
    void showCaption();
    // The note below the controls that the race is shared, and where.
    void showSharingNote();

    Race &m_race;
    FileState &m_fileState;
    Prompts &m_prompts;
    HiTime &m_timer;
    RaceJournal *m_journal = nullptr;
    ConditionPanel *m_conditions = nullptr;
    TimingKeys *m_timingKeys = nullptr;
    ClockPanel *m_clocks = nullptr;
    CurrentLapPanel *m_fields = nullptr;
    EditCommands *m_editor = nullptr;
    ResultsPanel *m_results = nullptr;
    GraphView *m_graph = nullptr;
    GraphPanel *m_graphPanel = nullptr;
    ScreenFace *m_face = nullptr;
    FileCommands *m_files = nullptr;
    std::unique_ptr<PrintHelpMenus> m_printHelp;
    WindowZoom *m_zoom = nullptr;
    RaceAnalysisLink *m_analysis = nullptr;
    LiveFigures *m_liveFigures = nullptr;
    LiveFigurePanel *m_liveFigurePanel = nullptr;
    PitBoard *m_pitBoard = nullptr;
    std::unique_ptr<QSettings> m_pitBoardSettings;
    LiveSharing *m_sharing = nullptr;
    RaceHistory *m_history = nullptr;
    ShareDialog *m_shareDialog = nullptr;
    QString m_caption;
    QLabel *m_sharingNote = nullptr;
    bool m_loaded = false;
    QObject *m_exposureWatch = nullptr; // on windowHandle(): Expose reaches no widget
    bool m_exposed = true;
};

} // namespace sw
