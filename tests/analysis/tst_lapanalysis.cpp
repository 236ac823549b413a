// Lap filters, and the figures and best possible lap over the counted laps.

#include "analysis/LapAnalysis.h"
#include "analysis/LapFilter.h"
#include "analysis/RaceExport.h"

#include <QtTest>

Q_DECLARE_METATYPE(sw::LapFilter)

using namespace sw;
using namespace Qt::StringLiterals;

namespace {

// A race written as "segments: start; readings conditions; ...". Each lap
// lists its segment end readings ("-" leaves the cell empty), then its flag
// (G green, Y yellow) and traffic (0, 1, 2); "?" is a value that names no
// item of its list, so the condition is unknown. Lap n runs in position n.
std::unique_ptr<Race> race(const QString &text)
{
    auto stored = std::make_unique<StoredRace>();
    const QStringList laps = text.split(u';');
    const QStringList head = laps[0].split(u':');
    stored->segmentsPerLap = head[0].toInt();
    stored->lastLap = int(laps.size() - 1);
    stored->cells.rows[0][stored->segmentsPerLap].set(head[1].toDouble());
    for (int lap = 1; lap < laps.size(); ++lap) {
        const QStringList f = laps[lap].split(u' ', Qt::SkipEmptyParts);
        auto &row = stored->cells.rows[lap];
        for (int s = 1; s <= stored->segmentsPerLap; ++s)
            if (f[s - 1] != "-"_L1)
                row[s].set(f[s - 1].toDouble());
        const QString cond = f.last();
        row[RaceRecordCells::FlagColumn].set(cond[0] == u'?' ? 9 : cond[0] == u'G' ? 0 : 1);
        row[RaceRecordCells::TrafficColumn].set(cond[1] == u'?' ? 9 : cond[1].digitValue());
        row[RaceRecordCells::PositionColumn].set(lap - 1);
    }
    auto r = std::make_unique<Race>();
    r->load(*stored);
    return r;
}

// The used statistics columns (segments, then the lap), each "avg/min/max".
QString figuresText(const Race &race, const RaceFigures &f)
{
    auto joined = [](const std::array<QString, 3> &t) { return QStringList(t.begin(), t.end()).join(u'/'); };
    QStringList cols;
    for (int c = 1; c <= race.segmentsPerLap(); ++c)
        cols << joined(summaryTexts(f.column(c)));
    cols << joined(summaryTexts(f.column(LapTimeColumn)));
    return cols.join(" | "_L1);
}

} // namespace

class TestLapAnalysis : public QObject
{
    Q_OBJECT

private slots:

