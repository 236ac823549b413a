#pragma once
// At start-up: offers each unfinished race journal in turn ("Recover Race?")
// and puts a recovered race back into the race, its journal carried on; and
// the status line's text when the journal cannot be written.

#include <QString>

namespace sw {

class Race;
class RaceJournal;
class RaceRecorder;
class Prompts;
class HiTime;
struct TimerCalibration;

// The status line's text when the journal cannot be written.
QString journalFailureText();

// Offers the unfinished journals until one is recovered. Yes restores the
// race (running on when the computer has not restarted since, otherwise
// finished) and carries its journal on; No asks before deleting the journal.
// True when a race was recovered.
bool offerRecovery(Race &race, RaceJournal &journal, RaceRecorder &recorder, Prompts &prompts, HiTime &timer,
                   TimerCalibration &calibration);

} // namespace sw
