// The drawn graph read from its off-screen picture: colours, lines, labels, clicks.

#include "graph/GraphView.h"
#include "state/ResultsGrid.h"
#include "state/RaceRecord.h"
#include "ui/Palette.h"

#include <QtTest>
#include <QtWidgets>

using namespace sw;

namespace {

QColor pal(Palette colour) { return QColor(paletteColour(colour).r, paletteColour(colour).g, paletteColour(colour).b); }

struct Lap
{
    const char *name, *conditions[3]; // flag, position, traffic
    Palette colour[4]; // with no option checked, by flag, by position, by traffic
};
// Lap n of a race has the conditions of laps[(n - 1) % 8].
using P = Palette;
const Lap laps[] = {
    {"yellow", {"Yellow", "2", "Not in Traffic"}, {P::Yellow, P::Yellow, P::Green, P::Blue}},
    {"flag empty", {"", "3", ""}, {P::Yellow, P::Yellow, P::Cyan, P::Blue}},
    {"flag lower-case g", {"green", "4", "in"}, {P::Yellow, P::Yellow, P::Red, P::Blue}},
    {"position 7", {"Green", "7", "Held up by Traffic"}, {P::Green, P::Green, P::Yellow, P::LightRed}},
    {"position 13", {"Green", "13", "In Traffic"}, {P::Green, P::Green, P::White, P::Red}},
    {"selected", {"Yellow", "7", "In Traffic"}, {P::LightMagenta, P::LightMagenta, P::LightMagenta, P::LightMagenta}},
    {"position 14", {"Green", "14", ""}, {P::Green, P::Green, P::Black, P::Blue}},
    {"last lap", {"Yellow", "15", "In Traffic"}, {P::Yellow, P::Yellow, P::Blue, P::Red}},
};

// Times of 19 to 21 s in every time column, whose statistics say so.
struct Race
{
    ResultsGrid grid;
    RaceRecord rec;

    explicit Race(int lapCount)
    {
        rec.LastLap = qint16(lapCount);
        for (int lap = 1; lap <= lapCount; ++lap) {
            const QString t = QString::number(20 + (lap * 7 % 11 - 5) * 0.2, 'f', 3);
            for (int c = 1; c <= 8; ++c)
                grid.setCell(lap, c, c <= 5 ? t : QString::fromLatin1(laps[(lap - 1) % 8].conditions[c - 6]));
        }
        for (size_t i = 0; i < 15; ++i) // Avg, Min, Max of each column
            grid.statValues[i] = QLatin1String(i % 3 == 2 ? "21.000" : "19.000");
    }
};

// The last point's centre, otherwise a pixel in the upper half of the circle,
// clear of the line to the next lap.
QColor pointColour(const GraphView &view, int lap)
{
    QPointF c = view.pointCentre(lap);
    if (lap < view.GraphLastLap())
        c.ry() -= view.pointRadius() / 2;
    return view.picture().pixelColor(qRound(c.x()), qRound(c.y()));
}

} // namespace

class TestGraphView : public QObject
{
    Q_OBJECT

private slots:
    void pointColours_data()
    {
        QTest::addColumn<int>("option"); // the checked option button, -1 none
        QTest::addColumn<int>("lap");
        const char *options[] = {"none checked", "flag", "position", "traffic"};
        for (int i = 0; i < 8; ++i)
            for (int option = -1; option < 3; ++option)
                QTest::addRow("%s, %s", options[option + 1], laps[i].name) << option << i + 1;
    }

    void pointColours()
    {
        QFETCH(int, option);
        QFETCH(int, lap);
        Race race(8);
        race.grid.selectLapRow(6);
        QRadioButton options[4]; // [0] stands for none checked
        options[option + 1].setChecked(true);
        GraphView view(race.grid, race.rec);
        view.setQuantityPosition(0); // whole laps
        view.bindControls(nullptr, {&options[1], &options[2], &options[3]}, nullptr, nullptr);
        view.resize(300, 600);
        view.drawGraph();
        QCOMPARE(pointColour(view, lap), pal(laps[lap - 1].colour[option + 1]));
        QCOMPARE(race.grid.Row, 6); // drawing keeps the selected lap current
        const QPoint mid = ((view.pointCentre(1) + view.pointCentre(2)) / 2).toPoint();
        int nearMid = 0; // on the line from lap 1 to lap 2
        for (int d = 0; d < 9; ++d)
            nearMid += view.picture().pixelColor(mid + QPoint(d % 3 - 1, d / 3 - 1))
                       == view.palette().color(QPalette::ButtonText);
        QVERIFY(nearMid > 0);
    }

