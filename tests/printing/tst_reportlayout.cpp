// Page layout of the lap-time report, checked on the drawing steps with
// fixed-pitch metrics: W = 10000, H = 13000 units, so U = 20, the header
// font's line is 240 high and the table font's 220.

#include "FakeTextMetrics.h"
#include "printing/ReportLayout.h"

#include <QtTest>

#include <memory>

using namespace sw;

namespace {

constexpr double W = 10000, H = 13000, U = 20;
constexpr double kHeaderLine = 240, kTableLine = 220;

struct Report
{
    std::unique_ptr<ResultsGrid> grid = std::make_unique<ResultsGrid>();
    ReportInputs in;
    std::vector<ReportPage> pages;

    explicit Report(int laps, int numSegs = 4, double height = H)
    {
        fillRaceGrid(*grid, laps, numSegs);
        in.pageWidth = W;
        in.pageHeight = height;
        in.caption = QStringLiteral("Splitwatch   [ heat2.txt ]");
        in.timeText = QStringLiteral("02:35:07:pm");
        in.dateText = QStringLiteral("04:12:2026");
        in.lastLap = laps;
    }
    Report &run()
    {
        FakeTextMetrics m;
        pages = ReportLayout(in, *grid, m).pages();
        return *this;
    }
};

std::vector<ReportItem> itemsOf(const ReportPage &page, ReportItem::Kind kind)
{
    std::vector<ReportItem> out;
    for (const ReportItem &it : page)
        if (it.kind == kind)
            out.push_back(it);
    return out;
}

const ReportItem *findText(const ReportPage &page, const QString &text)
{
    for (const ReportItem &it : page)
        if (it.kind == ReportItem::Text && it.text == text)
            return &it;
    return nullptr;
}

// The lap number texts of a page, in print order: (lap, top y).
std::vector<std::pair<int, double>> lapRows(const ReportPage &page)
{
    std::vector<std::pair<int, double>> rows;
    for (const ReportItem &it : page)
        if (it.kind == ReportItem::Text && qFuzzyCompare(it.x1, 0.07 * W) && it.pointSize == 11
            && it.text.toInt() > 0)
            rows.emplace_back(it.text.toInt(), it.y1);
    return rows;
}

// Full-width rules (lines from 0.05 W to 0.93 W).
std::vector<double> rulesOf(const ReportPage &page)
{
    std::vector<double> ys;
    for (const ReportItem &it : itemsOf(page, ReportItem::Line))
        if (qFuzzyCompare(it.x1, 0.05 * W) && qFuzzyCompare(it.x2, 0.93 * W))
            ys.push_back(it.y1);
    return ys;
}

} // namespace

class TestReportLayout : public QObject
{
    Q_OBJECT
private slots:
    void headerLinesAreCentredAndRuled();
    void reportCommentLine_data();
    void reportCommentLine();
    void fileCommentsFollowTheHeader();
    void headingsStandAtTheirFractions_data();
    void headingsStandAtTheirFractions();
    void lapCellsStandUnderTheirHeadings();
    void ruleAfterEveryFifthLap();
    void pageBreaksAfterTheFirstRowBelowNineTenths();
    void pageBreakRestartsTheFiveLapCount();
    void neverBreaksAfterLap249();
    void pageNumberOnEveryPage();
    void statisticsTable_data();
    void statisticsTable();
    void framesCloseEveryPage();
    void noLapsStillPrintsOnePage();
};

void TestReportLayout::headerLinesAreCentredAndRuled()
{
    Report r(3);
    r.run();
    QCOMPARE(r.pages.size(), size_t(1));
    const ReportPage &p = r.pages[0];
    const QString first = QStringLiteral(
        "Printed at this      Time:  02:35:07:pm        Date:  04:12:2026        Page: 1");
    const ReportItem *line1 = findText(p, first);
    QVERIFY(line1);
    QCOMPARE(line1->pointSize, 12.0);
    QCOMPARE(line1->y1, 0.05 * H);
    QCOMPARE(line1->x1, 0.05 * W + (0.88 * W - first.size() * 60.0) / 2);

    const ReportItem *caption = findText(p, r.in.caption);
    QVERIFY(caption);
    QCOMPARE(caption->x1, 0.05 * W + (0.88 * W - r.in.caption.size() * 60.0) / 2);
    // A ruled header line: line height, gap, rule, gap (gap = 0.2 x line).
    const double g = 0.2 * kHeaderLine;
    QCOMPARE(caption->y1, 0.05 * H + kHeaderLine + 2 * g);
    const std::vector<double> rules = rulesOf(p);
    QVERIFY(rules.size() >= 2);
    QCOMPARE(rules[0], 0.05 * H + kHeaderLine + g);
    QCOMPARE(rules[1], caption->y1 + kHeaderLine + g);
}

