// The live figures of a race timed press by press: delta to the best lap at
// every timing point, predicted and best possible lap, the reference under
// each lap filter, and the figures after edits.

#include "analysis/LiveFigures.h"
#include "race/Race.h"

#include <QtTest>

using namespace sw;

namespace {

using Times = QList<double>;
constexpr double None = -1; // a blank figure in the tables below

double orNone(std::optional<double> v)
{
    return v ? *v : None;
}

// Arms a race of n segments and presses at 10 s, then at the cumulative sum
// of the segment times given.
void timeRace(Race &race, int segments, const Times &segmentTimes)
{
    race.setSegmentsPerLap(segments);
    race.arm();
    double t = 10;
    race.press(t);
    for (double s : segmentTimes)
        race.press(t += s);
}

// Lap conditions: G = green not in traffic, T = green in traffic, Y = yellow.
void pressLap(Race &race, double &t, QChar kind, const Times &segmentTimes)
{
    const int traffic = kind == QLatin1Char('G') ? 0 : 1;
    const int flag = kind == QLatin1Char('Y') ? 1 : 0;
    race.setConditions({flag, 0, traffic});
    for (double s : segmentTimes)
        race.press(t += s);
}

} // namespace

class TstLiveFigures : public QObject
{
    Q_OBJECT
private slots:
    // Lap 1 is the reference; lap 2 is timed and the delta read after each
    // of its presses.
    void deltaAtEveryTimingPoint_data()
    {
        QTest::addColumn<int>("segments");
        QTest::addColumn<Times>("lap1");
        QTest::addColumn<Times>("lap2");
        QTest::addColumn<Times>("deltas");
        QTest::addColumn<Times>("predicted");
        QTest::newRow("1 segment") << 1 << Times{60.5} << Times{59.25} << Times{-1.25} << Times{59.25};
        QTest::newRow("2 segments") << 2 << Times{30, 31} << Times{30.312, 30} << Times{0.312, -0.688}
                                    << Times{61.312, 60.312};
        QTest::newRow("3 segments") << 3 << Times{20, 20, 20} << Times{19.796, 20.5, 20.1}
                                    << Times{-0.204, 0.296, 0.396} << Times{59.796, 60.296, 60.396};
        QTest::newRow("4 segments") << 4 << Times{10, 11, 12, 13} << Times{10, 10, 13, 12.999}
                                    << Times{0, -1, 0, -0.001} << Times{46, 45, 46, 45.999};
    }

    void deltaAtEveryTimingPoint()
    {
        QFETCH(int, segments);
        QFETCH(Times, lap1);
        QFETCH(Times, lap2);
        QFETCH(Times, deltas);
        QFETCH(Times, predicted);
        Race race;
        LiveFigures live(race);
        timeRace(race, segments, lap1);
        double t = race.reading(1, segments);
        for (int s = 0; s < segments; ++s) {
            race.press(t += lap2[s]);
            const LiveFigureValues &v = live.values();
            QCOMPARE(v.lap, 2);
            QCOMPARE(v.segment, s + 1);
            QCOMPARE(orNone(v.delta), deltas[s]);
            QCOMPARE(orNone(v.predictedLap), predicted[s]);
        }
        // Lap 2 complete: the last lap is its time; the best lap the better one.
        double lap2Time = 0, lap1Time = 0;
        for (int s = 0; s < segments; ++s) {
            lap2Time += lap2[s];
            lap1Time += lap1[s];
        }
        QCOMPARE(orNone(live.values().lastLap), lap2Time);
        QCOMPARE(orNone(live.values().bestLap), qMin(lap1Time, lap2Time));
        QCOMPARE(live.values().bestLapNumber, lap2Time < lap1Time ? 2 : 1);
    }

    // Until a lap is complete there is no reference: blank, never 0.
    void firstLapHasNoReference_data()
    {
        QTest::addColumn<int>("segments");
        for (int n = 1; n <= 4; ++n)
            QTest::newRow(qPrintable(QString::number(n))) << n;
    }

    void firstLapHasNoReference()
    {
        QFETCH(int, segments);
        Race race;
        LiveFigures live(race);
        timeRace(race, segments, {});
        double t = 10;
        for (int s = 1; s <= segments; ++s) {
            race.press(t += 20);
            const LiveFigureValues &v = live.values();
            QVERIFY(!v.delta);
            QVERIFY(!v.predictedLap);
            QCOMPARE(v.lastLap.has_value(), s == segments);
            QCOMPARE(v.bestLap.has_value(), s == segments);
        }
        QVERIFY(LiveFigures::deltaText(live.values().delta).isEmpty());
    }

