#include "ui/MainWindowControls.h"

#include "ui/ClickPanel.h"
#include "ui/ClockDisplay.h"
#include "ui/Geometry.h"
#include "ui/SpokenFigure.h"

#include <QHeaderView>
#include <QMainWindow>
#include <QMenuBar>

namespace sw {

namespace {

void setPointSize(QWidget *w, int pt, bool bold)
{
    setDesignFont(w, pt, bold);
}

ClockDisplay *clockTw(QWidget *parent, int left, int top, int width, int height)
{
    auto *clock = new ClockDisplay(QStringLiteral(".000"), parent);
    placeTw(clock, left, top, width, height);
    return clock;
}

} // namespace

void MainWindowControls::applyGridRowSizes()
{
    resultsView->verticalHeader()->setMinimumSectionSize(twy(150));
    resultsView->verticalHeader()->setDefaultSectionSize(twy(240));
    resultsView->horizontalHeader()->setFixedHeight(twy(255));
}

QComboBox *MainWindowControls::listField(int field) const
{
    switch (field) {
    case LapField: return lapList;
    case FlagField: return flagList;
    case PositionField: return positionList;
    case TrafficField: return trafficList;
    case GraphQuantityField: return graphQuantityList;
    default: return nullptr;
    }
}

void MainWindowControls::build(QMainWindow *w)
{
    // The window was designed around an 8-point sans-serif face; the twips
    // positions only fit that size.
    setDesignFont(w, 8, false);
    client = new QWidget(w);
    client->setObjectName(QStringLiteral("mainWindowClient"));
    w->setCentralWidget(client);

    // ---- "Current Lap" frame -------------------------------------------
    currentLapFrame = new QGroupBox(QStringLiteral("Current Lap"), client);
    placeTw(currentLapFrame, 120, 0, 7695, 1480);

    struct FieldDef { const char *caption; int left, width; };
    const FieldDef fields[8] = {{"Lap #", 120, 855},   {"Seg 1", 1080, 615}, {"Seg 2", 1800, 615},
                                {"Seg 3", 2520, 615},  {"Seg 4", 3240, 615}, {"Flag", 3960, 855},
                                {"Position", 4920, 735}, {"Traffic", 5760, 1815}};
    for (int i = 0; i < 8; ++i) {
        fieldCaptions[i] = new ClickPanel(QString::fromLatin1(fields[i].caption), currentLapFrame);
        placeTw(fieldCaptions[i], fields[i].left, 360, fields[i].width, 315);
        fieldCaptions[i]->setObjectName(QStringLiteral("fieldCaption%1").arg(i));
        if (i >= 1 && i <= 4) {
            segmentFields[i] = new QLineEdit(currentLapFrame);
            placeTw(segmentFields[i], fields[i].left, 720, fields[i].width, 330);
            segmentFields[i]->setObjectName(QStringLiteral("segmentField%1").arg(i));
            // Narrow fields: a time like 123.456 must fit without scrolling.
            segmentFields[i]->setStyleSheet(QStringLiteral("QLineEdit { padding: 0px 1px; }"));
            // A field with a style sheet does not follow its window's font.
            setDesignFont(segmentFields[i], 8, false);
            segmentFields[i]->setAccessibleName(QStringLiteral("Segment %1 time").arg(i));
        } else {
            auto *list = new QComboBox(currentLapFrame);
            placeTw(list, fields[i].left, 720, fields[i].width, 330);
            list->setMaxVisibleItems(12);
            (i == LapField ? lapList : i == FlagField ? flagList : i == PositionField ? positionList : trafficList) = list;
        }
    }
    lapList->setObjectName(QStringLiteral("lapList"));
    flagList->setObjectName(QStringLiteral("flagList"));
    positionList->setObjectName(QStringLiteral("positionList"));
    trafficList->setObjectName(QStringLiteral("trafficList"));
    lapList->setAccessibleName(QStringLiteral("Lap number"));
    flagList->setAccessibleName(QStringLiteral("Flag"));
    positionList->setAccessibleName(QStringLiteral("Position"));
    trafficList->setAccessibleName(QStringLiteral("Traffic"));
    // Each caption labels its field for screen readers: on Linux a list is
    // announced by its label, its own name being the item it shows.
    for (int i = 0; i < 8; ++i)
        fieldCaptions[i]->setBuddy(i >= 1 && i <= 4 ? static_cast<QWidget *>(segmentFields[i]) : listField(i));

    // Graph colouring options, one above each condition field.
    const int optLeft[3] = {3960, 4920, 5760};
    for (int i = 0; i < 3; ++i) {
        graphColourOptions[i] = new QRadioButton(QStringLiteral("Graph"), currentLapFrame);
        // The frame's top line runs at this height: the option stands on
        // its own background, as wide as it needs, and breaks the line as
        // the frame's title does.
        graphColourOptions[i]->setAutoFillBackground(true);
        // (Short of the next option, which stands 840 twips on.)
        const int width = qMin(825, (graphColourOptions[i]->sizeHint().width() + 2) * kTwipsPerPixel);
        placeTw(graphColourOptions[i], optLeft[i], 150, width, 210);
        graphColourOptions[i]->setObjectName(QStringLiteral("graphColourOption%1").arg(i));
        graphColourOptions[i]->setFocusPolicy(Qt::NoFocus);
    }
    graphColourOptions[0]->setAccessibleName(QStringLiteral("Colour the graph by flag"));
    graphColourOptions[1]->setAccessibleName(QStringLiteral("Colour the graph by position"));
    graphColourOptions[2]->setAccessibleName(QStringLiteral("Colour the graph by traffic"));

    const char *cmd3[5] = {"Insert", "Delete", "Start / Restart F12", "Finish F11", "Cancel Changes"};
    for (int i = 0; i < 5; ++i) {
        QPushButton *b = new QPushButton(QString::fromLatin1(cmd3[i]), currentLapFrame);
        placeTw(b, 120 + i * 1500, 1095, 1440, 315);
        (i == 0 ? insertButton : i == 1 ? deleteButton : i == 2 ? startRestartButton : i == 3 ? finishKeepButton
                                                                                       : cancelChangesButton) = b;
    }
    insertButton->setObjectName(QStringLiteral("insertButton"));
    deleteButton->setObjectName(QStringLiteral("deleteButton"));
    startRestartButton->setObjectName(QStringLiteral("startRestartButton"));
    finishKeepButton->setObjectName(QStringLiteral("finishKeepButton"));
    cancelChangesButton->setObjectName(QStringLiteral("cancelChangesButton"));

    // ---- status line ---------------------------------------------------
    statusLine = labelTw(client, QStringLiteral("Status"), 240, 1500, 7455, 450);
    statusLine->setWordWrap(true);
    statusLine->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setPointSize(statusLine, 8, false);
    statusLine->setObjectName(QStringLiteral("statusLine"));
    statusLine->setAccessibleName(QStringLiteral("Status"));

    helpFrame = new QGroupBox(QStringLiteral(" Help "), client);
    placeTw(helpFrame, 10800, 0, 2000, 1200);
    helpLine = labelTw(helpFrame, QString(), 60, 240, 1880, 900);
    helpLine->setWordWrap(true);

    // ---- "All Recorded Times" frame --------------------------------------
    recordedTimesFrame = new QGroupBox(QStringLiteral("All Recorded Times"), client);
    placeTw(recordedTimesFrame, design::kFrame2Left, design::kFrame2Top, design::kFrame2Width,
            design::kFrame2Height);
    resultsView = new QTableView(recordedTimesFrame);
    resultsView->setObjectName(QStringLiteral("resultsView"));
    resultsView->setAccessibleName(QStringLiteral("All recorded times"));
    placeTw(resultsView, design::kGridLeft, design::kGridTop, design::kGridWidth, 4215);
    resultsView->setSelectionMode(QAbstractItemView::NoSelection);
    resultsView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    resultsView->setFocusPolicy(Qt::NoFocus);
    resultsView->horizontalHeader()->setMinimumSectionSize(1);
    // A bold heading over the selected lap would not fit the narrow columns.
    resultsView->horizontalHeader()->setHighlightSections(false);
    applyGridRowSizes();
    resultsView->verticalHeader()->setDefaultAlignment(Qt::AlignCenter);
    resultsView->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    resultsView->setTextElideMode(Qt::ElideNone);
    resultsView->setWordWrap(false);

    const char *rowHeads[3] = {"Avg", "Min", "Max"};
    for (int i = 0; i < 3; ++i)
        statHeadings[i] = labelTw(recordedTimesFrame, QString::fromLatin1(rowHeads[i]), 240, 3720 + i * 240, 600, 240);
    const int colLeft[5] = {960, 1800, 2640, 3480, 4320};
    for (int c = 1; c <= 5; ++c) {
        statHeadings[c + 2] = labelTw(recordedTimesFrame, c <= 4 ? QStringLiteral("Seg %1").arg(c) : QStringLiteral("Lap"),
                              colLeft[c - 1], 3480, 800, 240);
        for (int j = 0; j < 3; ++j) {
            QLabel *v = labelTw(recordedTimesFrame, QString(), colLeft[c - 1], 3720 + j * 240, 800, 240);
            v->setObjectName(QStringLiteral("statValue%1").arg((c - 1) * 3 + j));
            statValueLabels[(c - 1) * 3 + j] = v;
        }
    }

    countLapsCaption = labelTw(recordedTimesFrame, QStringLiteral("Count laps"), 5160, 3480, 2415, 240);
    countLapsList = new QComboBox(recordedTimesFrame);
    countLapsList->setObjectName(QStringLiteral("countLapsList"));
    countLapsList->setAccessibleName(QStringLiteral("Count laps"));
    placeTw(countLapsList, 5160, 3720, 2415, 330);
    countLapsCaption->setBuddy(countLapsList);
    bestLapLabel = labelTw(recordedTimesFrame, QString(), 5160, 4080, 2415, 420);
    bestLapLabel->setObjectName(QStringLiteral("bestLapLabel"));
    bestLapLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    // In the timing face the tall grid covers the statistics table.
    resultsView->raise();

    // ---- right-hand side: clocks in the timing face ----------------------
    const int rx = 7920, rw = 2175;
    segmentClockCaption = labelTw(client, QStringLiteral("Segment Timer"), rx, 0, rw, 240);
    segmentClock = clockTw(client, rx, 240, rw, 450);
    lapClockCaption = labelTw(client, QStringLiteral("Lap Timer"), rx, 720, rw, 240);
    lapClock = clockTw(client, rx, 960, rw, 450);
    raceClockCaption = labelTw(client, QStringLiteral("Race Timer"), rx, 1440, rw, 240);
    raceClock = clockTw(client, rx, 1680, rw, 450);
    makeSpokenFigure(segmentClock, QStringLiteral("Segment clock"));
    makeSpokenFigure(lapClock, QStringLiteral("Lap clock"));
    makeSpokenFigure(raceClock, QStringLiteral("Race clock"));
    for (QLabel *clock : {segmentClock, lapClock, raceClock})
        setPointSize(clock, 18, true);
    currentLapCaption = labelTw(client, QStringLiteral("Cur. Lap"), rx, 2220, 1035, 240);
    currentSegCaption = labelTw(client, QStringLiteral("Cur. Seg."), rx + 1140, 2220, 1035, 240);
    currentLapLabel = labelTw(client, QString(), rx, 2460, 1035, 450);
    currentSegLabel = labelTw(client, QString(), rx + 1140, 2460, 1035, 450);
    makeSpokenFigure(currentLapLabel, QStringLiteral("Current lap"));
    makeSpokenFigure(currentSegLabel, QStringLiteral("Current segment"));
    for (QLabel *counter : {currentLapLabel, currentSegLabel}) {
        setPointSize(counter, 18, true);
        counter->setAlignment(Qt::AlignCenter);
    }
    hintLine = labelTw(client, QStringLiteral("Lt/Rt arrow keys switch between conditions, Up/Dn arrow "
                                            "keys change settings."),
                     rx, 3060, rw, 1200);
    hintLine->setWordWrap(true);
    const char *figureCaptions[5] = {"Last lap", "Best lap", "Delta to best", "Predicted lap", "Best possible lap"};
    for (int i = 0; i < 5; ++i) {
        // Below the hint line, above the condition captions (6600).
        const int top = 4260 + i * 465;
        liveFigureCaptions[size_t(i)] = labelTw(client, QString::fromLatin1(figureCaptions[i]), rx, top, rw, 210);
        QLabel *value = labelTw(client, QString(), rx, top + 210, rw, 255);
        value->setObjectName(QStringLiteral("liveFigure%1").arg(i));
        setPointSize(value, 9, true);
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        makeSpokenFigure(value, QString::fromLatin1(figureCaptions[i]));
        liveFigureValues[size_t(i)] = value;
    }

    // ---- current conditions, below the results frame (timing face) -------
    struct CondDef { QLabel **caption, **display; int up, down, left, width; const char *title; };
    const CondDef conds[3] = {{&flagCaption, &flagDisplay, FlagUp, FlagDown, 120, 2640, "Current Flag"},
                              {&positionCaption, &positionDisplay, PositionUp, PositionDown, 2880, 1800, "Current Position"},
                              {&trafficCaption, &trafficDisplay, TrafficUp, TrafficDown, 4800, 5295, "Current Traffic"}};
    const char *arrows[6] = {"/\\ F6", "\\/ F7", "/\\ F8", "\\/ F9", "/\\ F4", "\\/ F5"};
    for (const CondDef &c : conds) {
        *c.caption = labelTw(client, QString::fromLatin1(c.title), c.left, 6600, c.width, 240);
        *c.display = labelTw(client, QString(), c.left, 6840, c.width - 660, 660);
        setPointSize(*c.display, 24, true);
        makeSpokenFigure(*c.display, QString::fromLatin1(c.title));
        arrowButtons[c.up] = new QPushButton(QString::fromLatin1(arrows[c.up]), client);
        placeTw(arrowButtons[c.up], c.left + c.width - 660, 6840, 645, 330);
        arrowButtons[c.down] = new QPushButton(QString::fromLatin1(arrows[c.down]), client);
        placeTw(arrowButtons[c.down], c.left + c.width - 660, 7170, 645, 330);
    }
    const char *arrowNames[6] = {"Position up", "Position down", "Traffic up", "Traffic down",
                                 "Flag up", "Flag down"};
    for (int i = 0; i < 6; ++i) {
        arrowButtons[i]->setObjectName(QStringLiteral("arrowButton%1").arg(i));
        arrowButtons[i]->setAccessibleName(QString::fromLatin1(arrowNames[i]));
    }
    flagCaption->setObjectName(QStringLiteral("flagCaption"));
    for (QLabel *caption : {flagCaption, positionCaption, trafficCaption})
        setForeColour(caption, Palette::Black); // black until an arrow key picks one

    // ---- graph area (editing face) ---------------------------------------
    // The caption's background reaches down to the graph, so nothing of the
    // clocks beneath shows between the list and the picture.
    graphCaption = labelTw(client, QStringLiteral("Graph This Segment"), rx, 0, rw, 600);
    graphCaption->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    graphQuantityList = new QComboBox(client);
    graphQuantityList->setObjectName(QStringLiteral("graphQuantityList"));
    graphQuantityList->setAccessibleName(QStringLiteral("Graph this segment"));
    placeTw(graphQuantityList, rx, 240, rw, 330);
    graphCaption->setBuddy(graphQuantityList);
    graphArea = new QWidget(client);
    placeTw(graphArea, rx, 600, rw, 5895);
    graphLeftScale = labelTw(client, QString(), rx, 6480, 735, 240);
    graphRightScale = labelTw(client, QString(), 9360, 6480, 735, 240);
    graphRightScale->setAlignment(Qt::AlignRight | Qt::AlignTop);
    graphCaption->setAutoFillBackground(true);
    graphCaption->raise();
    graphQuantityList->raise();
    graphArea->raise();

    // ---- hidden pieces ------------------------------------------------------
    timingFocusHolder = new QLineEdit(client);
    timingFocusHolder->setObjectName(QStringLiteral("timingFocusHolder"));
    timingFocusHolder->setAccessibleName(QStringLiteral("Timing keys"));
    placeTw(timingFocusHolder, -700, 0, 300, 300);
    for (int i = 0; i < 2; ++i) {
        hiddenFinishButtons[i] = new QPushButton(QStringLiteral("F11"), client);
        placeTw(hiddenFinishButtons[i], -400, 600 + i * 400, 300, 300);
        hiddenFinishButtons[i]->setFocusPolicy(Qt::NoFocus);
    }
    screenPrintPicture = new QLabel(client);
    placeTw(screenPrintPicture, -800, 1200, 375, 375);
    screenPrintPicture->setVisible(false);

    // ---- menus ------------------------------------------------------------
    QMenuBar *bar = w->menuBar();
    fileMenu = bar->addMenu(QStringLiteral("File"));
    newAction = fileMenu->addAction(QStringLiteral("&New"));
    openAction = fileMenu->addAction(QStringLiteral("&Open Lap Times File"));
    saveAction = fileMenu->addAction(QStringLiteral("&Save Lap Times"));
    saveAsAction = fileMenu->addAction(QStringLiteral("Save Lap Times &As"));
    exportCsvAction = fileMenu->addAction(QStringLiteral("Export as CSV…"));
    fileMenu->addSeparator();
    printReportAction = fileMenu->addAction(QStringLiteral("&Print All Lap/Segment Times"));
    printWorksheetAction = fileMenu->addAction(QStringLiteral("Print Blank Worksheet"));
    printScreenAction = fileMenu->addAction(QStringLiteral("Print Main Screen As Shown"));
    printSetupAction = fileMenu->addAction(QStringLiteral("Windows Print Setup"));
    fileMenu->addSeparator();
    recentFilesMenu = fileMenu->addMenu(QStringLiteral("Recent Lap Times"));
    fileMenu->addSeparator();
    exitAction = fileMenu->addAction(QStringLiteral("E&xit"));
    // The platform's keys; where it has none (Save As and Quit on plain X11),
    // the ones most desktops use.
    const auto setStandardKeys = [](QAction *a, QKeySequence::StandardKey key, QKeySequence usual) {
        const QList<QKeySequence> keys = QKeySequence::keyBindings(key);
        a->setShortcuts(keys.isEmpty() ? QList<QKeySequence>{usual} : keys);
    };
    setStandardKeys(newAction, QKeySequence::New, QKeySequence(Qt::CTRL | Qt::Key_N));
    setStandardKeys(openAction, QKeySequence::Open, QKeySequence(Qt::CTRL | Qt::Key_O));
    setStandardKeys(saveAction, QKeySequence::Save, QKeySequence(Qt::CTRL | Qt::Key_S));
    setStandardKeys(saveAsAction, QKeySequence::SaveAs, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    setStandardKeys(printReportAction, QKeySequence::Print, QKeySequence(Qt::CTRL | Qt::Key_P));
    setStandardKeys(exitAction, QKeySequence::Quit, QKeySequence(Qt::CTRL | Qt::Key_Q));
    editMenu = bar->addMenu(QStringLiteral("&Edit"));
    commentsAction = bar->addAction(QStringLiteral("Comments"));
    optionsMenu = bar->addMenu(QStringLiteral("Options"));
    numberOfSegmentsAction = optionsMenu->addAction(QStringLiteral("Change Number Segments"));
    shareLiveTimingAction = optionsMenu->addAction(QStringLiteral("Share Live Timing\u2026"));
    viewMenu = bar->addMenu(QStringLiteral("View"));
    zoomInAction = viewMenu->addAction(QStringLiteral("Zoom In"));
    zoomInAction->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)});
    zoomOutAction = viewMenu->addAction(QStringLiteral("Zoom Out"));
    zoomOutAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Minus));
    actualSizeAction = viewMenu->addAction(QStringLiteral("Actual Size"));
    actualSizeAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_0));
    viewMenu->addSeparator();
    raceAnalysisAction = viewMenu->addAction(QStringLiteral("Race Analysis"));
    pitBoardAction = viewMenu->addAction(QStringLiteral("Pit Board"));
    pitBoardAction->setCheckable(true);
    returnToRavelinAction = bar->addAction(QStringLiteral("Return to Ravelin"));
    returnToRavelinAction->setVisible(false);
    helpMenu = bar->addMenu(QStringLiteral("Help") + QString(28, QLatin1Char(' ')));
    programHelpAction = helpMenu->addAction(QStringLiteral("Program Help"));
    aboutAction = helpMenu->addAction(QStringLiteral("About Splitwatch"));
}

} // namespace sw
