#include "results/ScreenFace.h"

#include "race/Race.h"
#include "results/ScreenModeRules.h"
#include "ui/ClickPanel.h"
#include "ui/Geometry.h"
#include "ui/MainWindowControls.h"

#include <QMainWindow>

namespace sw {

ScreenFace::ScreenFace(const Race &race, MainWindowControls &ui, QMainWindow &window)
    : QObject(&window), m_race(race), m_ui(ui), m_window(window)
{
    connect(&race, &Race::stateChanged, this, &ScreenFace::show);
    connect(&race, &Race::segmentsPerLapChanged, this, &ScreenFace::show);
    // Choosing a condition or a lap puts the state's instructions back on
    // the status line (over a note such as "Lap 250 is complete").
    connect(&race, &Race::conditionsChanged, this, &ScreenFace::showStatus);
    connect(&race, &Race::selectedLapChanged, this, &ScreenFace::showStatus);
}

void ScreenFace::showStatus()
{
    const FaceLayout face = screenFaceFor(m_race.state(), m_race.isHeldInSetup(), design::kFrame2Top,
                                          design::kFrame2Height);
    if (face.known)
        m_ui.statusLine->setText(face.status);
}

void ScreenFace::show()
{
    auto &ui = m_ui;
    const FaceLayout face = screenFaceFor(m_race.state(), m_race.isHeldInSetup(), design::kFrame2Top,
                                          design::kFrame2Height);
    const bool finished = face.finished;
    if (face.known) {
        placeTw(ui.resultsView, design::kGridLeft, design::kGridTop, design::kGridWidth, face.gridHeight);
        ui.statusLine->setText(face.status);
        m_window.setProperty("designClientHeightTwips", face.windowHeight - design::kWindowChromeTwips);
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
    // The best possible lap is the best lap itself with one segment a lap.
    for (size_t i = 0; i < ui.liveFigureValues.size(); ++i) {
        const bool shown = !finished && (i != MainWindowControls::BestPossibleLapFigure || m_race.segmentsPerLap() > 1);
        ui.liveFigureCaptions[i]->setVisible(shown);
        ui.liveFigureValues[i]->setVisible(shown);
    }
    ui.returnToRavelinAction->setVisible(m_race.isHeldInSetup());

    const int n = m_race.segmentsPerLap();
    for (int i = 1; i <= 4; ++i) {
        ui.segmentFields[size_t(i)]->setVisible(i <= n);
        ui.fieldCaptions[size_t(i)]->setVisible(i <= n);
    }
    emit laidOut();
}

} // namespace sw
