// Cost of sharing the live timing page, in one run: CPU of this process
// (all threads, CLOCK_PROCESS_CPUTIME_ID) while snapshots are made at a
// press-like rate, in three states: not sharing (the snapshot and its JSON
// are still made), sharing with no viewer, and sharing with --viewers
// viewers connected (they run in a child process, so their own CPU is not
// counted); and the time publish() takes (p50, p99, max), which is what the
// caller pays.
//
//   build/bench/bench_share [--seconds 20] [--rate 2] [--viewers 10]

#include "share/LiveTimingServer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QSocketNotifier>
#include <QTimer>
#include <QWebSocket>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <memory>
#include <vector>

using namespace sw;

namespace {

double processCpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

int argValue(const QStringList &args, const QString &name, int fallback)
{
    const int at = int(args.indexOf(name));
    return at >= 0 && at + 1 < args.size() ? args[at + 1].toInt() : fallback;
}

// A race of a few laps with two segments; every snapshot differs a little.
LiveView snapshot(quint64 sequence)
{
    LiveView v;
    v.state = LiveView::State::Running;
    v.sequence = sequence;
    v.clockSeconds = double(sequence) * 30.5;
    v.clockRunning = true;
    v.currentLap = int(sequence / 2) + 1;
    v.segmentsPerLap = 2;
    v.lastLap = QStringLiteral("61.%1").arg(sequence % 1000, 3, 10, QLatin1Char('0'));
    v.bestLap = QStringLiteral("60.912");
    v.bestLapNumber = 3;
    v.deltaToBest = 0.25;
    v.predictedLap = QStringLiteral("61.162");
    v.flag = QStringLiteral("Green");
    v.position = QStringLiteral("4");
    v.traffic = QStringLiteral("Not in Traffic");
    v.title = QStringLiteral("Benchmark race");
    for (int lap = 1; lap <= 10; ++lap) {
        LiveLap l;
        l.lap = lap;
        l.segmentTimes = {QStringLiteral("30.412"), QStringLiteral("30.500")};
        l.lapTime = QStringLiteral("60.912");
        l.bestSegments = {lap == 3, false};
        l.improvedSegments = {false, lap == 4};
        l.flag = v.flag;
        l.position = v.position;
        l.traffic = v.traffic;
        v.recentLaps << l;
    }
    return v;
}

// The child: N viewers that read everything until stdin closes.
int runViewers(const QString &url, int count)
{
    std::vector<std::unique_ptr<QWebSocket>> viewers;
    for (int i = 0; i < count; ++i) {
        viewers.push_back(std::make_unique<QWebSocket>());
        viewers.back()->open(QUrl(url));
    }
    // Ends when the benchmark closes our stdin.
    QSocketNotifier *notifier = new QSocketNotifier(0, QSocketNotifier::Read, qApp);
    QObject::connect(notifier, &QSocketNotifier::activated, [notifier] {
        char c;
        if (std::fread(&c, 1, 1, stdin) != 1) {
            notifier->setEnabled(false);
            QCoreApplication::quit();
        }
    });
    return QCoreApplication::exec();
}

struct Phase
{
    const char *name;
    double cpuPercent = 0;
    std::vector<qint64> publishNs;
};

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int viewAt = int(args.indexOf(QStringLiteral("--view")));
    if (viewAt >= 0 && viewAt + 1 < args.size())
        return runViewers(args[viewAt + 1], argValue(args, QStringLiteral("--count"), 10));

    const int seconds = argValue(args, QStringLiteral("--seconds"), 20);
    const int rate = std::max(1, argValue(args, QStringLiteral("--rate"), 2));
    const int viewerCount = argValue(args, QStringLiteral("--viewers"), 10);

    LiveTimingServer server;
    quint64 sequence = 0;

    auto measure = [&](Phase &phase, bool sharing) {
        QTimer presses;
        presses.setTimerType(Qt::PreciseTimer);
        QObject::connect(&presses, &QTimer::timeout, [&] {
            const LiveView view = snapshot(++sequence);
            QElapsedTimer t;
            t.start();
            if (sharing)
                server.publish(view);
            else
                (void)liveViewJson(view);
            phase.publishNs.push_back(t.nsecsElapsed());
        });
        presses.start(1000 / rate);
        QElapsedTimer wall;
        wall.start();
        const double cpu0 = processCpuSeconds();
        QTimer::singleShot(seconds * 1000, &app, &QCoreApplication::quit);
        app.exec();
        phase.cpuPercent = 100.0 * (processCpuSeconds() - cpu0) / (double(wall.nsecsElapsed()) / 1e9);
    };

    Phase off{"not sharing"}, idle{"sharing, no viewer"}, watched{"sharing, viewers"};
    const QByteArray watchedName = QByteArray("sharing, ") + QByteArray::number(viewerCount) + " viewers";
    measure(off, false);

    if (!server.start(QHostAddress::LocalHost, 0)) {
        std::fprintf(stderr, "cannot listen: %s\n", qPrintable(server.errorString()));
        return 1;
    }
    measure(idle, true);

    QProcess viewers;
    viewers.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    viewers.start(QCoreApplication::applicationFilePath(),
                  {QStringLiteral("--view"), server.url().toString().replace(QStringLiteral("http://"), QStringLiteral("ws://")).replace(QStringLiteral("/?t="), QStringLiteral("/live?t=")),
                   QStringLiteral("--count"), QString::number(viewerCount)});
    QElapsedTimer waited;
    waited.start();
    while (server.viewerCount() < viewerCount && waited.elapsed() < 20000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    if (server.viewerCount() < viewerCount) {
        std::fprintf(stderr, "only %d of %d viewers connected\n", server.viewerCount(), viewerCount);
        return 1;
    }
    watched.name = watchedName.constData();
    measure(watched, true);
    const int connectedAtEnd = server.viewerCount();
    viewers.closeWriteChannel();
    viewers.waitForFinished(5000);

    std::printf("%d s per state, %d snapshots/s, %d viewers (%d still connected at the end)\n",
                seconds, rate, viewerCount, connectedAtEnd);
    std::printf("%-22s %8s %12s %12s %12s\n", "state", "CPU %", "call p50 us", "call p99 us", "call max us");
    for (Phase *p : {&off, &idle, &watched}) {
        std::vector<qint64> ns = p->publishNs;
        std::sort(ns.begin(), ns.end());
        auto at = [&ns](double q) { return ns.empty() ? 0.0 : ns[size_t(q * double(ns.size() - 1))] / 1000.0; };
        std::printf("%-22s %8.3f %12.1f %12.1f %12.1f\n", p->name, p->cpuPercent, at(0.5), at(0.99),
                    ns.empty() ? 0.0 : ns.back() / 1000.0);
    }
    std::printf("sharing with viewers costs %+.3f %% of one core over not sharing\n",
                watched.cpuPercent - off.cpuPercent);
    return 0;
}
