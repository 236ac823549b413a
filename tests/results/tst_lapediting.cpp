// Insert, Delete and Keep Changes on the race record, and the checks that guard them.

#include "results/LapEditing.h"
#include "timing/NumberText.h"

#include <QtTest>

#include <memory>

using namespace sw;

namespace {

constexpr int kFirstValue = 1000; // reading at sequence place p is 1000 + p
constexpr double kRefused = -999;  // no amount: nothing changes

// Place of (lap, seg) in the reading sequence of a race with n segments.
int place(int n, int lap, int seg) { return lap * n + seg - 1; }

// Every reading of laps 0..251 numbered along the sequence, so a shift shows as a change of
// number; unused segment columns and the conditions carry values that must never move.
std::unique_ptr<RaceRecord> numberedRecord(int n)
{
    auto rec = std::make_unique<RaceRecord>();
    rec->NumSegs = qint16(n);
    for (int lap = 0; lap < RaceRecord::Rows; ++lap)
        for (int c = 1; c <= 7; ++c)
            rec->LapData[lap][c].set(c <= n ? kFirstValue + place(n, lap, c) : -c * 1000 - lap);
    return rec;
}

// Segment time (seg 1..3) or lap time (seg 0) as the grid shows it.
QString shown(const RaceRecord &rec, int lap, int seg)
{
    const double prev = seg <= 1 ? rec.reading(lap - 1, 3) : rec.reading(lap, seg - 1);
    const double end = rec.reading(lap, seg == 0 ? 3 : seg);
    return formatTime(end < prev ? 0 : end - prev);
}

} // namespace

class TestLapEditing : public QObject
{
    Q_OBJECT

private slots:
    void plausibility_data();
    void plausibility();
    void amount_data();
    void amount();
    void shift_data();
    void shift();
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
    QTest::newRow("a 45 gives 5") << 49.5 << 45 << true << 5;
}

void TestLapEditing::plausibility()
{
    QFETCH(double, value);
    QFETCH(int, anticipated);
    const PlausibilityCheck c = checkPlausibility(value, anticipated);
    QTEST(c.ask, "ask");
    QTEST(c.tolerance, "tolerance");
}

void TestLapEditing::amount_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<double>("segment");
    QTest::addColumn<double>("amount");
    QTest::newRow("plain") << "20.6" << 41.2 << 20.6;
    QTest::newRow("negative passes") << "-3" << 41.2 << -3.0;
    QTest::newRow("empty") << "" << 41.2 << kRefused;
    QTest::newRow("zero") << "0" << 41.2 << kRefused;
    QTest::newRow("not a number") << "abc" << 41.2 << kRefused;
    QTest::newRow("nan") << "nan" << 41.2 << kRefused;
    QTest::newRow("inf") << "inf" << 41.2 << kRefused;
    QTest::newRow("beyond 1e15") << "2e15" << 1e300 << kRefused;
    QTest::newRow("equal to segment") << "41.2" << 41.2 << kRefused;
}

void TestLapEditing::amount()
{
    QFETCH(QString, answer);
    QFETCH(double, segment);
    QTEST(insertAmount(answer, segment).value_or(kRefused), "amount");
}

void TestLapEditing::shift_data()
{
    QTest::addColumn<bool>("insert");
    QTest::addColumn<int>("n");
    QTest::addColumn<int>("lap");
    QTest::addColumn<int>("seg");
    QTest::addColumn<bool>("done"); // false: refused, record unchanged
    for (bool ins : {true, false}) {
        const QByteArray op = ins ? "insert " : "delete ";
        for (int n = 1; n <= 4; ++n) {
            const QByteArray tag = op + QByteArray::number(n) + " segs ";
            QTest::newRow(tag + "first lap") << ins << n << 1 << 1 << true;
            QTest::newRow(tag + "middle") << ins << n << 121 << (n + 1) / 2 << true;
            QTest::newRow(tag + "lap 250 last") << ins << n << 250 << n << true;
            QTest::newRow(tag + "lap 0") << ins << n << 0 << 1 << true; // no reading before it
        }
        QTest::newRow(op + "lap 251") << ins << 2 << 251 << 1 << !ins;
        QTest::newRow(op + "lap 252") << ins << 1 << 252 << 1 << false;
        QTest::newRow(op + "negative lap") << ins << 1 << -1 << 1 << false;
        QTest::newRow(op + "segment beyond NumSegs") << ins << 2 << 10 << 3 << false;
        QTest::newRow(op + "segment 0") << ins << 3 << 10 << 0 << false;
    }
}

