// Insert, Delete and Keep Changes on the race record, and the texts of the
// questions that guard them.

#include "results/LapEditing.h"
#include "timing/NumberText.h"

#include <QtTest>

#include <memory>

using namespace sw;

namespace {

constexpr int kFirstValue = 1000; // reading at sequence place p is 1000 + p
constexpr double kUnusedColumn = -7;

// Place of (lap, seg) in the reading sequence of a race with n segments.
int place(int n, int lap, int seg)
{
    return lap * n + seg - 1;
}

// Every reading of laps 0..251 numbered along the sequence, so a shift shows
// as a change of number; unused segment columns and the conditions carry
// values of their own that must never move.
std::unique_ptr<RaceRecord> numberedRecord(int n)
{
    auto rec = std::make_unique<RaceRecord>();
    rec->NumSegs = qint16(n);
    for (int lap = 0; lap < RaceRecord::Rows; ++lap) {
        for (int seg = 1; seg <= 4; ++seg)
            rec->LapData[lap][seg].set(seg <= n ? kFirstValue + place(n, lap, seg) : kUnusedColumn);
        rec->LapData[lap][5].set(lap % 2);
        rec->LapData[lap][6].set(lap % 100);
        rec->LapData[lap][7].set(lap % 3);
    }
    return rec;
}

// A race of equal segments: every segment `seg` seconds long, start at 5.
std::unique_ptr<RaceRecord> evenRace(int n, int laps, double seg)
{
    auto rec = std::make_unique<RaceRecord>();
    rec->NumSegs = qint16(n);
    rec->LastLap = qint16(laps);
    rec->LapData[0][n].set(5);
    double t = 5;
    for (int lap = 1; lap <= laps; ++lap)
        for (int s = 1; s <= n; ++s)
            rec->LapData[lap][s].set(t += seg);
    return rec;
}

// Segment time as the grid shows it.
QString segText(const RaceRecord &rec, int lap, int seg)
{
    const int n = rec.NumSegs;
    const double prev = seg == 1 ? rec.reading(lap - 1, n) : rec.reading(lap, seg - 1);
    const double end = rec.reading(lap, seg);
    return formatTime(end < prev ? 0 : end - prev);
}

QString lapText(const RaceRecord &rec, int lap)
{
    return formatTime(rec.reading(lap, rec.NumSegs) - rec.reading(lap - 1, rec.NumSegs));
}

void checkUntouchedOutsideSequence(const RaceRecord &rec, int n)
{
    for (int lap = 0; lap < RaceRecord::Rows; ++lap) {
        for (int seg = n + 1; seg <= 4; ++seg)
            QCOMPARE(rec.reading(lap, seg), kUnusedColumn);
        QCOMPARE(rec.reading(lap, 5), double(lap % 2));
        QCOMPARE(rec.reading(lap, 6), double(lap % 100));
        QCOMPARE(rec.reading(lap, 7), double(lap % 3));
    }
}

} // namespace

class TestLapEditing : public QObject
{
    Q_OBJECT

private slots:
    void plausibility_data();
    void plausibility();
    void questionTexts();
    void amount_data();
    void amount();
    void insertShift_data();
    void insertShift();
    void deleteShift_data();
    void deleteShift();
    void refusedPlaces_data();
    void refusedPlaces();
    void insertSplitsSegment_data();
    void insertSplitsSegment();
    void deleteJoinsLastSegmentWithNextLap();
    void keepChanges_data();
    void keepChanges();
};

void TestLapEditing::plausibility_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("anticipated");
    QTest::addColumn<bool>("ask");
    QTest::addColumn<int>("tolerance");

    QTest::newRow("41.2 vs 20: raised to 3, far off") << 41.2 << 20 << false << 3;
    QTest::newRow("22.1 vs 22: close") << 22.1 << 22 << true << 3;
    QTest::newRow("exactly t away is not close") << 23.0 << 20 << false << 3;
    QTest::newRow("just inside below") << 17.001 << 20 << true << 3;
    QTest::newRow("a 35 gives 4") << 38.9 << 35 << true << 4;
    QTest::newRow("a 45 gives 5") << 49.5 << 45 << true << 5;
    QTest::newRow("no anticipated time") << 2.9 << 0 << true << 3;
}

void TestLapEditing::plausibility()
{
    QFETCH(double, value);
    QFETCH(int, anticipated);
    const PlausibilityCheck c = checkPlausibility(value, anticipated);
    QTEST(c.ask, "ask");
    QTEST(c.tolerance, "tolerance");
    QCOMPARE(c.anticipated, anticipated);
}

