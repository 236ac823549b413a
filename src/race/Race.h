#pragma once
// The race: every reading taken at a timing point, the conditions in force
// on every lap, the number of segments a lap, the race state, the lap and
// segment the next press closes, the conditions in force now, the selected
// lap, and the comments. One Race owns all of it; it changes only through
// the verbs below and says what changed through its signals. Everything
// else (the results table, statistics, graph, report, journal, files,
// live figures) observes it and never keeps a copy of its own.
//
// Units: a reading is race-clock seconds since the race was armed (F12).
// Durations (segment, lap and race times) are differences of readings and
// are never stored.
//
// Laps: row 0 holds only the start press, at segment segmentsPerLap();
// laps 1..250 are the race's laps; row 251 exists so that a Delete at the
// end of the record has a place to take an empty reading from.

#include "race/Conditions.h"

#include <QObject>
#include <QString>

#include <array>
#include <optional>

namespace sw {

// The race states in the order a race goes through them.
enum class RaceState : qint16 {
    Setup = 0,    // before F12: number of segments and conditions are set
    Armed = 1,    // F12 pressed, the race clock runs, waiting for the start press
    Running = 2,  // the start press came; F2 records segments
    Finished = 3, // timing ended (F11, or a file was read): the editing face
};

// One stored value of the record: empty, a number, or (after a file read)
// the text of a number. An empty cell reads as 0; a text cell reads as its
// leading number. The text is kept only so that a file read and written
// again keeps its bytes.
class Cell
{
public:
    enum Kind : quint8 { Empty, Number, Text };

    Kind kind() const { return m_kind; }
    bool isEmpty() const { return m_kind == Empty; }
    double value() const { return m_kind == Empty ? 0.0 : m_num; }
    const QString &text() const { return m_text; } // meaningful for Text only
    // Holds a reading: a number, or a text that begins with one.
    bool holdsNumber() const { return m_kind == Number || (m_kind == Text && m_textIsNumber); }

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
    bool m_textIsNumber = false;
    double m_num = 0;
    QString m_text;
};

// The stored part of a race, as a lap-time file or a journal holds it:
// column 0 (carried by the file only), the readings of segments 1..4 in
// columns 1..4, and the lap's flag, position and traffic in columns 5..7.
struct RaceRecordCells
{
    static constexpr int Rows = 252;
    static constexpr int Columns = 8;
    static constexpr int FlagColumn = 5;
    static constexpr int PositionColumn = 6;
    static constexpr int TrafficColumn = 7;

    std::array<std::array<Cell, Columns>, Rows> rows;

    void clear();
};

// What a lap-time file gives a race, and what saving one takes from it.
struct StoredRace
{
    int segmentsPerLap = 1; // 1..4
    int lastLap = 1;        // 0..250
    RaceRecordCells cells;  // rows 0..250 are stored in files
    QString comments;       // lines joined with CR LF
};

// What a journal gives back of a race (see journal/JournalRecovery).
struct RestoredRace
{
    RaceState state = RaceState::Finished; // Armed, Running or Finished
    int segmentsPerLap = 1;
    int lastLap = 0;
    int currentLap = 0; // lap and segment of the next press (Armed, Running)
    int currentSegment = 1;
    double lastPressReading = 0; // for the debounce
    Conditions conditionsNow;
    int selectedLap = 0;
    RaceRecordCells cells;
    QString comments;
};

enum class PressResult {
    Accepted,  // stored; readingRecorded was emitted
    Bounce,    // within a second of the last accepted press: dropped
    LapsFull,  // lap 250 is complete: no place for another reading
    NotTiming, // the race is not armed or running
};

// Undo and Redo put back a whole step of one of the other kinds.
enum class RaceEdit { Insert, Delete, KeepChanges, Comments, Undo, Redo };

// What the edits after the finish change: the stored record and the
// comments, with the lap selected. An undo step puts one of these back.
struct EditedRace
{
    RaceRecordCells cells;
    QString comments;
    int lastLap = 0;     // never changed by an edit; tells races apart
    int selectedLap = 0; // not compared: selecting is no change

    bool sameRace(const EditedRace &o) const;
};

class Race : public QObject
{
    Q_OBJECT
public:
    static constexpr int MaxLap = 250;
    static constexpr int Rows = RaceRecordCells::Rows;
    // The shortest accepted time between two presses, in seconds.
    static constexpr double MinPressGap = 1.0;

    explicit Race(QObject *parent = nullptr);

    // ---- what the race holds ------------------------------------------------
    RaceState state() const { return m_state; }
    bool isTiming() const { return m_state == RaceState::Armed || m_state == RaceState::Running; }
    int segmentsPerLap() const { return m_segmentsPerLap; }
    // Laps of a finished race (0..250); 0 while a race is set up or timed.
    int lastLap() const { return m_lastLap; }
    // The lap and segment the next accepted press closes (lap 0 before the
    // start press; lap 251 once lap 250 is complete).
    int currentLap() const { return m_currentLap; }
    int currentSegment() const { return m_currentSegment; }
    // The last completed lap while timing; lastLap() once finished.
    int lastCompletedLap() const;
    // Laps with something to show: the last completed or begun lap while
    // timing, lastLap() otherwise.
    int lapsShown() const;

