#include "results/ScreenModes.h"

#include "state/AppState.h"
#include "app/FrmHead.h"
#include "results/ScreenModeRules.h"
#include "ui/ClickPanel.h"
#include "ui/Geometry.h"

namespace sw {

void ScreenModes::SetScreenMode()
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
        placeTw(ui.Grid1, design::kGridLeft, design::kGridTop, design::kGridWidth, face.gridHeight);
        ui.Label6->setText(face.status);
        m_w.resize(m_w.width(), tw(face.windowHeight - design::kWindowChromeTwips));
    }

    ui.Command3[0]->setEnabled(finished);
    ui.Command3[1]->setEnabled(finished);
    ui.Command3[4]->setEnabled(finished);
    ui.Command3[3]->setText(finished ? QStringLiteral("Keep Changes") : QStringLiteral("Finish F11"));
    for (QRadioButton *o : ui.Option1)
        o->setEnabled(finished);
    ui.Label4[22]->setVisible(finished);
    ui.cmbSpecData[10]->setVisible(finished);
    ui.Picture1->setVisible(finished);
    ui.Label8[0]->setVisible(finished);
    ui.Label8[1]->setVisible(finished);
    for (int i = 0; i <= 4; ++i) {
        ui.Label1[i]->setVisible(!finished);
        ui.Label4[i]->setVisible(!finished);
    }
    for (QPushButton *b : ui.Command1)
        b->setVisible(!finished);
    // The clocks stay; in the editing face the graph, stacked above them,
    // covers them.
    ui.hintLine->setVisible(!finished);
    ui.mnuReturnToRavelin->setVisible(r.ravelinMode);

    if (finished) {
        r.CurLap = static_cast<qint16>(s.grid.Row);
        s.grid.Col = r.NumSegs;
        r.CurSeg = r.NumSegs;
        m_w.UpdateTimer(0);
    }
    if (r.NumSegs < 1)
        r.NumSegs = 1;
    for (int i = 1; i <= 4; ++i) {
        ui.SpecData[i]->setVisible(i <= r.NumSegs);
        ui.SpecName[i]->setVisible(i <= r.NumSegs);
    }
}

} // namespace sw
