// The live figures of a race timed press by press: delta to the best lap at
// every timing point, predicted and best possible lap, the reference under
// each lap filter, and the figures after edits.

#include "analysis/LiveFigures.h"
#include "race/Race.h"

#include <QtTest>

#include <numeric>

using namespace sw;

namespace {

using Times = QList<double>;

// A figure as text, "-" when blank.
QString text(std::optional<double> v)
{
    return !v ? QStringLiteral("-") : *v == 0 ? QStringLiteral("0") : QString::number(*v);
}

// Arms a two-segment race, presses at 10 s, then times the laps of
// "G 20 21; Y 18 20.5; ...": G green not in traffic, T green in traffic,
// Y yellow, then the lap's segment times (a lap under way has fewer).
void timeLaps(Race &race, const QString &laps)
{
    race.setSegmentsPerLap(2);
    race.arm();
    double t = 10;
    race.press(t);
    for (const QString &lap : laps.split(QLatin1Char(';'))) {
        const QStringList f = lap.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        race.setConditions({f[0] == QLatin1String("Y") ? 1 : 0, 0, f[0] == QLatin1String("G") ? 0 : 1});
        for (int s = 1; s < f.size(); ++s)
            race.press(t += f[s].toDouble());
    }
}

} // namespace

class TstLiveFigures : public QObject
{
    Q_OBJECT
private slots:
    // Lap 1 is the reference; lap 2 is timed and the delta read after each
    // of its presses. Until lap 1 is complete there is no reference: blank, never 0.
    void deltaAtEveryTimingPoint_data()
    {
        QTest::addColumn<Times>("lap1");
        QTest::addColumn<Times>("lap2");
        QTest::addColumn<Times>("deltas");
        QTest::addColumn<Times>("predicted");
        QTest::newRow("1 segment") << Times{60.5} << Times{59.25} << Times{-1.25} << Times{59.25};
        QTest::newRow("2 segments") << Times{30, 31} << Times{30.312, 30} << Times{0.312, -0.688} << Times{61.312, 60.312};
        QTest::newRow("3 segments") << Times{20, 20, 20} << Times{19.796, 20.5, 20.1} << Times{-0.204, 0.296, 0.396}
                                    << Times{59.796, 60.296, 60.396};
        QTest::newRow("4 segments") << Times{10, 11, 12, 13} << Times{10, 10, 13, 12.999} << Times{0, -1, 0, -0.001}
                                    << Times{46, 45, 46, 45.999};
    }

    void deltaAtEveryTimingPoint()
    {
        QFETCH(Times, lap1);
        QFETCH(Times, lap2);
        QFETCH(Times, deltas);
        QFETCH(Times, predicted);
        const int segments = int(lap1.size());
        Race race;
        LiveFigures live(race);
        race.setSegmentsPerLap(segments);
        race.arm();
        double t = 10;
        race.press(t);
        for (int s = 0; s < segments; ++s) {
            race.press(t += lap1[s]);
            const LiveFigureValues &v = live.values();
            QVERIFY(!v.delta && !v.predictedLap);
            QCOMPARE(v.lastLap.has_value() && v.bestLap.has_value(), s + 1 == segments);
        }
        QVERIFY(LiveFigures::deltaText(live.values().delta).isEmpty());
        for (int s = 0; s < segments; ++s) {
            race.press(t += lap2[s]);
            const LiveFigureValues &v = live.values();
            QCOMPARE(QList<int>({v.lap, v.segment}), QList<int>({2, s + 1}));
            QCOMPARE(text(v.delta), text(deltas[s]));
            QCOMPARE(text(v.predictedLap), text(predicted[s]));
        }
        // Lap 2 complete: the last lap is its time; the best lap the better one.
        const double lap1Time = std::accumulate(lap1.begin(), lap1.end(), 0.0);
        const double lap2Time = std::accumulate(lap2.begin(), lap2.end(), 0.0);
        QCOMPARE(text(live.values().lastLap), text(lap2Time));
        QCOMPARE(text(live.values().bestLap), text(qMin(lap1Time, lap2Time)));
        QCOMPARE(live.values().bestLapNumber, lap2Time < lap1Time ? 2 : 1);
    }

    // The reference, the delta, the predicted and best possible lap under each
    // filter, chosen before the race or during it; a filter that counts none
    // of the laps so far leaves every reference figure blank.
    void referenceUnderEachFilter_data()
    {
        QTest::addColumn<QString>("laps");
        QTest::addColumn<int>("filter");
        QTest::addColumn<QString>("figures"); // best lap (number), delta, predicted, best possible, last lap
        const QString race = QStringLiteral("G 20 21; Y 18 20.5; T 19 21; G 20 22; G 19.5");
        QTest::newRow("all laps") << race << int(LapFilter::AllLaps) << "38.5 (2) 1.5 40 38.5 42";
        QTest::newRow("green") << race << int(LapFilter::GreenOnly) << "40 (3) 0.5 40.5 40 42";
        QTest::newRow("green not in traffic") << race << int(LapFilter::GreenNotInTraffic) << "41 (1) -0.5 40.5 40.5 42";
        // The lap under way, in traffic, adds nothing to the best possible lap.
        QTest::newRow("lap under way left out") << "G 20 21; T 18" << int(LapFilter::GreenNotInTraffic) << "41 (1) -2 39 41 41";
        // Segment 2 has no counted time yet: no best possible lap either.
        QTest::newRow("no lap counted yet") << "Y 18 20; T 19 19; G 25" << int(LapFilter::GreenNotInTraffic)
                                            << "- (0) - - - 38";
    }

    void referenceUnderEachFilter()
    {
        QFETCH(QString, laps);
        QFETCH(int, filter);
        for (bool filterFirst : {true, false}) {
            Race race;
            LiveFigures live(race);
            if (filterFirst)
                live.setLapFilter(LapFilter(filter));
            timeLaps(race, laps);
            if (!filterFirst)
                live.setLapFilter(LapFilter(filter));
            const LiveFigureValues &v = live.values();
            QTEST(QStringLiteral("%1 (%2) %3 %4 %5 %6").arg(text(v.bestLap)).arg(v.bestLapNumber).arg(text(v.delta),
                          text(v.predictedLap), text(v.bestPossibleLap), text(v.lastLap)), "figures");
        }
    }

    // A segment cut short by an edit after the race moves the best lap and
    // the best possible lap.
    void editsAfterTheRaceMoveTheReference()
    {
        Race race;
        LiveFigures live(race);
        timeLaps(race, QStringLiteral("G 20 21; G 19 22; G 21 21"));
        race.finish();
        const auto figures = [&live] {
            const LiveFigureValues &v = live.values();
            return QStringLiteral("%1 (%2) %3 %4").arg(text(v.bestLap)).arg(v.bestLapNumber).arg(text(v.bestPossibleLap),
                                                                                            text(v.lastLap));
        };
        QCOMPARE(figures(), QStringLiteral("41 (1) 40 42"));
        race.selectLap(3);
        race.keepChanges(3, {0, 21, 18.5, 0, 0}, race.lapConditions(3));
        QCOMPARE(figures(), QStringLiteral("39.5 (3) 37.5 39.5"));
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
        QTEST(LiveFigures::deltaText(delta), "text");
    }
};

QTEST_GUILESS_MAIN(TstLiveFigures)
#include "tst_livefigures.moc"
