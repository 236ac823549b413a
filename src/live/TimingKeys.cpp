#include "live/TimingKeys.h"

#include "live/ConditionPanel.h"
#include "race/Race.h"
#include "ui/Prompts.h"

#include <algorithm>

namespace sw {

TimingKeys::TimingKeys(Race &race, HiTime &timer, const TimerCalibration &calibration, ConditionPanel &conditions,
                       Prompts &prompts, QObject *parent)
    : QObject(parent), m_race(race), m_timer(timer), m_calibration(calibration), m_conditions(conditions),
      m_prompts(prompts)
{
}

QString TimingKeys::lapsFullNote()
{
    return QStringLiteral("Status: Lap 250 is complete and no more times can be recorded.  "
                          "Press <F11> to finish the race.");
}

void TimingKeys::handleKey(int key)
{
    const RaceState st = m_race.state();
    if (key == Qt::Key_F2 && m_race.isTiming()) {
        recordPress();
    } else if (key >= Qt::Key_F4 && key <= Qt::Key_F9) {
        m_conditions.stepByFunctionKey(key);
    } else if (key == Qt::Key_F11) {
        if (st == RaceState::Running)
            finishPrompt();
        else
            m_prompts.info(QStringLiteral("This key only has effect during the race."));
    } else if (key == Qt::Key_F12) {
        if (st == RaceState::Setup)
            armRace();
        else if (st == RaceState::Running || st == RaceState::Finished)
            restartPrompt();
    } else if (key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down) {
        m_conditions.moveSelector(key);
        return;
    }
    if (m_race.state() != RaceState::Setup)
        emit focusBack();
}

void TimingKeys::keyArriving(quint64 eventStampMs)
{
    // A key sent by another program is checked twice (once by Qt on its
    // way): the first check stands.
    const std::int64_t nowNs = m_timer.clock().nowNs();
    if (m_keyArrivedNs >= 0 && nowNs - m_keyArrivedNs < KeyArrivalValidNs && nowNs >= m_keyArrivedNs)
        return;
    m_keyArrivedNs = nowNs;
    m_keyStampedNs = -1;
    if (eventStampMs == 0)
        return;
    // The stamp is whole milliseconds of the event clock: a prompt key gives
    // the offset to within a millisecond, a late one a larger offset.
    const std::int64_t stampNs = std::int64_t(eventStampMs) * 1000000;
    m_eventOffsetsNs[m_nextEventOffset] = nowNs - stampNs;
    m_nextEventOffset = (m_nextEventOffset + 1) % m_eventOffsetsNs.size();
    m_eventOffsetsKnown = std::min(m_eventOffsetsKnown + 1, m_eventOffsetsNs.size());
    const auto known = m_eventOffsetsNs.begin() + std::ptrdiff_t(m_eventOffsetsKnown);
    m_keyStampedNs = stampNs + *std::min_element(m_eventOffsetsNs.begin(), known);
}

void TimingKeys::pressFromOtherWindow()
{
    if (m_race.isTiming())
        recordPress();
}

// The timing path: from here to the stored and journalled reading nothing
// allocates, logs or waits. The tick count is read from the monotonic clock
// at the press, so the reading is the time since arming however late or
// seldom timer events come.
void TimingKeys::recordPress()
{
    // The press's own moment: when the program first heard of it, if that
    // was just now (a stamp left by a key that was not recorded is older).
    const std::int64_t nowNs = m_timer.clock().nowNs();
    const bool arrivedNow = m_keyArrivedNs >= 0 && m_keyArrivedNs <= nowNs && nowNs - m_keyArrivedNs < KeyArrivalValidNs;
    std::int64_t pressNs = arrivedNow ? m_keyArrivedNs : nowNs;
    // A key that reached the program late (a long step blocked the event
    // loop) was pressed when its time stamp says.
    if (arrivedNow && m_keyStampedNs >= 0 && pressNs - m_keyStampedNs > LateKeyNs
        && pressNs - m_keyStampedNs < LatestStampNs)
        pressNs = m_keyStampedNs;
    m_keyArrivedNs = -1;
    m_keyStampedNs = -1;
    double fraction = 0;
    const std::int64_t ticks = m_timer.ticksAt(pressNs, &fraction);
    // The part of the interval now running counts too, so a reading is not
    // up to one interval early.
    const double tps = m_calibration.ticksPerSecond;
    const double reading = tps > 0 ? (double(ticks) + fraction) / tps : 0.0;
    if (m_race.press(reading) == PressResult::LapsFull)
        emit statusNote(lapsFullNote());
}

void TimingKeys::armRace()
{
    // The race timer counts from now; the race takes its clock from it.
    m_timer.setInterval(m_calibration.intervalMs);
    m_race.arm();
}

void TimingKeys::finishPrompt()
{
    const Answer a = m_prompts.message({QStringLiteral("Finished Timing Race ?"),
                                        QStringLiteral("Are you finished timing laps for this race?"),
                                        Buttons::YesNo, Icon::Question, Answer::No});
    if (a == Answer::Yes)
        m_race.finish();
}

void TimingKeys::restartPrompt()
{
    const Answer a = m_prompts.message(
        {QStringLiteral("Restart Race ?"),
         QStringLiteral("Do you want to 'Restart' this race?\n\nIf you answer Yes, you will loose all "
                        "your current recorded times."),
         Buttons::YesNo, Icon::Question, Answer::No});
    if (a != Answer::Yes)
        return;
    m_timer.setInterval(m_calibration.intervalMs);
    m_race.restart();
}

} // namespace sw
