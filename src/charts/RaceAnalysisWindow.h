#pragma once
// The race analysis window: lap times (or one segment's times) against the
// lap number in a zoomable chart, the pit stops and stints of a race, other
// races from lap-time files beside it, and the chart and stint table taken
// out as pictures, text and print.
//
// It shows plain LapSeries and never changes a race: the owner of the race
// hands it the live race after every change (setLiveSeries) and hears of a
// clicked lap (lapClicked). Race 0 is the live race; added races follow in
// the order they were added.

#include "analysis/LapFilter.h"
#include "analysis/LapSeries.h"
#include "analysis/Stints.h"
#include "graph/GraphRules.h"

#include <QColor>
#include <QPen>
#include <QWidget>

#include <array>
#include <optional>
#include <vector>

class QAbstractSeries;
class QAreaSeries;
class QChart;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineSeries;
class QPushButton;
class QScatterSeries;
class QSettings;
class QSpinBox;
class QTableWidget;
class QValueAxis;

namespace sw {

class AnalysisChartView;
class ChartGrid;
class ChartLine;
class PrinterSource;
class Prompts;
class SummaryLine;
struct ChartHit;

class RaceAnalysisWindow : public QWidget
{
    Q_OBJECT
public:
    // settings keeps the window's size and place between runs.
    RaceAnalysisWindow(Prompts &prompts, PrinterSource &printers, QSettings &settings,
                       QWidget *parent = nullptr);
    ~RaceAnalysisWindow() override;

    // The live race, after every press and edit. While the window is hidden
    // the race is only kept, and drawn when the window shows.
    void setLiveSeries(const LapSeries &series);
    // While a race is timed the chart is drawn without antialiasing, its
    // points are stamped pictures and its scale changes seldom (room on the
    // right, times' scale only growing): a live update then paints in a
    // fraction of the time. Smooth, vector and fitted again after it.
    void setTiming(bool timing);
    bool isTiming() const { return m_timing; }
    // The lap selected in the main window (0: none) is ringed.
    void setSelectedLap(int lap);
    int selectedLap() const { return m_selectedLap; }

    // What is plotted: WholeLap or a segment 1..4 ("Whole Laps", "Segment 1"..).
    void setQuantity(int quantity);
    int quantity() const { return m_quantity; }
    // Which condition colours the points of the shown race.
    void setColouring(GraphColouring colouring);
    GraphColouring colouring() const { return m_colouring; }
    void setAlignment(Alignment alignment);
    Alignment alignment() const { return m_alignment; }
    void setPitStopFactor(double factor);
    void setRollingWidth(int laps);
    // The "Count laps" choice for races added from files.
    void setLapFilter(LapFilter filter) { m_filter = filter; }

    // Races: 0 the live one, then the added ones.
    int raceCount() const { return int(m_races.size()); }
    const LapSeries &race(int index) const { return m_races[size_t(index)].series; }
    QColor raceColour(int index) const { return m_races[size_t(index)].colour; }
    // Reads a lap-time file and adds its race; false (after telling the user) when it cannot.
    bool addRaceFile(const QString &path);
    void removeRace(int index); // not the live race
    // The race whose stints the table shows and whose points the conditions colour.
    void setShownRace(int index);
    int shownRace() const { return m_shown; }

    const std::vector<PitStop> &shownStops() const { return m_stops; }
    const std::vector<Stint> &shownStints() const { return m_stints; }
    QString stintTableText() const;

    // Writes the chart as PNG, SVG or PDF by the file's extension.
    bool saveChartTo(const QString &path, QString *error);

