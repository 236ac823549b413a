#include "app/Recovery.h"

#include "journal/JournalRecovery.h"
#include "journal/JournalStore.h"
#include "journal/RaceRecorder.h"
#include "race/Race.h"
#include "timing/HiTime.h"
#include "ui/Prompts.h"

#include <QDir>

namespace sw {

namespace {

// Starts the race timer so that its intervals fall where they fell since
// arming: the start waits (at most one interval, only while the clock moves)
// for the next whole interval after the arm moment.
void restartRaceTimer(HiTime &timer, const JournalArm &arm)
{
    const qint64 interval = qint64(qMax(1, int(arm.timerIntervalMs))) * 1000000;
    const MonotonicClock &clock = timer.clock();
    qint64 now = clock.nowNs();
    for (qint64 before = now - 1; now != before && (now - arm.monotonicNs) % interval > 20000;) {
        before = now;
        now = clock.nowNs();
    }
    timer.resumeFrom(arm.timerIntervalMs, arm.monotonicNs); // the count runs from the arm moment
}

void restoreRace(Race &race, RaceJournal &j, RaceRecorder &recorder, HiTime &timer,
                 TimerCalibration &calibration, JournalFound &found)
{
    const JournalRace &journal = found.read.race;
    const bool running = resumeMode(journal, j.bootId, timer.clock().nowNs()) == JournalResume::Running;
    const Recovered recovered = recoveredRace(journal, running);

    // The race clock runs on the rate it was armed with.
    calibration.intervalMs = journal.arm.timerIntervalMs;
    calibration.ticksPerSecond = journal.arm.ticksPerSecond;
    timer.setInterval(0);
    if (running)
        restartRaceTimer(timer, journal.arm);
    // The race comes back as the journal tells it; the journal itself is not
    // written again but carried on from its last good line.
    recorder.setSuspended(true);
    race.restore(recovered.race);
    recorder.setSuspended(false);
    j.writer().resume(std::move(found.claim), found.read.goodLength, damagedCopyFor(found));
    if (recovered.finishToWrite)
        j.writer().finish(static_cast<qint16>(recovered.race.lastLap));
}

} // namespace

QString journalFailureText()
{
    return QStringLiteral("Status: The race journal can not be written, so this race is not protected "
                          "against a crash.  Timing goes on.");
}

bool offerRecovery(Race &race, RaceJournal &journal, RaceRecorder &recorder, Prompts &p, HiTime &timer,
                   TimerCalibration &calibration)
{
    RaceJournal *j = &journal;
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
                                          "can not be recovered.\n\nNo recovers the race after all; Cancel keeps "
                                          "the journal for the next start."),
                           Buttons::YesNoCancel, Icon::Exclamation, Answer::Cancel});
            if (a == Answer::Yes)
                store.remove(found);
            if (a != Answer::No)
                continue;
        }
        restoreRace(race, *j, recorder, timer, calibration, found);
        return true;
    }
    return false;
}

} // namespace sw
