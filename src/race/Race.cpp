#include "race/Race.h"

#include "race/ConditionLists.h"
#include "race/LapEditing.h"
#include "race/NumberText.h"

#include <QtGlobal>

namespace sw {

void Cell::setText(const QString &t)
{
    m_kind = Text;
    m_text = t;
    m_textIsNumber = startsWithNumber(t);
    m_num = val(t);
}

bool Cell::operator==(const Cell &o) const
{
    if (m_kind != o.m_kind)
        return false;
    switch (m_kind) {
    case Empty:
        return true;
    case Number:
        return m_num == o.m_num;
    case Text:
        return m_text == o.m_text;
    }
    return false;
}

void RaceRecordCells::clear()
{
    for (auto &row : rows)
        for (Cell &c : row)
            c.clear();
}

Race::Race(QObject *parent) : QObject(parent) {}

// ---- what the race holds ------------------------------------------------------

int Race::lastCompletedLap() const
{
    if (m_state == RaceState::Running)
        return qBound(0, m_currentLap - 1, MaxLap);
    if (m_state == RaceState::Armed)
        return 0;
    return m_lastLap;
}

int Race::lapsShown() const
{
    if (m_state == RaceState::Running)
        return qBound(0, m_currentSegment > 1 ? m_currentLap : m_currentLap - 1, MaxLap);
    if (m_state == RaceState::Armed)
        return 0;
    return m_lastLap;
}

double Race::reading(int lap, int segment) const
{
    if (lap < 0 || lap >= Rows || segment < 1 || segment > 4)
        return 0;
    return cell(lap, segment).value();
}

bool Race::hasReading(int lap, int segment) const
{
    if (lap < 0 || lap >= Rows || segment < 1 || segment > 4)
        return false;
    return cell(lap, segment).holdsNumber();
}

Conditions Race::lapConditions(int lap) const
{
    if (lap < 0 || lap >= Rows)
        return {};
    return {storedItem(cell(lap, RaceRecordCells::FlagColumn), conditionItemCount(Condition::Flag)),
            storedItem(cell(lap, RaceRecordCells::PositionColumn), conditionItemCount(Condition::Position)),
            storedItem(cell(lap, RaceRecordCells::TrafficColumn), conditionItemCount(Condition::Traffic))};
}

std::optional<double> Race::segmentTime(int lap, int segment) const
{
    const int n = m_segmentsPerLap;
    if (lap < 1 || lap > MaxLap || segment < 1 || segment > n || !hasReading(lap, segment))
        return std::nullopt;
    const double start = segment == 1 ? reading(lap - 1, n) : reading(lap, segment - 1);
    const double end = reading(lap, segment);
    return end < start ? 0.0 : end - start;
}

std::optional<double> Race::lapTime(int lap) const
{
    const int n = m_segmentsPerLap;
    if (lap < 1 || lap > MaxLap || !hasReading(lap, n))
        return std::nullopt;
    return reading(lap, n) - reading(lap - 1, n);
}

StoredRace Race::storedRace() const
{
    StoredRace s;
    s.segmentsPerLap = m_segmentsPerLap;
    // While a race is timed the file holds every lap completed so far (a lap
    // begun is in its row lines all the same).
    s.lastLap = isTiming() ? lastCompletedLap() : m_lastLap;
    s.cells = m_cells;
    s.comments = m_comments;
    return s;
}

// ---- verbs --------------------------------------------------------------------

void Race::setState(RaceState s)
{
    if (m_state == s)
        return;
    m_state = s;
    ++m_revision;
    emit stateChanged(s);
}

void Race::setModified(bool modified)
{
    if (m_modified == modified)
        return;
    m_modified = modified;
    emit modifiedChanged(modified);
}

void Race::resetCounters()
{
    m_currentLap = 0;
    m_currentSegment = 1;
    m_lastPressReading = 0;
}

void Race::arm()
{
    if (m_state != RaceState::Setup || m_heldInSetup)
        return;
    resetCounters();
    m_lastLap = 0;
    m_selectedLap = 0;
    const Conditions filled = m_conditionsNow.filledForTiming();
    const bool conditionsFilled = filled != m_conditionsNow;
    m_conditionsNow = filled;
    setState(RaceState::Armed);
    if (conditionsFilled)
        emit conditionsChanged(m_conditionsNow);
}

// The timing path: nothing here allocates, logs or waits. The listeners
// connected first (the journal) get the reading before anything else runs.
PressResult Race::press(double reading)
{
    if (!isTiming())
        return PressResult::NotTiming;
    // Lap 250 is the last lap the record and the files hold.
    if (m_state == RaceState::Running && m_currentLap > MaxLap)
        return PressResult::LapsFull;
    if (reading < m_lastPressReading + MinPressGap)
        return PressResult::Bounce; // within a second of the last accepted press
    m_lastPressReading = reading;

    int lap = 0;
    int segment = m_segmentsPerLap;
    if (m_state == RaceState::Armed) {
        cellAt(0, segment).set(reading);
        m_currentLap = 1;
        m_currentSegment = 1;
    } else {
        lap = m_currentLap;
        segment = m_currentSegment;
        cellAt(lap, segment).set(reading);
        // A lap keeps the conditions in force at its last press; a lap never
        // gets a condition that was not chosen.
        const Conditions c = m_conditionsNow.filledForTiming();
        cellAt(lap, RaceRecordCells::FlagColumn).set(c.flag);
        cellAt(lap, RaceRecordCells::PositionColumn).set(c.position);
        cellAt(lap, RaceRecordCells::TrafficColumn).set(c.traffic);
        if (++m_currentSegment > m_segmentsPerLap) {
            m_currentSegment = 1;
            ++m_currentLap;
        }
    }
    ++m_revision;
    emit readingRecorded(lap, segment);
    if (m_state == RaceState::Armed)
        setState(RaceState::Running);
    setModified(true);
    return PressResult::Accepted;
}

void Race::finish()
{
    if (m_state != RaceState::Running)
        return;
    // The last lap is the one the last press wrote (the counters already
    // point at the next segment).
    m_lastLap = lapsShown();
    m_currentLap = m_lastLap;
    m_currentSegment = m_segmentsPerLap;
    m_selectedLap = m_lastLap;
    setState(RaceState::Finished);
    emit selectedLapChanged(m_selectedLap);
}

// Empties the times and goes back to setup with the default conditions;
// the comments stay unless keepComments is false. Segments may change with
// it (0: as they are).
void Race::clearTimes(bool keepComments, int segments)
{
    m_cells.clear();
    m_savedRace.reset();
    resetCounters();
    m_lastLap = 0;
    m_selectedLap = 0;
    if (!keepComments)
        m_comments.clear();
    m_conditionsNow = Conditions::defaults();
    if (segments > 0)
        m_segmentsPerLap = segments;
    ++m_revision;
    setState(RaceState::Setup);
    emit replaced();
    if (segments > 0)
        emit segmentsPerLapChanged(segments);
    emit recordChanged();
    emit conditionsChanged(m_conditionsNow);
    if (!keepComments)
        emit commentsChanged(m_comments);
    emit selectedLapChanged(m_selectedLap);
}

void Race::erase()
{
    clearTimes(false, 0);
    setModified(false);
}

void Race::restart()
{
    if (m_heldInSetup)
        return;
    // The comments belong to the session, not to the times (only New
    // blanks them).
    clearTimes(true, 0);
    setModified(false);
    arm();
}

bool Race::setSegmentsPerLap(int segments)
{
    if (segments < 1 || segments > 4)
        return false;
    clearTimes(true, segments);
    setModified(true);
    return true;
}

void Race::setConditions(const Conditions &conditions)
{
    if (m_state == RaceState::Finished || conditions == m_conditionsNow)
        return;
    m_conditionsNow = conditions;
    emit conditionsChanged(m_conditionsNow);
}

void Race::selectLap(int lap)
{
    if (m_state != RaceState::Finished || m_lastLap < 1)
        return;
    lap = qBound(1, lap, m_lastLap);
    m_selectedLap = lap;
    m_currentLap = lap;
    // Emitted even when the lap stays: showing it again puts back what was
    // typed over it.
    emit selectedLapChanged(lap);
}

bool Race::insertReading(int lap, int segment, double amount)
{
    if (m_state != RaceState::Finished || !sw::insertReading(m_cells, m_segmentsPerLap, lap, segment, amount))
        return false;
    setModified(true);
    ++m_revision;
    emit recordChanged();
    emit edited(RaceEdit::Insert, lap, segment);
    selectLap(lap);
    return true;
}

bool Race::deleteReading(int lap, int segment)
{
    if (m_state != RaceState::Finished || !sw::deleteReading(m_cells, m_segmentsPerLap, lap, segment))
        return false;
    setModified(true);
    ++m_revision;
    emit recordChanged();
    emit edited(RaceEdit::Delete, lap, segment);
    selectLap(lap);
    return true;
}

int Race::keepChanges(int lap, const std::array<double, 5> &fieldTimes, const Conditions &conditions)
{
    if (m_state != RaceState::Finished || lap < 1 || lap > m_lastLap)
        return 0;
    const Conditions before = lapConditions(lap);
    cellAt(lap, RaceRecordCells::FlagColumn).set(conditions.flag);
    cellAt(lap, RaceRecordCells::PositionColumn).set(conditions.position);
    cellAt(lap, RaceRecordCells::TrafficColumn).set(conditions.traffic);
    const KeepChangesResult edit = findEditedSegment(m_cells, m_segmentsPerLap, lap, fieldTimes);
    if (edit.editedSegment > 0)
        cellAt(lap, edit.editedSegment).set(edit.newReading);
    if (edit.editedSegment > 0 || before != conditions)
        setModified(true);
    ++m_revision;
    emit recordChanged();
    // After an edited segment the next lap comes up for editing.
    selectLap(edit.editedSegment > 0 && lap < m_lastLap ? lap + 1 : lap);
    emit edited(RaceEdit::KeepChanges, lap, edit.editedSegment);
    return edit.editedSegment;
}

void Race::setComments(const QString &comments)
{
    if (comments == m_comments)
        return;
    m_comments = comments;
    setModified(true);
    emit commentsChanged(m_comments);
    emit edited(RaceEdit::Comments, 0, 0);
}

bool EditedRace::sameRace(const EditedRace &o) const
{
    return lastLap == o.lastLap && comments == o.comments && cells.rows == o.cells.rows;
}

EditedRace Race::editedRace() const
{
    return {m_cells, m_comments, m_lastLap, m_selectedLap};
}

void Race::returnTo(const EditedRace &state, bool undo)
{
    if (m_state != RaceState::Finished || state.lastLap != m_lastLap)
        return;
    const bool commentsOnly = state.comments != m_comments && state.cells.rows == m_cells.rows;
    m_cells = state.cells;
    ++m_revision;
    setModified(!(m_savedRace && m_savedRace->sameRace(state)));
    emit recordChanged();
    if (state.comments != m_comments) {
        m_comments = state.comments;
        emit commentsChanged(m_comments);
    }
    selectLap(state.selectedLap);
    emit edited(commentsOnly ? RaceEdit::Comments : undo ? RaceEdit::Undo : RaceEdit::Redo, m_selectedLap, 0);
}

// The conditions of every lap are what the lists make of them: an empty
// cell becomes the first item, a value that names no item becomes none.
void Race::settleLapConditions()
{
    for (int lap = 1; lap <= m_lastLap; ++lap)
        for (Condition c : {Condition::Flag, Condition::Position, Condition::Traffic}) {
            Cell &cell = cellAt(lap, RaceRecordCells::FlagColumn + int(c));
            cell.set(selectedItem(cell, conditionItemCount(c)));
        }
}

void Race::load(const StoredRace &stored)
{
    m_cells = stored.cells;
    // Row 251 is never stored: the loaded race has nothing there.
    for (Cell &c : m_cells.rows[Rows - 1])
        c.clear();
    m_segmentsPerLap = qBound(1, stored.segmentsPerLap, 4);
    m_lastLap = qBound(1, stored.lastLap, MaxLap);
    settleLapConditions();
    m_currentLap = m_lastLap;
    m_currentSegment = m_segmentsPerLap;
    m_lastPressReading = 0;
    m_comments = stored.comments;
    m_selectedLap = 1;
    ++m_revision;
    emit replaced();
    emit segmentsPerLapChanged(m_segmentsPerLap);
    setState(m_heldInSetup ? RaceState::Setup : RaceState::Finished);
    emit recordChanged();
    emit commentsChanged(m_comments);
    emit selectedLapChanged(m_selectedLap);
    m_savedRace = editedRace();
    setModified(false);
}

void Race::restore(const RestoredRace &r)
{
    m_cells = r.cells;
    m_segmentsPerLap = qBound(1, r.segmentsPerLap, 4);
    m_lastLap = qBound(0, r.lastLap, MaxLap);
    m_currentLap = qBound(0, r.currentLap, Rows - 1);
    m_currentSegment = qBound(1, r.currentSegment, m_segmentsPerLap);
    m_lastPressReading = r.lastPressReading;
    m_conditionsNow = r.conditionsNow;
    m_comments = r.comments;
    m_selectedLap = r.state == RaceState::Finished ? qBound(1, r.selectedLap, qMax(1, m_lastLap)) : 0;
    if (r.state == RaceState::Finished) {
        m_currentLap = m_selectedLap;
        m_currentSegment = m_segmentsPerLap;
        settleLapConditions();
    }
    ++m_revision;
    emit segmentsPerLapChanged(m_segmentsPerLap);
    setState(r.state);
    emit recordChanged();
    emit conditionsChanged(m_conditionsNow);
    emit commentsChanged(m_comments);
    emit selectedLapChanged(m_selectedLap);
    // A recovered race was saved nowhere.
    m_savedRace.reset();
    setModified(true);
}

void Race::markSaved()
{
    m_savedRace = editedRace();
    setModified(false);
    emit saved();
}

void Race::setHeldInSetup(bool held)
{
    if (held == m_heldInSetup)
        return;
    m_heldInSetup = held;
    if (held && m_state != RaceState::Setup)
        setState(RaceState::Setup);
    else
        emit stateChanged(m_state); // the face of the state changes with it
}

} // namespace sw
