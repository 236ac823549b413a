// Timing a race through the real main window: keys, clocks, finishing, restarting.

#include "support/RaceFixture.h"

#include "app/WindowZoom.h"
#include "ui/Twips.h"

#include <QMessageBox>
#include <QScrollBar>
#include <QtTest>

using namespace sw;
namespace {
const QString kNotInRavelin = QStringLiteral("Timing not allowed when called by Ravelin.");

QString clocksOf(const RaceFixture &f)
{
    const auto &ui = f.w->ui;
    return QStringList{ui.segmentClock->text(), ui.lapClock->text(), ui.raceClock->text()}.join(QLatin1Char('/'));
}
} // namespace

class TestRaceWindow : public QObject
{
    Q_OBJECT
private slots:
    // The finish question selects the last lap, stops the clocks and the keys; restart asks
    // first, and Yes empties the race and arms again: the start press counts from the restart.
    void finishAndRestart_data()
    {
        QTest::addColumn<bool>("finishedFirst");
        QTest::addColumn<int>("answer");
        QTest::newRow("running, No") << false << int(Answer::No);
        QTest::newRow("running, Yes") << false << int(Answer::Yes);
        QTest::newRow("finished, Yes (button)") << true << int(Answer::Yes);
    }

    void finishAndRestart()
    {
        QFETCH(bool, finishedFirst);
        QFETCH(int, answer);
        RaceFixture f(2);
        auto &ui = f.w->ui;
        f.armAndPress({2, 12, 23, 35});
        for (int k : {5, 7, 9}) // Yellow, position 2, held up
            f.F(k);
        if (finishedFirst) {
            // F2 while the question waits, on a box of the program's own, is a press (a second
            // within the second a bounce) and leaves the box as it was.
            QApplication::setActiveWindow(f.w.get());
            f.prompts.whileAsking = [&f] {
                QMessageBox box(QMessageBox::Question, QStringLiteral("?"), QStringLiteral("?"),
                                QMessageBox::Yes | QMessageBox::No, f.w.get());
                box.show();
                f.advanceTo(45);
                QTest::keyClick(&box, Qt::Key_F2);
                QTest::keyClick(&box, Qt::Key_F2);
                QVERIFY(box.isVisible());
            };
            f.finish();
            QCOMPARE(f.race.reading(2, 2), 45.0);
            QCOMPARE(f.race.lastLap(), 2);
            QCOMPARE(ui.statValueLabels[size_t(12)]->text(), QStringLiteral("21.500")); // the average lap of both
            QCOMPARE(shown(f.prompts.asked.back().message),
                     shown({"Finished Timing Race ?", "Are you finished timing laps for this race?", Buttons::YesNo,
                            Icon::Question, Answer::No}));
            QVERIFY(ui.resultsView->selectionModel()->isRowSelected(1, QModelIndex()));
            QCOMPARE(ui.lapList->currentIndex(), 1);
            const QString frozen = clocksOf(f);
            f.tickTo(300);
            QCOMPARE(f.timer.interval(), 0);
            QCOMPARE(clocksOf(f), frozen);
        }
        f.prompts.clear();
        f.prompts.answer(Answer(answer));
        f.tickTo(40);
        if (finishedFirst) { // keys do nothing after the race
            f.F(2);
            f.F(11);
            QCOMPARE(f.prompts.asked.size(), size_t(0));
            ui.startRestartButton->click();
        } else {
            f.F(12);
        }
        QCOMPARE(f.prompts.asked.size(), size_t(1));
        QCOMPARE(shown(f.prompts.asked[0].message),
                 shown({"Restart Race ?",
                        "Do you want to 'Restart' this race?\n\nIf you answer Yes, you will loose all your "
                        "current recorded times.",
                        Buttons::YesNo, Icon::Question, Answer::No}));
        if (Answer(answer) == Answer::No) {
            QCOMPARE(f.race.state(), RaceState::Running);
            QCOMPARE(f.cell(1, 5), QStringLiteral("21.000"));
            f.pressAt(47); // the race goes on: the next press is recorded
            QCOMPARE(f.cell(2, 2), QStringLiteral("12.000"));
            return;
        }
        QCOMPARE(f.race.state(), RaceState::Armed);
        QCOMPARE(f.shownCell(1, 5), QString());
        QCOMPARE(ui.finishKeepButton->text(), QStringLiteral("Finish F11"));
        // No lap under way before the start press; conditions at their defaults, the old clocks gone.
        QCOMPARE(QStringList({ui.currentLapLabel->text() + ui.currentSegLabel->text(), ui.positionDisplay->text(),
                              ui.trafficDisplay->text(), ui.flagDisplay->text(), clocksOf(f)}),
                 QStringList({"", "1", "In Traffic", "Green", ".000/.000/.000"}));
        f.armNs = f.clock.nowNs();
        f.pressAt(3);
        QCOMPARE(f.race.reading(0, 2), 3.0);
    }

