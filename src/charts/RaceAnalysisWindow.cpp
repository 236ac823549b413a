#include "charts/RaceAnalysisWindow.h"

#include "analysis/StintTable.h"
#include "charts/AnalysisChartView.h"
#include "charts/ChartGrid.h"
#include "charts/ChartLine.h"
#include "charts/LapFileSeries.h"
#include "charts/SummaryLine.h"
#include "files/FileIo.h"
#include "files/LapFile.h"
#include "printing/PrinterSource.h"
#include "race/ConditionLists.h"
#include "race/Race.h"
#include "graph/Palette.h"
#include "ui/Prompts.h"

#include <QAreaSeries>
#include <QBuffer>
#include <QChart>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QGraphicsLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPushButton>
#include <QScatterSeries>
#include <QSettings>
#include <QSpinBox>
#include <QSplitter>
#include <QSvgGenerator>
#include <QTableWidget>
#include <QValueAxis>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace sw {

namespace {

const char GeometryKey[] = "RaceAnalysis/geometry";

constexpr double PointSize = 9;
constexpr double SelectedSize = 17;
// A point answers the mouse within this many pixels of its centre.
constexpr double HitRadius = 7;

QColor colourOf(Palette p)
{
    const PaletteRgb c = paletteColour(p);
    return QColor(c.r, c.g, c.b);
}

// Line colours of the races in the order they are added; the live race's
// line is grey so that its coloured points stand out.
const Palette RaceColours[] = {Palette::LightBlue, Palette::Red, Palette::Brown, Palette::DarkGrey,
                               Palette::Magenta};

// Light colours vanish on the chart's white ground without a dark rim.
bool isLight(Palette p)
{
    return p == Palette::Yellow || p == Palette::White || p == Palette::LightCyan
            || p == Palette::LightGreen || p == Palette::LightGrey;
}

Palette conditionColour(GraphColouring colouring, const SeriesLap &lap)
{
    return graphLapColour(colouring, false, itemText(flagItems(), lap.flag),
                          itemText(positionItems(), lap.position),
                          itemText(trafficItems(), lap.traffic));
}

void styleScatter(QScatterSeries *s, const QColor &fill, const QColor &rim, bool hollow)
{
    s->setMarkerShape(QScatterSeries::MarkerShapeCircle);
    s->setMarkerSize(PointSize);
    // A filled point's rim is a cosmetic (one-pixel) pen: a marker with a
    // wider pen works out its bounds by stroking its outline, every time a
    // live update moves it.
    s->setPen(QPen(rim, hollow ? 2.0 : 0.0));
    s->setBrush(hollow ? QBrush(Qt::NoBrush) : QBrush(fill));
}

// A scatter series' marker drawn once as a picture. While a race is timed
// the chart stamps this picture at every point instead of keeping a
// graphics item a point, which cuts the cost of a change of scale by about
// a quarter.
QImage markerPicture(const QScatterSeries &s)
{
    const int size = qRound(s.markerSize());
    QImage picture(size, size, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    QPen pen = s.pen();
    const double penWidth = std::max(1.0, pen.widthF());
    pen.setWidthF(penWidth);
    painter.setPen(pen);
    painter.setBrush(s.brush());
    const double inset = penWidth / 2;
    painter.drawEllipse(QRectF(inset, inset, size - penWidth, size - penWidth));
    return picture;
}

// A tick interval of 1, 2 or 5 times a power of ten that cuts span into
// about eight parts; whole laps and minutes never step by less than minStep.
double niceStep(double span, double minStep)
{
    if (!(span > 0))
        return std::max(minStep, 1.0);
    const double raw = span / 8;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    const double norm = raw / magnitude;
    const double step = (norm < 1.5 ? 1 : norm < 3 ? 2 : norm < 7 ? 5 : 10) * magnitude;
    return std::max(step, minStep);
}

// While a race is timed each axis shows this many whole steps.
constexpr int TimedSteps = 5;

// Ticks on whole multiples of step, labels with as many decimals as the
// step needs (at most three). fixedCount: the range is TimedSteps whole
// steps; a tick at each end and between them. Counted from an anchor
// instead, Qt Charts adds up the steps and loses the tick (and number) at
// an end that the sum misses by a rounding error (1.44 + 5 x 0.03 is
// 1.5899999999999999).
void placeTicks(QValueAxis *axis, double step, bool fixedCount)
{
    if (fixedCount) {
        axis->setTickType(QValueAxis::TicksFixed);
        axis->setTickCount(TimedSteps + 1);
    } else {
        axis->setTickType(QValueAxis::TicksDynamic);
        axis->setTickAnchor(0);
    }
    axis->setTickInterval(step);
    int decimals = 0;
    while (decimals < 3) {
        const double scaled = step * std::pow(10.0, decimals);
        if (std::abs(scaled - std::round(scaled)) < 1e-6 * scaled)
            break;
        ++decimals;
    }
    axis->setLabelFormat(QStringLiteral("%.") + QString::number(decimals) + QStringLiteral("f"));
}

// While a race is timed an axis shows TimedSteps whole steps. A step is 1,
// 2, 3, 4, 5, 6 or 8 times a power of ten (whole numbers only when minStep
// is 1), the smallest that takes lo to hi; the axis then always shows the
// same count of numbers, and their width changes seldom (a change of width
// lays the whole chart out again).
std::pair<double, double> timedRange(double lo, double hi, double minStep)
{
    static const double ladder[] = {1, 2, 3, 4, 5, 6, 8};
    const double raw = std::max((hi - lo) / TimedSteps, 1e-6);
    double magnitude = std::pow(10.0, std::floor(std::log10(raw)) - 1);
    for (;; magnitude *= 10)
        for (const double m : ladder) {
            const double step = m * magnitude;
            if (step < minStep || (minStep >= 1 && step != std::round(step)))
                continue;
            const double low = std::floor(lo / step) * step;
            if (low + TimedSteps * step >= hi)
                return {low, low + TimedSteps * step};
        }
}

// A chart redraws what a replaced series covers: leave unchanged ones be.
void replaceIfChanged(QXYSeries *series, const QList<QPointF> &points)
{
    if (series->points() != points)
        series->replace(points);
}

QString seconds(double v)
{
    return QString::number(v, 'f', 3);
}

QString quantityTitle(int quantity)
{
    return quantity == WholeLap ? QStringLiteral("Lap time (s)")
                                : QStringLiteral("Segment %1 time (s)").arg(quantity);
}

} // namespace

RaceAnalysisWindow::RaceAnalysisWindow(Prompts &prompts, PrinterSource &printers, QSettings &settings,
                                       QWidget *parent)
    : QWidget(parent, Qt::Window), m_prompts(prompts), m_printers(printers), m_settings(settings)
{
    setWindowTitle(QStringLiteral("Race Analysis"));
    m_chart = new QChart;
    m_chart->legend()->setAlignment(Qt::AlignBottom);
    m_chart->setMargins(QMargins(4, 4, 4, 4));
    // The theme's background is a gradient from white to white, worked out
    // pixel by pixel at every repaint of the plot: plain white looks the same.
    m_chart->setBackgroundBrush(QBrush(Qt::white));
    m_axisX = new QValueAxis;
    m_axisY = new QValueAxis;
    m_axisX->setTickType(QValueAxis::TicksDynamic);
    m_axisY->setTickType(QValueAxis::TicksDynamic);
    // Numbers are never cut short; not measuring them for it saves time at
    // every change of scale.
    m_axisX->setTruncateLabels(false);
    m_axisY->setTruncateLabels(false);
    connect(m_axisX, &QValueAxis::rangeChanged, this, [this] {
        placeTicks(m_axisX, tickStep(m_axisX->max() - m_axisX->min(), m_alignment == Alignment::LapNumber ? 1 : 0),
                   timedTicks());
        placeShading();
        replotLines();
    });
    connect(m_axisY, &QValueAxis::rangeChanged, this, [this] {
        placeTicks(m_axisY, tickStep(m_axisY->max() - m_axisY->min(), 0), timedTicks());
        placeShading();
        replotLines();
    });
    connect(m_chart, &QChart::plotAreaChanged, this, &RaceAnalysisWindow::replotLines);
    m_chart->addAxis(m_axisX, Qt::AlignBottom);
    m_chart->addAxis(m_axisY, Qt::AlignLeft);
    m_themeLinePen = m_axisX->linePen();
    m_timedGrid = new ChartGrid(m_chart, m_axisX, m_axisY);
    m_timedGrid->setColour(m_axisX->gridLinePen().color());
    m_timedGrid->hide();
    m_view = new AnalysisChartView(m_chart);
    m_view->pointAt = [this](const QPointF &p) { return pointAt(p); };
    m_view->describe = [this](const ChartHit &h) { return lapDescription(h.race, h.lap); };
    connect(m_view, &AnalysisChartView::pointClicked, this, [this](int race, int lap) {
        if (race == m_shown || race == 0) {
            setSelectedLap(lap);
            if (race == 0)
                emit lapClicked(lap);
        }
    });
    connect(m_view, &AnalysisChartView::showAllRequested, this, &RaceAnalysisWindow::showAll);

    // Shading first, so it lies beneath the lines and points. One area
    // holds the bands of every stop: its upper edge rises to the top over
    // each stop and lies on the bottom between them.
    m_shade = new QAreaSeries(new QLineSeries, new QLineSeries);
    // An area series does not own its edges.
    m_shade->upperSeries()->setParent(m_shade);
    m_shade->lowerSeries()->setParent(m_shade);
    m_shade->setName(QStringLiteral("Pit stop"));
    QColor shade = colourOf(Palette::LightGrey);
    shade.setAlpha(110);
    m_shade->setBrush(shade);
    m_shade->setPen(Qt::NoPen);
    // Always in the legend: a legend entry that appears with the first stop
    // of a live race would need the whole chart laid out again.
    attach(m_shade, true);
    m_average = newLine(QStringLiteral("Average"), true);
    m_average->setPen(QPen(colourOf(Palette::Black), 1.5, Qt::DashLine));
    m_best = newLine(QStringLiteral("Best"), true);
    m_best->setPen(QPen(colourOf(Palette::Cyan), 1.5, Qt::DashDotLine));
    m_rolling = newLine(QString(), true);
    m_rolling->setPen(QPen(colourOf(Palette::Magenta), 2.5));
    m_rollingLine = new ChartLine(m_chart, m_rolling);

    buildControls();
    addRaceSeries(LapSeries(), colourOf(Palette::DarkGrey));
    // Every condition colour's points, filled and hollow, made now: a series
    // added to a chart lays the chart out again, too dear for a live update.
    for (int key = 0; key < int(m_groups.size()); ++key) {
        QScatterSeries *group = newScatter(QString(), false);
        const bool hollow = key % 2 == 1;
        const Palette p = static_cast<Palette>(key / 2);
        QColor rim = isLight(p) ? colourOf(Palette::Black) : colourOf(p).darker(160);
        if (hollow)
            rim = isLight(p) ? colourOf(Palette::Brown) : colourOf(p);
        styleScatter(group, colourOf(p), rim, hollow);
        m_groups[size_t(key)] = group;
    }
    m_selected = newScatter(QString(), false);
    m_selected->setMarkerSize(SelectedSize);
    m_selected->setPen(QPen(colourOf(Palette::LightMagenta), 3));
    m_selected->setBrush(Qt::NoBrush);
    setMarkerMode(m_selected);

    resize(1100, 760);
    restoreGeometry(m_settings.value(QLatin1String(GeometryKey)).toByteArray());
    refresh();
}

RaceAnalysisWindow::~RaceAnalysisWindow() = default;

void RaceAnalysisWindow::buildControls()
{
    m_quantityList = new QComboBox;
    m_colouringList = new QComboBox;
    m_colouringList->addItems({QStringLiteral("Flag"), QStringLiteral("Position"), QStringLiteral("Traffic")});
    m_alignmentList = new QComboBox;
    m_alignmentList->addItems({QStringLiteral("Lap Number"), QStringLiteral("Race Time")});
    m_factorBox = new QDoubleSpinBox;
    m_factorBox->setRange(1.05, 10.0);
    m_factorBox->setSingleStep(0.05);
    m_factorBox->setValue(m_factor);
    m_factorBox->setSuffix(QStringLiteral(" x median"));
    m_widthBox = new QSpinBox;
    m_widthBox->setRange(1, 50);
    m_widthBox->setValue(m_rollingWidth);
    m_widthBox->setSuffix(QStringLiteral(" laps"));
    fillQuantityList();

    auto *choices = new QHBoxLayout;
    auto labelled = [&](const QString &text, QWidget *w) {
        auto *label = new QLabel(text);
        label->setBuddy(w);
        choices->addWidget(label);
        choices->addWidget(w);
    };
    labelled(QStringLiteral("&Graph:"), m_quantityList);
    labelled(QStringLiteral("&Colour by:"), m_colouringList);
    labelled(QStringLiteral("&Align by:"), m_alignmentList);
    labelled(QStringLiteral("&Pit stop above:"), m_factorBox);
    labelled(QStringLiteral("&Rolling average:"), m_widthBox);
    choices->addStretch();

    m_raceList = new QComboBox;
    m_raceList->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    auto *addButton = new QPushButton(QStringLiteral("Add Race..."));
    m_removeButton = new QPushButton(QStringLiteral("Remove Race"));
    auto *copyButton = new QPushButton(QStringLiteral("Copy Table"));
    auto *exportButton = new QPushButton(QStringLiteral("Export Table..."));
    auto *saveButton = new QPushButton(QStringLiteral("Save Chart..."));
    auto *printButton = new QPushButton(QStringLiteral("Print Chart..."));
    auto *actions = new QHBoxLayout;
    auto *raceLabel = new QLabel(QStringLiteral("&Stints of:"));
    raceLabel->setBuddy(m_raceList);
    actions->addWidget(raceLabel);
    actions->addWidget(m_raceList);
    for (QPushButton *b : {addButton, m_removeButton, copyButton, exportButton, saveButton, printButton})
        actions->addWidget(b);
    actions->addStretch();
    m_summary = new SummaryLine(QStringLiteral("Counted laps 250   Best 999.999   Average 999.999   Pit stops 9"));
    actions->addWidget(m_summary);

    m_table = new QTableWidget(0, int(stintTableHeader().size()));
    m_table->setHorizontalHeaderLabels(stintTableHeader());
    m_table->verticalHeader()->hide();
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);

