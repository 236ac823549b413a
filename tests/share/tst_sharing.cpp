// Sharing the race: the snapshot made from the race (last and best lap, best
// and improved marks, the recent laps, the conditions and the state), the
// publish that waits for the event loop, the remembered port and token, and
// the "--share" argument.

#include "app/CommandLine.h"
#include "race/Race.h"
#include "share/LiveSharing.h"
#include "share/LiveTimingServer.h"
#include "share/LiveViewOfRace.h"

#include <QtTest>

using namespace sw;
using L = QList<double>;

namespace {

// A race of n segments, armed at 0 and pressed 5 s after the readings (the
// first is the start press); conditions[i], when given, are set before press i.
void timeRace(Race &race, int n, const L &readings, const QList<Conditions> &conditions = {})
{
    race.setSegmentsPerLap(n);
    race.arm();
    for (int i = 0; i < readings.size(); ++i) {
        if (i < conditions.size())
            race.setConditions(conditions[i]);
        QCOMPARE(race.press(readings[i] + 5), PressResult::Accepted);
    }
}

QString latest(LiveSharing &sharing, const char *key)
{
    return QJsonDocument::fromJson(sharing.server().latestJson()).object()[QLatin1String(key)].toString();
}

// Per recent lap: segments then lap, B best, I improved, . neither; '|' between laps.
QString marks(const LiveView &view)
{
    QStringList laps;
    for (const LiveLap &lap : view.recentLaps) {
        QString m;
        for (int s = 0; s < view.segmentsPerLap; ++s)
            m += lap.bestSegments[s] ? 'B' : lap.improvedSegments[s] ? 'I' : '.';
        laps << m + (lap.bestLapTime ? 'B' : lap.improvedLapTime ? 'I' : '.');
    }
    return laps.join('|');
}

} // namespace

class TestSharing : public QObject
{
    Q_OBJECT
private slots:
    void snapshotOfRace_data()
    {
        QTest::addColumn<int>("segments");
        QTest::addColumn<L>("readings");
        QTest::addColumn<bool>("finish");
        QTest::addColumn<QString>("laps"); // last lap, best lap (its number), current lap; "-" or 0 for none
        QTest::addColumn<QString>("marks");
        QTest::newRow("armed, no press") << 1 << L{} << false << "- -(0) 1" << "";
        QTest::newRow("started") << 1 << L{5} << false << "- -(0) 1" << "";
        // Laps of 60, 58, 59: lap 2 is best and faster than lap 1.
        QTest::newRow("three laps") << 1 << L{5, 65, 123, 182} << false << "59.000 58.000(2) 4" << "..|BB|..";
        // Lap 2 under way (one segment timed) has no marks yet.
        QTest::newRow("lap under way") << 2 << L{0, 30, 61, 90} << false << "61.000 61.000(1) 2" << "BBB|I..";
        // Its first segment ties the best and is not marked until its lap is complete.
        QTest::newRow("lap under way ties the best") << 2 << L{0, 30, 61, 91} << false << "61.000 61.000(1) 2" << "BBB|...";
        QTest::newRow("finished") << 2 << L{0, 30, 61, 90, 119} << true << "58.000 58.000(2) 0" << "...|BBB";
        // Laps of 69, 68, ... 56 s: only the last ten go out, each faster than the one before.
        QTest::newRow("fourteen laps") << 1 << L{0, 69, 137, 204, 270, 335, 399, 462, 524, 585, 645, 704, 762, 819, 875}
                                       << false << "56.000 56.000(14) 15" << "II|II|II|II|II|II|II|II|II|BB";
    }

    void snapshotOfRace()
    {
        QFETCH(int, segments);
        QFETCH(L, readings);
        QFETCH(bool, finish);
        Race race;
        timeRace(race, segments, readings);
        if (finish)
            race.finish();
        const LiveView v = liveViewOfRace({race, LapFilter::AllLaps, 12.5, QStringLiteral("Spa")});
        QCOMPARE(v.state, finish ? LiveView::State::Finished : readings.isEmpty() ? LiveView::State::Armed
                                                                               : LiveView::State::Running);
        const auto orDash = [](const QString &s) { return s.isEmpty() ? QStringLiteral("-") : s; };
        QTEST(QStringLiteral("%1 %2(%3) %4").arg(orDash(v.lastLap), orDash(v.bestLap)).arg(v.bestLapNumber.value_or(0))
                      .arg(v.currentLap.value_or(0)), "laps");
        QTEST(marks(v), "marks");
        QCOMPARE(v.segmentsPerLap, segments);
        for (const LiveLap &lap : v.recentLaps)
            QCOMPARE(lap.segmentTimes.size(), segments);
        QCOMPARE(v.clockRunning, !finish);
        QCOMPARE(v.clockSeconds.value_or(-1), 12.5);
        QCOMPARE(v.flag + v.title, QStringLiteral("GreenSpa"));
        QVERIFY(!v.deltaToBest && v.predictedLap.isNull());
    }

