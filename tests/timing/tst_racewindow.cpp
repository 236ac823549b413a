// Timing a race through the real main window: keys, recording, clocks,
// finishing, restarting, with scripted prompts and a hand-driven clock.

#include "support/RaceFixture.h"

#include "timing/NumberText.h"
#include "ui/Twips.h"

#include <QScrollBar>

#include <QtTest>

using namespace sw;

class TestRaceWindow : public QObject
{
    Q_OBJECT
private slots:
    void threeSegmentRaceFillsGridAndClocks();
    void debounce_data();
    void debounce();
    void f11OutsideRaceIsRefusedWithMessage_data();
    void f11OutsideRaceIsRefusedWithMessage();
    void f12TwiceArmsOnce();
    void restartAnswers_data();
    void restartAnswers();
    void finishComputesStatisticsAndModeSecs();
    void finishAnsweredNoKeepsTiming();
    void topRowFollowsWrittenLap_data();
    void topRowFollowsWrittenLap();
    void pressAfterLap250IsRefused();
    void f2InSetupIsIgnored();
    void statusLineFollowsRaceState_data();
    void statusLineFollowsRaceState();
    void clocksShowZeroUntilStartPress();
    void ravelinModeRefusesKeys();
    void lateTimerEventsLoseNoTime();
    void pressReadsTickCountBroughtUpToDate();
};

void TestRaceWindow::threeSegmentRaceFillsGridAndClocks()
{
    RaceFixture f(3);
    f.armAndPress({5, 15, 26, 38, 49});
    QCOMPARE(f.cell(1, 1), QStringLiteral("10.000"));
    QCOMPARE(f.cell(1, 2), QStringLiteral("11.000"));
    QCOMPARE(f.cell(1, 3), QStringLiteral("12.000"));
    QCOMPARE(f.cell(1, 5), QStringLiteral("33.000"));
    QCOMPARE(f.cell(2, 1), QStringLiteral("11.000"));
    QCOMPARE(f.cell(2, 5), QString()); // lap 2 not complete
    QCOMPARE(f.cell(1, 6), QStringLiteral("Green"));
    QCOMPARE(f.cell(1, 7), QStringLiteral("1"));
    QCOMPARE(f.cell(1, 8), QStringLiteral("In Traffic"));
    QCOMPARE(f.state.rec.CurLap, qint16(2));
    QCOMPARE(f.state.rec.CurSeg, qint16(2));
    QCOMPARE(f.w->ui.Label1[0]->text(), QStringLiteral("2"));
    QCOMPARE(f.w->ui.Label1[1]->text(), QStringLiteral("2"));
    QCOMPARE(f.w->ui.SpecData[1]->text(), QStringLiteral("11.000"));

    // At 55.5 s: segment clock from 49, lap clock from 38, race clock from 5.
    f.tickTo(55.5);
    QCOMPARE(f.w->ui.Label1[5]->text(), QStringLiteral("6.500"));
    QCOMPARE(f.w->ui.Label1[6]->text(), QStringLiteral("17.500"));
    QCOMPARE(f.w->ui.Label1[7]->text(), QStringLiteral("50.500"));
    QCOMPARE(f.state.rec.RaceState, qint16(RaceRunning));
    QCOMPARE(f.prompts.asked.size(), size_t(0));
}

void TestRaceWindow::debounce_data()
{
    QTest::addColumn<QList<double>>("presses");
    QTest::addColumn<QList<double>>("stored"); // readings of lap 0 (start), then lap 1.. (1 segment)
    QTest::newRow("0.6 s apart ignored, 1.2 s accepted") << QList<double>{2, 2.6, 3.2}
                                                         << QList<double>{2, 3.2};
    QTest::newRow("start press within a second of arming ignored") << QList<double>{0.5, 1.5}
                                                                   << QList<double>{1.5};
    QTest::newRow("exactly one second apart accepted") << QList<double>{1, 2, 3}
                                                       << QList<double>{1, 2, 3};
    QTest::newRow("burst of bounces") << QList<double>{3, 3.1, 3.2, 3.9, 4.0}
                                      << QList<double>{3, 4.0};
}

