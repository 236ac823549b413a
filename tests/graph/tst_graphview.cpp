// The drawn graph: colours of the points, the scale labels, the click that
// selects a lap, and a picture that survives without a window.

#include "graph/GraphView.h"
#include "results/ResultsGrid.h"
#include "timing/NumberText.h"
#include "timing/RaceRecord.h"
#include "ui/Palette.h"

#include <QComboBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QRadioButton>
#include <QtTest>

#include <memory>

using namespace sw;

namespace {

QColor pal(int n)
{
    const PaletteRgb c = paletteColour(n);
    return QColor(c.r, c.g, c.b);
}

// A finished race shown in the grid as the program shows it: segment and lap
// times in columns 1..5, conditions in 6..8, smallest and largest time of
// every column in the statistics texts.
struct Race
{
    ResultsGrid grid;
    RaceRecord rec;

    Race(int laps, int segs)
    {
        rec.NumSegs = qint16(segs);
        rec.LastLap = qint16(laps);
        rec.RaceState = RaceFinished;
        for (int lap = 1; lap <= laps; ++lap) {
            double lapTime = 0;
            for (int s = 1; s <= segs; ++s) {
                // Segments of 20 s give or take a second, varying lap by lap.
                const double t = 20 + ((lap * 7 + s * 3) % 11 - 5) * 0.2;
                grid.setCell(lap, s, formatTime(t));
                lapTime += t;
            }
            grid.setCell(lap, 5, formatTime(lapTime));
            setConditions(lap, "Green", QString::number(lap), "Not in Traffic");
        }
        updateStatistics();
    }

    void setConditions(int lap, const QString &flag, const QString &pos, const QString &traffic)
    {
        grid.setCell(lap, 6, flag);
        grid.setCell(lap, 7, pos);
        grid.setCell(lap, 8, traffic);
    }

    void updateStatistics()
    {
        for (int c = 1; c <= 5; ++c) {
            double lo = 1e9, hi = -1e9;
            for (int lap = 1; lap <= rec.LastLap; ++lap) {
                const double v = val(grid.cell(lap, c));
                if (v > 0) {
                    lo = qMin(lo, v);
                    hi = qMax(hi, v);
                }
            }
            const bool any = hi > 0;
            grid.Label3[size_t((c - 1) * 3 + 1)] = any ? formatTime(lo) : QString();
            grid.Label3[size_t((c - 1) * 3 + 2)] = any ? formatTime(hi) : QString();
        }
    }
};

// Colour of a lap's point: its centre for the last lap, otherwise a pixel in
// the upper half of the circle, clear of the line to the next lap.
QColor pointColour(const GraphView &view, int lap)
{
    QPointF c = view.pointCentre(lap);
    if (lap < view.GraphLastLap())
        c.ry() -= view.pointRadius() / 2;
    return view.picture().pixelColor(qRound(c.x()), qRound(c.y()));
}

void click(GraphView &view, double y)
{
    const QPointF pos(view.width() / 2.0, y);
    QMouseEvent press(QEvent::MouseButtonPress, pos, view.mapToGlobal(pos), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&view, &press);
}

} // namespace

class TestGraphView : public QObject
{
    Q_OBJECT

private slots:
    void pointColours_data();
    void pointColours();
    void scaleLabels_data();
    void scaleLabels();
    void emptyColumnSitsOnZeroLine();
    void linesJoinLaps();
    void clickSelectsLap_data();
    void clickSelectsLap();
    void nothingToDraw_data();
    void nothingToDraw();
    void readsTheBoundControls();
    void samplePicture();
};

