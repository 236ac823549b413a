#pragma once
// The results grid on the main window: refreshResults builds its frame and the
// entry lists, the grid click selects a lap after the race, and the view
// follows the model's column widths, top row, selection and statistics.

#include <QObject>

namespace sw {

class MainWindowBase;

class GridController : public QObject
{
    Q_OBJECT
public:
    explicit GridController(MainWindowBase &w);

    void refreshResults();
    void onGridClicked();
    // Sets every column width again from the model (after a change of the
    // screen scale).
    void resyncColumnWidths();

    // A click on a grid cell or lap-number section: the current row becomes
    // that lap (0 for the heading row), then the grid click runs.
    void clickRow(int row);

private:
    void syncColumnWidth(int col, int twips);
    void syncTopRow(int top);
    void syncSelection();
    void syncStats();

    MainWindowBase &m_w;
};

} // namespace sw
