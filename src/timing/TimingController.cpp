#include "timing/TimingController.h"

#include "state/AppState.h"
#include "ui/MainWindowBase.h"
#include "results/EntryFields.h"
#include "timing/ConditionLists.h"
#include "timing/FinishSummary.h"
#include "timing/HiTime.h"
#include "timing/JournalLink.h"
#include "timing/NumberText.h"
#include "ui/Geometry.h"
#include "ui/Prompts.h"

#include <QApplication>

#include <limits>

namespace sw {

TimingController::TimingController(MainWindowBase &w)
    : m_w(w), m_s(w.state()),
      m_lapsFullNote(QStringLiteral("Status: Lap 250 is complete and no more times can be recorded.  "
                                    "Press <F11> to finish the race."))
{
}

void TimingController::listUp(QComboBox *c)
{
    if (c->currentIndex() > 0)
        c->setCurrentIndex(c->currentIndex() - 1);
}

void TimingController::listDown(QComboBox *c)
{
    if (c->currentIndex() < c->count() - 1)
        c->setCurrentIndex(c->currentIndex() + 1);
}

void TimingController::handleTimingKey(int keyCode)
{
    RaceRecord &r = m_s.rec;
    auto &ui = m_w.ui;
    const bool notFinished = r.raceState != RaceState::Finished;

    if (keyCode == VK_F2 && (r.raceState == RaceState::Armed || r.raceState == RaceState::Running)) {
        recordSegment();
    } else if (keyCode >= VK_F4 && keyCode <= VK_F9) {
        if (notFinished) {
            QComboBox *list = keyCode <= VK_F5 ? ui.flagList
                            : keyCode <= VK_F7 ? ui.positionList
                                               : ui.trafficList;
            if ((keyCode - VK_F4) % 2 == 0)
                listUp(list);
            else
                listDown(list);
        }
    } else if (keyCode == VK_F11) {
        if (r.raceState == RaceState::Running)
            finishPrompt();
        else
            m_w.prompts().info(QStringLiteral("This key only has effect during the race."));
    } else if (keyCode == VK_F12) {
        if (r.raceState == RaceState::Setup)
            armRace();
        else if (r.raceState == RaceState::Running || r.raceState == RaceState::Finished)
            restartPrompt();
    } else if (keyCode >= VK_LEFT && keyCode <= VK_DOWN) {
        m_w.moveConditionSelector(keyCode);
    }

    const bool arrow = keyCode >= VK_LEFT && keyCode <= VK_DOWN;
    if (!arrow && r.raceState != RaceState::Setup)
        ui.timingFocusHolder->setFocus(Qt::OtherFocusReason);
}

void TimingController::keyArriving()
{
    // A key sent by another program is checked twice (once by Qt on its
    // way): the first check stands.
    const std::int64_t nowNs = m_w.hiTime().clock().nowNs();
    if (m_keyArrivedNs < 0 || nowNs - m_keyArrivedNs >= kKeyArrivalValidNs || nowNs < m_keyArrivedNs)
        m_keyArrivedNs = nowNs;
}

void TimingController::pressFromOtherWindow()
{
    const RaceState st = m_s.rec.raceState;
    if (st == RaceState::Armed || st == RaceState::Running)
        recordSegment();
}

// The timing path: from here to the stored reading nothing allocates, logs or
// waits. The tick count is read from the monotonic clock at the press, so the
// reading is the time since arming however late or seldom timer events come.
void TimingController::recordSegment()
{
    RaceRecord &r = m_s.rec;
    const HiTime &t = m_w.hiTime();
    // The press's own moment: when the program first heard of it, if that
    // was just now (a stamp left by a key that was not recorded is older).
    const std::int64_t nowNs = t.clock().nowNs();
    const std::int64_t pressNs =
        m_keyArrivedNs >= 0 && m_keyArrivedNs <= nowNs && nowNs - m_keyArrivedNs < kKeyArrivalValidNs ? m_keyArrivedNs
                                                                                                   : nowNs;
    m_keyArrivedNs = -1;
    double fraction = 0;
    r.TickCount = t.ticksAt(pressNs, &fraction);
    // The part of the interval now running counts too, so a reading is not
    // up to one interval early.
    const double keyTime = r.TicksPerSecond > 0 ? (double(r.TickCount) + fraction) / r.TicksPerSecond : 0.0;

    // Lap 250 is the last lap the record and the files hold.
    if (r.raceState == RaceState::Running && r.CurLap > RaceRecord::MaxLap) {
        m_w.ui.statusLine->setText(m_lapsFullNote);
        return;
    }
    r.KeyTime = keyTime;
    if (r.KeyTime < r.LastKeyTime + r.MinKeyGap)
        return; // within a second of the last accepted press: a bounce
    r.LastKeyTime = r.KeyTime;

    if (r.raceState == RaceState::Armed) {
        r.CurSeg = r.NumSegs;
        r.CurLap = 0;
        r.raceState = RaceState::Running;
        r.LapData[0][r.NumSegs].set(r.KeyTime);
        journalPressed(m_w);
        m_w.showScreenMode();
        updateClockWakeUps(); // the clocks start running
    } else if (r.raceState == RaceState::Running) {
        r.LapData[r.CurLap][r.CurSeg].set(r.KeyTime);
        journalPressed(m_w);
    } else {
        return;
    }

    for (int i = 0; i < r.CurSeg; ++i)
        processPendingEvents();
    writeSegmentStep(GraphUpdate::StatsAndGraph);
    r.CurSeg += 1;
    if (r.CurSeg > r.NumSegs) {
        r.CurSeg = 1;
        r.CurLap += 1;
    }
}

// Lets timers and repaints run; key presses wait until the press in hand is
// done (a second F2 would be a bounce anyway).
void TimingController::processPendingEvents()
{
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TimingController::armRace()
{
    RaceRecord &r = m_s.rec;
    auto &ui = m_w.ui;
    r.raceState = RaceState::Armed;
    m_w.showScreenMode();
    m_w.hiTime().setInterval(r.TimerInterval);
    redrawClocks(); // .000 until the start press; no wake-ups meanwhile
    journalArmed(m_w);
    r.TickCount = 0;
    r.LastKeyTime = 0;
    // No lap is under way until the start press: the previous race's
    // numbers go.
    ui.currentLapLabel->clear();
    ui.currentSegLabel->clear();
    ui.lapList->setCurrentIndex(0);
    if (ui.flagList->currentIndex() < 0)
        ui.flagList->setCurrentIndex(0);
    if (ui.positionList->currentIndex() < 0)
        ui.positionList->setCurrentIndex(0);
    if (ui.trafficList->currentIndex() < 0)
        ui.trafficList->setCurrentIndex(1);
    ui.positionDisplay->setText(ui.positionList->currentText());
    ui.flagDisplay->setText(ui.flagList->currentText());
    ui.trafficDisplay->setText(ui.trafficList->currentText());
    const Palette colour = ui.flagList->currentIndex() == 0 ? Palette::Green : Palette::Yellow;
    for (QLabel *label : ui.flagColouredLabels())
        setForeColour(label, colour);
}

void TimingController::finishPrompt()
{
    RaceRecord &r = m_s.rec;
    const Answer a = m_w.prompts().message({QStringLiteral("Finished Timing Race ?"),
                                            QStringLiteral("Are you finished timing laps for this race?"),
                                            Buttons::YesNo, Icon::Question, Answer::No});
    if (a != Answer::Yes)
        return;
    r.raceState = RaceState::Finished;
    // The last lap is the one the last press wrote (the counters already
    // point at the next segment), whatever row the grid shows now.
    const int lastWritten = r.CurSeg > 1 ? r.CurLap : r.CurLap - 1;
    r.LastLap = static_cast<qint16>(qBound(0, lastWritten, int(RaceRecord::MaxLap)));
    r.CurLap = r.LastLap;
    journalFinished(m_w);
    QComboBox *lapList = m_w.ui.lapList;
    const int pos = r.LastLap - 1;
    if (lapList->currentIndex() != pos)
        lapList->setCurrentIndex(pos); // its click selects the lap in the grid
    else
        m_w.entryFields().listClick(0);
    processPendingEvents();
    m_w.showScreenMode();
}

void TimingController::restartPrompt()
{
    const Answer a = m_w.prompts().message(
        {QStringLiteral("Restart Race ?"),
         QStringLiteral("Do you want to 'Restart' this race?\r\rIf you answer Yes, you will loose all "
                        "your current recorded times."),
         Buttons::YesNo, Icon::Question, Answer::No});
    if (a != Answer::Yes)
        return;
    eraseLapTimes(RecordErase::RecordAndGrid);
    m_w.refreshResults();
    armRace();
}

// A wake-up of the clocks. The count itself needs no events: it is read
// from the monotonic clock.
void TimingController::onTimerTick(int /*overrun*/)
{
    RaceRecord &r = m_s.rec;
    if (r.raceState == RaceState::Finished) {
        // The race clock stops at the first wake-up after the finish; the
        // clocks keep what they showed.
        m_w.hiTime().setInterval(0);
        r.TickCount = m_w.hiTime().ticks();
        return;
    }
    if (r.raceState == RaceState::Armed || r.raceState == RaceState::Running)
        redrawClocks();
    else
        updateClockWakeUps();
}

// The clocks wake the program only while they run and can be seen: 20 times
// a second, never while the window is hidden or minimised, and not while
// armed (the clocks show .000 until the start). The tenths step at least
// every other frame and the hundredths and thousandths are a blur at any
// rate, while each frame costs about half a millisecond of CPU on a
// software-rendered X server; every reading is taken from the clock at the
// press, not from a frame.
void TimingController::updateClockWakeUps()
{
    HiTime &t = m_w.hiTime();
    const RaceState st = m_s.rec.raceState;
    if (st == RaceState::Finished) {
        // A finish seen without a wake-up to stop the count (hidden at the
        // time) stops it now.
        if (t.interval() > 0 && t.wakeInterval() == 0) {
            t.setInterval(0);
            m_s.rec.TickCount = t.ticks();
        }
        return;
    }
    const int wanted = st == RaceState::Running && m_clocksOnScreen && t.interval() > 0 ? kClockFrameMs : 0;
    if (t.wakeInterval() != wanted)
        t.setWakeInterval(wanted);
}

void TimingController::setClocksOnScreen(bool onScreen)
{
    const bool shownAgain = onScreen && !m_clocksOnScreen;
    m_clocksOnScreen = onScreen;
    const RaceState st = m_s.rec.raceState;
    if (shownAgain && (st == RaceState::Armed || st == RaceState::Running))
        redrawClocks(); // at once: they stood still while out of sight
    else
        updateClockWakeUps();
}

void TimingController::redrawClocks()
{
    RaceRecord &r = m_s.rec;
    auto &ui = m_w.ui;
    journalShowFailure(m_w);
    r.TickCount = m_w.hiTime().ticks();
    updateClockWakeUps();
    if (r.raceState < RaceState::Running) {
        for (QLabel *clock : {ui.segmentClock, ui.lapClock, ui.raceClock})
            clock->setText(QStringLiteral(".000"));
        return;
    }
    const double now = r.raceClock();
    double segStart = 0, lapStart = 0;
    if (r.CurLap > 0 && r.CurLap < RaceRecord::Rows) {
        segStart = r.CurSeg > 1 ? r.reading(r.CurLap, r.CurSeg - 1) : r.reading(r.CurLap - 1, r.NumSegs);
        lapStart = r.reading(r.CurLap - 1, r.NumSegs);
    }
    const double raceStart = r.reading(0, r.NumSegs);
    auto show = [now](QLabel *l, double start) {
        l->setText(formatTime(start > now ? 0.0 : now - start));
    };
    show(ui.segmentClock, segStart);
    show(ui.lapClock, lapStart);
    show(ui.raceClock, raceStart);
}

void TimingController::writeSegmentStep(GraphUpdate graph)
{
    RaceRecord &r = m_s.rec;
    ResultsGrid &g = m_s.grid;
    auto &ui = m_w.ui;
    const int lap = r.CurLap;
    const int seg = r.CurSeg;
    if (lap <= 0 || lap > RaceRecord::MaxLap || seg < 1 || seg > 4 || r.NumSegs < 1)
        return;

    // Lap and segment now being timed (the counters have not advanced yet).
    if (seg < r.NumSegs) {
        ui.currentSegLabel->setText(QString::number(seg + 1));
        ui.currentLapLabel->setText(QString::number(lap));
    } else {
        ui.currentSegLabel->setText(QStringLiteral("1"));
        ui.currentLapLabel->setText(QString::number(lap + 1));
    }

    g.Row = lap;
    m_s.rangeCheckSuspended = true;
    for (int i = 1; i <= seg; ++i) {
        g.Col = i;
        const double start = i == 1 ? r.reading(lap - 1, r.NumSegs) : r.reading(lap, i - 1);
        const double end = r.reading(lap, i);
        const QString text = formatTime(end < start ? 0.0 : end - start);
        g.setCell(lap, i, text);
        ui.segmentFields[i]->setText(text);
    }
    m_s.rangeCheckSuspended = false;

    if (!(r.raceState == RaceState::Finished && !m_s.rewritingRecord)) {
        const QStringList *items[3] = {&flagItems(), &positionItems(), &trafficItems()};
        for (int c = 5; c <= 7; ++c) {
            r.LapData[lap][c].set(ui.listField(c)->currentIndex());
            g.setCell(lap, c + 1, itemText(*items[c - 5], r.reading(lap, c)));
        }
        if (seg == r.NumSegs)
            g.setCell(lap, 5, formatTime(r.reading(lap, seg) - r.reading(lap - 1, seg)));
    }

    g.scrollToWrittenRow(lap);
    if (r.raceState != RaceState::Finished)
        processPendingEvents();

    if (graph == GraphUpdate::RowOnly || r.raceState != RaceState::Finished)
        return;

    applyFinishSummary(m_s);

    // Graph quantity list: "Whole Laps", then one item per segment.
    QComboBox *q = ui.graphQuantityList;
    if (q->currentIndex() > r.NumSegs || q->currentIndex() < 0 || q->count() != r.NumSegs + 1) {
        QSignalBlocker block(q);
        q->clear();
        q->addItem(QStringLiteral("Whole Laps"));
        for (int i = 1; i <= r.NumSegs; ++i)
            q->addItem(QStringLiteral("Segment %1").arg(i));
        q->setCurrentIndex(0);
    }
    // The current row stays on the lap just shown (rather than going back to
    // row 1), so a following screen-mode call keeps showing the same lap.
    m_w.drawGraph();
}

void TimingController::eraseLapTimes(RecordErase erase)
{
    if (erase == RecordErase::RecordAndGrid) {
        journalDiscarded(m_s); // the race it protected is gone
        m_s.rec.clearLapData();
    }
    m_s.grid.Row = 0;
    m_s.grid.clearAll();
}

} // namespace sw