void TestGraphView::pointColours_data()
{
    QTest::addColumn<int>("option");
    QTest::addColumn<int>("lap");
    QTest::addColumn<int>("colour");

    // Lap 3 yellow, lap 5 position 7, lap 6 position 13, lap 14 position 14,
    // lap 8 held up, lap 9 in traffic, lap 10 selected; lap 20 is the last.
    const struct { const char *name; int lap; int flag, pos, traffic, none; } laps[] = {
        {"green lap", 2, 2, 2, 1, 2},   {"yellow lap", 3, 14, 3, 1, 14},
        {"position 7", 5, 2, 14, 1, 2}, {"position 13", 6, 2, 15, 1, 2},
        {"held up", 8, 2, 8, 12, 2},    {"in traffic", 9, 2, 9, 4, 2},
        {"selected", 10, 13, 13, 13, 13}, {"position 14", 14, 2, 0, 1, 2},
        {"last lap", 20, 14, 6, 4, 14},
    };
    for (const auto &l : laps) {
        QTest::newRow(QByteArray("flag, ") + l.name) << 0 << l.lap << l.flag;
        QTest::newRow(QByteArray("position, ") + l.name) << 1 << l.lap << l.pos;
        QTest::newRow(QByteArray("traffic, ") + l.name) << 2 << l.lap << l.traffic;
        QTest::newRow(QByteArray("none checked, ") + l.name) << -1 << l.lap << l.none;
    }
}

void TestGraphView::pointColours()
{
    QFETCH(int, option);
    QFETCH(int, lap);
    Race race(20, 2);
    race.setConditions(3, "Yellow", "3", "Not in Traffic");
    race.setConditions(5, "Green", "7", "Not in Traffic");
    race.setConditions(6, "Green", "13", "Not in Traffic");
    race.setConditions(8, "Green", "8", "Held up by Traffic");
    race.setConditions(9, "Green", "9", "In Traffic");
    race.setConditions(20, "Yellow", "20", "In Traffic");
    race.grid.selectLapRow(10);

    GraphView view(race.grid, race.rec);
    view.resize(300, 600);
    view.setQuantityPosition(0);
    view.setCheckedOption(option);
    view.Grph();

    QFETCH(int, colour);
    QCOMPARE(pointColour(view, lap), pal(colour));
    // The grid's current row ends on the selected lap.
    QCOMPARE(race.grid.Row, 10);
}

void TestGraphView::scaleLabels_data()
{
    QTest::addColumn<QString>("lo");
    QTest::addColumn<QString>("hi");
    QTest::addColumn<QString>("left");
    QTest::addColumn<QString>("right");

    QTest::newRow("narrow span") << "61.240" << "61.870" << "60.9" << "61.9";
    QTest::newRow("wide span") << "58.030" << "63.500" << "58" << "63.6";
    QTest::newRow("empty column") << "" << "" << "-.9" << ".1";
}

void TestGraphView::scaleLabels()
{
    QFETCH(QString, lo);
    QFETCH(QString, hi);
    Race race(10, 3);
    // Segment 2: statistics column 1, Label3 elements 4 and 5.
    race.grid.Label3[4] = lo;
    race.grid.Label3[5] = hi;
    QLabel left, right;
    QComboBox list;
    list.addItems({"Whole Laps", "Segment 1", "Segment 2", "Segment 3"});
    list.setCurrentIndex(2);
    GraphView view(race.grid, race.rec);
    view.bindControls(&list, {nullptr, nullptr, nullptr}, &left, &right);
    QSignalSpy labels(&view, &GraphView::scaleLabelsChanged);
    view.resize(200, 400);
    view.Grph();

    QTEST(view.leftScaleText(), "left");
    QTEST(view.rightScaleText(), "right");
    QTEST(left.text(), "left");
    QTEST(right.text(), "right");
    QCOMPARE(labels.count(), 1);
    QCOMPARE(view.GraphFirstLap(), 1);
    QCOMPARE(view.GraphLastLap(), 10);
}

