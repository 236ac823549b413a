#pragma once
// The undo history of a finished race: every Insert, Delete, Keep Changes
// and comments change becomes one step of a QUndoStack, which undoes and
// redoes it through the race. It observes the race's edits, so the commands
// that make them know nothing of it. While a race is set up or timed there
// is nothing to undo; a new, loaded or recovered race starts a new history.

#include "race/Race.h"

#include <QObject>

class QUndoStack;

namespace sw {

class RaceHistory : public QObject
{
    Q_OBJECT
public:
    explicit RaceHistory(Race &race, QObject *parent = nullptr);
    ~RaceHistory() override;

    QUndoStack &stack() { return *m_stack; }

private:
    void onEdited(RaceEdit edit, int lap);
    void startOver();

    Race &m_race;
    QUndoStack *m_stack;
    EditedRace m_current; // the race as the last step left it
    bool m_returning = false; // an undo or redo is under way
};

// Names a step in the Edit menu: "Undo Delete", "Redo Keep Changes".
QString stepName(RaceEdit edit);

} // namespace sw
