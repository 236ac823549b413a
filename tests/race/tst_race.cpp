// The race model's rules without a window.

#include "race/ConditionLists.h"
#include "race/LapEditing.h"
#include "race/Race.h"
#include "race/Statistics.h"

#include <QSignalSpy>
#include <functional>
#include <QtTest>

using namespace sw;
using L = QList<double>;

Q_DECLARE_METATYPE(sw::Conditions)

namespace {

// Arms a race of n segments and presses at the readings.
QList<PressResult> timed(Race &race, int n, const L &readings)
{
    race.setSegmentsPerLap(n);
    race.arm();
    QList<PressResult> results;
    for (double t : readings)
        results << race.press(t);
    return results;
}

// The stored readings of laps 0..lapsShown (0 for an empty cell), lap by lap.
L readingsOf(const Race &race)
{
    L out{race.startReading()};
    for (int lap = 1; lap <= qMax(race.lapsShown(), race.lastLap()); ++lap)
        for (int s = 1; s <= race.segmentsPerLap(); ++s)
            out << race.reading(lap, s);
    return out;
}

QString timeText(const std::optional<double> &t) { return t ? QString::number(*t, 'f', 3) : QStringLiteral("-"); }

void finishedRace(Race &race, int n, const L &readings)
{
    timed(race, n, readings);
    race.finish();
}

} // namespace

class TestRace : public QObject
{
    Q_OBJECT
private slots:
    // The start press, the debounce (a second after the last accepted press or the arm), the counters.
    void presses_data()
    {
        QTest::addColumn<int>("segments");
        QTest::addColumn<L>("presses");
        QTest::addColumn<QString>("results"); // a accepted, b bounce
        QTest::addColumn<L>("stored");        // start, then lap 1 seg 1.. (0: empty)
        QTest::addColumn<int>("currentLap");
        QTest::addColumn<int>("currentSegment");
        QTest::newRow("0.6 s later ignored, 1.2 s accepted") << 1 << L{2, 2.6, 3.2} << "aba" << L{2, 3.2} << 2 << 1;
        QTest::newRow("start within a second of arming") << 1 << L{0.5, 1.5} << "ba" << L{1.5} << 1 << 1;
        QTest::newRow("exactly one second apart") << 1 << L{1, 2, 3} << "aaa" << L{1, 2, 3} << 3 << 1;
        QTest::newRow("three segments: lap 2 under way") << 3 << L{5, 15, 26, 38, 49} << "aaaaa"
                                                         << L{5, 15, 26, 38, 49, 0, 0} << 2 << 2;
    }

    void presses()
    {
        QFETCH(int, segments);
        QFETCH(L, presses);
        Race race;
        QString got;
        for (PressResult r : timed(race, segments, presses))
            got += r == PressResult::Accepted ? 'a' : r == PressResult::Bounce ? 'b' : '?';
        QTEST(got, "results");
        QTEST(readingsOf(race), "stored");
        QTEST(race.currentLap(), "currentLap");
        QTEST(race.currentSegment(), "currentSegment");
        QCOMPARE(race.state(), RaceState::Running);
    }

    void pressesOutsideTimingAndLapsFull()
    {
        Race race;
        QCOMPARE(race.press(5), PressResult::NotTiming); // setup
        QVERIFY(race.cell(0, 1).isEmpty());
        L readings;
        for (int i = 0; i <= 250; ++i)
            readings << 1 + 2.0 * i;
        timed(race, 1, readings);
        QCOMPARE(race.currentLap(), 251);
        QCOMPARE(race.press(900), PressResult::LapsFull);
        for (int c = 1; c < RaceRecordCells::Columns; ++c)
            QVERIFY(race.cell(251, c).isEmpty());
        race.finish();
        QCOMPARE(race.lastLap(), 250);
        QCOMPARE(race.press(1000), PressResult::NotTiming);
    }

    // The last lap is the one the last press wrote; it is selected.
    void finish_data()
    {
        QTest::addColumn<int>("segments");
        QTest::addColumn<L>("presses");
        QTest::addColumn<int>("lastLap");
        QTest::newRow("after a lap's last segment") << 2 << L{1, 11, 22, 31, 40} << 2;
        QTest::newRow("part-way through a lap") << 2 << L{1, 11, 22, 31} << 2;
        QTest::newRow("right after the start press") << 3 << L{1} << 0;
    }

