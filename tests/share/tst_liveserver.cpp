// The live timing server on loopback: who gets an answer and which (every
// hostile request kind among them), the viewer limit, timeouts, viewers that
// fall behind, and the snapshot JSON. The same requests under load against
// the real program: program_hostile_test.py.

#include "LiveClient.h"
#include "share/LiveTimingServer.h"
#include "share/LiveView.h"
#include "share/QrCode.h"

#include <QtTest>
#include <QtWebSockets>

using namespace sw;
using namespace sw::test;

namespace {

// Lap 12 of 12 has only its first segment timed; lap 3 has the best segment 1,
// lap 4 an improved segment 2, lap 9 the best and lap 5 an improved lap time.
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
    v.title = QStringLiteral("Spa");
    v.sequence = 41;
    for (int lap = 1; lap <= 12; ++lap) {
        LiveLap l;
        l.lap = lap;
        l.segmentTimes = {QStringLiteral("41.%1").arg(lap, 3, 10, QLatin1Char('0'))};
        if (lap != 12)
            l.segmentTimes << QStringLiteral("42.000");
        l.lapTime = lap == 12 ? QString() : QStringLiteral("83.%1").arg(lap, 3, 10, QLatin1Char('0'));
        l.bestSegments = {lap == 3};
        l.improvedSegments = {false, lap == 4};
        l.bestLapTime = lap == 9;
        l.improvedLapTime = lap == 5;
        l.flag = QStringLiteral("Green");
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
    return v.isUndefined() ? "undefined" : QJsonDocument(QJsonArray{v}).toJson(QJsonDocument::Compact).chopped(1).mid(1);
}

} // namespace

class TestLiveServer : public QObject
{
    Q_OBJECT
    std::unique_ptr<LiveTimingServer> server;
    QByteArray tokenQuery() const { return "?t=" + server->token(); }
    QByteArray get(const QByteArray &target) const { return "GET " + target + " HTTP/1.1\r\n\r\n"; }
    std::unique_ptr<QWebSocket> openViewer(const QByteArray &query)
    {
        auto viewer = std::make_unique<QWebSocket>();
        viewer->open(QUrl(QStringLiteral("ws://127.0.0.1:%1/live").arg(server->port()) + QString::fromLatin1(query)));
        return viewer;
    }
    void restartWith(const LiveTimingServer::Limits &limits)
    {
        server->setLimits(limits);
        QVERIFY(server->start(QHostAddress::LocalHost, 0));
    }

private slots:
    void init()
    {
        server = std::make_unique<LiveTimingServer>();
        QVERIFY(server->start(QHostAddress::LocalHost, 0));
        QCOMPARE(server->token().size(), 32);
    }

    void cleanup() { server.reset(); }