void TestRaceWindow::debounce()
{
    QFETCH(QList<double>, presses);
    QFETCH(QList<double>, stored);
    RaceFixture f(1);
    f.arm();
    for (double t : presses)
        f.pressAt(t);
    for (int i = 0; i < stored.size(); ++i)
        QCOMPARE(f.state.rec.reading(i, 1), stored[i]);
    QCOMPARE(f.state.rec.reading(stored.size(), 1), 0.0);
    QVERIFY(f.state.rec.LapData[stored.size()][1].isEmpty());
}

void TestRaceWindow::f11OutsideRaceIsRefusedWithMessage_data()
{
    QTest::addColumn<bool>("armed");
    QTest::newRow("setup") << false;
    QTest::newRow("armed, not started") << true;
}

void TestRaceWindow::f11OutsideRaceIsRefusedWithMessage()
{
    QFETCH(bool, armed);
    RaceFixture f(2);
    if (armed)
        f.arm();
    const qint16 before = f.state.rec.RaceState;
    f.F(11);
    QCOMPARE(f.prompts.asked.size(), size_t(1));
    const MessageSpec &m = f.prompts.asked[0].message;
    QCOMPARE(m.text, QStringLiteral("This key only has effect during the race."));
    QCOMPARE(m.title, QStringLiteral("Splitwatch"));
    QCOMPARE(m.buttons, Buttons::Ok);
    QCOMPARE(m.icon, Icon::None);
    QCOMPARE(f.state.rec.RaceState, before);
}

void TestRaceWindow::f12TwiceArmsOnce()
{
    RaceFixture f(1);
    f.arm();
    QCOMPARE(f.state.rec.RaceState, qint16(RaceArmed));
    f.advanceTo(3);
    f.F(12); // armed: nothing, the clock keeps counting from the first F12
    QCOMPARE(f.state.rec.RaceState, qint16(RaceArmed));
    f.pressAt(4);
    QCOMPARE(f.state.rec.reading(0, 1), 4.0);
    QCOMPARE(f.prompts.asked.size(), size_t(0));
}

void TestRaceWindow::restartAnswers_data()
{
    QTest::addColumn<bool>("finishedFirst");
    QTest::addColumn<int>("answer");
    QTest::newRow("running, No") << false << int(Answer::No);
    QTest::newRow("running, Yes") << false << int(Answer::Yes);
    QTest::newRow("finished, Yes (button)") << true << int(Answer::Yes);
    QTest::newRow("finished, No (button)") << true << int(Answer::No);
}

void TestRaceWindow::restartAnswers()
{
    QFETCH(bool, finishedFirst);
    QFETCH(int, answer);
    RaceFixture f(2);
    f.armAndPress({2, 12, 23, 35});
    if (finishedFirst)
        f.finish();
    f.prompts.asked.clear();
    f.prompts.answer(Answer(answer));
    f.advanceTo(40);
    if (finishedFirst)
        f.w->ui.Command3[2]->click(); // keys do nothing after the race: the button
    else
        f.F(12);
    QCOMPARE(f.prompts.asked.size(), size_t(1));
    const MessageSpec &m = f.prompts.asked[0].message;
    QCOMPARE(m.title, QStringLiteral("Restart Race ?"));
    QCOMPARE(m.text, QStringLiteral("Do you want to 'Restart' this race?\r\rIf you answer Yes, you "
                                    "will loose all your current recorded times."));
    QCOMPARE(m.buttons, Buttons::YesNo);
    QCOMPARE(m.icon, Icon::Question);
    QCOMPARE(m.defaultButton, Answer::No);
    if (Answer(answer) == Answer::No) {
        QCOMPARE(f.state.rec.RaceState, qint16(finishedFirst ? RaceFinished : RaceRunning));
        QCOMPARE(f.state.rec.reading(1, 2), 23.0);
        QCOMPARE(f.cell(1, 5), QStringLiteral("21.000"));
        if (!finishedFirst) { // the race goes on: the next press is recorded
            f.pressAt(47);
            QCOMPARE(f.cell(2, 2), QStringLiteral("12.000"));
        }
    } else {
        QCOMPARE(f.state.rec.RaceState, qint16(RaceArmed));
        QVERIFY(f.state.rec.LapData[1][2].isEmpty());
        QCOMPARE(f.cell(1, 5), QString());
        QCOMPARE(f.cell(1, 0), QStringLiteral("1"));
        QCOMPARE(f.w->ui.Command3[3]->text(), QStringLiteral("Finish F11"));
        QCOMPARE(f.w->windowHeightTwips(), 8250);
        QVERIFY(!f.w->ui.Label1[4]->isHidden());
        QVERIFY(f.w->ui.Picture1->isHidden());
        // Armed again at once: the start press must be given again, and
        // the clock counts from the restart.
        f.armNs = f.clock.nowNs();
        f.pressAt(3);
        QCOMPARE(f.state.rec.reading(0, 2), 3.0);
        QCOMPARE(f.state.rec.CurLap, qint16(1));
    }
}

