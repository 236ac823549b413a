#pragma once
// The five buttons of the "Current Lap" frame: Insert and Delete (a missed
// or an extra press), Start / Restart, Finish / Keep Changes, and Cancel
// Changes. The arithmetic is in LapEditing; this class asks the questions
// and replays the record into the window.

namespace sw {

class MainWindowBase;

class LapEditor
{
public:
    explicit LapEditor(MainWindowBase &w);

    void onCurrentLapButton(int index);

    void insertCommand();
    void deleteCommand();
    void keepChanges();
    void cancelChanges();

    // Rewrites every recorded lap into the grid from the record, then shows
    // the given lap with fresh statistics and graph.
    void replay(int lapToShow);
    // Writes every lap 1..LastLap of the record into the grid through the
    // segment step, with each lap's own conditions (rewritingRecord stays true).
    void rewriteAllLaps();

private:
    // Asks whether to change a segment that looks right; false: leave it.
    bool plausible(bool insert, int seg);
    // The selected segment when Insert or Delete may go on, else 0.
    int segmentToEdit(bool insert);
    void selectLap(int lap);

    MainWindowBase &m_w;
};

} // namespace sw
