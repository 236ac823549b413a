#pragma once
// The five buttons of the "Current Lap" frame: Insert and Delete (a missed
// or an extra press), Start / Restart, Finish / Keep Changes, and Cancel
// Changes. The arithmetic is the race's; this class asks the questions and
// hands the answers to the race's verbs.

#include <QObject>

namespace sw {

class Race;
class Prompts;
class CurrentLapPanel;
struct MainWindowControls;

class EditCommands : public QObject
{
    Q_OBJECT
public:
    EditCommands(Race &race, MainWindowControls &ui, CurrentLapPanel &fields, Prompts &prompts, QObject *parent);

    void onCurrentLapButton(int index);
    void insertCommand();
    void deleteCommand();
    void keepChanges();
    void cancelChanges();

signals:
    // Start / Restart and Finish before the race is finished: the F12 and
    // F11 keys (Qt::Key).
    void timingKey(int key);

private:
    // The selected segment when Insert or Delete may go on, else 0.
    int segmentToEdit(bool insert);

    Race &m_race;
    MainWindowControls &m_ui;
    CurrentLapPanel &m_fields;
    Prompts &m_prompts;
};

} // namespace sw