void TestRaceWindow::finishComputesStatisticsAndModeSecs()
{
    RaceFixture f(2);
    // Start at 10; laps of (20.2, 30.5), (21.7, 30.1), (20.4, 29.9), (25.0, 31.0).
    f.armAndPress({10, 30.2, 60.7, 82.4, 112.5, 132.9, 162.8, 187.8, 218.8});
    f.prompts.asked.clear();
    f.finish();
    QCOMPARE(f.prompts.asked.size(), size_t(1));
    const MessageSpec &m = f.prompts.asked[0].message;
    QCOMPARE(m.title, QStringLiteral("Finished Timing Race ?"));
    QCOMPARE(m.text, QStringLiteral("Are you finished timing laps for this race?"));
    QCOMPARE(m.buttons, Buttons::YesNo);
    QCOMPARE(m.icon, Icon::Question);
    QCOMPARE(m.defaultButton, Answer::No);

    const RaceRecord &r = f.state.rec;
    QCOMPARE(r.RaceState, qint16(RaceFinished));
    QCOMPARE(r.LastLap, qint16(4));
    QCOMPARE(r.CurLap, qint16(4));
    const auto &L3 = f.state.grid.Label3;
    QCOMPARE(L3[0], QStringLiteral("21.825")); // (20.2+21.7+20.4+25.0)/4
    QCOMPARE(L3[1], QStringLiteral("20.200"));
    QCOMPARE(L3[2], QStringLiteral("25.000"));
    QCOMPARE(L3[3], QStringLiteral("30.375"));
    QCOMPARE(L3[4], QStringLiteral("29.900"));
    QCOMPARE(L3[5], QStringLiteral("31.000"));
    QCOMPARE(L3[12], QStringLiteral("52.200")); // laps 50.7, 51.8, 50.3, 56.0
    QCOMPARE(L3[13], QStringLiteral("50.300"));
    QCOMPARE(L3[14], QStringLiteral("56.000"));
    QCOMPARE(L3[6], QString()); // segment 3 unused: untouched
    // Whole seconds: seg 1 -> 20,21,20,25: mode 20 then 21 (lowest on a tie).
    QCOMPARE(r.ModeSecs[0][0], qint16(20));
    QCOMPARE(r.ModeSecs[1][0], qint16(21));
    QCOMPARE(r.ModeSecs[0][1], qint16(30)); // 30,30,29,31
    QCOMPARE(r.ModeSecs[1][1], qint16(29));
    QCOMPARE(r.ModeSecs[0][4], qint16(50)); // 50,51,50,56
    QCOMPARE(r.ModeSecs[1][4], qint16(51));

    // The editing face.
    auto &ui = f.w->ui;
    QVERIFY(qAbs(f.w->windowHeightTwips() - 7535) < kTwipsPerPixel); // whole pixels
    QCOMPARE(ui.Grid1->height(), tw(3135));
    QCOMPARE(ui.Command3[3]->text(), QStringLiteral("Keep Changes"));
    QVERIFY(ui.Command3[0]->isEnabled());
    QVERIFY(ui.Command3[1]->isEnabled());
    QVERIFY(ui.Command3[4]->isEnabled());
    QVERIFY(!ui.Picture1->isHidden());
    QVERIFY(ui.Label1[4]->isHidden());
    QVERIFY(ui.Command1[0]->isHidden());
    QCOMPARE(ui.cmbSpecData[10]->count(), 3);
    QCOMPARE(ui.cmbSpecData[10]->itemText(2), QStringLiteral("Segment 2"));
    QCOMPARE(ui.cmbSpecData[0]->currentIndex(), 3);
    QCOMPARE(f.state.grid.SelStartRow, 4);
    QCOMPARE(ui.SpecData[1]->text(), QStringLiteral("25.000"));
    QCOMPARE(ui.Label6->text(),
             QStringLiteral("Status: Race has finished.  You can edit results by clicking on 'Lap #'.  "
                            "Insert and Delete correct problems with missing or too many times "
                            "recorded."));
    // The timer stops at its next event; the clocks freeze.
    const QString frozen = ui.Label1[7]->text();
    f.tickTo(300);
    QCOMPARE(f.timer.interval(), 0);
    QCOMPARE(ui.Label1[7]->text(), frozen);
    // Keys do nothing after the race.
    f.prompts.asked.clear();
    f.F(2);
    f.F(11);
    QCOMPARE(f.prompts.asked.size(), size_t(0));
}

