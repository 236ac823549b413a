// Insert, Delete and Keep Changes on the race record, and the checks that guard them.

#include "race/LapEditing.h"
#include "race/NumberText.h"

#include <QtTest>

using namespace sw;

namespace {

constexpr double kRefused = -999;  // no amount: nothing changes

// Every reading of laps 0..251 numbered along the sequence, so a shift shows as a change of
// number; unused segment columns and the conditions carry values that must never move.
std::unique_ptr<RaceRecordCells> numberedRecord(int n)
{
    auto rec = std::make_unique<RaceRecordCells>();
    for (int lap = 0; lap < RaceRecordCells::Rows; ++lap)
        for (int c = 1; c <= 7; ++c)
            rec->rows[lap][c].set(c <= n ? 1000 + lap * n + c - 1 : -c * 1000 - lap);
    return rec;
}

double reading(const RaceRecordCells &rec, int lap, int seg)
{
    return rec.rows[lap][seg].value();
}

// Segment time (seg 1..3) or lap time (seg 0) as the grid shows it.
QString shown(const RaceRecordCells &rec, int lap, int seg)
{
    const double prev = seg <= 1 ? reading(rec, lap - 1, 3) : reading(rec, lap, seg - 1);
    const double end = reading(rec, lap, seg == 0 ? 3 : seg);
    return formatTime(end < prev ? 0 : end - prev);
}

} // namespace

class TestLapEditing : public QObject
{
    Q_OBJECT

private slots:
    // The tolerance is a tenth of the anticipated time, at least 3 s; exactly that far off is not close.
    void plausibility()
    {
        const PlausibilityCheck c = checkPlausibility(23.0, 20), c45 = checkPlausibility(49.5, 45);
        QCOMPARE(QList<int>({c.ask, c.tolerance, c45.ask, c45.tolerance}), QList<int>({0, 3, 1, 5}));
    }

    void amount_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<double>("segment");
        QTest::addColumn<double>("amount");
        QTest::newRow("negative passes") << "-3" << 41.2 << -3.0;
        QTest::newRow("zero") << "0" << 41.2 << kRefused;
        QTest::newRow("not a number") << "abc" << 41.2 << kRefused;
        QTest::newRow("beyond 1e15") << "2e15" << 1e300 << kRefused;
        QTest::newRow("equal to segment") << "41.2" << 41.2 << kRefused;
    }

    void amount()
    {
        QFETCH(QString, answer);
        QFETCH(double, segment);
        QTEST(insertAmount(answer, segment).value_or(kRefused), "amount");
    }

    void shift_data()
    {
        // Two segments: place p is (lap p / 2, segment p % 2 + 1) and reads 1000 + p; x is 0.25.
        QTest::addColumn<bool>("insert");
        QTest::addColumn<int>("lap");
        QTest::addColumn<int>("seg");
        QTest::addColumn<QString>("places"); // readings at places 0-3 and 500-503 after; "refused": unchanged
        QTest::newRow("insert lap 0: no reading before") << true << 0 << 1 << "0.25 1000 1001 1002 1499 1500 1502 1503";
        QTest::newRow("insert at lap 250's last") << true << 250 << 2 << "1000 1001 1002 1003 1500 1500.25 1502 1503";
        QTest::newRow("delete lap 1") << false << 1 << 1 << "1000 1001 1003 1004 1501 1502 1503 ";
        QTest::newRow("delete lap 251") << false << 251 << 1 << "1000 1001 1002 1003 1500 1501 1503 ";
        QTest::newRow("insert lap 251") << true << 251 << 1 << "refused";
        QTest::newRow("delete lap 252") << false << 252 << 1 << "refused";
        QTest::newRow("negative lap") << true << -1 << 1 << "refused";
        QTest::newRow("segment beyond NumSegs") << false << 10 << 3 << "refused";
        QTest::newRow("segment 0") << true << 10 << 0 << "refused";
    }

    void shift()
    {
        QFETCH(bool, insert);
        QFETCH(int, lap);
        QFETCH(int, seg);
        QFETCH(QString, places);
        auto rec = numberedRecord(2);
        const auto before = rec->rows;
        QCOMPARE(insert ? insertReading(*rec, 2, lap, seg, 0.25) : deleteReading(*rec, 2, lap, seg),
                 places != "refused");
        QStringList got;
        for (int p : {0, 1, 2, 3, 500, 501, 502, 503}) {
            const Cell &c = rec->rows[p / 2][p % 2 + 1];
            got << (c.isEmpty() ? QString() : QString::number(c.value()));
        }
        QCOMPARE(got.join(' '), places == "refused" ? QString("1000 1001 1002 1003 1500 1501 1502 1503") : places);
        for (int l = 0; l < RaceRecordCells::Rows; ++l) // unused segments and the conditions never move
            for (int c = 3; c <= 7; ++c)
                QCOMPARE(rec->rows[l][c], before[l][c]);
    }

    void keepChanges_data()
    {
        using L = QList<double>;
        QTest::addColumn<L>("segTimes"); // of lap 4 as recorded
        QTest::addColumn<L>("fields");   // as typed; empty: as shown
        QTest::addColumn<int>("edited");
        QTest::addColumn<QString>("after"); // lap 4's segments, lap time, lap 5 seg 1
        const L even{20, 20, 20};
        QTest::newRow("first edit only") << even << L{20, 18, 25} << 2 << "20.000 18.000 22.000 60.000 20.000";
        QTest::newRow("typed below 0.001") << even << L{20.0004, 20, 20} << 0 << "20.000 20.000 20.000 60.000 20.000";
        // Untouched fields are never an edit, whatever the rounding or the clamp at 0.
        QTest::newRow("rounded") << L{20.1234, 19.8766, 20.0004} << L{} << 0 << "20.123 19.877 20.000 60.000 20.000";
        QTest::newRow("segment shown as zero") << L{-2, 22, 20} << L{} << 0 << ".000 22.000 20.000 40.000 40.000";
    }

    void keepChanges()
    {
        QFETCH(QList<double>, segTimes);
        QFETCH(QList<double>, fields);
        // Laps 1..3 of 20 s segments from a start at 5; lap 5 segment 1 ends 20 s after lap 4 did.
        auto rec = std::make_unique<RaceRecordCells>();
        double t = 5;
        rec->rows[0][3].set(t);
        for (int p = 3; p < 15; ++p)
            rec->rows[p / 3][p % 3 + 1].set(t += p < 12 ? 20 : segTimes[p - 12]);
        rec->rows[5][1].set(5 + 3 * 60 + 80);

        std::array<double, 5> values{};
        for (int s = 1; s <= 3; ++s)
            values[s] = fields.isEmpty() ? val(shown(*rec, 4, s)) : fields[s - 1];
        const KeepChangesResult r = findEditedSegment(*rec, 3, 4, values);
        QTEST(r.editedSegment, "edited");
        if (r.editedSegment)
            rec->rows[4][r.editedSegment].set(r.newReading);
        QTEST(QStringList({shown(*rec, 4, 1), shown(*rec, 4, 2), shown(*rec, 4, 3), shown(*rec, 4, 0),
                           shown(*rec, 5, 1)}).join(' '), "after");
    }
};

QTEST_GUILESS_MAIN(TestLapEditing)
#include "tst_lapediting.moc"
