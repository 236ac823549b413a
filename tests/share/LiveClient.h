#pragma once
// Loopback clients for the live timing server's tests: a raw HTTP exchange
// and the status code of an answer.

#include <QByteArray>
#include <QTcpSocket>
#include <QTest>

namespace sw::test {

// Sends the bytes on a new connection to 127.0.0.1:port and returns what came
// back once a whole header arrived or the server closed the connection.
inline QByteArray exchange(quint16 port, const QByteArray &request)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!QTest::qWaitFor([&] { return socket.state() == QAbstractSocket::ConnectedState; }, 5000))
        return {};
    socket.write(request);
    QByteArray reply;
    (void)QTest::qWaitFor([&] {
        reply += socket.readAll();
        return reply.contains("\r\n\r\n") || socket.state() == QAbstractSocket::UnconnectedState;
    }, 5000);
    return reply + socket.readAll();
}

// 403 for "HTTP/1.1 403 Forbidden\r\n...", 0 without a status line.
inline int statusOf(const QByteArray &reply)
{
    if (!reply.startsWith("HTTP/1.1 "))
        return 0;
    return reply.mid(9, 3).toInt();
}

inline QByteArray upgradeRequest(const QByteArray &target)
{
    return "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nUpgrade: websocket\r\n"
           "Connection: Upgrade\r\nSec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n"
           "Sec-WebSocket-Version: 13\r\n\r\n";
}

} // namespace sw::test
