// Sharing the race: the snapshot made from the race (last and best lap, best
// and improved marks, the recent laps, the conditions and the state), the
// publish that waits for the event loop, the remembered port and token, and
// the "--share" argument.

#include "app/CommandLine.h"
#include "race/Race.h"
#include "share/LiveSharing.h"
#include "share/LiveTimingServer.h"
#include "share/LiveViewOfRace.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

using namespace sw;
using L = QList<double>;

namespace {

// A race of n segments, armed at 0 and pressed 5 s after the readings (the
// first is the start press; a press within a second of arming would be a
// bounce); conditions[i], when given, are set before press i.
void timeRace(Race &race, int n, const L &readings, const QList<Conditions> &conditions = {})
{
    race.setSegmentsPerLap(n);
    race.arm();
    for (int i = 0; i < readings.size(); ++i) {
        if (i < conditions.size() && conditions[i].flag >= 0)
            race.setConditions(conditions[i]);
        QCOMPARE(race.press(readings[i] + 5), PressResult::Accepted);
    }
}

QJsonObject latest(LiveSharing &sharing)
{
    return QJsonDocument::fromJson(sharing.server().latestJson()).object();
}

} // namespace

class TestSharing : public QObject
{
    Q_OBJECT
private slots:
    void snapshotOfRace_data();
    void snapshotOfRace();
    void bestMarksFollowTheLapFilter();
    void recentLapsAreTheLastTen();
    void publishWaitsForTheEventLoop();
    void tokenAndPortAreRemembered();
    void shareArgument_data();
    void shareArgument();
};

void TestSharing::snapshotOfRace_data()
{
    QTest::addColumn<int>("segments");
    QTest::addColumn<L>("readings");
    QTest::addColumn<bool>("finish");
    QTest::addColumn<QString>("lastLap");
    QTest::addColumn<QString>("bestLap");
    QTest::addColumn<int>("bestLapNumber"); // 0: none
    QTest::addColumn<int>("currentLap");    // 0: none
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("bests");     // per row: segments then lap, B best, I improved, . neither

    QTest::newRow("armed, no press") << 1 << L{} << false << QString() << QString() << 0 << 1 << 0 << QString();
    QTest::newRow("started") << 1 << L{5} << false << QString() << QString() << 0 << 1 << 0 << QString();
    // Laps of 60, 58, 59: lap 2 is best and faster than lap 1.
    QTest::newRow("three laps") << 1 << L{5, 65, 123, 182} << false << "59.000" << "58.000" << 2 << 4 << 3
                                << "..|BB|.." ;
    // Two segments; lap 2 under way (one segment of it timed). Lap 1's
    // segments are the best there are; lap 2 is not complete and has no marks.
    QTest::newRow("lap under way") << 2 << L{0, 30, 61, 90} << false << "61.000" << "61.000" << 1 << 2 << 2
                                   << "BBB|I..";
    // Marks come from completed laps only: the lap under way's first segment
    // ties the best and is not marked until its lap is complete.
    QTest::newRow("lap under way ties the best") << 2 << L{0, 30, 61, 91} << false << "61.000" << "61.000" << 1 << 2
                                                 << 2 << "BBB|...";
    QTest::newRow("finished") << 2 << L{0, 30, 61, 90, 119} << true << "58.000" << "58.000" << 2 << 0 << 2
                              << "...|BBB";
}

