#include "results/ResultsTableModel.h"

#include "race/Race.h"
#include "race/Statistics.h"
#include "results/ResultsTexts.h"

#include <algorithm>

namespace sw {

namespace {
QString markText(ResultsTableModel::Mark mark)
{
    switch (mark) {
    case ResultsTableModel::BestMark: return QStringLiteral("best");
    case ResultsTableModel::ImprovedMark: return QStringLiteral("improved");
    case ResultsTableModel::NoMark: break;
    }
    return QString();
}
} // namespace

ResultsTableModel::ResultsTableModel(const Race &race, QObject *parent) : QAbstractTableModel(parent), m_race(race)
{
    connect(&race, &Race::readingRecorded, this, &ResultsTableModel::onReadingRecorded);
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

bool ResultsTableModel::lapCountsForBest(int lap) const
{
    return lapCounts(m_race.lapConditions(lap), m_filter);
}

void ResultsTableModel::findBests()
{
    m_best.fill(std::nullopt);
    m_bestLap.fill(0);
    const int laps = m_race.lapsShown();
    for (int lap = 1; lap <= laps; ++lap) {
        if (!lapCountsForBest(lap))
            continue;
        for (int column = 1; column <= LapTimeColumn; ++column) {
            const std::optional<double> t = shownTime(m_race, lap, column);
            if (t && *t > 0 && (!m_best[size_t(column)] || *t < *m_best[size_t(column)])) {
                m_best[size_t(column)] = t;
                m_bestLap[size_t(column)] = lap;
            }
        }
    }
}

void ResultsTableModel::onReadingRecorded(int lap, int segment)
{
    if (lap < 1)
        return;
    // A press changes one segment and, at the lap's end, the lap time; only
    // a lap that stops counting (its conditions are those of its last press)
    // makes the bests be looked for again.
    bool bestMoved = false;
    if (lapCountsForBest(lap)) {
        for (int column : {segment, segment == m_race.segmentsPerLap() ? LapTimeColumn : 0}) {
            if (column == 0)
                continue;
            const std::optional<double> t = shownTime(m_race, lap, column);
            if (t && *t > 0 && (!m_best[size_t(column)] || *t < *m_best[size_t(column)])) {
                m_best[size_t(column)] = t;
                m_bestLap[size_t(column)] = lap;
                bestMoved = true;
            }
        }
    } else if (std::find(m_bestLap.begin(), m_bestLap.end(), lap) != m_bestLap.end()) {
        findBests();
        bestMoved = true;
    }
    // The lap's whole row (its conditions too), and the old best cells.
    lapChanged(lap);
    if (bestMoved)
        emit dataChanged(index(0, 0), index(Laps - 1, LapTimeColumn - 1));
}

ResultsTableModel::Mark ResultsTableModel::mark(int lap, int column) const
{
    if (column < 1 || column > LapTimeColumn || lap < 1 || lap > m_race.lapsShown())
        return NoMark;
    // A greyed lap (left out of the statistics) is out of the comparison.
    const std::optional<double> t = shownTime(m_race, lap, column);
    if (!t || *t <= 0 || lapLeftOut(lap))
        return NoMark;
    if (m_best[size_t(column)] && *t == *m_best[size_t(column)] && lapCountsForBest(lap))
        return BestMark;
    const std::optional<double> before = lap > 1 ? shownTime(m_race, lap - 1, column) : std::nullopt;
    if (before && *before > 0 && *t < *before)
        return ImprovedMark;
    return NoMark;
}

void ResultsTableModel::lapChanged(int lap)
{
    if (lap < 1 || lap > Laps)
        return;
    emit dataChanged(index(lap - 1, 0), index(lap - 1, ResultsColumns - 2));
}

void ResultsTableModel::allChanged()
{
    findBests();
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
    case MarkRole:
        return int(mark(lap, column));
    case Qt::ToolTipRole:
    case Qt::AccessibleDescriptionRole: {
        const QString word = markText(mark(lap, column));
        return word.isEmpty() ? QVariant() : QVariant(word);
    }
    case Qt::AccessibleTextRole: {
        const QString word = markText(mark(lap, column));
        const QString text = resultsCellText(m_race, lap, column).trimmed();
        return word.isEmpty() ? QVariant() : QVariant(text + QStringLiteral(", ") + word);
    }
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