    void finish()
    {
        QFETCH(int, segments);
        QFETCH(L, presses);
        QFETCH(int, lastLap);
        Race race;
        timed(race, segments, presses);
        QSignalSpy selected(&race, &Race::selectedLapChanged);
        race.finish();
        QCOMPARE(race.state(), RaceState::Finished);
        QCOMPARE(race.lastLap(), lastLap);
        QCOMPARE(race.selectedLap(), lastLap);
        QCOMPARE(selected.size(), 1);
        race.finish(); // only a running race finishes
        QCOMPARE(selected.size(), 1);
    }

    // A segment without its reading and a lap without its last reading have no time.
    void times_data()
    {
        QTest::addColumn<int>("segments");
        QTest::addColumn<L>("presses");
        QTest::addColumn<int>("lap");
        QTest::addColumn<QString>("expected"); // segments 1..n, then the lap time
        QTest::newRow("complete lap") << 3 << L{5, 15, 26, 38} << 1 << "10.000 11.000 12.000 33.000";
        QTest::newRow("lap without its last reading") << 3 << L{5, 15, 26, 38, 49} << 2 << "11.000 - - -";
        QTest::newRow("lap not reached") << 2 << L{5, 15, 26} << 2 << "- - -";
    }

    void times()
    {
        QFETCH(int, segments);
        QFETCH(L, presses);
        QFETCH(int, lap);
        Race race;
        timed(race, segments, presses);
        QStringList got;
        for (int s = 1; s <= segments; ++s)
            got << timeText(race.segmentTime(lap, s));
        got << timeText(race.lapTime(lap));
        QTEST(got.join(QLatin1Char(' ')), "expected");
    }

    void editedReadingsBeforeTheirStart()
    {
        Race race;
        finishedRace(race, 2, {1, 11, 23, 30, 41});
        // A first segment kept longer than the lap: the second ends before it starts, 0.
        race.selectLap(1);
        race.keepChanges(1, {0, 30, 12, 0, 0}, race.lapConditions(1));
        QCOMPARE(timeText(race.segmentTime(1, 2)), QStringLiteral("0.000"));
        QCOMPARE(timeText(race.lapTime(2)), QStringLiteral("18.000"));
        QCOMPARE(race.reading(1, 1), 31.0);
    }

    // Restart keeps the comments and arms again; New empties everything; segments are 1..4.
    void restartEraseSegments()
    {
        Race race;
        finishedRace(race, 2, {1, 11, 22});
        race.setComments(QStringLiteral("wet"));
        race.restart();
        QCOMPARE(race.state(), RaceState::Armed);
        QVERIFY(race.cell(1, 1).isEmpty());
        QCOMPARE(race.comments(), QStringLiteral("wet"));
        QCOMPARE(race.conditionsNow(), (Conditions{0, 0, 1}));
        QCOMPARE(race.press(0.5), PressResult::Bounce); // the clock counts from the restart
        QCOMPARE(race.press(3), PressResult::Accepted);
        QVERIFY(race.isModified());

        race.erase();
        QCOMPARE(race.state(), RaceState::Setup);
        QCOMPARE(race.comments(), QString());
        QCOMPARE(race.conditionsNow(), (Conditions{0, -1, 1}));
        QVERIFY(race.cell(0, 2).isEmpty());
        QVERIFY(!race.isModified());

        for (int bad : {0, 5, -1})
            QVERIFY(!race.setSegmentsPerLap(bad));
        QCOMPARE(race.segmentsPerLap(), 2);
        QVERIFY(race.setSegmentsPerLap(4));
        QCOMPARE(race.segmentsPerLap(), 4);
        QVERIFY(race.isModified());
    }

