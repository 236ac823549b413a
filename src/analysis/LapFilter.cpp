#include "analysis/LapFilter.h"


namespace sw {

namespace {

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

bool lapCounts(const Conditions &conditions, LapFilter filter)
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

} // namespace sw
