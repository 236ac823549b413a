// The journal listens to the race: presses, conditions, finish, edits, comments, and the close.

#include "journal/JournalFormat.h"
#include "journal/JournalRecovery.h"
#include "journal/RaceRecorder.h"
#include "race/Race.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace sw;

namespace {

struct Rig
{
    QTemporaryDir dir;
    Race race;
    RaceJournal journal{dir.path(), false};
    RaceRecorder recorder{race, journal, [] {
                              JournalArm a;
                              a.monotonicNs = 1000;
                              a.ticksPerSecond = 1000;
                              a.timerIntervalMs = 1;
                              return a;
                          }};

    // The journal as a recovery would read it now.
    JournalReadResult read()
    {
        journal.writer().runCycle();
        QFile f(journal.writer().currentPath());
        return f.open(QIODevice::ReadOnly) ? readJournal(f.readAll()) : JournalReadResult{};
    }
};

} // namespace

class TestRaceRecorder : public QObject
{
    Q_OBJECT
private slots:
    // A condition changed after the last press (or before the first) is in the journal.
    void conditionsBetweenPresses_data()
    {
        QTest::addColumn<int>("presses");
        QTest::newRow("armed, no press yet") << 0;
        QTest::newRow("after three presses") << 3;
    }

    void conditionsBetweenPresses()
    {
        QFETCH(int, presses);
        Rig rig;
        rig.race.setSegmentsPerLap(2);
        rig.race.arm();
        for (int i = 0; i < presses; ++i)
            rig.race.press(1 + 10 * i);
        rig.race.setConditions({1, 6, 2});
        const JournalReadResult r = rig.read();
        QVERIFY(r.usable());
        QCOMPARE(int(r.race.presses.size()), presses);
        QVERIFY(r.race.conditions.has_value());
        QCOMPARE(*r.race.conditions, (JournalConditions{1, 6, 2}));
        const Recovered back = recoveredRace(r.race, true);
        QCOMPARE(back.race.conditionsNow, (Conditions{1, 6, 2}));
        Race again;
        again.restore(back.race);
        if (presses == 0) {
            again.press(5);
            again.press(15);
            QCOMPARE(again.lapConditions(1), (Conditions{1, 6, 2}));
        }
    }

    // Each press reaches the journal's queue before any later listener of the race runs.
    void pressJournalledFirst()
    {
        Rig rig;
        rig.race.arm();
        std::uint64_t queuedWhenViewRan = 0;
        QObject::connect(&rig.race, &Race::readingRecorded, &rig.race,
                         [&] { queuedWhenViewRan = rig.journal.writer().queuedCount(); });
        const std::uint64_t before = rig.journal.writer().queuedCount();
        rig.race.press(2);
        QCOMPARE(queuedWhenViewRan, before + 1);
    }

    // A save in the middle of a race keeps the journal; a save after the finish, New or Open close it.
    void lifecycle_data()
    {
        QTest::addColumn<QString>("end");
        QTest::addColumn<bool>("open");
        QTest::newRow("saved while running") << "save-running" << true;
        QTest::newRow("saved after the finish") << "save" << false;
        QTest::newRow("New") << "erase" << false;
        QTest::newRow("file opened over it") << "load" << false;
        QTest::newRow("kept on") << "none" << true;
    }

    void lifecycle()
    {
        QFETCH(QString, end);
        Rig rig;
        rig.race.arm();
        for (double t : {1.0, 11.0, 21.0, 31.0})
            rig.race.press(t);
        if (end == "save-running") {
            rig.race.markSaved();
            QVERIFY(rig.read().usable());
            QTEST(!rig.journal.writer().currentPath().isEmpty(), "open");
            return;
        }
        rig.race.finish();
        rig.race.deleteReading(2, 1);
        rig.race.setComments(QStringLiteral("rain"));
        const JournalReadResult r = rig.read();
        QVERIFY(r.race.finished);
        QCOMPARE(int(r.race.lastLap), 3);
        QCOMPARE(int(r.race.edits.size()), 1);
        QCOMPARE(r.race.edits.back().edit, JournalEdit::Delete);
        QCOMPARE(r.race.comments.value_or(QString()), QStringLiteral("rain"));
        const QString path = rig.journal.writer().currentPath();
        if (end == "save")
            rig.race.markSaved();
        else if (end == "erase")
            rig.race.erase();
        else if (end == "load")
            rig.race.load(rig.race.storedRace());
        rig.journal.writer().runCycle();
        QTEST(QFile::exists(path), "open");
    }
};

QTEST_GUILESS_MAIN(TestRaceRecorder)
#include "tst_racerecorder.moc"
