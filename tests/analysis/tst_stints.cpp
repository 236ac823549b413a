// Pit stops, stints, the rolling average and the alignment of two races,
// against figures worked by hand.

#include "analysis/RecordSeries.h"
#include "analysis/Stints.h"

#include <QtTest>

#include <cmath>

using namespace sw;
using L = QList<double>;
using I = QList<int>;

namespace {

// A race of whole-lap times: lap i + 1 takes times[i]; laps listed in yellow
// ran under the yellow flag, laps listed in ignored do not count. Race time
// is the sum of the lap times so far.
LapSeries race(const L &times, const I &yellow = {}, const I &ignored = {})
{
    LapSeries s;
    s.name = QStringLiteral("race.lap");
    double raceTime = 0;
    for (int i = 0; i < times.size(); ++i) {
        SeriesLap l;
        l.lap = i + 1;
        if (times[i] > 0) {
            l.lapTime = times[i];
            raceTime += times[i];
            l.raceTime = raceTime;
        }
        l.segments[0] = l.lapTime;
        l.flag = yellow.contains(l.lap) ? 1 : 0;
        l.counts = !ignored.contains(l.lap);
        s.laps.push_back(l);
    }
    return s;
}

QString stopsText(const std::vector<PitStop> &stops)
{
    QStringList parts;
    for (const PitStop &s : stops)
        parts << QStringLiteral("%1-%2").arg(s.firstLap).arg(s.lastLap);
    return parts.join(QLatin1Char(','));
}

// -1 stands for "no figure".
double orNone(const std::optional<double> &v) { return v ? *v : -1.0; }

} // namespace

class TestStints : public QObject
{
    Q_OBJECT
private slots:
    void medianOfValues_data()
    {
        QTest::addColumn<L>("values");
        QTest::addColumn<double>("expected"); // -1: none
        QTest::newRow("none") << L{} << -1.0;
        QTest::newRow("one") << L{3} << 3.0;
        QTest::newRow("odd, unsorted") << L{5, 1, 3} << 3.0;
        QTest::newRow("even: mean of the middle two") << L{4, 1, 3, 2} << 2.5;
    }

    void medianOfValues()
    {
        QFETCH(L, values);
        QTEST(orNone(median(std::vector<double>(values.begin(), values.end()))), "expected");
    }

    void pitStopRule_data()
    {
        QTest::addColumn<L>("times");
        QTest::addColumn<I>("yellow");
        QTest::addColumn<I>("ignored");
        QTest::addColumn<double>("factor");
        QTest::addColumn<QString>("stops");
        QTest::newRow("no stop") << L{60, 61, 62, 61, 60} << I{} << I{} << 1.5 << "";
        QTest::newRow("one stop: above 1.5 x median 60") << L{60, 60, 60, 100, 60, 60} << I{} << I{} << 1.5 << "4-4";
        QTest::newRow("exactly at the limit is no stop") << L{60, 60, 90, 60, 60} << I{} << I{} << 1.5 << "";
        QTest::newRow("slow first lap is the start") << L{100, 60, 60, 60} << I{} << I{} << 1.5 << "";
        QTest::newRow("two stops in a row are one") << L{60, 60, 95, 95, 60, 60, 60} << I{} << I{} << 1.5 << "3-4";
        QTest::newRow("two stops apart") << L{60, 95, 60, 60, 95, 60} << I{} << I{} << 1.5 << "2-2,5-5";
        QTest::newRow("slow yellow lap is no stop") << L{60, 60, 95, 60, 60} << I{3} << I{} << 1.5 << "";
        QTest::newRow("yellow parts a run of stops") << L{60, 60, 60, 95, 95, 95, 60, 60, 60} << I{5} << I{} << 1.5 << "4-4,6-6";
        QTest::newRow("factor 1.25: limit 75") << L{60, 60, 80, 60} << I{} << I{} << 1.25 << "3-3";
        QTest::newRow("factor 1.5: 80 is no stop") << L{60, 60, 80, 60} << I{} << I{} << 1.5 << "";
        // All eight laps: median 50, limit 75, lap 3 would be a stop.
        QTest::newRow("median of the counted laps only") << L{60, 60, 80, 60, 40, 40, 40, 40} << I{} << I{5, 6, 7, 8} << 1.5 << "";
        QTest::newRow("lap without time is no stop") << L{60, 0, 60, 60} << I{} << I{} << 1.5 << "";
        QTest::newRow("no lap counts") << L{60, 100, 60} << I{} << I{1, 2, 3} << 1.5 << "";
    }