void TestRaceWindow::finishAnsweredNoKeepsTiming()
{
    RaceFixture f(1);
    f.armAndPress({1, 20});
    f.prompts.answer(Answer::No);
    f.F(11);
    QCOMPARE(f.state.rec.RaceState, qint16(RaceRunning));
    f.pressAt(40);
    QCOMPARE(f.cell(2, 1), QStringLiteral("20.000"));
}

void TestRaceWindow::topRowFollowsWrittenLap_data()
{
    QTest::addColumn<int>("laps");
    QTest::addColumn<int>("topRow");
    QTest::newRow("lap 5 keeps the top") << 5 << 1;
    QTest::newRow("lap 6") << 6 << 1;
    QTest::newRow("lap 7 -> 2") << 7 << 2;
    QTest::newRow("lap 100 -> 95") << 100 << 95;
    QTest::newRow("lap 240 -> 230, not 235") << 240 << 230;
    QTest::newRow("lap 250 -> 230") << 250 << 230;
}

void TestRaceWindow::topRowFollowsWrittenLap()
{
    QFETCH(int, laps);
    QFETCH(int, topRow);
    RaceFixture f(1);
    f.arm();
    for (int i = 0; i <= laps; ++i)
        f.pressAt(1 + 2.0 * i);
    QCOMPARE(f.state.grid.TopRow(), topRow);
    QCOMPARE(f.w->ui.Grid1->verticalScrollBar()->value(), topRow - 1);
}

void TestRaceWindow::pressAfterLap250IsRefused()
{
    RaceFixture f(2);
    f.arm();
    for (int i = 0; i <= 500; ++i)
        f.pressAt(1 + 1.5 * i); // start + 250 laps of two segments
    QCOMPARE(f.state.rec.CurLap, qint16(251));
    QCOMPARE(f.cell(250, 5), QStringLiteral("3.000"));
    f.pressAt(800);
    f.pressAt(900);
    for (int c = 1; c <= 7; ++c)
        QVERIFY(f.state.rec.LapData[251][c].isEmpty());
    QCOMPARE(f.state.rec.CurLap, qint16(251));
    QVERIFY(f.w->ui.Label6->text().contains(QStringLiteral("Lap 250 is complete")));
    QCOMPARE(f.prompts.asked.size(), size_t(0)); // no box during the race
    f.finish();
    QCOMPARE(f.state.rec.LastLap, qint16(250));
}

void TestRaceWindow::f2InSetupIsIgnored()
{
    RaceFixture f(2);
    f.advanceTo(5);
    f.F(2);
    f.F(2);
    for (int r = 0; r < 3; ++r)
        for (int c = 1; c <= 4; ++c)
            QVERIFY(f.state.rec.LapData[r][c].isEmpty());
    QCOMPARE(f.state.rec.CurLap, qint16(0));
    QCOMPARE(f.state.rec.CurSeg, qint16(1));
    QCOMPARE(f.state.rec.RaceState, qint16(RaceSetup));
}

void TestRaceWindow::clocksShowZeroUntilStartPress()
{
    RaceFixture f(1);
    f.arm();
    f.tickTo(4.25);
    QVERIFY(f.state.rec.TickCount >= 4250);
    for (int i = 5; i <= 7; ++i)
        QCOMPARE(f.w->ui.Label1[i]->text(), QStringLiteral(".000"));
    f.pressAt(5);
    f.tickTo(7.5);
    QCOMPARE(f.w->ui.Label1[7]->text(), QStringLiteral("2.500")); // from the start press
}