void TestLapEditing::questionTexts()
{
    QCOMPARE(plausibilityTitle(true), QStringLiteral("Continue with Insert?"));
    QCOMPARE(plausibilityTitle(false), QStringLiteral("Continue with Delete?"));
    QCOMPARE(plausibilityText(QStringLiteral("22.100"), 3, 22),
             QStringLiteral("This segment (22.100 seconds) appears to be correct (within 3 seconds "
                            "of the anticipated segment time of 22).\r\rDo you still want to make "
                            "this change?"));
    const MessageSpec m = plausibilityQuestion(false, QStringLiteral("22.100"), checkPlausibility(22.1, 22));
    QCOMPARE(m.title, QStringLiteral("Continue with Delete?"));
    QCOMPARE(m.text, plausibilityText(QStringLiteral("22.100"), 3, 22));
    QCOMPARE(m.buttons, Buttons::YesNo);
    QCOMPARE(m.icon, Icon::Question);

    QCOMPARE(insertPromptTitle(), QStringLiteral("Enter Time to Insert"));
    QCOMPARE(insertPromptDefault(), QStringLiteral("0"));
    QCOMPARE(insertPromptText(QStringLiteral("41.200")),
             QStringLiteral("Enter the amount of time to insert ahead of this current reading.  Note "
                            "that this will split the current reading of 41.200 into 2 readings, the "
                            "one you will enter and the remaining portion will go to the next "
                            "segment."));
}

void TestLapEditing::amount_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<double>("segment");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<double>("amount");

    QTest::newRow("plain") << "20.6" << 41.2 << true << 20.6;
    QTest::newRow("leading number") << " 5 s" << 41.2 << true << 5.0;
    QTest::newRow("negative passes") << "-3" << 41.2 << true << -3.0;
    QTest::newRow("empty") << "" << 41.2 << false << 0.0;
    QTest::newRow("zero") << "0" << 41.2 << false << 0.0;
    QTest::newRow("not a number") << "abc" << 41.2 << false << 0.0;
    QTest::newRow("nan") << "nan" << 41.2 << false << 0.0;
    QTest::newRow("inf") << "inf" << 41.2 << false << 0.0;
    QTest::newRow("overflows a double") << "1e400" << 1e300 << false << 0.0;
    QTest::newRow("beyond 1e15") << "2e15" << 1e300 << false << 0.0;
    QTest::newRow("equal to segment") << "41.2" << 41.2 << false << 0.0;
    QTest::newRow("above segment") << "50" << 41.2 << false << 0.0;
}

void TestLapEditing::amount()
{
    QFETCH(QString, answer);
    QFETCH(double, segment);
    QFETCH(bool, accepted);
    QFETCH(double, amount);
    const std::optional<double> x = insertAmount(answer, segment);
    QCOMPARE(x.has_value(), accepted);
    if (accepted)
        QCOMPARE(*x, amount);
}

void TestLapEditing::insertShift_data()
{
    QTest::addColumn<int>("n");
    QTest::addColumn<int>("lap");
    QTest::addColumn<int>("seg");
    for (int n = 1; n <= 4; ++n) {
        const QByteArray tag = QByteArray::number(n) + " segs ";
        QTest::newRow(tag + "first lap") << n << 1 << 1;
        QTest::newRow(tag + "middle") << n << 120 << n;
        QTest::newRow(tag + "middle first seg") << n << 121 << 1;
        QTest::newRow(tag + "lap 250 first") << n << 250 << 1;
        QTest::newRow(tag + "lap 250 last") << n << 250 << n;
        QTest::newRow(tag + "lap 0") << n << 0 << 1;
    }
}

void TestLapEditing::insertShift()
{
    QFETCH(int, n);
    QFETCH(int, lap);
    QFETCH(int, seg);
    auto rec = numberedRecord(n);
    const double x = 0.25;
    QVERIFY(insertReading(*rec, lap, seg, x));

    const int at = place(n, lap, seg);
    const double before = at == 0 ? 0.0 : kFirstValue + at - 1;
    for (int l = 0; l < RaceRecord::Rows; ++l) {
        for (int s = 1; s <= n; ++s) {
            const int q = place(n, l, s);
            double want = kFirstValue + q;
            if (l <= RaceRecord::MaxLap && q == at)
                want = before + x;
            else if (l <= RaceRecord::MaxLap && q > at)
                want = kFirstValue + q - 1;
            QCOMPARE(rec->reading(l, s), want);
        }
    }
    checkUntouchedOutsideSequence(*rec, n);
}

void TestLapEditing::deleteShift_data()
{
    insertShift_data();
    QTest::newRow("2 segs lap 251") << 2 << 251 << 1;
}

