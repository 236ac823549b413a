#pragma once
// Every control of the main window, in the arrays and under the names the
// rest of the program uses (Label1[5] is the segment clock, SpecData[1] the
// Seg 1 field, cmbSpecData[5] the flag list ...). Built and placed once, in
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
class ResultsGrid;

struct FrmHeadControls
{
    QWidget *client = nullptr;

    // "Current Lap" frame.
    QGroupBox *SSFrame1 = nullptr;
    std::array<ClickPanel *, 8> SpecName{};  // 0..7 name panels
    std::array<QLineEdit *, 5> SpecData{};   // 1..4 segment fields
    std::array<QComboBox *, 11> cmbSpecData{}; // 0 lap, 5 flag, 6 position, 7 traffic, 10 graph quantity
    std::array<QPushButton *, 5> Command3{}; // Insert, Delete, Start / Restart F12, Finish F11, Cancel Changes
    std::array<QRadioButton *, 3> Option1{}; // graph colouring: flag, position, traffic

    // Clocks, current lap/segment and conditions.
    std::array<QLabel *, 8> Label1{};  // 0 lap, 1 seg, 2 position, 3 traffic, 4 flag, 5..7 clocks
    std::array<QLabel *, 23> Label4{}; // captions; 22 "Graph This Segment"
    std::array<QPushButton *, 6> Command1{}; // arrow buttons
    std::array<QPushButton *, 2> Command2{}; // hidden F11 shortcuts
    QLabel *hintLine = nullptr;

    // Status line and the help line (the latter in the " Help " frame, which
    // stands beyond the right edge of the window as designed).
    QLabel *Label6 = nullptr;
    QGroupBox *helpFrame = nullptr;
    QLabel *Label2 = nullptr;

    // "All Recorded Times" frame: grid and statistics table.
    QGroupBox *SSFrame2 = nullptr;
    QTableView *Grid1 = nullptr;
    std::array<QLabel *, 8> Label5{};  // Avg, Min, Max, Seg 1..4, Lap
    std::array<QLabel *, 15> Label3{}; // statistics values

    // Graph area (editing face).
    QWidget *Picture1 = nullptr; // replaced by the graph view when it is built
    std::array<QLabel *, 2> Label8{};
    QLabel *Picture5 = nullptr;

    // Hidden field that holds the focus during timing.
    QLineEdit *Text2 = nullptr;

    // Menus.
    QMenu *mnuFile = nullptr;
    QAction *mnuNew = nullptr, *mnuOpen = nullptr, *mnuSave = nullptr, *mnuSaveAs = nullptr;
    QAction *mnuPrint = nullptr, *mnuPrintWorksheet = nullptr, *mnuPrintMain = nullptr,
            *mnuPrintSetup = nullptr;
    QAction *mnuExit = nullptr;
    QAction *mnuComments = nullptr;
    QMenu *mnuOptions = nullptr;
    QAction *mnuNumSeg = nullptr;
    QAction *mnuReturnToRavelin = nullptr;
    QMenu *mnuHelp = nullptr;
    QAction *mnuHelpHelp = nullptr, *mnuAbout = nullptr;

    void build(QMainWindow *w, ResultsGrid *grid);
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
