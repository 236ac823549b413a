#include "live/ClockPanel.h"

#include "race/NumberText.h"
#include "race/Race.h"
#include "ui/MainWindowControls.h"

namespace sw {

ClockPanel::ClockPanel(const Race &race, MainWindowControls &ui, HiTime &timer,
                       const TimerCalibration &calibration, QObject *parent)
    : QObject(parent), m_race(race), m_ui(ui), m_timer(timer), m_calibration(calibration)
{
    connect(&timer, &HiTime::Timer, this, [this](int) { onTimerTick(); });
    connect(&race, &Race::stateChanged, this, [this](RaceState state) {
        if (state == RaceState::Armed) {
            // No lap is under way until the start press: the previous race's
            // numbers go.
            m_ui.currentLapLabel->clear();
            m_ui.currentSegLabel->clear();
        }
        if (state == RaceState::Armed || state == RaceState::Running)
            redraw();
        else
            updateWakeUps();
    });
    connect(&race, &Race::readingRecorded, this, [this](int lap, int) {
        if (lap >= 1)
            showCurrentLap();
    });
    // A race erased or replaced has no lap under way.
    connect(&race, &Race::replaced, this, [this] {
        m_ui.currentLapLabel->clear();
        m_ui.currentSegLabel->clear();
    });
    // A race put back whole (recovered while it ran) shows where it stands.
    connect(&race, &Race::recordChanged, this, [this] {
        if (m_race.state() == RaceState::Running && m_race.currentLap() > 1)
            showCurrentLap();
    });
}

void ClockPanel::showCurrentLap()
{
    // The lap and segment now being timed (the race has moved on already).
    m_ui.currentLapLabel->setText(QString::number(m_race.currentLap()));
    m_ui.currentSegLabel->setText(QString::number(m_race.currentSegment()));
}

double ClockPanel::raceClockNow() const
{
    const double tps = m_calibration.ticksPerSecond;
    const std::int64_t ticks = m_timer.interval() > 0 ? m_timer.ticks() : m_frozenTicks;
    return tps > 0 ? double(ticks) / tps : 0.0;
}

// A wake-up of the clocks. The count itself needs no events: it is read
// from the monotonic clock.
void ClockPanel::onTimerTick()
{
    const RaceState st = m_race.state();
    if (st == RaceState::Finished) {
        // The race clock stops at the first wake-up after the finish; the
        // clocks keep what they showed.
        m_frozenTicks = m_timer.ticks();
        m_timer.setInterval(0);
        return;
    }
    if (st == RaceState::Armed || st == RaceState::Running)
        redraw();
    else
        updateWakeUps();
}

// Each frame costs about half a millisecond of CPU on a software-rendered X
// server, and every reading is taken from the clock at the press, not from
// a frame: 20 frames a second are plenty for the tenths to step.
void ClockPanel::updateWakeUps()
{
    const RaceState st = m_race.state();
    if (st == RaceState::Finished) {
        // A finish seen without a wake-up to stop the count (hidden at the
        // time) stops it now.
        if (m_timer.interval() > 0 && m_timer.wakeInterval() == 0) {
            m_frozenTicks = m_timer.ticks();
            m_timer.setInterval(0);
        }
        return;
    }
    const int wanted = st == RaceState::Running && m_onScreen && m_timer.interval() > 0 ? FrameMs : 0;
    if (m_timer.wakeInterval() != wanted)
        m_timer.setWakeInterval(wanted);
}

void ClockPanel::setOnScreen(bool onScreen)
{
    const bool shownAgain = onScreen && !m_onScreen;
    m_onScreen = onScreen;
    if (shownAgain && m_race.isTiming())
        redraw(); // at once: they stood still while out of sight
    else
        updateWakeUps();
}

void ClockPanel::redraw()
{
    updateWakeUps();
    if (m_race.state() < RaceState::Running) {
        for (QLabel *clock : {m_ui.segmentClock, m_ui.lapClock, m_ui.raceClock})
            clock->setText(QStringLiteral(".000"));
        emit redrawn();
        return;
    }
    const double now = raceClockNow();
    const int lap = m_race.currentLap();
    const int seg = m_race.currentSegment();
    const int n = m_race.segmentsPerLap();
    double segStart = 0, lapStart = 0;
    if (lap > 0 && lap < Race::Rows) {
        segStart = seg > 1 ? m_race.reading(lap, seg - 1) : m_race.reading(lap - 1, n);
        lapStart = m_race.reading(lap - 1, n);
    }
    const double raceStart = m_race.startReading();
    auto show = [now](QLabel *l, double start) { l->setText(formatTime(start > now ? 0.0 : now - start)); };
    show(m_ui.segmentClock, segStart);
    show(m_ui.lapClock, lapStart);
    show(m_ui.raceClock, raceStart);
    emit redrawn();
}

} // namespace sw
