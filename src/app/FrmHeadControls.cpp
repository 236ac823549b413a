#include "app/FrmHeadControls.h"

#include "state/ResultsGrid.h"
#include "ui/ClickPanel.h"
#include "ui/Geometry.h"

#include <QHeaderView>
#include <QMainWindow>
#include <QMenuBar>

namespace sw {

namespace {

void setPointSize(QWidget *w, int pt, bool bold)
{
    QFont f = w->font();
    f.setPointSize(pt);
    f.setBold(bold);
    w->setFont(f);
}

} // namespace

void FrmHeadControls::build(QMainWindow *w, ResultsGrid *grid)
{
    // The window was designed around an 8-point sans-serif face; the twips
    // positions only fit that size.
    QFont base = w->font();
    base.setPointSize(8);
    w->setFont(base);
    client = new QWidget(w);
    client->setObjectName(QStringLiteral("frmHeadClient"));
    w->setCentralWidget(client);

    // ---- "Current Lap" frame -------------------------------------------
    SSFrame1 = new QGroupBox(QStringLiteral("Current Lap"), client);
    placeTw(SSFrame1, 120, 0, 7695, 1480);

    struct FieldDef { const char *caption; int left, width; };
    const FieldDef fields[8] = {{"Lap #", 120, 855},   {"Seg 1", 1080, 615}, {"Seg 2", 1800, 615},
                                {"Seg 3", 2520, 615},  {"Seg 4", 3240, 615}, {"Flag", 3960, 855},
                                {"Position", 4920, 735}, {"Traffic", 5760, 1815}};
    for (int i = 0; i < 8; ++i) {
        SpecName[i] = new ClickPanel(QString::fromLatin1(fields[i].caption), SSFrame1);
        placeTw(SpecName[i], fields[i].left, 360, fields[i].width, 315);
        SpecName[i]->setObjectName(QStringLiteral("SpecName%1").arg(i));
        if (i >= 1 && i <= 4) {
            SpecData[i] = new QLineEdit(SSFrame1);
            placeTw(SpecData[i], fields[i].left, 720, fields[i].width, 330);
            SpecData[i]->setObjectName(QStringLiteral("SpecData%1").arg(i));
            // Narrow fields: a time like 123.456 must fit without scrolling.
            SpecData[i]->setStyleSheet(QStringLiteral("QLineEdit { padding: 0px 1px; }"));
            SpecData[i]->setAccessibleName(QStringLiteral("Segment %1 time").arg(i));
        } else {
            cmbSpecData[i] = new QComboBox(SSFrame1);
            placeTw(cmbSpecData[i], fields[i].left, 720, fields[i].width, 330);
            cmbSpecData[i]->setObjectName(QStringLiteral("cmbSpecData%1").arg(i));
            cmbSpecData[i]->setMaxVisibleItems(12);
        }
    }
    cmbSpecData[0]->setAccessibleName(QStringLiteral("Lap number"));
    cmbSpecData[5]->setAccessibleName(QStringLiteral("Flag"));
    cmbSpecData[6]->setAccessibleName(QStringLiteral("Position"));
    cmbSpecData[7]->setAccessibleName(QStringLiteral("Traffic"));
    // Each caption labels its field for screen readers: on Linux a list is
    // announced by its label, its own name being the item it shows.
    for (int i = 0; i < 8; ++i)
        SpecName[i]->setBuddy(i >= 1 && i <= 4 ? static_cast<QWidget *>(SpecData[i]) : cmbSpecData[i]);

    // Graph colouring options, one above each condition field.
    const int optLeft[3] = {3960, 4920, 5760};
    for (int i = 0; i < 3; ++i) {
        Option1[i] = new QRadioButton(QStringLiteral("Graph"), SSFrame1);
        placeTw(Option1[i], optLeft[i], 150, 855, 210);
        Option1[i]->setObjectName(QStringLiteral("Option1_%1").arg(i));
        Option1[i]->setFocusPolicy(Qt::NoFocus);
    }
    Option1[0]->setAccessibleName(QStringLiteral("Colour the graph by flag"));
    Option1[1]->setAccessibleName(QStringLiteral("Colour the graph by position"));
    Option1[2]->setAccessibleName(QStringLiteral("Colour the graph by traffic"));

    const char *cmd3[5] = {"Insert", "Delete", "Start / Restart F12", "Finish F11", "Cancel Changes"};
    for (int i = 0; i < 5; ++i) {
        Command3[i] = new QPushButton(QString::fromLatin1(cmd3[i]), SSFrame1);
        placeTw(Command3[i], 120 + i * 1500, 1095, 1440, 315);
        Command3[i]->setObjectName(QStringLiteral("Command3_%1").arg(i));
    }

    // ---- status line ---------------------------------------------------
    Label6 = labelTw(client, QStringLiteral("Status"), 240, 1500, 7455, 450);
    Label6->setWordWrap(true);
    Label6->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setPointSize(Label6, 8, false);
    Label6->setObjectName(QStringLiteral("Label6"));
    Label6->setAccessibleName(QStringLiteral("Status"));

    helpFrame = new QGroupBox(QStringLiteral(" Help "), client);
    placeTw(helpFrame, 10800, 0, 2000, 1200);
    Label2 = labelTw(helpFrame, QString(), 60, 240, 1880, 900);
    Label2->setWordWrap(true);

    // ---- "All Recorded Times" frame --------------------------------------
    SSFrame2 = new QGroupBox(QStringLiteral("All Recorded Times"), client);
    placeTw(SSFrame2, design::kFrame2Left, design::kFrame2Top, design::kFrame2Width,
            design::kFrame2Height);
    Grid1 = new QTableView(SSFrame2);
    Grid1->setObjectName(QStringLiteral("Grid1"));
    Grid1->setAccessibleName(QStringLiteral("All recorded times"));
    Grid1->setModel(grid);
    placeTw(Grid1, design::kGridLeft, design::kGridTop, design::kGridWidth, 4215);
    Grid1->setSelectionMode(QAbstractItemView::NoSelection);
    Grid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Grid1->setFocusPolicy(Qt::NoFocus);
    Grid1->verticalHeader()->setDefaultSectionSize(tw(240));
    Grid1->verticalHeader()->setMinimumSectionSize(tw(150));
    Grid1->horizontalHeader()->setMinimumSectionSize(1);
    Grid1->horizontalHeader()->setFixedHeight(tw(255));
    Grid1->verticalHeader()->setFixedWidth(tw(500));
    Grid1->verticalHeader()->setDefaultAlignment(Qt::AlignCenter);
    Grid1->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    Grid1->setTextElideMode(Qt::ElideNone);
    Grid1->setWordWrap(false);

    const char *rowHeads[3] = {"Avg", "Min", "Max"};
    for (int i = 0; i < 3; ++i)
        Label5[i] = labelTw(SSFrame2, QString::fromLatin1(rowHeads[i]), 240, 3720 + i * 240, 600, 240);
    const int colLeft[5] = {960, 1800, 2640, 3480, 4320};
    for (int c = 1; c <= 5; ++c) {
        Label5[c + 2] = labelTw(SSFrame2, c <= 4 ? QStringLiteral("Seg %1").arg(c) : QStringLiteral("Lap"),
                              colLeft[c - 1], 3480, 800, 240);
        for (int j = 0; j < 3; ++j) {
            QLabel *v = labelTw(SSFrame2, QString(), colLeft[c - 1], 3720 + j * 240, 800, 240);
            v->setObjectName(QStringLiteral("Label3_%1").arg((c - 1) * 3 + j));
            Label3[(c - 1) * 3 + j] = v;
        }
    }

    // In the timing face the tall grid covers the statistics table.
    Grid1->raise();

    // ---- right-hand side: clocks in the timing face ----------------------
    const int rx = 7920, rw = 2175;
    Label4[5] = labelTw(client, QStringLiteral("Segment Timer"), rx, 0, rw, 240);
    Label1[5] = labelTw(client, QStringLiteral(".000"), rx, 240, rw, 450);
    Label4[6] = labelTw(client, QStringLiteral("Lap Timer"), rx, 720, rw, 240);
    Label1[6] = labelTw(client, QStringLiteral(".000"), rx, 960, rw, 450);
    Label4[7] = labelTw(client, QStringLiteral("Race Timer"), rx, 1440, rw, 240);
    Label1[7] = labelTw(client, QStringLiteral(".000"), rx, 1680, rw, 450);
    Label1[5]->setAccessibleName(QStringLiteral("Segment clock"));
    Label1[6]->setAccessibleName(QStringLiteral("Lap clock"));
    Label1[7]->setAccessibleName(QStringLiteral("Race clock"));
    for (int i = 5; i <= 7; ++i) {
        setPointSize(Label1[i], 18, true);
        Label1[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        Label1[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    }
    Label4[0] = labelTw(client, QStringLiteral("Cur. Lap"), rx, 2220, 1035, 240);
    Label4[1] = labelTw(client, QStringLiteral("Cur. Seg."), rx + 1140, 2220, 1035, 240);
    Label1[0] = labelTw(client, QString(), rx, 2460, 1035, 450);
    Label1[1] = labelTw(client, QString(), rx + 1140, 2460, 1035, 450);
    Label1[0]->setAccessibleName(QStringLiteral("Current lap"));
    Label1[1]->setAccessibleName(QStringLiteral("Current segment"));
    for (int i = 0; i <= 1; ++i) {
        setPointSize(Label1[i], 18, true);
        Label1[i]->setAlignment(Qt::AlignCenter);
    }
    hintLine = labelTw(client, QStringLiteral("Lt/Rt arrow keys switch between conditions, Up/Dn arrow "
                                            "keys change settings."),
                     rx, 3060, rw, 1200);
    hintLine->setWordWrap(true);

    // ---- current conditions, below the results frame (timing face) -------
    struct CondDef { int caption, text, up, down, left, width; const char *title; };
    const CondDef conds[3] = {{2, 4, 4, 5, 120, 2640, "Current Flag"},
                              {3, 2, 0, 1, 2880, 1800, "Current Position"},
                              {4, 3, 2, 3, 4800, 5295, "Current Traffic"}};
    const char *arrows[6] = {"/\\ F6", "\\/ F7", "/\\ F8", "\\/ F9", "/\\ F4", "\\/ F5"};
    for (const CondDef &c : conds) {
        Label4[c.caption] = labelTw(client, QString::fromLatin1(c.title), c.left, 6600, c.width, 240);
        Label1[c.text] = labelTw(client, QString(), c.left, 6840, c.width - 660, 660);
        setPointSize(Label1[c.text], 24, true);
        Label1[c.text]->setAccessibleName(QString::fromLatin1(c.title));
        Command1[c.up] = new QPushButton(QString::fromLatin1(arrows[c.up]), client);
        placeTw(Command1[c.up], c.left + c.width - 660, 6840, 645, 330);
        Command1[c.down] = new QPushButton(QString::fromLatin1(arrows[c.down]), client);
        placeTw(Command1[c.down], c.left + c.width - 660, 7170, 645, 330);
    }
    const char *arrowNames[6] = {"Position up", "Position down", "Traffic up", "Traffic down",
                                 "Flag up", "Flag down"};
    for (int i = 0; i < 6; ++i) {
        Command1[i]->setObjectName(QStringLiteral("Command1_%1").arg(i));
        Command1[i]->setAccessibleName(QString::fromLatin1(arrowNames[i]));
    }
    Label4[2]->setObjectName(QStringLiteral("Label4_2"));
    for (int i = 2; i <= 4; ++i)
        setForeColour(Label4[i], 0); // black until an arrow key picks one

    // ---- graph area (editing face) ---------------------------------------
    // The caption's background reaches down to the graph, so nothing of the
    // clocks beneath shows between the list and the picture.
    Label4[22] = labelTw(client, QStringLiteral("Graph This Segment"), rx, 0, rw, 600);
    Label4[22]->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    cmbSpecData[10] = new QComboBox(client);
    cmbSpecData[10]->setObjectName(QStringLiteral("cmbSpecData10"));
    cmbSpecData[10]->setAccessibleName(QStringLiteral("Graph this segment"));
    placeTw(cmbSpecData[10], rx, 240, rw, 330);
    Label4[22]->setBuddy(cmbSpecData[10]);
    Picture1 = new QWidget(client);
    placeTw(Picture1, rx, 600, rw, 5895);
    Label8[0] = labelTw(client, QString(), rx, 6480, 735, 240);
    Label8[1] = labelTw(client, QString(), 9360, 6480, 735, 240);
    Label8[1]->setAlignment(Qt::AlignRight | Qt::AlignTop);
    Label4[22]->setAutoFillBackground(true);
    Label4[22]->raise();
    cmbSpecData[10]->raise();
    Picture1->raise();

    // ---- hidden pieces ------------------------------------------------------
    Text2 = new QLineEdit(client);
    Text2->setObjectName(QStringLiteral("Text2"));
    Text2->setAccessibleName(QStringLiteral("Timing keys"));
    placeTw(Text2, -700, 0, 300, 300);
    for (int i = 0; i < 2; ++i) {
        Command2[i] = new QPushButton(QStringLiteral("F11"), client);
        placeTw(Command2[i], -400, 600 + i * 400, 300, 300);
        Command2[i]->setFocusPolicy(Qt::NoFocus);
    }
    Picture5 = new QLabel(client);
    placeTw(Picture5, -800, 1200, 375, 375);
    Picture5->setVisible(false);

    // ---- menus ------------------------------------------------------------
    QMenuBar *bar = w->menuBar();
    mnuFile = bar->addMenu(QStringLiteral("File"));
    mnuNew = mnuFile->addAction(QStringLiteral("&New"));
    mnuOpen = mnuFile->addAction(QStringLiteral("&Open Lap Times File"));
    mnuSave = mnuFile->addAction(QStringLiteral("&Save Lap Times"));
    mnuSaveAs = mnuFile->addAction(QStringLiteral("Save Lap Times &As"));
    mnuFile->addSeparator();
    mnuPrint = mnuFile->addAction(QStringLiteral("&Print All Lap/Segment Times"));
    mnuPrintWorksheet = mnuFile->addAction(QStringLiteral("Print Blank Worksheet"));
    mnuPrintMain = mnuFile->addAction(QStringLiteral("Print Main Screen As Shown"));
    mnuPrintSetup = mnuFile->addAction(QStringLiteral("Windows Print Setup"));
    mnuFile->addSeparator();
    mnuExit = mnuFile->addAction(QStringLiteral("E&xit"));
    mnuComments = bar->addAction(QStringLiteral("Comments"));
    mnuOptions = bar->addMenu(QStringLiteral("Options"));
    mnuNumSeg = mnuOptions->addAction(QStringLiteral("Change Number Segments"));
    mnuReturnToRavelin = bar->addAction(QStringLiteral("Return to Ravelin"));
    mnuReturnToRavelin->setVisible(false);
    mnuHelp = bar->addMenu(QStringLiteral("Help") + QString(28, QLatin1Char(' ')));
    mnuHelpHelp = mnuHelp->addAction(QStringLiteral("Program Help"));
    mnuAbout = mnuHelp->addAction(QStringLiteral("About Splitwatch"));
}

} // namespace sw
