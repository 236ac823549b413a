#pragma once
// A read-only live timing page for the team's network. Anyone holding the
// link (which carries a random access token) can watch; nothing a client
// sends changes anything in the program.
//
// The page and its two resources come from the program's own resources; the
// live figures go out over one WebSocket per viewer as the JSON of
// liveViewJson(). HTTP is Qt's (QAbstractHttpServer); in front of it sits a
// thin guard on the TCP connections that only counts connections and bytes
// and keeps time:
//   - at most Limits::maxViewers WebSocket viewers (more get 503), and at
//     most Limits::maxOtherConnections other connections (more are refused);
//   - a request whose bytes exceed maxRequestBytes gets 400 and is closed;
//   - a connection that has not completed a request within requestTimeoutMs
//     (of connecting, or of its last answer) is closed;
//   - a viewer whose unsent data passes maxViewerBacklogBytes is dropped
//     (the page reconnects by itself and gets the latest snapshot).
// Everything runs on the owner's thread, and publish() only appends to
// socket buffers: it never waits on the network.

#include "share/LiveView.h"

#include <QHostAddress>
#include <QObject>
#include <QUrl>

#include <memory>

namespace sw {

class LiveTimingServerPrivate;

class LiveTimingServer : public QObject
{
    Q_OBJECT

public:
    struct Limits
    {
        int maxViewers = 32;
        int maxOtherConnections = 64;
        qint64 maxRequestBytes = 16 * 1024;
        int requestTimeoutMs = 10'000;
        // Room for a handful of snapshots; a viewer further behind is dropped.
        qint64 maxViewerBacklogBytes = 256 * 1024;
    };

    explicit LiveTimingServer(QObject *parent = nullptr);
    ~LiveTimingServer() override;

    // Takes effect at the next start().
    void setLimits(const Limits &limits);
    Limits limits() const;

    // The access token of the next start(): 32 hex digits, so that a link
    // handed out once (or pages left open on the pit wall) keeps working
    // after the program restarts. Empty: a new random token at every start.
    // False, and nothing changed, for a token of another form.
    bool setAccessToken(const QByteArray &token);
    // 32 lowercase hex digits from the system's random source (128 bits).
    static QByteArray newAccessToken();

    // Listens on the address and port (0 picks a free port) with the access
    // token set, or a new one. False, with errorString(), when the port
    // cannot be had.
    bool start(const QHostAddress &address, quint16 port);
    // Closes every connection. The latest snapshot is kept for the next start.
    void stop();
    bool isRunning() const;

    QHostAddress address() const;
    quint16 port() const;
    QString errorString() const;
    // 32 lowercase hex digits (128 random bits); empty while stopped.
    QByteArray token() const;
    // http://host:port/?t=token; host defaults to the address listened on.
    QUrl url(const QString &host = QString()) const;

    // Stores the snapshot's JSON and sends it to every viewer now connected;
    // later viewers get it when they connect.
    void publish(const LiveView &view);
    QByteArray latestJson() const;

    int viewerCount() const;
    // Open connections of every kind: viewers, page loads, idle ones.
    int connectionCount() const;

signals:
    void viewerCountChanged(int viewers);

private:
    friend class LiveTimingServerPrivate;
    std::unique_ptr<LiveTimingServerPrivate> d;
};

} // namespace sw
