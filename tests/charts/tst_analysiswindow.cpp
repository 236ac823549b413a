// The race analysis window on a known race: the chart's series and points,
// clicks, live updates, a second race from a file, the stint table and the
// chart written out.

#include "charts/AnalysisChartView.h"
#include "charts/RaceAnalysisWindow.h"
#include "files/LapFile.h"
#include "printing/PdfPrinterSource.h"
#include "ui/Prompts.h"

#include <QtCharts>
#include <QtTest>
#include <QtWidgets>

using namespace sw;

namespace {

// Eight laps of two segments. Lap 4 is a pit stop (100 s against a median
// of 62 s over the counted laps); lap 6 does not count (held up by traffic);
// lap 7 ran under the yellow flag and in traffic. Positions 7 on laps 1-4
// and 13 on laps 5-8 (list positions 6 and 12).
LapSeries knownRace()
{
    const double times[] = {62, 60, 61, 100, 61, 62, 80, 63};
    LapSeries s;
    s.name = QStringLiteral("heat1.lap");
    s.segmentsPerLap = 2;
    double raceTime = 0;
    for (int i = 0; i < 8; ++i) {
        SeriesLap l;
        l.lap = i + 1;
        l.lapTime = times[i];
        l.segments[0] = 25.0;
        l.segments[1] = times[i] - 25.0;
        raceTime += times[i];
        l.raceTime = raceTime;
        l.flag = l.lap == 7 ? 1 : 0;
        l.position = l.lap <= 4 ? 6 : 12;
        l.traffic = l.lap == 6 ? 2 : l.lap == 7 ? 1 : 0;
        l.counts = l.lap != 6;
        s.laps.push_back(l);
    }
    return s;
}

// The bytes of a lap-time file of a three-lap race, one segment a lap.
QByteArray threeLapFile()
{
    auto rec = std::make_unique<StoredRace>();
    rec->segmentsPerLap = 1;
    rec->lastLap = 3;
    const double readings[] = {2, 66, 131, 195};
    for (int lap = 0; lap <= 3; ++lap)
        rec->cells.rows[lap][1].set(readings[lap]);
    for (int lap = 1; lap <= 3; ++lap)
        for (int col = RaceRecordCells::FlagColumn; col <= RaceRecordCells::TrafficColumn; ++col)
            rec->cells.rows[lap][col].set(0);
    return writeLapFile(*rec, std::nullopt, QLatin1Char('.'));
}

QString rgb(const QColor &c)
{
    return QStringLiteral("%1,%2,%3").arg(c.red()).arg(c.green()).arg(c.blue());
}

// The point groups of the chart: "fill/rim: laps" for every scatter series
// with points, the selection ring left out; sorted.
QString pointGroups(QChart *chart, int selectedSize = 17)
{
    QStringList groups;
    for (QAbstractSeries *a : chart->series()) {
        auto *s = qobject_cast<QScatterSeries *>(a);
        if (!s || s->points().isEmpty() || s->markerSize() == selectedSize)
            continue;
        QStringList laps;
        for (const QPointF &p : s->points())
            laps << QString::number(p.x());
        const QString fill = s->brush().style() == Qt::NoBrush ? QStringLiteral("none") : rgb(s->brush().color());
        groups << fill + QLatin1Char('/') + rgb(s->pen().color()) + QStringLiteral(": ") + laps.join(QLatin1Char(' '));
    }
    groups.sort();
    return groups.join(QStringLiteral("; "));
}

// The numbers shown left of the plot (the times' axis), lowest first.
QList<double> numbersBesideThePlot(QChart *chart)
{
    QList<double> numbers;
    const double plotLeft = chart->mapToScene(chart->plotArea().topLeft()).x();
    for (QGraphicsItem *item : chart->scene()->items()) {
        auto *text = dynamic_cast<QGraphicsTextItem *>(item);
        bool isNumber = false;
        const double value = text ? text->toPlainText().toDouble(&isNumber) : 0;
        if (isNumber && text->isVisible() && text->sceneBoundingRect().right() <= plotLeft)
            numbers << value;
    }
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

QLineSeries *lineNamed(QChart *chart, const QString &prefix)
{
    for (QAbstractSeries *a : chart->series())
        if (auto *l = qobject_cast<QLineSeries *>(a); l && a->type() == QAbstractSeries::SeriesTypeLine
                                                        && l->name().startsWith(prefix))
            return l;
    return nullptr;
}

} // namespace

class TestAnalysisWindow : public QObject
{
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QSettings> m_settings;
    ScriptedPrompts m_prompts;
    std::unique_ptr<PdfPrinterSource> m_printers;
    std::unique_ptr<RaceAnalysisWindow> m_window;

