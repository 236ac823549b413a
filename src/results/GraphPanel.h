#pragma once
// The graph of the editing face with its controls: the "Graph This Segment"
// list (filled for the race's segments), the three "Graph" colouring
// options and the two scale labels. It redraws whenever the race, the
// selected lap, the counted laps or a choice changes, and says which lap a
// click in it picked.

#include "analysis/LapFilter.h"

#include <QObject>

namespace sw {

class Race;
class GraphView;
struct MainWindowControls;

class GraphPanel : public QObject
{
    Q_OBJECT
public:
    GraphPanel(Race &race, MainWindowControls &ui, GraphView &view, QObject *parent);

    void setLapFilter(LapFilter filter);
    // Redraws when the editing face shows the graph and something it is
    // drawn from changed.
    void redraw();

signals:
    // A click in the graph at the height of this lap.
    void lapClicked(int lap);

private:
    // "Whole Laps", then "Segment 1".."Segment N"; refilled (and set to
    // "Whole Laps") only when it does not fit the race's segments.
    void fitQuantityList();

    Race &m_race;
    MainWindowControls &m_ui;
    GraphView &m_view;
    LapFilter m_filter = LapFilter::AllLaps;
    // What the last drawing was made from: the same again draws nothing.
    struct Drawn
    {
        quint64 revision = ~quint64(0);
        int selectedLap = -1, quantity = -1, option = -2;
        LapFilter filter = LapFilter::AllLaps;
        bool operator==(const Drawn &o) const
        {
            return revision == o.revision && selectedLap == o.selectedLap && quantity == o.quantity
                   && option == o.option && filter == o.filter;
        }
    } m_drawn;
};

} // namespace sw
