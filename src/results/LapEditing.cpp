#include "results/LapEditing.h"

#include "timing/NumberText.h"

#include <QtGlobal>

#include <cmath>

namespace sw {

namespace {

// Largest amount an Insert accepts: far beyond any race, small enough that a
// reading plus the amount keeps whole thousandths.
constexpr double kMaxInsertAmount = 1e15;

// Laps 0..251 hold readings; the sequence runs lap by lap through columns
// 1..n. Position p is lap p / n, segment p % n + 1.
int segCount(const RaceRecord &rec)
{
    return qBound(1, int(rec.NumSegs), 4);
}

Cell &cellAt(RaceRecord &rec, int n, int p)
{
    return rec.LapData[p / n][p % n + 1];
}

double readingAt(const RaceRecord &rec, int n, int p)
{
    return p < 0 ? 0.0 : rec.LapData[p / n][p % n + 1].value();
}

int floorDiv(int a, int b)
{
    int q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0)))
        --q;
    return q;
}

} // namespace

int selectedSegment(int curSpecIndex, int numSegs)
{
    return (curSpecIndex >= 1 && curSpecIndex <= numSegs) ? curSpecIndex : 1;
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
    const QChar cr(13);
    return QStringLiteral("This segment (") + fieldText
           + QStringLiteral(" seconds) appears to be correct (within ") + formatWhole(tolerance)
           + QStringLiteral(" seconds of the anticipated segment time of ") + formatWhole(anticipated)
           + QStringLiteral(").") + cr + cr + QStringLiteral("Do you still want to make this change?");
}

MessageSpec plausibilityQuestion(bool insert, const QString &fieldText, const PlausibilityCheck &c)
{
    MessageSpec m;
    m.title = plausibilityTitle(insert);
    m.text = plausibilityText(fieldText, c.tolerance, c.anticipated);
    m.buttons = Buttons::YesNo;
    m.icon = Icon::Question;
    m.defaultButton = Answer::No;
    return m;
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

bool insertReading(RaceRecord &rec, int curLap, int seg, double x)
{
    const int n = segCount(rec);
    if (seg < 1 || seg > n || curLap < 0 || curLap > RaceRecord::MaxLap || !std::isfinite(x))
        return false;
    const int at = curLap * n + (seg - 1);
    const int last = RaceRecord::MaxLap * n + (n - 1); // lap 250, segment n
    for (int p = last; p > at; --p)
        cellAt(rec, n, p) = cellAt(rec, n, p - 1);
    // Before lap 0 there is no reading: the split then starts from 0.
    cellAt(rec, n, at).set(readingAt(rec, n, at - 1) + x);
    return true;
}

bool deleteReading(RaceRecord &rec, int curLap, int seg)
{
    const int n = segCount(rec);
    if (seg < 1 || seg > n || curLap < 0 || curLap >= RaceRecord::Rows)
        return false;
    const int at = curLap * n + (seg - 1);
    const int last = RaceRecord::Rows * n - 1; // lap 251, segment n
    for (int p = at; p < last; ++p)
        cellAt(rec, n, p) = cellAt(rec, n, p + 1);
    cellAt(rec, n, last).clear();
    return true;
}

KeepChangesResult findEditedSegment(const RaceRecord &rec, int curLap,
                                    const std::array<double, 5> &fieldValues)
{
    const int n = segCount(rec);
    if (curLap < 0 || curLap >= RaceRecord::Rows)
        return {0, 0};
    double p = curLap > 0 ? rec.reading(curLap - 1, n) : 0.0;
    for (int s = 1; s <= n; ++s) {
        const double c = rec.reading(curLap, s);
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

bool applyKeepChanges(RaceRecord &rec, int curLap, const KeepChangesResult &r)
{
    const int n = segCount(rec);
    if (r.editedSegment < 1 || r.editedSegment > n || curLap < 0 || curLap >= RaceRecord::Rows)
        return false;
    rec.LapData[curLap][r.editedSegment].set(r.newReading);
    return true;
}

} // namespace sw