    QString writeFile(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_dir->filePath(name);
        QFile f(path);
        if (f.open(QIODevice::WriteOnly))
            f.write(bytes);
        return path;
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_settings = std::make_unique<QSettings>(m_dir->filePath(QStringLiteral("s.ini")), QSettings::IniFormat);
        m_prompts.clear();
        m_printers = std::make_unique<PdfPrinterSource>(m_dir->filePath(QStringLiteral("print.pdf")));
        m_window = std::make_unique<RaceAnalysisWindow>(m_prompts, *m_printers, *m_settings);
        m_window->resize(1000, 700);
        m_window->setLiveSeries(knownRace());
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }

    void cleanup()
    {
        m_window.reset();
        QCOMPARE(m_prompts.unexpectedCount(), 0);
    }

    void pointsColouredByCondition_data()
    {
        QTest::addColumn<int>("colouring");
        QTest::addColumn<QString>("groups");
        // Yellow and white points carry a black rim; hollow points (lap 6) a rim
        // of their colour, a yellow or white one brown.
        QTest::newRow("flag") << 0 << "0,128,0/0,80,0: 1 2 3 4 5 8; 255,255,0/0,0,0: 7; none/0,128,0: 6";
        QTest::newRow("position 7 yellow, 13 white") << 1 << "255,255,0/0,0,0: 1 2 3 4; 255,255,255/0,0,0: 5 7 8; none/128,128,0: 6";
        QTest::newRow("traffic") << 2 << "0,0,128/0,0,80: 1 2 3 4 5 8; 128,0,0/80,0,0: 7; none/255,0,0: 6";
    }

    void pointsColouredByCondition()
    {
        QFETCH(int, colouring);
        QFETCH(QString, groups);
        m_window->setColouring(graphColouringFromIndex(colouring));
        QCOMPARE(pointGroups(m_window->chart()), groups);
    }

    void linesOfTheRace()
    {
        QChart *chart = m_window->chart();
        QCOMPARE(m_window->lineValues(0).size(), 8);
        QCOMPARE(m_window->lineValues(0).at(3), QPointF(4, 100));
        // The line is drawn: grey half-way between laps 1 and 2.
        const QImage picture = m_window->chartView()->viewport()->grab().toImage();
        const QPoint half = ((*m_window->lapPosition(0, 1) + *m_window->lapPosition(0, 2)) / 2).toPoint();
        bool grey = false;
        for (int dy = -2; dy <= 2; ++dy) {
            const QColor c = picture.pixelColor(half + QPoint(0, dy));
            grey = grey || (c.red() < 200 && std::abs(c.red() - c.blue()) < 20 && std::abs(c.red() - c.green()) < 20);
        }
        QVERIFY(grey);
        // Counted laps 1-5, 7, 8: 487 / 7.
        QCOMPARE(lineNamed(chart, QStringLiteral("Average"))->at(0).y(), 487.0 / 7);
        QCOMPARE(m_window->summaryText(), QStringLiteral("Counted laps 7   Best 60.000   Average 69.571   Pit stops 1"));
        QCOMPARE(lineNamed(chart, QStringLiteral("Best"))->at(1).y(), 60.0);
        // Width 5 over the counted laps outside the stop: 1 2 3 5 7 8.
        QVERIFY(lineNamed(chart, QStringLiteral("Rolling average (5 laps)")));
        QCOMPARE(m_window->rollingValues().size(), 6);
        QCOMPARE(m_window->rollingValues().at(5), QPointF(8, (61 + 61 + 80 + 63 + 60) / 5.0));
        // The stop is shaded from lap 3.5 to 4.5.
        QAreaSeries *shade = nullptr;
        for (QAbstractSeries *a : chart->series())
            if (a->type() == QAbstractSeries::SeriesTypeArea && a->isVisible())
                shade = static_cast<QAreaSeries *>(a);
        QCOMPARE(shade->upperSeries()->count(), 4);
        QCOMPARE(QPointF(shade->upperSeries()->at(1).x(), shade->upperSeries()->at(2).x()), QPointF(3.5, 4.5));
        // The second segment by race time: x is the race time in minutes.
        m_window->setAlignment(Alignment::RaceTime);
        m_window->setQuantity(2);
        QCOMPARE(m_window->lineValues(0).at(1), QPointF(122.0 / 60, 35));
        QVERIFY(m_window->lapDescription(0, 7).contains(QStringLiteral("Flag Yellow, position 13, In Traffic")));
    }