    void countedLaps_data()
    {
        QTest::addColumn<QString>("race");
        QTest::addColumn<LapFilter>("filter");
        QTest::addColumn<int>("counted");
        QTest::addColumn<QString>("figures"); // avg/min/max of each segment, then of the lap
        QTest::addColumn<QString>("best");
        QTest::newRow("best from different laps, first of a tie")
                << "2: 0; 9 21 Y0; 31 41 G0; 50 61 G1" << LapFilter::AllLaps << 3
                << "9.333/9.000/10.000 | 11.000/10.000/12.000 | 20.333/20.000/21.000"
                << "Best possible lap 19.000 (Seg 1 lap 1, Seg 2 lap 2)";
        QTest::newRow("every lap left out") << "1: 0; 30 Y0; 61 Y0" << LapFilter::GreenOnly << 0 << "// | //" << "none";
        QTest::newRow("green lap with unknown traffic is not clear of traffic")
                << "1: 0; 30 G?; 61 G0; 93 G1" << LapFilter::GreenNotInTraffic << 1
                << "31.000/31.000/31.000 | 31.000/31.000/31.000" << "Best possible lap 31.000 (lap 2)";
        QTest::newRow("one segment") << "1: 2.5; 33 G0; 63.125 Y0; 93.425 G1" << LapFilter::GreenOnly << 2
                                     << "30.400/30.300/30.500 | 30.400/30.300/30.500" << "Best possible lap 30.300 (lap 3)";
        QTest::newRow("four segments")
                << "4: 1; 11 22 34 47 G0; 57.5 68 80 92 G2; 102 112.25 124 136.5 G0" << LapFilter::AllLaps << 3
                << "10.167/10.000/10.500 | 10.583/10.250/11.000 | 11.917/11.750/12.000 | "
                   "12.500/12.000/13.000 | 45.167/44.500/46.000"
                << "Best possible lap 44.000 (Seg 1 lap 1, Seg 2 lap 3, Seg 3 lap 3, Seg 4 lap 2)";
        QTest::newRow("zero segment and negative lap are no times")
                << "2: 0; 10 20 G0; 30 18 G0" << LapFilter::AllLaps << 2
                << "10.000/10.000/10.000 | 10.000/10.000/10.000 | 20.000/20.000/20.000"
                << "Best possible lap 20.000 (Seg 1 lap 1, Seg 2 lap 1)";
        QTest::newRow("segment never above zero") << "2: 0; 10 5 G0; 20 20 G0" << LapFilter::AllLaps << 2
                                                  << "12.500/10.000/15.000 | // | 10.000/5.000/15.000" << "none";
        QTest::newRow("best lap from the shown millisecond times")
                << "2: 0; 10.0004 20.0008 G0" << LapFilter::AllLaps << 1
                << "10.000/10.000/10.000 | 10.000/10.000/10.000 | 20.001/20.001/20.001"
                << "Best possible lap 20.000 (Seg 1 lap 1, Seg 2 lap 1)";
    }

    void countedLaps()
    {
        QFETCH(QString, race);
        QFETCH(LapFilter, filter);
        const auto rec = ::race(race);
        const RaceFigures f = raceFigures(*rec, filter);
        QTEST(f.lapsCounted, "counted");
        QTEST(figuresText(*rec, f), "figures");
        const auto best = bestPossibleLap(*rec, filter);
        QTEST(best ? bestPossibleLapText(*best) : u"none"_s, "best");
    }

    // The CSV: times in the export form, fields quoted where they must be.
    void csvExport_data()
    {
        QTest::addColumn<QString>("race");
        QTest::addColumn<QString>("file"); // empty: one race without the file column
        QTest::addColumn<QByteArray>("csv");
        QTest::newRow("sub-second and negative times")
                << "1: 0; 0.5 G0; 0.25 Y2" << QString()
                << QByteArray("lap,seg1,lap_time,flag,position,traffic\r\n"
                              "1,0.500,0.500,Green,1,Not in Traffic\r\n"
                              "2,0.000,-0.250,Yellow,2,Held up by Traffic\r\n");
        QTest::newRow("file name with a comma and a quote")
                << "2: 0; 10 20.125 G?" << u"Heat 1, \"wet\".txt"_s
                << QByteArray("file,lap,seg1,seg2,lap_time,flag,position,traffic\r\n"
                              "\"Heat 1, \"\"wet\"\".txt\",1,10.000,10.125,20.125,Green,1,\r\n");
    }

    void csvExport()
    {
        QFETCH(QString, race);
        QFETCH(QString, file);
        std::shared_ptr<Race> rec = ::race(race);
        if (file.isEmpty()) {
            QTEST(raceToCsv(*rec), "csv");
        } else {
            std::vector<ExportedRace> races(1);
            races[0].file = file;
            races[0].race = rec;
            QTEST(racesToCsv(races), "csv");
        }
    }

    // The JSON gives each lap's position as the number 1..100 the grid shows.
    void jsonPosition()
    {
        const auto rec = ::race(u"1: 0; 30 G0; 61 Y1; 93 G2"_s);
        const QJsonArray laps = raceToJson(*rec).value("laps"_L1).toArray();
        QCOMPARE(laps.size(), 3);
        for (int lap = 1; lap <= 3; ++lap)
            QCOMPARE(laps[lap - 1].toObject().value("position"_L1).toInt(-1), lap);
    }
};

QTEST_GUILESS_MAIN(TestLapAnalysis)
#include "tst_lapanalysis.moc"
