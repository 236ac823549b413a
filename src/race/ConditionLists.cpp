#include "race/ConditionLists.h"

#include "race/NumberText.h"
#include "race/Race.h"

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

const QStringList &conditionItems(Condition c)
{
    switch (c) {
    case Condition::Flag:
        return flagItems();
    case Condition::Position:
        return positionItems();
    case Condition::Traffic:
        break;
    }
    return trafficItems();
}

QString conditionText(Condition c, int position)
{
    const QStringList &items = conditionItems(c);
    return position >= 0 && position < items.size() ? items.at(position) : QString();
}

int conditionItemCount(Condition c)
{
    return int(conditionItems(c).size());
}

Conditions stepped(Conditions now, Condition which, bool up)
{
    const int p = now.of(which);
    if (up) {
        if (p > 0)
            now.set(which, p - 1);
    } else if (p < conditionItemCount(which) - 1) {
        now.set(which, p + 1);
    }
    return now;
}

int storedItem(const Cell &cell, int itemCount)
{
    if (cell.isEmpty() || (cell.kind() == Cell::Text && !startsWithNumber(cell.text())))
        return -1;
    const int p = listPosition(cell.value());
    return p < itemCount ? p : -1;
}

int selectedItem(const Cell &cell, int itemCount)
{
    const int p = listPosition(cell.value());
    return p < itemCount ? p : -1;
}

} // namespace sw