void TestLapEditing::deleteShift()
{
    QFETCH(int, n);
    QFETCH(int, lap);
    QFETCH(int, seg);
    auto rec = numberedRecord(n);
    QVERIFY(deleteReading(*rec, lap, seg));

    const int at = place(n, lap, seg);
    const int last = place(n, RaceRecord::Rows - 1, n);
    for (int l = 0; l < RaceRecord::Rows; ++l) {
        for (int s = 1; s <= n; ++s) {
            const int q = place(n, l, s);
            if (q == last && q >= at) {
                QVERIFY(rec->LapData[l][s].isEmpty());
                continue;
            }
            QCOMPARE(rec->reading(l, s), double(kFirstValue + (q >= at ? q + 1 : q)));
        }
    }
    // Lap 251's first reading ends lap 250.
    if (at <= place(n, 250, n))
        QCOMPARE(rec->reading(250, n), double(kFirstValue + place(n, 251, 1)));
    checkUntouchedOutsideSequence(*rec, n);
}

void TestLapEditing::refusedPlaces_data()
{
    QTest::addColumn<int>("n");
    QTest::addColumn<int>("lap");
    QTest::addColumn<int>("seg");
    QTest::addColumn<bool>("insertDone");
    QTest::addColumn<bool>("deleteDone");

    QTest::newRow("segment beyond NumSegs") << 2 << 10 << 3 << false << false;
    QTest::newRow("segment 0") << 3 << 10 << 0 << false << false;
    QTest::newRow("insert past lap 250") << 4 << 251 << 4 << false << true;
    QTest::newRow("lap 252") << 1 << 252 << 1 << false << false;
    QTest::newRow("negative lap") << 1 << -1 << 1 << false << false;
}

void TestLapEditing::refusedPlaces()
{
    QFETCH(int, n);
    QFETCH(int, lap);
    QFETCH(int, seg);
    auto rec = numberedRecord(n);
    const auto original = numberedRecord(n);
    QTEST(insertReading(*rec, lap, seg, 1.0), "insertDone");
    QCOMPARE(rec->LapData, original->LapData);
    QTEST(deleteReading(*rec, lap, seg), "deleteDone");
}

void TestLapEditing::insertSplitsSegment_data()
{
    QTest::addColumn<int>("n");
    QTest::addColumn<int>("lap");
    QTest::addColumn<int>("seg");
    QTest::addColumn<double>("longSegment");
    QTest::addColumn<double>("amount");
    // Segment times after the split: this one, the next two.
    QTest::addColumn<QStringList>("after");

    QTest::newRow("3 segs, lap 5 segment 2") << 3 << 5 << 2 << 41.2 << 20.6
                                            << QStringList{"20.600", "20.600", "20.000"};
    QTest::newRow("1 seg splits a lap") << 1 << 7 << 1 << 125.0 << 62.0
                                        << QStringList{"62.000", "63.000", "60.000"};
    QTest::newRow("negative amount") << 2 << 3 << 2 << 20.0 << -2.0
                                     << QStringList{".000", "22.000", "20.000"};
}

void TestLapEditing::insertSplitsSegment()
{
    QFETCH(int, n);
    QFETCH(int, lap);
    QFETCH(int, seg);
    QFETCH(double, longSegment);
    QFETCH(double, amount);
    QFETCH(QStringList, after);

    // Every segment 20 s (60 s laps with one segment), the chosen one long.
    const double even = n == 1 ? 60 : 20;
    auto rec = evenRace(n, 30, even);
    const double extra = longSegment - even;
    for (int p = place(n, lap, seg); p <= place(n, 30, n); ++p)
        rec->LapData[p / n][p % n + 1].set(rec->reading(p / n, p % n + 1) + extra);
    QCOMPARE(segText(*rec, lap, seg), formatTime(longSegment));
    QVERIFY(!checkPlausibility(longSegment, int(even)).ask || amount < 0);

    QVERIFY(insertReading(*rec, lap, seg, amount));
    QStringList got;
    for (int k = 0; k < 3; ++k) {
        const int p = place(n, lap, seg) + k;
        got << segText(*rec, p / n, p % n + 1);
    }
    QCOMPARE(got, after);
    // Later laps moved one place on: the old lap 20 now ends a place later.
    const int p20 = place(n, 20, n) + 1;
    QCOMPARE(rec->reading(p20 / n, p20 % n + 1), 5 + 20 * n * even + extra);
    QCOMPARE(rec->LastLap, qint16(30));
}

