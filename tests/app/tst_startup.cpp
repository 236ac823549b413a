// From launch to the main window: the command line, the program folder, the
// speed check window and its outcome, and the start by Ravelin.

#include "app/AppState.h"
#include "app/FrmHead.h"
#include "app/HtSample.h"
#include "app/SplashForm.h"
#include "app/Startup.h"
#include "app/CommandLine.h"
#include "app/FileCheck.h"
#include "timing/HiTime.h"
#include "ui/Prompts.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QtTest>

using namespace sw;

namespace {

struct StartupRig
{
    AppState state;
    ScriptedPrompts prompts;
    ManualClock clock;
    ManualHiTime startupTimer{clock};
    ManualHiTime mainTimer{clock};
    QTemporaryDir folder;
    std::unique_ptr<Startup> startup;

    void start(const QStringList &args)
    {
        startup = std::make_unique<Startup>(args, folder.path(),
                                            StartupServices{state, prompts, startupTimer, mainTimer});
        startup->begin();
    }
};

const QString kRavelinLast = QStringLiteral(
    "When you click on 'Return to Ravelin' at the top of the main screen, you will be given the Option "
    "to return to the Ravelin with the lap times currently on the main screen.");

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT
private slots:
    void ravelinMode_data();
    void ravelinMode();
    void normalStartRunsSpeedCheckThenMainWindow_data();
    void normalStartRunsSpeedCheckThenMainWindow();
    void tooSlowComputerIsTold();
    void ravelinStartMessages_data();
    void ravelinStartMessages();
    void testFileOpen_data();
    void testFileOpen();
};

void TestStartup::ravelinMode_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("mode");
    QTest::newRow("none") << QStringList{} << 0;
    QTest::newRow("/E") << QStringList{"/E"} << 1;
    QTest::newRow("/E /M") << QStringList{"/E", "/M"} << 2;
    QTest::newRow("/M/E in one") << QStringList{"/M/E"} << 2;
    QTest::newRow("/M alone") << QStringList{"/M"} << 0;
    QTest::newRow("lower case /e") << QStringList{"/e"} << 0;
    QTest::newRow("inside another argument") << QStringList{"x/Ey"} << 1;
}

void TestStartup::ravelinMode()
{
    QFETCH(QStringList, args);
    QFETCH(int, mode);
    QCOMPARE(ravelinModeFromArguments(args), mode);
}

void TestStartup::normalStartRunsSpeedCheckThenMainWindow_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::newRow("no switch") << QStringList{};
    QTest::newRow("/M alone") << QStringList{"/M"};
    QTest::newRow("/e is no switch") << QStringList{"/e"};
}

void TestStartup::normalStartRunsSpeedCheckThenMainWindow()
{
    QFETCH(QStringList, args);
    StartupRig rig;
    QVERIFY(!QDir(rig.folder.path()).exists(QStringLiteral("LapTimeFiles")));
    rig.start(args);
    QCOMPARE(rig.state.rec.RavelinMode, qint16(0));
    QVERIFY(rig.startup->startupWindow() && rig.startup->startupWindow()->isVisible());
    QCOMPARE(rig.startup->startupWindow()->windowTitle(), QStringLiteral("Checking Computer Speed"));
    QVERIFY(rig.startup->splashWindow() && rig.startup->splashWindow()->isVisible());
    QVERIFY(!rig.startup->mainWindow());
    QCOMPARE(rig.startup->startupWindow()->currentlyTrying->text(), QStringLiteral(".001 seconds"));
    QCOMPARE(rig.startupTimer.interval(), 1);

    rig.startupTimer.advanceMs(5000); // settling, then part of the measurement
    QVERIFY(!rig.startup->mainWindow());
    rig.startupTimer.advanceMs(2500);
    FrmHead *main = rig.startup->mainWindow();
    QVERIFY(main);
    QVERIFY(main->isVisible());
    QVERIFY(!rig.startup->startupWindow()->isVisible());
    QVERIFY(!rig.startup->splashWindow()->isVisible());
    QCOMPARE(rig.startupTimer.interval(), 0);
    QCOMPARE(rig.state.rec.TimerInterval, 1);
    QCOMPARE(rig.state.rec.TicksPerSecond, 1000.0);
    QCOMPARE(rig.state.rec.MinKeyGap, 1.0);
    QCOMPARE(rig.state.rec.RaceState, qint16(RaceSetup));
    QCOMPARE(rig.state.rec.NumSegs, qint16(1));
    QVERIFY(QDir(rig.folder.path()).exists(QStringLiteral("LapTimeFiles")));
    QCOMPARE(rig.state.programFolder, rig.folder.path());
    QCOMPARE(rig.prompts.asked.size(), size_t(0));
}

