#pragma once
// The three racing conditions of a lap as positions in their lists: flag
// (0 "Green", 1 "Yellow"), position (0..99 for "1".."100") and traffic
// (0 "Not in Traffic", 1 "In Traffic", 2 "Held up by Traffic"). -1 means
// none is chosen (a list with nothing selected, or a stored value that
// names no item).

namespace sw {

enum class Condition { Flag = 0, Position = 1, Traffic = 2 };

struct Conditions
{
    int flag = -1;
    int position = -1;
    int traffic = -1;

    // A new race before the operator chose: Green, no position, In Traffic.
    static Conditions defaults() { return {0, -1, 1}; }
    // What arming the race gives any condition still unchosen: Green,
    // position 1, In Traffic.
    Conditions filledForTiming() const
    {
        return {flag < 0 ? 0 : flag, position < 0 ? 0 : position, traffic < 0 ? 1 : traffic};
    }

    int of(Condition c) const { return c == Condition::Flag ? flag : c == Condition::Position ? position : traffic; }
    void set(Condition c, int value)
    {
        (c == Condition::Flag ? flag : c == Condition::Position ? position : traffic) = value;
    }

    bool operator==(const Conditions &o) const
    {
        return flag == o.flag && position == o.position && traffic == o.traffic;
    }
    bool operator!=(const Conditions &o) const { return !(*this == o); }
};

// Number of items of a condition's list: 2, 100, 3.
int conditionItemCount(Condition c);

// One step up (towards the first item; nothing from the first or from none)
// or down (towards the last; from none to the first item), as a list steps.
Conditions stepped(Conditions now, Condition which, bool up);

} // namespace sw
