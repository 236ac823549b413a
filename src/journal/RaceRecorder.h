#pragma once
// The crash journal's side of the race: RaceJournal is the journal of one
// run (its folder, its writer, this boot's identity); RaceRecorder listens to
// the race and hands every change to the writer: arm, each press with the
// conditions in force, every change of those conditions (also between
// presses), the finish, each edit, the comments, and the close when the race
// is saved or replaced.
//
// The recorder is connected to the race before anything else, so a press
// reaches the journal's queue before any view runs; handing it over copies a
// fixed-size record and never allocates.

#include "journal/JournalRecords.h"
#include "journal/JournalWriter.h"
#include "race/Race.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>

namespace sw {

class RaceJournal
{
public:
    // folder: where journals are written and looked for. Without a writer
    // thread a test turns the writer by hand (writer().runCycle()).
    explicit RaceJournal(const QString &folder, bool writerThread = true);

    JournalWriter &writer() { return m_writer; }
    QString folder() const { return m_folder; }

    // This boot's identity, compared with a journal's at recovery; tests set
    // another to play a restart of the computer.
    QByteArray bootId;

private:
    QString m_folder;
    JournalWriter m_writer;
};

class RaceRecorder : public QObject
{
    Q_OBJECT
public:
    // armMoment gives the arm record's clock values (the race timer's start
    // on the monotonic clock, its rate and interval) when the race is armed.
    RaceRecorder(Race &race, RaceJournal &journal, std::function<JournalArm()> armMoment);

    // While suspended nothing is handed to the writer (a recovered race is
    // put back into the race before its journal is carried on).
    void setSuspended(bool suspended) { m_suspended = suspended; }

    // The whole race as it stands, as the journal stores it after an edit.
    static JournalSnapshot snapshotOf(const Race &race, JournalEdit edit, int lap, int segment);

private:
    void onStateChanged(RaceState state);
    void onReadingRecorded(int lap, int segment);
    void onConditionsChanged(const Conditions &now);
    void onEdited(RaceEdit edit, int lap, int segment);

    Race &m_race;
    RaceJournal &m_journal;
    std::function<JournalArm()> m_armMoment;
    bool m_suspended = false;
};

// The conditions as the journal stores them: never -1 (a reader refuses a
// condition out of its list).
JournalConditions journalConditions(const Conditions &c);

} // namespace sw