    auto *lower = new QWidget;
    auto *lowerLayout = new QVBoxLayout(lower);
    lowerLayout->setContentsMargins(0, 0, 0, 0);
    lowerLayout->addLayout(actions);
    lowerLayout->addWidget(m_table);
    auto *splitter = new QSplitter(Qt::Vertical);
    splitter->addWidget(m_view);
    splitter->addWidget(lower);
    splitter->setStretchFactor(0, 4);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({800, 200}); // the chart takes four parts of five at first

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(choices);
    layout->addWidget(splitter);

    connect(m_quantityList, &QComboBox::activated, this, [this](int i) { setQuantity(i); });
    connect(m_colouringList, &QComboBox::activated, this,
            [this](int i) { setColouring(graphColouringFromIndex(i)); });
    connect(m_alignmentList, &QComboBox::activated, this, [this](int i) {
        setAlignment(i == 1 ? Alignment::RaceTime : Alignment::LapNumber);
    });
    connect(m_factorBox, &QDoubleSpinBox::valueChanged, this, &RaceAnalysisWindow::setPitStopFactor);
    connect(m_widthBox, &QSpinBox::valueChanged, this, &RaceAnalysisWindow::setRollingWidth);
    connect(m_raceList, &QComboBox::activated, this, &RaceAnalysisWindow::setShownRace);
    connect(addButton, &QPushButton::clicked, this, &RaceAnalysisWindow::addRace);
    connect(m_removeButton, &QPushButton::clicked, this, &RaceAnalysisWindow::removeShownRace);
    connect(copyButton, &QPushButton::clicked, this, &RaceAnalysisWindow::copyTable);
    connect(exportButton, &QPushButton::clicked, this, &RaceAnalysisWindow::exportTable);
    connect(saveButton, &QPushButton::clicked, this, &RaceAnalysisWindow::saveChart);
    connect(printButton, &QPushButton::clicked, this, &RaceAnalysisWindow::printChart);
}

