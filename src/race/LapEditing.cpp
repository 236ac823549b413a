#include "race/LapEditing.h"

#include "race/NumberText.h"

#include <QtGlobal>

#include <cmath>

namespace sw {

namespace {

// Largest amount an Insert accepts: far beyond any race, small enough that a
// reading plus the amount keeps whole thousandths.
constexpr double kMaxInsertAmount = 1e15;

// Laps 0..251 hold readings; the sequence runs lap by lap through columns
// 1..n. Position p is lap p / n, segment p % n + 1.
int segCount(int segmentsPerLap)
{
    return qBound(1, segmentsPerLap, 4);
}

Cell &cellAt(RaceRecordCells &cells, int n, int p)
{
    return cells.rows[size_t(p / n)][size_t(p % n + 1)];
}

double readingAt(const RaceRecordCells &cells, int n, int p)
{
    return p < 0 ? 0.0 : cells.rows[size_t(p / n)][size_t(p % n + 1)].value();
}

int floorDiv(int a, int b)
{
    int q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0)))
        --q;
    return q;
}

} // namespace

int selectedSegment(int focusedField, int segmentsPerLap)
{
    return (focusedField >= 1 && focusedField <= segmentsPerLap) ? focusedField : 1;
}

PlausibilityCheck checkPlausibility(double segmentValue, int anticipated)
{
    // Int(a * 0.1 + 0.5) in whole numbers: floor((a + 5) / 10).
    int t = floorDiv(anticipated + 5, 10);
    if (t < 3)
        t = 3;
    const bool ask = std::isfinite(segmentValue) && std::fabs(segmentValue - anticipated) < t;
    return {ask, t, anticipated};
}

QString plausibilityTitle(bool insert)
{
    return insert ? QStringLiteral("Continue with Insert?") : QStringLiteral("Continue with Delete?");
}

QString plausibilityText(const QString &fieldText, int tolerance, int anticipated)
{
    return QStringLiteral("This segment (") + fieldText
           + QStringLiteral(" seconds) appears to be correct (within ") + formatWhole(tolerance)
           + QStringLiteral(" seconds of the anticipated segment time of ") + formatWhole(anticipated)
           + QStringLiteral(").\n\nDo you still want to make this change?");
}

QString insertPromptTitle()
{
    return QStringLiteral("Enter Time to Insert");
}

QString insertPromptDefault()
{
    return QStringLiteral("0");
}

QString insertPromptText(const QString &fieldText)
{
    return QStringLiteral("Enter the amount of time to insert ahead of this current reading.  "
                          "Note that this will split the current reading of ")
           + fieldText
           + QStringLiteral(" into 2 readings, the one you will enter and the remaining portion "
                            "will go to the next segment.");
}

std::optional<double> insertAmount(const QString &answer)
{
    // val() never yields inf or nan: "nan", "inf" and "1e400" read as 0.
    const double x = val(answer);
    if (x == 0 || !std::isfinite(x) || std::fabs(x) > kMaxInsertAmount)
        return std::nullopt;
    return x;
}

std::optional<double> insertAmount(const QString &answer, double segmentValue)
{
    const std::optional<double> x = insertAmount(answer);
    if (!x || !(segmentValue > *x))
        return std::nullopt;
    return x;
}

bool insertReading(RaceRecordCells &cells, int segmentsPerLap, int lap, int seg, double x)
{
    const int n = segCount(segmentsPerLap);
    if (seg < 1 || seg > n || lap < 0 || lap > Race::MaxLap || !std::isfinite(x))
        return false;
    const int at = lap * n + (seg - 1);
    const int last = Race::MaxLap * n + (n - 1); // lap 250, segment n
    for (int p = last; p > at; --p)
        cellAt(cells, n, p) = cellAt(cells, n, p - 1);
    // Before lap 0 there is no reading: the split then starts from 0.
    cellAt(cells, n, at).set(readingAt(cells, n, at - 1) + x);
    return true;
}

bool deleteReading(RaceRecordCells &cells, int segmentsPerLap, int lap, int seg)
{
    const int n = segCount(segmentsPerLap);
    if (seg < 1 || seg > n || lap < 0 || lap >= RaceRecordCells::Rows)
        return false;
    const int at = lap * n + (seg - 1);
    const int last = RaceRecordCells::Rows * n - 1; // lap 251, segment n
    for (int p = at; p < last; ++p)
        cellAt(cells, n, p) = cellAt(cells, n, p + 1);
    cellAt(cells, n, last).clear();
    return true;
}

KeepChangesResult findEditedSegment(const RaceRecordCells &cells, int segmentsPerLap, int lap,
                                    const std::array<double, 5> &fieldValues)
{
    const int n = segCount(segmentsPerLap);
    if (lap < 0 || lap >= RaceRecordCells::Rows)
        return {0, 0};
    double p = lap > 0 ? cells.rows[size_t(lap - 1)][size_t(n)].value() : 0.0;
    for (int s = 1; s <= n; ++s) {
        const double c = cells.rows[size_t(lap)][size_t(s)].value();
        // The time as the field showed it: a reading below the one before it
        // shows 0, and every field shows thousandths.
        const double shown = val(formatTime(c < p ? 0.0 : c - p));
        const double e = fieldValues[s];
        if (std::isfinite(e) && std::fabs(e - shown) > 0.0005)
            return {s, p + e};
        p = c;
    }
    return {0, 0};
}

} // namespace sw
