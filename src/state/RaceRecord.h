#pragma once
// The race record: every reading taken at a timing point, the conditions in
// force on every lap, the counters that say which lap and segment the next
// press closes, the race state and the timer calibration. One instance lives
// in the program state for the whole run.
//
// Units: a reading is race-clock seconds since the race was armed (F12),
// TickCount / TicksPerSecond. Durations are differences of readings and are
// never stored.

#include <QString>
#include <QtGlobal>

#include <array>

namespace sw {

// The race states in the order a race goes through them.
enum class RaceState : qint16 {
    Setup = 0,    // before F12: number of segments and conditions are set
    Armed = 1,    // F12 pressed, the race clock runs, waiting for the start press
    Running = 2,  // the start press came; F2 records segments
    Finished = 3, // F11 answered Yes: the editing face
};

// One cell of LapData: empty, a number, or (after a file read) the text of a
// number. An empty cell reads as 0; a text cell reads as its leading number.
// The text form is kept so that a file read and written again keeps its bytes.
class Cell
{
public:
    enum Kind : quint8 { Empty, Number, Text };

    Kind kind() const { return m_kind; }
    bool isEmpty() const { return m_kind == Empty; }
    double value() const { return m_kind == Empty ? 0.0 : m_num; }
    const QString &text() const { return m_text; } // meaningful for Text only

    // Storing a number never allocates: the text buffer is left alone.
    void set(double v)
    {
        m_kind = Number;
        m_num = v;
    }
    void setText(const QString &t);
    void clear()
    {
        m_kind = Empty;
        m_num = 0;
    }

    bool operator==(const Cell &o) const;
    bool operator!=(const Cell &o) const { return !(*this == o); }

private:
    Kind m_kind = Empty;
    double m_num = 0;
    QString m_text;
};

struct RaceRecord
{
    static constexpr int Rows = 252; // laps 0..251; row 0 holds the start press
    static constexpr int Cols = 8;   // 0 unused, 1..4 readings, 5 flag, 6 position, 7 traffic
    static constexpr int MaxLap = 250;
    static constexpr int FlagCol = 5;
    static constexpr int PositionCol = 6;
    static constexpr int TrafficCol = 7;

    std::array<std::array<Cell, Cols>, Rows> LapData;

    qint16 NumSegs = 0;
    qint16 CurSeg = 0;
    qint16 CurLap = 0;
    qint16 LastLap = 0;
    RaceState raceState = RaceState::Setup;
    qint16 SelectorPos = 0;
    bool ravelinMode = false;

    double KeyTime = 0;
    double LastKeyTime = 0;
    double MinKeyGap = 0;

    qint64 TickCount = 0; // whole TimerInterval intervals since arming; 64-bit: no wrap in any race
    double TicksPerSecond = 0;
    qint32 TimerInterval = 0;

    // Most frequent (row 0) and second most frequent (row 1) whole-second
    // value of results column c+1; c = 4 is the lap-time column.
    std::array<std::array<qint16, 6>, 3> ModeSecs{};

    double reading(int lap, int col) const { return LapData[lap][col].value(); }

    // Empties every cell of LapData.
    void clearLapData();

    // Race clock now, in seconds since arming.
    double raceClock() const { return TicksPerSecond > 0 ? double(TickCount) / TicksPerSecond : 0.0; }
};

} // namespace sw