    void pitStopRule()
    {
        QFETCH(L, times);
        QFETCH(I, yellow);
        QFETCH(I, ignored);
        QFETCH(double, factor);
        QTEST(stopsText(pitStops(race(times, yellow, ignored), factor)), "stops");
    }

    void stintFigures_data()
    {
        QTest::addColumn<L>("times");
        QTest::addColumn<I>("ignored");
        QTest::addColumn<int>("stintCount");
        QTest::addColumn<int>("index");
        QTest::addColumn<L>("expected"); // first, last, laps, timed, best, average, spread, trend
        const L twoStints{60, 61, 62, 63, 100, 62, 61, 61, 60};
        // Deviations -1.5 -0.5 0.5 1.5: squares 5, / 3, root 1.290994; slope 1.
        QTest::newRow("first stint, wearing") << twoStints << I{} << 2 << 0 << L{1, 4, 4, 4, 60, 61.5, 1.290994, 1.0};
        // Deviations 1 0 0 -1: squares 2, / 3, root 0.816497; slope -3 / 5.
        QTest::newRow("second stint after lap 5") << twoStints << I{} << 2 << 1 << L{6, 9, 4, 4, 60, 61, 0.816497, -0.6};
        QTest::newRow("stop on the last lap: no empty stint") << L{60, 62, 100} << I{} << 1 << 0 << L{1, 2, 2, 2, 60, 61, 1.414214, 2.0};
        QTest::newRow("one timed lap: no spread, no trend") << L{60, 100, 61} << I{} << 2 << 0 << L{1, 1, 1, 1, 60, 60, -1, -1};
        QTest::newRow("a lap that does not count is in laps, not figures") << L{60, 70, 62} << I{2} << 1 << 0 << L{1, 3, 3, 2, 60, 61, 1.414214, 1.0};
        QTest::newRow("no stop: one stint") << L{60, 61, 62} << I{} << 1 << 0 << L{1, 3, 3, 3, 60, 61, 1.0, 1.0};
    }

    void stintFigures()
    {
        QFETCH(L, times);
        QFETCH(I, ignored);
        QFETCH(int, index);
        QFETCH(L, expected);
        const LapSeries s = race(times, {}, ignored);
        const std::vector<Stint> all = stints(s, pitStops(s));
        QTEST(int(all.size()), "stintCount");
        const Stint &st = all[size_t(index)];
        const L got{double(st.firstLap), double(st.lastLap), double(st.laps),
                                double(st.timedLaps), orNone(st.best), orNone(st.average),
                                orNone(st.spread), orNone(st.trend)};
        for (int i = 0; i < got.size(); ++i)
            QVERIFY2(std::abs(got[i] - expected[i]) < 5e-7,
                     qPrintable(QStringLiteral("figure %1: %2, expected %3").arg(i).arg(got[i]).arg(expected[i])));
    }

    void rollingAverageOfLaps_data()
    {
        QTest::addColumn<L>("times");
        QTest::addColumn<I>("ignored");
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("expected");
        const L race{60, 62, 64, 66, 100, 68};
        QTest::newRow("width 3, stop lap 5 left out") << race << I{} << 3 << "1:60 2:61 3:62 4:64 6:66";
        QTest::newRow("width 1: the laps themselves") << race << I{} << 1 << "1:60 2:62 3:64 4:66 6:68";
        QTest::newRow("lap that does not count left out") << race << I{2} << 2 << "1:60 3:62 4:65 6:67";
        QTest::newRow("width 0: nothing") << race << I{} << 0 << "";
    }

