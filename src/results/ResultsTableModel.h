#pragma once
// The results grid as a table model derived from the race: one row per lap
// 1..250, one column per grid column 1..8 (segments, lap time, flag,
// position, traffic); the lap numbers and the headings are the header
// sections. Cell texts come from ResultsTexts; the model keeps no copy of
// the race and no view state (scrolling and selection live in the view).

#include "analysis/LapFilter.h"

#include <QAbstractTableModel>

#include <array>
#include <optional>

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

    // Marks of the time cells (grid columns 1..5): the best time of the
    // column among the laps the filter counts (every lap sharing it), or a
    // time faster than the same column of the lap before; a greyed lap has
    // none. MarkRole answers a
    // Mark (the grid draws it: a light tint, best also bold); the tool tip
    // and the spoken text say "best" or "improved".
    enum Mark { NoMark = 0, BestMark = 1, ImprovedMark = 2 };
    static constexpr int MarkRole = Qt::UserRole + 2;
    Mark mark(int lap, int column) const;

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
    void findBests();
    void onReadingRecorded(int lap, int segment);
    bool lapCountsForBest(int lap) const;

    const Race &m_race;
    LapFilter m_filter = LapFilter::AllLaps;
    // Best shown time of grid columns 1..5 among the counted laps, and the
    // first lap that has it; kept up to date press by press.
    std::array<std::optional<double>, 6> m_best{};
    std::array<int, 6> m_bestLap{};
};

} // namespace sw