void TestLapEditing::shift()
{
    QFETCH(bool, insert);
    QFETCH(int, n);
    QFETCH(int, lap);
    QFETCH(int, seg);
    QFETCH(bool, done);
    auto rec = numberedRecord(n);
    const double x = 0.25;
    QCOMPARE(insert ? insertReading(*rec, lap, seg, x) : deleteReading(*rec, lap, seg), done);
    // Insert: the new reading at `at`, later ones one place on up to lap 250.
    // Delete: later ones one place back, the very last place left empty.
    auto want = numberedRecord(n);
    const auto cell = [&](int p) -> Cell & { return want->LapData[p / n][p % n + 1]; };
    const int at = place(n, lap, seg);
    const int last = place(n, RaceRecord::Rows - 1, n);
    if (done && insert) {
        for (int p = place(n, RaceRecord::MaxLap, n); p > at; --p)
            cell(p).set(kFirstValue + p - 1);
        cell(at).set((at == 0 ? 0.0 : kFirstValue + at - 1) + x);
    } else if (done) {
        for (int p = at; p < last; ++p)
            cell(p).set(kFirstValue + p + 1);
        cell(last).clear();
    }
    QCOMPARE(rec->LapData, want->LapData);
}

void TestLapEditing::keepChanges_data()
{
    using L = QList<double>;
    QTest::addColumn<L>("segTimes"); // of lap 4 as recorded
    QTest::addColumn<L>("fields");   // as typed; empty: as shown
    QTest::addColumn<int>("edited");
    QTest::addColumn<QString>("after"); // lap 4's segments, lap time, lap 5 seg 1
    const L even{20, 20, 20};
    QTest::newRow("segment 1 20 -> 21") << even << L{21, 20, 20} << 1 << "21.000 19.000 20.000 60.000 20.000";
    QTest::newRow("last segment 20 -> 21") << even << L{20, 20, 21} << 3 << "20.000 20.000 21.000 61.000 19.000";
    QTest::newRow("only the first edit counts") << even << L{20, 18, 25} << 2 << "20.000 18.000 22.000 60.000 20.000";
    QTest::newRow("typed below 0.001") << even << L{20.0004, 20, 20} << 0 << "20.000 20.000 20.000 60.000 20.000";
    // Untouched fields are never an edit, whatever the rounding or the clamp at 0.
    QTest::newRow("shown rounded") << L{20.1234, 19.8766, 20.0004} << L{} << 0 << "20.123 19.877 20.000 60.000 20.000";
    QTest::newRow("segment shown as zero") << L{-2, 22, 20} << L{} << 0 << ".000 22.000 20.000 40.000 40.000";
}

void TestLapEditing::keepChanges()
{
    QFETCH(QList<double>, segTimes);
    QFETCH(QList<double>, fields);
    QFETCH(int, edited);

    // Laps 1..3 of 20 s segments from a start at 5; lap 5 segment 1 ends 20 s after lap 4 did.
    auto rec = std::make_unique<RaceRecord>();
    rec->NumSegs = 3;
    double t = 5;
    rec->LapData[0][3].set(t);
    for (int p = 3; p < 15; ++p)
        rec->LapData[p / 3][p % 3 + 1].set(t += p < 12 ? 20 : segTimes[p - 12]);
    rec->LapData[5][1].set(5 + 3 * 60 + 80);

    std::array<double, 5> values{};
    for (int s = 1; s <= 3; ++s)
        values[s] = fields.isEmpty() ? val(shown(*rec, 4, s)) : fields[s - 1];
    const KeepChangesResult r = findEditedSegment(*rec, 4, values);
    QCOMPARE(r.editedSegment, edited);
    QCOMPARE(applyKeepChanges(*rec, 4, r), edited != 0);
    QTEST(QStringList({shown(*rec, 4, 1), shown(*rec, 4, 2), shown(*rec, 4, 3), shown(*rec, 4, 0), shown(*rec, 5, 1)})
              .join(' '), "after");
}

QTEST_GUILESS_MAIN(TestLapEditing)
#include "tst_lapediting.moc"