    // The grid scrolls to show the lap just written sixth from the top, or the laps above it in a
    // taller window, and stays so after the finish; after lap 250 a press is refused on the status line.
    void topRowAndLastLap_data()
    {
        QTest::addColumn<int>("laps");
        QTest::addColumn<int>("taller"); // pixels added to the window during the race
        QTest::addColumn<int>("topRow");
        QTest::newRow("lap 6 keeps the top") << 6 << 0 << 1;
        QTest::newRow("lap 7 -> 2") << 7 << 0 << 2;
        QTest::newRow("lap 12, a few rows taller") << 12 << 60 << 4;
        QTest::newRow("lap 12, full height") << 12 << 1000 << 1;
        QTest::newRow("lap 240 -> 230, not 235") << 240 << 0 << 230;
        QTest::newRow("lap 250: the last rows, then presses refused") << 250 << 0 << 230;
    }

    void topRowAndLastLap()
    {
        QFETCH(int, laps);
        QFETCH(int, taller);
        QFETCH(int, topRow);
        RaceFixture f(1);
        f.w->zoom().setScreenSize(QSize(4000, 3000));
        f.arm();
        for (int i = 0; i <= laps; ++i)
            f.pressAt(1 + 2.0 * i);
        f.w->resize(f.w->size() + QSize(0, taller));
        QCOMPARE(f.w->results().topLap(), topRow);
        QCOMPARE(f.w->ui.resultsView->verticalScrollBar()->value(), topRow - 1);
        if (laps == 250) {
            f.pressAt(800);
            QCOMPARE(f.w->ui.statusLine->text(), QStringLiteral("Status: Lap 250 is complete and no more times can be "
                                                                  "recorded.  Press <F11> to finish the race."));
            QCOMPARE(f.prompts.asked.size(), size_t(0)); // no box during the race
        }
        f.finish();
        QCOMPARE(f.w->results().topLap(), topRow);
    }

    void screenAndRefusedKeys_data()
    {
        QTest::addColumn<int>("stage"); // 0 setup, 1 armed, 2 running, 3 finished, -1 called by Ravelin
        QTest::addColumn<QString>("status");
        QTest::addColumn<int>("windowTw");
        QTest::addColumn<int>("gridTw");
        QTest::addColumn<QList<int>>("refusedKeys"); // each answered by `refusal`, nothing changes
        QTest::addColumn<QString>("refusal");
        const QList<int> f11{Qt::Key_F11};
        const QString onlyInRace = QStringLiteral("This key only has effect during the race.");
        QTest::newRow("setup") << 0 << "Status: Starting a New Race.  Set the starting Position and other "
            "settings above.  Then press <F12> to allow recording times by pressing the <F2> key.  Change # "
            "Segments by clicking on Options." << 8250 << 4215 << f11 << onlyInRace;
        QTest::newRow("armed") << 1 << "Status: Before start of Race.  Press <F2> key to start timing the 1st "
            "segment." << 8250 << 4215 << f11 << onlyInRace;
        QTest::newRow("running") << 2 << "Status: Recording times during Race.  Press <F2> key to record each "
            "segment.  If you made a mistake pressing F2, these can be fixed after the race." << 8250 << 4215
            << QList<int>{} << QString();
        QTest::newRow("finished") << 3 << "Status: Race has finished.  You can edit results by clicking on "
            "'Lap #'.  Insert and Delete correct problems with missing or too many times recorded."
            << 7535 << 3135 << QList<int>{} << QString();
        QTest::newRow("Ravelin") << -1 << "Status: Program called from Ravelin.  Only Editting, Opening, "
            "Saving, and Returning to Ravelin options allowed." << 8250 << 4215
            << QList<int>{Qt::Key_F12, Qt::Key_F2, Qt::Key_A} << kNotInRavelin;
    }

