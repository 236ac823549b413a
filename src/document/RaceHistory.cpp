#include "document/RaceHistory.h"

#include <QUndoCommand>
#include <QUndoStack>

#include <functional>

namespace sw {

namespace {

// One edit: the race before and after it. Pushed after the race made the
// edit, so its first redo has nothing to do.
class RaceStep : public QUndoCommand
{
public:
    RaceStep(std::function<void(const EditedRace &, bool)> returnTo, const QString &name, EditedRace before,
             EditedRace after)
        : QUndoCommand(name), m_returnTo(std::move(returnTo)), m_before(std::move(before)), m_after(std::move(after))
    {
    }
    void undo() override { m_returnTo(m_before, true); }
    void redo() override
    {
        if (m_done)
            m_returnTo(m_after, false);
        m_done = true;
    }

private:
    std::function<void(const EditedRace &, bool)> m_returnTo;
    EditedRace m_before, m_after;
    bool m_done = false;
};

} // namespace

QString stepName(RaceEdit edit)
{
    switch (edit) {
    case RaceEdit::Insert: return QStringLiteral("Insert");
    case RaceEdit::Delete: return QStringLiteral("Delete");
    case RaceEdit::KeepChanges: return QStringLiteral("Keep Changes");
    case RaceEdit::Comments: return QStringLiteral("Comments");
    case RaceEdit::Undo:
    case RaceEdit::Redo: break;
    }
    return {};
}

RaceHistory::RaceHistory(Race &race, QObject *parent)
    : QObject(parent), m_race(race), m_stack(new QUndoStack(this))
{
    connect(&race, &Race::edited, this, [this](RaceEdit edit, int lap) { onEdited(edit, lap); });
    connect(&race, &Race::replaced, this, &RaceHistory::startOver);
    connect(&race, &Race::stateChanged, this, &RaceHistory::startOver);
    startOver();
}

RaceHistory::~RaceHistory() = default;

void RaceHistory::startOver()
{
    m_stack->clear();
    m_current = m_race.editedRace();
}

void RaceHistory::onEdited(RaceEdit edit, int lap)
{
    const QString name = stepName(edit);
    if (name.isEmpty() || m_returning)
        return;
    EditedRace after = m_race.editedRace();
    if (after.sameRace(m_current)) // a Keep Changes that changed nothing
        return;
    EditedRace before = std::move(m_current);
    // Undone, the step shows the lap it was made on.
    before.selectedLap = edit == RaceEdit::Comments ? m_race.selectedLap() : lap;
    m_current = after;
    const auto returnTo = [this](const EditedRace &state, bool undo) {
        m_returning = true;
        m_race.returnTo(state, undo);
        m_returning = false;
        m_current = m_race.editedRace();
    };
    m_stack->push(new RaceStep(returnTo, name, std::move(before), std::move(after)));
}

} // namespace sw
