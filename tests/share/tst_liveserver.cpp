// The live timing server on loopback: who gets an answer and which, the
// viewer limit, timeouts, viewers that fall behind, and the snapshot JSON.

#include "LiveClient.h"
#include "share/LiveTimingServer.h"
#include "share/LiveView.h"
#include "share/QrCode.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTimer>
#include <QWebSocket>
#include <QtTest>

#include <memory>
#include <vector>

using namespace sw;
using namespace sw::test;

namespace {

LiveView fullView()
{
    LiveView v;
    v.state = LiveView::State::Running;
    v.clockSeconds = 754.3124;
    v.clockRunning = true;
    v.currentLap = 13;
    v.segmentsPerLap = 2;
    v.lastLap = QStringLiteral("83.120");
    v.bestLap = QStringLiteral("82.904");
    v.bestLapNumber = 9;
    v.deltaToBest = -0.2036;
    v.predictedLap = QStringLiteral("82.700");
    v.flag = QStringLiteral("Yellow");
    v.position = QStringLiteral("3");
    v.traffic = QStringLiteral("In Traffic");
    v.title = QStringLiteral("Spa");
    v.sequence = 41;
    for (int lap = 1; lap <= 12; ++lap) {
        LiveLap l;
        l.lap = lap;
        l.segmentTimes = {QStringLiteral("41.%1").arg(lap, 3, 10, QLatin1Char('0'))};
        if (lap != 12)
            l.segmentTimes << QStringLiteral("42.000"); // lap 12's second segment is not timed
        l.lapTime = lap == 12 ? QString() : QStringLiteral("83.%1").arg(lap, 3, 10, QLatin1Char('0'));
        l.bestSegments = {lap == 3};
        l.improvedSegments = {false, lap == 4};
        l.bestLapTime = lap == 9;
        l.improvedLapTime = lap == 5;
        l.flag = QStringLiteral("Green");
        l.position = QString::number(lap);
        v.recentLaps << l;
    }
    return v;
}

// The value at a dotted path ("laps.0.segments.1.text", "laps.#" for a
// length) as compact JSON text.
QByteArray valueAt(const QByteArray &json, const QByteArray &path)
{
    QJsonValue v = QJsonDocument::fromJson(json).object();
    for (const QByteArray &key : path.split('.')) {
        if (key == "#")
            return QByteArray::number(v.toArray().size());
        bool isIndex = false;
        const int index = key.toInt(&isIndex);
        v = isIndex ? v.toArray().at(index) : v.toObject().value(QString::fromUtf8(key));
    }
    if (v.isUndefined())
        return "undefined";
    return QJsonDocument(QJsonArray{v}).toJson(QJsonDocument::Compact).chopped(1).mid(1);
}

} // namespace

class TestLiveServer : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void answers_data();
    void answers();
    void thirtyThirdViewerIsTurnedAway();
    void publishReachesViewers();
    void viewerThatNeverReadsIsDropped();
    void slowAndIdleClientsAreDropped_data();
    void slowAndIdleClientsAreDropped();
    void snapshotJson_data();
    void snapshotJson();
    void qrCodeKeepsQuietZone();
    void accessToken_data();
    void accessToken();

private:
    QByteArray tokenQuery() const { return "?t=" + server->token(); }
    std::unique_ptr<QWebSocket> openViewer(const QByteArray &query);

    std::unique_ptr<LiveTimingServer> server;
};

void TestLiveServer::init()
{
    server = std::make_unique<LiveTimingServer>();
    QVERIFY(server->start(QHostAddress::LocalHost, 0));
    QVERIFY(server->port() != 0);
    QCOMPARE(server->token().size(), 32);
}

void TestLiveServer::cleanup()
{
    server.reset();
}

std::unique_ptr<QWebSocket> TestLiveServer::openViewer(const QByteArray &query)
{
    auto viewer = std::make_unique<QWebSocket>();
    viewer->open(QUrl(QStringLiteral("ws://127.0.0.1:%1/live").arg(server->port()) + QString::fromLatin1(query)));
    return viewer;
}