    void screenAndRefusedKeys()
    {
        QFETCH(int, stage);
        QFETCH(int, windowTw);
        QFETCH(int, gridTw);
        QFETCH(QList<int>, refusedKeys);
        QFETCH(QString, refusal);
        RaceFixture f(2);
        f.race.setHeldInSetup(stage < 0);
        if (stage >= 1)
            f.arm();
        if (stage >= 2)
            f.pressAt(2);
        if (stage >= 3)
            f.finish();
        auto &ui = f.w->ui;
        const bool finished = stage == 3;
        QTEST(ui.statusLine->text(), "status");
        QVERIFY(qAbs(f.w->windowHeightTwips() - windowTw) < kTwipsPerPixel); // whole pixels
        QCOMPARE(ui.resultsView->height(), twy(gridTw));
        QCOMPARE(ui.finishKeepButton->text(), finished ? QStringLiteral("Keep Changes") : QStringLiteral("Finish F11"));
        QCOMPARE(ui.insertButton->isEnabled(), finished);
        QCOMPARE(ui.graphArea->isHidden(), !finished);
        QCOMPARE(ui.flagDisplay->isHidden(), finished);
        QCOMPARE(ui.returnToRavelinAction->isVisible(), stage < 0);
        QVERIFY(ui.segmentFields[2]->isVisibleTo(f.w.get()));
        QVERIFY(!ui.segmentFields[3]->isVisibleTo(f.w.get()));

        const RaceState before = f.race.state();
        for (int k : refusedKeys) {
            f.prompts.clear();
            f.key(Qt::Key(k));
            QCOMPARE(f.prompts.asked.size(), size_t(1));
            QCOMPARE(shown(f.prompts.asked[0].message), shown({"Splitwatch", refusal}));
        }
        if (stage < 0) { // the restart button too
            f.prompts.clear();
            ui.startRestartButton->click();
            QCOMPARE(f.prompts.messageTexts(), QStringList{kNotInRavelin});
        }
        QCOMPARE(f.race.state(), before);
    }

    // A press is read at its shortcut check, unless the key itself follows late; a key that
    // arrives late is read at its time stamp, once prompt keys taught the clocks' offset.
    void pressReadAtItsMoment_data()
    {
        QTest::addColumn<int>("stamps"); // 0 none, 1 the prompt keys', 2 every key's
        QTest::addColumn<double>("stallMs"); // from the key-down to its shortcut check
        QTest::addColumn<double>("keyBehindMs"); // from the check to the key itself
        QTest::addColumn<bool>("repeating");
        QTest::addColumn<double>("reading");
        QTest::newRow("key 5 ms behind its check") << 0 << 0.0 << 5.0 << false << 8.0003;
        QTest::newRow("key 25 ms behind: read at the key") << 0 << 0.0 << 25.0 << false << 8.0253;
        QTest::newRow("check of a held key: read at the key") << 0 << 0.0 << 5.0 << true << 8.0053;
        QTest::newRow("100 ms stall") << 2 << 100.0 << 0.0 << false << 8.0;
        QTest::newRow("200 ms stall") << 2 << 200.0 << 0.0 << false << 8.0;
        QTest::newRow("prompt key") << 2 << 1.0 << 0.0 << false << 8.0013;
        QTest::newRow("no time stamp: read on arrival") << 1 << 150.0 << 0.0 << false << 8.1503;
    }

