#include "results/EditCommands.h"

#include "race/LapEditing.h"
#include "race/NumberText.h"
#include "race/Race.h"
#include "race/Statistics.h"
#include "results/CurrentLapPanel.h"
#include "ui/MainWindowControls.h"
#include "ui/Prompts.h"

namespace sw {

EditCommands::EditCommands(Race &race, MainWindowControls &ui, CurrentLapPanel &fields, Prompts &prompts,
                           QObject *parent)
    : QObject(parent), m_race(race), m_ui(ui), m_fields(fields), m_prompts(prompts)
{
    const auto buttons = ui.currentLapButtons();
    for (int i = 0; i < 5; ++i)
        connect(buttons[size_t(i)], &QPushButton::clicked, this, [this, i] { onCurrentLapButton(i); });
}

void EditCommands::onCurrentLapButton(int index)
{
    switch (index) {
    case 0:
        insertCommand();
        break;
    case 1:
        deleteCommand();
        break;
    case 2:
        if (m_race.isHeldInSetup())
            m_prompts.info(QStringLiteral("Timing not allowed when called by Ravelin."));
        else
            emit timingKey(Qt::Key_F12);
        break;
    case 3:
        if (m_race.state() == RaceState::Finished)
            keepChanges();
        else
            emit timingKey(Qt::Key_F11);
        break;
    case 4:
        cancelChanges();
        break;
    default:
        break;
    }
}

int EditCommands::segmentToEdit(bool insert)
{
    if (m_race.state() != RaceState::Finished || m_race.selectedLap() < 1)
        return 0;
    const int seg = selectedSegment(m_fields.currentField, m_race.segmentsPerLap());
    const QString text = m_ui.segmentFields[size_t(seg)]->text();
    const PlausibilityCheck c = checkPlausibility(val(text), anticipatedSegmentTime(m_race, seg));
    if (!c.ask)
        return seg;
    const MessageSpec question{plausibilityTitle(insert), plausibilityText(text, c.tolerance, c.anticipated),
                               Buttons::YesNo, Icon::Question, Answer::No};
    return m_prompts.message(question) == Answer::Yes ? seg : 0;
}

void EditCommands::insertCommand()
{
    const int seg = segmentToEdit(true);
    if (seg == 0)
        return;
    const QString text = m_ui.segmentFields[size_t(seg)]->text();
    const std::optional<QString> answer =
        m_prompts.input(insertPromptTitle(), insertPromptText(text), insertPromptDefault());
    if (const std::optional<double> x = insertAmount(answer.value_or(QString()), val(text)))
        m_race.insertReading(m_race.selectedLap(), seg, *x);
}

void EditCommands::deleteCommand()
{
    const int seg = segmentToEdit(false);
    if (seg != 0)
        m_race.deleteReading(m_race.selectedLap(), seg);
}

void EditCommands::keepChanges()
{
    const int lap = m_race.selectedLap();
    if (lap < 1 || lap > m_race.lastLap())
        return;
    m_race.keepChanges(lap, m_fields.fieldTimes(), m_fields.listConditions());
}

void EditCommands::cancelChanges()
{
    if (m_race.state() == RaceState::Finished)
        m_fields.showSelectedLap();
}

} // namespace sw