void TestLapEditing::deleteJoinsLastSegmentWithNextLap()
{
    auto rec = evenRace(2, 10, 20);
    rec->LapData[4][2].set(rec->reading(4, 2) - 5); // an extra press 5 s early
    QCOMPARE(segText(*rec, 4, 2), QStringLiteral("15.000"));
    QCOMPARE(segText(*rec, 5, 1), QStringLiteral("25.000"));

    QVERIFY(deleteReading(*rec, 4, 2));
    QCOMPARE(segText(*rec, 4, 2), QStringLiteral("40.000"));
    QCOMPARE(lapText(*rec, 4), QStringLiteral("60.000"));
    QCOMPARE(segText(*rec, 5, 1), QStringLiteral("20.000"));
    QCOMPARE(lapText(*rec, 6), QStringLiteral("40.000"));
    // The last lap takes the empty reading from the lap after it.
    QVERIFY(rec->LapData[10][2].isEmpty());
}

void TestLapEditing::keepChanges_data()
{
    QTest::addColumn<QList<double>>("segTimes");  // of lap 4 as recorded
    QTest::addColumn<QList<double>>("fields");    // as typed
    QTest::addColumn<int>("edited");
    QTest::addColumn<QStringList>("lap4After");   // segment times of lap 4
    QTest::addColumn<QString>("lapTimeAfter");
    QTest::addColumn<QString>("lap5Seg1After");

    QTest::newRow("segment 1 20 -> 21") << QList<double>{20, 20, 20} << QList<double>{21, 20, 20} << 1
                                        << QStringList{"21.000", "19.000", "20.000"} << "60.000"
                                        << "20.000";
    QTest::newRow("last segment 20 -> 21") << QList<double>{20, 20, 20} << QList<double>{20, 20, 21} << 3
                                           << QStringList{"20.000", "20.000", "21.000"} << "61.000"
                                           << "19.000";
    QTest::newRow("only the first edit counts") << QList<double>{20, 20, 20} << QList<double>{20, 18, 25}
                                                << 2 << QStringList{"20.000", "18.000", "22.000"}
                                                << "60.000" << "20.000";
    QTest::newRow("nothing edited") << QList<double>{20, 20, 20} << QList<double>{20, 20, 20} << 0
                                    << QStringList{"20.000", "20.000", "20.000"} << "60.000" << "20.000";
    // Untouched fields (an empty list: the fields show the record) are
    // never an edit, whatever the thousandths rounding or the clamp at 0.
    QTest::newRow("field shows thousandths") << QList<double>{20.1234, 19.8766, 20.0004}
                                             << QList<double>{} << 0
                                             << QStringList{"20.123", "19.877", "20.000"} << "60.000"
                                             << "20.000";
    QTest::newRow("segment shown as zero") << QList<double>{-2, 22, 20} << QList<double>{} << 0
                                           << QStringList{".000", "22.000", "20.000"} << "40.000"
                                           << "40.000";
    QTest::newRow("typed below a thousandth") << QList<double>{20, 20, 20}
                                              << QList<double>{20.0004, 20, 20} << 0
                                              << QStringList{"20.000", "20.000", "20.000"} << "60.000"
                                              << "20.000";
}

void TestLapEditing::keepChanges()
{
    QFETCH(QList<double>, segTimes);
    QFETCH(QList<double>, fields);
    QFETCH(int, edited);
    QFETCH(QStringList, lap4After);

    auto rec = evenRace(3, 8, 20);
    double t = rec->reading(3, 3);
    for (int s = 1; s <= 3; ++s)
        rec->LapData[4][s].set(t += segTimes[s - 1]);
    // Lap 5 segment 1 still ends 20 s after the original end of lap 4.
    rec->LapData[5][1].set(rec->reading(3, 3) + 80);

    std::array<double, 5> values{};
    QStringList shownBefore;
    for (int s = 1; s <= 3; ++s) {
        shownBefore << segText(*rec, 4, s);
        values[s] = fields.isEmpty() ? val(shownBefore.last()) : fields[s - 1];
    }
    if (lap4After.isEmpty())
        lap4After = shownBefore;
    const KeepChangesResult r = findEditedSegment(*rec, 4, values);
    QCOMPARE(r.editedSegment, edited);
    QCOMPARE(applyKeepChanges(*rec, 4, r), edited != 0);

    QStringList got;
    for (int s = 1; s <= 3; ++s)
        got << segText(*rec, 4, s);
    QCOMPARE(got, lap4After);
    QTEST(lapText(*rec, 4), "lapTimeAfter");
    QTEST(segText(*rec, 5, 1), "lap5Seg1After");
}

QTEST_GUILESS_MAIN(TestLapEditing)
#include "tst_lapediting.moc"
