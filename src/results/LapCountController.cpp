#include "results/LapCountController.h"

#include "analysis/LapAnalysis.h"
#include "state/AppState.h"
#include "timing/FinishSummary.h"
#include "timing/NumberText.h"
#include "ui/MainWindowBase.h"
#include "ui/Palette.h"

#include <QScopedValueRollback>
#include <QSettings>
#include <QSignalBlocker>
#include <QStyledItemDelegate>

namespace sw {

namespace {

// The program's settings (per user); tests point QSettings elsewhere.
QSettings programSettings()
{
    return QSettings(QStringLiteral("Splitwatch"), QStringLiteral("Splitwatch"));
}

// Shows the rows of laps left out of the statistics in grey.
class LeftOutLapDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (index.data(ResultsGrid::LapLeftOutRole).toBool()) {
            const PaletteRgb c = paletteColour(Palette::DarkGrey);
            option->palette.setColor(QPalette::Text, QColor(c.r, c.g, c.b));
        }
    }
};

// The label's short form: the time, then the lap of each segment in order.
QString bestLapLabelText(const BestPossibleLap &best)
{
    QStringList laps;
    for (const BestSegment &s : best.segments)
        laps << QString::number(s.lap);
    return QStringLiteral("Best possible lap %1\nfrom laps %2")
            .arg(formatTime(best.time).trimmed(), laps.join(QStringLiteral(", ")));
}

} // namespace

LapCountController::LapCountController(MainWindowBase &w) : QObject(&w), m_w(w)
{
    setObjectName(QStringLiteral("LapCountController"));
    QComboBox *list = w.ui.countLapsList;
    {
        const QSignalBlocker b(list);
        for (LapFilter f : AllLapFilters)
            list->addItem(lapFilterText(f));
        list->setCurrentIndex(0);
    }
    w.ui.resultsView->setItemDelegate(new LeftOutLapDelegate(w.ui.resultsView));
    connect(list, &QComboBox::currentIndexChanged, this, &LapCountController::onListChanged);
    connect(&w.state().grid, &ResultsGrid::statsChanged, this, &LapCountController::applyFilter);
}

QString LapCountController::settingsKey()
{
    return QStringLiteral("statistics/countLaps");
}

QString LapCountController::settingsWord(LapFilter filter)
{
    switch (filter) {
    case LapFilter::GreenOnly: return QStringLiteral("green");
    case LapFilter::GreenNotInTraffic: return QStringLiteral("green-clear");
    case LapFilter::AllLaps: break;
    }
    return QStringLiteral("all");
}

void LapCountController::setFilter(LapFilter filter)
{
    m_w.ui.countLapsList->setCurrentIndex(int(filter));
}

void LapCountController::rememberInSettings()
{
    const QString word = programSettings().value(settingsKey()).toString();
    for (LapFilter f : AllLapFilters)
        if (settingsWord(f) == word)
            setFilter(f);
    m_remember = true;
}

void LapCountController::onListChanged(int index)
{
    if (index < 0 || index >= int(AllLapFilters.size()))
        return;
    m_filter = AllLapFilters[size_t(index)];
    if (m_remember)
        programSettings().setValue(settingsKey(), settingsWord(m_filter));
    AppState &s = m_w.state();
    if (s.rec.raceState != RaceState::Finished)
        return;
    // The statistics of all laps first (the filter works on top of them),
    // then the graph on the new scale.
    applyFinishSummary(s);
    m_w.drawGraph();
}

void LapCountController::applyFilter()
{
    if (m_applying)
        return;
    const QScopedValueRollback<bool> guard(m_applying, true);
    AppState &s = m_w.state();
    const RaceRecord &r = s.rec;
    ResultsGrid &g = s.grid;
    // Only a finished race has statistics; while timing every lap counts.
    const bool finished = r.raceState == RaceState::Finished;
    const LapFilter filter = finished ? m_filter : LapFilter::AllLaps;
    const int laps = lapsInRace(r);
    for (int lap = 1; lap < ResultsGrid::kRows; ++lap)
        g.setLapLeftOut(lap, lap <= laps && !lapCounts(r, lap, filter));

    g.countedLapsText.clear();
    g.bestLapText.clear();
    QString label;
    if (finished) {
        if (filter != LapFilter::AllLaps) {
            const RaceFigures figures = raceFigures(r, filter);
            for (int c = 1; c <= LapTimeColumn; ++c) {
                if (c != LapTimeColumn && c > segmentsInUse(r))
                    continue; // columns out of use keep their cells, as for all laps
                const std::array<QString, 3> texts = figureTexts(figures.column(c));
                for (int j = 0; j < 3; ++j)
                    g.statValues[size_t((c - 1) * 3 + j)] = texts[size_t(j)];
            }
            g.countedLapsText = QStringLiteral("Laps counted: %1 (%2 of %3)")
                                        .arg(lapFilterText(filter))
                                        .arg(figures.lapsCounted)
                                        .arg(laps);
        }
        if (segmentsInUse(r) > 1) {
            if (const std::optional<BestPossibleLap> best = bestPossibleLap(r, filter)) {
                g.bestLapText = bestPossibleLapText(*best);
                label = bestLapLabelText(*best);
            }
        }
    }
    m_w.ui.bestLapLabel->setText(label);
    m_w.ui.bestLapLabel->setToolTip(g.bestLapText);
    g.notifyStatsChanged();
}

void rememberLapCountChoice(MainWindowBase &w)
{
    if (auto *c = w.findChild<LapCountController *>())
        c->rememberInSettings();
}

} // namespace sw
