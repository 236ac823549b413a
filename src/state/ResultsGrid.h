#pragma once
// The results grid: 251 rows by 9 columns of text cells. Row 0 holds the
// headings and column 0 the lap numbers; both are fixed (the view shows them
// as its header sections). Row r (1..250) belongs to lap r.
//
// Everything that writes or reads grid cells works through this model, the way
// the program has always addressed its grid: set Row and Col, then read or
// write Text. It also carries the statistics table below the grid (the statistics
// values and which column heads are visible) and the scroll and
// selection state (TopRow, SelStartRow...), so that recording, statistics,
// editing, the graph and the report are all testable without a window.

#include <QAbstractTableModel>
#include <QString>

#include <array>

namespace sw {

class ResultsGrid : public QAbstractTableModel
{
    Q_OBJECT
public:
    static constexpr int kRows = 251;
    static constexpr int kCols = 9;

    explicit ResultsGrid(QObject *parent = nullptr);

    // Grid properties, named as the rest of the program uses them.
    int Rows() const { return kRows; }
    int Cols() const { return kCols; }
    int Row = 0;
    int Col = 0;
    QString Text() const { return cell(Row, Col); }
    void setText(const QString &t) { setCell(Row, Col, t); }

    int TopRow() const { return m_topRow; }
    void setTopRow(int r);

    int SelStartRow = 0, SelEndRow = 0, SelStartCol = 0, SelEndCol = 0;
    void selectLapRow(int r); // SelStartRow = SelEndRow = r, columns 1..Cols-1

    int ColWidth(int c) const { return m_colWidth[c]; } // twips
    void setColWidth(int c, int twips);

    QString cell(int r, int c) const;
    void setCell(int r, int c, const QString &t);
    void clearAll(); // every cell, headings included

    // Keeps the row just written in view: past row 6 the top row follows five
    // rows behind (at most 230, so 250 stays visible); a row above the top
    // (by more than two) brings the top back to it.
    void scrollToWrittenRow(int r);

    // Statistics table: statValues[(c-1)*3 + j] holds column c's average
    // (j=0), smallest (1) and largest (2) time; statHeadingVisible[3..7] the column heads.
    std::array<QString, 15> statValues;
    std::array<bool, 15> statValueVisible{};
    std::array<bool, 8> statHeadingVisible{};
    void notifyStatsChanged() { emit statsChanged(); }
    // Beside the statistics: the best possible lap and which laps the figures
    // count; empty when not shown.
    QString bestLapText;
    QString countedLapsText;

    // Laps left out of the statistics by the lap filter: their rows stay in
    // the grid but are shown greyed (data() answers LapLeftOutRole with true).
    static constexpr int LapLeftOutRole = Qt::UserRole + 1;
    bool lapLeftOut(int lap) const { return lap > 0 && lap < kRows && m_lapLeftOut[lap]; }
    void setLapLeftOut(int lap, bool leftOut);

    // QAbstractTableModel: data rows are laps 1..250, data columns grid
    // columns 1..8; row 0 and column 0 are the header sections.
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

signals:
    void topRowChanged(int topRow);
    void selectionChanged();
    void columnWidthChanged(int col, int twips);
    void statsChanged();

private:
    std::array<std::array<QString, kCols>, kRows> m_cells;
    std::array<int, kCols> m_colWidth{};
    std::array<bool, kRows> m_lapLeftOut{};
    int m_topRow = 1;
};

} // namespace sw
