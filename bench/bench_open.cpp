// Opening a full race through File > Open: a 250-lap, 4-segment lap-time file
// read, handed to the race and shown in the editing face (grid, statistics,
// graph), on the offscreen platform. Prints the median and the slowest of
// the runs in milliseconds.
//
//   build/bench/bench_open [--runs N]

#include "app/MainWindow.h"
#include "document/FileCommands.h"
#include "files/FileIo.h"
#include "files/FileState.h"
#include "files/LapFile.h"
#include "race/Race.h"
#include "timing/HiTime.h"
#include "ui/Prompts.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace sw;

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int runs = 50;
    for (int i = 1; i + 1 < argc; ++i)
        if (QByteArray(argv[i]) == "--runs")
            runs = std::max(1, std::atoi(argv[++i]));

    // A full race: 250 laps of four segments, conditions changing.
    StoredRace stored;
    stored.segmentsPerLap = 4;
    stored.lastLap = Race::MaxLap;
    stored.cells.rows[0][4].set(1.5);
    for (int lap = 1; lap <= Race::MaxLap; ++lap) {
        for (int s = 1; s <= 4; ++s)
            stored.cells.rows[size_t(lap)][size_t(s)].set(1.5 + 83.217 * (lap - 1) + 20.804 * s + 0.001 * (lap % 13));
        stored.cells.rows[size_t(lap)][RaceRecordCells::FlagColumn].set(lap % 7 == 0 ? 1 : 0);
        stored.cells.rows[size_t(lap)][RaceRecordCells::PositionColumn].set(lap % 20);
        stored.cells.rows[size_t(lap)][RaceRecordCells::TrafficColumn].set(lap % 3);
    }
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("full.txt"));
    QString error;
    if (!saveFileAtomically(path, writeLapFile(stored, std::nullopt, QLatin1Char('.')), &error)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(error));
        return 1;
    }

    Race race;
    FileState files;
    files.programFolder = dir.path();
    TimerCalibration calibration{1, 1000.0};
    ScriptedPrompts prompts;
    SteadyClock clock;
    SteadyHiTime timer(clock);
    MainWindow w(race, files, prompts, timer, calibration);
    w.loadWindow();
    w.show();
    QCoreApplication::processEvents();

    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        files.lapFileName = path;
        QElapsedTimer t;
        t.start();
        w.fileCommands().openLapFile();
        // The window's own repaint of what changed is part of opening.
        if (!qEnvironmentVariableIsSet("BENCH_NO_PAINT")) w.repaint();
        ms.push_back(t.nsecsElapsed() / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    std::printf("File > Open of a 250-lap, 4-segment race, %d runs: median %.2f ms, slowest %.2f ms (%s)\n", runs,
                ms[ms.size() / 2], ms.back(), race.lastLap() == 250 ? "250 laps shown" : "NOT LOADED");
    return 0;
}
