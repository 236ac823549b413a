#include "results/ResultsPanel.h"

#include "graph/GraphRules.h"
#include "graph/Palette.h"
#include "race/Race.h"
#include "results/ResultsTableModel.h"
#include "ui/Geometry.h"
#include "ui/MainWindowControls.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QScrollBar>
#include <QSettings>
#include <QSignalBlocker>
#include <QStyledItemDelegate>

namespace sw {

namespace {
// Shows the rows of laps left out of the statistics in grey, and the best
// and improved times on their tints.
class LeftOutLapDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        // Marked times: black on a light tint (contrast above 12:1), the
        // best also bold.
        const int mark = index.data(ResultsTableModel::MarkRole).toInt();
        if (mark != ResultsTableModel::NoMark) {
            option->backgroundBrush = mark == ResultsTableModel::BestMark ? QColor(0xE1, 0xBE, 0xE7)  // purple
                                                                          : QColor(0xC8, 0xE6, 0xC9); // green
            option->palette.setColor(QPalette::Text, Qt::black);
            option->font.setBold(mark == ResultsTableModel::BestMark);
            return;
        }
        if (index.data(ResultsTableModel::LapLeftOutRole).toBool()) {
            const PaletteRgb c = paletteColour(Palette::DarkGrey);
            option->palette.setColor(QPalette::Text, QColor(c.r, c.g, c.b));
        }
    }
};
} // namespace

ResultsPanel::ResultsPanel(Race &race, MainWindowControls &ui, QObject *parent)
    : QObject(parent), m_race(race), m_ui(ui), m_model(std::make_unique<ResultsTableModel>(race))
{
    setObjectName(QStringLiteral("ResultsPanel"));
    QTableView *v = ui.resultsView;
    v->setModel(m_model.get());
    v->setItemDelegate(new LeftOutLapDelegate(v));
    {
        const QSignalBlocker b(ui.countLapsList);
        for (LapFilter f : AllLapFilters)
            ui.countLapsList->addItem(lapFilterText(f));
        ui.countLapsList->setCurrentIndex(0);
    }
    connect(ui.countLapsList, &QComboBox::currentIndexChanged, this, &ResultsPanel::onListChanged);

    connect(v, &QTableView::clicked, this, [this](const QModelIndex &i) { clickLap(i.row() + 1); });
    connect(v->verticalHeader(), &QHeaderView::sectionClicked, this, [this](int s) { clickLap(s + 1); });
    connect(v->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int) { clickLap(0); });

    connect(&race, &Race::readingRecorded, this, [this](int lap, int) {
        if (lap >= 1)
            scrollTo(lap);
    });
    connect(&race, &Race::segmentsPerLapChanged, this, &ResultsPanel::resyncColumnWidths);
    // A whole record shown again scrolls as writing it lap by lap does: to
    // the last lap, then to the lap selected.
    connect(&race, &Race::replaced, this, [this] {
        setTopLap(1);
        rewriteScroll();
    });
    connect(&race, &Race::edited, this, [this](RaceEdit edit) {
        if (edit == RaceEdit::Insert || edit == RaceEdit::Delete)
            rewriteScroll();
    });
    connect(&race, &Race::recordChanged, this, &ResultsPanel::showStatistics);
    connect(&race, &Race::stateChanged, this, [this] {
        showStatistics();
        showSelection();
    });
    connect(&race, &Race::selectedLapChanged, this, [this](int lap) {
        if (m_race.state() == RaceState::Finished && lap >= 1)
            scrollTo(lap);
        showSelection();
    });
    resyncColumnWidths();
    showStatistics();
}

ResultsPanel::~ResultsPanel() = default;

QString ResultsPanel::settingsKey()
{
    return QStringLiteral("statistics/countLaps");
}

QString ResultsPanel::settingsWord(LapFilter filter)
{
    switch (filter) {
    case LapFilter::GreenOnly: return QStringLiteral("green");
    case LapFilter::GreenNotInTraffic: return QStringLiteral("green-clear");
    case LapFilter::AllLaps: break;
    }
    return QStringLiteral("all");
}

void ResultsPanel::setLapFilter(LapFilter filter)
{
    m_ui.countLapsList->setCurrentIndex(int(filter));
}

void ResultsPanel::rememberLapFilter(std::unique_ptr<QSettings> settings)
{
    const QString word = settings->value(settingsKey()).toString();
    for (LapFilter f : AllLapFilters)
        if (settingsWord(f) == word)
            setLapFilter(f);
    m_settings = std::move(settings);
}

