// Lap filters, the figures and best possible lap over the counted laps, and
// the CSV and JSON forms of a race.

#include "analysis/LapAnalysis.h"
#include "analysis/LapFilter.h"
#include "analysis/RaceExport.h"

#include <QJsonDocument>
#include <QtTest>

#include <clocale>

Q_DECLARE_METATYPE(sw::LapFilter)

using namespace sw;
using namespace Qt::StringLiterals;

namespace {

// A race written as "NumSegs: start; readings conditions; ...". Each lap
// lists its segment end readings ("-" leaves the cell empty), then its flag
// (G green, Y yellow, ? empty) and traffic (0, 1, 2, ? empty). Lap n runs in
// position n.
std::unique_ptr<RaceRecord> race(const QString &text)
{
    auto rec = std::make_unique<RaceRecord>();
    const QStringList laps = text.split(u';');
    const QStringList head = laps[0].split(u':');
    rec->NumSegs = qint16(head[0].toInt());
    rec->LastLap = qint16(laps.size() - 1);
    rec->LapData[0][rec->NumSegs].set(head[1].toDouble());
    for (int lap = 1; lap < laps.size(); ++lap) {
        const QStringList f = laps[lap].split(u' ', Qt::SkipEmptyParts);
        auto &row = rec->LapData[lap];
        for (int s = 1; s <= rec->NumSegs; ++s)
            if (f[s - 1] != "-"_L1)
                row[s].set(f[s - 1].toDouble());
        const QString cond = f.last();
        if (cond[0] != u'?')
            row[RaceRecord::FlagCol].set(cond[0] == u'G' ? 0 : 1);
        if (cond[1] != u'?')
            row[RaceRecord::TrafficCol].set(cond[1].digitValue());
        row[RaceRecord::PositionCol].set(lap - 1);
    }
    return rec;
}

// A cell as a table gives it: "" empty, 'text' a text cell, else a number.
Cell cellOf(const QString &s)
{
    Cell c;
    if (s.startsWith(u'\''))
        c.setText(s.mid(1, s.size() - 2));
    else if (!s.isEmpty())
        c.set(s.toDouble());
    return c;
}

// The used statistics columns (segments, then the lap), each "avg/min/max".
QString figuresText(const RaceRecord &rec, const RaceFigures &f)
{
    auto joined = [](const std::array<QString, 3> &t) { return QStringList(t.begin(), t.end()).join(u'/'); };
    QStringList cols;
    for (int c = 1; c <= segmentsInUse(rec); ++c)
        cols << joined(figureTexts(f.column(c)));
    cols << joined(figureTexts(f.column(LapTimeColumn)));
    return cols.join(" | "_L1);
}

// Numbers written by the C library and by QLocale both use a comma.
struct CommaLocale
{
    CommaLocale()
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        std::setlocale(LC_NUMERIC, "de_DE.UTF-8"); // where the system has it
    }
    ~CommaLocale()
    {
        QLocale::setDefault(QLocale::c());
        std::setlocale(LC_NUMERIC, "C");
    }
};

} // namespace

class TestLapAnalysis : public QObject
{
    Q_OBJECT

private slots:
    void conditionCells_data()
    {
        QTest::addColumn<QString>("flag");
        QTest::addColumn<QString>("traffic");
        QTest::addColumn<QString>("counts");  // AllLaps, GreenOnly, GreenNotInTraffic
        QTest::addColumn<QString>("settled"); // flag/traffic after loading
        QTest::newRow("green, not in traffic") << "0" << "0" << "yyy" << "0/0";
        QTest::newRow("green, in traffic") << "0" << "1" << "yyn" << "0/1";
        QTest::newRow("yellow, not in traffic") << "1" << "0" << "ynn" << "1/0";
        QTest::newRow("file text with blanks") << "' 0 '" << "'0'" << "yyy" << "0/0";
        QTest::newRow("flag empty") << "" << "0" << "ynn" << "0/0";
        QTest::newRow("flag text not a number") << "'abc'" << "0" << "ynn" << "0/0";
        QTest::newRow("flag beyond the list") << "2" << "0" << "ynn" << "-1/0";
        QTest::newRow("traffic beyond the list") << "0" << "3" << "yyn" << "0/-1";
    }

    void conditionCells()
    {
        QFETCH(QString, flag);
        QFETCH(QString, traffic);
        auto rec = race("1: 0; 30 G0");
        rec->LapData[1][RaceRecord::FlagCol] = cellOf(flag);
        rec->LapData[1][RaceRecord::TrafficCol] = cellOf(traffic);
        QString counts;
        for (LapFilter f : AllLapFilters)
            counts += lapCounts(*rec, 1, f) ? u'y' : u'n';
        QTEST(counts, "counts");

        settleLoadedConditions(*rec);
        const LapConditions c = lapConditions(*rec, 1);
        QTEST(u"%1/%2"_s.arg(c.flag).arg(c.traffic), "settled");
    }

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

    // Under a comma locale too, numbers are written with a period.
    void exportUnderCommaLocale()
    {
        const CommaLocale locale;

        // Lap 2: segment 2 ends before it starts, the lap ends before lap 1
        // did, and its position is unknown.
        auto two = race("2: 0.25; 0.75 10.5 Y1; 20.5 10 G2");
        two->LapData[2][RaceRecord::PositionCol].clear();
        QCOMPARE(raceToCsv(*two), QByteArray("lap,seg1,seg2,lap_time,flag,position,traffic\r\n"
                                             "1,0.500,9.750,10.250,Yellow,1,In Traffic\r\n"
                                             "2,10.000,0.000,-0.500,Green,,Held up by Traffic\r\n"));

        std::vector<ExportedRace> races(2);
        races[0].file = u"Oval, heat 1.txt"_s;
        races[0].record = *race("1: 0; 30.5 G0");
        races[1].file = u"Größe\r\n\"B\".txt"_s;
        races[1].record = *two;
        QCOMPARE(racesToCsv(races),
                 QByteArray("file,lap,seg1,seg2,lap_time,flag,position,traffic\r\n"
                            "\"Oval, heat 1.txt\",1,30.500,,30.500,Green,1,Not in Traffic\r\n"
                            "\"Gr\xC3\xB6\xC3\x9F" "e\r\n\"\"B\"\".txt\",1,0.500,9.750,10.250,Yellow,1,In Traffic\r\n"
                            "\"Gr\xC3\xB6\xC3\x9F" "e\r\n\"\"B\"\".txt\",2,10.000,0.000,-0.500,Green,,Held up by Traffic\r\n"));

        QCOMPARE(QJsonDocument(raceToJson(*two, u"dry track\r\nsecond, with a comma"_s)).toJson(QJsonDocument::Compact),
                 QByteArray(R"({"comments":["dry track","second, with a comma"],"laps":[)"
                            R"({"flag":"Yellow","lap":1,"lap_time":10.25,"position":1,"segments":[0.5,9.75],"traffic":"In Traffic"},)"
                            R"({"flag":"Green","lap":2,"lap_time":-0.5,"position":null,"segments":[10,0],"traffic":"Held up by Traffic"}],)"
                            R"("last_lap":2,"segments":2})"));
    }
};

QTEST_GUILESS_MAIN(TestLapAnalysis)
#include "tst_lapanalysis.moc"
