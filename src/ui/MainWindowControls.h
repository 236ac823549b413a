#pragma once
// Every control of the main window, in the arrays and under the names the
// rest of the program uses (segmentClock is the segment clock, segmentFields[1] the
// Seg 1 field, flagList the flag list ...). Built and placed once, in
// twips, by build().

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>

#include <array>

class QMainWindow;

namespace sw {

class ClickPanel;

// Entry fields of the "Current Lap" frame by number: the lap list, the four
// segment fields (numbered by segment), the three condition lists, and the
// graph's quantity list. The numbers index the caption panels and the
// field tables of the entry-field code.
enum EntryField : int {
    LapField = 0,
    FirstSegmentField = 1, // segment n is field n, 1..4
    LastSegmentField = 4,
    FlagField = 5,
    PositionField = 6,
    TrafficField = 7,
    GraphQuantityField = 10,
};

// The six arrow buttons beside the condition displays, in their tab order.
enum ArrowButton : int { PositionUp, PositionDown, TrafficUp, TrafficDown, FlagUp, FlagDown };

struct MainWindowControls
{
    QWidget *client = nullptr;

    // "Current Lap" frame.
    QGroupBox *currentLapFrame = nullptr;
    std::array<ClickPanel *, 8> fieldCaptions{};    // by EntryField 0..7 ("Lap #", "Seg 1" ...)
    std::array<QLineEdit *, 5> segmentFields{};     // by segment number 1..4; [0] unused
    QComboBox *lapList = nullptr;
    QComboBox *flagList = nullptr;
    QComboBox *positionList = nullptr;
    QComboBox *trafficList = nullptr;
    QPushButton *insertButton = nullptr;
    QPushButton *deleteButton = nullptr;
    QPushButton *startRestartButton = nullptr; // "Start / Restart F12"
    QPushButton *finishKeepButton = nullptr;   // "Finish F11" while timing, "Keep Changes" after
    QPushButton *cancelChangesButton = nullptr;
    std::array<QRadioButton *, 3> graphColourOptions{}; // colour the graph by 0 flag, 1 position, 2 traffic

    // The list of an entry field (lap, flag, position, traffic, graph
    // quantity); null for a segment field or an unknown number.
    QComboBox *listField(int field) const;
    // The five buttons of the frame, left to right.
    std::array<QPushButton *, 5> currentLapButtons() const
    {
        return {insertButton, deleteButton, startRestartButton, finishKeepButton, cancelChangesButton};
    }

    // Clocks, current lap and segment, and the large condition displays of
    // the timing face, each with its caption.
    QLabel *segmentClock = nullptr, *lapClock = nullptr, *raceClock = nullptr; // ClockDisplay
    QLabel *segmentClockCaption = nullptr, *lapClockCaption = nullptr, *raceClockCaption = nullptr;
    QLabel *currentLapLabel = nullptr, *currentSegLabel = nullptr;
    QLabel *currentLapCaption = nullptr, *currentSegCaption = nullptr;
    QLabel *flagDisplay = nullptr, *positionDisplay = nullptr, *trafficDisplay = nullptr;
    QLabel *flagCaption = nullptr, *positionCaption = nullptr, *trafficCaption = nullptr;
    // The labels drawn in the flag's colour (Green or Yellow).
    std::array<QLabel *, 5> flagColouredLabels() const
    {
        return {currentLapLabel, currentSegLabel, flagDisplay, positionDisplay, trafficDisplay};
    }
    // Captions of the three conditions in the order Left/Right picks them.
    std::array<QLabel *, 3> conditionCaptions() const { return {flagCaption, positionCaption, trafficCaption}; }
    std::array<QPushButton *, 6> arrowButtons{};        // by ArrowButton
    std::array<QPushButton *, 2> hiddenFinishButtons{}; // F11 shortcuts, out of sight
    QLabel *hintLine = nullptr;
    // The live figures of the timing face, captions above their values.
    enum LiveFigure { LastLapFigure, BestLapFigure, DeltaFigure, PredictedLapFigure, BestPossibleLapFigure };
    std::array<QLabel *, 5> liveFigureCaptions{};
    std::array<QLabel *, 5> liveFigureValues{};

    // Status line and the help line (the latter in the " Help " frame, which
    // stands beyond the right edge of the window as designed).
    QLabel *statusLine = nullptr;
    QGroupBox *helpFrame = nullptr;
    QLabel *helpLine = nullptr;

    // "All Recorded Times" frame: grid and statistics table.
    QGroupBox *recordedTimesFrame = nullptr;
    QTableView *resultsView = nullptr;
    std::array<QLabel *, 8> statHeadings{};     // Avg, Min, Max, then Seg 1..4, Lap
    std::array<QLabel *, 15> statValueLabels{}; // (column - 1) * 3 + row; row 0 avg, 1 min, 2 max
    // Beside the statistics (editing face): which laps they count, and the
    // best possible lap. The list's items come from its controller.
    QLabel *countLapsCaption = nullptr;
    QComboBox *countLapsList = nullptr;
    QLabel *bestLapLabel = nullptr;

    // Graph area (editing face).
    QLabel *graphCaption = nullptr;            // "Graph This Segment"
    QComboBox *graphQuantityList = nullptr;
    QWidget *graphArea = nullptr; // replaced by the graph view when it is built
    QLabel *graphLeftScale = nullptr, *graphRightScale = nullptr;
    // Receives the captured window before a screen print; kept out of sight.
    QLabel *screenPrintPicture = nullptr;

    // Hidden field that holds the keyboard focus while a race is timed.
    QLineEdit *timingFocusHolder = nullptr;

    // Menus.
    QMenu *fileMenu = nullptr;
    QAction *newAction = nullptr, *openAction = nullptr, *saveAction = nullptr, *saveAsAction = nullptr;
    QAction *exportCsvAction = nullptr;
    QAction *printReportAction = nullptr, *printWorksheetAction = nullptr, *printScreenAction = nullptr,
            *printSetupAction = nullptr;
    QMenu *recentFilesMenu = nullptr; // "Recent Lap Times", filled by the file commands
    QAction *exitAction = nullptr;
    QMenu *editMenu = nullptr; // Undo and Redo, given by the race's history
    QAction *commentsAction = nullptr;
    QMenu *optionsMenu = nullptr;
    QAction *numberOfSegmentsAction = nullptr;
    QAction *shareLiveTimingAction = nullptr;
    QMenu *viewMenu = nullptr;
    QAction *zoomInAction = nullptr, *zoomOutAction = nullptr, *actualSizeAction = nullptr;
    QAction *raceAnalysisAction = nullptr;
    QAction *pitBoardAction = nullptr; // View > "Pit Board", checked while the board is open
    QAction *returnToRavelinAction = nullptr;
    QMenu *helpMenu = nullptr;
    QAction *programHelpAction = nullptr, *aboutAction = nullptr;

    void build(QMainWindow *w);
    // Row heights of the results grid at the current screen scale (column
    // widths follow the grid model).
    void applyGridRowSizes();
};

// Designed geometry (twips).
namespace design {
constexpr int kClientWidth = 10170;
constexpr int kFrame2Left = 120, kFrame2Top = 1960, kFrame2Width = 7695, kFrame2Height = 4575;
constexpr int kGridLeft = 120, kGridTop = 240, kGridWidth = 7455;
// Title bar and borders of the outer window, not part of the client area.
constexpr int kWindowChromeTwips = 405;
} // namespace design

} // namespace sw