void TestRaceWindow::ravelinModeRefusesKeys()
{
    RaceFixture f(1);
    f.state.rec.RavelinMode = 1;
    f.w->SetScreenMode();
    for (Qt::Key k : {Qt::Key_F12, Qt::Key_F2, Qt::Key_A}) {
        f.prompts.asked.clear();
        f.key(k);
        QCOMPARE(f.prompts.messageTexts(),
                 QStringList{QStringLiteral("Timing not allowed when called by Ravelin.")});
        QCOMPARE(f.prompts.asked[0].message.buttons, Buttons::Ok);
        QCOMPARE(f.prompts.asked[0].message.icon, Icon::None);
    }
    QCOMPARE(f.state.rec.RaceState, qint16(RaceSetup));
    QCOMPARE(f.w->ui.Label6->text(),
             QStringLiteral("Status: Program called from Ravelin.  Only Editting, Opening, Saving, and "
                            "Returning to Ravelin options allowed."));
    QVERIFY(f.w->ui.mnuReturnToRavelin->isVisible());
    f.prompts.asked.clear();
    f.w->ui.Command3[2]->click();
    QCOMPARE(f.prompts.messageTexts(),
             QStringList{QStringLiteral("Timing not allowed when called by Ravelin.")});
    QCOMPARE(f.state.rec.RaceState, qint16(RaceSetup));
}

void TestRaceWindow::lateTimerEventsLoseNoTime()
{
    // A timer that falls behind reports the intervals it skipped; the race
    // clock counts them, so a press reads the true time.
    RaceFixture f(1, 4);
    f.arm();
    f.timer.advanceLateMs(1234.0);
    QCOMPARE(f.state.rec.TickCount, 308); // whole 4 ms intervals in 1.234 s
    f.timer.advanceMs(100.0);
    QCOMPARE(f.state.rec.TickCount, 333);
    f.F(2);
    QCOMPARE(f.state.rec.reading(0, 1), 1.334); // 333 whole intervals and half of the next
}

void TestRaceWindow::pressReadsTickCountBroughtUpToDate()
{
    RaceFixture f(1);
    f.arm();
    f.tickTo(2.0);
    const qint32 atLastEvent = f.state.rec.TickCount;
    f.timer.advanceQuietMs(345.7); // no event since: the press catches up
    f.F(2);
    QCOMPARE(atLastEvent, 2000);
    QCOMPARE(f.state.rec.TickCount, 2345);
    QCOMPARE(f.state.rec.reading(0, 1), 2.3457); // the running interval's part counts too
    // A later event does not count those intervals twice.
    f.timer.advanceLateMs(0.3);
    QCOMPARE(f.state.rec.TickCount, 2346);
}

void TestRaceWindow::statusLineFollowsRaceState_data()
{
    QTest::addColumn<int>("presses"); // -1 setup, 0 armed, 1 running
    QTest::addColumn<QString>("status");
    QTest::newRow("setup") << -1
        << "Status: Starting a New Race.  Set the starting Position and other settings above.  Then "
           "press <F12> to allow recording times by pressing the <F2> key.  Change # Segments by "
           "clicking on Options.";
    QTest::newRow("armed") << 0
        << "Status: Before start of Race.  Press <F2> key to start timing the 1st segment.";
    QTest::newRow("running") << 1
        << "Status: Recording times during Race.  Press <F2> key to record each segment.  If you made "
           "a mistake pressing F2, these can be fixed after the race.";
}

void TestRaceWindow::statusLineFollowsRaceState()
{
    QFETCH(int, presses);
    QFETCH(QString, status);
    RaceFixture f(2);
    if (presses >= 0)
        f.arm();
    if (presses >= 1)
        f.pressAt(2);
    QCOMPARE(f.w->ui.Label6->text(), status);
    QCOMPARE(f.w->windowHeightTwips(), 8250);
    QCOMPARE(f.w->ui.Grid1->height(), tw(4215));
    QCOMPARE(f.w->ui.Command3[3]->text(), QStringLiteral("Finish F11"));
    QVERIFY(!f.w->ui.Command3[0]->isEnabled());
    QVERIFY(f.w->ui.Picture1->isHidden());
    QVERIFY(f.w->ui.SpecData[2]->isVisibleTo(f.w.get()));
    QVERIFY(!f.w->ui.SpecData[3]->isVisibleTo(f.w.get()));
}

QTEST_MAIN(TestRaceWindow)
#include "tst_racewindow.moc"
