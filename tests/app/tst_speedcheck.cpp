// The computer speed check, driven by simulated timers: which interval it
// accepts, when, and what it measured.

#include "app/SpeedCheck.h"

#include <QtTest>

using namespace sw;

namespace {

// Feeds the check with a timer that delivers `rate(interval)` events per
// second, each event carrying `overrun` skipped intervals, until it decides.
struct Run
{
    SpeedCheck::Outcome outcome = SpeedCheck::Outcome::Continue;
    double seconds = 0; // simulated time until the decision
    QList<int> intervalsTried;
};

template <typename Rate>
Run simulate(SpeedCheck &c, Rate rate, double limitSeconds = 120)
{
    Run r;
    std::int64_t ns = 500000000; // half a second past a whole second
    r.intervalsTried << c.tried();
    while (r.seconds < limitSeconds) {
        const double eventsPerSecond = rate(c.timerInterval());
        const std::int64_t step = static_cast<std::int64_t>(1e9 / eventsPerSecond);
        ns += step;
        r.seconds += step / 1e9;
        const int before = c.tried();
        r.outcome = c.onTimer(0, ns / 1000000000);
        if (r.outcome != SpeedCheck::Outcome::Continue)
            break;
        if (c.tried() != before)
            r.intervalsTried << c.tried();
    }
    return r;
}

} // namespace

class TestSpeedCheck : public QObject
{
    Q_OBJECT
private slots:
    void judgement_data();
    void judgement();
    void overrunCountsAsTicks();
    void scrollRestartsMeasurement();
    void windowTexts();
};

void TestSpeedCheck::judgement_data()
{
    QTest::addColumn<double>("at1ms");  // events per second delivered at 1 ms
    QTest::addColumn<double>("at2ms");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<int>("accepted");
    QTest::addColumn<int>("trials");
    QTest::newRow("998/s at 1 ms: accepted at once") << 998.0 << 500.0
                                                     << int(SpeedCheck::Outcome::Accepted) << 1 << 1;
    QTest::newRow("990/s at 1 ms, 500 at 2 ms") << 990.0 << 500.0
                                               << int(SpeedCheck::Outcome::Accepted) << 2 << 2;
    QTest::newRow("faster than nominal is accepted") << 1100.0 << 500.0
                                                     << int(SpeedCheck::Outcome::Accepted) << 1 << 1;
    QTest::newRow("994.9/s just misses 99.5 %") << 994.9 << 499.0
                                                << int(SpeedCheck::Outcome::Accepted) << 2 << 2;
    QTest::newRow("nothing keeps up: too slow") << 10.0 << 10.0
                                                << int(SpeedCheck::Outcome::TooSlow) << 0 << 7;
}

void TestSpeedCheck::judgement()
{
    QFETCH(double, at1ms);
    QFETCH(double, at2ms);
    QFETCH(int, outcome);
    QFETCH(int, accepted);
    QFETCH(int, trials);
    SpeedCheck c;
    // Intervals of 4 ms and longer are served at 99 % in the too-slow row
    // only when the rate there says so.
    const Run r = simulate(c, [&](int ms) {
        if (ms == 1)
            return at1ms;
        if (ms == 2)
            return at2ms;
        return at1ms < 100 ? 0.5 * 1000.0 / ms : 1000.0 / ms;
    });
    QCOMPARE(int(r.outcome), outcome);
    QCOMPARE(r.intervalsTried.size(), trials);
    if (outcome == int(SpeedCheck::Outcome::Accepted)) {
        QCOMPARE(c.acceptedInterval(), accepted);
        const double expectedRate = accepted == 1 ? at1ms : at2ms;
        QVERIFY(qAbs(c.ticksPerSecond() - expectedRate) < 1.0);
        // Six to seven changes of the second per trial.
        QVERIFY(r.seconds > 5.5 * trials && r.seconds < 7.5 * trials);
    }
    QCOMPARE(r.intervalsTried.first(), 1);
    if (trials == 7)
        QCOMPARE(r.intervalsTried, (QList<int>{1, 2, 4, 5, 10, 20, 25}));
}

void TestSpeedCheck::overrunCountsAsTicks()
{
    // 100 events a second, each reporting nine skipped intervals: the
    // intervals are all counted, so 1 ms passes.
    SpeedCheck c;
    std::int64_t ns = 0;
    SpeedCheck::Outcome o = SpeedCheck::Outcome::Continue;
    for (int i = 0; i < 2000 && o == SpeedCheck::Outcome::Continue; ++i) {
        ns += 10000000;
        o = c.onTimer(9, ns / 1000000000);
    }
    QCOMPARE(int(o), int(SpeedCheck::Outcome::Accepted));
    QCOMPARE(c.acceptedInterval(), 1);
    QCOMPARE(c.ticksPerSecond(), 1000.0);
}

void TestSpeedCheck::scrollRestartsMeasurement()
{
    SpeedCheck c;
    std::int64_t ns = 0;
    for (int i = 0; i < 3500; ++i) {
        ns += 1000000;
        c.onTimer(0, ns / 1000000000);
    }
    QVERIFY(c.seconds() > 0);
    c.onScroll(7);
    QCOMPARE(c.timerInterval(), 7);
    QCOMPARE(c.ticks(), 0);
    QCOMPARE(c.seconds(), -2);
    QCOMPARE(c.scrollCaption(), QStringLiteral("Interval = 7"));
    QCOMPARE(c.tried(), 1); // still judged against the interval being tried
}

void TestSpeedCheck::windowTexts()
{
    SpeedCheck c;
    QCOMPARE(c.currentlyTryingText(), QStringLiteral(".001 seconds"));
    QCOMPARE(c.progressMarkers(), 2);
    QCOMPARE(c.averageText(), QStringLiteral("0.0"));
    // Fail 1 ms: the window then tries 2 ms.
    std::int64_t ns = 0;
    while (c.tried() == 1) {
        ns += 1000000000 / 900;
        c.onTimer(0, ns / 1000000000);
    }
    QCOMPARE(c.currentlyTryingText(), QStringLiteral(".002 seconds"));
    QCOMPARE(c.progressMarkers(), 2);
}

QTEST_GUILESS_MAIN(TestSpeedCheck)
#include "tst_speedcheck.moc"
