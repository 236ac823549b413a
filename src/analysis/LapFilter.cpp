#include "analysis/LapFilter.h"

#include "timing/ConditionLists.h"
#include "timing/NumberText.h"

namespace sw {

namespace {

// A list position stored in a condition cell, or -1 when it names no item of
// a list of itemCount items.
int storedItem(const Cell &cell, int itemCount)
{
    if (cell.isEmpty() || (cell.kind() == Cell::Text && !startsWithNumber(cell.text())))
        return -1;
    const int p = listPosition(cell.value());
    return p < itemCount ? p : -1;
}

// The list index a selector takes when set to the cell's whole number: the
// way a loaded lap puts its conditions into the lists.
int selectedItem(const Cell &cell, int itemCount)
{
    const int p = listPosition(cell.value());
    return p < itemCount ? p : -1;
}

constexpr int GreenFlag = 0;
constexpr int NotInTraffic = 0;

} // namespace

QString lapFilterText(LapFilter filter)
{
    switch (filter) {
    case LapFilter::AllLaps:
        return QStringLiteral("All laps");
    case LapFilter::GreenOnly:
        return QStringLiteral("Green flag only");
    case LapFilter::GreenNotInTraffic:
        return QStringLiteral("Green and not in traffic");
    }
    return QString();
}

LapConditions lapConditions(const RaceRecord &rec, int lap)
{
    LapConditions c;
    if (lap < 0 || lap >= RaceRecord::Rows)
        return c;
    const auto &row = rec.LapData[lap];
    c.flag = storedItem(row[RaceRecord::FlagCol], int(flagItems().size()));
    c.position = storedItem(row[RaceRecord::PositionCol], int(positionItems().size()));
    c.traffic = storedItem(row[RaceRecord::TrafficCol], int(trafficItems().size()));
    return c;
}

bool lapCounts(const LapConditions &conditions, LapFilter filter)
{
    switch (filter) {
    case LapFilter::AllLaps:
        return true;
    case LapFilter::GreenOnly:
        return conditions.flag == GreenFlag;
    case LapFilter::GreenNotInTraffic:
        return conditions.flag == GreenFlag && conditions.traffic == NotInTraffic;
    }
    return false;
}

bool lapCounts(const RaceRecord &rec, int lap, LapFilter filter)
{
    return lapCounts(lapConditions(rec, lap), filter);
}

void settleLoadedConditions(RaceRecord &rec)
{
    const QStringList *lists[3] = {&flagItems(), &positionItems(), &trafficItems()};
    const int lastLap = qBound(0, int(rec.LastLap), int(RaceRecord::MaxLap));
    for (int lap = 1; lap <= lastLap; ++lap)
        for (int c = RaceRecord::FlagCol; c <= RaceRecord::TrafficCol; ++c) {
            Cell &cell = rec.LapData[lap][c];
            cell.set(selectedItem(cell, int(lists[c - RaceRecord::FlagCol]->size())));
        }
}

} // namespace sw