void TestLiveServer::answers_data()
{
    QTest::addColumn<QByteArray>("request"); // @T@ stands for "?t=<token>"
    QTest::addColumn<int>("status");

    QTest::newRow("page") << QByteArray("GET /@T@ HTTP/1.1\r\nHost: a\r\n\r\n") << 200;
    QTest::newRow("script") << QByteArray("GET /live.js@T@ HTTP/1.1\r\nHost: a\r\n\r\n") << 200;
    QTest::newRow("style sheet") << QByteArray("GET /live.css@T@ HTTP/1.1\r\nHost: a\r\n\r\n") << 200;
    QTest::newRow("no token") << QByteArray("GET / HTTP/1.1\r\nHost: a\r\n\r\n") << 403;
    QTest::newRow("empty token") << QByteArray("GET /?t= HTTP/1.1\r\nHost: a\r\n\r\n") << 403;
    QTest::newRow("wrong token") << QByteArray("GET /?t=0123456789abcdef0123456789abcdef HTTP/1.1\r\n\r\n") << 403;
    QTest::newRow("token and more") << QByteArray("GET /@T@0 HTTP/1.1\r\nHost: a\r\n\r\n") << 403;
    QTest::newRow("stream, no token") << upgradeRequest("/live") << 403;
    QTest::newRow("stream, wrong token") << upgradeRequest("/live?t=00") << 403;
    QTest::newRow("unknown path") << QByteArray("GET /index.htm@T@ HTTP/1.1\r\n\r\n") << 404;
    QTest::newRow("file system path") << QByteArray("GET /../../etc/passwd@T@ HTTP/1.1\r\n\r\n") << 404;
    QTest::newRow("resource path") << QByteArray("GET /:/share/live.js@T@ HTTP/1.1\r\n\r\n") << 404;
    QTest::newRow("stream without upgrade") << QByteArray("GET /live@T@ HTTP/1.1\r\n\r\n") << 400;
    QTest::newRow("POST") << QByteArray("POST /@T@ HTTP/1.1\r\nContent-Length: 2\r\n\r\nab") << 405;
    QTest::newRow("PUT") << QByteArray("PUT /@T@ HTTP/1.1\r\nContent-Length: 0\r\n\r\n") << 405;
    QTest::newRow("DELETE") << QByteArray("DELETE /@T@ HTTP/1.1\r\n\r\n") << 405;
    QTest::newRow("HEAD") << QByteArray("HEAD /@T@ HTTP/1.1\r\n\r\n") << 405;
    QTest::newRow("not HTTP") << QByteArray("GARBAGE\r\n\r\n") << 400;
    QTest::newRow("no version") << QByteArray("GET /@T@\r\n\r\n") << 400;
    QTest::newRow("long request line") << "GET /" + QByteArray(20000, 'a') + " HTTP/1.1\r\n\r\n" << 400;
    QTest::newRow("long header") << "GET /@T@ HTTP/1.1\r\nX: " + QByteArray(20000, 'b') + "\r\n\r\n" << 400;
    QTest::newRow("many headers") << "GET /@T@ HTTP/1.1\r\n" + QByteArray("X-A: b\r\n").repeated(3000) + "\r\n" << 400;
    QTest::newRow("big body") << "GET /@T@ HTTP/1.1\r\nContent-Length: 20000\r\n\r\n" + QByteArray(20000, 'c') << 400;
}

void TestLiveServer::answers()
{
    QFETCH(QByteArray, request);
    QFETCH(int, status);
    request.replace("@T@", tokenQuery());
    const QByteArray reply = exchange(server->port(), request);
    QCOMPARE(statusOf(reply), status);
    if (status == 200) {
        QVERIFY(reply.contains("Cache-Control: no-store"));
        // The page carries the token to its resources; nothing else does.
        if (request.startsWith("GET /?"))
            QVERIFY(reply.contains("live.js?t=" + server->token()));
    } else {
        QVERIFY(!reply.contains(server->token()));
    }
}

