// A stand-in for the program while sharing: serves the live timing page on
// --share [ADDRESS:]PORT (with --token HEX, that access token), prints the link as its first line on stdout, and
// publishes a scripted race driven by lines on stdin:
//
//   press              one timing point (the first press starts the race)
//   flag|position|traffic TEXT   the conditions in force from now on
//   finish             the race ends
//   new                a new race, armed, with no laps
//   quit               exit
//
// After each snapshot it prints "published SEQUENCE EPOCH_MS" (wall-clock
// milliseconds just before the snapshot went to the sockets). Segment times
// are made up from the lap and segment numbers, so a run is repeatable.

#include "share/LiveTimingServer.h"
#include "race/NumberText.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QSocketNotifier>
#include <QStringList>

#include <cstdio>
#include <unistd.h>

using namespace sw;

namespace {

struct ScriptedRace
{
    LiveView::State state = LiveView::State::Armed;
    int segmentsPerLap = 2;
    double clock = 0;
    QList<double> current; // segment times of the lap under way
    struct Lap
    {
        QList<double> segments;
        QString flag, position, traffic;
    };
    QList<Lap> laps;
    QString flag = QStringLiteral("Green");
    QString position = QStringLiteral("1");
    QString traffic = QStringLiteral("Not in Traffic");

    double segmentTime(int lap, int segment) const
    {
        return 30.0 + 2.0 * segment + (((lap * 7 + segment * 3) % 11) - 5) * 0.137;
    }

    void press()
    {
        if (state == LiveView::State::Finished || state == LiveView::State::Setup)
            return;
        if (state == LiveView::State::Armed) {
            state = LiveView::State::Running;
            return;
        }
        const double t = segmentTime(int(laps.size()) + 1, int(current.size()));
        clock += t;
        current.append(t);
        if (current.size() == segmentsPerLap) {
            laps.append({current, flag, position, traffic});
            current.clear();
        }
    }

    static double sum(const QList<double> &times, int count)
    {
        double s = 0;
        for (int i = 0; i < count && i < times.size(); ++i)
            s += times[i];
        return s;
    }

    LiveView view() const
    {
        LiveView v;
        v.state = state;
        v.segmentsPerLap = segmentsPerLap;
        v.title = QStringLiteral("Scripted race");
        v.flag = flag;
        v.position = position;
        v.traffic = traffic;
        if (state != LiveView::State::Armed) {
            v.clockSeconds = clock;
            v.clockRunning = state == LiveView::State::Running;
        }
        if (state == LiveView::State::Running)
            v.currentLap = int(laps.size()) + 1;
        int best = -1;
        for (int i = 0; i < laps.size(); ++i)
            if (best < 0 || sum(laps[i].segments, segmentsPerLap) < sum(laps[best].segments, segmentsPerLap))
                best = i;
        if (!laps.isEmpty())
            v.lastLap = formatTime(sum(laps.last().segments, segmentsPerLap));
        if (best >= 0) {
            const double bestTime = sum(laps[best].segments, segmentsPerLap);
            v.bestLap = formatTime(bestTime);
            v.bestLapNumber = best + 1;
            if (!current.isEmpty()) {
                const int n = int(current.size());
                v.deltaToBest = sum(current, n) - sum(laps[best].segments, n);
                v.predictedLap = formatTime(bestTime + *v.deltaToBest);
            }
        }
        for (int i = qMax(0, int(laps.size()) - LiveView::maxRecentLaps); i < laps.size(); ++i) {
            LiveLap lap;
            lap.lap = i + 1;
            for (int s = 0; s < segmentsPerLap; ++s) {
                const double t = laps[i].segments[s];
                lap.segmentTimes << formatTime(t);
                bool bestInColumn = true;
                for (const Lap &other : laps)
                    bestInColumn = bestInColumn && other.segments[s] >= t;
                lap.bestSegments << bestInColumn;
                lap.improvedSegments << (i > 0 && t < laps[i - 1].segments[s]);
            }
            const double time = sum(laps[i].segments, segmentsPerLap);
            lap.lapTime = formatTime(time);
            lap.bestLapTime = i == best;
            lap.improvedLapTime = i > 0 && time < sum(laps[i - 1].segments, segmentsPerLap);
            lap.flag = laps[i].flag;
            lap.position = laps[i].position;
            lap.traffic = laps[i].traffic;
            v.recentLaps << lap;
        }
        return v;
    }
};

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int shareAt = int(args.indexOf(QStringLiteral("--share")));
    if (shareAt < 0 || shareAt + 1 >= args.size()) {
        std::fprintf(stderr, "usage: live_host --share [ADDRESS:]PORT [--token HEX] [--segments N]\n");
        return 2;
    }
    const QString where = args[shareAt + 1];
    const int colon = int(where.lastIndexOf(u':'));
    const QHostAddress address(colon < 0 ? QStringLiteral("127.0.0.1") : where.left(colon));
    const quint16 port = quint16(where.mid(colon + 1).toUInt());

    ScriptedRace race;
    const int segmentsAt = int(args.indexOf(QStringLiteral("--segments")));
    if (segmentsAt >= 0 && segmentsAt + 1 < args.size())
        race.segmentsPerLap = qBound(1, args[segmentsAt + 1].toInt(), 4);

    LiveTimingServer server;
    const int tokenAt = int(args.indexOf(QStringLiteral("--token")));
    if (tokenAt >= 0 && (tokenAt + 1 >= args.size() || !server.setAccessToken(args[tokenAt + 1].toLatin1()))) {
        std::fprintf(stderr, "--token takes 32 hex digits\n");
        return 2;
    }
    if (!server.start(address, port)) {
        std::fprintf(stderr, "cannot share: %s\n", qPrintable(server.errorString()));
        return 1;
    }
    quint64 sequence = 0;
    auto publish = [&] {
        LiveView view = race.view();
        view.sequence = ++sequence;
        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        server.publish(view);
        std::printf("published %llu %lld\n", static_cast<unsigned long long>(view.sequence),
                    static_cast<long long>(now));
        std::fflush(stdout);
    };
    std::printf("%s\n", qPrintable(server.url().toString()));
    std::fflush(stdout);
    publish();

    QByteArray pending;
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
        char buffer[4096];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n <= 0) {
            app.quit();
            return;
        }
        pending.append(buffer, n);
        qsizetype end;
        while ((end = pending.indexOf('\n')) >= 0) {
            const QString line = QString::fromUtf8(pending.left(end)).trimmed();
            pending.remove(0, end + 1);
            const QString verb = line.section(u' ', 0, 0);
            const QString rest = line.section(u' ', 1);
            if (verb == QLatin1String("press"))
                race.press();
            else if (verb == QLatin1String("flag"))
                race.flag = rest;
            else if (verb == QLatin1String("position"))
                race.position = rest;
            else if (verb == QLatin1String("traffic"))
                race.traffic = rest;
            else if (verb == QLatin1String("finish"))
                race.state = LiveView::State::Finished;
            else if (verb == QLatin1String("new"))
                race = ScriptedRace{LiveView::State::Armed, race.segmentsPerLap};
            else if (verb == QLatin1String("quit")) {
                app.quit();
                return;
            } else
                continue;
            publish();
        }
    });
    return app.exec();
}