void RaceAnalysisWindow::attach(QAbstractSeries *series, bool inLegend)
{
    m_chart->addSeries(series);
    series->attachAxis(m_axisX);
    series->attachAxis(m_axisY);
    if (!inLegend)
        for (QLegendMarker *m : m_chart->legend()->markers(series))
            m->setVisible(false);
}

QScatterSeries *RaceAnalysisWindow::newScatter(const QString &name, bool inLegend)
{
    auto *s = new QScatterSeries;
    s->setName(name);
    attach(s, inLegend);
    return s;
}

QLineSeries *RaceAnalysisWindow::newLine(const QString &name, bool inLegend)
{
    auto *s = new QLineSeries;
    s->setName(name);
    attach(s, inLegend);
    return s;
}

RaceAnalysisWindow::Race &RaceAnalysisWindow::addRaceSeries(const LapSeries &series, const QColor &colour)
{
    Race r;
    r.series = series;
    r.colour = colour;
    r.line = newLine(series.name, true);
    r.line->setPen(QPen(colour, 1.5));
    r.drawnLine = new ChartLine(m_chart, r.line);
    const bool live = m_races.empty();
    if (!live) {
        r.points = newScatter(QString(), false);
        r.hollow = newScatter(QString(), false);
        styleScatter(r.points, colour, colour.darker(150), false);
        styleScatter(r.hollow, colour, colour, true);
        setMarkerMode(r.points);
        setMarkerMode(r.hollow);
        keepRingOnTop();
    }
    m_races.push_back(std::move(r));
    fillRaceList();
    return m_races.back();
}

