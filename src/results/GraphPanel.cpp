#include "results/GraphPanel.h"

#include "graph/GraphRules.h"
#include "race/Race.h"
#include "results/GraphView.h"
#include "ui/MainWindowControls.h"

#include <QSignalBlocker>

namespace sw {

GraphPanel::GraphPanel(Race &race, MainWindowControls &ui, GraphView &view, QObject *parent)
    : QObject(parent), m_race(race), m_ui(ui), m_view(view)
{
    view.bindControls(ui.graphQuantityList, {ui.graphColourOptions[0], ui.graphColourOptions[1], ui.graphColourOptions[2]},
                      ui.graphLeftScale, ui.graphRightScale);
    connect(ui.graphQuantityList, qOverload<int>(&QComboBox::currentIndexChanged), this, &GraphPanel::redraw);
    for (QRadioButton *o : ui.graphColourOptions)
        connect(o, &QRadioButton::clicked, this, &GraphPanel::redraw);
    connect(&view, &GraphView::lapClicked, this, &GraphPanel::lapClicked);
    connect(&race, &Race::recordChanged, this, &GraphPanel::redraw);
    connect(&race, &Race::selectedLapChanged, this, &GraphPanel::redraw);
    connect(&race, &Race::stateChanged, this, &GraphPanel::redraw);
}

void GraphPanel::setLapFilter(LapFilter filter)
{
    m_filter = filter;
    m_view.setLapFilter(filter);
    redraw();
}

void GraphPanel::fitQuantityList()
{
    QComboBox *q = m_ui.graphQuantityList;
    const int n = m_race.segmentsPerLap();
    if (q->currentIndex() > n || q->currentIndex() < 0 || q->count() != n + 1) {
        const QSignalBlocker block(q);
        q->clear();
        q->addItems(graphQuantityItems(n));
        q->setCurrentIndex(0);
    }
}

void GraphPanel::redraw()
{
    if (m_race.state() != RaceState::Finished)
        return;
    // A race without a lap has nothing to graph: the list stays as it is.
    if (m_race.lastLap() >= 1)
        fitQuantityList();
    int option = -1;
    for (int i = 0; i < 3; ++i)
        if (m_ui.graphColourOptions[size_t(i)]->isChecked())
            option = i;
    const Drawn now{m_race.revision(), m_race.selectedLap(), m_ui.graphQuantityList->currentIndex(), option, m_filter};
    if (now == m_drawn)
        return;
    m_drawn = now;
    m_view.drawGraph();
}

} // namespace sw