    // Points are stamped pictures while the race is timed and drawn shapes
    // otherwise (a saved SVG keeps them as shapes), and the grid is the
    // window's own while timing and the axes' otherwise: either way they
    // show. The axis lines are hairlines only while timing (on paper a
    // hairline is one printer dot).
    void pointsDrawn_data()
    {
        QTest::addColumn<QList<bool>>("timing"); // setTiming calls, in turn
        QTest::addColumn<bool>("hairlines");
        QTest::newRow("never timed") << QList<bool>{} << false;
        QTest::newRow("while timing") << QList<bool>{true} << true;
        QTest::newRow("after the finish") << QList<bool>{true, false} << false;
    }

    void pointsDrawn()
    {
        QFETCH(QList<bool>, timing);
        QFETCH(bool, hairlines);
        QChart *chart = m_window->chart();
        QValueAxis *x = qobject_cast<QValueAxis *>(chart->axes(Qt::Horizontal).front());
        const double themeWidth = x->linePen().widthF();
        QVERIFY(themeWidth > 0);
        // The points come after the timing starts, as in a race.
        LapSeries armed = knownRace();
        armed.laps.clear();
        m_window->setLiveSeries(armed);
        for (bool t : timing) {
            m_window->setTiming(t);
            m_window->setLiveSeries(knownRace());
        }
        m_window->setLiveSeries(knownRace());
        const QImage picture = m_window->chartView()->viewport()->grab().toImage();
        // Lap 1 is a green point: count its green pixels.
        const QPoint centre = m_window->lapPosition(0, 1)->toPoint();
        int green = 0;
        for (int dx = -3; dx <= 3; ++dx)
            for (int dy = -3; dy <= 3; ++dy) {
                const QColor c = picture.pixelColor(centre + QPoint(dx, dy));
                green += c.green() > 100 && c.red() < 60 && c.blue() < 60;
            }
        QVERIFY2(green >= 12, qPrintable(QString::number(green)));
        // The grid line of lap 2, near the top of the plot where nothing
        // else is drawn, is grey.
        const QPoint top = m_window->chartView()->mapFromScene(chart->mapToScene(chart->plotArea().topLeft()));
        const int lap2 = m_window->lapPosition(0, 2)->toPoint().x();
        bool grid = false;
        for (int dx = -1; dx <= 1; ++dx) {
            const QColor c = picture.pixelColor(lap2 + dx, top.y() + 4);
            grid = grid || (c.red() < 250 && c.red() > 150 && c.red() == c.green() && c.red() == c.blue());
        }
        QVERIFY(grid);
        QCOMPARE(x->linePen().widthF(), hairlines ? 0.0 : themeWidth);
    }

    void clickSelectsLap_data()
    {
        QTest::addColumn<int>("lap");
        for (int lap : {1, 4, 6, 8}) // first, pit stop, hollow, last
            QTest::addRow("lap %d", lap) << lap;
    }

    void clickSelectsLap()
    {
        QFETCH(int, lap);
        QSignalSpy clicked(m_window.get(), &RaceAnalysisWindow::lapClicked);
        const std::optional<QPointF> at = m_window->lapPosition(0, lap);
        QVERIFY(at);
        // Hovering names the lap first.
        QTest::mouseMove(m_window->chartView()->viewport(), at->toPoint());
        QVERIFY(QToolTip::text().startsWith(QStringLiteral("heat1.lap, lap %1\n").arg(lap)));
        QTest::mouseClick(m_window->chartView()->viewport(), Qt::LeftButton, {}, at->toPoint());
        QCOMPARE(QList<int>({int(clicked.size()), clicked.front().front().toInt(), m_window->selectedLap()}), QList<int>({1, lap, lap}));
        // Half-way between two laps is no point.
        const QPointF between = (*m_window->lapPosition(0, 2) + *m_window->lapPosition(0, 3)) / 2 + QPointF(0, 40);
        QTest::mouseClick(m_window->chartView()->viewport(), Qt::LeftButton, {}, between.toPoint());
        QCOMPARE(clicked.size(), 1);
    }