void RaceAnalysisWindow::keepRingOnTop()
{
    const QList<QPointF> ring = m_selected->points();
    m_chart->removeSeries(m_selected);
    attach(m_selected, false);
    m_selected->replace(ring);
}

void RaceAnalysisWindow::fillQuantityList()
{
    const int segments = m_races.empty() ? 1 : m_races.front().series.segmentsPerLap;
    const QStringList items = graphQuantityItems(qBound(1, segments, 4));
    if (m_quantityList->count() != items.size()) {
        m_quantityList->clear();
        m_quantityList->addItems(items);
    }
    if (m_quantity >= items.size())
        m_quantity = WholeLap;
    m_quantityList->setCurrentIndex(m_quantity);
}

void RaceAnalysisWindow::fillRaceList()
{
    m_raceList->clear();
    for (const Race &r : m_races)
        m_raceList->addItem(r.series.name.isEmpty() ? QStringLiteral("This race") : r.series.name);
    m_raceList->setCurrentIndex(m_shown);
    m_removeButton->setEnabled(m_shown > 0);
}

void RaceAnalysisWindow::setLiveSeries(const LapSeries &series)
{
    const bool renamed = series.name != m_races.front().series.name;
    const bool resegmented = series.segmentsPerLap != m_races.front().series.segmentsPerLap;
    m_races.front().series = series;
    if (renamed) {
        m_races.front().line->setName(series.name);
        m_raceList->setItemText(0, series.name.isEmpty() ? QStringLiteral("This race") : series.name);
    }
    if (resegmented)
        fillQuantityList();
    // Out of sight the race is only kept: showing the window draws it.
    if (!isVisible()) {
        m_liveChangedUnseen = true;
        return;
    }
    refresh(true);
}

void RaceAnalysisWindow::setTiming(bool timing)
{
    if (m_timing == timing)
        return;
    m_timing = timing;
    m_scaleGrows = false;
    m_view->setRenderHint(QPainter::Antialiasing, !timing);
    // Without antialiasing nothing bleeds past an item's bounds.
    m_view->setOptimizationFlag(QGraphicsView::DontAdjustForAntialiasing, timing);
    for (QAbstractSeries *series : m_chart->series())
        if (auto *scatter = qobject_cast<QScatterSeries *>(series))
            setMarkerMode(scatter);
    // While timing the grid is drawn as filled rectangles, and the axis
    // lines are hairlines (width 0): a line of any other width finds its
    // bounds by stroking an outline, several times at every repaint. On
    // paper and in a saved picture the theme's own grid and pens stay, as a
    // hairline there is one dot of the printer.
    for (QValueAxis *axis : {m_axisX, m_axisY}) {
        QPen line = m_themeLinePen;
        if (timing)
            line.setWidthF(0);
        axis->setLinePen(line);
        axis->setGridLineVisible(!timing);
    }
    m_timedGrid->setVisible(timing);
    m_view->viewport()->update();
}

void RaceAnalysisWindow::setMarkerMode(QScatterSeries *series)
{
    // Beside a stamped picture Qt Charts keeps its graphics item per point,
    // drawn in transparent ink and clipped one by one: hidden, they cost
    // nothing. Stamped pictures are drawn whatever this says. The chart
    // reads this only when something else of the series changes: set it
    // before the picture.
    series->setPointsVisible(!m_timing);
    series->setLightMarker(m_timing ? markerPicture(*series) : QImage());
}

void RaceAnalysisWindow::setSelectedLap(int lap)
{
    m_selectedLap = lap;
    QList<QPointF> ring;
    for (const PlottedLap &p : m_races[size_t(m_shown)].plotted)
        if (p.lap == lap)
            ring << p.value;
    replaceIfChanged(m_selected, ring);
}

void RaceAnalysisWindow::setQuantity(int quantity)
{
    m_quantity = qBound(0, quantity, m_quantityList->count() - 1);
    m_quantityList->setCurrentIndex(m_quantity);
    m_view->setZoomed(false);
    refresh();
}

void RaceAnalysisWindow::setColouring(GraphColouring colouring)
{
    m_colouring = colouring == GraphColouring::None ? GraphColouring::Flag : colouring;
    m_colouringList->setCurrentIndex(int(m_colouring));
    refresh();
}

