#include "results/ScreenModes.h"

#include "state/AppState.h"
#include "ui/MainWindowBase.h"
#include "results/ScreenModeRules.h"
#include "ui/ClickPanel.h"
#include "ui/Geometry.h"

namespace sw {

void ScreenModes::showScreenMode()
{
    AppState &s = m_w.state();
    RaceRecord &r = s.rec;
    auto &ui = m_w.ui;

    if (r.ravelinMode)
        r.raceState = RaceState::Setup;

    const ScreenFace face = screenFaceFor(r.raceState, r.ravelinMode, design::kFrame2Top,
                                          design::kFrame2Height);
    const bool finished = face.finished;
    if (face.known) {
        placeTw(ui.resultsView, design::kGridLeft, design::kGridTop, design::kGridWidth, face.gridHeight);
        ui.statusLine->setText(face.status);
        m_w.setProperty("designClientHeightTwips", face.windowHeight - design::kWindowChromeTwips);
        m_w.resize(m_w.width(), twy(face.windowHeight - design::kWindowChromeTwips));
    }

    ui.insertButton->setEnabled(finished);
    ui.deleteButton->setEnabled(finished);
    ui.cancelChangesButton->setEnabled(finished);
    ui.finishKeepButton->setText(finished ? QStringLiteral("Keep Changes") : QStringLiteral("Finish F11"));
    for (QRadioButton *o : ui.graphColourOptions)
        o->setEnabled(finished);
    ui.graphCaption->setVisible(finished);
    ui.graphQuantityList->setVisible(finished);
    ui.graphArea->setVisible(finished);
    ui.graphLeftScale->setVisible(finished);
    ui.graphRightScale->setVisible(finished);
    for (QWidget *c : {static_cast<QWidget *>(ui.countLapsCaption), static_cast<QWidget *>(ui.countLapsList),
                       static_cast<QWidget *>(ui.bestLapLabel)})
        c->setVisible(finished);
    for (QLabel *l : {ui.currentLapLabel, ui.currentSegLabel, ui.positionDisplay, ui.trafficDisplay,
                      ui.flagDisplay, ui.currentLapCaption, ui.currentSegCaption, ui.flagCaption,
                      ui.positionCaption, ui.trafficCaption})
        l->setVisible(!finished);
    for (QPushButton *b : ui.arrowButtons)
        b->setVisible(!finished);
    // The clocks stay; in the editing face the graph, stacked above them,
    // covers them.
    ui.hintLine->setVisible(!finished);
    ui.returnToRavelinAction->setVisible(r.ravelinMode);

    if (finished) {
        r.CurLap = static_cast<qint16>(s.grid.Row);
        s.grid.Col = r.NumSegs;
        r.CurSeg = r.NumSegs;
        m_w.writeSegmentStep(GraphUpdate::StatsAndGraph);
    }
    if (r.NumSegs < 1)
        r.NumSegs = 1;
    for (int i = 1; i <= 4; ++i) {
        ui.segmentFields[i]->setVisible(i <= r.NumSegs);
        ui.fieldCaptions[i]->setVisible(i <= r.NumSegs);
    }
}

} // namespace sw