void TestGraphView::emptyColumnSitsOnZeroLine()
{
    // Segment 4 of a three-segment race: no times, so lo = hi = 0 and every
    // point sits on the dotted zero line, nine tenths across.
    Race race(12, 3);
    GraphView view(race.grid, race.rec);
    view.resize(300, 600);
    view.setQuantityPosition(4);
    view.Grph();
    QCOMPARE(view.leftScaleText(), QStringLiteral("-.9"));
    for (int lap = 1; lap <= 12; ++lap)
        QCOMPARE(view.pointCentre(lap).x(), 270.0);
    QCOMPARE(pointColour(view, 12), pal(2));

    // Above lap 1's circle the zero line shows as dots of dark grey.
    const QImage &img = view.picture();
    int dots = 0, gaps = 0;
    const int top = qFloor(view.pointCentre(1).y() - view.pointRadius()) - 1;
    for (int y = 0; y < top; ++y) {
        const QColor c = img.pixelColor(270, y);
        if (c == pal(8))
            ++dots;
        else if (c == view.palette().color(QPalette::Button))
            ++gaps;
    }
    QVERIFY2(dots >= top / 4 && gaps >= top / 4, qPrintable(QString("%1 dots, %2 gaps in %3").arg(dots).arg(gaps).arg(top)));
}

void TestGraphView::linesJoinLaps()
{
    Race race(10, 1);
    race.grid.setCell(5, 5, QString()); // an empty cell plots at time 0, far left
    race.grid.setCell(5, 1, QString());
    GraphView view(race.grid, race.rec);
    view.resize(300, 600);
    view.setQuantityPosition(0);
    view.Grph();
    const QColor fg = view.palette().color(QPalette::ButtonText);
    const QImage &img = view.picture();

    // Midway between laps 1 and 2 the line passes in the foreground colour.
    const QPoint mid = ((view.pointCentre(1) + view.pointCentre(2)) / 2).toPoint();
    int fgNearMid = 0;
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            fgNearMid += img.pixelColor(mid + QPoint(dx, dy)) == fg;
    QVERIFY(fgNearMid > 0);
    // The line to the empty lap runs off the left edge; its point is not drawn.
    QVERIFY(view.pointCentre(5).x() < 0);
    int fgOnLeftEdge = 0;
    for (int y = qRound(view.pointCentre(4).y()); y < qRound(view.pointCentre(6).y()); ++y)
        fgOnLeftEdge += img.pixelColor(0, y) == fg;
    QVERIFY(fgOnLeftEdge > 0);
    // The last line ends under the last circle, which keeps its colour.
    QCOMPARE(img.pixelColor(view.pointCentre(10).toPoint()), pal(2));
}

void TestGraphView::clickSelectsLap_data()
{
    QTest::addColumn<int>("laps");
    QTest::addColumn<int>("lap");
    QTest::addColumn<int>("topBefore");
    QTest::addColumn<int>("topAfter");

    QTest::newRow("lap 9 from the top") << 30 << 9 << 1 << 4;
    QTest::newRow("lap 3 while rows from 10 show") << 30 << 3 << 10 << 3;
    QTest::newRow("lap 2 keeps the top") << 30 << 2 << 1 << 1;
    QTest::newRow("lap 240 of 240") << 240 << 240 << 1 << 230;
    QTest::newRow("lap 1 of 240") << 240 << 1 << 200 << 1;
}

void TestGraphView::clickSelectsLap()
{
    QFETCH(int, laps);
    QFETCH(int, lap);
    QFETCH(int, topBefore);
    Race race(laps, 2);
    race.grid.selectLapRow(laps / 2);
    race.grid.setTopRow(topBefore);
    GraphView view(race.grid, race.rec);
    view.resize(300, 600);
    view.setQuantityPosition(1);
    view.Grph();
    QSignalSpy clicked(&view, &GraphView::lapClicked);

    click(view, view.pointCentre(lap).y());

    QCOMPARE(clicked.count(), 1);
    QCOMPARE(clicked.at(0).at(0).toInt(), lap);
    QCOMPARE(race.grid.Row, lap);
    QCOMPARE(race.grid.SelStartRow, lap);
    QCOMPARE(race.grid.SelEndRow, lap);
    QCOMPARE(race.grid.SelStartCol, 1);
    QCOMPARE(race.grid.SelEndCol, 8);
    QTEST(race.grid.TopRow(), "topAfter");
    // Redrawn with the clicked lap highlighted (where its point is not
    // buried under its neighbours).
    if (laps <= 30 || lap == laps)
        QCOMPARE(pointColour(view, lap), pal(13));
}