void TestReportLayout::reportCommentLine_data()
{
    QTest::addColumn<QString>("comment");
    QTest::addColumn<QString>("printed");
    QTest::newRow("typed") << QStringLiteral("Track wet, new tyres") << QStringLiteral("Report Comment:  Track wet, new tyres");
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("blank is still typed") << QStringLiteral(" ") << QStringLiteral("Report Comment:   ");
}

void TestReportLayout::reportCommentLine()
{
    QFETCH(QString, comment);
    QFETCH(QString, printed);
    Report r(2);
    r.in.reportComment = comment;
    r.run();
    const ReportPage &p = r.pages[0];
    int commentLines = 0;
    for (const ReportItem &it : itemsOf(p, ReportItem::Text))
        commentLines += it.text.startsWith(QLatin1String("Report Comment:")) ? 1 : 0;
    QCOMPARE(commentLines, printed.isEmpty() ? 0 : 1);

    // The header frame closes below the last header line (3 ruled lines with
    // a comment, 2 without).
    const int headerLines = printed.isEmpty() ? 2 : 3;
    const std::vector<ReportItem> rects = itemsOf(p, ReportItem::Rect);
    QVERIFY(rects.size() >= 2);
    const double yh = 0.05 * H + headerLines * (kHeaderLine + 0.4 * kHeaderLine);
    QCOMPARE(rects[0].y2, yh);
    QCOMPARE(rects[1].y2, yh + U);
    if (!printed.isEmpty()) {
        const ReportItem *line = findText(p, printed);
        QVERIFY(line);
        QCOMPARE(line->x1, 0.06 * W); // not centred
        QCOMPARE(rulesOf(p).at(2), line->y1 + kHeaderLine + 0.2 * kHeaderLine);
    }
}

void TestReportLayout::fileCommentsFollowTheHeader()
{
    Report r(1);
    r.in.comments = QStringLiteral("Second heat.\r\nTyres changed after lap 12.");
    r.run();
    const ReportPage &p = r.pages[0];
    const ReportItem *a = findText(p, QStringLiteral("Second heat."));
    const ReportItem *b = findText(p, QStringLiteral("Tyres changed after lap 12."));
    QVERIFY(a && b);
    QCOMPARE(a->x1, 0.07 * W);
    QCOMPARE(b->x1, 0.07 * W);
    QCOMPARE(b->y1 - a->y1, kHeaderLine); // unruled
    // The header frame closes right under them.
    QCOMPARE(itemsOf(p, ReportItem::Rect).at(0).y2, b->y1 + kHeaderLine);
}

void TestReportLayout::headingsStandAtTheirFractions_data()
{
    QTest::addColumn<QString>("heading");
    QTest::addColumn<double>("fraction");
    QTest::newRow("lap") << QStringLiteral("Lap #") << 0.07;
    QTest::newRow("seg 1") << QStringLiteral("Seg 1") << 0.13;
    QTest::newRow("seg 2") << QStringLiteral("Seg 2") << 0.215;
    QTest::newRow("seg 3") << QStringLiteral("Seg 3") << 0.30;
    QTest::newRow("seg 4") << QStringLiteral("Seg 4") << 0.385;
    QTest::newRow("lap time") << QStringLiteral("LapTime") << 0.47;
    QTest::newRow("flag") << QStringLiteral("Flag") << 0.555;
    QTest::newRow("position") << QStringLiteral("Pos.") << 0.64;
    QTest::newRow("traffic") << QStringLiteral("Traffic") << 0.70;
}

void TestReportLayout::headingsStandAtTheirFractions()
{
    QFETCH(QString, heading);
    QFETCH(double, fraction);
    Report r(2, 2); // two segments: the Seg 3 and Seg 4 headings still print
    r.run();
    const ReportItem *h = findText(r.pages[0], heading);
    QVERIFY(h);
    QCOMPARE(h->x1, fraction * W);
    QCOMPARE(h->pointSize, 11.0);
    // All headings share one line, just below the header frame.
    const double yh = 0.05 * H + 2 * 1.4 * kHeaderLine;
    QCOMPARE(h->y1, yh + U);
    QVERIFY(!findText(r.pages[0], QStringLiteral("Position")));
    QCOMPARE(rulesOf(r.pages[0]).at(2), yh + U + kTableLine + U);
}

void TestReportLayout::lapCellsStandUnderTheirHeadings()
{
    Report r(1);
    r.run();
    const ReportPage &p = r.pages[0];
    const ReportItem *lap = findText(p, QStringLiteral("1"));
    QVERIFY(lap);
    // Cells follow each other on one line at the column fractions.
    const std::vector<ReportItem> texts = itemsOf(p, ReportItem::Text);
    auto it = std::find_if(texts.begin(), texts.end(),
                           [&](const ReportItem &t) { return t.y1 == lap->y1; });
    QVERIFY(it != texts.end());
    for (int c = 0; c < 9; ++c, ++it) {
        QCOMPARE(it->text, r.grid->cell(1, c));
        QCOMPARE(it->x1, ReportLayout::columnFraction(c) * W);
        QCOMPARE(it->y1, lap->y1);
    }
}