void TestSharing::snapshotOfRace()
{
    QFETCH(int, segments);
    QFETCH(L, readings);
    QFETCH(bool, finish);
    QFETCH(QString, lastLap);
    QFETCH(QString, bestLap);
    QFETCH(int, bestLapNumber);
    QFETCH(int, currentLap);
    QFETCH(int, rows);
    QFETCH(QString, bests);

    Race race;
    timeRace(race, segments, readings);
    if (finish)
        race.finish();
    const LiveView view = liveViewOfRace({race, LapFilter::AllLaps, 12.5, QStringLiteral("Spa")});
    QCOMPARE(view.state, finish ? LiveView::State::Finished : readings.isEmpty() ? LiveView::State::Armed
                                                                                  : LiveView::State::Running);
    QCOMPARE(view.segmentsPerLap, segments);
    QCOMPARE(view.lastLap, lastLap);
    QCOMPARE(view.bestLap, bestLap);
    QCOMPARE(view.bestLapNumber.value_or(0), bestLapNumber);
    QCOMPARE(view.currentLap.value_or(0), currentLap);
    QCOMPARE(view.clockRunning, !finish);
    QCOMPARE(view.clockSeconds.value_or(-1), 12.5);
    QCOMPARE(view.flag, QStringLiteral("Green"));
    QCOMPARE(view.title, QStringLiteral("Spa"));
    QVERIFY(!view.deltaToBest);
    QVERIFY(view.predictedLap.isNull());
    QCOMPARE(view.recentLaps.size(), rows);
    QStringList marks;
    for (const LiveLap &lap : view.recentLaps) {
        QCOMPARE(lap.segmentTimes.size(), segments);
        QString m;
        for (int s = 0; s < segments; ++s)
            m += lap.bestSegments[s] ? 'B' : lap.improvedSegments[s] ? 'I' : '.';
        m += lap.bestLapTime ? 'B' : lap.improvedLapTime ? 'I' : '.';
        marks << m;
    }
    QCOMPARE(marks.join('|'), bests.remove(' '));
}

void TestSharing::bestMarksFollowTheLapFilter()
{
    // Lap 2 is the fastest but under yellow: with "Green only" lap 3 is best.
    Race race;
    const Conditions green{0, 0, 1}, yellow{1, 0, 1};
    timeRace(race, 1, {0, 60, 115, 173, 232}, {green, green, yellow, green, green});
    const LiveView all = liveViewOfRace({race, LapFilter::AllLaps, {}, {}});
    QCOMPARE(all.bestLapNumber.value_or(0), 2);
    const LiveView greenOnly = liveViewOfRace({race, LapFilter::GreenOnly, {}, {}});
    QCOMPARE(greenOnly.bestLapNumber.value_or(0), 3);
    QCOMPARE(greenOnly.bestLap, QStringLiteral("58.000"));
    QVERIFY(!greenOnly.recentLaps[1].bestLapTime);
    QVERIFY(greenOnly.recentLaps[2].bestLapTime);
    QCOMPARE(greenOnly.recentLaps[1].flag, QStringLiteral("Yellow"));
}

void TestSharing::recentLapsAreTheLastTen()
{
    Race race;
    L readings{0};
    for (int lap = 1; lap <= 14; ++lap)
        readings << lap * 60.0;
    timeRace(race, 1, readings);
    const LiveView view = liveViewOfRace({race, LapFilter::AllLaps, {}, {}});
    QCOMPARE(view.recentLaps.size(), LiveView::maxRecentLaps);
    QCOMPARE(view.recentLaps.first().lap, 5);
    QCOMPARE(view.recentLaps.last().lap, 14);
}

void TestSharing::publishWaitsForTheEventLoop()
{
    Race race;
    LiveSharing sharing(race);
    QVERIFY(sharing.start(QHostAddress(QHostAddress::LocalHost), 0));
    QCOMPARE(latest(sharing)[QStringLiteral("state")].toString(), QStringLiteral("setup"));
    const quint64 published = sharing.publishedCount();

    race.arm();
    race.press(5);
    race.press(65);
    // Nothing is made on the press path.
    QCOMPARE(sharing.publishedCount(), published);
    QCOMPARE(latest(sharing)[QStringLiteral("state")].toString(), QStringLiteral("setup"));
    // One snapshot for the changes queued together, with all of them.
    QTRY_COMPARE(sharing.publishedCount(), published + 1);
    QCOMPARE(latest(sharing)[QStringLiteral("lastLap")].toString(), QStringLiteral("60.000"));

    race.setConditions({1, 3, 0});
    QTRY_COMPARE(latest(sharing)[QStringLiteral("flag")].toString(), QStringLiteral("Yellow"));
    race.finish();
    QTRY_COMPARE(latest(sharing)[QStringLiteral("state")].toString(), QStringLiteral("finished"));

    // Stopped: changes are not published.
    sharing.stop();
    const quint64 stopped = sharing.publishedCount();
    race.restart();
    QCoreApplication::processEvents();
    QCOMPARE(sharing.publishedCount(), stopped);
}

