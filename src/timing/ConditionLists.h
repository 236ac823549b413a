#pragma once
// The fixed item lists of the three condition selectors and the lap list.
// A lap stores list positions; these give their texts.

#include <QStringList>

namespace sw {

const QStringList &flagItems();     // "Green", "Yellow"
const QStringList &positionItems(); // "1" .. "100"
const QStringList &trafficItems();  // "Not in Traffic", "In Traffic", "Held up by Traffic"
const QStringList &lapItems();      // "1" .. "250"

// Item text at a stored position, or "" when the position is out of range.
QString itemText(const QStringList &items, double position);

// A stored list position as a list index: -1 when it is no whole number in
// range of any list (files may hold anything there).
int listPosition(double position);

} // namespace sw