    void pressReadAtItsMoment()
    {
        QFETCH(int, stamps);
        QFETCH(bool, repeating);
        RaceFixture f(1);
        f.armAndPress({2});
        // The event clock runs 5000 s behind; a stamp is the whole millisecond of the key-down.
        const auto stampAt = [&f](std::int64_t ns) { return quint64(ns / 1000000 - 5000000); };
        const auto send = [&f](QEvent::Type type, quint64 stamp, bool held) {
            QKeyEvent e(type, Qt::Key_F2, Qt::NoModifier, QString(), held);
            e.setTimestamp(stamp);
            QCoreApplication::sendEvent(f.w->ui.timingFocusHolder, &e);
        };
        for (double t : {4.0, 6.0}) { // prompt keys
            f.advanceTo(t);
            const quint64 stamp = stamps ? stampAt(f.clock.nowNs()) : 0;
            send(QEvent::ShortcutOverride, stamp, false);
            send(QEvent::KeyPress, stamp, false);
        }
        f.advanceTo(8.0003); // key-down
        const quint64 stamp = stamps == 2 ? stampAt(f.clock.nowNs()) : 0;
        QFETCH(double, stallMs);
        f.clock.advanceMs(stallMs);
        send(QEvent::ShortcutOverride, stamp, repeating);
        QFETCH(double, keyBehindMs);
        f.clock.advanceMs(keyBehindMs);
        send(QEvent::KeyPress, stamp, false);
        QFETCH(double, reading);
        QVERIFY2(qAbs(f.race.reading(3, 1) - reading) < 0.0015, qPrintable(QString::number(f.race.reading(3, 1), 'f', 6)));
        QCOMPARE(f.race.reading(2, 1), 6.0);
    }

    void tickCountClocksAndReadings_data()
    {
        // Steps: "late T" one late timer event at T s after arming, "ontime T"
        // events on time up to T, "quiet T" time passes without events, "press T"
        // F2 at T; "hide", "show", "min", "normal" the window. After each step
        // the checks of the same index: ticks=TickCount, read=the stored reading,
        // clocks=segment/lap/race as shown, events=timer events in the step,
        // fresh: the race clock at most one frame (50 ms) behind, fields=current
        // lap/segment/Seg 1 field, lap2=lap 2's times and lap time.
        QTest::addColumn<int>("interval");
        QTest::addColumn<double>("ticksPerSecond");
        QTest::addColumn<int>("segments");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("checks");
        QTest::newRow("1 ms: late, missed and on-time events, hidden and minimised mid-race")
            << 1 << 1000.0 << 1
            << QStringList{"late 1.234", "quiet 2.3457", "press 2.3457", "late 2.5", "quiet 3.0", "press 3.9",
                           "ontime 4.05", "hide", "late 9.0", "ontime 9.5", "press 10.25", "quiet 11.0123",
                           "show", "min", "late 12", "quiet 12.5", "normal", "ontime 13", "press 13"}
            << QStringList{"events=0 clocks=.000/.000/.000", "", "ticks=2345 read=2.3457",
                           "ticks=2500 clocks=.154/.154/.154 events=1", "events=0 clocks=.154/.154/.154",
                           "ticks=3900 read=3.9", "ticks=4050 fresh", "events=0", "events=0 clocks=.150/.150/1.704",
                           "events=0", "ticks=10250 read=10.25 events=0", "",
                           "ticks=11012 clocks=.762/.762/8.666", "events=0", "events=0 clocks=.762/.762/8.666", "",
                           "ticks=12500 clocks=2.250/2.250/10.154", "fresh", "read=13"};
        QTest::newRow("4 ms at 249.5 ticks a second, two segments")
            << 4 << 249.5 << 2
            << QStringList{"late 0.5", "press 1.0", "late 1.234", "press 2.3342", "late 3.0", "press 3.5"}
            << QStringList{"events=0 clocks=.000/.000/.000", "ticks=250 read=1.002004008016032",
                           "ticks=308 clocks=.232/.232/.232 events=1", "ticks=583 read=2.338877755511022",
                           "ticks=750 clocks=.667/2.004/2.004", "ticks=875 read=3.507014028056112"};
        QTest::newRow("three segments: each clock from its own press, lap 2 under way")
            << 1 << 1000.0 << 3
            << QStringList{"press 5", "press 15", "press 26", "press 38", "press 49", "late 55.5"}
            << QStringList{"", "", "", "", "fields=2/2/11.000 lap2=11.000||||", "clocks=6.500/17.500/50.500"};
    }