    void answers_data()
    {
        QTest::addColumn<QByteArray>("request"); // @Q@ stands for "?t=<token>", @S@ for the token less its last digit
        QTest::addColumn<int>("status");
        const QByteArray big(30000, 'a');
        QTest::newRow("page") << QByteArray("GET /@Q@ HTTP/1.1\r\nHost: a\r\n\r\n") << 200;
        QTest::newRow("script") << QByteArray("GET /live.js@Q@ HTTP/1.1\r\n\r\n") << 200;
        QTest::newRow("style sheet") << QByteArray("GET /live.css@Q@ HTTP/1.1\r\n\r\n") << 200;
        QTest::newRow("no token") << QByteArray("GET / HTTP/1.1\r\nHost: a\r\n\r\n") << 403;
        QTest::newRow("empty token") << QByteArray("GET /?t= HTTP/1.1\r\n\r\n") << 403;
        QTest::newRow("wrong token") << "GET /?t=" + QByteArray(32, 'f') + " HTTP/1.1\r\n\r\n" << 403;
        QTest::newRow("token cut short") << QByteArray("GET /?t=@S@ HTTP/1.1\r\n\r\n") << 403;
        QTest::newRow("token and more") << QByteArray("GET /@Q@0 HTTP/1.1\r\n\r\n") << 403;
        QTest::newRow("stream, no token") << upgradeRequest("/live") << 403;
        QTest::newRow("stream, wrong token") << upgradeRequest("/live?t=bad") << 403;
        QTest::newRow("stream elsewhere") << upgradeRequest("/other@Q@") << 404;
        QTest::newRow("unknown path") << QByteArray("GET /index.htm@Q@ HTTP/1.1\r\n\r\n") << 404;
        QTest::newRow("file system path") << QByteArray("GET /../../../../etc/passwd@Q@ HTTP/1.1\r\n\r\n") << 404;
        QTest::newRow("up from a resource") << QByteArray("GET /live.js/../../secret@Q@ HTTP/1.1\r\n\r\n") << 404;
        QTest::newRow("resource path") << QByteArray("GET /:/share/live.js@Q@ HTTP/1.1\r\n\r\n") << 404;
        QTest::newRow("stream without upgrade") << QByteArray("GET /live@Q@ HTTP/1.1\r\n\r\n") << 400;
        QTest::newRow("POST") << QByteArray("POST /@Q@ HTTP/1.1\r\nContent-Length: 5\r\n\r\nhello") << 405;
        QTest::newRow("PUT") << QByteArray("PUT /@Q@ HTTP/1.1\r\nContent-Length: 0\r\n\r\n") << 405;
        QTest::newRow("DELETE") << QByteArray("DELETE /@Q@ HTTP/1.1\r\n\r\n") << 405;
        QTest::newRow("HEAD") << QByteArray("HEAD /@Q@ HTTP/1.1\r\n\r\n") << 405;
        QTest::newRow("OPTIONS *") << QByteArray("OPTIONS * HTTP/1.1\r\n\r\n") << 405;
        QTest::newRow("not HTTP") << QByteArray("GARBAGE\r\n\r\n") << 400;
        QTest::newRow("binary") << QByteArray("\0\1\2\3\r\n\r\n", 8) << 400;
        QTest::newRow("HTTP/9.9") << QByteArray("GET / HTTP/9.9\r\n\r\n") << 403;
        QTest::newRow("no version") << QByteArray("GET /@Q@\r\n\r\n") << 400;
        QTest::newRow("long request line") << "GET /" + big + " HTTP/1.1\r\n\r\n" << 400;
        QTest::newRow("long header") << "GET /@Q@ HTTP/1.1\r\nX: " + big + "\r\n\r\n" << 400;
        QTest::newRow("many headers") << "GET /@Q@ HTTP/1.1\r\n" + QByteArray("X-A: b\r\n").repeated(4000) + "\r\n" << 400;
        QTest::newRow("big body") << "GET /@Q@ HTTP/1.1\r\nContent-Length: 20000\r\n\r\n" + big.left(20000) << 400;
        QTest::newRow("huge length") << "GET /@Q@ HTTP/1.1\r\nContent-Length: 1000000000\r\n\r\n" + big << 400;
    }

    void answers()
    {
        QFETCH(QByteArray, request);
        QFETCH(int, status);
        const QByteArray token = server->token();
        request.replace("@Q@", tokenQuery()).replace("@S@", token.left(31));
        const QByteArray reply = exchange(server->port(), request);
        QCOMPARE(statusOf(reply), status);
        // The page carries the token to its resources; no refusal does.
        if (status != 200)
            QVERIFY(!reply.contains(token));
        else
            QVERIFY(reply.contains("Cache-Control: no-store") && (!request.startsWith("GET /?") || reply.contains("live.js?t=" + token)));
    }