void TestGraphView::nothingToDraw_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("lastLap");

    QTest::newRow("no quantity selected") << -1 << 10;
    QTest::newRow("no laps") << 0 << 0;
}

void TestGraphView::nothingToDraw()
{
    QFETCH(int, position);
    QFETCH(int, lastLap);
    Race race(10, 2);
    GraphView view(race.grid, race.rec);
    view.resize(100, 200);
    view.setQuantityPosition(0);
    view.Grph();
    const QString left = view.leftScaleText();

    race.rec.LastLap = qint16(lastLap);
    view.setQuantityPosition(position);
    view.Grph();
    QImage blank(view.picture().size(), view.picture().format());
    blank.fill(view.palette().color(QPalette::Button));
    QCOMPARE(view.picture(), blank);
    QCOMPARE(view.leftScaleText(), left);

    // A click on an empty picture selects nothing.
    QSignalSpy clicked(&view, &GraphView::lapClicked);
    race.grid.Row = 0;
    click(view, 50);
    if (lastLap < 1) {
        QCOMPARE(clicked.count(), 0);
        QCOMPARE(race.grid.Row, 0);
    }
}

void TestGraphView::readsTheBoundControls()
{
    Race race(6, 2);
    race.setConditions(4, "Green", "4", "In Traffic");
    QComboBox list;
    list.addItems({"Whole Laps", "Segment 1", "Segment 2"});
    list.setCurrentIndex(1);
    QRadioButton flag, position, traffic;
    GraphView view(race.grid, race.rec);
    view.bindControls(&list, {&flag, &position, &traffic}, nullptr, nullptr);
    view.resize(200, 300);

    view.Grph();
    QCOMPARE(pointColour(view, 4), pal(2));
    QCOMPARE(view.pointCentre(4).x(),
             (val(race.grid.cell(4, 1)) - view.scale().left) / view.scale().width() * 200);
    traffic.setChecked(true);
    view.Grph();
    QCOMPARE(pointColour(view, 4), pal(4));
    list.setCurrentIndex(-1);
    view.Grph();
    QCOMPARE(view.pointCentre(4), QPointF(-1, -1));
}

void TestGraphView::samplePicture()
{
    // A 30-lap, three-segment race with a yellow-flag period, at its window
    // size; saved for a look when SW_GRAPH_SAMPLE names a file.
    Race race(30, 3);
    for (int lap = 12; lap <= 15; ++lap)
        race.setConditions(lap, "Yellow", QString::number(lap), "Held up by Traffic");
    race.grid.selectLapRow(20);
    GraphView view(race.grid, race.rec);
    view.resize(view.sizeHint());
    view.setQuantityPosition(0);
    view.Grph();
    QCOMPARE(view.size(), QSize(145, 393));
    QCOMPARE(pointColour(view, 13), pal(14));
    QCOMPARE(pointColour(view, 20), pal(13));

    const QString out = qEnvironmentVariable("SW_GRAPH_SAMPLE");
    if (!out.isEmpty()) {
        // Picture with its two scale labels beneath, as on the main window.
        QImage img(view.width(), view.height() + 16, QImage::Format_RGB32);
        img.fill(view.palette().color(QPalette::Window));
        QPainter p(&img);
        p.drawImage(0, 0, view.picture());
        p.setPen(Qt::black);
        p.drawText(QRect(0, view.height(), 49, 16), Qt::AlignLeft | Qt::AlignVCenter, view.leftScaleText());
        p.drawText(QRect(96, view.height(), 49, 16), Qt::AlignLeft | Qt::AlignVCenter, view.rightScaleText());
        p.end();
        QVERIFY(img.save(out));
    }
}

QTEST_MAIN(TestGraphView)
#include "tst_graphview.moc"