    // Laps: G 41 (20+21), Y 38.5 (18+20.5), T 40 (19+21), G 42 (20+22), then
    // lap 5 G, first segment 19.5. The reference, the delta after lap 5's
    // first segment and the best possible lap under each filter.
    void referenceUnderEachFilter_data()
    {
        QTest::addColumn<int>("filter");
        QTest::addColumn<double>("bestLap");
        QTest::addColumn<int>("bestLapNumber");
        QTest::addColumn<double>("delta");
        QTest::addColumn<double>("bestPossible");
        QTest::newRow("all laps") << int(LapFilter::AllLaps) << 38.5 << 2 << 1.5 << 38.5;
        QTest::newRow("green") << int(LapFilter::GreenOnly) << 40.0 << 3 << 0.5 << 40.0;
        QTest::newRow("green not in traffic") << int(LapFilter::GreenNotInTraffic) << 41.0 << 1 << -0.5 << 40.5;
    }

    void referenceUnderEachFilter()
    {
        QFETCH(int, filter);
        QFETCH(double, bestLap);
        QFETCH(int, bestLapNumber);
        QFETCH(double, delta);
        QFETCH(double, bestPossible);
        for (bool filterFirst : {true, false}) {
            Race race;
            LiveFigures live(race);
            if (filterFirst)
                live.setLapFilter(LapFilter(filter));
            race.setSegmentsPerLap(2);
            race.arm();
            double t = 10;
            race.press(t);
            pressLap(race, t, QLatin1Char('G'), {20, 21});
            pressLap(race, t, QLatin1Char('Y'), {18, 20.5});
            pressLap(race, t, QLatin1Char('T'), {19, 21});
            pressLap(race, t, QLatin1Char('G'), {20, 22});
            pressLap(race, t, QLatin1Char('G'), {19.5});
            if (!filterFirst)
                live.setLapFilter(LapFilter(filter)); // the choice made during the race
            const LiveFigureValues &v = live.values();
            QCOMPARE(orNone(v.bestLap), bestLap);
            QCOMPARE(v.bestLapNumber, bestLapNumber);
            QCOMPARE(orNone(v.delta), delta);
            QCOMPARE(orNone(v.predictedLap), bestLap + delta);
            QCOMPARE(orNone(v.bestPossibleLap), bestPossible);
            QCOMPARE(orNone(v.lastLap), 42.0);
        }
    }

    // Only yellow or in-traffic laps so far: a filter that counts none of
    // them leaves every reference figure blank.
    void lapLeftOutIsNeverTheReference()
    {
        Race race;
        LiveFigures live(race);
        live.setLapFilter(LapFilter::GreenNotInTraffic);
        race.setSegmentsPerLap(2);
        race.arm();
        double t = 10;
        race.press(t);
        pressLap(race, t, QLatin1Char('Y'), {18, 20});
        pressLap(race, t, QLatin1Char('T'), {19, 19});
        pressLap(race, t, QLatin1Char('G'), {25});
        const LiveFigureValues &v = live.values();
        QVERIFY(!v.bestLap);
        QVERIFY(!v.delta);
        QVERIFY(!v.predictedLap);
        QVERIFY(!v.bestPossibleLap); // segment 2 has no counted time yet
        QCOMPARE(orNone(v.lastLap), 38.0);
    }

    // A segment cut short by an edit after the race moves the best lap and
    // the best possible lap; a lap deleted into nothing moves them back.
    void editsAfterTheRaceMoveTheReference()
    {
        Race race;
        LiveFigures live(race);
        timeRace(race, 2, {20, 21, 19, 22, 21, 21}); // 41, 41, 42
        race.finish();
        QCOMPARE(orNone(live.values().bestLap), 41.0);
        QCOMPARE(live.values().bestLapNumber, 1);
        QCOMPARE(orNone(live.values().bestPossibleLap), 40.0);
        race.selectLap(3);
        std::array<double, 5> fields{0, 21, 18.5, 0, 0};
        race.keepChanges(3, fields, race.lapConditions(3));
        QCOMPARE(orNone(live.values().bestLap), 39.5);
        QCOMPARE(live.values().bestLapNumber, 3);
        QCOMPARE(orNone(live.values().bestPossibleLap), 37.5);
        QCOMPARE(orNone(live.values().lastLap), 39.5);
    }

    void texts_data()
    {
        QTest::addColumn<double>("delta");
        QTest::addColumn<QString>("text");
        QTest::newRow("behind") << 0.312 << QStringLiteral("+0.312");
        QTest::newRow("ahead") << -0.204 << QStringLiteral("\u22120.204");
        QTest::newRow("level") << 0.0 << QStringLiteral("+0.000");
        QTest::newRow("rounded") << -12.3456 << QStringLiteral("\u221212.346");
    }

    void texts()
    {
        QFETCH(double, delta);
        QFETCH(QString, text);
        QCOMPARE(LiveFigures::deltaText(delta), text);
    }
};

QTEST_GUILESS_MAIN(TstLiveFigures)
#include "tst_livefigures.moc"
