#include "timing/JournalLink.h"

#include "journal/JournalStore.h"
#include "results/LapEditor.h"
#include "state/AppState.h"
#include "timing/HiTime.h"
#include "ui/MainWindowBase.h"
#include "ui/Prompts.h"

#include <QDateTime>
#include <QDir>

#include <limits>

namespace sw {

RaceJournal::RaceJournal(const QString &folder, bool writerThread)
    : bootId(JournalStore::currentBootId()), m_folder(folder), m_writer(folder, writerThread)
{
}

namespace {

RaceJournal *journalOf(MainWindowBase &w) { return w.state().journal; }

// The selectors in force, as list positions (never -1: a reader refuses a
// condition out of its list).
JournalConditions conditionsShown(const MainWindowControls &ui)
{
    return {static_cast<qint16>(qMax(0, ui.flagList->currentIndex())),
            static_cast<qint16>(qMax(0, ui.positionList->currentIndex())),
            static_cast<qint16>(qMax(0, ui.trafficList->currentIndex()))};
}

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

// The whole record as it stands after an edit: every row with a cell.
JournalSnapshot snapshotOf(const RaceRecord &r, JournalEdit edit, int lap, int seg)
{
    JournalSnapshot s;
    s.edit = edit;
    s.editLap = static_cast<qint16>(qBound(0, lap, RaceRecord::Rows - 1));
    s.editSeg = static_cast<qint16>(qBound(0, seg, 4));
    s.numSegs = r.NumSegs;
    s.lastLap = r.LastLap;
    s.curLap = static_cast<qint16>(qBound(0, int(r.CurLap), RaceRecord::Rows - 1));
    static const int items[3] = {2, 100, 3};
    for (int l = 0; l < RaceRecord::Rows; ++l) {
        JournalRow row;
        row.lap = static_cast<qint16>(l);
        bool any = false;
        for (int c = 1; c <= 4; ++c) {
            const Cell &cell = r.LapData[l][c];
            if (!cell.isEmpty()) {
                row.readingsUs[c - 1] = toMicroseconds(cell.value());
                any = true;
            }
        }
        for (int c = 0; c < 3; ++c) {
            row.conditions[c] = conditionCell(r.LapData[l][RaceRecord::FlagCol + c], items[c]);
            any = any || row.conditions[c].has_value();
        }
        if (any)
            s.rows.push_back(row);
    }
    return s;
}

void setConditions(MainWindowControls &ui, const JournalConditions &c)
{
    ui.flagList->setCurrentIndex(c.flag);
    ui.positionList->setCurrentIndex(c.position);
    ui.trafficList->setCurrentIndex(c.traffic);
}

// One press of the journal, applied as the F2 step applies it: the reading
// into the record, the row through the segment step, the counters on.
void applyPress(MainWindowBase &w, const JournalPress &p)
{
    RaceRecord &r = w.state().rec;
    setConditions(w.ui, p.conditions);
    r.KeyTime = r.LastKeyTime = p.seconds();
    if (p.isStart()) {
        r.CurLap = 0;
        r.CurSeg = r.NumSegs;
    } else {
        r.CurLap = p.lap;
        r.CurSeg = p.seg;
    }
    r.LapData[r.CurLap][r.CurSeg].set(p.seconds());
    w.writeSegmentStep(GraphUpdate::StatsAndGraph);
    r.CurSeg += 1;
    if (r.CurSeg > r.NumSegs) {
        r.CurSeg = 1;
        r.CurLap += 1;
    }
}

// Starts the race timer so that its intervals fall where they fell since
// arming: the start waits (at most one interval, only while the clock moves)
// for the next whole interval after the arm moment.
qint64 restartRaceTimer(HiTime &timer, const JournalArm &arm)
{
    const qint64 interval = qint64(qMax(1, int(arm.timerIntervalMs))) * 1000000;
    const MonotonicClock &clock = timer.clock();
    qint64 now = clock.nowNs();
    for (qint64 before = now - 1; now != before && (now - arm.monotonicNs) % interval > 20000;) {
        before = now;
        now = clock.nowNs();
    }
    timer.resumeFrom(arm.timerIntervalMs, arm.monotonicNs); // the count runs from the arm moment
    return resumeTickCount(arm, now);
}

void restoreRace(MainWindowBase &w, RaceJournal &j, JournalFound &found)
{
    AppState &s = w.state();
    RaceRecord &r = s.rec;
    const JournalRace &race = found.read.race;
    const bool running =
        resumeMode(race, j.bootId, w.hiTime().clock().nowNs()) == JournalResume::Running;

    w.hiTime().setInterval(0);
    r.raceState = RaceState::Setup;
    r.NumSegs = race.arm.numSegs;
    r.TimerInterval = race.arm.timerIntervalMs;
    r.TicksPerSecond = race.arm.ticksPerSecond;
    w.eraseLapTimes(RecordErase::RecordAndGrid);
    w.refreshResults();
    r.TickCount = 0;
    r.LastKeyTime = 0;
    r.raceState = race.presses.empty() ? RaceState::Armed : RaceState::Running;
    w.showScreenMode();
    for (const JournalPress &p : race.presses)
        applyPress(w, p);
    if (race.comments)
        s.Comments = *race.comments;
    s.unsavedChanges = true;
    j.writer().resume(std::move(found.claim), found.read.goodLength, damagedCopyFor(found));

    if (running) {
        if (race.conditions)
            setConditions(w.ui, *race.conditions);
        r.TickCount = restartRaceTimer(w.hiTime(), race.arm);
        w.showScreenMode();
        w.redrawClocks();
        w.ui.timingFocusHolder->setFocus(Qt::OtherFocusReason);
        return;
    }

    int showLap = 1;
    if (!race.edits.empty()) {
        // The last edit is the record as it stands.
        const JournalSnapshot &e = race.edits.back();
        r.clearLapData();
        r.NumSegs = e.numSegs;
        for (const JournalRow &row : e.rows) {
            for (int c = 0; c < 4; ++c)
                if (row.readingsUs[c])
                    r.LapData[row.lap][c + 1].set(*row.readingsUs[c] / 1e6);
            for (int c = 0; c < 3; ++c)
                if (row.conditions[c])
                    r.LapData[row.lap][RaceRecord::FlagCol + c].set(*row.conditions[c]);
        }
        r.LastLap = e.lastLap;
        showLap = e.curLap;
    } else if (race.finished) {
        r.LastLap = race.lastLap;
        showLap = r.LastLap;
    } else {
        // Not finished, and the clock it ran on is gone: finished at the last
        // lap a press wrote, as F11 would have finished it.
        const int lastWritten = r.CurSeg > 1 ? r.CurLap : r.CurLap - 1;
        r.LastLap = static_cast<qint16>(qBound(0, lastWritten, int(RaceRecord::MaxLap)));
        showLap = r.LastLap;
        j.writer().finish(r.LastLap);
    }
    // Shown as every whole record is shown: the editing face, every lap
    // through the segment step, then the lap selected.
    r.raceState = RaceState::Finished;
    r.CurLap = r.LastLap;
    w.eraseLapTimes(RecordErase::GridOnly);
    w.refreshResults();
    w.showScreenMode();
    w.editor().rewriteAllLaps();
    s.rewritingRecord = false;
    s.grid.Row = qBound(1, showLap, qMax(1, int(r.LastLap)));
    w.onGridClicked();
    w.showScreenMode();
    w.drawGraph();
}

} // namespace

void journalArmed(MainWindowBase &w)
{
    RaceJournal *j = journalOf(w);
    if (!j)
        return;
    const RaceRecord &r = w.state().rec;
    JournalArm arm;
    arm.monotonicNs = w.hiTime().startNs(); // where the race timer counts from
    arm.wallMs = QDateTime::currentMSecsSinceEpoch();
    arm.setBootId(j->bootId);
    arm.numSegs = r.NumSegs;
    arm.ticksPerSecond = r.TicksPerSecond;
    arm.timerIntervalMs = r.TimerInterval;
    j->writer().arm(arm);
    journalShowFailure(w); // a journal that cannot be made is told now, not after the start press
}

void journalPressed(MainWindowBase &w)
{
    RaceJournal *j = w.state().journal;
    if (!j)
        return;
    const RaceRecord &r = w.state().rec;
    j->writer().press({r.CurLap, r.CurSeg, toMicroseconds(r.KeyTime), conditionsShown(w.ui)});
}

void journalFinished(MainWindowBase &w)
{
    if (RaceJournal *j = journalOf(w))
        j->writer().finish(w.state().rec.LastLap);
}

void journalEdited(MainWindowBase &w, JournalEdit edit, int lap, int seg)
{
    if (RaceJournal *j = journalOf(w)) {
        j->writer().edit(snapshotOf(w.state().rec, edit, lap, seg));
        journalShowFailure(w);
    }
}

void journalCommentsChanged(AppState &s)
{
    if (s.journal)
        s.journal->writer().comments(s.Comments);
}

void journalSaved(AppState &s)
{
    // Saved in the middle of a race, the presses still to come need the
    // journal: it goes once the race is finished and saved.
    if (s.journal && s.rec.raceState != RaceState::Armed && s.rec.raceState != RaceState::Running)
        s.journal->writer().close(JournalClose::Saved);
}

void journalDiscarded(AppState &s)
{
    if (s.journal)
        s.journal->writer().close(JournalClose::Discarded);
}

QString journalFailureText()
{
    return QStringLiteral("Status: The race journal can not be written, so this race is not protected "
                          "against a crash.  Timing goes on.");
}

void journalShowFailure(MainWindowBase &w)
{
    RaceJournal *j = journalOf(w);
    if (j && j->writer().takeFailureNotice())
        w.ui.statusLine->setText(journalFailureText());
}

bool offerRecovery(MainWindowBase &w)
{
    RaceJournal *j = journalOf(w);
    if (!j)
        return false;
    Prompts &p = w.prompts();
    const JournalStore store(j->folder());
    QStringList heldElsewhere;
    // Each journal listed stays held by this program until it is recovered
    // (the writer takes it over), deleted, or the listing goes.
    std::vector<JournalFound> journals = store.unfinished(&heldElsewhere);
    if (!heldElsewhere.isEmpty())
        p.message({QStringLiteral("Race Journal in Use"), heldElsewhereText(heldElsewhere), Buttons::Ok,
                   Icon::Exclamation, Answer::Ok});
    for (JournalFound &found : journals) {
        if (!found.read.usable()) {
            const Answer a = p.message({QString::fromLatin1(RefusedJournalTitle), refusedJournalQuestion(found),
                                        Buttons::YesNo, Icon::Exclamation, Answer::No});
            if (a == Answer::Yes)
                store.remove(found);
            continue;
        }
        Answer a = p.message({QStringLiteral("Recover Race?"), recoverRaceQuestion(found), Buttons::YesNo,
                              Icon::Question, Answer::Yes});
        if (a != Answer::Yes) {
            a = p.message({QStringLiteral("Delete Race Journal?"),
                           QStringLiteral("If you answer Yes, the journal of this race is deleted and the race "
                                          "can not be recovered.\r\rNo recovers the race after all; Cancel keeps "
                                          "the journal for the next start."),
                           Buttons::YesNoCancel, Icon::Exclamation, Answer::Cancel});
            if (a == Answer::Yes)
                store.remove(found);
            if (a != Answer::No)
                continue;
        }
        restoreRace(w, *j, found);
        return true;
    }
    return false;
}

} // namespace sw
