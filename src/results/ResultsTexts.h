#pragma once
// The texts of the results grid and of the statistics table below it, made
// from the race's numbers: the grid model, the report and the tests all take
// their texts from here, and nothing reads them back as numbers.

#include "analysis/LapFilter.h"

#include <QString>

#include <array>

namespace sw {

class Race;

// Grid columns: 0 the lap number, 1..4 the segments, 5 the lap time, 6 flag,
// 7 position, 8 traffic.
inline constexpr int ResultsColumns = 9;

// "Lap #", "Seg 1" .. "Seg 4", "LapTime", "Flag", "Position", "Traffic".
QString resultsHeading(int column);

// Width of a grid column in twips for a race of segmentsPerLap segments: a
// segment column out of use is a 10-twip sliver.
int resultsColumnWidthTwips(int column, int segmentsPerLap);

// The text of a lap's cell (lap 1..250, column 0..8). A lap not yet reached
// is blank; a segment without its reading and a lap without its last reading
// are blank; a segment whose reading lies before its start shows .000.
QString resultsCellText(const Race &race, int lap, int column);

// The statistics table: values[(column - 1) * 3 + row] (row 0 average,
// 1 smallest, 2 largest) for the results columns 1..5, which heads and cells
// are shown (headings 3..7 are "Seg 1".."Seg 4", "Lap"), and beside it which
// laps count and the best possible lap (a line for the report and the
// label's two lines). Empty while the race is not finished.
struct StatisticsTexts
{
    std::array<QString, 15> values;
    std::array<bool, 15> valueVisible{};
    std::array<bool, 8> headingVisible{};
    QString countedLapsLine; // only when not all laps count
    QString bestLapLine;     // only with more than one segment
    QString bestLapLabel;
};
StatisticsTexts statisticsTexts(const Race &race, LapFilter filter);

// The results for the printed report: headings, the texts of laps
// 1..lastLap, and the statistics as the window shows them.
struct ReportTable;
ReportTable reportTableFor(const Race &race, LapFilter filter);

// A worksheet for timing by hand: the headings of the race's segments, the
// lap numbers of its laps (at least 50), every other cell ruled and empty,
// no statistics.
inline constexpr int WorksheetMinimumLaps = 50;
ReportTable blankWorksheetFor(const Race &race);

} // namespace sw