    void thirtyThirdViewerIsTurnedAway()
    {
        std::vector<std::unique_ptr<QWebSocket>> viewers;
        for (int i = 0; i < 32; ++i)
            viewers.push_back(openViewer(tokenQuery()));
        QTRY_COMPARE_WITH_TIMEOUT(server->viewerCount(), 32, 10000);
        QCOMPARE(statusOf(exchange(server->port(), upgradeRequest("/live" + tokenQuery()))), 503);
        QCOMPARE(statusOf(exchange(server->port(), get("/" + tokenQuery()))), 503);
        // One leaves: the next one gets in.
        viewers.front()->close();
        QTRY_COMPARE(server->viewerCount(), 31);
        auto next = openViewer(tokenQuery());
        QTRY_COMPARE(next->state(), QAbstractSocket::ConnectedState);
        QTRY_COMPARE(server->viewerCount(), 32);
    }

    void publishReachesViewers()
    {
        LiveView view = fullView();
        server->publish(view);
        auto viewer = openViewer(tokenQuery());
        QList<QByteArray> received;
        connect(viewer.get(), &QWebSocket::textMessageReceived, this, [&](const QString &m) { received << m.toUtf8(); });
        // A new viewer starts with the latest snapshot, then gets each one published.
        QTRY_COMPARE(received.size(), 1);
        QCOMPARE(received[0], liveViewJson(view));
        view.sequence = 42;
        server->publish(view);
        QTRY_COMPARE(received.size(), 2);
        QCOMPARE(received[1], liveViewJson(view));
        // What a viewer sends changes nothing and goes unanswered.
        viewer->sendTextMessage(QStringLiteral("{\"sequence\":99,\"lastLap\":\"1.000\"}"));
        viewer->sendBinaryMessage(QByteArray(100, 'x'));
        QTest::qWait(0);
        QCOMPARE(server->latestJson(), liveViewJson(view));
        // A wrong token never becomes a viewer.
        auto stranger = openViewer("?t=" + QByteArray(32, '0'));
        QTRY_VERIFY(stranger->state() == QAbstractSocket::UnconnectedState);
        QCOMPARE(server->viewerCount(), 1);
    }

    void viewerThatNeverReadsIsDropped()
    {
        LiveTimingServer::Limits limits;
        limits.maxViewerBacklogBytes = 64 * 1024;
        restartWith(limits);
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
        QTRY_COMPARE(server->connectionCount(), 1); // gone, not parked
        stalled.setReadBufferSize(0); // reads again, and finds the end
        QTRY_COMPARE_WITH_TIMEOUT(stalled.state(), QAbstractSocket::UnconnectedState, 10000);
        QTRY_COMPARE(readerMessages, published); // the reader kept up and stays
        QCOMPARE(reader->state(), QAbstractSocket::ConnectedState);
    }

    void slowAndIdleClientsAreDropped_data()
    {
        QTest::addColumn<QByteArray>("first"); // sent at once
        QTest::addColumn<bool>("trickle");     // then one byte every 50 ms
        QTest::addColumn<int>("status");       // the answer before the drop, 0 none
        QTest::newRow("never sends") << QByteArray() << false << 0;
        QTest::newRow("half a request") << QByteArray("GET / HTTP/1.1\r\nHost:") << false << 0;
        QTest::newRow("a byte at a time") << QByteArray("GET / HTTP/1.1\r\n") << true << 0;
        QTest::newRow("idle after an answer") << QByteArray("GET /live.css@Q@ HTTP/1.1\r\n\r\n") << false << 200;
    }

    void slowAndIdleClientsAreDropped()
    {
        QFETCH(QByteArray, first);
        QFETCH(bool, trickle);
        LiveTimingServer::Limits limits;
        limits.requestTimeoutMs = 400;
        restartWith(limits);
        QTcpSocket client;
        client.connectToHost(QHostAddress::LocalHost, server->port());
        QTRY_COMPARE(client.state(), QAbstractSocket::ConnectedState);
        client.write(first.replace("@Q@", tokenQuery()));
        QTimer dribble;
        connect(&dribble, &QTimer::timeout, &client, [&client] { client.write("X"); });
        if (trickle)
            dribble.start(50);
        QTRY_COMPARE_WITH_TIMEOUT(client.state(), QAbstractSocket::UnconnectedState, 5000);
        QTEST(statusOf(client.readAll()), "status");
        QTRY_COMPARE(server->connectionCount(), 0);
    }

