#pragma once
// Fixed-pitch text metrics for layout tests: every character is pointSize * 5
// units wide and a line is pointSize * 20 units high.

#include "printing/TextMetrics.h"
#include "results/ResultsGrid.h"

#include <QString>

namespace sw {

class FakeTextMetrics : public TextMetrics
{
public:
    double textWidth(const QString &text, double pointSize) const override
    {
        return text.size() * pointSize * 5;
    }
    double textHeight(const QString &, double pointSize) const override
    {
        return pointSize * 20;
    }
};

// The grid as it stands after a race of the given laps: headings, lap
// numbers, segment and lap times, conditions; the statistics of the used
// segment columns.
inline void fillRaceGrid(ResultsGrid &grid, int laps, int numSegs = 4)
{
    const char *heads[] = {"Lap #", "Seg 1", "Seg 2", "Seg 3", "Seg 4",
                           "LapTime", "Flag", "Position", "Traffic"};
    for (int c = 0; c < grid.Cols(); ++c)
        grid.setCell(0, c, QLatin1String(heads[c]));
    for (int r = 1; r < grid.Rows(); ++r)
        grid.setCell(r, 0, QString::number(r));
    for (int r = 1; r <= laps; ++r) {
        for (int s = 1; s <= numSegs; ++s)
            grid.setCell(r, s, QStringLiteral("%1.%2").arg(20 + s).arg(r % 1000, 3, 10, QLatin1Char('0')));
        grid.setCell(r, 5, QStringLiteral("%1.500").arg(20 * numSegs + r % 7));
        grid.setCell(r, 6, r % 9 == 0 ? QStringLiteral("Yellow") : QStringLiteral("Green"));
        grid.setCell(r, 7, QString::number(1 + r % 12));
        grid.setCell(r, 8, QStringLiteral("In Traffic"));
    }
    for (int c = 1; c <= 5; ++c) {
        const bool used = c == 5 || c <= numSegs;
        if (c <= 4)
            grid.Label5Visible[c + 2] = used;
        for (int j = 0; j < 3; ++j)
            grid.Label3[(c - 1) * 3 + j] = used ? QStringLiteral("%1.%2").arg(10 * c + j).arg(j * 111, 3, 10, QLatin1Char('0')) : QString();
    }
    grid.Label5Visible[7] = true;
}

} // namespace sw
