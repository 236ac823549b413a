#pragma once
// The "Count laps" list beside the statistics and the best possible lap
// below it (editing face). With a choice other than "All laps" the
// statistics texts, and with them the graph's scale and the report, are
// figures of the counted laps only; the laps left out stay in the grid,
// greyed, and the graph draws them hollow. The best possible lap is shown
// when a lap has more than one segment (with one it is the best lap itself).
//
// The choice lives in the window; rememberLapCountChoice() makes the
// program keep it in its settings between runs (the lap-time file does not
// change).

#include "analysis/LapFilter.h"

#include <QObject>

namespace sw {

class MainWindowBase;

class LapCountController : public QObject
{
    Q_OBJECT
public:
    explicit LapCountController(MainWindowBase &w);

    LapFilter filter() const { return m_filter; }
    // Chooses in the list; the figures follow at once.
    void setFilter(LapFilter filter);

    // Loads the remembered choice now and stores every later one.
    void rememberInSettings();

    // Settings key and the stored word of each choice.
    static QString settingsKey();
    static QString settingsWord(LapFilter filter);

private:
    void onListChanged(int index);
    void applyFilter(); // after the statistics of all laps were written

    MainWindowBase &m_w;
    LapFilter m_filter = LapFilter::AllLaps;
    bool m_applying = false;
    bool m_remember = false;
};

// Finds the window's controller and makes it remember the choice.
void rememberLapCountChoice(MainWindowBase &w);

} // namespace sw