    // A lap that comes while the window is closed is there when it opens.
    void liveUpdateAddsPoint()
    {
        LapSeries s = knownRace();
        SeriesLap next = s.laps.back();
        next.lap = 9;
        next.lapTime = 61.5;
        s.laps.push_back(next);
        m_window->setSelectedLap(9);
        m_window->setLiveSeries(s);
        QCOMPARE(m_window->lineValues(0).size(), 9);
        QVERIFY(pointGroups(m_window->chart()).contains(QStringLiteral(": 1 2 3 4 5 8 9;")));
        QVERIFY(m_window->lapPosition(0, 9));
        QCOMPARE(m_window->stintTable()->item(1, 2)->text(), QStringLiteral("9"));
        m_window->hide();
        next.lap = 10;
        s.laps.push_back(next);
        m_window->setLiveSeries(s);
        m_window->show();
        QCOMPARE(m_window->lineValues(0).size(), 10);
        QCOMPARE(m_window->stintTable()->item(1, 2)->text(), QStringLiteral("10"));
    }

    void secondRaceAddedAndRemoved()
    {
        m_prompts.chooseFile(writeFile(QStringLiteral("lastyear.lap"), threeLapFile()));
        m_window->addRace();
        QCOMPARE(m_window->raceCount(), 2);
        QLineSeries *other = lineNamed(m_window->chart(), QStringLiteral("lastyear.lap"));
        QCOMPARE(m_window->lineValues(1), (QList<QPointF>{{1, 64}, {2, 65}, {3, 64}}));
        QCoreApplication::processEvents(); // the legend lays out its entries
        QVERIFY(m_window->chart()->legend()->markers(other).front()->isVisible());
        QVERIFY(m_window->raceColour(1) != m_window->raceColour(0));
        // Its lap 2 under the mouse: a click there is not a lap of the live race.
        QSignalSpy clicked(m_window.get(), &RaceAnalysisWindow::lapClicked);
        QTest::mouseClick(m_window->chartView()->viewport(), Qt::LeftButton, {},
                          m_window->lapPosition(1, 2)->toPoint());
        QCOMPARE(clicked.size(), 0);
        // Its stints in the table, then removed.
        m_window->setShownRace(1);
        QCOMPARE(m_window->stintTable()->rowCount(), 1);
        QCOMPARE(m_window->stintTable()->item(0, 5)->text(), QStringLiteral("64.333"));
        m_window->removeShownRace();
        QVERIFY(!lineNamed(m_window->chart(), QStringLiteral("lastyear.lap")));
        QCOMPARE(QList<int>({m_window->raceCount(), m_window->shownRace(), m_window->stintTable()->rowCount()}), QList<int>({1, 0, 2}));
    }

    void badFileIsNotAdded()
    {
        m_prompts.chooseFile(writeFile(QStringLiteral("notes.txt"), "shopping list\r\n")).answer(Answer::Ok);
        m_window->addRace();
        QCOMPARE(m_window->raceCount(), 1);
        QCOMPARE(m_prompts.messageTexts().size(), 1);
        QVERIFY(m_prompts.messageTexts().front().endsWith(QStringLiteral("It is not a Lap Time file.")));
    }