void RaceAnalysisWindow::setAlignment(Alignment alignment)
{
    m_alignment = alignment;
    m_alignmentList->setCurrentIndex(alignment == Alignment::RaceTime ? 1 : 0);
    m_view->setZoomed(false);
    refresh();
}

void RaceAnalysisWindow::setPitStopFactor(double factor)
{
    m_factor = factor;
    if (m_factorBox->value() != factor)
        m_factorBox->setValue(factor);
    refresh();
}

void RaceAnalysisWindow::setRollingWidth(int laps)
{
    m_rollingWidth = laps;
    if (m_widthBox->value() != laps)
        m_widthBox->setValue(laps);
    refresh();
}

void RaceAnalysisWindow::setShownRace(int index)
{
    if (index < 0 || index >= raceCount())
        return;
    m_shown = index;
    m_raceList->setCurrentIndex(index);
    m_removeButton->setEnabled(index > 0);
    refresh();
}

void RaceAnalysisWindow::removeRace(int index)
{
    if (index <= 0 || index >= raceCount())
        return;
    Race &r = m_races[size_t(index)];
    delete r.drawnLine;
    for (QAbstractSeries *s : {static_cast<QAbstractSeries *>(r.line), static_cast<QAbstractSeries *>(r.points),
                               static_cast<QAbstractSeries *>(r.hollow)}) {
        m_chart->removeSeries(s);
        delete s;
    }
    m_races.erase(m_races.begin() + index);
    if (m_shown >= index)
        m_shown = m_shown == index ? 0 : m_shown - 1;
    fillRaceList();
    refresh();
}

void RaceAnalysisWindow::removeShownRace()
{
    removeRace(m_shown);
}

bool RaceAnalysisWindow::addRaceFile(const QString &path)
{
    QString error;
    const std::optional<QByteArray> bytes = loadFile(path, &error);
    QString problem;
    LapFileReadResult read;
    if (!bytes) {
        problem = error;
    } else {
        read = readLapFile(*bytes, false);
        if (read.status == LapFileReadResult::NotLapFile)
            problem = QStringLiteral("It is not a Lap Time file.");
        else if (read.status == LapFileReadResult::Damaged)
            problem = read.problem;
    }
    if (!problem.isEmpty()) {
        reportError(QStringLiteral("This race can not be added to the chart:\n\n    ")
                    + QDir::toNativeSeparators(path) + QStringLiteral("\n\n") + problem);
        return false;
    }
    const LapSeries series = lapSeriesFromFile(read.content, QFileInfo(path).fileName(), m_filter);
    const Palette colour = RaceColours[m_nextColour++ % std::size(RaceColours)];
    addRaceSeries(series, colourOf(colour));
    refresh();
    return true;
}

void RaceAnalysisWindow::addRace()
{
    const std::optional<QString> path = m_prompts.openFile(
        {QStringLiteral("Add Race"), QStringLiteral("All Files (*)"), QString(), QString()});
    if (path && !path->isEmpty())
        addRaceFile(*path);
}

void RaceAnalysisWindow::plotRace(int index)
{
    Race &r = m_races[size_t(index)];
    r.plotted.clear();
    r.plotted.reserve(r.series.laps.size());
    const double xScale = m_alignment == Alignment::RaceTime ? 1.0 / 60.0 : 1.0; // race time in minutes
    for (const SeriesLap &lap : r.series.laps) {
        const auto y = lapQuantity(lap, m_quantity);
        const auto x = alignedPosition(lap, m_alignment);
        if (y && x)
            r.plotted.push_back({lap.lap, QPointF(*x * xScale, *y)});
    }
    QList<QPointF> line;
    line.reserve(qsizetype(r.plotted.size()));
    for (const PlottedLap &p : r.plotted)
        line << p.value;
    r.drawnLine->setValues(line);

    if (index == m_shown) {
        // Condition colours, counted laps filled and the others hollow.
        std::array<QList<QPointF>, 32> groups;
        size_t i = 0;
        for (const SeriesLap &lap : r.series.laps) {
            if (i >= r.plotted.size() || r.plotted[i].lap != lap.lap)
                continue;
            const int key = int(conditionColour(m_colouring, lap)) * 2 + (lap.counts ? 0 : 1);
            groups[size_t(key)] << r.plotted[i++].value;
        }
        for (size_t key = 0; key < groups.size(); ++key)
            replaceIfChanged(m_groups[key], groups[key]);
        if (r.points) {
            r.points->clear();
            r.hollow->clear();
        }
        return;
    }
    QList<QPointF> filled;
    QList<QPointF> hollow;
    size_t i = 0;
    for (const SeriesLap &lap : r.series.laps) {
        if (i >= r.plotted.size() || r.plotted[i].lap != lap.lap)
            continue;
        (lap.counts ? filled : hollow) << r.plotted[i++].value;
    }
    if (r.points) {
        replaceIfChanged(r.points, filled);
        replaceIfChanged(r.hollow, hollow);
    }
}

