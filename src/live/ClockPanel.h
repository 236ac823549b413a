#pragma once
// The three running clocks of the timing face (segment, lap and race time)
// and the lap and segment now timed. The clocks read the race timer when
// they are drawn; the timer wakes the window only to draw them: 20 times a
// second while the race runs and the window can be seen, never while armed
// (they show .000 until the start press), hidden or minimised, and at once
// when the window is seen again.

#include "timing/HiTime.h"

#include <QObject>

namespace sw {

class Race;
struct MainWindowControls;

class ClockPanel : public QObject
{
    Q_OBJECT
public:
    ClockPanel(const Race &race, MainWindowControls &ui, HiTime &timer, const TimerCalibration &calibration,
               QObject *parent);

    static constexpr int FrameMs = 50;

    void redraw();
    // Whether the clocks can be seen (window shown, not minimised, exposed).
    void setOnScreen(bool onScreen);
    // The race clock now, in seconds since arming (frozen once the race is
    // finished and the timer stopped).
    double raceClockNow() const;

signals:
    // After every drawing of the clocks (the window polls its notices then).
    void redrawn();

private:
    void onTimerTick();
    void updateWakeUps();
    void showCurrentLap();

    const Race &m_race;
    MainWindowControls &m_ui;
    HiTime &m_timer;
    const TimerCalibration &m_calibration;
    bool m_onScreen = false;
    std::int64_t m_frozenTicks = 0;
};

} // namespace sw