    void scaleLabels_data()
    {
        QTest::addColumn<QString>("lo"); // Min and Max of the graphed column
        QTest::addColumn<QString>("hi");
        QTest::addColumn<QString>("left");
        QTest::addColumn<QString>("right");
        QTest::newRow("narrow span widened to the left") << "61.240" << "61.870" << "60.9" << "61.9";
        QTest::newRow("wide span") << "58.030" << "63.500" << "58" << "63.6";
        QTest::newRow("empty column") << "" << "" << "-.9" << ".1";
        QTest::newRow("hi on a whole tenth goes one above") << "60.000" << "61.300" << "60" << "61.4";
        QTest::newRow("below a second, float noise") << ".300" << ".700" << "-.2" << ".8";
    }

    void scaleLabels()
    {
        QFETCH(QString, lo);
        QFETCH(QString, hi);
        Race race(10);
        race.grid.statValues[4] = lo; // segment 2
        race.grid.statValues[5] = hi;
        QLabel left, right;
        QComboBox list;
        QCOMPARE(graphQuantityItems(3), QStringList({"Whole Laps", "Segment 1", "Segment 2", "Segment 3"}));
        list.addItems(graphQuantityItems(3));
        list.setCurrentIndex(2);
        GraphView view(race.grid, race.rec);
        view.bindControls(&list, {nullptr, nullptr, nullptr}, &left, &right);
        view.resize(200, 400);
        view.drawGraph();
        QTEST(left.text(), "left");
        QTEST(right.text(), "right");
        QCOMPARE(view.pointCentre(1).x(), // time grows to the right
                 (race.grid.cell(1, 2).toDouble() - view.scale().left) / view.scale().width() * 200);
        int dots = 0, gaps = 0; // the zero line, nine tenths across, is dotted above lap 1
        for (int y = 0; lo.isEmpty() && y < view.pointCentre(1).y() - view.pointRadius() - 1; ++y)
            ++(view.picture().pixelColor(180, y) == pal(Palette::DarkGrey) ? dots : gaps);
        QVERIFY(!lo.isEmpty() || (dots > 2 && gaps > 2));
    }

    void clickSelectsLap_data()
    {
        QTest::addColumn<int>("laps");
        QTest::addColumn<int>("lap");
        QTest::addColumn<double>("dy"); // from the lap's centre, in pixels of 600
        QTest::addColumn<int>("topBefore");
        QTest::addColumn<int>("topAfter");
        QTest::newRow("lap 9, last pixel of its band") << 30 << 9 << 9.0 << 1 << 4;
        QTest::newRow("lap 3 while rows from 10 show") << 30 << 3 << -10.0 << 10 << 3;
        QTest::newRow("lap 6 keeps the top") << 30 << 6 << 0.0 << 1 << 1;
        QTest::newRow("lap 12 scrolls back up") << 30 << 12 << 0.0 << 40 << 7;
        QTest::newRow("lap 240 of 240") << 240 << 240 << 0.0 << 1 << 230;
        QTest::newRow("no laps: nothing selected") << 0 << 0 << 51.0 << 1 << 1;
    }

    void clickSelectsLap()
    {
        QFETCH(int, laps);
        QFETCH(int, lap);
        QFETCH(double, dy);
        QFETCH(int, topBefore);
        Race race(laps);
        race.grid.selectLapRow(laps / 2);
        race.grid.setTopRow(topBefore);
        GraphView view(race.grid, race.rec);
        view.resize(300, 600);
        view.setQuantityPosition(1);
        view.drawGraph();
        QSignalSpy clicked(&view, &GraphView::lapClicked);
        QTest::mouseClick(&view, Qt::LeftButton, {}, QPoint(150, qRound(view.pointCentre(lap).y() + dy)));
        QCOMPARE(clicked.count(), lap > 0 ? 1 : 0);
        QCOMPARE(clicked.value(0).value(0).toInt(), lap);
        const ResultsGrid &g = race.grid; // the whole row selected
        QCOMPARE(QList<int>({g.Row, g.SelStartRow, g.SelEndRow, g.SelStartCol, g.SelEndCol}),
                 QList<int>({lap, lap, lap, 1, 8}));
        QTEST(g.TopRow(), "topAfter");
        if (lap > 0)
            QCOMPARE(pointColour(view, lap), pal(Palette::LightMagenta)); // redrawn with the lap selected
    }

    void nothingToDraw()
    {
        // After a drawing, a position past "Segment 4", none, or no laps clear it.
        Race race(10);
        GraphView view(race.grid, race.rec);
        view.resize(100, 200);
        for (const QPoint &positionAndLaps : {QPoint(0, 10), QPoint(5, 10), QPoint(-1, 10), QPoint(0, 0)}) {
            view.setQuantityPosition(positionAndLaps.x());
            race.rec.LastLap = qint16(positionAndLaps.y());
            view.drawGraph();
            QImage blank = view.picture();
            blank.fill(view.palette().color(QPalette::Button));
            QCOMPARE(view.picture() == blank, positionAndLaps != QPoint(0, 10));
        }
    }
};

QTEST_MAIN(TestGraphView)
#include "tst_graphview.moc"
