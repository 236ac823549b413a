#include "share/LiveTimingServer.h"

#include <QAbstractHttpServer>
#include <QElapsedTimer>
#include <QFile>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QLoggingCategory>
#include <QPointer>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrlQuery>
#include <QWebSocket>

#include <algorithm>
#include <vector>

// The page's files are compiled into the library (share_page.qrc); a static
// library has to register them itself.
static void registerSharePage()
{
    Q_INIT_RESOURCE(share_page);
}

namespace sw {

namespace {

// Answers the guard writes itself, before or after Qt's parser, when there is
// no request to answer through QHttpServerResponder.
const QByteArray badRequestAnswer = QByteArrayLiteral(
    "HTTP/1.1 400 Bad Request\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
const QByteArray unavailableAnswer = QByteArrayLiteral(
    "HTTP/1.1 503 Service Unavailable\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");

// Sent to every viewer between snapshots, so that a page can tell a silent
// link from a quiet race.
const QString heartbeatMessage = QStringLiteral("{\"heartbeat\":true}");
constexpr int heartbeatMs = 5000;
// A viewer that has not answered a ping for this many heartbeats is gone.
constexpr int missedHeartbeatsAllowed = 3;
// Viewers send nothing the program reads; anything bigger is closed by
// QWebSocket itself.
constexpr qint64 largestViewerMessage = 1024;

const QByteArray securityPolicy = QByteArrayLiteral(
    "default-src 'none'; script-src 'self'; style-src 'self'; connect-src 'self' ws: wss:; "
    "img-src 'self' data:; base-uri 'none'; form-action 'none'; frame-ancestors 'none'");

// Whether the given token equals the expected one, in time that depends only
// on the expected token's length (never on how many leading bytes match).
bool tokenMatches(const QByteArray &given, const QByteArray &expected)
{
    quint8 difference = given.size() == expected.size() ? 0 : 1;
    for (qsizetype i = 0; i < expected.size(); ++i) {
        const char g = i < given.size() ? given[i] : char(0);
        difference |= quint8(g) ^ quint8(expected[i]);
    }
    return difference == 0 && !expected.isEmpty();
}

// Qt's HTTP server warns on every WebSocket request that is refused, which
// anyone on the network could use to fill the program's log.
QLoggingCategory::CategoryFilter earlierLogFilter = nullptr;
void quietRefusedUpgrades(QLoggingCategory *category)
{
    if (earlierLogFilter)
        earlierLogFilter(category);
    if (qstrcmp(category->categoryName(), "qt.httpserver") == 0)
        category->setEnabled(QtWarningMsg, false);
}

QByteArray resource(const QString &name)
{
    QFile file(QStringLiteral(":/share/") + name);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

} // namespace

class GuardedSocket;

class LiveTimingServerPrivate
{
public:
    explicit LiveTimingServerPrivate(LiveTimingServer *q) : q(q) {}
    ~LiveTimingServerPrivate() { stop(); }

    void stop();
    // The guarded socket for a new connection, or null when it was refused.
    QTcpSocket *acceptConnection(qintptr descriptor, QTcpServer *server);
    void forget(GuardedSocket *socket);
    struct Answer;
    Answer answer(const QHttpServerRequest &request, GuardedSocket *socket);
    void takeViewers();
    void send(const QString &message);
    void dropViewer(QWebSocket *socket);
    void heartbeat();
    int otherConnections() const;
    int upgradingCount() const;

    struct Viewer
    {
        QWebSocket *socket = nullptr;     // owned; deleted through deleteLater
        QPointer<QTcpSocket> connection;  // the TCP connection beneath it
        QElapsedTimer lastHeard;
    };

    LiveTimingServer *q;
    LiveTimingServer::Limits limits;
    // Parent of the connection-level helpers; gone once this is gone, which
    // tells late-deleted sockets that there is nobody left to tell.
    QObject context;
    std::unique_ptr<QAbstractHttpServer> http;
    QHostAddress address;
    quint16 port = 0;
    QString error;
    QByteArray token;
    QByteArray chosenToken;
    QByteArray json;
    QByteArray indexPage, script, styleSheet;
    std::vector<GuardedSocket *> connections;
    std::vector<Viewer> viewers;
    QTimer heartbeatTimer;
};

// One TCP connection as the guard sees it: bytes received since its last
// answer, a deadline, and what it has become.
class GuardedSocket : public QTcpSocket
{
public:
    enum class Role { Http, Upgrading, Viewer };

    GuardedSocket(LiveTimingServerPrivate *owner, QObject *parent)
        : QTcpSocket(parent), owner(owner), ownerAlive(&owner->context), deadline(this)
    {
        deadline.setSingleShot(true);
        QObject::connect(&deadline, &QTimer::timeout, this, [this] { expire(); });
    }
    ~GuardedSocket() override
    {
        if (ownerAlive)
            owner->forget(this);
    }

    void watch(const LiveTimingServer::Limits &limits)
    {
        maxRequestBytes = limits.maxRequestBytes;
        timeoutMs = limits.requestTimeoutMs;
        // A request bigger than the limit shows up in one read at the latest.
        setReadBufferSize(maxRequestBytes + 1);
        QObject::connect(this, &QIODevice::readyRead, this, [this] { countReceived(); });
        QObject::connect(this, &QIODevice::bytesWritten, this, [this] { answered(); });
        // Qt's HTTP parser closes a connection whose request it cannot parse
        // without a word; the guard says 400 on its way out.
        QObject::connect(this, &QAbstractSocket::stateChanged, this, [this](SocketState state) {
            if (state == ClosingState && role == Role::Http && awaitingAnswer) {
                awaitingAnswer = false;
                write(badRequestAnswer);
            }
        });
        deadline.start(timeoutMs);
    }

    void becomeUpgrading()
    {
        role = Role::Upgrading;
        deadline.start(timeoutMs);
    }
    void becomeViewer()
    {
        role = Role::Viewer;
        deadline.stop();
    }

    void refuse(const QByteArray &answer)
    {
        awaitingAnswer = false;
        QObject::disconnect(this, &QIODevice::readyRead, nullptr, nullptr);
        write(answer);
        disconnectFromHost();
        QObject::connect(this, &QAbstractSocket::disconnected, this, &QObject::deleteLater);
        deadline.start(timeoutMs);
    }

    Role role = Role::Http;
    // Bytes came since the last answer, and no answer is on its way.
    bool awaitingAnswer = false;

private:
    void countReceived()
    {
        received += bytesAvailable();
        awaitingAnswer = true;
        if (received > maxRequestBytes)
            refuse(badRequestAnswer);
    }
    void answered()
    {
        received = 0;
        if (role == Role::Http)
            deadline.start(timeoutMs);
    }
    void expire()
    {
        if (role == Role::Viewer)
            return;
        abort();
        // Once upgrading, the WebSocket server owns and deletes the socket.
        if (role == Role::Http)
            deleteLater();
    }

    LiveTimingServerPrivate *owner;
    QPointer<QObject> ownerAlive;
    QTimer deadline;
    qint64 received = 0;
    qint64 maxRequestBytes = 0;
    int timeoutMs = 0;
};

namespace {

class GuardServer : public QTcpServer
{
public:
    GuardServer(LiveTimingServerPrivate *owner) : owner(owner) {}

protected:
    void incomingConnection(qintptr descriptor) override
    {
        if (QTcpSocket *socket = owner->acceptConnection(descriptor, this))
            addPendingConnection(socket);
    }

private:
    LiveTimingServerPrivate *owner;
};

class HttpServer : public QAbstractHttpServer
{
public:
    explicit HttpServer(LiveTimingServerPrivate *owner) : owner(owner) {}

protected:
    bool handleRequest(const QHttpServerRequest &request, QTcpSocket *socket) override;
    void missingHandler(const QHttpServerRequest &request, QTcpSocket *socket) override;

private:
    LiveTimingServerPrivate *owner;
};

} // namespace

struct LiveTimingServerPrivate::Answer
{
    QHttpServerResponder::StatusCode status = QHttpServerResponder::StatusCode::Ok;
    QByteArray body;
    QByteArray type = QByteArrayLiteral("text/plain; charset=utf-8");
    bool upgrade = false; // hand the connection to the WebSocket server
};

LiveTimingServerPrivate::Answer LiveTimingServerPrivate::answer(const QHttpServerRequest &request,
                                                              GuardedSocket *socket)
{
    using Status = QHttpServerResponder::StatusCode;
    Answer a;
    auto fail = [&a](Status status, const char *text) {
        a.status = status;
        a.body = QByteArray(text) + '\n';
        return a;
    };
    if (!socket)
        return fail(Status::InternalServerError, "Internal error");
    if (request.method() != QHttpServerRequest::Method::Get)
        return fail(Status::MethodNotAllowed, "Only GET");
    const QByteArray given = QUrlQuery(request.url()).queryItemValue(QStringLiteral("t"), QUrl::FullyDecoded).toUtf8();
    if (!tokenMatches(given, token))
        return fail(Status::Forbidden, "Forbidden");

    const QString path = request.url().path();
    const bool wantsStream = path == QLatin1String("/live");
    if (!wantsStream && path != QLatin1String("/") && path != QLatin1String("/live.js")
        && path != QLatin1String("/live.css"))
        return fail(Status::NotFound, "Not found");
    if (int(viewers.size()) + upgradingCount() >= limits.maxViewers)
        return fail(Status::ServiceUnavailable, "Too many viewers");

    if (wantsStream) {
        if (request.value(QByteArrayLiteral("upgrade")).compare("websocket", Qt::CaseInsensitive) != 0)
            return fail(Status::BadRequest, "WebSocket only");
        a.upgrade = true;
        return a;
    }
    if (path == QLatin1String("/live.js")) {
        a.body = script;
        a.type = QByteArrayLiteral("text/javascript; charset=utf-8");
    } else if (path == QLatin1String("/live.css")) {
        a.body = styleSheet;
        a.type = QByteArrayLiteral("text/css; charset=utf-8");
    } else {
        a.body = indexPage;
        a.body.replace("@TOKEN@", token);
        a.type = QByteArrayLiteral("text/html; charset=utf-8");
    }
    return a;
}

bool HttpServer::handleRequest(const QHttpServerRequest &request, QTcpSocket *socket)
{
    auto *guarded = dynamic_cast<GuardedSocket *>(socket);
    const LiveTimingServerPrivate::Answer a = owner->answer(request, guarded);
    if (a.upgrade) {
        // Nothing written: Qt hands the untouched connection to its
        // WebSocket server when this returns true.
        guarded->becomeUpgrading();
        return true;
    }
    if (guarded)
        guarded->awaitingAnswer = false;
    // A refused request ends its connection: a page keeps none open for
    // another try, and a flood of them must not hold the connection slots
    // until their timeout.
    const bool refused = a.status != QHttpServerResponder::StatusCode::Ok;
    const QByteArray connection = refused ? QByteArrayLiteral("close") : QByteArrayLiteral("keep-alive");
    makeResponder(request, socket)
        .write(a.body,
               {{"Content-Type", a.type},
                {"Cache-Control", "no-store"},
                {"X-Content-Type-Options", "nosniff"},
                {"Referrer-Policy", "no-referrer"},
                {"Content-Security-Policy", securityPolicy},
                {"Allow", "GET"},
                {"Connection", connection}},
               a.status);
    if (refused)
        socket->disconnectFromHost();
    // A refused WebSocket request is answered above; returning false keeps Qt
    // from upgrading it (Qt then closes the connection).
    return !request.value(QByteArrayLiteral("upgrade")).size();
}

void HttpServer::missingHandler(const QHttpServerRequest &request, QTcpSocket *socket)
{
    auto *guarded = dynamic_cast<GuardedSocket *>(socket);
    if (guarded && !guarded->awaitingAnswer)
        return;
    if (guarded)
        guarded->awaitingAnswer = false;
    makeResponder(request, socket).write(QHttpServerResponder::StatusCode::NotFound);
}

QTcpSocket *LiveTimingServerPrivate::acceptConnection(qintptr descriptor, QTcpServer *server)
{
    if (otherConnections() >= limits.maxOtherConnections) {
        auto *socket = new QTcpSocket(&context);
        if (!socket->setSocketDescriptor(descriptor)) {
            delete socket;
            return nullptr;
        }
        socket->write(unavailableAnswer);
        socket->disconnectFromHost();
        QObject::connect(socket, &QAbstractSocket::disconnected, socket, &QObject::deleteLater);
        QTimer::singleShot(limits.requestTimeoutMs, socket, [socket] {
            socket->abort();
            socket->deleteLater();
        });
        return nullptr;
    }
    auto *socket = new GuardedSocket(this, server);
    if (!socket->setSocketDescriptor(descriptor)) {
        delete socket;
        return nullptr;
    }
    connections.push_back(socket);
    socket->watch(limits);
    return socket;
}

void LiveTimingServerPrivate::forget(GuardedSocket *socket)
{
    connections.erase(std::remove(connections.begin(), connections.end(), socket), connections.end());
}

int LiveTimingServerPrivate::otherConnections() const
{
    return int(std::count_if(connections.begin(), connections.end(),
                             [](const GuardedSocket *s) { return s->role != GuardedSocket::Role::Viewer; }));
}

int LiveTimingServerPrivate::upgradingCount() const
{
    return int(std::count_if(connections.begin(), connections.end(),
                             [](const GuardedSocket *s) { return s->role == GuardedSocket::Role::Upgrading; }));
}

void LiveTimingServerPrivate::takeViewers()
{
    while (http && http->hasPendingWebSocketConnections()) {
        QWebSocket *socket = http->nextPendingWebSocketConnection().release();
        if (!socket)
            break;
        // The WebSocket does not show its TCP connection; the peer's port
        // finds it among the connections this server accepted.
        GuardedSocket *connection = nullptr;
        for (GuardedSocket *s : connections)
            if (s->role == GuardedSocket::Role::Upgrading && s->peerPort() == socket->peerPort()
                && s->peerAddress() == socket->peerAddress())
                connection = s;
        if (!connection || int(viewers.size()) >= limits.maxViewers) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        connection->becomeViewer();
        socket->setParent(&context);
        socket->setMaxAllowedIncomingFrameSize(largestViewerMessage);
        socket->setMaxAllowedIncomingMessageSize(largestViewerMessage);
        Viewer viewer;
        viewer.socket = socket;
        viewer.connection = connection;
        viewer.lastHeard.start();
        viewers.push_back(viewer);
        QObject::connect(socket, &QWebSocket::disconnected, &context, [this, socket] { dropViewer(socket); });
        QObject::connect(socket, &QWebSocket::pong, &context, [this, socket] {
            for (Viewer &v : viewers)
                if (v.socket == socket)
                    v.lastHeard.restart();
        });
        if (!json.isEmpty())
            socket->sendTextMessage(QString::fromUtf8(json));
        emit q->viewerCountChanged(int(viewers.size()));
    }
}

void LiveTimingServerPrivate::send(const QString &message)
{
    std::vector<QWebSocket *> behind;
    const qint64 size = message.size();
    for (Viewer &v : viewers) {
        if (!v.connection || v.connection->bytesToWrite() + size > limits.maxViewerBacklogBytes)
            behind.push_back(v.socket);
        else
            v.socket->sendTextMessage(message);
    }
    for (QWebSocket *socket : behind)
        dropViewer(socket);
}

void LiveTimingServerPrivate::dropViewer(QWebSocket *socket)
{
    auto it = std::find_if(viewers.begin(), viewers.end(), [socket](const Viewer &v) { return v.socket == socket; });
    if (it == viewers.end())
        return;
    viewers.erase(it);
    QObject::disconnect(socket, nullptr, &context, nullptr);
    socket->abort();
    socket->deleteLater();
    emit q->viewerCountChanged(int(viewers.size()));
}

void LiveTimingServerPrivate::heartbeat()
{
    std::vector<QWebSocket *> silent;
    for (Viewer &v : viewers)
        if (v.lastHeard.elapsed() > qint64(missedHeartbeatsAllowed) * heartbeatMs)
            silent.push_back(v.socket);
    for (QWebSocket *socket : silent)
        dropViewer(socket);
    for (Viewer &v : viewers)
        v.socket->ping();
    send(heartbeatMessage);
}

void LiveTimingServerPrivate::stop()
{
    heartbeatTimer.stop();
    const bool hadViewers = !viewers.empty();
    for (Viewer &v : viewers) {
        QObject::disconnect(v.socket, nullptr, &context, nullptr);
        v.socket->abort();
        delete v.socket;
    }
    viewers.clear();
    http.reset();
    // Refused connections still saying goodbye.
    qDeleteAll(context.findChildren<QTcpSocket *>(Qt::FindDirectChildrenOnly));
    token.clear();
    port = 0;
    if (hadViewers)
        emit q->viewerCountChanged(0);
}

LiveTimingServer::LiveTimingServer(QObject *parent) : QObject(parent), d(std::make_unique<LiveTimingServerPrivate>(this))
{
    registerSharePage();
    static const bool quiet = [] {
        earlierLogFilter = QLoggingCategory::installFilter(quietRefusedUpgrades);
        return true;
    }();
    Q_UNUSED(quiet);
    d->indexPage = resource(QStringLiteral("index.html"));
    d->script = resource(QStringLiteral("live.js"));
    d->styleSheet = resource(QStringLiteral("live.css"));
    d->heartbeatTimer.setInterval(heartbeatMs);
    QObject::connect(&d->heartbeatTimer, &QTimer::timeout, &d->context, [this] { d->heartbeat(); });
}

LiveTimingServer::~LiveTimingServer() = default;

void LiveTimingServer::setLimits(const Limits &limits)
{
    d->limits = limits;
}

LiveTimingServer::Limits LiveTimingServer::limits() const
{
    return d->limits;
}

QByteArray LiveTimingServer::newAccessToken()
{
    quint32 words[4];
    QRandomGenerator::system()->fillRange(words);
    return QByteArray(reinterpret_cast<const char *>(words), sizeof words).toHex();
}

bool LiveTimingServer::setAccessToken(const QByteArray &token)
{
    const bool hex = std::all_of(token.begin(), token.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
    });
    if (!hex || (!token.isEmpty() && token.size() != 32))
        return false;
    d->chosenToken = token;
    return true;
}

bool LiveTimingServer::start(const QHostAddress &address, quint16 port)
{
    stop();
    d->error.clear();
    auto http = std::make_unique<HttpServer>(d.get());
    auto *tcp = new GuardServer(d.get());
    if (!tcp->listen(address, port)) {
        d->error = tcp->errorString();
        delete tcp;
        return false;
    }
    http->bind(tcp);
    QObject::connect(http.get(), &QAbstractHttpServer::newWebSocketConnection, &d->context,
                     [this] { d->takeViewers(); });
    d->http = std::move(http);
    d->address = tcp->serverAddress();
    d->port = tcp->serverPort();
    d->token = d->chosenToken.isEmpty() ? newAccessToken() : d->chosenToken;
    d->heartbeatTimer.start();
    return true;
}

void LiveTimingServer::stop()
{
    d->stop();
}

bool LiveTimingServer::isRunning() const
{
    return d->http != nullptr;
}

QHostAddress LiveTimingServer::address() const
{
    return d->address;
}

quint16 LiveTimingServer::port() const
{
    return d->port;
}

QString LiveTimingServer::errorString() const
{
    return d->error;
}

QByteArray LiveTimingServer::token() const
{
    return d->token;
}

QUrl LiveTimingServer::url(const QString &host) const
{
    if (!isRunning())
        return {};
    QUrl url;
    url.setScheme(QStringLiteral("http"));
    url.setHost(host.isEmpty() ? d->address.toString() : host);
    url.setPort(d->port);
    url.setPath(QStringLiteral("/"));
    url.setQuery(QStringLiteral("t=") + QString::fromLatin1(d->token));
    return url;
}

void LiveTimingServer::publish(const LiveView &view)
{
    d->json = liveViewJson(view);
    if (!d->viewers.empty())
        d->send(QString::fromUtf8(d->json));
}

QByteArray LiveTimingServer::latestJson() const
{
    return d->json;
}

int LiveTimingServer::viewerCount() const
{
    return int(d->viewers.size());
}

int LiveTimingServer::connectionCount() const
{
    return int(d->connections.size());
}

} // namespace sw