void TestReportLayout::ruleAfterEveryFifthLap()
{
    Report r(12);
    r.run();
    const ReportPage &p = r.pages[0];
    const auto rows = lapRows(p);
    QCOMPARE(rows.size(), size_t(12));
    // Rules lie U below laps 5 and 10, and the next lap starts U below the rule.
    std::vector<double> expected;
    for (int lap : {5, 10}) {
        const double bottom = rows[lap - 1].second + kTableLine;
        expected.push_back(bottom + U);
        QCOMPARE(rows[lap].second, bottom + 2 * U);
    }
    std::vector<double> between;
    for (double y : rulesOf(p))
        if (y > rows.front().second && y < rows.back().second)
            between.push_back(y);
    QCOMPARE(between, expected);
    // Other laps follow directly.
    QCOMPARE(rows[2].second - rows[1].second, kTableLine);
}

void TestReportLayout::pageBreaksAfterTheFirstRowBelowNineTenths()
{
    Report r(250);
    r.run();
    // Page 1: 45 laps; later pages 45 each; page 6 holds 226..250.
    QCOMPARE(r.pages.size(), size_t(6));
    int next = 1;
    for (size_t i = 0; i < r.pages.size(); ++i) {
        const auto rows = lapRows(r.pages[i]);
        QVERIFY(!rows.empty());
        QCOMPARE(rows.front().first, next);
        next = rows.back().first + 1;
        if (i + 1 < r.pages.size()) {
            // The page ends with the first row reaching past 0.9 H.
            QVERIFY(rows.back().second + kTableLine > 0.9 * H);
            QVERIFY(rows[rows.size() - 2].second + kTableLine <= 0.9 * H);
        }
    }
    QCOMPARE(next, 251);
    QCOMPARE(lapRows(r.pages[0]).back().first, 45);
    QCOMPARE(lapRows(r.pages[5]).front().first, 226);
    // Only the last page carries the statistics table.
    QVERIFY(!findText(r.pages[4], QStringLiteral("Avg")));
    QVERIFY(findText(r.pages[5], QStringLiteral("Avg")));
}

void TestReportLayout::pageBreakRestartsTheFiveLapCount()
{
    Report r(60);
    r.run();
    QCOMPARE(r.pages.size(), size_t(2));
    const auto rows = lapRows(r.pages[1]);
    QCOMPARE(rows.front().first, 46);
    // The count restarts at the break after lap 45: rules after 49, 54, 59.
    std::vector<int> rulesAfter;
    const std::vector<double> rules = rulesOf(r.pages[1]);
    for (size_t i = 0; i + 1 < rows.size(); ++i)
        for (double y : rules)
            if (y > rows[i].second && y < rows[i + 1].second)
                rulesAfter.push_back(rows[i].first);
    QCOMPARE(rulesAfter, (std::vector<int>{49, 54, 59}));
}

void TestReportLayout::neverBreaksAfterLap249()
{
    // Over a range of page heights, lap 249 sometimes ends past 0.9 H; lap 250
    // must then share its page.
    int lap249PastTheLine = 0;
    for (double h = 9000; h <= 16000; h += 20) {
        Report r(250, 4, h);
        r.run();
        for (size_t i = 0; i < r.pages.size(); ++i) {
            const auto rows = lapRows(r.pages[i]);
            for (size_t k = 0; k < rows.size(); ++k) {
                if (rows[k].first != 249 || rows[k].second + kTableLine <= 0.9 * h)
                    continue;
                ++lap249PastTheLine;
                QVERIFY2(k + 1 < rows.size() && rows[k + 1].first == 250,
                         qPrintable(QStringLiteral("page height %1").arg(h)));
            }
            if (i + 1 < r.pages.size())
                QVERIFY(rows.back().first != 249);
        }
    }
    QVERIFY(lap249PastTheLine > 0);
}

void TestReportLayout::pageNumberOnEveryPage()
{
    Report r(250, 4, 5000); // small pages: more than ten of them
    r.run();
    QVERIFY(r.pages.size() >= 10);
    for (size_t i = 0; i < r.pages.size(); ++i) {
        const std::vector<ReportItem> texts = itemsOf(r.pages[i], ReportItem::Text);
        QVERIFY(!texts.empty());
        QVERIFY2(texts.front().text.endsWith(QStringLiteral("Page: %1").arg(i + 1)),
                 qPrintable(texts.front().text));
        QVERIFY(findText(r.pages[i], r.in.caption));
        QVERIFY(findText(r.pages[i], QStringLiteral("Lap #")));
    }
    QVERIFY(itemsOf(r.pages[9], ReportItem::Text).front().text.endsWith(QLatin1String("Page: 10")));
}

