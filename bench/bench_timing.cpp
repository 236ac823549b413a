// Timing benchmark: the real main window with the real SteadyHiTime on a real
// event loop, a race running.
//
// One run measures, in this order:
//   1. CPU of the whole process (all threads) over --seconds with the window
//      shown, then minimised, then hidden (unmapped), the race running and
//      nothing else to do; with the timer events, the clock repaints and the
//      voluntary context switches (wake-ups) per second;
//   2. the reading error of F2 presses sent at known monotonic times through
//      the real key routing (event filter, handleTimingKey, the F2 step),
//      while a second thread keeps one core busy: p50 / p99 / max against
//      the true time since arming; once without the crash journal and once
//      with it (its writer thread syncing to a temporary folder), with the
//      program's own CPU (the busy thread's taken out) during each; then,
//      journal on, twice more with the race shared on the live timing page
//      on loopback: with no viewer, and with --viewers viewers (default 10,
//      in a child process) reading every snapshot.
//   3. the reading error of F2 presses that reach the program late: the key
//      carries the time stamp of its key-down (event clock: whole ms), then
//      the event loop is blocked for 100..200 ms before it is handled, or a
//      zoom key (Ctrl++ / Ctrl+-) is handled first; with how long each zoom
//      step took.
//
//   build/bench/bench_timing [--seconds S] [--presses N] [--viewers N] [--no-load]
//
// Needs a display where minimising and hiding mean something: run it under
// xvfb-run -a; with QT_QPA_PLATFORM=offscreen it runs as well.

#include "files/FileState.h"
#include "app/MainWindow.h"
#include "live/PitBoard.h"
#include "charts/RaceAnalysisLink.h"
#include "charts/RaceAnalysisWindow.h"
#include "app/Startup.h"
#include "app/WindowZoom.h"
#include "timing/HiTime.h"
#include "app/Recovery.h"
#include "document/FileCommands.h"
#include "journal/RaceRecorder.h"
#include "race/Race.h"
#include "share/LiveSharing.h"
#include "share/LiveTimingServer.h"
#include "ui/Prompts.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QSocketNotifier>
#include <QWebSocket>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QLabel>
#include <QTest>
#include <QTimer>

#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <random>
#include <thread>
#include <vector>

using namespace sw;

namespace {

// CPU time of the whole process, every thread, in seconds.
double processCpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec + ts.tv_nsec / 1e9;
}

long voluntarySwitches()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_nvcsw;
}

double percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const size_t i = std::min(v.size() - 1, static_cast<size_t>(std::ceil(p * v.size())) - 1);
    return v[i];
}

// Runs the event loop (idle: blocked in poll between events) for ms.
void idleFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

// Runs the event loop until the monotonic clock reaches t (ns), then spins
// the last stretch so the press goes out at t to within microseconds.
void waitUntil(const SteadyClock &clock, std::int64_t t)
{
    const std::int64_t early = t - 3000000;
    if (clock.nowNs() < early)
        idleFor(static_cast<int>((early - clock.nowNs()) / 1000000));
    while (clock.nowNs() < t)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 0);
}

// Counts the repaints of one widget.
class PaintCounter : public QObject
{
public:
    int paints = 0;
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

// The moment of the first paint of a watched label after it was armed.
struct FirstPaint : QObject
{
    const SteadyClock &clock;
    std::int64_t paintedNs = -1;
    bool armed = false;
    explicit FirstPaint(const SteadyClock &c) : clock(c) {}
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (armed && e->type() == QEvent::Paint && paintedNs < 0)
            paintedNs = clock.nowNs();
        return false;
    }
};
// The child of --viewers: that many page viewers on the live link that read
// everything until stdin closes (in a process of their own, so their CPU is
// not the program's).
int runViewers(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString url = QString::fromUtf8(argv[2]);
    const int count = std::atoi(argv[3]);
    std::vector<std::unique_ptr<QWebSocket>> viewers;
    for (int i = 0; i < count; ++i) {
        viewers.push_back(std::make_unique<QWebSocket>());
        viewers.back()->open(QUrl(url));
    }
    QSocketNotifier notifier(0, QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, [&notifier] {
        char c;
        if (std::fread(&c, 1, 1, stdin) != 1) {
            notifier.setEnabled(false);
            QCoreApplication::quit();
        }
    });
    return app.exec();
}

