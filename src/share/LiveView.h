#pragma once
// What the live timing page shows at one moment: a plain snapshot that the
// program fills in after each change and hands to LiveTimingServer::publish.
// It holds texts exactly as the program shows them (times, conditions) and
// the few numbers the page needs itself (the race clock, which the browser
// keeps ticking, and the signed delta, which picks the page's colour). A
// figure that does not exist yet is a null QString or an empty optional and
// goes out as JSON null, never as 0.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace sw {

// One completed (or partly timed) lap of the table of recent laps.
struct LiveLap
{
    int lap = 0;
    // One text per segment, in order; a null text is a segment not timed.
    QStringList segmentTimes;
    QString lapTime;
    QString flag;
    QString position;
    QString traffic;
    // Per segment, in the order of segmentTimes: the best time of its column,
    // and faster than the same column of the lap before. Missing entries read
    // as false.
    QList<bool> bestSegments;
    QList<bool> improvedSegments;
    bool bestLapTime = false;
    bool improvedLapTime = false;
};

struct LiveView
{
    enum class State { Setup, Armed, Running, Finished };

    State state = State::Setup;
    // The race clock in seconds at the moment of the snapshot; the page adds
    // the time since it received the snapshot while clockRunning is true.
    std::optional<double> clockSeconds;
    bool clockRunning = false;
    // The lap now being timed (1-based).
    std::optional<int> currentLap;
    int segmentsPerLap = 1;
    QString lastLap;
    QString bestLap;
    std::optional<int> bestLapNumber;
    // Current lap minus the best lap to the same timing point, in seconds:
    // negative is ahead of the best lap.
    std::optional<double> deltaToBest;
    QString predictedLap;
    // The conditions in force now, as their list texts ("Green", "3", ...).
    QString flag;
    QString position;
    QString traffic;
    // The most recent laps, oldest first; at most maxRecentLaps go out.
    QList<LiveLap> recentLaps;
    QString title;
    // Rises with every snapshot published, so a page can tell a new one.
    quint64 sequence = 0;

    static constexpr int maxRecentLaps = 10;
};

// "setup", "armed", "running", "finished".
QString liveStateWord(LiveView::State state);

// The snapshot as compact UTF-8 JSON, one object:
//
//   {"sequence": 12,                       // number
//    "title": "Spa 2026" | null,
//    "state": "setup" | "armed" | "running" | "finished",
//    "clock": {"seconds": 754.312, "running": true} | null,
//    "lap": 5 | null,                      // lap now timed
//    "segmentsPerLap": 2,
//    "lastLap": "83.120" | null,
//    "bestLap": {"text": "82.904", "lap": 3} | null,
//    "deltaToBest": -0.204 | null,         // seconds, rounded to 1 ms
//    "predictedLap": "82.700" | null,
//    "flag": "Green" | null, "position": "3" | null, "traffic": "..." | null,
//    "laps": [                             // oldest first, at most 10
//      {"lap": 4,
//       "segments": [{"text": "41.250" | null, "best": false, "improved": true}, ...],
//       "time": {"text": "83.120" | null, "best": false, "improved": true},
//       "flag": ..., "position": ..., "traffic": ...},   // text or null
//      ...]}
//
// segments has exactly segmentsPerLap entries. Non-finite numbers go out as
// null.
QByteArray liveViewJson(const LiveView &view);

} // namespace sw