void RaceAnalysisWindow::plotShownRaceExtras()
{
    const Race &r = m_races[size_t(m_shown)];
    const double xLo = m_axisX->min();
    const double xHi = m_axisX->max();
    const CountedFigures f = countedFigures(r.series, m_quantity);
    if (f.average)
        replaceIfChanged(m_average, {QPointF(xLo, *f.average), QPointF(xHi, *f.average)});
    else
        replaceIfChanged(m_average, {});
    if (f.best)
        replaceIfChanged(m_best, {QPointF(xLo, *f.best), QPointF(xHi, *f.best)});
    else
        replaceIfChanged(m_best, {});
    // The figures go beside the table, not into the legend: a legend text
    // that changes lays the whole chart out again.
    QString summary;
    if (f.best && f.average)
        summary = QStringLiteral("Counted laps %1   Best %2   Average %3   Pit stops %4")
                          .arg(f.timedLaps)
                          .arg(seconds(*f.best), seconds(*f.average))
                          .arg(m_stops.size());
    m_summary->setText(summary);

    // Where a lap sits on the horizontal axis.
    std::vector<double> xOfLap;
    for (const PlottedLap &p : r.plotted) {
        if (p.lap >= int(xOfLap.size()))
            xOfLap.resize(size_t(p.lap) + 1, std::nan(""));
        xOfLap[size_t(p.lap)] = p.value.x();
    }
    auto xAt = [&](int lap) { return lap >= 0 && lap < int(xOfLap.size()) ? xOfLap[size_t(lap)] : std::nan(""); };

    QList<QPointF> rolling;
    for (const RollingPoint &p : rollingAverage(r.series, m_stops, m_quantity, m_rollingWidth))
        if (!std::isnan(xAt(p.lap)))
            rolling << QPointF(xAt(p.lap), p.value);
    m_rollingLine->setValues(rolling);
    const QString rollingName = QStringLiteral("Rolling average (%1 laps)").arg(m_rollingWidth);
    if (m_rolling->name() != rollingName)
        m_rolling->setName(rollingName);

    // A band over each stop, from half a lap before it to half a lap after
    // (by race time: from the end of the lap before to the stop's end).
    m_bands.clear();
    for (const PitStop &stop : m_stops) {
        if (m_alignment == Alignment::LapNumber) {
            m_bands.emplace_back(stop.firstLap - 0.5, stop.lastLap + 0.5);
            continue;
        }
        const SeriesLap *before = findLap(r.series, stop.firstLap - 1);
        const SeriesLap *last = findLap(r.series, stop.lastLap);
        if (last && last->raceTime)
            m_bands.emplace_back(before && before->raceTime ? *before->raceTime / 60.0 : 0.0,
                                 *last->raceTime / 60.0);
    }
    placeShading();

    // The selection ring follows the new positions.
    setSelectedLap(m_selectedLap);
}

void RaceAnalysisWindow::placeShading()
{
    // The axes are made before the shading.
    if (!m_shade)
        return;
    // Within the axes' ranges: a picture saved as SVG is not clipped to the
    // plot area.
    const double xLo = m_axisX->min();
    const double xHi = m_axisX->max();
    const double yLo = m_axisY->min();
    const double yHi = m_axisY->max();
    QList<QPointF> upper;
    for (const auto &[bandLeft, bandRight] : m_bands) {
        const double left = std::max(bandLeft, xLo);
        const double right = std::min(bandRight, xHi);
        if (left >= right)
            continue;
        upper << QPointF(left, yLo) << QPointF(left, yHi) << QPointF(right, yHi) << QPointF(right, yLo);
    }
    replaceIfChanged(m_shade->upperSeries(), upper);
    replaceIfChanged(m_shade->lowerSeries(), {QPointF(xLo, yLo), QPointF(xHi, yLo)});
}

double RaceAnalysisWindow::tickStep(double span, double minStep) const
{
    if (timedTicks())
        return span / TimedSteps;
    return niceStep(span, minStep);
}

bool RaceAnalysisWindow::timedTicks() const
{
    return m_timedScale && !m_view->isZoomed();
}

void RaceAnalysisWindow::setAxisRange(QValueAxis *axis, double lo, double hi, double minStep)
{
    // The axis lays itself out as soon as either changes. A wider range
    // with the old, finer ticks would make (and then throw away) a graphics
    // item for each of hundreds of ticks: widen the ticks first, narrow them
    // last.
    const double step = tickStep(hi - lo, minStep);
    if (step >= axis->tickInterval()) {
        placeTicks(axis, step, timedTicks());
        axis->setRange(lo, hi);
    } else {
        axis->setRange(lo, hi);
        placeTicks(axis, step, timedTicks());
    }
}

void RaceAnalysisWindow::replotLines()
{
    // The axes are made before the lines.
    if (!m_rollingLine)
        return;
    for (const Race &r : m_races)
        r.drawnLine->replot();
    m_rollingLine->replot();
    m_timedGrid->replot();
}

void RaceAnalysisWindow::refresh(bool liveOnly)
{
    const Race &shown = m_races[size_t(m_shown)];
    m_stops = pitStops(shown.series, m_factor);
    m_stints = stints(shown.series, m_stops, m_quantity);
    // A live update changes the live race alone.
    for (int i = 0; i < (liveOnly ? 1 : raceCount()); ++i)
        plotRace(i);
    if (!m_view->isZoomed())
        showAll();
    else
        plotShownRaceExtras();
    const QString xTitle = m_alignment == Alignment::RaceTime ? QStringLiteral("Race time (min)")
                                                              : QStringLiteral("Lap");
    if (m_axisX->titleText() != xTitle)
        m_axisX->setTitleText(xTitle);
    if (m_axisY->titleText() != quantityTitle(m_quantity))
        m_axisY->setTitleText(quantityTitle(m_quantity));
    fillTable();
    // A new scale changes the room its numbers take, and the chart would
    // lay itself out again only after this picture is painted, painting
    // the whole chart twice: lay it out now.
    if (QGraphicsLayout *layout = m_chart->layout())
        layout->activate();
}