    QChart *chart() const { return m_chart; }
    // The values the line of a race, and the rolling average, are drawn through.
    const QList<QPointF> &lineValues(int race) const;
    const QList<QPointF> &rollingValues() const;
    AnalysisChartView *chartView() const { return m_view; }
    QTableWidget *stintTable() const { return m_table; }
    // "Counted laps n   Best b   Average a   Pit stops s" of the shown race.
    QString summaryText() const;
    // Where a plotted lap of a race lies in the chart view's viewport, or
    // nullopt when it is not plotted.
    std::optional<QPointF> lapPosition(int race, int lap) const;
    QString lapDescription(int race, int lap) const;
    // Shows every plotted point (what Escape and a double-click do).
    void showAll();

public slots:
    void addRace();     // "Add Race..."
    void removeShownRace();
    void saveChart();   // "Save Chart..."
    void copyTable();   // "Copy Table"
    void exportTable(); // "Export Table..."
    void printChart();  // "Print Chart..."

signals:
    void lapClicked(int lap);

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    struct PlottedLap
    {
        int lap;
        QPointF value; // x on the chosen alignment, y the time
    };
    struct Race
    {
        LapSeries series;
        QColor colour;
        QLineSeries *line = nullptr;       // the legend's entry; holds no points
        ChartLine *drawnLine = nullptr;    // the line itself, in line's pen
        QScatterSeries *points = nullptr;  // counted laps (added races)
        QScatterSeries *hollow = nullptr;  // laps that do not count (added races)
        std::vector<PlottedLap> plotted;
    };

    void buildControls();
    Race &addRaceSeries(const LapSeries &series, const QColor &colour);
    void refresh(bool liveOnly = false);
    void plotRace(int index);
    void plotShownRaceExtras();
    void placeShading();
    void replotLines();
    double tickStep(double span, double minStep) const;
    bool timedTicks() const; // the axes show TimedSteps steps, a tick at each end
    void setAxisRange(QValueAxis *axis, double lo, double hi, double minStep);
    void fillTable();
    void fillQuantityList();
    void fillRaceList();
    void keepRingOnTop();
    QScatterSeries *newScatter(const QString &name, bool inLegend);
    void setMarkerMode(QScatterSeries *series);
    QLineSeries *newLine(const QString &name, bool inLegend);
    void attach(QAbstractSeries *series, bool inLegend);
    std::optional<ChartHit> pointAt(const QPointF &viewportPos) const;
    void renderChart(QPainter &painter, const QRectF &target);
    void reportError(const QString &text);

    Prompts &m_prompts;
    PrinterSource &m_printers;
    QSettings &m_settings;

    int m_quantity = WholeLap;
    GraphColouring m_colouring = GraphColouring::Flag;
    Alignment m_alignment = Alignment::LapNumber;
    double m_factor = DefaultPitStopFactor;
    int m_rollingWidth = DefaultRollingWidth;
    LapFilter m_filter = LapFilter::AllLaps;
    int m_selectedLap = 0;
    int m_shown = 0;
    int m_nextColour = 0;
    bool m_liveChangedUnseen = false; // setLiveSeries came while hidden
    bool m_timing = false;
    QPen m_themeLinePen; // the axes' own pen, for a chart not being timed
    bool m_scaleGrows = false; // while timing, once the scale fits the race
    bool m_timedScale = false; // the axes show timed steps (showAll while timing)

    std::vector<Race> m_races;
    std::vector<PitStop> m_stops;
    std::vector<Stint> m_stints;

    QChart *m_chart = nullptr;
    AnalysisChartView *m_view = nullptr;
    QValueAxis *m_axisX = nullptr;
    QValueAxis *m_axisY = nullptr;
    std::array<QScatterSeries *, 32> m_groups{}; // condition colour * 2 + hollow
    QScatterSeries *m_selected = nullptr;
    QLineSeries *m_average = nullptr;
    QLineSeries *m_best = nullptr;
    QLineSeries *m_rolling = nullptr; // the legend's entry of m_rollingLine
    ChartLine *m_rollingLine = nullptr;
    ChartGrid *m_timedGrid = nullptr; // the grid while timing, in place of the axes' own
    QAreaSeries *m_shade = nullptr;
    std::vector<std::pair<double, double>> m_bands; // left and right of each stop's shading

    QComboBox *m_quantityList = nullptr;
    QComboBox *m_colouringList = nullptr;
    QComboBox *m_alignmentList = nullptr;
    QDoubleSpinBox *m_factorBox = nullptr;
    QSpinBox *m_widthBox = nullptr;
    QComboBox *m_raceList = nullptr;
    QPushButton *m_removeButton = nullptr;
    QTableWidget *m_table = nullptr;
    SummaryLine *m_summary = nullptr;
};

} // namespace sw
