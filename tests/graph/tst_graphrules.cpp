// The graph's axis, labels, colours and click mapping.

#include "graph/GraphRules.h"

#include <QtTest>

using namespace sw;

class TestGraphRules : public QObject
{
    Q_OBJECT

private slots:
    void axis_data();
    void axis();
    void colours_data();
    void colours();
    void listPositions_data();
    void listPositions();
    void clickRow_data();
    void clickRow();
    void clickScroll_data();
    void clickScroll();
};

void TestGraphRules::axis_data()
{
    QTest::addColumn<double>("lo");
    QTest::addColumn<double>("hi");
    QTest::addColumn<QString>("left");
    QTest::addColumn<QString>("right");

    QTest::newRow("narrow span widened to the left") << 61.24 << 61.87 << "60.9" << "61.9";
    QTest::newRow("wide span") << 58.03 << 63.5 << "58" << "63.6";
    QTest::newRow("empty column") << 0.0 << 0.0 << "-.9" << ".1";
    QTest::newRow("hi on a whole tenth goes one above") << 60.0 << 61.3 << "60" << "61.4";
    QTest::newRow("hi just below a tenth") << 59.0 << 61.299 << "59" << "61.3";
    QTest::newRow("below a second") << 0.2 << 0.7 << "-.2" << ".8";
    QTest::newRow("whole tenths with float noise") << 0.3 << 0.7 << "-.2" << ".8";
    QTest::newRow("long race") << 3599.999 << 7200.0 << "3599.9" << "7200.1";
}

void TestGraphRules::axis()
{
    QFETCH(double, lo);
    QFETCH(double, hi);
    const GraphScale s = graphScale(lo, hi);
    QTEST(graphScaleLabel(s.left), "left");
    QTEST(graphScaleLabel(s.right), "right");
    QVERIFY(s.width() >= 1 - 1e-9);
    QVERIFY(s.left <= lo && s.right > hi);
}

void TestGraphRules::colours_data()
{
    QTest::addColumn<int>("option");
    QTest::addColumn<bool>("selected");
    QTest::addColumn<QString>("flag");
    QTest::addColumn<QString>("position");
    QTest::addColumn<QString>("traffic");
    QTest::addColumn<int>("colour");

    QTest::newRow("flag empty") << 0 << false << "" << "" << "" << 14;
    QTest::newRow("flag lower-case g") << 0 << false << "green" << "" << "" << 14;
    QTest::newRow("none checked colours by flag") << -1 << false << "Green" << "7" << "Held up" << 2;
    QTest::newRow("position 7 yellow") << 1 << false << "Green" << "7" << "" << 14;
    QTest::newRow("position 13 white") << 1 << false << "Green" << "13" << "" << 15;
    QTest::newRow("position 14 black") << 1 << false << "Green" << "14" << "" << 0;
    QTest::newRow("position 15 blue") << 1 << false << "Green" << "15" << "" << 1;
    QTest::newRow("position 100") << 1 << false << "Green" << "100" << "" << 2;
    QTest::newRow("position empty black") << 1 << false << "Green" << "" << "" << 0;
    QTest::newRow("traffic not in") << 2 << false << "Green" << "" << "Not in Traffic" << 1;
    QTest::newRow("traffic empty") << 2 << false << "Green" << "" << "" << 1;
    QTest::newRow("traffic lower-case i") << 2 << false << "Green" << "" << "in" << 1;
    QTest::newRow("selected by traffic") << 2 << true << "Green" << "7" << "In Traffic" << 13;
    QTest::newRow("selected none checked") << -1 << true << "Yellow" << "" << "" << 13;
}

void TestGraphRules::colours()
{
    QFETCH(int, option);
    QFETCH(bool, selected);
    QFETCH(QString, flag);
    QFETCH(QString, position);
    QFETCH(QString, traffic);
    QTEST(graphLapColour(graphColouringFromIndex(option), selected, flag, position, traffic), "colour");
}

void TestGraphRules::listPositions_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("stats");
    QTest::addColumn<int>("column");

    QTest::newRow("whole laps") << 0 << true << 4 << 5;
    QTest::newRow("segment 1") << 1 << true << 0 << 1;
    QTest::newRow("segment 4") << 4 << true << 3 << 4;
    QTest::newRow("no selection") << -1 << false << 0 << 0;
    QTest::newRow("past segment 4") << 5 << false << 0 << 0;
}

void TestGraphRules::listPositions()
{
    QFETCH(int, position);
    const GraphColumn c = graphColumnForListPosition(position);
    QTEST(c.valid, "valid");
    if (c.valid) {
        QTEST(c.statsColumn, "stats");
        QTEST(c.gridColumn, "column");
    }
    QCOMPARE(graphQuantityItems(3),
             QStringList({"Whole Laps", "Segment 1", "Segment 2", "Segment 3"}));
}

void TestGraphRules::clickRow_data()
{
    QTest::addColumn<double>("pixelY");
    QTest::addColumn<int>("pixelHeight");
    QTest::addColumn<int>("lastLap");
    QTest::addColumn<int>("row");

    // 30 laps on 600 pixels: 20 pixels per lap, lap i centred at 20i - 10.
    QTest::newRow("top pixel is lap 1") << 0.0 << 600 << 30 << 1;
    QTest::newRow("centre of lap 9") << 170.0 << 600 << 30 << 9;
    QTest::newRow("last pixel of lap 8") << 159.0 << 600 << 30 << 8;
    QTest::newRow("bottom pixel is lap 30") << 599.0 << 600 << 30 << 30;
    QTest::newRow("one lap") << 300.0 << 600 << 1 << 1;
    QTest::newRow("240 laps, bottom") << 599.0 << 600 << 240 << 240;
    QTest::newRow("before any drawing") << 200.0 << 600 << 0 << 0;
    QTest::newRow("before any drawing, bottom") << 599.0 << 600 << 0 << 0;
}

void TestGraphRules::clickRow()
{
    QFETCH(double, pixelY);
    QFETCH(int, pixelHeight);
    QFETCH(int, lastLap);
    const int first = lastLap > 0 ? 1 : 0;
    QTEST(graphClickRow(graphClickY(pixelY, pixelHeight, first, lastLap)), "row");
}

void TestGraphRules::clickScroll_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("top");
    QTest::addColumn<int>("newTop");

    QTest::newRow("lap 9 from the top") << 9 << 1 << 4;
    QTest::newRow("lap 7") << 7 << 1 << 2;
    QTest::newRow("lap 6 stays") << 6 << 1 << 1;
    QTest::newRow("lap 3 above top 10") << 3 << 10 << 3;
    QTest::newRow("lap 240") << 240 << 100 << 230;
    QTest::newRow("lap 250") << 250 << 1 << 230;
    QTest::newRow("lap 12 scrolls back up") << 12 << 40 << 7;
}

void TestGraphRules::clickScroll()
{
    QFETCH(int, row);
    QFETCH(int, top);
    QTEST(graphClickTopRow(row, top), "newTop");
}

QTEST_GUILESS_MAIN(TestGraphRules)
#include "tst_graphrules.moc"