    void bestMarksFollowTheLapFilter()
    {
        // Lap 2 is the fastest but under yellow: with "Green only" lap 3 is best.
        Race race;
        const Conditions green{0, 0, 1}, yellow{1, 0, 1};
        timeRace(race, 1, {0, 60, 115, 173, 232}, {green, green, yellow, green, green});
        QCOMPARE(liveViewOfRace({race, LapFilter::AllLaps, {}, {}}).bestLapNumber.value_or(0), 2);
        const LiveView greenOnly = liveViewOfRace({race, LapFilter::GreenOnly, {}, {}});
        QCOMPARE(greenOnly.bestLapNumber.value_or(0), 3);
        QCOMPARE(greenOnly.bestLap, QStringLiteral("58.000"));
        QCOMPARE(marks(greenOnly), QStringLiteral("..|II|BB|..")); // lap 2 improves on lap 1 all the same
        QCOMPARE(greenOnly.recentLaps[1].flag, QStringLiteral("Yellow"));
    }

    void publishWaitsForTheEventLoop()
    {
        Race race;
        LiveSharing sharing(race);
        QVERIFY(sharing.start(QHostAddress(QHostAddress::LocalHost), 0));
        QCOMPARE(latest(sharing, "state"), QStringLiteral("setup"));
        const quint64 published = sharing.publishedCount();
        race.arm();
        race.press(5);
        race.press(65);
        // Nothing is made on the press path; then one snapshot with all the changes.
        QCOMPARE(sharing.publishedCount(), published);
        QTRY_COMPARE(sharing.publishedCount(), published + 1);
        QCOMPARE(latest(sharing, "lastLap"), QStringLiteral("60.000"));
        race.setConditions({1, 3, 0});
        QTRY_COMPARE(latest(sharing, "flag"), QStringLiteral("Yellow"));
        race.finish();
        QTRY_COMPARE(latest(sharing, "state"), QStringLiteral("finished"));
        // Stopped: changes are not published.
        sharing.stop();
        const quint64 stopped = sharing.publishedCount();
        race.restart();
        QCoreApplication::processEvents();
        QCOMPARE(sharing.publishedCount(), stopped);
    }

    void tokenAndPortAreRemembered()
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

    void shareArgument_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("share"); // "-" not given, "invalid", else address and port
        QTest::newRow("none") << QStringList{"/E"} << "-";
        QTest::newRow("port") << QStringList{"--share", "8473"} << " 8473";
        QTest::newRow("address and port") << QStringList{"--share", "127.0.0.1:0"} << "127.0.0.1 0";
        QTest::newRow("with =") << QStringList{"x", "--share=10.0.0.2:9000"} << "10.0.0.2 9000";
        QTest::newRow("ipv6") << QStringList{"--share", "[::1]:8080"} << "::1 8080";
        QTest::newRow("ipv6 bare") << QStringList{"--share", "::1:8080"} << "invalid";
        QTest::newRow("missing port") << QStringList{"--share"} << "invalid";
        QTest::newRow("empty address") << QStringList{"--share", ":80"} << "invalid";
        QTest::newRow("port too big") << QStringList{"--share", "65536"} << "invalid";
        QTest::newRow("signed port") << QStringList{"--share", "+80"} << "invalid";
        QTest::newRow("word") << QStringList{"--share", "http"} << "invalid";
    }

    void shareArgument()
    {
        QFETCH(QStringList, arguments);
        const ShareArgument s = shareArgumentFromArguments(arguments);
        QTEST(!s.given ? QStringLiteral("-") : !s.valid ? QStringLiteral("invalid")
                                                        : s.address + ' ' + QString::number(s.port), "share");
        if (!s.valid) // nothing half-read
            QCOMPARE(s.address + QString::number(s.port), QStringLiteral("0"));
        // The log-book switches are not disturbed by it.
        QCOMPARE(ravelinModeFromArguments(arguments), arguments.contains(QStringLiteral("/E")) ? 1 : 0);
    }
};

QTEST_GUILESS_MAIN(TestSharing)
#include "tst_sharing.moc"
