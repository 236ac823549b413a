#pragma once
// The conditions in force on the timing face: the large flag, position and
// traffic displays (in the flag's colour, with the current lap and segment),
// their captions, of which Left/Right pick one (light blue) for Up/Down to
// step, and the six arrow buttons that step one directly. Every step goes to
// the race; the displays show what the race holds.

#include "race/Conditions.h"

#include <QObject>

namespace sw {

class Race;
struct MainWindowControls;

class ConditionPanel : public QObject
{
    Q_OBJECT
public:
    ConditionPanel(Race &race, MainWindowControls &ui, QObject *parent);

    // Left/Right pick a condition, Up/Down step the picked one (Qt::Key).
    void moveSelector(int key);
    // F4..F9: flag, position and traffic one item up (F4, F6, F8) or down.
    void stepByFunctionKey(int key);
    void onArrowButton(int index);

    // The condition Left/Right have picked (flag until the first arrow key;
    // kept for the whole run).
    Condition picked() const { return m_picked; }

signals:
    // The keyboard belongs to the hidden timing field again.
    void focusBack();

private:
    void showConditions(const Conditions &now);
    void step(Condition which, bool up);

    Race &m_race;
    MainWindowControls &m_ui;
    Condition m_picked = Condition::Flag;
};

} // namespace sw