void TestLiveServer::thirtyThirdViewerIsTurnedAway()
{
    std::vector<std::unique_ptr<QWebSocket>> viewers;
    for (int i = 0; i < 32; ++i)
        viewers.push_back(openViewer(tokenQuery()));
    QTRY_COMPARE_WITH_TIMEOUT(server->viewerCount(), 32, 10000);

    QCOMPARE(statusOf(exchange(server->port(), upgradeRequest("/live" + tokenQuery()))), 503);
    QCOMPARE(statusOf(exchange(server->port(), "GET /" + tokenQuery() + " HTTP/1.1\r\n\r\n")), 503);
    QCOMPARE(server->viewerCount(), 32);

    // One leaves: the next one gets in.
    viewers.front()->close();
    QTRY_COMPARE(server->viewerCount(), 31);
    auto next = openViewer(tokenQuery());
    QTRY_COMPARE(next->state(), QAbstractSocket::ConnectedState);
    QTRY_COMPARE(server->viewerCount(), 32);
}

void TestLiveServer::publishReachesViewers()
{
    LiveView view = fullView();
    view.sequence = 1;
    server->publish(view);

    auto viewer = openViewer(tokenQuery());
    QList<QByteArray> received;
    connect(viewer.get(), &QWebSocket::textMessageReceived, this,
            [&received](const QString &m) { received << m.toUtf8(); });
    // A new viewer starts with the latest snapshot...
    QTRY_COMPARE(received.size(), 1);
    QCOMPARE(received[0], liveViewJson(view));
    // ...and then gets each one as it is published.
    view.sequence = 2;
    view.lastLap = QStringLiteral("81.000");
    server->publish(view);
    QTRY_COMPARE(received.size(), 2);
    QCOMPARE(received[1], liveViewJson(view));
    QCOMPARE(server->latestJson(), liveViewJson(view));

    // What a viewer sends changes nothing and goes unanswered.
    viewer->sendTextMessage(QStringLiteral("{\"sequence\":99,\"lastLap\":\"1.000\"}"));
    viewer->sendBinaryMessage(QByteArray(100, 'x'));
    QTest::qWait(0);
    QCOMPARE(server->latestJson(), liveViewJson(view));

    // A wrong token never becomes a viewer.
    auto stranger = openViewer("?t=" + QByteArray(32, '0'));
    QSignalSpy refused(stranger.get(), &QWebSocket::disconnected);
    QTRY_VERIFY(stranger->state() == QAbstractSocket::UnconnectedState);
    QCOMPARE(server->viewerCount(), 1);
}

void TestLiveServer::viewerThatNeverReadsIsDropped()
{
    LiveTimingServer::Limits limits;
    limits.maxViewerBacklogBytes = 64 * 1024;
    server->setLimits(limits);
    QVERIFY(server->start(QHostAddress::LocalHost, 0));

    auto reader = openViewer(tokenQuery());
    int readerMessages = 0;
    connect(reader.get(), &QWebSocket::textMessageReceived, this, [&readerMessages] { ++readerMessages; });

    // A client that asks for the stream and then never reads another byte.
    QTcpSocket stalled;
    stalled.setReadBufferSize(1);
    stalled.connectToHost(QHostAddress::LocalHost, server->port());
    QTRY_COMPARE(stalled.state(), QAbstractSocket::ConnectedState);
    stalled.write(upgradeRequest("/live" + tokenQuery()));
    QTRY_COMPARE(server->viewerCount(), 2);

    LiveView view = fullView();
    view.title = QString(8000, u'x');
    int published = 0;
    // Loopback buffers hold a few MiB before the server's own queue grows.
    while (server->viewerCount() == 2 && published < 4000) {
        view.sequence = ++published;
        server->publish(view);
        QCoreApplication::processEvents();
    }
    QCOMPARE(server->viewerCount(), 1);
    // The stalled viewer's connection is gone, not parked.
    QTRY_COMPARE(server->connectionCount(), 1);
    stalled.setReadBufferSize(0); // reads again, and finds the end
    QTRY_COMPARE_WITH_TIMEOUT(stalled.state(), QAbstractSocket::UnconnectedState, 10000);
    // The reader kept up and stays.
    QTRY_COMPARE(readerMessages, published);
    QCOMPARE(reader->state(), QAbstractSocket::ConnectedState);
}

