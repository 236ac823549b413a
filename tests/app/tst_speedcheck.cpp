// The computer speed check, driven by simulated timers: which interval it
// accepts, when, and what it measured.

#include "app/SpeedCheck.h"
#include "app/SpeedCheckWindow.h"
#include "timing/HiTime.h"

#include <QLabel>
#include <QScrollBar>
#include <QtTest>

#include <functional>

using namespace sw;

class TestSpeedCheck : public QObject
{
    Q_OBJECT
private slots:
    void judgement_data()
    {
        QTest::addColumn<double>("at1ms"); // events per second delivered at 1 ms
        QTest::addColumn<double>("at2ms");
        QTest::addColumn<int>("overrun");  // skipped intervals each event reports
        QTest::addColumn<int>("accepted"); // 0: too slow
        QTest::addColumn<int>("trials");
        QTest::newRow("998/s at 1 ms: accepted at once") << 998.0 << 500.0 << 0 << 1 << 1;
        QTest::newRow("faster than nominal is accepted") << 1100.0 << 500.0 << 0 << 1 << 1;
        QTest::newRow("994.9/s just misses 99.5 %") << 994.9 << 499.0 << 0 << 2 << 2;
        QTest::newRow("100/s with 9 skipped each: all counted") << 100.0 << 50.0 << 9 << 1 << 1;
        QTest::newRow("nothing keeps up: too slow") << 10.0 << 10.0 << 0 << 0 << 7;
    }

    void judgement()
    {
        QFETCH(double, at1ms);
        QFETCH(double, at2ms);
        QFETCH(int, overrun);
        QFETCH(int, accepted);
        QFETCH(int, trials);
        // Longer intervals are served in full, except in the too-slow row.
        const std::function<double(int)> rate = [&](int ms) {
            return ms == 1 ? at1ms : ms == 2 ? at2ms : (at1ms < 100 ? 0.5 : 1.0) * 1000.0 / ms;
        };
        SpeedCheck c;
        const std::int64_t start = 500000000; // half a second past a whole second
        std::int64_t ns = start;
        QList<int> tried{c.tried()};
        SpeedCheck::Outcome o = SpeedCheck::Outcome::Continue;
        while (o == SpeedCheck::Outcome::Continue && ns < 120 * 1000000000LL) {
            ns += static_cast<std::int64_t>(1e9 / rate(c.timerInterval()));
            o = c.onTimer(overrun, ns / 1000000000);
            if (o == SpeedCheck::Outcome::Continue && c.tried() != tried.last())
                tried << c.tried();
        }
        QCOMPARE(int(o), int(accepted ? SpeedCheck::Outcome::Accepted : SpeedCheck::Outcome::TooSlow));
        QCOMPARE(tried.size(), trials);
        if (accepted) {
            QCOMPARE(c.acceptedInterval(), accepted);
            QVERIFY(qAbs(c.ticksPerSecond() - rate(accepted) * (1 + overrun)) < 1.0);
            const double seconds = (ns - start) / 1e9; // five to seven changes of the second a trial
            QVERIFY(seconds >= 5.5 * trials && seconds < 7.5 * trials);
        } else {
            QCOMPARE(tried, (QList<int>{1, 2, 4, 5, 10, 20, 25}));
        }
    }

    // The scroll bar already has the timer at 2 ms when the 1 ms trial fails: the
    // window still says 2 ms is being tried.
    void windowFollowsTrial()
    {
        ManualClock clock;
        ManualHiTime timer(clock);
        SpeedCheckWindow w(timer);
        w.prepare();
        QCOMPARE(w.currentlyTrying->text(), QStringLiteral(".001 seconds"));
        w.intervalScrollBar->setValue(2);
        QCOMPARE(timer.interval(), 2);
        bool done = false;
        QObject::connect(&w, &SpeedCheckWindow::accepted, [&done] { done = true; });
        for (int s = 0; s < 30 && !done && w.currentlyTrying->text() == QStringLiteral(".001 seconds"); ++s)
            timer.advanceMs(1000);
        QCOMPARE(w.currentlyTrying->text(), QStringLiteral(".002 seconds"));
    }
};

QTEST_MAIN(TestSpeedCheck)
#include "tst_speedcheck.moc"