    void stintTable()
    {
        // Stint 1: 62 60 61. Stint 2: laps 5-8, timed 5, 7, 8 (lap 6 does not
        // count): 61 80 63, mean 68, squares 218 / 2, slope 9 / 4.6667.
        const QByteArray csv = "Stint,First Lap,Last Lap,Laps,Best,Average,Spread,Trend (s/lap)\r\n"
                               "1,1,3,3,60.000,61.000,1.000,-0.500\r\n"
                               "2,5,8,4,61.000,68.000,10.440,+1.929\r\n";
        QTableWidget *table = m_window->stintTable();
        QStringList shown{QString::fromLatin1(csv.split('\r').first())};
        for (int r = 0; r < table->rowCount(); ++r) {
            shown << QString();
            for (int c = 0; c < 8; ++c)
                shown.last() += (c ? "," : "") + table->item(r, c)->text();
        }
        QCOMPARE(shown.join("\r\n") + "\r\n", QString::fromLatin1(csv));
        // The copy pastes into a spreadsheet; the export is the same as CSV.
        m_window->copyTable();
        QCOMPARE(QGuiApplication::clipboard()->text().split(QLatin1Char('\n'))[2], shown[2].replace(',', '\t'));
        m_prompts.chooseFile(m_dir->filePath(QStringLiteral("stints.csv")));
        m_window->exportTable();
        QFile f(m_dir->filePath(QStringLiteral("stints.csv")));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), csv);
        // A factor of 1.7 (limit 105.4) leaves no stop: one stint.
        m_window->setPitStopFactor(1.7);
        QCOMPARE(table->rowCount(), 1);
    }

    void chartSaved_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("start");
        QTest::newRow("png") << "chart.png" << QByteArray("\x89PNG");
        QTest::newRow("svg") << "chart.svg" << QByteArray("<?xml");
        QTest::newRow("pdf") << "chart.pdf" << QByteArray("%PDF");
        QTest::newRow("no extension: png") << "chart" << QByteArray("\x89PNG");
        QTest::newRow("printed") << "" << QByteArray("%PDF");
    }

    void chartSaved()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, start);
        QString path;
        if (name.isEmpty()) {
            m_window->printChart();
            path = m_dir->filePath(QStringLiteral("print.pdf"));
        } else {
            m_prompts.chooseFile(m_dir->filePath(name));
            m_window->saveChart();
            path = m_dir->filePath(name.contains(QLatin1Char('.')) ? name : name + QStringLiteral(".png"));
        }
        QFile f(path);
        QVERIFY2(f.open(QIODevice::ReadOnly), qPrintable(path));
        const QByteArray bytes = f.readAll();
        QVERIFY(bytes.startsWith(start));
        if (name.endsWith(QStringLiteral(".svg"))) {
            // The legend's race name is text in the picture.
            QVERIFY(bytes.contains("heat1.lap"));
        } else if (start.startsWith("\x89PNG")) {
            const QImage image = QImage::fromData(bytes);
            QCOMPARE(image.size(), m_window->chartView()->viewport()->size() * 2);
        }
    }

    void zoomAndShowAll()
    {
        QValueAxis *x = qobject_cast<QValueAxis *>(m_window->chart()->axes(Qt::Horizontal).front());
        const auto range = [x] { return QPointF(x->min(), x->max()); };
        QCOMPARE(range(), QPointF(0, 9));
        AnalysisChartView *view = m_window->chartView();
        const QPoint centre = m_window->lapPosition(0, 4)->toPoint();
        QWheelEvent wheel(centre, view->viewport()->mapToGlobal(centre), QPoint(), QPoint(0, 120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(view->viewport(), &wheel);
        QVERIFY(x->max() - x->min() < 8.0);
        // A live update keeps the zoom.
        m_window->setLiveSeries(knownRace());
        QVERIFY(x->max() - x->min() < 8.0);
        // A dragged rectangle zooms further.
        const double widthBefore = x->max() - x->min();
        QTest::mousePress(view->viewport(), Qt::LeftButton, {}, centre - QPoint(60, 60));
        QMouseEvent move(QEvent::MouseMove, QPointF(centre + QPoint(60, 60)),
                         view->viewport()->mapToGlobal(QPointF(centre + QPoint(60, 60))), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(view->viewport(), &move);
        QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, centre + QPoint(60, 60));
        QVERIFY(x->max() - x->min() < widthBefore);
        QTest::keyClick(view, Qt::Key_Escape);
        QCOMPARE(range(), QPointF(0, 9));
        // So does a double-click.
        QCoreApplication::sendEvent(view->viewport(), &wheel);
        QVERIFY(x->max() - x->min() < 8.0);
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, centre);
        QCOMPARE(range(), QPointF(0, 9));
    }

    // While a race is timed the scale makes room for the laps to come and
    // keeps six numbers on each axis, so that a press seldom moves it and
    // never makes or throws away labels; after the finish it fits the race.
    // No change of range ever passes through a scale of hundreds of ticks.
    void scaleWhileTiming()
    {
        QValueAxis *x = qobject_cast<QValueAxis *>(m_window->chart()->axes(Qt::Horizontal).front());
        QValueAxis *y = qobject_cast<QValueAxis *>(m_window->chart()->axes(Qt::Vertical).front());
        double mostTicks = 0;
        for (QValueAxis *axis : {x, y}) {
            const auto count = [&mostTicks, axis] {
                mostTicks = std::max(mostTicks, (axis->max() - axis->min()) / axis->tickInterval());
            };
            // What the axis lays out: it hears of a range before we do.
            connect(axis, &QValueAxis::minChanged, this, count);
            connect(axis, &QValueAxis::maxChanged, this, count);
            connect(axis, &QValueAxis::tickIntervalChanged, this, count);
        }
        const LapSeries known = knownRace();
        LapSeries race = known;
        race.laps.clear();
        m_window->setTiming(true);
        m_window->setLiveSeries(race); // armed: no lap yet
        int moves = 0;
        double fastest = 1e9;
        double slowest = 0;
        for (int lap = 1; lap <= 60; ++lap) {
            SeriesLap next = known.laps[size_t(lap - 1) % known.laps.size()];
            next.lap = lap;
            next.raceTime = lap * 70.0;
            // Times of a short track (1.5 to 2.5 s): steps of hundredths,
            // which binary numbers carry with rounding errors.
            next.lapTime = *next.lapTime / 40;
            race.laps.push_back(next);
            fastest = std::min(fastest, *next.lapTime);
            slowest = std::max(slowest, *next.lapTime);
            const QPointF before(x->min(), x->max());
            m_window->setLiveSeries(race);
            moves += QPointF(x->min(), x->max()) != before;
            // Every lap in sight, and the times' scale not that of the empty chart.
            QVERIFY2(x->min() <= 0.5 && x->max() >= lap && y->min() < fastest && y->max() > slowest && y->min() > 0,
                     qPrintable(QStringLiteral("lap %1: x %2-%3 y %4-%5")
                                    .arg(lap)
                                    .arg(x->min())
                                    .arg(x->max())
                                    .arg(y->min(), 0, 'g', 17)
                                    .arg(y->max(), 0, 'g', 17)));
            QCOMPARE((x->max() - x->min()) / x->tickInterval(), 5.0);
            QCOMPARE((y->max() - y->min()) / y->tickInterval(), 5.0);
            // A number at both ends of the times' axis, whatever rounding
            // errors its steps carry.
            const QList<double> numbers = numbersBesideThePlot(m_window->chart());
            QVERIFY2(numbers.size() == 6 && qFuzzyCompare(numbers.front(), y->min()) && qFuzzyCompare(numbers.back(), y->max()),
                     qPrintable(QStringLiteral("lap %1: %2 .. %3, %4 numbers").arg(lap).arg(y->min()).arg(y->max()).arg(numbers.size())));
        }
        QVERIFY2(moves <= 10, qPrintable(QString::number(moves)));
        m_window->setTiming(false);
        m_window->setLiveSeries(race);
        QCOMPARE(QPointF(x->min(), x->max()), QPointF(0, 62));
        // Deep into the chart and back to all of it.
        const QPoint centre = m_window->lapPosition(0, 4)->toPoint();
        QWheelEvent wheel(centre, m_window->chartView()->viewport()->mapToGlobal(centre), QPoint(), QPoint(0, 120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        for (int notch = 0; notch < 20; ++notch)
            QCoreApplication::sendEvent(m_window->chartView()->viewport(), &wheel);
        QVERIFY(x->max() - x->min() < 3);
        QTest::keyClick(m_window->chartView(), Qt::Key_Escape);
        QCOMPARE(QPointF(x->min(), x->max()), QPointF(0, 62));
        QVERIFY2(mostTicks <= 20, qPrintable(QString::number(mostTicks)));
    }

    void geometryRemembered()
    {
        m_window->resize(1234, 876);
        m_window->close();
        RaceAnalysisWindow again(m_prompts, *m_printers, *m_settings);
        QCOMPARE(again.size(), QSize(1234, 876));
    }
};

QTEST_MAIN(TestAnalysisWindow)
#include "tst_analysiswindow.moc"
