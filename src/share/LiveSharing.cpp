#include "share/LiveSharing.h"

#include "race/Race.h"
#include "share/LiveTimingServer.h"
#include "share/LiveViewOfRace.h"

#include <QNetworkInterface>
#include <QTimer>

namespace sw {

namespace {
const QString PortKey = QStringLiteral("share/port");
const QString AddressKey = QStringLiteral("share/address");
const QString TokenKey = QStringLiteral("share/token");
} // namespace

LiveSharing::LiveSharing(const Race &race, QObject *parent)
    : QObject(parent), m_race(race), m_server(std::make_unique<LiveTimingServer>())
{
    connect(m_server.get(), &LiveTimingServer::viewerCountChanged, this, &LiveSharing::viewerCountChanged);
    // Every kind of change of the race; the journal is connected before us
    // and the publish itself waits for the event loop.
    connect(&race, &Race::readingRecorded, this, &LiveSharing::schedulePublish);
    connect(&race, &Race::stateChanged, this, &LiveSharing::schedulePublish);
    connect(&race, &Race::conditionsChanged, this, &LiveSharing::schedulePublish);
    connect(&race, &Race::recordChanged, this, &LiveSharing::schedulePublish);
    connect(&race, &Race::replaced, this, &LiveSharing::schedulePublish);
    connect(&race, &Race::segmentsPerLapChanged, this, &LiveSharing::schedulePublish);
    connect(&race, &Race::saved, this, &LiveSharing::schedulePublish); // the page is headed by the file name
}

LiveSharing::~LiveSharing() = default;

void LiveSharing::useSettings(std::unique_ptr<QSettings> settings)
{
    m_settings = std::move(settings);
}

quint16 LiveSharing::rememberedPort() const
{
    if (!m_settings)
        return DefaultPort;
    bool ok = false;
    const uint port = m_settings->value(PortKey, DefaultPort).toUInt(&ok);
    return ok && port <= 65535 ? quint16(port) : DefaultPort;
}

QHostAddress LiveSharing::rememberedAddress() const
{
    return m_settings ? QHostAddress(m_settings->value(AddressKey).toString()) : QHostAddress();
}

bool LiveSharing::start(const QHostAddress &address, quint16 port)
{
    if (m_server->isRunning())
        m_server->stop();
    QByteArray token;
    if (m_settings) {
        token = m_settings->value(TokenKey).toByteArray();
        if (!m_server->setAccessToken(token)) {
            token = LiveTimingServer::newAccessToken();
            m_server->setAccessToken(token);
        }
    }
    const QHostAddress listenOn = address.isNull() ? QHostAddress(QHostAddress::Any) : address;
    if (!m_server->start(listenOn, port))
        return false;
    if (m_settings) {
        m_settings->setValue(PortKey, port);
        m_settings->setValue(AddressKey, address.isNull() ? QString() : address.toString());
        m_settings->setValue(TokenKey, QString::fromLatin1(m_server->token()));
        m_settings->sync();
    }
    publishNow();
    emit sharingChanged(true);
    return true;
}

void LiveSharing::stop()
{
    if (!m_server->isRunning())
        return;
    m_server->stop();
    emit sharingChanged(false);
}

bool LiveSharing::isSharing() const
{
    return m_server->isRunning();
}

QString LiveSharing::errorString() const
{
    return m_server->errorString();
}

QUrl LiveSharing::url() const
{
    const QHostAddress listened = m_server->address();
    if (listened == QHostAddress::Any || listened == QHostAddress::AnyIPv4 || listened == QHostAddress::AnyIPv6)
        return m_server->url(firstNetworkAddress().toString());
    return m_server->url();
}

int LiveSharing::viewerCount() const
{
    return m_server->viewerCount();
}

QHostAddress LiveSharing::firstNetworkAddress()
{
    const QList<QNetworkInterface> interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &i : interfaces) {
        if (!(i.flags() & QNetworkInterface::IsUp) || (i.flags() & QNetworkInterface::IsLoopBack))
            continue;
        for (const QNetworkAddressEntry &e : i.addressEntries())
            if (e.ip().protocol() == QAbstractSocket::IPv4Protocol)
                return e.ip();
    }
    return QHostAddress(QHostAddress::LocalHost);
}

void LiveSharing::schedulePublish()
{
    if (m_publishPending || !m_server->isRunning())
        return;
    m_publishPending = true;
    QTimer::singleShot(0, this, [this] {
        m_publishPending = false;
        if (m_server->isRunning())
            publishNow();
    });
}

void LiveSharing::publishNow()
{
    LiveViewSource source{m_race, LapFilter::AllLaps, std::nullopt, QString()};
    if (lapFilter)
        source.lapFilter = lapFilter();
    if (raceClock)
        source.clockSeconds = raceClock();
    if (title)
        source.title = title();
    LiveView view = liveViewOfRace(source);
    if (figures) {
        const LiveFigureValues f = figures();
        view.deltaToBest = f.delta;
        view.predictedLap = LiveFigures::timeText(f.predictedLap);
    }
    view.sequence = ++m_sequence;
    m_server->publish(view);
}

} // namespace sw
