#pragma once
// The timing keys and the race clock of the main window: the key dispatcher
// handleTimingKey, recording a segment on F2, the three running clocks, the
// segment step writeSegmentStep with the finish summary, and eraseLapTimes.

#include "ui/MainWindowBase.h"

#include <QString>

#include <cstdint>

class QComboBox;

namespace sw {

class MainWindowBase;
struct AppState;

class TimingController
{
public:
    explicit TimingController(MainWindowBase &w);

    void handleTimingKey(int keyCode);
    void redrawClocks();
    void writeSegmentStep(GraphUpdate graph);
    void eraseLapTimes(RecordErase erase);
    void onTimerTick(int overrun);
    // Whether the clocks can be seen (window shown, not minimised, exposed);
    // shown again, they are redrawn at once.
    void setClocksOnScreen(bool onScreen);
    // Sets the clock wake-ups for the race state and visibility in force.
    void updateClockWakeUps();
    static constexpr int kClockFrameMs = 50;
    // How long a keyArriving() reading waits for its key press (ns).
    static constexpr std::int64_t kKeyArrivalValidNs = 20000000;
    // F2 that reached another window of the program (an open drop-down or
    // menu, a question box) while the race is armed or running: recorded
    // like any press, the keyboard staying with that window.
    void pressFromOtherWindow();
    // The first the program hears of an F2 press (the shortcut check that
    // comes before the key itself, some 40 us earlier): the clock is read
    // here and the press that follows at once takes this reading.
    void keyArriving();

    // Key codes.
    enum : int {
        VK_F2 = 113, VK_F4 = 115, VK_F5, VK_F6, VK_F7, VK_F8, VK_F9,
        VK_F11 = 122, VK_F12 = 123,
        VK_LEFT = 37, VK_UP = 38, VK_RIGHT = 39, VK_DOWN = 40,
    };

    // Moves a list one item up / down (no wrap; down from no selection picks
    // the first item). Setting the position raises the list's click.
    static void listUp(QComboBox *c);
    static void listDown(QComboBox *c);

private:
    void recordSegment();
    void armRace();
    void finishPrompt();
    void restartPrompt();
    void processPendingEvents();

    MainWindowBase &m_w;
    AppState &m_s;
    const QString m_lapsFullNote;
    std::int64_t m_keyArrivedNs = -1; // clock value of keyArriving(); -1: none waiting
    bool m_clocksOnScreen = false;
};

} // namespace sw
