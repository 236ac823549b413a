#include "results/GridController.h"

#include "state/AppState.h"
#include "ui/MainWindowBase.h"
#include "results/EntryFields.h"
#include "timing/ConditionLists.h"
#include "ui/Geometry.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QScrollBar>
#include <QSignalBlocker>

namespace sw {

GridController::GridController(MainWindowBase &w) : QObject(&w), m_w(w)
{
    ResultsGrid &g = w.state().grid;
    QTableView *v = w.ui.resultsView;
    connect(&g, &ResultsGrid::columnWidthChanged, this, &GridController::syncColumnWidth);
    connect(&g, &ResultsGrid::topRowChanged, this, &GridController::syncTopRow);
    connect(&g, &ResultsGrid::selectionChanged, this, &GridController::syncSelection);
    connect(&g, &ResultsGrid::statsChanged, this, &GridController::syncStats);
    connect(v->verticalScrollBar(), &QScrollBar::valueChanged, this, [&g](int value) {
        const QSignalBlocker b(&g);
        g.setTopRow(value + 1);
    });
    connect(v, &QTableView::clicked, this, [this](const QModelIndex &i) { clickRow(i.row() + 1); });
    connect(v->verticalHeader(), &QHeaderView::sectionClicked, this, [this](int s) { clickRow(s + 1); });
    connect(v->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int) { clickRow(0); });
    for (int c = 0; c < ResultsGrid::kCols; ++c)
        syncColumnWidth(c, g.ColWidth(c));
}

void GridController::syncColumnWidth(int col, int twips)
{
    QTableView *v = m_w.ui.resultsView;
    if (col == 0)
        v->verticalHeader()->setFixedWidth(tw(twips));
    else
        v->setColumnWidth(col - 1, qMax(1, tw(twips)));
}

void GridController::resyncColumnWidths()
{
    const ResultsGrid &g = m_w.state().grid;
    for (int c = 0; c < ResultsGrid::kCols; ++c)
        syncColumnWidth(c, g.ColWidth(c));
}

void GridController::syncTopRow(int top)
{
    m_w.ui.resultsView->verticalScrollBar()->setValue(top - 1);
}

void GridController::syncSelection()
{
    const ResultsGrid &g = m_w.state().grid;
    QTableView *v = m_w.ui.resultsView;
    QItemSelectionModel *sm = v->selectionModel();
    if (g.SelStartRow < 1) {
        sm->clearSelection();
        return;
    }
    const QItemSelection sel(g.index(g.SelStartRow - 1, g.SelStartCol - 1),
                             g.index(g.SelEndRow - 1, g.SelEndCol - 1));
    sm->select(sel, QItemSelectionModel::ClearAndSelect);
}

void GridController::syncStats()
{
    const ResultsGrid &g = m_w.state().grid;
    auto &ui = m_w.ui;
    for (int i = 0; i < 15; ++i) {
        ui.statValueLabels[i]->setText(g.statValues[i]);
        ui.statValueLabels[i]->setVisible(g.statValueVisible[i]);
    }
    for (int i = 3; i <= 7; ++i)
        ui.statHeadings[i]->setVisible(g.statHeadingVisible[i]);
}

void GridController::refreshResults()
{
    AppState &s = m_w.state();
    RaceRecord &r = s.rec;
    ResultsGrid &g = s.grid;
    auto &ui = m_w.ui;

    g.statValues.fill(QString());

    // The lists are filled without raising their click: a refill is not a
    // change by the operator.
    auto fill = [](QComboBox *c, const QStringList &items, int select) {
        const QSignalBlocker b(c);
        c->clear();
        c->addItems(items);
        c->setCurrentIndex(select);
    };
    fill(ui.lapList, lapItems(), 0);
    fill(ui.flagList, flagItems(), 0);
    fill(ui.positionList, positionItems(), -1);
    fill(ui.trafficList, trafficItems(), 1);
    m_w.entryFields().showConditionTexts();

    r.CurSeg = 1;
    if (r.NumSegs < 1)
        r.NumSegs = 1;
    r.CurLap = 0;

    static const char *heads[9] = {"Lap #", "Seg 1", "Seg 2", "Seg 3", "Seg 4",
                                   "LapTime", "Flag", "Position", "Traffic"};
    static const int widths[9] = {500, 800, 800, 800, 800, 800, 500, 500, 1500};
    g.Row = 0;
    for (int c = 0; c < ResultsGrid::kCols; ++c) {
        g.setCell(0, c, QString::fromLatin1(heads[c]));
        int w = widths[c];
        if (c >= 1 && c <= 4) {
            const bool used = c <= r.NumSegs;
            w = used ? 800 : 10;
            g.statHeadingVisible[c + 2] = used;
            for (int j = 0; j < 3; ++j)
                g.statValueVisible[(c - 1) * 3 + j] = used;
        }
        g.setColWidth(c, w);
    }
    g.statHeadingVisible[7] = true;
    for (int j = 12; j < 15; ++j)
        g.statValueVisible[j] = true;
    for (int row = 1; row <= RaceRecord::MaxLap; ++row)
        g.setCell(row, 0, QString::number(row));
    // The current row is left on the heading row rather than on the last lap
    // number written: finishing a race with no lap then finds no lap.
    g.Row = 0;
    g.setTopRow(1);
    syncTopRow(1);
    g.notifyStatsChanged();
}

void GridController::clickRow(int row)
{
    // Before the race is finished a click changes nothing: the current row
    // is where the laps are being written.
    if (m_w.state().rec.raceState != RaceState::Finished)
        return;
    m_w.state().grid.Row = row;
    onGridClicked();
}

void GridController::onGridClicked()
{
    AppState &s = m_w.state();
    RaceRecord &r = s.rec;
    ResultsGrid &g = s.grid;
    auto &ui = m_w.ui;
    if (r.raceState != RaceState::Finished)
        return;
    if (r.LastLap < 1)
        return; // no lap to select
    if (g.Row < 1)
        g.Row = 1;
    if (g.Row > r.LastLap)
        g.Row = r.LastLap;
    const int lap = g.Row;
    g.selectLapRow(lap);
    // A new lap in the lap list shows itself (its click); the lap already
    // selected is shown again here, so a value typed over it goes.
    const bool sameLap = ui.lapList->currentIndex() == lap - 1;
    ui.lapList->setCurrentIndex(lap - 1);
    ui.flagList->setCurrentIndex(listPosition(r.reading(lap, 5)));
    ui.positionList->setCurrentIndex(listPosition(r.reading(lap, 6)));
    ui.trafficList->setCurrentIndex(listPosition(r.reading(lap, 7)));
    if (sameLap)
        m_w.showScreenMode();
}

} // namespace sw
