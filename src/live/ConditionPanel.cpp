#include "live/ConditionPanel.h"

#include "race/ConditionLists.h"
#include "race/Race.h"
#include "ui/Geometry.h"
#include "ui/MainWindowControls.h"
#include "ui/PanelColours.h"

namespace sw {

namespace {
struct ArrowStep
{
    Condition condition;
    bool up;
};
// The arrow buttons in their order: position up, down, traffic up, down,
// flag up, down ("/\ F6", "\/ F7", "/\ F8", "\/ F9", "/\ F4", "\/ F5").
constexpr ArrowStep arrowSteps[6] = {{Condition::Position, true}, {Condition::Position, false},
                                     {Condition::Traffic, true},  {Condition::Traffic, false},
                                     {Condition::Flag, true},     {Condition::Flag, false}};
} // namespace

ConditionPanel::ConditionPanel(Race &race, MainWindowControls &ui, QObject *parent)
    : QObject(parent), m_race(race), m_ui(ui)
{
    for (int i = 0; i < 6; ++i)
        connect(ui.arrowButtons[size_t(i)], &QPushButton::clicked, this, [this, i] { onArrowButton(i); });
    connect(&race, &Race::conditionsChanged, this, &ConditionPanel::showConditions);
    showConditions(race.conditionsNow());
}

void ConditionPanel::showConditions(const Conditions &now)
{
    if (m_race.state() == RaceState::Finished)
        return;
    m_ui.flagDisplay->setText(conditionText(Condition::Flag, now.flag));
    m_ui.positionDisplay->setText(conditionText(Condition::Position, now.position));
    m_ui.trafficDisplay->setText(conditionText(Condition::Traffic, now.traffic));
    // The flag's colour as the panel, the text in black or white on it.
    const Palette colour = now.flag == 0 ? Palette::Green : Palette::Yellow;
    for (QLabel *label : m_ui.flagColouredLabels())
        setPanelColours(label, textColourOn(colour), colour);
}

void ConditionPanel::step(Condition which, bool up)
{
    if (m_race.state() == RaceState::Finished)
        return;
    m_race.setConditions(stepped(m_race.conditionsNow(), which, up));
}

void ConditionPanel::stepByFunctionKey(int key)
{
    if (key < Qt::Key_F4 || key > Qt::Key_F9)
        return;
    const int k = key - Qt::Key_F4; // 0 F4 .. 5 F9
    const Condition which = k < 2 ? Condition::Flag : k < 4 ? Condition::Position : Condition::Traffic;
    step(which, k % 2 == 0);
}

void ConditionPanel::onArrowButton(int index)
{
    if (index < 0 || index >= 6)
        return;
    step(arrowSteps[index].condition, arrowSteps[index].up);
    // The focus goes straight back to the hidden field, so the next F2 is
    // taken at once.
    emit focusBack();
}

void ConditionPanel::moveSelector(int key)
{
    if (m_ui.flagDisplay->isHidden())
        return; // editing face: the arrow keys pick nothing
    int p = int(m_picked);
    if (key == Qt::Key_Left)
        p = qMax(0, p - 1);
    else if (key == Qt::Key_Right)
        p = qMin(2, p + 1);
    m_picked = Condition(p);
    const auto captions = m_ui.conditionCaptions();
    for (int i = 0; i < 3; ++i)
        setForeColour(captions[size_t(i)], i == p ? Palette::LightBlue : Palette::Black);
    if (key == Qt::Key_Up || key == Qt::Key_Down) {
        step(m_picked, key == Qt::Key_Up);
        emit focusBack();
    }
}

} // namespace sw
