#include "results/ResultsTableModel.h"

#include "race/Race.h"
#include "results/ResultsTexts.h"

namespace sw {

ResultsTableModel::ResultsTableModel(const Race &race, QObject *parent) : QAbstractTableModel(parent), m_race(race)
{
    connect(&race, &Race::readingRecorded, this, [this](int lap, int) {
        if (lap >= 1)
            lapChanged(lap);
    });
    connect(&race, &Race::recordChanged, this, &ResultsTableModel::allChanged);
    connect(&race, &Race::stateChanged, this, &ResultsTableModel::allChanged);
    connect(&race, &Race::segmentsPerLapChanged, this, &ResultsTableModel::allChanged);
}

void ResultsTableModel::setLapFilter(LapFilter filter)
{
    if (filter == m_filter)
        return;
    m_filter = filter;
    allChanged();
}

bool ResultsTableModel::lapLeftOut(int lap) const
{
    return m_race.state() == RaceState::Finished && m_filter != LapFilter::AllLaps && lap >= 1
           && lap <= m_race.lapsShown() && !lapCounts(m_race.lapConditions(lap), m_filter);
}

void ResultsTableModel::lapChanged(int lap)
{
    if (lap < 1 || lap > Laps)
        return;
    emit dataChanged(index(lap - 1, 0), index(lap - 1, ResultsColumns - 2));
}

void ResultsTableModel::allChanged()
{
    emit dataChanged(index(0, 0), index(Laps - 1, ResultsColumns - 2));
}

int ResultsTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : Laps;
}

int ResultsTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ResultsColumns - 1;
}

QVariant ResultsTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= Laps || index.column() >= ResultsColumns - 1)
        return QVariant();
    const int lap = lapOfRow(index.row());
    const int column = gridColumn(index.column());
    switch (role) {
    case Qt::DisplayRole:
        return resultsCellText(m_race, lap, column);
    case LapLeftOutRole:
        return lapLeftOut(lap);
    case Qt::TextAlignmentRole:
        return column <= 5 ? QVariant(int(Qt::AlignRight | Qt::AlignVCenter))
                           : QVariant(int(Qt::AlignLeft | Qt::AlignVCenter));
    default:
        return QVariant();
    }
}

QVariant ResultsTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QVariant();
    if (orientation == Qt::Horizontal)
        return resultsHeading(section + 1);
    return resultsCellText(m_race, section + 1, 0);
}

} // namespace sw