void RaceAnalysisWindow::showAll()
{
    double xLo = 0, xHi = 0, yLo = 0, yHi = 0;
    bool any = false;
    for (const Race &r : m_races)
        for (const PlottedLap &p : r.plotted) {
            const QPointF v = p.value;
            if (!any) {
                xLo = xHi = v.x();
                yLo = yHi = v.y();
                any = true;
                continue;
            }
            xLo = std::min(xLo, v.x());
            xHi = std::max(xHi, v.x());
            yLo = std::min(yLo, v.y());
            yHi = std::max(yHi, v.y());
        }
    if (!any) {
        xLo = 0;
        xHi = 10;
        yLo = 0;
        yHi = 60;
    }
    const bool byLap = m_alignment == Alignment::LapNumber;
    const double xPad = byLap ? 0.5 : 0.0;
    const bool keep = m_scaleGrows && !m_view->isZoomed();
    m_view->setZoomed(false);
    // Timed steps from the moment the race is armed: the first lap then
    // changes the numbers on the axes but not how many there are.
    m_timedScale = m_timing;
    if (m_timedScale) {
        // A change of scale lays the whole chart out and paints it again,
        // and a change in the count of numbers on an axis makes and throws
        // away graphics items as well, the dearest part of a live update.
        // While the race is timed each axis therefore keeps its range as
        // long as the laps fit, leaving room for the laps to come, and moves
        // by whole timed steps.
        // Room for the next lap; no lap comes after the last a race can have.
        const double xNeeded = byLap ? std::min(xHi + xPad + 1, double(sw::Race::MaxLap)) : xHi + 0.02 * (xHi - xLo);
        // A margin of a twentieth of the times' spread, and at least a
        // fiftieth of the slowest time (the first lap alone has no spread).
        const double yMargin = std::max({0.05 * (yHi - yLo), 0.02 * std::abs(yHi), 0.05});
        const double xFrom = std::max(0.0, xLo - xPad);
        if (!keep || xFrom < m_axisX->min() || std::min(xHi + xPad, xNeeded) > m_axisX->max()) {
            const auto [left, right] = timedRange(xFrom, xNeeded, byLap ? 1.0 : 0.0);
            setAxisRange(m_axisX, left, right, 1);
        }
        // A time on the edge would be half a point cut off.
        if (!keep || yLo <= m_axisY->min() || yHi >= m_axisY->max()) {
            const auto [bottom, top] = timedRange(yLo - yMargin, yHi + yMargin, 0.0);
            setAxisRange(m_axisY, bottom, top, 0);
        }
        // The ranges of an empty chart hold no lap to keep in view.
        m_scaleGrows = any;
    } else {
        // Ends on whole fifths of a tick interval.
        const double xStep = std::max(niceStep(xHi - xLo + 2 * xPad, 0) / 5, byLap ? 1.0 : 0.0);
        const double yStep = niceStep(std::max(yHi - yLo, 1.0), 0) / 5;
        setAxisRange(m_axisX, std::floor((xLo - xPad) / xStep) * xStep, std::ceil((xHi + xPad) / xStep) * xStep,
                     byLap ? 1 : 0);
        setAxisRange(m_axisY, std::floor(yLo / yStep - 1) * yStep, std::ceil(yHi / yStep + 1) * yStep, 0);
    }
    plotShownRaceExtras();
}

void RaceAnalysisWindow::fillTable()
{
    const std::vector<QStringList> rows = stintTableRows(m_stints);
    m_table->setRowCount(int(rows.size()));
    for (int r = 0; r < int(rows.size()); ++r)
        for (int c = 0; c < int(rows[size_t(r)].size()); ++c) {
            QTableWidgetItem *item = m_table->item(r, c);
            if (!item) {
                item = new QTableWidgetItem;
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
                m_table->setItem(r, c, item);
            }
            item->setText(rows[size_t(r)][c]);
        }
}

const QList<QPointF> &RaceAnalysisWindow::lineValues(int race) const
{
    return m_races[size_t(race)].drawnLine->values();
}

const QList<QPointF> &RaceAnalysisWindow::rollingValues() const
{
    return m_rollingLine->values();
}

QString RaceAnalysisWindow::summaryText() const
{
    return m_summary->text();
}

QString RaceAnalysisWindow::stintTableText() const
{
    return stintTableTabSeparated(m_stints);
}

std::optional<QPointF> RaceAnalysisWindow::lapPosition(int race, int lap) const
{
    if (race < 0 || race >= raceCount())
        return std::nullopt;
    const Race &r = m_races[size_t(race)];
    for (const PlottedLap &p : r.plotted)
        if (p.lap == lap)
            return m_view->viewportPosition(p.value, r.line);
    return std::nullopt;
}

std::optional<ChartHit> RaceAnalysisWindow::pointAt(const QPointF &viewportPos) const
{
    std::optional<ChartHit> best;
    double bestDistance = HitRadius * HitRadius;
    const QRectF plot = m_chart->plotArea();
    const double xPerValue = plot.width() / (m_axisX->max() - m_axisX->min());
    const double yPerValue = plot.height() / (m_axisY->max() - m_axisY->min());
    const QPointF origin = m_view->viewportPosition(QPointF(m_axisX->min(), m_axisY->max()), m_races.front().line);
    // The shown race first, so that its point wins where races overlap.
    std::vector<int> order{m_shown};
    for (int i = 0; i < raceCount(); ++i)
        if (i != m_shown)
            order.push_back(i);
    for (int i : order)
        for (const PlottedLap &p : m_races[size_t(i)].plotted) {
            const double dx = origin.x() + (p.value.x() - m_axisX->min()) * xPerValue - viewportPos.x();
            const double dy = origin.y() + (m_axisY->max() - p.value.y()) * yPerValue - viewportPos.y();
            const double d = dx * dx + dy * dy;
            if (d < bestDistance) {
                bestDistance = d;
                best = ChartHit{i, p.lap};
            }
        }
    return best;
}