void TestSharing::tokenAndPortAreRemembered()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("settings.ini"));
    Race race;
    QByteArray token;
    quint16 port = 0;
    {
        LiveSharing sharing(race);
        sharing.useSettings(std::make_unique<QSettings>(file, QSettings::IniFormat));
        QCOMPARE(sharing.rememberedPort(), LiveSharing::DefaultPort);
        QVERIFY(sharing.start(QHostAddress(QHostAddress::LocalHost), 0));
        token = sharing.server().token();
        port = sharing.server().port();
        QCOMPARE(token.size(), 32);
    }
    LiveSharing again(race);
    again.useSettings(std::make_unique<QSettings>(file, QSettings::IniFormat));
    QCOMPARE(again.rememberedPort(), quint16(0)); // the port asked for
    QCOMPARE(again.rememberedAddress(), QHostAddress(QHostAddress::LocalHost));
    QVERIFY(again.start(QHostAddress(QHostAddress::LocalHost), port));
    QCOMPARE(again.server().token(), token);
    QVERIFY(again.url().toString().endsWith(QStringLiteral("/?t=") + QString::fromLatin1(token)));

    // Without settings every start has a token of its own.
    LiveSharing forgetful(race);
    QVERIFY(forgetful.start(QHostAddress(QHostAddress::LocalHost), 0));
    QVERIFY(forgetful.server().token() != token);
}

void TestSharing::shareArgument_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("given");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QString>("address");
    QTest::addColumn<int>("port");

    QTest::newRow("none") << QStringList{"/E"} << false << false << QString() << 0;
    QTest::newRow("port") << QStringList{"--share", "8473"} << true << true << QString() << 8473;
    QTest::newRow("address and port") << QStringList{"--share", "127.0.0.1:0"} << true << true << "127.0.0.1" << 0;
    QTest::newRow("with =") << QStringList{"x", "--share=10.0.0.2:9000"} << true << true << "10.0.0.2" << 9000;
    QTest::newRow("ipv6") << QStringList{"--share", "[::1]:8080"} << true << true << "::1" << 8080;
    QTest::newRow("ipv6 bare") << QStringList{"--share", "::1:8080"} << true << false << QString() << 0;
    QTest::newRow("missing port") << QStringList{"--share"} << true << false << QString() << 0;
    QTest::newRow("empty address") << QStringList{"--share", ":80"} << true << false << QString() << 0;
    QTest::newRow("port too big") << QStringList{"--share", "65536"} << true << false << QString() << 0;
    QTest::newRow("signed port") << QStringList{"--share", "+80"} << true << false << QString() << 0;
    QTest::newRow("word") << QStringList{"--share", "http"} << true << false << QString() << 0;
}

void TestSharing::shareArgument()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, given);
    QFETCH(bool, valid);
    QFETCH(QString, address);
    QFETCH(int, port);
    const ShareArgument share = shareArgumentFromArguments(arguments);
    QCOMPARE(share.given, given);
    QCOMPARE(share.valid, valid);
    QCOMPARE(share.address, address);
    QCOMPARE(int(share.port), port);
    // The log-book switches are not disturbed by it.
    QCOMPARE(ravelinModeFromArguments(arguments), arguments.contains(QStringLiteral("/E")) ? 1 : 0);
}

QTEST_GUILESS_MAIN(TestSharing)
#include "tst_sharing.moc"
