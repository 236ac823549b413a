#pragma once
// The "Current Lap" entry fields: the lap list, the four segment fields and
// the flag, position and traffic lists, with their name panels, the help
// line, the range check of the segment fields, keyboard movement between
// fields, and the number-of-segments command.
//
// While a race is set up or timed the segment fields show the lap being
// recorded and the lists the conditions in force (choosing in a list sets
// them in the race). After the race they show the selected lap, and what is
// typed or chosen there waits on screen until Keep Changes hands it to the
// race (or Cancel Changes, or another lap, shows the race's values again).

#include "race/Conditions.h"
#include "ui/MainWindowControls.h"

#include <QObject>
#include <QString>

#include <array>

class QWidget;
class QWindow;

namespace sw {

class Race;
class Prompts;

class CurrentLapPanel : public QObject
{
    Q_OBJECT
public:
    CurrentLapPanel(Race &race, MainWindowControls &ui, Prompts &prompts, QWidget *window);

    // Field numbers of the main window: 0 lap list, 1..4 segment fields,
    // 5 flag, 6 position, 7 traffic; 10 is the graph quantity list.
    static bool isListField(int field)
    {
        return field == LapField || field == FlagField || field == PositionField || field == TrafficField;
    }
    static constexpr double minSegmentSeconds = 1, maxSegmentSeconds = 1000;

    // Events.
    void textGotFocus(int i);
    void textChanged(int i);
    void textLostFocus(int i);
    void listGotFocus(int i);
    void listClick(int i);
    void onFieldCaptionClicked(int i);
    void onOptionsMenuOpening();
    void changeNumberOfSegments();

    // Key routing: arrow keys in a field or list go here instead of to the
    // window's timing keys.
    bool handlesArrowFor(QWidget *w) const;
    bool fieldKeyDown(QWidget *w, int key);

    // Activation: empties the segment fields and the lists' selections while
    // a race is being set up, on the first showing and on a return from
    // another window of the program (not from a message or input box).
    void refillOnActivate();

    // The selected lap's times and conditions from the race (puts back what
    // was typed over them).
    void showSelectedLap();
    // What the fields hold now: the segment times (index = segment) and the
    // conditions of the three lists.
    std::array<double, 5> fieldTimes() const;
    Conditions listConditions() const;

    // The segment field that last had the focus (1..4; 0 before any): the
    // segment Insert and Delete work on.
    int currentField = 0;
    // The text of the segment field being edited when it got the focus.
    QString fieldOldValue;

signals:
    // An arrow key in a field or list while a race is armed or running: it
    // picks or steps a condition.
    void conditionKey(int key);
    // Up or Down in a field during setup: the focus moves to the next
    // (true) or previous field.
    void moveFocus(bool next);

protected:
    bool eventFilter(QObject *o, QEvent *e) override;

private:
    int textFieldIndex(const QObject *o) const;
    int listIndex(const QObject *o) const;
    void showRecordedSegments(int lap, int segment);
    void showConditionsNow();

    void noteFocusWindow(QWindow *window);

    Race &m_race;
    MainWindowControls &m_ui;
    Prompts &m_prompts;
    QWidget *m_window;
    bool m_firstActivation = true;
    bool m_returnRefills = false; // the window left last was another program window
    int m_focusText = 0; // text field that has the focus now (0 none)
    int m_returnTo = 0;  // field the focus goes back to after a refused entry (0 none)
};

} // namespace sw