void ResultsPanel::onListChanged(int index)
{
    if (index < 0 || index >= int(AllLapFilters.size()))
        return;
    m_filter = AllLapFilters[size_t(index)];
    if (m_settings)
        m_settings->setValue(settingsKey(), settingsWord(m_filter));
    m_model->setLapFilter(m_filter);
    showStatistics();
    emit lapFilterChanged(m_filter);
}

void ResultsPanel::showStatistics()
{
    if (m_statsRevision == m_race.revision() && m_statsFilter == m_filter)
        return;
    m_statsRevision = m_race.revision();
    m_statsFilter = m_filter;
    // While timing every lap counts (and nothing is shown).
    m_stats = statisticsTexts(m_race, m_race.state() == RaceState::Finished ? m_filter : LapFilter::AllLaps);
    for (int i = 0; i < 15; ++i) {
        m_ui.statValueLabels[size_t(i)]->setText(m_stats.values[size_t(i)]);
        m_ui.statValueLabels[size_t(i)]->setVisible(m_stats.valueVisible[size_t(i)]);
    }
    for (int i = 3; i <= 7; ++i)
        m_ui.statHeadings[size_t(i)]->setVisible(m_stats.headingVisible[size_t(i)]);
    m_ui.bestLapLabel->setText(m_stats.bestLapLabel);
    m_ui.bestLapLabel->setToolTip(m_stats.bestLapLine);
}

void ResultsPanel::showSelection()
{
    QItemSelectionModel *sm = m_ui.resultsView->selectionModel();
    const int lap = m_race.selectedLap();
    if (m_race.state() != RaceState::Finished || lap < 1) {
        sm->clearSelection();
        return;
    }
    const QItemSelection sel(m_model->index(lap - 1, 0), m_model->index(lap - 1, ResultsColumns - 2));
    sm->select(sel, QItemSelectionModel::ClearAndSelect);
}

void ResultsPanel::resyncColumnWidths()
{
    QTableView *v = m_ui.resultsView;
    const int n = m_race.segmentsPerLap();
    v->verticalHeader()->setFixedWidth(tw(resultsColumnWidthTwips(0, n)));
    int shown = 0;
    for (int c = 1; c < ResultsColumns; ++c)
        shown += tw(resultsColumnWidthTwips(c, n));
    // The extra width is shared in proportion to the columns' widths.
    for (int c = 1, given = 0, before = 0; c < ResultsColumns; ++c) {
        const int width = tw(resultsColumnWidthTwips(c, n));
        before += width;
        const int upTo = shown > 0 ? int(qint64(m_extraColumnWidth) * before / shown) : 0;
        v->setColumnWidth(c - 1, qMax(1, width + (width > 0 ? upTo - given : 0)));
        if (width > 0)
            given = upTo;
    }
}

void ResultsPanel::setExtraRoom(int width, int rows)
{
    m_extraColumnWidth = qMax(0, width);
    resyncColumnWidths();
    if (qMax(0, rows) == m_extraRows)
        return;
    m_extraRows = qMax(0, rows);
    // The lap in view stays where a grid of this height shows it.
    const int lap = m_race.state() == RaceState::Finished ? m_race.selectedLap() : m_race.lapsShown();
    if (lap > 6)
        setTopLap(topRowFor(lap));
}

int ResultsPanel::topLap() const
{
    return m_ui.resultsView->verticalScrollBar()->value() + 1;
}

void ResultsPanel::setTopLap(int lap)
{
    m_ui.resultsView->verticalScrollBar()->setValue(qBound(1, lap, ResultsTableModel::Laps) - 1);
}

// The lap is shown sixth from the top; a grid taller than designed shows
// as many more laps above it.
int ResultsPanel::topRowFor(int lap) const
{
    return qMax(1, qMin(lap - 5, 230) - m_extraRows);
}

void ResultsPanel::rewriteScroll()
{
    if (m_race.lastLap() > 6)
        setTopLap(topRowFor(m_race.lastLap()));
}

void ResultsPanel::scrollTo(int lap)
{
    int top = topLap();
    if (lap > 6)
        top = topRowFor(lap);
    if (lap < top - 2)
        top = lap;
    setTopLap(top);
}

void ResultsPanel::pickFromGraph(int lap)
{
    if (m_race.state() != RaceState::Finished)
        return;
    setTopLap(graphClickTopRow(lap, topLap()));
    m_race.selectLap(lap);
}

void ResultsPanel::clickLap(int lap)
{
    // Before the race is finished a click changes nothing: the grid shows
    // the laps being written.
    if (m_race.state() == RaceState::Finished)
        m_race.selectLap(lap);
}

} // namespace sw
