#include "state/ResultsGrid.h"

namespace sw {

ResultsGrid::ResultsGrid(QObject *parent) : QAbstractTableModel(parent)
{
    m_colWidth.fill(800);
}

void ResultsGrid::setTopRow(int r)
{
    if (r < 1)
        r = 1;
    if (r > kRows - 1)
        r = kRows - 1;
    if (r == m_topRow)
        return;
    m_topRow = r;
    emit topRowChanged(r);
}

void ResultsGrid::selectLapRow(int r)
{
    SelStartRow = SelEndRow = r;
    SelStartCol = 1;
    SelEndCol = kCols - 1;
    emit selectionChanged();
}

void ResultsGrid::setColWidth(int c, int twips)
{
    if (c < 0 || c >= kCols || m_colWidth[c] == twips)
        return;
    m_colWidth[c] = twips;
    emit columnWidthChanged(c, twips);
}

QString ResultsGrid::cell(int r, int c) const
{
    if (r < 0 || r >= kRows || c < 0 || c >= kCols)
        return QString();
    return m_cells[r][c];
}

void ResultsGrid::setCell(int r, int c, const QString &t)
{
    if (r < 0 || r >= kRows || c < 0 || c >= kCols)
        return;
    if (m_cells[r][c] == t)
        return;
    m_cells[r][c] = t;
    if (r == 0 && c > 0)
        emit headerDataChanged(Qt::Horizontal, c - 1, c - 1);
    else if (c == 0 && r > 0)
        emit headerDataChanged(Qt::Vertical, r - 1, r - 1);
    else if (r > 0 && c > 0) {
        const QModelIndex i = index(r - 1, c - 1);
        emit dataChanged(i, i, {Qt::DisplayRole});
    }
}

void ResultsGrid::setLapLeftOut(int lap, bool leftOut)
{
    if (lap < 1 || lap >= kRows || m_lapLeftOut[lap] == leftOut)
        return;
    m_lapLeftOut[lap] = leftOut;
    emit dataChanged(index(lap - 1, 0), index(lap - 1, kCols - 2), {LapLeftOutRole});
}

void ResultsGrid::clearAll()
{
    beginResetModel();
    for (auto &row : m_cells)
        for (QString &s : row)
            s.clear();
    endResetModel();
}

void ResultsGrid::scrollToWrittenRow(int r)
{
    int top = m_topRow;
    if (r > 6)
        top = qMin(r - 5, 230);
    if (r < top - 2)
        top = r;
    setTopRow(top);
}

int ResultsGrid::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : kRows - 1;
}

int ResultsGrid::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : kCols - 1;
}

QVariant ResultsGrid::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= kRows - 1 || index.column() >= kCols - 1)
        return QVariant();
    if (role == Qt::DisplayRole)
        return m_cells[index.row() + 1][index.column() + 1];
    if (role == LapLeftOutRole)
        return m_lapLeftOut[index.row() + 1];
    if (role == Qt::TextAlignmentRole) {
        const int c = index.column() + 1;
        return c <= 5 ? QVariant(int(Qt::AlignRight | Qt::AlignVCenter))
                      : QVariant(int(Qt::AlignLeft | Qt::AlignVCenter));
    }
    return QVariant();
}

QVariant ResultsGrid::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QVariant();
    if (orientation == Qt::Horizontal)
        return cell(0, section + 1);
    return cell(section + 1, 0);
}

} // namespace sw