void TestLiveServer::slowAndIdleClientsAreDropped_data()
{
    QTest::addColumn<QByteArray>("first");   // sent at once
    QTest::addColumn<bool>("trickle");        // then one byte every 50 ms
    QTest::addColumn<int>("status");          // the answer before the drop, 0 none

    QTest::newRow("never sends") << QByteArray() << false << 0;
    QTest::newRow("half a request") << QByteArray("GET / HTTP/1.1\r\nHost:") << false << 0;
    QTest::newRow("a byte at a time") << QByteArray("GET / HTTP/1.1\r\n") << true << 0;
    QTest::newRow("idle after an answer") << QByteArray("GET /live.css@T@ HTTP/1.1\r\n\r\n") << false << 200;
}

void TestLiveServer::slowAndIdleClientsAreDropped()
{
    QFETCH(QByteArray, first);
    QFETCH(bool, trickle);
    QFETCH(int, status);
    LiveTimingServer::Limits limits;
    limits.requestTimeoutMs = 400;
    server->setLimits(limits);
    QVERIFY(server->start(QHostAddress::LocalHost, 0));

    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, server->port());
    QTRY_COMPARE(client.state(), QAbstractSocket::ConnectedState);
    client.write(first.replace("@T@", tokenQuery()));
    QTimer dribble;
    connect(&dribble, &QTimer::timeout, &client, [&client] { client.write("X"); });
    if (trickle)
        dribble.start(50);
    QTRY_COMPARE_WITH_TIMEOUT(client.state(), QAbstractSocket::UnconnectedState, 5000);
    QCOMPARE(statusOf(client.readAll()), status);
    QTRY_COMPARE(server->connectionCount(), 0);
}

void TestLiveServer::snapshotJson_data()
{
    QTest::addColumn<bool>("full");
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<QByteArray>("value");

    QTest::newRow("state") << true << QByteArray("state") << QByteArray("\"running\"");
    QTest::newRow("sequence") << true << QByteArray("sequence") << QByteArray("41");
    QTest::newRow("clock to the millisecond") << true << QByteArray("clock.seconds") << QByteArray("754.312");
    QTest::newRow("clock runs") << true << QByteArray("clock.running") << QByteArray("true");
    QTest::newRow("lap") << true << QByteArray("lap") << QByteArray("13");
    QTest::newRow("best lap") << true << QByteArray("bestLap.text") << QByteArray("\"82.904\"");
    QTest::newRow("best lap number") << true << QByteArray("bestLap.lap") << QByteArray("9");
    QTest::newRow("delta signed, to the ms") << true << QByteArray("deltaToBest") << QByteArray("-0.204");
    QTest::newRow("flag") << true << QByteArray("flag") << QByteArray("\"Yellow\"");
    QTest::newRow("ten laps at most") << true << QByteArray("laps.#") << QByteArray("10");
    QTest::newRow("oldest first, the latest ten") << true << QByteArray("laps.0.lap") << QByteArray("3");
    QTest::newRow("newest last") << true << QByteArray("laps.9.lap") << QByteArray("12");
    QTest::newRow("segments per lap") << true << QByteArray("laps.0.segments.#") << QByteArray("2");
    QTest::newRow("segment text") << true << QByteArray("laps.0.segments.0.text") << QByteArray("\"41.003\"");
    QTest::newRow("best segment") << true << QByteArray("laps.0.segments.0.best") << QByteArray("true");
    QTest::newRow("improved segment") << true << QByteArray("laps.1.segments.1.improved") << QByteArray("true");
    QTest::newRow("mark missing reads false") << true << QByteArray("laps.1.segments.1.best") << QByteArray("false");
    QTest::newRow("untimed segment is null") << true << QByteArray("laps.9.segments.1.text") << QByteArray("null");
    QTest::newRow("untimed lap is null") << true << QByteArray("laps.9.time.text") << QByteArray("null");
    QTest::newRow("best lap time") << true << QByteArray("laps.6.time.best") << QByteArray("true");
    QTest::newRow("improved lap time") << true << QByteArray("laps.2.time.improved") << QByteArray("true");
    QTest::newRow("empty condition is null") << true << QByteArray("laps.0.traffic") << QByteArray("null");

    QTest::newRow("setup") << false << QByteArray("state") << QByteArray("\"setup\"");
    QTest::newRow("no clock") << false << QByteArray("clock") << QByteArray("null");
    QTest::newRow("no lap") << false << QByteArray("lap") << QByteArray("null");
    QTest::newRow("no last lap") << false << QByteArray("lastLap") << QByteArray("null");
    QTest::newRow("no best lap") << false << QByteArray("bestLap") << QByteArray("null");
    QTest::newRow("no delta") << false << QByteArray("deltaToBest") << QByteArray("null");
    QTest::newRow("no predicted lap") << false << QByteArray("predictedLap") << QByteArray("null");
    QTest::newRow("no title") << false << QByteArray("title") << QByteArray("null");
    QTest::newRow("no laps") << false << QByteArray("laps.#") << QByteArray("0");
}

