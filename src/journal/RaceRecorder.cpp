#include "journal/RaceRecorder.h"

#include "journal/JournalStore.h"
#include "race/ConditionLists.h"

#include <cmath>

namespace sw {

RaceJournal::RaceJournal(const QString &folder, bool writerThread)
    : bootId(JournalStore::currentBootId()), m_folder(folder), m_writer(folder, writerThread)
{
}

JournalConditions journalConditions(const Conditions &c)
{
    const Conditions f = c.filledForTiming();
    return {static_cast<qint16>(f.flag), static_cast<qint16>(f.position), static_cast<qint16>(f.traffic)};
}

RaceRecorder::RaceRecorder(Race &race, RaceJournal &journal, std::function<JournalArm()> armMoment)
    : QObject(&race), m_race(race), m_journal(journal), m_armMoment(std::move(armMoment))
{
    connect(&race, &Race::readingRecorded, this, &RaceRecorder::onReadingRecorded);
    connect(&race, &Race::stateChanged, this, &RaceRecorder::onStateChanged);
    connect(&race, &Race::conditionsChanged, this, &RaceRecorder::onConditionsChanged);
    connect(&race, &Race::edited, this, &RaceRecorder::onEdited);
    connect(&race, &Race::replaced, this, [this] {
        if (!m_suspended)
            m_journal.writer().close(JournalClose::Discarded); // the race it protected is gone
    });
    connect(&race, &Race::saved, this, [this] {
        // Saved in the middle of a race, the presses still to come need the
        // journal: it goes once the race is finished and saved.
        if (!m_suspended && !m_race.isTiming())
            m_journal.writer().close(JournalClose::Saved);
    });
}

void RaceRecorder::onReadingRecorded(int lap, int segment)
{
    if (m_suspended)
        return;
    m_journal.writer().press({static_cast<qint16>(lap), static_cast<qint16>(segment),
                              toMicroseconds(m_race.reading(lap, segment)),
                              journalConditions(m_race.conditionsNow())});
}

void RaceRecorder::onStateChanged(RaceState state)
{
    if (m_suspended)
        return;
    if (state == RaceState::Armed) {
        JournalArm arm = m_armMoment ? m_armMoment() : JournalArm();
        arm.setBootId(m_journal.bootId);
        arm.numSegs = static_cast<qint16>(m_race.segmentsPerLap());
        m_journal.writer().arm(arm);
        // The conditions in force from the start, so a race recovered before
        // its start press comes back with them.
        m_journal.writer().conditions(journalConditions(m_race.conditionsNow()));
    } else if (state == RaceState::Finished) {
        m_journal.writer().finish(static_cast<qint16>(m_race.lastLap()));
    }
}

void RaceRecorder::onConditionsChanged(const Conditions &now)
{
    if (!m_suspended && m_race.isTiming())
        m_journal.writer().conditions(journalConditions(now));
}

void RaceRecorder::onEdited(RaceEdit edit, int lap, int segment)
{
    if (m_suspended)
        return;
    if (edit == RaceEdit::Comments) {
        m_journal.writer().comments(m_race.comments());
        return;
    }
    const JournalEdit kind = edit == RaceEdit::Insert ? JournalEdit::Insert
        : edit == RaceEdit::Delete                    ? JournalEdit::Delete
        : edit == RaceEdit::Undo                      ? JournalEdit::Undo
        : edit == RaceEdit::Redo                      ? JournalEdit::Redo
                                                      : JournalEdit::KeepChanges;
    m_journal.writer().edit(snapshotOf(m_race, kind, lap, segment));
}

namespace {
// A condition cell as a list position, or nothing when it names no item.
std::optional<qint16> conditionCell(const Cell &c, int items)
{
    if (c.isEmpty())
        return std::nullopt;
    const double v = c.value();
    if (!(v >= 0 && v < items) || v != std::floor(v))
        return std::nullopt;
    return static_cast<qint16>(v);
}
} // namespace

JournalSnapshot RaceRecorder::snapshotOf(const Race &race, JournalEdit edit, int lap, int segment)
{
    JournalSnapshot s;
    s.edit = edit;
    s.editLap = static_cast<qint16>(qBound(0, lap, Race::Rows - 1));
    s.editSeg = static_cast<qint16>(qBound(0, segment, 4));
    s.numSegs = static_cast<qint16>(race.segmentsPerLap());
    s.lastLap = static_cast<qint16>(race.lastLap());
    s.curLap = static_cast<qint16>(qBound(0, race.selectedLap(), Race::Rows - 1));
    for (int l = 0; l < Race::Rows; ++l) {
        JournalRow row;
        row.lap = static_cast<qint16>(l);
        bool any = false;
        for (int c = 1; c <= 4; ++c) {
            const Cell &cell = race.cell(l, c);
            if (!cell.isEmpty()) {
                row.readingsUs[size_t(c - 1)] = toMicroseconds(cell.value());
                any = true;
            }
        }
        for (int c = 0; c < 3; ++c) {
            row.conditions[size_t(c)] = conditionCell(race.cell(l, RaceRecordCells::FlagColumn + c),
                                                      conditionItemCount(Condition(c)));
            any = any || row.conditions[size_t(c)].has_value();
        }
        if (any)
            s.rows.push_back(row);
    }
    return s;
}

} // namespace sw