    const RaceRecordCells &cells() const { return m_cells; }
    const Cell &cell(int lap, int column) const { return m_cells.rows[size_t(lap)][size_t(column)]; }
    // Reading at the end of a segment (1..segmentsPerLap) of a lap (0..251);
    // 0 when the cell is empty.
    double reading(int lap, int segment) const;
    bool hasReading(int lap, int segment) const;
    // The race start: the start press's reading.
    double startReading() const { return reading(0, m_segmentsPerLap); }
    Conditions lapConditions(int lap) const;
    Conditions conditionsNow() const { return m_conditionsNow; }
    int selectedLap() const { return m_selectedLap; }
    QString comments() const { return m_comments; }
    // Changed since the last load or save: a press, an edit, the comments,
    // the number of segments. Selecting and showing never change it.
    bool isModified() const { return m_modified; }
    double lastPressReading() const { return m_lastPressReading; }
    // Counts every change of what the race's figures are made from (its
    // cells, segments, laps, state): a view that drew at one revision need
    // not draw again at the same one.
    quint64 revision() const { return m_revision; }
    // While the program is started by the log-book program the race stays
    // in the setup state: loaded laps are shown there, nothing is timed.
    bool isHeldInSetup() const { return m_heldInSetup; }

    // ---- times as the grid shows them, in seconds ---------------------------
    // A segment runs from the reading before it to its own and counts as 0
    // when that is negative (possible after editing). None when the segment
    // has no reading.
    std::optional<double> segmentTime(int lap, int segment) const;
    // The difference of this lap's last reading and the one before; not held
    // at 0. None when the lap has no last reading.
    std::optional<double> lapTime(int lap) const;

    // What a save writes: the stored cells, the segments and the laps (while
    // timing, the last completed lap), and the comments.
    StoredRace storedRace() const;

    // ---- verbs ---------------------------------------------------------------
    // Setup -> Armed: the race clock counts from now; lap and segment go
    // back to the start and any condition not chosen takes its default.
    void arm();
    // An F2 press at a reading of the race clock: the start press while
    // armed, the end of the current segment while running.
    PressResult press(double reading);
    // Running -> Finished at the last lap a press wrote, which is selected.
    void finish();
    // Empties the record: Setup, no laps, default conditions, no comments
    // (New). Held in setup or not stays as it is.
    void erase();
    // Erase, keeping the comments, then arm (F12 during or after a race).
    void restart();
    // The number of segments a lap (1..4; anything else is refused). Erases
    // the record (not the comments).
    bool setSegmentsPerLap(int segments);
    // The conditions in force now (any state but Finished); -1 = none chosen.
    void setConditions(const Conditions &conditions);
    // Finished: shows this lap for editing (held to 1..lastLap).
    void selectLap(int lap);
    // Post-race edits of the selected lap's segment (LapEditing arithmetic).
    bool insertReading(int lap, int segment, double amount);
    bool deleteReading(int lap, int segment);
    // Stores the conditions of a lap and the first segment whose shown time
    // differs from fieldTimes[segment] (1..segmentsPerLap); returns that
    // segment, 0 when none differs. The next lap is selected after an edited
    // segment (the same lap stays selected on the last lap).
    int keepChanges(int lap, const std::array<double, 5> &fieldTimes, const Conditions &conditions);
    void setComments(const QString &comments);
    // What the edits change, as it stands now.
    EditedRace editedRace() const;
    // Undo or redo (Finished only): puts back the record and comments a
    // step left, selects its lap, and says so with edited(Undo or Redo;
    // Comments for the comments). The race is unsaved unless this is the
    // race as last loaded or saved.
    void returnTo(const EditedRace &state, bool undo);
    // A lap-time file's race: Finished (Setup while held), lap 1 selected.
    void load(const StoredRace &stored);
    // A journal's race as it stood at the crash.
    void restore(const RestoredRace &restored);
    // The race was written to a file.
    void markSaved();
    void setHeldInSetup(bool held);

signals:
    // An accepted press was stored at lap, segment (lap 0: the start press);
    // the counters have already moved on.
    void readingRecorded(int lap, int segment);
    void stateChanged(RaceState state);
    void conditionsChanged(const Conditions &now);
    // The whole record changed (load, restore, an edit, erase, segments).
    void recordChanged();
    // An edit after the finish; lap and segment the operator edited.
    void edited(RaceEdit edit, int lap, int segment);
    void selectedLapChanged(int lap);
    void commentsChanged(const QString &comments);
    void modifiedChanged(bool modified);
    // The race was written to a file.
    void saved();
    void segmentsPerLapChanged(int segments);
    // The race in memory was replaced or erased (load, New, restart,
    // segments): whatever protected the old one may go.
    void replaced();

private:
    void setState(RaceState s);
    void setModified(bool modified);
    void resetCounters();
    void clearTimes(bool keepComments, int segments);
    void settleLapConditions();
    Cell &cellAt(int lap, int column) { return m_cells.rows[size_t(lap)][size_t(column)]; }

    RaceRecordCells m_cells;
    RaceState m_state = RaceState::Setup;
    int m_segmentsPerLap = 1;
    int m_lastLap = 0;
    int m_currentLap = 0;
    int m_currentSegment = 1;
    double m_lastPressReading = 0;
    Conditions m_conditionsNow = Conditions::defaults();
    int m_selectedLap = 0;
    QString m_comments;
    bool m_modified = false;
    bool m_heldInSetup = false;
    quint64 m_revision = 0;
    // The race as last loaded or saved; none when it never was (timed live,
    // recovered, erased).
    std::optional<EditedRace> m_savedRace;
};

} // namespace sw
