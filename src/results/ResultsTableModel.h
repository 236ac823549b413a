#pragma once
// The results grid as a table model derived from the race: one row per lap
// 1..250, one column per grid column 1..8 (segments, lap time, flag,
// position, traffic); the lap numbers and the headings are the header
// sections. Cell texts come from ResultsTexts; the model keeps no copy of
// the race and no view state (scrolling and selection live in the view).

#include "analysis/LapFilter.h"

#include <QAbstractTableModel>

namespace sw {

class Race;

class ResultsTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    static constexpr int Laps = 250;

    explicit ResultsTableModel(const Race &race, QObject *parent = nullptr);

    // Laps left out of the statistics by the lap filter (a finished race
    // only): their rows are shown greyed (data() answers LapLeftOutRole).
    static constexpr int LapLeftOutRole = Qt::UserRole + 1;
    void setLapFilter(LapFilter filter);
    LapFilter lapFilter() const { return m_filter; }
    bool lapLeftOut(int lap) const;

    // Grid column (1..8) of a model column, and the lap of a model row.
    static int gridColumn(int modelColumn) { return modelColumn + 1; }
    static int lapOfRow(int row) { return row + 1; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    void lapChanged(int lap);
    void allChanged();

    const Race &m_race;
    LapFilter m_filter = LapFilter::AllLaps;
};

} // namespace sw