QString RaceAnalysisWindow::lapDescription(int race, int lap) const
{
    if (race < 0 || race >= raceCount())
        return QString();
    const LapSeries &s = m_races[size_t(race)].series;
    const SeriesLap *l = findLap(s, lap);
    if (!l)
        return QString();
    QStringList lines;
    lines << (s.name.isEmpty() ? QStringLiteral("Lap %1").arg(lap)
                               : QStringLiteral("%1, lap %2").arg(s.name).arg(lap));
    lines << QStringLiteral("Lap time ") + (l->lapTime ? seconds(*l->lapTime) : QStringLiteral("-"));
    if (s.segmentsPerLap > 1) {
        QStringList segments;
        for (int i = 0; i < s.segmentsPerLap; ++i)
            segments << (l->segments[size_t(i)] ? seconds(*l->segments[size_t(i)]) : QStringLiteral("-"));
        lines << QStringLiteral("Segments ") + segments.join(QStringLiteral("  "));
    }
    if (l->raceTime)
        lines << QStringLiteral("Race time %1").arg(seconds(*l->raceTime));
    const QString flag = itemText(flagItems(), l->flag);
    const QString position = itemText(positionItems(), l->position);
    const QString traffic = itemText(trafficItems(), l->traffic);
    lines << QStringLiteral("Flag %1, position %2, %3")
                     .arg(flag.isEmpty() ? QStringLiteral("-") : flag,
                          position.isEmpty() ? QStringLiteral("-") : position,
                          traffic.isEmpty() ? QStringLiteral("traffic -") : traffic);
    if (race == m_shown && isPitStopLap(m_stops, lap))
        lines << QStringLiteral("Pit stop");
    if (!l->counts)
        lines << QStringLiteral("Not counted");
    return lines.join(QLatin1Char('\n'));
}

void RaceAnalysisWindow::renderChart(QPainter &painter, const QRectF &target)
{
    m_view->render(&painter, target, m_view->viewport()->rect());
}

bool RaceAnalysisWindow::saveChartTo(const QString &path, QString *error)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    const QSize size = m_view->viewport()->size();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (suffix == QLatin1String("svg")) {
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setSize(size);
        svg.setViewBox(QRect(QPoint(0, 0), size));
        svg.setTitle(QStringLiteral("Race Analysis"));
        QPainter painter(&svg);
        renderChart(painter, QRectF(QPointF(0, 0), size));
    } else if (suffix == QLatin1String("pdf")) {
        QPdfWriter pdf(&buffer);
        pdf.setPageSize(QPageSize(QSizeF(size) * 72.0 / 96.0, QPageSize::Point));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        pdf.setTitle(QStringLiteral("Race Analysis"));
        QPainter painter(&pdf);
        const QRect page = painter.viewport();
        renderChart(painter, QRectF(page));
    } else {
        QImage image(size * 2, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            renderChart(painter, QRectF(image.rect()));
        }
        image.save(&buffer, "PNG");
    }
    buffer.close();
    return saveFileAtomically(path, bytes, error);
}

void RaceAnalysisWindow::saveChart()
{
    const std::optional<QString> chosen = m_prompts.saveFile(
        {QStringLiteral("Save Chart"),
         QStringLiteral("PNG Images (*.png);;SVG Images (*.svg);;PDF Files (*.pdf)"), QString(),
         QStringLiteral("chart.png")});
    if (!chosen || chosen->isEmpty())
        return;
    QString path = *chosen;
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix != QLatin1String("png") && suffix != QLatin1String("svg") && suffix != QLatin1String("pdf"))
        path += QStringLiteral(".png");
    QString error;
    if (!saveChartTo(path, &error))
        reportError(error);
}

void RaceAnalysisWindow::copyTable()
{
    QGuiApplication::clipboard()->setText(stintTableText());
}

void RaceAnalysisWindow::exportTable()
{
    const std::optional<QString> path = m_prompts.saveFile(
        {QStringLiteral("Export Stints"), QStringLiteral("CSV Files (*.csv)"), QString(),
         QStringLiteral("stints.csv")});
    if (!path || path->isEmpty())
        return;
    QString error;
    if (!saveFileAtomically(*path, stintTableCsv(m_stints), &error))
        reportError(error);
}

void RaceAnalysisWindow::printChart()
{
    QPrinter *printer =
            m_printers.printerForJob(m_prompts, QDir::home().filePath(QStringLiteral("chart.pdf")));
    if (!printer)
        return;
    QPainter painter;
    if (!painter.begin(printer)) {
        reportError(PrinterSource::cannotStartText());
        return;
    }
    // The chart as large as the page takes it, keeping its proportions.
    const QRectF page = printer->pageLayout().paintRectPixels(printer->resolution());
    const QSizeF chartSize = QSizeF(m_view->viewport()->size()).scaled(page.size(), Qt::KeepAspectRatio);
    renderChart(painter, QRectF(QPointF(0, 0), chartSize));
    painter.end();
}

void RaceAnalysisWindow::reportError(const QString &text)
{
    m_prompts.message({programTitle(), text, Buttons::Ok, Icon::Exclamation, Answer::Ok});
}

void RaceAnalysisWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_liveChangedUnseen) {
        m_liveChangedUnseen = false;
        refresh();
    }
}

void RaceAnalysisWindow::hideEvent(QHideEvent *event)
{
    m_settings.setValue(QLatin1String(GeometryKey), saveGeometry());
    QWidget::hideEvent(event);
}

void RaceAnalysisWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        showAll();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace sw
