#pragma once
// Statistics of a race's results columns (segments 1..4, then the lap time
// in column 5): the count, sum, smallest and largest of the times above 0,
// and the most and second most frequent whole second. Each time counts as
// shown: rounded to thousandths.

#include <QString>

#include <array>
#include <optional>
#include <vector>

namespace sw {

class Race;

// Results columns as the grid numbers them.
inline constexpr int LapTimeColumn = 5;

struct ColumnSummary
{
    int count = 0;
    double sum = 0, smallest = 0, largest = 0; // bounds valid when count > 0
    int mode0 = 0, mode1 = 0; // histogram bins 1..499; 0 when none
    double average() const { return count > 0 ? sum / count : 0; }
};

// The time of results column 1..5 of a lap as the grid shows it, rounded to
// thousandths; none when the cell is blank.
std::optional<double> shownTime(const Race &race, int lap, int column);

// Summary of results column over laps 1..lapsShown(). Only times above 0
// count; times from 1 up to (not including) 500 s enter the whole-second
// histogram. counted, when given, says which laps count (index = lap).
ColumnSummary summariseColumn(const Race &race, int column, const std::vector<bool> *counted = nullptr);

// The anticipated time of a segment (1..4) that Insert and Delete compare
// with: the most frequent whole second of its column over the race's laps.
int anticipatedSegmentTime(const Race &race, int segment);

// The statistics table's texts of one column: average, smallest, largest in
// "#####.000", or three empty texts when the column has no time.
std::array<QString, 3> summaryTexts(const ColumnSummary &s);

} // namespace sw