void TestLiveServer::snapshotJson()
{
    QFETCH(bool, full);
    QFETCH(QByteArray, path);
    QFETCH(QByteArray, value);
    QCOMPARE(valueAt(liveViewJson(full ? fullView() : LiveView()), path), value);
}

void TestLiveServer::qrCodeKeepsQuietZone()
{
    const QImage code = qrCodeImage(QStringLiteral("http://192.168.1.20:8473/?t=0123456789abcdef0123456789abcdef"), 4);
    QVERIFY(!code.isNull());
    QCOMPARE(code.width(), code.height());
    // Four light modules all round, then the dark corner of a finder pattern.
    for (int i = 0; i < 16; ++i)
        QCOMPARE(qGray(code.pixel(i, i)), 255);
    QCOMPARE(qGray(code.pixel(16, 16)), 0);
    QCOMPARE(qGray(code.pixel(code.width() - 17, 16)), 0);
}

void TestLiveServer::accessToken_data()
{
    QTest::addColumn<QByteArray>("token");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("a new one each start") << QByteArray() << true;
    QTest::newRow("32 hex digits") << QByteArray("0123456789abcdef0123456789abcdef") << true;
    QTest::newRow("upper case") << QByteArray("0123456789ABCDEF0123456789ABCDEF") << false;
    QTest::newRow("31 digits") << QByteArray("0123456789abcdef0123456789abcde") << false;
    QTest::newRow("33 digits") << QByteArray("0123456789abcdef0123456789abcdef0") << false;
    QTest::newRow("not hex") << QByteArray("0123456789abcdef0123456789abcdeg") << false;
    QTest::newRow("query text") << QByteArray("0123456789abcdef0123456789a&t=ef") << false;
}

void TestLiveServer::accessToken()
{
    QFETCH(QByteArray, token);
    QFETCH(bool, accepted);
    const QByteArray firstToken = server->token();
    QCOMPARE(server->setAccessToken(token), accepted);
    QVERIFY(server->start(QHostAddress::LocalHost, 0));
    const QByteArray secondToken = server->token();
    QVERIFY(server->start(QHostAddress::LocalHost, 0));
    if (accepted && !token.isEmpty()) {
        QCOMPARE(secondToken, token);
        QCOMPARE(server->token(), token);
    } else {
        // 128 random bits: three starts never share one.
        QCOMPARE(secondToken.size(), 32);
        QVERIFY(secondToken != firstToken && server->token() != secondToken);
    }
    QCOMPARE(statusOf(exchange(server->port(), "GET /" + tokenQuery() + " HTTP/1.1\r\n\r\n")), 200);
}

QTEST_GUILESS_MAIN(TestLiveServer)
#include "tst_liveserver.moc"