void TestStartup::tooSlowComputerIsTold()
{
    StartupRig rig;
    rig.start({});
    HtSample *w = rig.startup->startupWindow();
    // A timer that delivers a tenth of its events and reports no overruns.
    for (int i = 0; i < 200 && rig.prompts.asked.empty(); ++i) {
        for (int k = 0; k < 100; ++k) {
            rig.clock.advanceMs(10.0 * qMax(1, rig.startupTimer.interval()));
            emit rig.startupTimer.Timer(0);
            if (!rig.prompts.asked.empty())
                break;
        }
    }
    QCOMPARE(rig.prompts.messageTexts(), QStringList{QStringLiteral("This computer is too slow for this program.")});
    QCOMPARE(rig.prompts.asked[0].message.buttons, Buttons::Ok);
    QCOMPARE(rig.prompts.asked[0].message.icon, Icon::None);
    QVERIFY(!rig.startup->mainWindow());
    QVERIFY(!w->isVisible());
}

void TestStartup::ravelinStartMessages_data()
{
    QTest::addColumn<bool>("inputFilePresent");
    QTest::addColumn<QStringList>("args");
    QTest::newRow("/E without RavelinData.txt") << false << QStringList{"/E"};
    QTest::newRow("/E /M with RavelinData.txt") << true << QStringList{"/E", "/M"};
}

void TestStartup::ravelinStartMessages()
{
    QFETCH(bool, inputFilePresent);
    QFETCH(QStringList, args);
    StartupRig rig;
    if (inputFilePresent) {
        QFile f(QDir(rig.folder.path()).filePath(QStringLiteral("RavelinData.txt")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("QVM-SW*1.10\r\n");
    }
    rig.start(args);
    const QStringList first = {
        inputFilePresent
            ? QStringLiteral("You are now it the Splitwatch, and the lap times from the Ravelin record will "
                             "be loaded automatically.\r\rYou can view or modify this record, or open a "
                             "different Splitwatch file to take it's lap times back to the Ravelin program.")
            : QStringLiteral("You are now it the Splitwatch.  You can now open a Splitwatch file and return "
                             "to the Ravelin program with its lap times."),
        kRavelinLast};
    QCOMPARE(rig.prompts.messageTexts().mid(0, 2), first);
    for (int i = 0; i < 2; ++i) {
        QCOMPARE(rig.prompts.asked[i].message.title, QStringLiteral("Splitwatch"));
        QCOMPARE(rig.prompts.asked[i].message.icon, Icon::None);
        QCOMPARE(rig.prompts.asked[i].message.buttons, Buttons::Ok);
    }
    QCOMPARE(rig.state.rec.RavelinMode, qint16(args.size() == 2 ? 2 : 1));
    QVERIFY(!rig.startup->startupWindow());
    QVERIFY(!rig.startup->splashWindow());
    FrmHead *main = rig.startup->mainWindow();
    QVERIFY(main && main->isVisible());
    QCOMPARE(rig.state.rec.RaceState, qint16(RaceSetup));
    QCOMPARE(rig.state.rec.TimerInterval, 0);
    QCOMPARE(rig.state.LapFileName, QDir(rig.folder.path()).filePath(QStringLiteral("RavelinData.txt")));
    QVERIFY(main->ui.mnuReturnToRavelin->isVisible());
    QVERIFY(main->ui.Label6->text().startsWith(QStringLiteral("Status: Program called from Ravelin.")));
    if (!inputFilePresent)
        QCOMPARE(rig.state.ExchangeFlag, 0);
}

void TestStartup::testFileOpen_data()
{
    QTest::addColumn<QString>("name"); // below the temporary folder
    QTest::addColumn<int>("fileCheck");
    QTest::newRow("existing file") << "RavelinData.txt" << 0;
    QTest::newRow("missing file: quiet") << "missing.txt" << 2;
    QTest::newRow("forbidden character") << "a*b.txt" << 1;
    QTest::newRow("missing folder") << "no-such-folder/x.txt" << 1;
}

void TestStartup::testFileOpen()
{
    QFETCH(QString, name);
    QFETCH(int, fileCheck);
    QTemporaryDir dir;
    QFile f(dir.filePath(QStringLiteral("RavelinData.txt")));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    ScriptedPrompts prompts;
    QCOMPARE(TestFileOpen(dir.filePath(name), prompts), fileCheck);
    QCOMPARE(prompts.asked.size(), size_t(fileCheck == 1 ? 1 : 0));
    if (fileCheck == 1) {
        const MessageSpec &m = prompts.asked[0].message;
        QCOMPARE(m.title, QStringLiteral("Invalid File Name"));
        QCOMPARE(m.text, QStringLiteral(
            "You have entered an invalid file name.\r\rFile names must be from 1 to 11 characters long.  If "
            "you use a period (.), there can be no more than 8 characters before the period and no more "
            "than 3 characters after the period.\r\rNames must not include spaces or these characters:"
            "\r\r/ \\ [ ] : | < > + = ; , * ?"));
        QCOMPARE(m.buttons, Buttons::Ok);
        QCOMPARE(m.icon, Icon::Exclamation);
    }
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