    void tickCountClocksAndReadings()
    {
        QFETCH(int, interval);
        QFETCH(double, ticksPerSecond);
        QFETCH(int, segments);
        QFETCH(QStringList, steps);
        QFETCH(QStringList, checks);
        RaceFixture f(segments, interval);
        f.calibration.ticksPerSecond = ticksPerSecond;
        int events = 0;
        connect(&f.timer, &HiTime::Timer, &f.timer, [&events](int) { ++events; });
        auto &ui = f.w->ui;
        const QMap<QString, void (QWidget::*)()> window{{"hide", &QWidget::hide}, {"show", &QWidget::show},
                                                         {"min", &QWidget::showMinimized},
                                                         {"normal", &QWidget::showNormal}};
        f.arm();
        double start = 0;
        for (int i = 0; i < steps.size(); ++i) {
            const QString kind = steps[i].section(QLatin1Char(' '), 0, 0);
            const double t = steps[i].section(QLatin1Char(' '), 1).toDouble();
            events = 0;
            if (kind == "late")
                f.tickTo(t);
            else if (kind == "ontime")
                f.timer.advanceMs((f.armNs + qint64(t * 1e9 + 0.5) - f.clock.nowNs()) / 1e6);
            else if (kind == "quiet")
                f.advanceTo(t);
            else if (kind == "press")
                f.pressAt(t);
            else
                (f.w.get()->*window.value(kind))();
            if (kind == "press" && start == 0)
                start = f.race.lastPressReading();
            const QByteArray where = steps[i].toUtf8();
            for (const QString &check : checks[i].split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
                const QString key = check.section(QLatin1Char('='), 0, 0);
                const QString value = check.section(QLatin1Char('='), 1);
                const double now = double(f.timer.ticks()) / ticksPerSecond - start;
                if (key == "ticks")
                    QVERIFY2(f.timer.ticks() == value.toLongLong(), where);
                else if (key == "read")
                    QVERIFY2(qFuzzyCompare(f.race.lastPressReading(), value.toDouble()), where);
                else if (key == "events")
                    QVERIFY2(events == value.toInt(), where);
                else if (key == "clocks")
                    QCOMPARE(clocksOf(f), value);
                else if (key == "fresh")
                    QVERIFY2(ui.raceClock->text().toDouble() <= now + 0.0005
                                 && ui.raceClock->text().toDouble() > now - 0.0505, where);
                else if (key == "fields")
                    QCOMPARE(QStringList({ui.currentLapLabel->text(), ui.currentSegLabel->text(),
                                          ui.segmentFields[1]->text()}).join('/'), value);
                else if (key == "lap2")
                    QCOMPARE(QStringList({f.cell(2, 1), f.cell(2, 2), f.cell(2, 3), f.cell(2, 4), f.cell(2, 5)})
                                 .join('|'), value);
            }
        }
    }
};

QTEST_MAIN(TestRaceWindow)
#include "tst_racewindow.moc"