    // The conditions in force: set until the finish, copied into a lap at each press, never unchosen there.
    void conditions()
    {
        Race race;
        race.setConditions({-1, -1, -1});
        QCOMPARE(race.conditionsNow(), (Conditions{-1, -1, -1}));
        race.setSegmentsPerLap(2);
        race.setConditions({1, -1, -1});
        race.arm();
        QCOMPARE(race.conditionsNow(), (Conditions{1, 0, 1}));
        race.press(1);
        race.press(11);
        race.setConditions({0, 4, 2}); // mid-lap: the lap takes these at its last press
        race.press(21);
        QCOMPARE(race.lapConditions(1), (Conditions{0, 4, 2}));
        race.setConditions({1, -1, 0}); // a position wiped out while timing
        race.press(31);
        QCOMPARE(race.lapConditions(2), (Conditions{1, 0, 0}));
        race.finish();
        race.setConditions({0, 9, 0});
        QCOMPARE(race.conditionsNow(), (Conditions{1, -1, 0}));
    }

    void steppedConditions_data()
    {
        QTest::addColumn<int>("which");
        QTest::addColumn<bool>("up");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::newRow("flag up from Green: stays") << int(Condition::Flag) << true << 0 << 0;
        QTest::newRow("flag down to Yellow") << int(Condition::Flag) << false << 0 << 1;
        QTest::newRow("flag down from Yellow: stays") << int(Condition::Flag) << false << 1 << 1;
        QTest::newRow("position down from none: the first") << int(Condition::Position) << false << -1 << 0;
        QTest::newRow("position up from none: none") << int(Condition::Position) << true << -1 << -1;
        QTest::newRow("position down from 100: stays") << int(Condition::Position) << false << 99 << 99;
        QTest::newRow("traffic down to held up") << int(Condition::Traffic) << false << 1 << 2;
    }

    void steppedConditions()
    {
        QFETCH(int, which);
        QFETCH(bool, up);
        QFETCH(int, from);
        Conditions c{0, 0, 0};
        c.set(Condition(which), from);
        QTEST(stepped(c, Condition(which), up).of(Condition(which)), "to");
    }

    // Insert splits a segment, Delete joins it with the next, Keep Changes moves the first edited
    // reading and selects the next lap (not past the last).
    void edits_data()
    {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<int>("lap");
        QTest::addColumn<L>("readings");
        QTest::addColumn<int>("selected");
        // Two segments, laps at 1 | 11 21 | 32 42 | 53 63.
        QTest::newRow("insert 4 in lap 2 seg 1") << "insert 2 1 4" << 2 << L{1, 11, 21, 25, 32, 42, 53} << 2;
        QTest::newRow("delete lap 1 seg 2") << "delete 1 2" << 1 << L{1, 11, 32, 42, 53, 63, 0} << 1;
        QTest::newRow("keep seg 1 of lap 1 as 12") << "keep 1 12 10" << 1 << L{1, 13, 21, 32, 42, 53, 63} << 2;
        QTest::newRow("keep on the last lap stays") << "keep 3 11 10" << 3 << L{1, 11, 21, 32, 42, 53, 63} << 3;
        QTest::newRow("keep last segment of lap 2") << "keep 2 11 12" << 2 << L{1, 11, 21, 32, 44, 53, 63} << 3;
    }

    void edits()
    {
        QFETCH(QString, edit);
        QFETCH(int, lap);
        Race race;
        finishedRace(race, 2, {1, 11, 21, 32, 42, 53, 63});
        race.markSaved();
        race.selectLap(lap);
        QSignalSpy edited(&race, &Race::edited);
        const QStringList a = edit.split(' ');
        if (a[0] == "insert")
            QVERIFY(race.insertReading(lap, a[2].toInt(), a[3].toDouble()));
        else if (a[0] == "delete")
            QVERIFY(race.deleteReading(lap, a[2].toInt()));
        else
            race.keepChanges(lap, {0, a[2].toDouble(), a[3].toDouble(), 0, 0}, race.lapConditions(lap));
        QTEST(readingsOf(race), "readings");
        QTEST(race.selectedLap(), "selected");
        QCOMPARE(edited.size(), 1);
        QCOMPARE(edited[0][1].toInt(), lap);
        QCOMPARE(race.isModified(), edit != "keep 3 11 10"); // nothing typed differs: no change
    }

