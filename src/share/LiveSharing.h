#pragma once
// Sharing the race on the live timing page: owns the server, listens to the
// race and publishes a new snapshot after every change of it. The publish is
// queued (one pending flag, run from the event loop), so a press is stored
// and journalled before any JSON is made, and the server never runs on the
// press path.
//
// Remembered in the settings, when given: the port and the interface chosen
// last ("share/port", "share/address"), and the access token ("share/token"),
// so a link handed out, or a page left open, keeps working after the program
// starts again. Sharing itself is off at every start.

#include "analysis/LapFilter.h"
#include "analysis/LiveFigures.h"

#include <QHostAddress>
#include <QObject>
#include <QSettings>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>

namespace sw {

class Race;
class LiveTimingServer;

class LiveSharing : public QObject
{
    Q_OBJECT
public:
    static constexpr quint16 DefaultPort = 8473;

    explicit LiveSharing(const Race &race, QObject *parent = nullptr);
    ~LiveSharing() override;

    // What the snapshot takes besides the race (all optional).
    std::function<LapFilter()> lapFilter;
    std::function<std::optional<double>()> raceClock;
    std::function<QString()> title;
    // The live figures of the timing face (delta to best, predicted lap),
    // so that the page shows the same figures as the window.
    std::function<LiveFigureValues()> figures;

    // Remembers port, interface and token there; without it nothing is kept
    // and every start has a new token.
    void useSettings(std::unique_ptr<QSettings> settings);
    quint16 rememberedPort() const;
    // Null: every interface.
    QHostAddress rememberedAddress() const;

    // False with errorString() when the port cannot be had. Remembers the
    // choice (the port asked for, not the one a port 0 picked).
    bool start(const QHostAddress &address, quint16 port);
    void stop();
    bool isSharing() const;
    QString errorString() const;
    // The link with its token; for every interface, the host is this
    // machine's first address on the network (the loopback when it has none).
    QUrl url() const;
    int viewerCount() const;

    LiveTimingServer &server() { return *m_server; }
    // Snapshots published since the start of the program.
    quint64 publishedCount() const { return m_sequence; }

    // The address of the first interface up that is not the loopback; the
    // loopback when there is none.
    static QHostAddress firstNetworkAddress();

signals:
    void sharingChanged(bool sharing);
    void viewerCountChanged(int viewers);

private:
    void schedulePublish();
    void publishNow();

    const Race &m_race;
    std::unique_ptr<LiveTimingServer> m_server;
    std::unique_ptr<QSettings> m_settings;
    bool m_publishPending = false;
    quint64 m_sequence = 0;
};

} // namespace sw