    void snapshotJson_data()
    {
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<QByteArray>("value");
        const std::pair<const char *, const char *> rows[] = {
                {"state", "\"running\""}, {"sequence", "41"}, {"clock.seconds", "754.312"}, {"clock.running", "true"},
                {"lap", "13"}, {"bestLap.text", "\"82.904\""}, {"bestLap.lap", "9"}, {"deltaToBest", "-0.204"},
                {"flag", "\"Yellow\""}, {"laps.#", "10"}, {"laps.0.lap", "3"}, {"laps.9.lap", "12"},
                {"laps.0.segments.#", "2"}, {"laps.0.segments.0.text", "\"41.003\""},
                {"laps.0.segments.0.best", "true"}, {"laps.1.segments.1.improved", "true"},
                {"laps.1.segments.1.best", "false"}, {"laps.9.segments.1.text", "null"}, {"laps.9.time.text", "null"},
                {"laps.6.time.best", "true"}, {"laps.2.time.improved", "true"}, {"laps.0.traffic", "null"}};
        for (const auto &[path, value] : rows)
            QTest::newRow(path) << QByteArray(path) << QByteArray(value);
    }

    void snapshotJson()
    {
        QFETCH(QByteArray, path);
        QTEST(valueAt(liveViewJson(fullView()), path), "value");
    }

    void emptySnapshotJson()
    {
        QCOMPARE(liveViewJson(LiveView()),
                 QByteArray("{\"bestLap\":null,\"clock\":null,\"deltaToBest\":null,\"flag\":null,\"lap\":null,"
                            "\"laps\":[],\"lastLap\":null,\"position\":null,\"predictedLap\":null,\"segmentsPerLap\":1,"
                            "\"sequence\":0,\"state\":\"setup\",\"title\":null,\"traffic\":null}"));
    }

    void qrCodeKeepsQuietZone()
    {
        const QImage code = qrCodeImage(QStringLiteral("http://192.168.1.20:8473/?t=0123456789abcdef0123456789abcdef"), 4);
        QCOMPARE(code.width(), code.height());
        // Four light modules all round, then the dark corner of a finder pattern.
        for (int i = 0; i < 16; ++i)
            QCOMPARE(qGray(code.pixel(i, i)), 255);
        QCOMPARE(qGray(code.pixel(16, 16)), 0);
        QCOMPARE(qGray(code.pixel(code.width() - 17, 16)), 0);
    }

    void accessToken_data()
    {
        QTest::addColumn<QByteArray>("token");
        QTest::addColumn<bool>("accepted");
        const QByteArray hex = "0123456789abcdef0123456789abcdef";
        QTest::newRow("a new one each start") << QByteArray() << true;
        QTest::newRow("32 hex digits") << hex << true;
        QTest::newRow("upper case") << hex.toUpper() << false;
        QTest::newRow("31 digits") << hex.chopped(1) << false;
        QTest::newRow("33 digits") << hex + '0' << false;
        QTest::newRow("not hex") << hex.chopped(1) + 'g' << false;
        QTest::newRow("query text") << QByteArray("0123456789abcdef0123456789a&t=ef") << false;
    }

    void accessToken()
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
        } else { // 128 random bits: three starts never share one
            QCOMPARE(secondToken.size(), 32);
            QVERIFY(secondToken != firstToken && server->token() != secondToken);
        }
        QCOMPARE(statusOf(exchange(server->port(), get("/" + tokenQuery()))), 200);
    }
};

QTEST_GUILESS_MAIN(TestLiveServer)
#include "tst_liveserver.moc"
