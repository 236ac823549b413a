#pragma once
// The "All Recorded Times" frame: the results grid (a view of the race's
// table model), the statistics table below it, the "Count laps" choice and
// the best possible lap. It follows the race: column widths with the number
// of segments, the scroll position with the lap being written or selected,
// the selection with the selected lap, the statistics with every change. A
// click on a lap selects it in the race (editing face only).

#include "analysis/LapFilter.h"
#include "results/ResultsTexts.h"

#include <QObject>

#include <memory>

class QComboBox;
class QLabel;
class QSettings;
class QTableView;

namespace sw {

class Race;
class ResultsTableModel;
struct MainWindowControls;

class ResultsPanel : public QObject
{
    Q_OBJECT
public:
    ResultsPanel(Race &race, MainWindowControls &ui, QObject *parent);
    ~ResultsPanel() override;

    ResultsTableModel &model() { return *m_model; }
    LapFilter lapFilter() const { return m_filter; }
    // Chooses in the "Count laps" list; the figures follow at once.
    void setLapFilter(LapFilter filter);
    // Loads the remembered choice now and stores every later one.
    void rememberLapFilter(std::unique_ptr<QSettings> settings);
    static QString settingsKey();
    static QString settingsWord(LapFilter filter);

    // The statistics as shown (for the report).
    const StatisticsTexts &statistics() const { return m_stats; }

    // Sets every column width again (after a change of the screen scale).
    void resyncColumnWidths();
    // A window made larger than designed: pixels beyond the designed widths
    // that the columns share, and rows beyond the designed height.
    void setExtraRoom(int width, int rows);
    // A lap picked in the graph: the grid scrolls to it as a graph click
    // scrolls (a lap above the top becomes the top) and the lap is selected.
    void pickFromGraph(int lap);
    // First visible lap of the grid.
    int topLap() const;
    void setTopLap(int lap);

signals:
    void lapFilterChanged(LapFilter filter);

private:
    int topRowFor(int lap) const;
    int m_extraColumnWidth = 0;
    int m_extraRows = 0;
    void onListChanged(int index);
    void showStatistics();
    void showSelection();
    // Keeps a lap just written or selected in view: past lap 6 the top row
    // follows five rows behind (at most 230, so lap 250 stays visible); a
    // lap above the top (by more than two) brings the top back to it.
    void scrollTo(int lap);
    void rewriteScroll();
    void clickLap(int lap);

    Race &m_race;
    MainWindowControls &m_ui;
    std::unique_ptr<ResultsTableModel> m_model;
    LapFilter m_filter = LapFilter::AllLaps;
    StatisticsTexts m_stats;
    quint64 m_statsRevision = ~quint64(0); // the race's revision the statistics show
    LapFilter m_statsFilter = LapFilter::AllLaps;
    std::unique_ptr<QSettings> m_settings;
};

} // namespace sw
