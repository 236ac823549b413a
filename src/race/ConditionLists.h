#pragma once
// The fixed item lists of the three condition selectors and the lap list.
// A lap stores list positions; these give their texts.

#include "race/Conditions.h"

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

// The items of a condition's list, and the text of a position in it ("" for
// -1 or a position out of the list).
const QStringList &conditionItems(Condition c);
QString conditionText(Condition c, int position);

class Cell;
// A list position stored in a condition cell, or -1 when it names no item of
// a list of itemCount items (empty, not a number, out of the list).
int storedItem(const Cell &cell, int itemCount);
// The list index a list takes when set to the cell's whole number (an empty
// cell reads as 0): the way a loaded lap puts its conditions into the lists.
int selectedItem(const Cell &cell, int itemCount);

} // namespace sw
