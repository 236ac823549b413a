#include "results/LapEditor.h"

#include "state/AppState.h"
#include "app/FrmHead.h"
#include "results/EntryFields.h"
#include "results/LapEditing.h"
#include "timing/ConditionLists.h"
#include "timing/NumberText.h"
#include "ui/Prompts.h"

namespace sw {

LapEditor::LapEditor(FrmHead &w) : m_w(w)
{
    for (int i = 0; i < 5; ++i)
        QObject::connect(w.ui.Command3[i], &QPushButton::clicked, &w, [this, i] { Command3_Click(i); });
}

void LapEditor::Command3_Click(int index)
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
            m_w.UpdateKeys(123);
        break;
    case 3:
        if (s.rec.raceState == RaceState::Finished)
            keepChanges();
        else
            m_w.UpdateKeys(122);
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
    const QString text = m_w.ui.SpecData[seg]->text();
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
    const int seg = selectedSegment(m_w.entryFields().CurSpecIndex, r.NumSegs);
    return plausible(insert, seg) ? seg : 0;
}

void LapEditor::insertCommand()
{
    RaceRecord &r = m_w.state().rec;
    const int seg = segmentToEdit(true);
    if (seg == 0)
        return;
    const QString text = m_w.ui.SpecData[seg]->text();
    const std::optional<QString> answer =
        m_w.prompts().input(insertPromptTitle(), insertPromptText(text), insertPromptDefault());
    const std::optional<double> x = insertAmount(answer.value_or(QString()), val(text));
    if (!x)
        return;
    const int lap = r.CurLap;
    if (insertReading(r, lap, seg, *x))
        replay(lap);
}

void LapEditor::deleteCommand()
{
    RaceRecord &r = m_w.state().rec;
    const int seg = segmentToEdit(false);
    if (seg == 0)
        return;
    const int lap = r.CurLap;
    if (deleteReading(r, lap, seg))
        replay(lap);
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
            ui.cmbSpecData[c]->setCurrentIndex(listPosition(r.reading(lap, c)));
        for (int n = 1; n <= r.NumSegs; ++n) {
            r.CurSeg = static_cast<qint16>(n);
            s.rewritingRecord = true;
            m_w.UpdateTimer(1);
        }
    }
}

void LapEditor::selectLap(int lap)
{
    AppState &s = m_w.state();
    s.grid.Row = lap;
    m_w.gridClick();
    m_w.SetScreenMode();
    m_w.Grph();
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
        r.LapData[lap][c].set(ui.cmbSpecData[c]->currentIndex());
    std::array<double, 5> values{};
    for (int n = 1; n <= r.NumSegs; ++n)
        values[n] = val(ui.SpecData[n]->text());
    const KeepChangesResult edit = findEditedSegment(r, lap, values);
    s.rewritingRecord = true;
    if (applyKeepChanges(r, lap, edit)) {
        m_w.UpdateTimer(0);
        if (lap < r.LastLap) {
            s.grid.Row = lap + 1;
            m_w.gridClick();
        }
    } else {
        m_w.UpdateTimer(0);
    }
    s.rewritingRecord = false;
}

void LapEditor::cancelChanges()
{
    AppState &s = m_w.state();
    if (s.rec.raceState != RaceState::Finished)
        return;
    selectLap(m_w.ui.cmbSpecData[0]->currentIndex() + 1);
}

} // namespace sw
