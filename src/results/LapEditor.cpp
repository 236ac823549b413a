#include "results/LapEditor.h"

#include "state/AppState.h"
#include "ui/MainWindowBase.h"
#include "results/EntryFields.h"
#include "results/LapEditing.h"
#include "timing/ConditionLists.h"
#include "timing/JournalLink.h"
#include "timing/NumberText.h"
#include "ui/Prompts.h"

namespace sw {

LapEditor::LapEditor(MainWindowBase &w) : m_w(w)
{
    for (int i = 0; i < 5; ++i)
        QObject::connect(w.ui.currentLapButtons()[i], &QPushButton::clicked, &w, [this, i] { onCurrentLapButton(i); });
}

void LapEditor::onCurrentLapButton(int index)
{
    AppState &s = m_w.state();
    switch (index) {
    case 0:
        insertCommand();
        break;
    case 1:
        deleteCommand();
        break;
    case 2:
        if (s.rec.ravelinMode)
            m_w.prompts().info(QStringLiteral("Timing not allowed when called by Ravelin."));
        else
            m_w.handleTimingKey(123);
        break;
    case 3:
        if (s.rec.raceState == RaceState::Finished)
            keepChanges();
        else
            m_w.handleTimingKey(122);
        break;
    case 4:
        cancelChanges();
        break;
    default:
        break;
    }
}

bool LapEditor::plausible(bool insert, int seg)
{
    const RaceRecord &r = m_w.state().rec;
    const QString text = m_w.ui.segmentFields[seg]->text();
    const PlausibilityCheck c = checkPlausibility(val(text), r.ModeSecs[0][seg - 1]);
    if (!c.ask)
        return true;
    return m_w.prompts().message(plausibilityQuestion(insert, text, c)) == Answer::Yes;
}

int LapEditor::segmentToEdit(bool insert)
{
    const RaceRecord &r = m_w.state().rec;
    if (r.raceState != RaceState::Finished || r.CurLap < 1)
        return 0;
    const int seg = selectedSegment(m_w.entryFields().currentField, r.NumSegs);
    return plausible(insert, seg) ? seg : 0;
}

void LapEditor::insertCommand()
{
    RaceRecord &r = m_w.state().rec;
    const int seg = segmentToEdit(true);
    if (seg == 0)
        return;
    const QString text = m_w.ui.segmentFields[seg]->text();
    const std::optional<QString> answer =
        m_w.prompts().input(insertPromptTitle(), insertPromptText(text), insertPromptDefault());
    const std::optional<double> x = insertAmount(answer.value_or(QString()), val(text));
    if (!x)
        return;
    const int lap = r.CurLap;
    if (insertReading(r, lap, seg, *x)) {
        replay(lap);
        journalEdited(m_w, JournalEdit::Insert, lap, seg);
    }
}

void LapEditor::deleteCommand()
{
    RaceRecord &r = m_w.state().rec;
    const int seg = segmentToEdit(false);
    if (seg == 0)
        return;
    const int lap = r.CurLap;
    if (deleteReading(r, lap, seg)) {
        replay(lap);
        journalEdited(m_w, JournalEdit::Delete, lap, seg);
    }
}

void LapEditor::replay(int lapToShow)
{
    rewriteAllLaps();
    selectLap(lapToShow);
}

void LapEditor::rewriteAllLaps()
{
    AppState &s = m_w.state();
    RaceRecord &r = s.rec;
    auto &ui = m_w.ui;
    for (int lap = 1; lap <= r.LastLap; ++lap) {
        r.CurLap = static_cast<qint16>(lap);
        for (int c = 5; c <= 7; ++c)
            ui.listField(c)->setCurrentIndex(listPosition(r.reading(lap, c)));
        for (int n = 1; n <= r.NumSegs; ++n) {
            r.CurSeg = static_cast<qint16>(n);
            s.rewritingRecord = true;
            m_w.writeSegmentStep(GraphUpdate::RowOnly);
        }
    }
}

void LapEditor::selectLap(int lap)
{
    AppState &s = m_w.state();
    s.grid.Row = lap;
    m_w.onGridClicked();
    m_w.showScreenMode();
    m_w.drawGraph();
}

void LapEditor::keepChanges()
{
    AppState &s = m_w.state();
    RaceRecord &r = s.rec;
    auto &ui = m_w.ui;
    const int lap = r.CurLap;
    if (lap < 1 || lap > r.LastLap)
        return;
    for (int c = 5; c <= 7; ++c)
        r.LapData[lap][c].set(ui.listField(c)->currentIndex());
    std::array<double, 5> values{};
    for (int n = 1; n <= r.NumSegs; ++n)
        values[n] = val(ui.segmentFields[n]->text());
    const KeepChangesResult edit = findEditedSegment(r, lap, values);
    s.rewritingRecord = true;
    if (applyKeepChanges(r, lap, edit)) {
        m_w.writeSegmentStep(GraphUpdate::StatsAndGraph);
        if (lap < r.LastLap) {
            s.grid.Row = lap + 1;
            m_w.onGridClicked();
        }
    } else {
        m_w.writeSegmentStep(GraphUpdate::StatsAndGraph);
    }
    s.rewritingRecord = false;
    journalEdited(m_w, JournalEdit::KeepChanges, lap, edit.editedSegment);
}

void LapEditor::cancelChanges()
{
    AppState &s = m_w.state();
    if (s.rec.raceState != RaceState::Finished)
        return;
    selectLap(m_w.ui.lapList->currentIndex() + 1);
}

} // namespace sw