    void rollingAverageOfLaps()
    {
        QFETCH(L, times);
        QFETCH(I, ignored);
        QFETCH(int, width);
        const LapSeries s = race(times, {}, ignored);
        QStringList got;
        for (const RollingPoint &p : rollingAverage(s, pitStops(s), WholeLap, width))
            got << QStringLiteral("%1:%2").arg(p.lap).arg(p.value);
        QTEST(got.join(QLatin1Char(' ')), "expected");
    }

    void alignmentOfTwoRaces_data()
    {
        QTest::addColumn<bool>("byRaceTime");
        QTest::addColumn<bool>("fromFirst"); // base is the 60 s race, else the 50 s race
        QTest::addColumn<int>("lap");
        QTest::addColumn<int>("expected"); // -1: none
        // First race: 4 laps of 60 s, ends 60, 120, 180, 240.
        // Second race: 5 laps of 50 s, ends 50, 100, 150, 200, 250.
        QTest::newRow("lap number: same lap") << false << true << 3 << 3;
        QTest::newRow("lap number: other race shorter") << false << false << 5 << -1;
        QTest::newRow("race time 120: under way lap 3") << true << true << 2 << 3;
        QTest::newRow("race time 180: under way lap 4") << true << true << 3 << 4;
        QTest::newRow("race time 240: under way lap 5") << true << true << 4 << 5;
        QTest::newRow("race time 100: under way lap 2") << true << false << 2 << 2;
        QTest::newRow("race time 250: other race over") << true << false << 5 << -1;
    }

    void alignmentOfTwoRaces()
    {
        QFETCH(bool, byRaceTime);
        QFETCH(bool, fromFirst);
        QFETCH(int, lap);
        const LapSeries sixty = race({60, 60, 60, 60}), fifty = race({50, 50, 50, 50, 50});
        const Alignment a = byRaceTime ? Alignment::RaceTime : Alignment::LapNumber;
        QTEST((fromFirst ? alignedLap(sixty, lap, fifty, a) : alignedLap(fifty, lap, sixty, a)).value_or(-1), "expected");
    }

    void seriesFromRecord()
    {
        // Two segments; the start press at 10 s; lap 3 has only its first reading.
        StoredRace rec;
        rec.segmentsPerLap = 2;
        rec.lastLap = 3;
        rec.cells.rows[0][2].set(10);
        const double readings[3][2] = {{40, 70}, {100, 131.5}, {160, 0}};
        for (int lap = 1; lap <= 3; ++lap)
            for (int s = 1; s <= 2; ++s)
                if (readings[lap - 1][s - 1] > 0)
                    rec.cells.rows[lap][s].set(readings[lap - 1][s - 1]);
        rec.cells.rows[2][RaceRecordCells::FlagColumn].set(1);
        rec.cells.rows[2][RaceRecordCells::PositionColumn].set(4);
        rec.cells.rows[2][RaceRecordCells::TrafficColumn].set(2);
        Race race;
        race.load(rec);
        const LapSeries s = lapSeriesFromRace(race, QStringLiteral("r.lap"), LapFilter::GreenOnly);
        QCOMPARE(s.segmentsPerLap, 2);
        QStringList laps; // lap time, segments, race time; flag, position, traffic, counts
        for (const SeriesLap &l : s.laps)
            laps << QStringLiteral("%1 %2 %3 %4 %5%6%7%8").arg(orNone(l.lapTime)).arg(orNone(l.segments[0]))
                            .arg(orNone(l.segments[1])).arg(orNone(l.raceTime)).arg(l.flag).arg(l.position)
                            .arg(l.traffic).arg(int(l.counts));
        QCOMPARE(laps, QStringList({"60 30 30 60 0001", "61.5 30 31.5 121.5 1420", "-1 28.5 -1 -1 0001"}));
    }
};

QTEST_APPLESS_MAIN(TestStints)
#include "tst_stints.moc"
