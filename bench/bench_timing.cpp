// Timing accuracy benchmark: the real recording path (main window, key
// routing, handleTimingKey, the F2 step) on a real event loop with the real
// HiTime, while another thread keeps a core busy.
//
// F2 presses are sent at known monotonic times; each stored reading is
// compared with the true time since arming. Prints the reading error
// (p50 / p99 / max, ms), the drift over the run and over a long simulated
// race, timer events delivered per second, and CPU use while armed.
//
//   build/bench/bench_timing [--presses N] [--idle SECONDS] [--no-load]

#include "state/AppState.h"
#include "app/MainWindow.h"
#include "timing/HiTime.h"
#include "ui/Prompts.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <random>
#include <thread>
#include <vector>

using namespace sw;

namespace {

double threadCpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_THREAD, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

double percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const size_t i = std::min(v.size() - 1, static_cast<size_t>(std::ceil(p * v.size())) - 1);
    return v[i];
}

// Runs the event loop until the monotonic clock reaches t (ns), then spins
// the last stretch so the press goes out at t to within microseconds.
void waitUntil(const SteadyClock &clock, std::int64_t t)
{
    const std::int64_t early = t - 3000000;
    if (clock.nowNs() < early) {
        QEventLoop loop;
        QTimer::singleShot(static_cast<int>((early - clock.nowNs()) / 1000000), Qt::PreciseTimer, &loop,
                           &QEventLoop::quit);
        loop.exec();
    }
    while (clock.nowNs() < t)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 0);
}

// Drift of the tick accounting over a long race on a hand-driven clock,
// with events arriving late by random amounts: the race clock against the
// true elapsed time after `hours`.
double simulatedDriftMs(double hours)
{
    ManualClock clock;
    ManualHiTime timer(clock);
    qint64 ticks = 0;
    QObject::connect(&timer, &HiTime::Timer, &timer, [&ticks](int overrun) { ticks += 1 + overrun; });
    timer.setInterval(1);
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> late(0.2, 40.0);
    const double totalMs = hours * 3600e3;
    double ms = 0;
    while (ms < totalMs) {
        const double step = late(rng);
        timer.advanceLateMs(step);
        ms += step;
    }
    ticks += timer.catchUp();
    return ticks - std::floor(ms + 1e-6); // ms of race clock minus true ms
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    int presses = 60;
    double idleSeconds = 10;
    bool load = true;
    for (int i = 1; i < argc; ++i) {
        const QByteArray a = argv[i];
        if (a == "--presses" && i + 1 < argc)
            presses = std::atoi(argv[++i]);
        else if (a == "--idle" && i + 1 < argc)
            idleSeconds = std::atof(argv[++i]);
        else if (a == "--no-load")
            load = false;
    }

    std::atomic<bool> stop{false};
    std::thread burner;
    if (load) {
        burner = std::thread([&stop] {
            volatile double x = 0;
            while (!stop.load(std::memory_order_relaxed))
                x = x * 1.0000001 + 1;
        });
    }

    AppState state;
    ScriptedPrompts prompts;
    SteadyClock clock;
    SteadyHiTime hiTime(clock);
    state.rec.TimerInterval = 1;
    state.rec.TicksPerSecond = 1000.0;
    MainWindow w(state, prompts, hiTime);
    w.endProgram = [] {};
    w.loadWindow();
    w.show();
    w.ui.timingFocusHolder->setFocus();

    int events = 0;
    QObject::connect(&hiTime, &HiTime::Timer, &w, [&events](int) { ++events; });

    // Arm, then stay idle to measure CPU use and event delivery.
    const std::int64_t armNs = clock.nowNs();
    QTest::keyClick(w.ui.timingFocusHolder, Qt::Key_F12);
    const double cpu0 = threadCpuSeconds();
    const std::int64_t idleEnd = armNs + static_cast<std::int64_t>(idleSeconds * 1e9);
    waitUntil(clock, idleEnd);
    const double idleWall = (clock.nowNs() - armNs) / 1e9;
    const double cpuArmed = (threadCpuSeconds() - cpu0) / idleWall * 100.0;
    const double eventsPerSecond = events / idleWall;
    const double ticksPerSecond = (state.rec.TickCount + hiTime.catchUp()) / idleWall;

    // Presses 1.05 to 1.6 s apart at known times.
    std::mt19937 rng(42);
    std::uniform_real_distribution<double> gap(1.05, 1.6);
    std::vector<double> errorsMs;
    std::vector<double> signedMs;
    std::int64_t t = idleEnd + 500000000;
    for (int i = 0; i < presses; ++i) {
        waitUntil(clock, t);
        const std::int64_t sent = clock.nowNs();
        QTest::keyClick(w.ui.timingFocusHolder, Qt::Key_F2);
        const RaceRecord &r = state.rec;
        const double stored = r.LastKeyTime;
        const double truth = (sent - armNs) / 1e9;
        signedMs.push_back((stored - truth) * 1e3);
        errorsMs.push_back(std::abs(stored - truth) * 1e3);
        t += static_cast<std::int64_t>(gap(rng) * 1e9);
    }
    const double runHours = (clock.nowNs() - armNs) / 3.6e12;
    const double driftRunMs = signedMs.empty() ? 0 : signedMs.back() - signedMs.front();

    stop = true;
    if (burner.joinable())
        burner.join();

    const double recorded = state.rec.CurLap > 0 ? state.rec.CurLap - 1 : 0;
    std::printf("Splitwatch timing benchmark (%s, 1 ms HiTime, %d presses)\n",
                load ? "one core kept busy by a second thread" : "no load of its own", presses);
    std::printf("  presses accepted          %.0f of %d\n", recorded + 1, presses);
    std::printf("  reading error p50         %.3f ms\n", percentile(errorsMs, 0.50));
    std::printf("  reading error p99         %.3f ms\n", percentile(errorsMs, 0.99));
    std::printf("  reading error max         %.3f ms\n", percentile(errorsMs, 1.0));
    std::printf("  drift over this run       %+.3f ms in %.4f h\n", driftRunMs, runHours);
    std::printf("  drift, simulated 24 h     %+.3f ms (late events, tick accounting)\n",
                simulatedDriftMs(24));
    std::printf("  timer events per second   %.1f (ticks counted per second: %.1f)\n",
                eventsPerSecond, ticksPerSecond);
    std::printf("  CPU while armed           %.2f %% of one core\n", cpuArmed);
    return 0;
}
