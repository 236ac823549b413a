#include "timing/ConditionLists.h"

#include <cmath>

namespace sw {

namespace {
QStringList numbers(int n)
{
    QStringList l;
    for (int i = 1; i <= n; ++i)
        l << QString::number(i);
    return l;
}
} // namespace

const QStringList &flagItems()
{
    static const QStringList l{QStringLiteral("Green"), QStringLiteral("Yellow")};
    return l;
}

const QStringList &positionItems()
{
    static const QStringList l = numbers(100);
    return l;
}

const QStringList &trafficItems()
{
    static const QStringList l{QStringLiteral("Not in Traffic"), QStringLiteral("In Traffic"),
                               QStringLiteral("Held up by Traffic")};
    return l;
}

const QStringList &lapItems()
{
    static const QStringList l = numbers(250);
    return l;
}

QString itemText(const QStringList &items, double position)
{
    if (!std::isfinite(position))
        return QString();
    const double p = std::floor(position);
    if (p < 0 || p >= items.size())
        return QString();
    return items.at(static_cast<int>(p));
}

int listPosition(double position)
{
    if (!std::isfinite(position) || position < 0 || position > 1000)
        return -1;
    return static_cast<int>(std::floor(position));
}

} // namespace sw
