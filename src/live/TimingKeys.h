#pragma once
// The timing keys: F12 arms the race (or asks to restart it), F2 records a
// timing point, F4..F9 and the arrow keys change the conditions, F11 asks to
// finish. A press is a moment: its reading is the race clock when the
// program first heard of the key.

#include "timing/HiTime.h"

#include <QObject>
#include <QString>

#include <array>
#include <cstdint>

namespace sw {

class Race;
class Prompts;
class ConditionPanel;

class TimingKeys : public QObject
{
    Q_OBJECT
public:
    TimingKeys(Race &race, HiTime &timer, const TimerCalibration &calibration, ConditionPanel &conditions,
               Prompts &prompts, QObject *parent);

    // A key of the timing keys (Qt::Key) on the main window.
    void handleKey(int key);
    // F2 that reached another window of the program (an open drop-down or
    // menu, a question box) while the race is armed or running: recorded
    // like any press, the keyboard staying with that window.
    void pressFromOtherWindow();
    // The first the program hears of an F2 press (the shortcut check that
    // comes before the key itself): the clock is read here and the press
    // that follows at once takes this reading. eventStampMs is the window
    // system's time stamp of the key (0: none): keys that arrive promptly
    // teach the offset between its clock and the monotonic one, and a key
    // that arrives late (the window was busy) takes its moment from it.
    void keyArriving(quint64 eventStampMs = 0);
    // How late a key must arrive before its time stamp is used (ns), and
    // how late it may be for the stamp to be believed.
    static constexpr std::int64_t LateKeyNs = 1500000;
    static constexpr std::int64_t LatestStampNs = 2000000000;
    // How long a keyArriving() reading waits for its key press (ns).
    static constexpr std::int64_t KeyArrivalValidNs = 20000000;

    // The status line's note once lap 250 is complete.
    static QString lapsFullNote();

signals:
    // The keyboard belongs to the hidden timing field again.
    void focusBack();
    // A note for the status line (over the state's instructions).
    void statusNote(const QString &text);

private:
    void recordPress();
    void armRace();
    void finishPrompt();
    void restartPrompt();

    Race &m_race;
    HiTime &m_timer;
    const TimerCalibration &m_calibration;
    ConditionPanel &m_conditions;
    Prompts &m_prompts;
    std::int64_t m_keyArrivedNs = -1; // clock value of keyArriving(); -1: none waiting
    std::int64_t m_keyStampedNs = -1; // the same key's moment from its time stamp; -1: none
    // Monotonic clock minus event clock of the last keys: the smallest is
    // the promptest key's, and a wrong stamp (a key sent by another program)
    // is forgotten after as many keys.
    std::array<std::int64_t, 16> m_eventOffsetsNs{};
    size_t m_nextEventOffset = 0;
    size_t m_eventOffsetsKnown = 0;
};

} // namespace sw
