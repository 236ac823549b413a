#include "share/LiveView.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace sw {

namespace {

QJsonValue textOrNull(const QString &text)
{
    return text.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(text);
}

QJsonValue secondsOrNull(std::optional<double> seconds)
{
    if (!seconds || !std::isfinite(*seconds))
        return QJsonValue(QJsonValue::Null);
    // Whole milliseconds, and never "-0".
    const double ms = std::round(*seconds * 1000.0);
    return QJsonValue(ms == 0 ? 0.0 : ms / 1000.0);
}

QJsonValue numberOrNull(std::optional<int> n)
{
    return n ? QJsonValue(*n) : QJsonValue(QJsonValue::Null);
}

QJsonObject cell(const QString &text, bool best, bool improved)
{
    return QJsonObject{{QStringLiteral("text"), textOrNull(text)},
                       {QStringLiteral("best"), best},
                       {QStringLiteral("improved"), improved}};
}

// More segments than any race has; keeps a wrong count from bloating the JSON.
constexpr int mostSegments = 16;

QJsonObject lapObject(const LiveLap &lap, int segmentsPerLap)
{
    QJsonArray segments;
    for (int s = 0; s < segmentsPerLap; ++s)
        segments.append(cell(lap.segmentTimes.value(s), lap.bestSegments.value(s, false),
                             lap.improvedSegments.value(s, false)));
    return QJsonObject{{QStringLiteral("lap"), lap.lap},
                       {QStringLiteral("segments"), segments},
                       {QStringLiteral("time"), cell(lap.lapTime, lap.bestLapTime, lap.improvedLapTime)},
                       {QStringLiteral("flag"), textOrNull(lap.flag)},
                       {QStringLiteral("position"), textOrNull(lap.position)},
                       {QStringLiteral("traffic"), textOrNull(lap.traffic)}};
}

} // namespace

QString liveStateWord(LiveView::State state)
{
    switch (state) {
    case LiveView::State::Setup:
        return QStringLiteral("setup");
    case LiveView::State::Armed:
        return QStringLiteral("armed");
    case LiveView::State::Running:
        return QStringLiteral("running");
    case LiveView::State::Finished:
        return QStringLiteral("finished");
    }
    return QStringLiteral("setup");
}

QByteArray liveViewJson(const LiveView &view)
{
    const int segmentsPerLap = qBound(0, view.segmentsPerLap, mostSegments);

    QJsonValue clock(QJsonValue::Null);
    if (view.clockSeconds && std::isfinite(*view.clockSeconds))
        clock = QJsonObject{{QStringLiteral("seconds"), secondsOrNull(view.clockSeconds)},
                            {QStringLiteral("running"), view.clockRunning}};

    QJsonValue bestLap(QJsonValue::Null);
    if (!view.bestLap.isEmpty())
        bestLap = QJsonObject{{QStringLiteral("text"), view.bestLap},
                              {QStringLiteral("lap"), numberOrNull(view.bestLapNumber)}};

    QJsonArray laps;
    const qsizetype first = qMax<qsizetype>(0, view.recentLaps.size() - LiveView::maxRecentLaps);
    for (qsizetype i = first; i < view.recentLaps.size(); ++i)
        laps.append(lapObject(view.recentLaps[i], segmentsPerLap));

    const QJsonObject root{
        {QStringLiteral("sequence"), double(view.sequence)},
        {QStringLiteral("title"), textOrNull(view.title)},
        {QStringLiteral("state"), liveStateWord(view.state)},
        {QStringLiteral("clock"), clock},
        {QStringLiteral("lap"), numberOrNull(view.currentLap)},
        {QStringLiteral("segmentsPerLap"), segmentsPerLap},
        {QStringLiteral("lastLap"), textOrNull(view.lastLap)},
        {QStringLiteral("bestLap"), bestLap},
        {QStringLiteral("deltaToBest"), secondsOrNull(view.deltaToBest)},
        {QStringLiteral("predictedLap"), textOrNull(view.predictedLap)},
        {QStringLiteral("flag"), textOrNull(view.flag)},
        {QStringLiteral("position"), textOrNull(view.position)},
        {QStringLiteral("traffic"), textOrNull(view.traffic)},
        {QStringLiteral("laps"), laps},
    };
    return QJsonDocument(root).toJson(QJsonDocument::Compact);
}

} // namespace sw
