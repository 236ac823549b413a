// Time and peak memory of writing and reading lap-time files, from a full race
// with a one-line comment up to a file near the 64 MiB load limit.
//
// Every case runs in child processes of its own so that the peak resident
// size (VmHWM) of one case does not hide that of the next:
//   write: build the race and the comment text, then writeLapFile, then save
//          the bytes to a temporary file;
//   read:  loadFile, then readLapFile, as File > Open does.
// "peak" is the child's VmHWM after the step, "extra" that minus its resident
// size just before the step (the memory the step itself needed).

#include "files/FileIo.h"
#include "files/LapFile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <memory>

using namespace sw;

namespace {

struct BenchCase
{
    const char *name;
    int commentLines;
    const char *commentLine; // every comment line holds this text
    int repeats;             // writes and reads timed, the mean shown
};

// Resident size (VmRSS) or its high-water mark (VmHWM) in MiB.
double statusMiB(const char *field)
{
    FILE *f = std::fopen("/proc/self/status", "r");
    if (!f)
        return -1;
    char line[256];
    double kb = -1;
    const size_t n = std::strlen(field);
    while (std::fgets(line, sizeof line, f))
        if (std::strncmp(line, field, n) == 0 && line[n] == ':')
            kb = std::atof(line + n + 1);
    std::fclose(f);
    return kb / 1024.0;
}

std::unique_ptr<StoredRace> fullRace()
{
    auto rec = std::make_unique<StoredRace>();
    rec->segmentsPerLap = 4;
    rec->lastLap = Race::MaxLap;
    rec->cells.rows[0][4].set(1.5);
    for (int lap = 1; lap <= Race::MaxLap; ++lap) {
        for (int s = 1; s <= 4; ++s)
            rec->cells.rows[lap][s].set(1.5 + 83.217 * (lap - 1) + 20.804 * s);
        rec->cells.rows[lap][RaceRecordCells::FlagColumn].set(lap % 7 == 0 ? 1 : 0);
        rec->cells.rows[lap][RaceRecordCells::PositionColumn].set(1 + lap % 20);
        rec->cells.rows[lap][RaceRecordCells::TrafficColumn].set(lap % 3);
    }
    return rec;
}

// Comments as the program holds them: lines joined with CR LF.
QString comments(const BenchCase &c)
{
    const QString line = QString::fromUtf8(c.commentLine);
    QString s;
    s.reserve(qsizetype(c.commentLines) * (line.size() + 2));
    for (int i = 0; i < c.commentLines; ++i) {
        if (i > 0)
            s += QLatin1String("\r\n");
        s += line;
    }
    return s;
}

// Runs step in a child process and waits for it; the child prints its row.
template<typename Step>
bool inChild(Step step)
{
    std::fflush(stdout);
    const pid_t pid = fork();
    if (pid < 0)
        return false;
    if (pid == 0) {
        const bool ok = step();
        std::fflush(stdout);
        _exit(ok ? 0 : 1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool writeCase(const BenchCase &c, const QString &path)
{
    const auto rec = fullRace();
    rec->comments = comments(c);
    const double before = statusMiB("VmRSS");
    QElapsedTimer t;
    t.start();
    QByteArray bytes;
    for (int i = 0; i < c.repeats; ++i)
        bytes = writeLapFile(*rec, std::nullopt, QLatin1Char('.'));
    const double ms = t.nsecsElapsed() / 1e6 / c.repeats;
    const double peak = statusMiB("VmHWM");
    QString error;
    if (!saveFileAtomically(path, bytes, &error)) {
        std::printf("%-22s cannot save: %s\n", c.name, qPrintable(error));
        return false;
    }
    std::printf("%-22s %9.1f %8d %10.1f %9.0f %7.0f\n", c.name, bytes.size() / 1048576.0, c.commentLines, ms,
                peak, peak - before);
    return true;
}

bool readCase(const BenchCase &c, const QString &path)
{
    const double before = statusMiB("VmRSS");
    QElapsedTimer t;
    t.start();
    qint64 loadNs = 0;
    bool ok = true;
    qsizetype commentChars = 0;
    for (int i = 0; i < c.repeats; ++i) {
        QElapsedTimer l;
        l.start();
        QString error;
        const std::optional<QByteArray> bytes = loadFile(path, &error);
        loadNs += l.nsecsElapsed();
        if (!bytes) {
            std::printf("%-22s cannot load: %s\n", c.name, qPrintable(error));
            return false;
        }
        const LapFileReadResult read = readLapFile(*bytes, false);
        ok = ok && read.status == LapFileReadResult::Ok && read.content.race.lastLap == Race::MaxLap;
        commentChars = read.content.race.comments.size();
    }
    const double ms = t.nsecsElapsed() / 1e6 / c.repeats;
    const double peak = statusMiB("VmHWM");
    std::printf("%-22s %9s %8s %10.1f %9.0f %7.0f   load %.1f ms, %s, %lld comment characters\n", "", "read", "", ms,
                peak, peak - before, loadNs / 1e6 / c.repeats, ok ? "ok" : "NOT READ BACK",
                static_cast<long long>(commentChars));
    return ok;
}

} // namespace

int main(int argc, char **argv)
{
    // 62 characters a line, 64 bytes with the line end: 1,032,000 lines make
    // a file of about 63 MiB, just below the load limit.
    static const char longLine[] = "Lap 117: caf\u00e9 corner, \u20ac sponsor board, oil on the line at T3 .";
    const BenchCase cases[] = {
            {"250 laps, 1 line", 1, "Heat 1, dry track, 21 C", 50},
            {"4,000,000 lines", 4000000, "dry lap", 1},
            {"63 MiB file", 1032000, longLine, 1},
    };
    const bool smallOnly = argc > 1 && std::strcmp(argv[1], "--small") == 0;

    const QString path = QDir::temp().filePath(QStringLiteral("bench_lapfile_%1.txt").arg(getpid()));
    std::printf("%-22s %9s %8s %10s %9s %7s\n", "case", "file MiB", "comments", "ms", "peak MiB", "extra");
    std::printf("%-22s %9s %8s %10s %9s %7s\n", "", "", "lines", "", "(VmHWM)", "MiB");
    bool ok = true;
    for (const BenchCase &c : cases) {
        if (smallOnly && c.commentLines > 1)
            continue;
        ok = inChild([&] { return writeCase(c, path); }) && ok;
        ok = inChild([&] { return readCase(c, path); }) && ok;
    }
    QFile::remove(path);
    return ok ? 0 : 1;
}