struct Phase
{
    const char *name;
    double cpuPercent;
    double eventsPerSecond;
    double paintsPerSecond;
    double wakeupsPerSecond;
    QString clockBefore, clockAfter;
};

} // namespace

int main(int argc, char **argv)
{
    if (argc == 4 && QByteArray(argv[1]) == "--viewer-child")
        return runViewers(argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    chooseDisplayTransport(); // as the program does
    QApplication app(argc, argv);

    double seconds = 30;
    int presses = 20;
    int deltaPresses = 20;
    int viewerCount = 10;
    bool load = true;
    for (int i = 1; i < argc; ++i) {
        const QByteArray a = argv[i];
        if (a == "--seconds" && i + 1 < argc)
            seconds = std::atof(argv[++i]);
        else if (a == "--presses" && i + 1 < argc)
            presses = std::clamp(std::atoi(argv[++i]), 1, 40); // four runs and the late presses fit 250 laps
        else if (a == "--delta-presses" && i + 1 < argc)
            deltaPresses = std::atoi(argv[++i]);
        else if (a == "--viewers" && i + 1 < argc)
            viewerCount = std::atoi(argv[++i]);
        else if (a == "--no-load")
            load = false;
    }

    Race race;
    FileState files;
    TimerCalibration calibration{1, 1000.0};
    ScriptedPrompts prompts;
    SteadyClock clock;
    SteadyHiTime hiTime(clock);
    // The race is armed with its journal; the first press phase runs with the
    // journal's recorder suspended, the second with it on.
    QTemporaryDir journalDir;
    RaceJournal journal(journalDir.path());
    RaceRecorder recorder(race, journal, [&] {
        JournalArm arm;
        arm.monotonicNs = hiTime.startNs();
        arm.ticksPerSecond = calibration.ticksPerSecond;
        arm.timerIntervalMs = calibration.intervalMs;
        return arm;
    });
    MainWindow w(race, files, prompts, hiTime, calibration);
    w.setJournal(&journal);
    w.fileCommands().endProgram = [] {};
    w.loadWindow();
    w.show();
    if (!QTest::qWaitForWindowExposed(&w, 5000))
        std::printf("(window not reported exposed)\n");
    w.ui.timingFocusHolder->setFocus();

    int events = 0;
    QObject::connect(&hiTime, &HiTime::Timer, &w, [&events](int) { ++events; });
    PaintCounter paints;
    w.ui.segmentClock->installEventFilter(&paints);

    // Arm, start the race a little later: the clocks run from here on. The
    // readings count from the instant the program armed its count, which the
    // F12 step took from the clock itself.
    QTest::keyClick(w.ui.timingFocusHolder, Qt::Key_F12);
    const std::int64_t armNs = hiTime.startNs();
    waitUntil(clock, armNs + 1100000000);
    QTest::keyClick(w.ui.timingFocusHolder, Qt::Key_F2);
    idleFor(500);

    const auto measure = [&](const char *name) {
        const QString before = w.ui.raceClock->text();
        const int e0 = events, p0 = paints.paints;
        const long s0 = voluntarySwitches();
        const std::int64_t t0 = clock.nowNs();
        const double c0 = processCpuSeconds();
        idleFor(static_cast<int>(seconds * 1000));
        const double wall = (clock.nowNs() - t0) / 1e9;
        const double cpu = processCpuSeconds() - c0;
        return Phase{name,
                     cpu / wall * 100.0,
                     (events - e0) / wall,
                     (paints.paints - p0) / wall,
                     (voluntarySwitches() - s0) / wall,
                     before,
                     w.ui.raceClock->text()};
    };

    std::vector<Phase> phases;
    phases.push_back(measure("shown"));
    // The pit board open beside the window (on the same screen when there
    // is only one), the window still shown.
    w.togglePitBoard();
    idleFor(300);
    phases.push_back(measure("+ pit board"));
    w.togglePitBoard();
    idleFor(300);
    // View > "Race Analysis" open beside the window.
    w.analysis().open();
    idleFor(300);
    phases.push_back(measure("+ race analysis"));
    if (w.analysis().window())
        w.analysis().window()->close();
    idleFor(300);
    w.showMinimized();
    idleFor(300);
    phases.push_back(measure("minimised"));
    w.showNormal();
    idleFor(300);
    w.hide();
    idleFor(300);
    phases.push_back(measure("hidden"));
    w.show();
    (void)QTest::qWaitForWindowExposed(&w, 5000);
    idleFor(300);
    const QString clockShownAgain = w.ui.raceClock->text();
    const double trueShownAgain = (clock.nowNs() - armNs) / 1e9;

    // Presses 1.05 to 1.6 s apart at known times, with one core kept busy.
    struct PressRun
    {
        int accepted = 0;
        double p50 = 0, p99 = 0, max = 0, cpuPercent = 0;
    };
    const auto pressRun = [&](bool withJournal) {
        recorder.setSuspended(!withJournal);
        std::atomic<bool> stop{false};
        std::atomic<double> burnerCpu{0};
        std::thread burner;
        if (load) {
            burner = std::thread([&stop, &burnerCpu] {
                volatile double x = 0;
                while (!stop.load(std::memory_order_relaxed))
                    x = x * 1.0000001 + 1;
                timespec ts{};
                clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
                burnerCpu = ts.tv_sec + ts.tv_nsec / 1e9;
            });
        }
        std::mt19937 rng(42);
        std::uniform_real_distribution<double> gap(1.05, 1.6);
        std::vector<double> errorsMs;
        const int lapsBefore = race.currentLap();
        const double cpu0 = processCpuSeconds();
        const std::int64_t wall0 = clock.nowNs();
        std::int64_t t = clock.nowNs() + 1100000000;
        for (int i = 0; i < presses; ++i) {
            waitUntil(clock, t);
            const std::int64_t sent = clock.nowNs();
            QTest::keyClick(w.ui.timingFocusHolder, Qt::Key_F2);
            const double stored = race.lastPressReading();
            const double truth = (sent - armNs) / 1e9;
            errorsMs.push_back(std::abs(stored - truth) * 1e3);
            // From the moment it went out: a press delayed by the load must
            // not bring the next within the one-second debounce.
            t = sent + static_cast<std::int64_t>(gap(rng) * 1e9);
        }
        idleFor(200); // the journal's writer catches up
        stop = true;
        if (burner.joinable())
            burner.join();
        const double wall = (clock.nowNs() - wall0) / 1e9;
        PressRun r;
        r.accepted = race.currentLap() - lapsBefore;
        r.p50 = percentile(errorsMs, 0.50);
        r.p99 = percentile(errorsMs, 0.99);
        r.max = percentile(errorsMs, 1.0);
        // The busy loop spins the whole time, waitUntil's last stretch too.
        r.cpuPercent = (processCpuSeconds() - cpu0 - burnerCpu) / wall * 100.0;
        return r;
    };
    const PressRun without = pressRun(false);
    const PressRun with = pressRun(true);

    // From a press to the delta painted, in the window and on the pit board:
    // the key is sent, then the event loop runs until both labels painted
    // the new delta (each lap is one segment here, so each press gives one).
    w.togglePitBoard();
    idleFor(300);
    FirstPaint windowDelta(clock), boardDelta(clock);
    w.ui.liveFigureValues[MainWindowControls::DeltaFigure]->installEventFilter(&windowDelta);
    w.pitBoard()->deltaLabel()->installEventFilter(&boardDelta);
    std::vector<double> toWindowMs, toBoardMs;
    {
        std::mt19937 rng(7);
        std::uniform_real_distribution<double> gap(1.05, 1.6);
        std::int64_t t = clock.nowNs() + 1100000000;
        for (int i = 0; i < deltaPresses; ++i) {
            waitUntil(clock, t);
            windowDelta.paintedNs = boardDelta.paintedNs = -1;
            windowDelta.armed = boardDelta.armed = true;
            const std::int64_t sent = clock.nowNs();
            QTest::keyClick(w.ui.timingFocusHolder, Qt::Key_F2);
            while ((windowDelta.paintedNs < 0 || boardDelta.paintedNs < 0) && clock.nowNs() - sent < 500000000)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            if (windowDelta.paintedNs >= 0)
                toWindowMs.push_back((windowDelta.paintedNs - sent) / 1e6);
            if (boardDelta.paintedNs >= 0)
                toBoardMs.push_back((boardDelta.paintedNs - sent) / 1e6);
            windowDelta.armed = boardDelta.armed = false;
            t = sent + static_cast<std::int64_t>(gap(rng) * 1e9);
        }
    }
    w.togglePitBoard();
    // The same with the race shared on loopback: first with no viewer, then
    // with viewers in a child process reading every snapshot.
    LiveSharing &sharing = w.sharing();
    if (!sharing.start(QHostAddress(QHostAddress::LocalHost), 0)) {
        std::fprintf(stderr, "cannot share: %s\n", qPrintable(sharing.errorString()));
        return 1;
    }
    const PressRun sharedNoViewer = pressRun(true);
    QProcess viewers;
    viewers.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QString live = sharing.server().url().toString();
    live.replace(QStringLiteral("http://"), QStringLiteral("ws://")).replace(QStringLiteral("/?t="), QStringLiteral("/live?t="));
    viewers.start(QCoreApplication::applicationFilePath(),
                  {QStringLiteral("--viewer-child"), live, QString::number(viewerCount)});
    QElapsedTimer waited;
    waited.start();
    while (sharing.viewerCount() < viewerCount && waited.elapsed() < 20000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    const int viewersConnected = sharing.viewerCount();
    const PressRun sharedViewers = pressRun(true);
    const int viewersAtEnd = sharing.viewerCount();
    viewers.closeWriteChannel();
    viewers.waitForFinished(5000);
    sharing.stop();
    // Late keys: prompt keys first teach the offset between the clocks.
    const std::int64_t eventBaseMs = clock.nowNs() / 1000000 - 12345; // the event clock's zero
    const auto stampOf = [&](std::int64_t ns) { return quint64(ns / 1000000 - eventBaseMs); };
    const auto deliverF2 = [&](quint64 stamp) {
        for (QEvent::Type type : {QEvent::ShortcutOverride, QEvent::KeyPress}) {
            QKeyEvent e(type, Qt::Key_F2, Qt::NoModifier);
            e.setTimestamp(stamp);
            QCoreApplication::sendEvent(w.ui.timingFocusHolder, &e);
        }
    };
    std::mt19937 lateRng(7);
    std::uniform_int_distribution<int> stallMs(100, 200);
    std::vector<double> stallErrorsMs, zoomErrorsMs, zoomStepMs;
    std::int64_t next = clock.nowNs() + 1100000000;
    const int latePresses = std::min(presses, 30); // of each kind: 250 laps in all
    // Room for every zoom step, whatever screen the platform reports.
    w.zoom().setScreenSize(QSize(4000, 3000));
    w.zoom().apply();
    for (int i = 0; i < 3 * latePresses; ++i) {
        waitUntil(clock, next);
        const std::int64_t down = clock.nowNs();
        const int kind = i % 3; // 0 prompt, 1 stalled, 2 behind a zoom key
        if (kind == 1) {
            waitUntil(clock, down + stallMs(lateRng) * std::int64_t(1000000));
        } else if (kind == 2) {
            const std::int64_t z0 = clock.nowNs();
            // Up to 200 % and back down, a step at a time.
            const bool in = (i / 3) % 8 < 4;
            (in ? w.ui.zoomInAction : w.ui.zoomOutAction)->trigger();
            zoomStepMs.push_back((clock.nowNs() - z0) / 1e6);
        }
        deliverF2(stampOf(down));
        const double errorMs = std::abs(race.lastPressReading() - (down - armNs) / 1e9) * 1e3;
        if (kind == 1)
            stallErrorsMs.push_back(errorMs);
        else if (kind == 2)
            zoomErrorsMs.push_back(errorMs);
        next = clock.nowNs() + 1100000000;
    }

    std::printf("Splitwatch timing benchmark (platform %s, TimerInterval 1 ms)\n",
                qPrintable(QGuiApplication::platformName()));
    std::printf("\nRace running, %.0f s per state, nothing else to do:\n", seconds);
    std::printf("  %-10s %12s %14s %14s %14s\n", "window", "CPU % core", "timer ev./s", "clock paints/s",
                "wake-ups/s");
    for (const Phase &p : phases)
        std::printf("  %-10s %12.3f %14.1f %14.1f %14.1f   race clock %s -> %s\n", p.name, p.cpuPercent,
                    p.eventsPerSecond, p.paintsPerSecond, p.wakeupsPerSecond, qPrintable(p.clockBefore),
                    qPrintable(p.clockAfter));
    std::printf("  shown again: race clock %s, true time %.3f s\n", qPrintable(clockShownAgain), trueShownAgain);
    std::printf("\nReadings of %d presses each (%s):\n", presses,
                load ? "one core kept busy by a second thread" : "no load of its own");
    std::printf("  %-20s %9s %10s %10s %10s %18s\n", "journal, sharing", "accepted", "p50 ms", "p99 ms", "max ms",
                "CPU % (own, spin)");
    const QByteArray watchedName = "on, " + QByteArray::number(viewersConnected) + " viewers";
    for (const auto &[name, r] : {std::pair{"off", without}, std::pair{"on", with},
                                  std::pair{"on, shared", sharedNoViewer},
                                  std::pair{watchedName.constData(), sharedViewers}})
        std::printf("  %-20s %9d %10.4f %10.4f %10.4f %18.2f\n", name, r.accepted, r.p50, r.p99, r.max,
                    r.cpuPercent);
    std::printf("  shared: on loopback, %d of %d viewers connected before and %d after the run; "
                "%llu snapshots published\n",
                viewersConnected, viewerCount, viewersAtEnd, static_cast<unsigned long long>(sharing.publishedCount()));
    std::printf("  journal syncs %lld, entries settled %lld, overflows %lld\n",
                static_cast<long long>(journal.writer().syncCount()),
                static_cast<long long>(journal.writer().settledCount()),
                static_cast<long long>(journal.writer().overflowCount()));
    std::printf("\nPress to delta painted, %d presses (pit board open):\n", deltaPresses);
    std::printf("  %-16s %9s %10s %10s %10s %10s\n", "where", "painted", "p50 ms", "p90 ms", "p99 ms", "max ms");
    for (auto &[name, v] : {std::pair{"window", toWindowMs}, std::pair{"pit board", toBoardMs}})
        std::printf("  %-16s %9zu %10.3f %10.3f %10.3f %10.3f\n", name, v.size(), percentile(v, 0.50),
                    percentile(v, 0.90), percentile(v, 0.99), percentile(v, 1.0));
    std::printf("\nLate presses (%d each), reading against the key-down:\n", latePresses);
    std::printf("  %-26s %10s %10s %10s\n", "", "p50 ms", "p99 ms", "max ms");
    for (const auto &[name, v] : {std::pair{"after a 100-200 ms stall", &stallErrorsMs},
                                  std::pair{"behind a zoom key", &zoomErrorsMs}, std::pair{"zoom step itself", &zoomStepMs}})
        std::printf("  %-26s %10.3f %10.3f %10.3f\n", name, percentile(*v, 0.50), percentile(*v, 0.99),
                    percentile(*v, 1.0));
    std::printf("\nGoals: shown <= 1 %%, with the pit board or the race analysis <= 2 %%, hidden <= 0.1 %% of a core; p99 <= 0.1 ms\n"
                "(shared: 0.05 ms), max <= 1 ms; shared with 10 viewers at most 1 %% above not shared; delta\n"
                "painted <= 20 ms; late presses within 2 ms.\n");
    return 0;
}
