// Time of the race analysis window on a 250-lap race of 4 segments:
//   open:  build the window, hand it the race, show it and paint it once;
//   live:  one more lap after a press, through the whole race from lap 1 to
//          250 with the window open as while timing: the race made into a
//          series, handed to the window, and what changed painted (all on
//          the UI thread); the updates that moved the chart's scale are
//          counted and shown apart;
//   whole: the same from lap 200 on, with the whole chart painted each time.
// Each is repeated and the median and largest CPU time of the UI thread
// shown (wall-clock time would count other programs on a busy machine),
// and for the live race the slowest lap by the median of its update over
// the races, which a spike of the machine during one race does not move;
// --repeats N opens N windows and times a live race for every 20. With --screenshots DIR
// it also writes the pictures of the README: the race at 1920 x 1080, two
// races compared, and the chart as SVG.

#include "analysis/RecordSeries.h"
#include "charts/AnalysisChartView.h"
#include "charts/RaceAnalysisWindow.h"
#include "files/LapFile.h"
#include "printing/SystemPrinterSource.h"
#include "ui/Prompts.h"

#include <QApplication>
#include <QChart>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QValueAxis>

#include <time.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <random>
#include <vector>

using namespace sw;

namespace {

// An endurance race: laps of about base seconds that grow slower as the tyres
// wear, pit stops (about 60 s lost) on the listed laps, a yellow-flag spell
// of four slow laps, some laps in traffic, the position drifting.
std::unique_ptr<StoredRace> enduranceRace(unsigned seed, int laps, double base,
                                          std::vector<int> stops, int yellowFrom)
{
    auto rec = std::make_unique<StoredRace>();
    rec->segmentsPerLap = 4;
    rec->lastLap = laps;
    std::mt19937 random(seed);
    std::normal_distribution<double> noise(0.0, 0.35);
    std::uniform_int_distribution<int> die(0, 19);
    const double share[4] = {0.22, 0.28, 0.24, 0.26};
    double clock = 3.0;
    rec->cells.rows[0][4].set(clock);
    int lapsOnTyres = 0;
    int position = 8;
    for (int lap = 1; lap <= laps; ++lap) {
        const bool stop = std::find(stops.begin(), stops.end(), lap) != stops.end();
        const bool yellow = lap >= yellowFrom && lap < yellowFrom + 4;
        const int roll = die(random);
        const int traffic = roll < 2 ? 2 : roll < 5 ? 1 : 0;
        double lapTime = base + 0.04 * lapsOnTyres + noise(random) + (lap == 1 ? 6.0 : 0.0);
        if (traffic == 1)
            lapTime += 0.6;
        if (traffic == 2)
            lapTime += 1.8;
        if (yellow)
            lapTime *= 1.6;
        if (stop)
            lapTime += 60.0;
        ++lapsOnTyres;
        if (stop)
            lapsOnTyres = 0;
        for (int s = 1; s <= 4; ++s) {
            clock += lapTime * share[s - 1];
            rec->cells.rows[size_t(lap)][size_t(s)].set(std::round(clock * 1000) / 1000);
        }
        if (roll == 0 && position > 0)
            --position;
        if (roll == 19 && position < 20)
            ++position;
        rec->cells.rows[size_t(lap)][RaceRecordCells::FlagColumn].set(yellow ? 1 : 0);
        rec->cells.rows[size_t(lap)][RaceRecordCells::PositionColumn].set(position);
        rec->cells.rows[size_t(lap)][RaceRecordCells::TrafficColumn].set(traffic);
    }
    return rec;
}

// CPU time of this (the UI) thread in milliseconds: what the work costs the
// thread, whatever else the machine's cores are busy with.
double threadMs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

struct Figures
{
    double median, p99, largest;
    size_t over5; // how many took more than 5 ms
};

Figures figures(std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    const size_t over = size_t(ms.end() - std::upper_bound(ms.begin(), ms.end(), 5.0));
    return {ms[ms.size() / 2], ms[std::min(ms.size() - 1, ms.size() * 99 / 100)], ms.back(), over};
}

// What the event loop does next: lay out, and paint what changed.
void settle()
{
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

// The whole chart painted again, changed or not.
void repaintAll(RaceAnalysisWindow &w)
{
    settle();
    w.chartView()->viewport()->repaint();
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QString shots;
    int repeats = 20;
    bool trace = false; // --trace: each live update's time and scale
    for (int i = 1; i < argc; ++i) {
        const QByteArray a = argv[i];
        if (a == "--screenshots" && i + 1 < argc)
            shots = QString::fromLocal8Bit(argv[++i]);
        else if (a == "--trace")
            trace = true;
        else if (a == "--repeats" && i + 1 < argc)
            repeats = std::max(1, std::atoi(argv[++i]));
    }

    QTemporaryDir dir;
    QSettings settings(dir.filePath(QStringLiteral("bench.ini")), QSettings::IniFormat);
    ScriptedPrompts prompts;
    SystemPrinterSource printers;
    std::unique_ptr<StoredRace> rec = enduranceRace(7, 250, 92.0, {84, 168}, 40);
    // The race as the program holds it, cut at a given number of laps (the
    // race of a live update; loading it is not part of the update).
    Race race;
    const auto raceOfLaps = [&](int laps) -> const Race & {
        rec->lastLap = laps;
        race.load(*rec);
        return race;
    };
    const LapSeries full = lapSeriesFromRace(raceOfLaps(250), QStringLiteral("endurance-2026.lap"), LapFilter::AllLaps);

    std::vector<double> open;
    for (int i = 0; i < repeats; ++i) {
        const double t = threadMs();
        RaceAnalysisWindow w(prompts, printers, settings);
        w.resize(1280, 800);
        w.setLiveSeries(full);
        w.show();
        repaintAll(w);
        open.push_back(threadMs() - t);
    }

    // Live: the race grows from its first lap to its last, one lap a press,
    // as many times as asked (at least once).
    std::vector<double> live;
    std::vector<double> liveCall;
    std::vector<double> moved;
    std::vector<double> liveFull;
    std::vector<std::vector<double>> byLap(250); // each lap's update, one time a race
    const int races = std::max(1, repeats / 20);
    for (int run = 0; run < races; ++run) {
        RaceAnalysisWindow w(prompts, printers, settings);
        w.resize(1280, 800);
        w.setTiming(true); // as the main window has it while the race is timed
        LapSeries armed; // the race armed, no lap yet
        armed.name = QStringLiteral("endurance-2026.lap");
        armed.segmentsPerLap = 4;
        w.setLiveSeries(armed);
        w.show();
        repaintAll(w);
        QValueAxis *x = static_cast<QValueAxis *>(w.chart()->axes(Qt::Horizontal).front());
        QValueAxis *y = static_cast<QValueAxis *>(w.chart()->axes(Qt::Vertical).front());
        for (int laps = 1; laps <= 250; ++laps) {
            const Race &now = raceOfLaps(laps);
            const QRectF scale(x->min(), y->min(), x->max() - x->min(), y->max() - y->min());
            const double t = threadMs();
            const LapSeries s = lapSeriesFromRace(now, QStringLiteral("endurance-2026.lap"), LapFilter::AllLaps);
            w.setLiveSeries(s);
            liveCall.push_back(threadMs() - t);
            settle();
            live.push_back(threadMs() - t);
            byLap[size_t(laps - 1)].push_back(live.back());
            if (scale != QRectF(x->min(), y->min(), x->max() - x->min(), y->max() - y->min()))
                moved.push_back(live.back());
            if (trace)
                std::printf("lap %d %.2f ms (call %.2f) x %g-%g y %g-%g\n", laps, live.back(), liveCall.back(), x->min(), x->max(), y->min(), y->max());
        }
        // The same, with the whole chart painted each time.
        for (int laps = 200; laps <= 250; ++laps) {
            const Race &now = raceOfLaps(laps);
            const double t = threadMs();
            w.setLiveSeries(lapSeriesFromRace(now, QStringLiteral("endurance-2026.lap"), LapFilter::AllLaps));
            repaintAll(w);
            liveFull.push_back(threadMs() - t);
        }
    }
    RaceAnalysisWindow w(prompts, printers, settings);
    w.resize(1280, 800);
    w.show();
    raceOfLaps(250);

    const Figures o = figures(open);
    const Figures c = figures(liveCall);
    const Figures l = figures(live);
    const Figures whole = figures(liveFull);
    const Figures m = figures(moved);
    std::printf("Race analysis window, 250 laps x 4 segments (%d opens, %d live races)\n", repeats, races);
    std::printf("  open (build, set race, show, first paint)        median %7.2f ms  max %7.2f ms  goal <= 100 ms\n",
                o.median, o.largest);
    std::printf("  live update: series made and setLiveSeries       median %7.2f ms  max %7.2f ms\n", c.median,
                c.largest);
    std::printf("  live update: the same and what changed painted   median %7.2f ms  max %7.2f ms  goal <= 5 ms\n",
                l.median, l.largest);
    std::printf("    p99 %.2f ms; %zu of %zu updates over 5 ms\n", l.p99, l.over5, live.size());
    // A lap's own cost, robust to the machine's spikes: the median of its
    // update over the races; the slowest lap by that measure.
    int slowestLap = 1;
    double slowest = 0;
    for (size_t i = 0; i < byLap.size(); ++i) {
        const double median = figures(byLap[i]).median;
        if (median > slowest) {
            slowest = median;
            slowestLap = int(i) + 1;
        }
    }
    std::printf("    slowest lap, median over the %d races: lap %d, %.2f ms\n", races, slowestLap, slowest);
    std::printf("    of which %zu a race moved the scale             median %7.2f ms  max %7.2f ms\n",
                moved.size() / size_t(races), m.median, m.largest);
    std::printf("  live update from lap 200, whole chart painted     median %7.2f ms  max %7.2f ms\n",
                whole.median, whole.largest);

    if (shots.isEmpty())
        return 0;
    QDir().mkpath(shots);
    // Laps counted under "Green flag only": the yellow-flag laps are hollow.
    w.setLiveSeries(lapSeriesFromRace(race, QStringLiteral("endurance-2026.lap"), LapFilter::GreenOnly));
    w.setColouring(GraphColouring::Traffic);
    w.setSelectedLap(120);
    w.resize(1920, 1080);
    repaintAll(w);
    w.grab().save(QDir(shots).filePath(QStringLiteral("analysis-250-laps.png")));
    QString error;
    w.saveChartTo(QDir(shots).filePath(QStringLiteral("analysis-chart.svg")), &error);

    // Last year's race from its file, beside this one.
    std::unique_ptr<StoredRace> lastYear = enduranceRace(11, 236, 93.4, {70, 150}, 200);
    const QString path = dir.filePath(QStringLiteral("endurance-2025.lap"));
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(writeLapFile(*lastYear, std::nullopt, QLatin1Char('.')));
    f.close();
    w.setColouring(GraphColouring::Flag);
    w.setSelectedLap(0);
    w.addRaceFile(path);
    w.setAlignment(Alignment::RaceTime);
    w.resize(1600, 900);
    repaintAll(w);
    w.grab().save(QDir(shots).filePath(QStringLiteral("analysis-two-races.png")));
    std::printf("screenshots written to %s\n", qPrintable(shots));
    return 0;
}
