// View > "Race Analysis" follows the race in the main window: each press adds
// its lap once the event loop is free, a click in the chart selects that lap
// in the main window, and a lap chosen there is the chart's selected lap.

#include "support/RaceFixture.h"

#include "charts/RaceAnalysisLink.h"
#include "charts/AnalysisChartView.h"
#include "charts/RaceAnalysisWindow.h"

#include <QtTest>

using namespace sw;

class TestAnalysisLink : public QObject
{
    Q_OBJECT
private slots:
    void followsTheRace()
    {
        RaceFixture f(2);
        f.armAndPress({1, 11, 22});
        f.w->ui.raceAnalysisAction->trigger();
        RaceAnalysisWindow *chart = f.w->analysis().window();
        QVERIFY(chart && chart->isVisible());
        QCOMPARE(int(chart->race(0).laps.size()), 1);

        f.pressAt(31);
        f.pressAt(43); // lap 2 complete
        QCOMPARE(int(chart->race(0).laps.size()), 1); // not on the timing path
        QCoreApplication::processEvents();
        QCOMPARE(int(chart->race(0).laps.size()), 2);
        QCOMPARE(chart->race(0).laps[1].lapTime.value_or(-1), 21.0);
        // Drawn quickly while the race is timed, smoothly after it.
        QVERIFY(!chart->chartView()->renderHints().testFlag(QPainter::Antialiasing));

        f.finish();
        QCoreApplication::processEvents();
        QVERIFY(chart->chartView()->renderHints().testFlag(QPainter::Antialiasing));
        emit chart->lapClicked(1);
        QCOMPARE(f.race.selectedLap(), 1);
        QCOMPARE(f.w->ui.lapList->currentIndex(), 0);
    }
};

QTEST_MAIN(TestAnalysisLink)
#include "tst_analysislink.moc"
