// The drawn graph read from its off-screen picture: colours, lines, labels, clicks.

#include "support/RaceFixture.h"

#include "graph/Palette.h"
#include "race/Race.h"
#include "results/GraphView.h"
#include "results/ResultsPanel.h"
#include "results/ResultsTexts.h"

#include <QtTest>
#include <QtWidgets>

using namespace sw;

namespace {

QColor pal(Palette colour) { return QColor(paletteColour(colour).r, paletteColour(colour).g, paletteColour(colour).b); }

constexpr int None = -1; // no item chosen: stored as a value outside every list

struct Lap
{
    const char *name;
    int conditions[3]; // list positions of flag, position, traffic
    Palette colour[4]; // with no option checked, by flag, by position, by traffic
};
// Lap n of a race has the conditions of laps[(n - 1) % 8]; position p is list position p - 1.
using P = Palette;
const Lap laps[] = {
    {"yellow", {1, 1, 0}, {P::Yellow, P::Yellow, P::Green, P::Blue}},
    {"flag empty", {None, 2, None}, {P::Yellow, P::Yellow, P::Cyan, P::Blue}},
    {"position 4, traffic empty", {1, 3, None}, {P::Yellow, P::Yellow, P::Red, P::Blue}},
    {"position 7", {0, 6, 2}, {P::Green, P::Green, P::Yellow, P::LightRed}},
    {"position 13", {0, 12, 1}, {P::Green, P::Green, P::White, P::Red}},
    {"selected", {1, 6, 1}, {P::LightMagenta, P::LightMagenta, P::LightMagenta, P::LightMagenta}},
    {"position 14", {0, 13, None}, {P::Green, P::Green, P::Black, P::Blue}},
    {"last lap", {1, 14, 1}, {P::Yellow, P::Yellow, P::Blue, P::Red}},
};

// A loaded race. With one segment and no lap times every lap takes 19 to
// 21 s and has the conditions of laps[(n - 1) % 8]; given lap times, flags[i]
// is lap i + 1's flag (0 green, 1 yellow). With three segments, segments 1
// and 3 take 10 s and segment 2 takes lo on lap 1, hi on lap 2 and half-way
// between on the others (lo, hi empty: no time above 0).
std::unique_ptr<Race> makeRace(int lapCount, int segments = 1, const QString &lo = {}, const QString &hi = {},
                               const QList<double> &lapTimes = {}, const QList<int> &flags = {})
{
    StoredRace stored;
    stored.segmentsPerLap = segments;
    stored.lastLap = lapCount;
    auto &rows = stored.cells.rows;
    double reading = 0;
    rows[0][segments].set(reading);
    const double middle[] = {lo.toDouble(), hi.toDouble(), (lo.toDouble() + hi.toDouble()) / 2};
    for (int lap = 1; lap <= lapCount; ++lap) {
        for (int s = 1; s <= segments; ++s)
            rows[lap][s].set(reading += segments == 1 ? lapTimes.value(lap - 1, 20 + (lap * 7 % 11 - 5) * 0.2)
                                       : s == 2 ? middle[qMin(lap, 3) - 1] : 10);
        for (int c = 0; c < 3; ++c) {
            const int item = lapTimes.isEmpty() ? laps[(lap - 1) % 8].conditions[c] : c == 0 ? flags[lap - 1] : 0;
            rows[lap][RaceRecordCells::FlagColumn + c].set(item == None ? 1000 : item);
        }
    }
    auto race = std::make_unique<Race>();
    race->load(stored);
    return race;
}

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
        const auto race = makeRace(8);
        race->selectLap(6);
        QRadioButton options[4]; // [0] stands for none checked
        options[option + 1].setChecked(true);
        GraphView view(*race);
        view.setQuantityPosition(0); // whole laps
        view.bindControls(nullptr, {&options[1], &options[2], &options[3]}, nullptr, nullptr);
        view.resize(300, 600);
        view.drawGraph();
        QCOMPARE(pointColour(view, lap), pal(laps[lap - 1].colour[option + 1]));
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
        const auto race = makeRace(10, 3, lo, hi);
        QLabel left, right;
        QComboBox list;
        QCOMPARE(graphQuantityItems(3), QStringList({"Whole Laps", "Segment 1", "Segment 2", "Segment 3"}));
        list.addItems(graphQuantityItems(3));
        list.setCurrentIndex(2);
        GraphView view(*race);
        view.bindControls(&list, {nullptr, nullptr, nullptr}, &left, &right);
        view.resize(200, 400);
        view.drawGraph();
        QTEST(left.text(), "left");
        QTEST(right.text(), "right");
        QCOMPARE(view.pointCentre(1).x(), // time grows to the right
                 (resultsCellText(*race, 1, 2).toDouble() - view.scale().left) / view.scale().width() * 200);
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
        QTest::newRow("lap 4 while rows from 6 show") << 30 << 4 << 0.0 << 6 << 4;
        QTest::newRow("lap 240 of 240") << 240 << 240 << 0.0 << 1 << 230;
        QTest::newRow("no laps: nothing selected") << 0 << 0 << 51.0 << 1 << 1;
    }

    void clickSelectsLap()
    {
        QFETCH(int, laps);
        QFETCH(int, lap);
        QFETCH(double, dy);
        QFETCH(int, topBefore);
        const auto race = laps > 0 ? makeRace(laps) : std::make_unique<Race>();
        if (laps > 0)
            race->selectLap(laps / 2);
        GraphView view(*race);
        view.resize(300, 600);
        view.setQuantityPosition(1);
        view.drawGraph();
        QSignalSpy clicked(&view, &GraphView::lapClicked);
        connect(&view, &GraphView::lapClicked, race.get(), &Race::selectLap);
        connect(race.get(), &Race::selectedLapChanged, &view, &GraphView::drawGraph);
        QTest::mouseClick(&view, Qt::LeftButton, {}, QPoint(150, qRound(view.pointCentre(lap).y() + dy)));
        QCOMPARE(clicked.count(), lap > 0 ? 1 : 0);
        QCOMPARE(clicked.value(0).value(0).toInt(), lap);
        if (lap == 0)
            return;
        QCOMPARE(race->selectedLap(), lap);
        QCOMPARE(pointColour(view, lap), pal(Palette::LightMagenta)); // redrawn with the lap selected

        // In the window the grid scrolls the lap into view.
        RaceFixture f;
        f.race.load(makeRace(laps)->storedRace());
        f.race.selectLap(laps / 2);
        f.w->results().setTopLap(topBefore);
        emit f.w->graph().lapClicked(lap);
        QCOMPARE(f.race.selectedLap(), lap);
        QTEST(f.w->results().topLap(), "topAfter");
    }

    // With a lap filter on, the scale spans the counted laps; a left-out lap
    // beyond it keeps its point, at the edge with an arrow to that edge. A
    // filter that leaves every lap out gives a message, not a scale.
    void lapsBeyondTheCountedScale_data()
    {
        QTest::addColumn<QList<double>>("lapTimes");
        QTest::addColumn<QList<int>>("flags");
        QTest::addColumn<int>("filter");
        QTest::addColumn<QList<int>>("beyond"); // lap numbers, negative: beyond the left edge
        QTest::addColumn<QString>("left");
        const int green = int(LapFilter::GreenOnly), all = int(LapFilter::AllLaps);
        QTest::newRow("slow yellow laps right") << QList<double>{30, 20, 20.5, 21, 45, 20.2}
                                                << QList<int>{1, 0, 0, 0, 1, 0} << green << QList<int>{1, 5} << "20";
        QTest::newRow("fast yellow lap left")
            << QList<double>{20, 12, 20.5, 21} << QList<int>{0, 1, 0, 0} << green << QList<int>{-2} << "20";
        QTest::newRow("both sides") << QList<double>{20, 12, 20.5, 90, 21} << QList<int>{0, 1, 0, 1, 0} << green
                                    << QList<int>{-2, 4} << "20";
        QTest::newRow("all laps count: all on the scale")
            << QList<double>{30, 20, 20.5, 21, 45} << QList<int>{1, 0, 0, 0, 1} << all << QList<int>{} << "20";
        QTest::newRow("every lap left out")
            << QList<double>{20, 21, 22} << QList<int>{1, 1, 1} << green << QList<int>{} << QString();
    }

    void lapsBeyondTheCountedScale()
    {
        QFETCH(QList<double>, lapTimes);
        QFETCH(QList<int>, flags);
        QFETCH(int, filter);
        QFETCH(QList<int>, beyond);
        QFETCH(QString, left);
        const auto race = makeRace(int(lapTimes.size()), 1, {}, {}, lapTimes, flags);
        QLabel leftLabel, rightLabel;
        GraphView view(*race);
        view.setQuantityPosition(0);
        view.bindControls(nullptr, {nullptr, nullptr, nullptr}, &leftLabel, &rightLabel);
        view.setLapFilter(LapFilter(filter));
        view.resize(200, 400);
        view.drawGraph();
        QCOMPARE(leftLabel.text(), left);
        const QImage &picture = view.picture();
        const QColor background = view.palette().color(QPalette::Button);
        const QColor foreground = view.palette().color(QPalette::ButtonText);
        if (left.isEmpty()) {
            QCOMPARE(rightLabel.text(), QString());
            QCOMPARE(view.message(), QStringLiteral("No laps counted"));
            int textPixels = 0;
            for (int y = 0; y < picture.height(); ++y)
                for (int x = 0; x < picture.width(); ++x)
                    textPixels += picture.pixelColor(x, y) != background;
            QVERIFY(textPixels > 20);
            return;
        }
        QCOMPARE(view.message(), QString());
        const double r = view.pointRadius();
        for (int lap = 1; lap <= lapTimes.size(); ++lap) {
            const int side = beyond.contains(lap) ? 1 : beyond.contains(-lap) ? -1 : 0;
            QCOMPARE(view.isBeyondScale(lap), side != 0);
            const QPointF c = view.pointCentre(lap);
            if (side != 0) {
                // The point lies wholly in the picture, its ring drawn, and
                // the arrow reaches the edge.
                QVERIFY2(c.x() - r >= 0 && c.x() + r <= picture.width(), qPrintable(QString::number(lap)));
                QVERIFY(picture.pixelColor(qRound(c.x() - side * r), qRound(c.y())) != background);
                QCOMPARE(picture.pixelColor(side < 0 ? 0 : picture.width() - 1, qRound(c.y())), foreground);
            } else {
                QCOMPARE(c.x(), (resultsCellText(*race, lap, 5).toDouble() - view.scale().left)
                                    / view.scale().width() * picture.width());
            }
        }
    }

    void nothingToDraw()
    {
        // After a drawing, a position past "Segment 4", none, or no laps clear it.
        const auto race = makeRace(10);
        GraphView view(*race);
        view.resize(100, 200);
        for (const QPoint &positionAndLaps : {QPoint(0, 10), QPoint(5, 10), QPoint(-1, 10), QPoint(0, 0)}) {
            view.setQuantityPosition(positionAndLaps.x());
            if (positionAndLaps.y() == 0)
                race->erase();
            view.drawGraph();
            QImage blank = view.picture();
            blank.fill(view.palette().color(QPalette::Button));
            QCOMPARE(view.picture() == blank, positionAndLaps != QPoint(0, 10));
        }
    }
};

QTEST_MAIN(TestGraphView)
#include "tst_graphview.moc"