void TestReportLayout::statisticsTable_data()
{
    QTest::addColumn<int>("numSegs");
    QTest::addColumn<QStringList>("heads");
    QTest::newRow("four segments") << 4 << QStringList{"Seg 1", "Seg 2", "Seg 3", "Seg 4", "Lap"};
    QTest::newRow("two segments") << 2 << QStringList{"Seg 1", "Seg 2", "", "", "Lap"};
}

void TestReportLayout::statisticsTable()
{
    QFETCH(int, numSegs);
    QFETCH(QStringList, heads);
    Report r(7, numSegs);
    r.grid->Label3[8] = QStringLiteral("99.999"); // a hidden column's value still prints
    r.run();
    const ReportPage &p = r.pages.back();
    const ReportItem *avg = findText(p, QStringLiteral("Avg"));
    QVERIFY(avg);
    QCOMPARE(avg->x1, 0.07 * W);
    const double headY = avg->y1 - 1.2 * kTableLine;
    const double lastLapBottom = lapRows(p).back().second + kTableLine;
    QCOMPARE(headY, lastLapBottom + 0.3 * kTableLine);

    for (int c = 1; c <= 5; ++c) {
        const double x = (0.07 + 0.12 * c) * W;
        // Heads of unused segment columns are left out.
        int found = 0;
        for (const ReportItem &it : itemsOf(p, ReportItem::Text))
            if (qAbs(it.y1 - headY) < 1e-6 && qAbs(it.x1 - x) < 1e-6) {
                QCOMPARE(it.text, heads[c - 1]);
                ++found;
            }
        QCOMPARE(found, heads[c - 1].isEmpty() ? 0 : 1);
        for (int s = 0; s < 3; ++s) {
            const QString v = r.grid->Label3[(c - 1) * 3 + s];
            if (v.isEmpty())
                continue;
            const ReportItem *cell = findText(p, v);
            QVERIFY2(cell, qPrintable(v));
            QCOMPARE(cell->x1, x);
            QCOMPARE(cell->y1, avg->y1 + s * kTableLine);
        }
    }
    QCOMPARE(findText(p, QStringLiteral("Min"))->y1, avg->y1 + kTableLine);
    QCOMPARE(findText(p, QStringLiteral("Max"))->y1, avg->y1 + 2 * kTableLine);
}

void TestReportLayout::framesCloseEveryPage()
{
    Report r(60);
    r.run();
    QCOMPARE(r.pages.size(), size_t(2));
    const double y0 = 0.05 * H;
    for (size_t i = 0; i < r.pages.size(); ++i) {
        const std::vector<ReportItem> rects = itemsOf(r.pages[i], ReportItem::Rect);
        // Page 1 has its double header frame as well.
        QCOMPARE(rects.size(), size_t(i == 0 ? 5 : 3));
        const ReportItem &inner = rects[rects.size() - 3];
        const ReportItem &middle = rects[rects.size() - 2];
        const ReportItem &outer = rects[rects.size() - 1];
        QCOMPARE(inner.x1, 0.05 * W);
        QCOMPARE(inner.y1, y0 - 2 * U);
        QCOMPARE(inner.x2, 0.93 * W);
        const double b = inner.y2;
        QCOMPARE(middle.x1, 0.05 * W - U);
        QCOMPARE(middle.y1, y0 - 3 * U);
        QCOMPARE(middle.x2, 0.93 * W + U);
        QCOMPARE(middle.y2, b + U);
        QCOMPARE(outer.x1, 0.04 * W);
        QCOMPARE(outer.y1, y0 - 8 * U);
        QCOMPARE(outer.x2, 0.94 * W);
        QCOMPARE(outer.y2, b + kHeaderLine - 4 * U);
        // The page closes 1.2 header lines below the last thing printed.
        const auto rows = lapRows(r.pages[i]);
        if (i == 0)
            QCOMPARE(b, rows.back().second + kTableLine + 1.2 * kHeaderLine);
        QVERIFY(b < H);
        QVERIFY(outer.y2 < H);
    }
}

void TestReportLayout::noLapsStillPrintsOnePage()
{
    Report r(0);
    r.run();
    QCOMPARE(r.pages.size(), size_t(1));
    const ReportPage &p = r.pages[0];
    QVERIFY(lapRows(p).empty());
    QVERIFY(findText(p, QStringLiteral("Lap #")));
    QVERIFY(findText(p, QStringLiteral("Avg")));
    QCOMPARE(itemsOf(p, ReportItem::Rect).size(), size_t(5));
}

QTEST_GUILESS_MAIN(TestReportLayout)
#include "tst_reportlayout.moc"
