// The interval timer's tick accounting: however late or bunched its events
// come, 1 + overrun per event adds up to the whole intervals elapsed, and a
// catch-up between events never counts an interval twice.

#include "timing/HiTime.h"

#include <QtTest>

using namespace sw;

class TestHiTime : public QObject
{
    Q_OBJECT
private slots:
    void ticksEqualWholeIntervals_data();
    void ticksEqualWholeIntervals();
    void setIntervalStopsOrRestarts();
};

void TestHiTime::ticksEqualWholeIntervals_data()
{
    QTest::addColumn<int>("interval");
    QTest::addColumn<QList<double>>("steps");   // ms moved per step
    QTest::addColumn<QList<int>>("kinds");      // 0 on time, 1 late event, 2 quiet + catch-up
    QTest::newRow("1 ms on time") << 1 << QList<double>{250} << QList<int>{0};
    QTest::newRow("1 ms late events") << 1 << QList<double>{0.4, 7.7, 1000.5, 3.3} << QList<int>{1, 1, 1, 1};
    QTest::newRow("mixed with catch-ups") << 2 << QList<double>{11, 3.5, 0.5, 99.1, 1}
                                          << QList<int>{0, 2, 1, 2, 1};
    QTest::newRow("25 ms") << 25 << QList<double>{24.9, 0.1, 50, 12.5, 12.5} << QList<int>{1, 1, 2, 1, 1};
}

void TestHiTime::ticksEqualWholeIntervals()
{
    QFETCH(int, interval);
    QFETCH(QList<double>, steps);
    QFETCH(QList<int>, kinds);
    ManualClock clock;
    ManualHiTime t(clock);
    qint64 ticks = 0;
    connect(&t, &HiTime::Timer, &t, [&ticks](int overrun) { ticks += 1 + overrun; });
    t.setInterval(interval);
    double ms = 0;
    for (int i = 0; i < steps.size(); ++i) {
        ms += steps[i];
        if (kinds[i] == 0)
            t.advanceMs(steps[i]);
        else if (kinds[i] == 1)
            t.advanceLateMs(steps[i]);
        else {
            t.advanceQuietMs(steps[i]);
            ticks += t.catchUp();
        }
        QCOMPARE(ticks, qint64(ms / interval + 1e-9));
    }
}

void TestHiTime::setIntervalStopsOrRestarts()
{
    ManualClock clock;
    ManualHiTime t(clock);
    int events = 0;
    connect(&t, &HiTime::Timer, &t, [&events](int) { ++events; });
    t.setInterval(5);
    t.advanceMs(20);
    QCOMPARE(events, 4);
    t.setInterval(0); // stopped: nothing delivered, nothing to catch up
    t.advanceMs(100);
    t.advanceLateMs(100);
    QCOMPARE(events, 4);
    QCOMPARE(t.catchUp(), 0);
    t.setInterval(1);
    t.advanceQuietMs(500);
    t.setInterval(1); // arming again: nothing carried over
    t.advanceQuietMs(3);
    QCOMPARE(t.catchUp(), 3);
}

QTEST_GUILESS_MAIN(TestHiTime)
#include "tst_hitime.moc"
