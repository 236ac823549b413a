#pragma once
// A race window with the file commands installed, and what a test compares
// before and after a file command: the whole visible race.

#include "support/RaceFixture.h"

#include "files/FileCommands.h"

#include <QFile>
#include <QStringList>

namespace sw {

struct FileRig
{
    explicit FileRig(int numSegs = 2) : f(numSegs), cmd(installFileCommands(*f.w)) { f.prompts.clear(); }

    RaceFixture f;
    FileCommands *cmd;

    QString lapPath(const QString &name) const { return f.state.lapTimeFolder() + QLatin1Char('/') + name; }
    QString caption() const { return f.w->windowTitle(); }

    static QByteArray bytesOf(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    static void writeBytes(const QString &path, const QByteArray &bytes)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    // Four laps of two segments; position and flag changed during lap 3.
    void timeRace()
    {
        f.armAndPress({2, 12, 23.5, 35, 46.25, 58});
        f.F(5);
        f.F(7);
        for (double t : {69.125, 80.0, 91.5})
            f.pressAt(t);
        f.finish();
        f.prompts.clear();
    }
};

// Everything of a race the window shows or a file holds.
struct RaceView
{
    QStringList cells, stats;
    QList<double> readings;
    int NumSegs = 0, LastLap = 0;
    QString caption, comments;

    static RaceView of(const FileRig &r)
    {
        const AppState &s = r.f.state;
        RaceView v;
        for (int row = 0; row < ResultsGrid::kRows; ++row)
            for (int c = 0; c < ResultsGrid::kCols; ++c)
                v.cells << s.grid.cell(row, c);
        for (const QString &t : s.grid.Label3)
            v.stats << t;
        for (int row = 0; row <= RaceRecord::MaxLap; ++row)
            for (int c = 1; c < RaceRecord::Cols; ++c)
                v.readings << s.rec.reading(row, c);
        v.NumSegs = s.rec.NumSegs;
        v.LastLap = s.rec.LastLap;
        v.caption = r.caption();
        v.comments = s.Comments;
        return v;
    }
};

} // namespace sw

#define COMPARE_VIEWS(a, b)                                                                        \
    do {                                                                                           \
        QCOMPARE((a).cells, (b).cells);                                                            \
        QCOMPARE((a).stats, (b).stats);                                                            \
        QCOMPARE((a).readings, (b).readings);                                                      \
        QCOMPARE((a).NumSegs, (b).NumSegs);                                                        \
        QCOMPARE((a).LastLap, (b).LastLap);                                                        \
        QCOMPARE((a).caption, (b).caption);                                                        \
        QCOMPARE((a).comments, (b).comments);                                                      \
    } while (0)