    // A change is what a save must keep; selecting, keeping a lap as it is and loading are none.
    void whatIsAChange_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("modified");
        QTest::newRow("select laps") << "select" << false;
        QTest::newRow("keep unchanged") << "keep-same" << false;
        QTest::newRow("keep a condition") << "keep-yellow" << true;
        QTest::newRow("comments") << "comments" << true;
        QTest::newRow("same comments") << "comments-same" << false;
        QTest::newRow("segments") << "segments" << true;
        QTest::newRow("delete") << "delete" << true;
        QTest::newRow("load") << "load" << false;
    }

    void whatIsAChange()
    {
        QFETCH(QString, action);
        Race race;
        finishedRace(race, 1, {1, 11, 21, 31});
        QVERIFY(race.isModified()); // timed and not saved
        race.setComments(QStringLiteral("dry"));
        race.markSaved();
        QSignalSpy modified(&race, &Race::modifiedChanged);
        if (action == "select") {
            for (int lap : {1, 3, 2, 0, 9})
                race.selectLap(lap);
        } else if (action.startsWith("keep")) {
            Conditions c = race.lapConditions(2);
            if (action == "keep-yellow")
                c.flag = 1;
            race.keepChanges(2, {0, 10, 0, 0, 0}, c);
        } else if (action.startsWith("comments")) {
            race.setComments(action == "comments" ? QStringLiteral("wet") : QStringLiteral("dry"));
        } else if (action == "segments") {
            race.setSegmentsPerLap(2);
        } else if (action == "delete") {
            race.deleteReading(2, 1);
        } else {
            race.load(race.storedRace());
        }
        QTEST(race.isModified(), "modified");
        QCOMPARE(modified.size(), race.isModified() ? 1 : 0);
    }

    // A file's race: conditions as the lists take them, lap 1 selected, finished (or held in setup), unchanged.
    void loadAndSave()
    {
        StoredRace s;
        s.segmentsPerLap = 2;
        s.lastLap = 2;
        s.cells.rows[0][2].setText(QStringLiteral(" 1 "));
        s.cells.rows[1][1].setText(QStringLiteral(" 11.5 "));
        s.cells.rows[1][2].set(22);
        s.cells.rows[1][5].setText(QStringLiteral(" 1"));
        s.cells.rows[1][6].set(150); // no such position
        s.cells.rows[2][1].set(30);
        s.cells.rows[3][1].set(40); // beyond the last lap: kept as it is
        s.cells.rows[3][6].set(150);
        s.cells.rows[251][1].set(99); // never stored in a file
        s.comments = QStringLiteral("a\r\n");
        for (bool held : {false, true}) {
            Race race;
            race.setHeldInSetup(held);
            race.load(s);
            QCOMPARE(race.state(), held ? RaceState::Setup : RaceState::Finished);
            QCOMPARE(race.selectedLap(), 1);
            QVERIFY(!race.isModified());
            QCOMPARE(race.lapConditions(1), (Conditions{1, -1, 0})); // empty traffic: the first item
            QCOMPARE(race.lapConditions(2), (Conditions{0, 0, 0}));
            QCOMPARE(race.cell(3, 6).value(), 150.0);
            QVERIFY(race.cell(251, 1).isEmpty());
            QCOMPARE(race.cell(1, 1).text(), QStringLiteral(" 11.5 ")); // bytes kept for the next save
            QCOMPARE(timeText(race.segmentTime(1, 1)), QStringLiteral("10.500"));
            QCOMPARE(timeText(race.lapTime(2)), QStringLiteral("-"));
            QCOMPARE(race.comments(), s.comments);
            const StoredRace again = race.storedRace();
            QCOMPARE(again.lastLap, 2);
            QCOMPARE(again.cells.rows[1][1], s.cells.rows[1][1]);
        }
        // While a race is timed a save holds the laps completed (a lap begun is in its rows).
        Race running;
        timed(running, 2, {1, 11, 21, 31});
        QCOMPARE(running.storedRace().lastLap, 1);
        QCOMPARE(running.storedRace().cells.rows[2][1].value(), 31.0);
    }

    // A journal's race comes back as it stood, and counts as unsaved.
    void restore()
    {
        RestoredRace r;
        r.state = RaceState::Running;
        r.segmentsPerLap = 2;
        r.currentLap = 2;
        r.currentSegment = 2;
        r.lastPressReading = 22;
        r.conditionsNow = {1, 3, 2};
        r.cells.rows[0][2].set(1);
        r.cells.rows[1][1].set(11);
        r.cells.rows[1][2].set(21);
        r.cells.rows[2][1].set(22);
        Race race;
        QSignalSpy state(&race, &Race::stateChanged);
        race.restore(r);
        QCOMPARE(state.size(), 1);
        QCOMPARE(race.conditionsNow(), (Conditions{1, 3, 2}));
        QVERIFY(race.isModified());
        QCOMPARE(race.press(22.5), PressResult::Bounce); // the debounce goes on
        QCOMPARE(race.press(30), PressResult::Accepted);
        QCOMPARE(race.reading(2, 2), 30.0);
        QCOMPARE(race.lapConditions(2), (Conditions{1, 3, 2}));
        race.finish();
        QCOMPARE(race.lastLap(), 2);
    }

    // What each verb tells its listeners, in order.
    void signalsOfVerbs_data()
    {
        QTest::addColumn<QString>("verb");
        QTest::addColumn<QStringList>("emitted");
        QTest::newRow("arm") << "arm" << QStringList{"state", "conditions"};
        QTest::newRow("start press") << "start" << QStringList{"reading 0 1", "state", "modified"};
        QTest::newRow("press") << "press" << QStringList{"reading 1 1"};
        QTest::newRow("condition between presses") << "condition" << QStringList{"conditions"};
        QTest::newRow("finish") << "finish" << QStringList{"state", "selected"};
    }

    void signalsOfVerbs()
    {
        QFETCH(QString, verb);
        Race race;
        QStringList got;
        connect(&race, &Race::readingRecorded, &race,
                [&got](int lap, int seg) { got << QStringLiteral("reading %1 %2").arg(lap).arg(seg); });
        connect(&race, &Race::stateChanged, &race, [&got] { got << "state"; });
        connect(&race, &Race::conditionsChanged, &race, [&got] { got << "conditions"; });
        connect(&race, &Race::selectedLapChanged, &race, [&got] { got << "selected"; });
        connect(&race, &Race::modifiedChanged, &race, [&got] { got << "modified"; });
        const QStringList verbs{"arm", "start", "press", "condition", "finish"};
        const std::function<void()> run[] = {[&] { race.arm(); }, [&] { race.press(1); }, [&] { race.press(3); },
                                             [&] { race.setConditions({1, 0, 1}); }, [&] { race.finish(); }};
        for (int i = 0; i < verbs.indexOf(verb) && i < 2; ++i)
            run[i]();
        got.clear();
        run[verbs.indexOf(verb)]();
        QTEST(got, "emitted");
    }

    // Times above 0 count; a tie for the most frequent second takes the lowest; a stint over 10000 s counts.
    void statistics_data()
    {
        QTest::addColumn<int>("segments");
        QTest::addColumn<L>("presses");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("expected"); // count average smallest largest mode0 mode1
        QTest::newRow("stints over 10000 s") << 1 << L{1, 12001, 22501} << 5 << "2 11250.000 10500.000 12000.000 0 0";
        QTest::newRow("tie: the lowest") << 1 << L{1, 21.5, 51.7, 72.4, 102.5} << 1
                                         << "4 25.375 20.500 30.200 20 30";
        QTest::newRow("part-way lap: no lap time counted") << 2 << L{1, 11, 22, 31} << 5 << "1 21.000 21.000 21.000 21 0";
        QTest::newRow("part-way lap: its segment counts") << 2 << L{1, 11, 22, 31} << 1
                                                           << "2 9.500 9.000 10.000 9 10";
    }

    void statistics()
    {
        QFETCH(int, segments);
        QFETCH(L, presses);
        QFETCH(int, column);
        Race race;
        finishedRace(race, segments, presses);
        const ColumnSummary s = summariseColumn(race, column);
        QTEST(QStringLiteral("%1 %2 %3 %4 %5 %6").arg(s.count).arg(s.average(), 0, 'f', 3).arg(s.smallest, 0, 'f', 3)
                      .arg(s.largest, 0, 'f', 3).arg(s.mode0).arg(s.mode1), "expected");
        if (column < 5)
            QCOMPARE(anticipatedSegmentTime(race, column), s.mode0);
    }
};

QTEST_GUILESS_MAIN(TestRace)
#include "tst_race.moc"
