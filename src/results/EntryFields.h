#pragma once
// The "Current Lap" entry fields: the lap list, the four segment fields and
// the flag, position and traffic lists, with their name panels, the help
// line, the range check of the segment fields, keyboard movement between
// fields, the list clicks, and the number-of-segments command.

#include "ui/MainWindowControls.h"

#include <QObject>
#include <QString>

#include <array>

class QWidget;
class QWindow;

namespace sw {

class MainWindowBase;

class EntryFields : public QObject
{
    Q_OBJECT
public:
    explicit EntryFields(MainWindowBase &w);

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
    void listLostFocus(int i);
    void listClick(int i);
    void onFieldCaptionClicked(int i);
    void onOptionsMenuOpening();
    void changeNumberOfSegments();

    // Key routing: arrow keys in a field or list go here instead of to the
    // window's timing keys.
    bool handlesArrowFor(QWidget *w) const;
    bool fieldKeyDown(QWidget *w, int keyCode);

    // Activation: empties the segment fields and the lists' selections while
    // a race is being set up, on the first showing and on a return from
    // another window of the program (not from a message or input box).
    void refillOnActivate();

    // Current-condition texts and their colour from the three lists.
    void showConditionTexts();

    int currentField = 0;
    QString fieldOldValue;
    int listFocusIndex = 0;
    int listSavedIndex = 0;
    int listRestore = 0;

protected:
    bool eventFilter(QObject *o, QEvent *e) override;

private:
    int textFieldIndex(const QObject *o) const;
    int listIndex(const QObject *o) const;
    void applyFlagColour();

    void noteFocusWindow(QWindow *window);

    MainWindowBase &m_w;
    bool m_firstActivation = true;
    bool m_returnRefills = false; // the window left last was another program window
    int m_focusText = 0; // text field that has the focus now (0 none)
    int m_returnTo = 0;  // field the focus goes back to after a refused entry (0 none)
};

} // namespace sw
