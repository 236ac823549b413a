// The interval timer: the count is the whole intervals since arming, whatever the wake-ups do;
// each wake-up carries the wake intervals it skipped (the speed check counts 1 + overrun).

#include "timing/HiTime.h"

#include <QtTest>

using namespace sw;

class TestHiTime : public QObject
{
    Q_OBJECT
private slots:
    void ticksEqualWholeIntervals_data()
    {
        QTest::addColumn<int>("interval");
        QTest::addColumn<int>("wake");               // ms between wake-ups; -1: once per interval
        QTest::addColumn<QList<double>>("steps");   // ms moved per step
        QTest::addColumn<QList<int>>("kinds");      // 0 on time, 1 late event, 2 quiet (missed)
        QTest::newRow("1 ms late events") << 1 << -1 << QList<double>{0.4, 7.7, 1000.5, 3.3} << QList<int>{1, 1, 1, 1};
        QTest::newRow("mixed with missed events") << 2 << -1 << QList<double>{11, 3.5, 0.5, 99.1, 1}
                                                  << QList<int>{0, 2, 1, 2, 1};
        QTest::newRow("25 ms") << 25 << -1 << QList<double>{24.9, 0.1, 50, 12.5, 12.5} << QList<int>{1, 1, 2, 1, 1};
        QTest::newRow("1 ms count, 20 ms wake-ups") << 1 << 20 << QList<double>{19.5, 0.5, 333.3, 7, 1}
                                                    << QList<int>{0, 1, 0, 2, 1};
        QTest::newRow("no wake-ups, 30 days") << 1 << 0 << QList<double>{0.25, 30 * 86400e3} << QList<int>{1, 0};
    }

    void ticksEqualWholeIntervals()
    {
        QFETCH(int, interval);
        QFETCH(int, wake);
        QFETCH(QList<double>, steps);
        QFETCH(QList<int>, kinds);
        ManualClock clock;
        ManualHiTime t(clock);
        qint64 counted = 0; // 1 + overrun per event, in wake intervals
        connect(&t, &HiTime::Timer, &t, [&counted](int overrun) { counted += 1 + overrun; });
        t.setInterval(interval);
        if (wake >= 0)
            t.setWakeInterval(wake);
        const int wakeMs = wake < 0 ? interval : wake;
        double ms = 0;
        for (int i = 0; i < steps.size(); ++i) {
            ms += steps[i];
            if (kinds[i] == 0)
                t.advanceMs(steps[i]);
            else if (kinds[i] == 1)
                t.advanceLateMs(steps[i]);
            else
                t.advanceQuietMs(steps[i]);
            double fraction = -1;
            const qint64 ticks = t.ticks(&fraction);
            QCOMPARE(ticks, qint64(ms / interval + 1e-9));
            QVERIFY(qAbs(ticks + fraction - ms / interval) < 1e-6);
            if (kinds[i] != 2 && wakeMs > 0) // every wake interval reported once, none twice
                QCOMPARE(counted, qint64(ms / wakeMs + 1e-9));
        }
        if (wake == 0)
            QCOMPARE(counted, qint64(0));
    }

    // A stopped timer (a finished race) neither wakes nor counts.
    void stoppedTimerIsQuiet()
    {
        ManualClock clock;
        ManualHiTime t(clock);
        int events = 0;
        connect(&t, &HiTime::Timer, &t, [&events](int) { ++events; });
        t.setInterval(5);
        t.advanceMs(20);
        t.setInterval(0);
        t.advanceMs(100);
        t.advanceLateMs(100);
        QCOMPARE(events, 4);
        QCOMPARE(t.ticks(), qint64(4));
    }
};

QTEST_GUILESS_MAIN(TestHiTime)
#include "tst_hitime.moc"
