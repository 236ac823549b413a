// From launch to the main window: the command line, the speed check, the start by Ravelin.

#include "support/RaceFixture.h"
#include "support/StartupRig.h"

#include "app/FileCheck.h"
#include "app/SpeedCheckWindow.h"
#include "app/SplashWindow.h"
#include "app/Startup.h"

#include <QDir>
#include <QtTest>

using namespace sw;

class TestStartup : public QObject
{
    Q_OBJECT
private slots:
    // The speed check runs first; the main window follows, or a computer too slow is told so.
    void normalStartRunsSpeedCheckThenMainWindow_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("tooSlow"); // a timer that delivers a tenth of its events, no overruns
        QTest::newRow("no switch") << QStringList{} << false;
        QTest::newRow("/M alone") << QStringList{"/M"} << false;
        QTest::newRow("/e is no switch") << QStringList{"/e"} << false;
        QTest::newRow("too slow") << QStringList{} << true;
    }

    void normalStartRunsSpeedCheckThenMainWindow()
    {
        QFETCH(QStringList, args);
        QFETCH(bool, tooSlow);
        StartupRig rig;
        rig.start(args);
        QCOMPARE(rig.race.isHeldInSetup(), false);
        SpeedCheckWindow *check = rig.startup->startupWindow();
        QVERIFY(check && check->isVisible());
        QCOMPARE(check->windowTitle(), QStringLiteral("Checking Computer Speed"));
        QVERIFY(rig.startup->splashWindow() && rig.startup->splashWindow()->isVisible());
        QCOMPARE(rig.startupTimer.interval(), 1);
        if (tooSlow) {
            for (int i = 0; i < 20000 && rig.prompts.asked.empty(); ++i) {
                rig.clock.advanceMs(10.0 * qMax(1, rig.startupTimer.interval()));
                emit rig.startupTimer.Timer(0);
            }
            QCOMPARE(rig.prompts.asked.size(), size_t(1));
            QCOMPARE(shown(rig.prompts.asked[0].message),
                     shown({"Splitwatch", "This computer is too slow for this program."}));
            QVERIFY(!rig.startup->mainWindow() && !check->isVisible());
            return;
        }
        rig.startupTimer.advanceMs(5000); // settling, then part of the measurement
        QVERIFY(!rig.startup->mainWindow());
        rig.startupTimer.advanceMs(2500);
        QVERIFY(rig.startup->mainWindow() && rig.startup->mainWindow()->isVisible());
        QVERIFY(!check->isVisible() && !rig.startup->splashWindow()->isVisible());
        QCOMPARE(rig.startupTimer.interval(), 0);
        QCOMPARE(rig.calibration.intervalMs, 1);
        QCOMPARE(rig.calibration.ticksPerSecond, 1000.0);
        QVERIFY(QDir(rig.folder.path()).exists(QStringLiteral("LapTimeFiles"))); // in the program folder
        QCOMPARE(rig.prompts.asked.size(), size_t(0));
    }

    void ravelinStartMessages_data()
    {
        QTest::addColumn<bool>("inputFilePresent");
        QTest::addColumn<QStringList>("args");
        QTest::newRow("/E without RavelinData.txt") << false << QStringList{"/E"};
        QTest::newRow("/E /M with RavelinData.txt") << true << QStringList{"/E", "/M"};
        QTest::newRow("/M/E in one argument") << false << QStringList{"/M/E"};
        QTest::newRow("/E inside another argument") << false << QStringList{"x/Ey"};
    }

    void ravelinStartMessages()
    {
        QFETCH(bool, inputFilePresent);
        QFETCH(QStringList, args);
        StartupRig rig;
        if (inputFilePresent) {
            QFile f(QDir(rig.folder.path()).filePath(QStringLiteral("RavelinData.txt")));
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write("QVM-SW*1.10\r\n"));
        }
        rig.start(args);
        const QStringList first = {
            inputFilePresent
                ? QStringLiteral("You are now it the Splitwatch, and the lap times from the Ravelin record will "
                                 "be loaded automatically.\n\nYou can view or modify this record, or open a "
                                 "different Splitwatch file to take it's lap times back to the Ravelin program.")
                : QStringLiteral("You are now it the Splitwatch.  You can now open a Splitwatch file and return "
                                 "to the Ravelin program with its lap times."),
            QStringLiteral("When you click on 'Return to Ravelin' at the top of the main screen, you will be "
                           "given the Option to return to the Ravelin with the lap times currently on the main "
                           "screen.")};
        QVERIFY(rig.prompts.asked.size() >= 2);
        for (int i = 0; i < 2; ++i)
            QCOMPARE(shown(rig.prompts.asked[i].message), shown({"Splitwatch", first[i]}));
        QVERIFY(rig.race.isHeldInSetup());
        QVERIFY(!rig.startup->startupWindow() && !rig.startup->splashWindow()); // no speed check
        MainWindow *main = rig.startup->mainWindow();
        QVERIFY(main && main->isVisible());
        QCOMPARE(rig.calibration.intervalMs, 0);
        QCOMPARE(rig.files.lapFileName, QDir(rig.folder.path()).filePath(QStringLiteral("RavelinData.txt")));
        QVERIFY(main->ui.statusLine->text().startsWith(QStringLiteral("Status: Program called from Ravelin.")));
        if (!inputFilePresent)
            QCOMPARE(rig.files.exchange, ExchangeState::None);
    }

    void testFileOpen_data()
    {
        QTest::addColumn<QString>("name"); // below the temporary folder
        QTest::addColumn<int>("fileCheck");
        QTest::newRow("existing file") << "RavelinData.txt" << 0;
        QTest::newRow("missing file: quiet") << "missing.txt" << 2;
        QTest::newRow("forbidden character") << "a*b.txt" << 1;
        QTest::newRow("missing folder") << "no-such-folder/x.txt" << 1;
    }

    void testFileOpen()
    {
        QFETCH(QString, name);
        QFETCH(int, fileCheck);
        QTemporaryDir dir;
        QVERIFY(QFile(dir.filePath(QStringLiteral("RavelinData.txt"))).open(QIODevice::WriteOnly));
        ScriptedPrompts prompts;
        QCOMPARE(int(checkFileOpens(dir.filePath(name), prompts)), fileCheck);
        QCOMPARE(prompts.asked.size(), size_t(fileCheck == 1 ? 1 : 0));
        if (fileCheck == 1)
            QCOMPARE(shown(prompts.asked[0].message),
                     shown({"Invalid File Name",
                            "You have entered an invalid file name.\n\nFile names must be from 1 to 11 characters "
                            "long.  If you use a period (.), there can be no more than 8 characters before the "
                            "period and no more than 3 characters after the period.\n\nNames must not include "
                            "spaces or these characters:\n\n/ \\ [ ] : | < > + = ; , * ?",
                            Buttons::Ok, Icon::Exclamation}));
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
