// Counting only clean laps and exporting the race, through the real main
// window: the statistics, the best possible lap, greyed rows, hollow graph
// points, the report's lines, the remembered choice and File > Export as CSV.

#include "support/RaceFixture.h"

#include "analysis/RaceExport.h"
#include "document/CsvExportCommand.h"
#include "results/GraphView.h"
#include "report/ReportLayout.h"
#include "results/ResultsPanel.h"
#include "results/ResultsTableModel.h"
#include "results/ResultsTexts.h"

#include <QtTest>

using namespace sw;

namespace {

// Two segments a lap, start press at 1 s:
//   lap 1 green, in traffic      20 + 21 = 41
//   lap 2 yellow, in traffic     18 + 20.5 = 38.5
//   lap 3 green, not in traffic  22 + 20 = 42
//   lap 4 green, not in traffic  21 + 22 = 43
void timeRace(RaceFixture &f)
{
    QApplication::setActiveWindow(f.w.get());
    f.arm();
    for (double t : {1.0, 21.0, 42.0})
        f.pressAt(t);
    f.F(5); // yellow
    f.pressAt(60);
    f.pressAt(80.5);
    f.F(4); // green
    f.F(8); // not in traffic
    for (double t : {102.5, 122.5, 143.5, 165.5})
        f.pressAt(t);
    f.finish();
    f.prompts.clear();
}

void rememberLapCountChoice(RaceFixture &f)
{
    f.w->results().rememberLapFilter(std::make_unique<QSettings>(QStringLiteral("Splitwatch"), QStringLiteral("Splitwatch")));
}

struct FixedMetrics : TextMetrics
{
    double textWidth(const QString &t, double) const override { return 10.0 * t.size(); }
    double textHeight(const QString &, double) const override { return 20; }
};

QStringList reportTexts(const Race &race, LapFilter filter)
{
    ReportInputs in;
    in.pageWidth = 5000;
    in.pageHeight = 7000;
    const FixedMetrics metrics;
    const ReportTable table = reportTableFor(race, filter);
    QStringList texts;
    for (const ReportPage &page : ReportLayout(in, table, metrics).pages())
        for (const ReportItem &it : page)
            if (it.kind == ReportItem::Text)
                texts << it.text;
    return texts;
}

} // namespace

class TestLapCount : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settingsDir.path());
    }

    void countedLaps_data()
    {
        QTest::addColumn<int>("filter");
        QTest::addColumn<QStringList>("segment1");  // avg, min, max
        QTest::addColumn<QStringList>("lapColumn"); // avg, min, max
        QTest::addColumn<QString>("bestLap");       // the label
        QTest::addColumn<QString>("leftOut");       // laps greyed and hollow
        QTest::addColumn<QStringList>("reportLines");

        QTest::newRow("all laps") << int(LapFilter::AllLaps) << QStringList{"20.250", "18.000", "22.000"}
                                  << QStringList{"41.125", "38.500", "43.000"}
                                  << "Best possible lap 38.000\nfrom laps 2, 3" << ""
                                  << QStringList{"Best possible lap 38.000 (Seg 1 lap 2, Seg 2 lap 3)"};
        QTest::newRow("green flag only") << int(LapFilter::GreenOnly) << QStringList{"21.000", "20.000", "22.000"}
                                         << QStringList{"42.000", "41.000", "43.000"}
                                         << "Best possible lap 40.000\nfrom laps 1, 3" << "2"
                                         << QStringList{"Laps counted: Green flag only (3 of 4)",
                                                        "Best possible lap 40.000 (Seg 1 lap 1, Seg 2 lap 3)"};
        QTest::newRow("green and not in traffic")
                << int(LapFilter::GreenNotInTraffic) << QStringList{"21.500", "21.000", "22.000"}
                << QStringList{"42.500", "42.000", "43.000"} << "Best possible lap 41.000\nfrom laps 4, 3" << "1 2"
                << QStringList{"Laps counted: Green and not in traffic (2 of 4)",
                               "Best possible lap 41.000 (Seg 1 lap 4, Seg 2 lap 3)"};
    }

    void countedLaps()
    {
        QFETCH(int, filter);
        QFETCH(QString, leftOut);
        RaceFixture f(2);
        timeRace(f);
        // Another choice first, so the one under test is a real change.
        f.w->results().setLapFilter(filter == 0 ? LapFilter::GreenOnly : LapFilter::AllLaps);
        f.w->results().setLapFilter(LapFilter(filter));
        const StatisticsTexts &stats = f.w->results().statistics();
        auto &ui = f.w->ui;
        QCOMPARE(ui.countLapsList->currentText(), lapFilterText(LapFilter(filter)));
        QTEST((QStringList{ui.statValueLabels[0]->text(), ui.statValueLabels[1]->text(), ui.statValueLabels[2]->text()}), "segment1");
        QTEST((QStringList{stats.values[12], stats.values[13], stats.values[14]}), "lapColumn");
        QTEST(ui.bestLapLabel->text(), "bestLap");
        QVERIFY(ui.bestLapLabel->isVisible());

        // Every lap stays in the grid; the laps left out are greyed and hollow.
        ui.resultsView->scrollToTop();
        ui.resultsView->selectionModel()->clearSelection(); // the selected lap's colours are the highlight's
        GraphView *graph = &f.w->graph();
        ui.graphQuantityList->setCurrentIndex(2); // segment 2: the left-out laps lie on the scale
        graph->drawGraph();
        const QImage picture = graph->picture();
        const QColor background = f.w->palette().color(QPalette::Button);
        QStringList greyed, hollow;
        for (int lap = 1; lap <= 4; ++lap) {
            QVERIFY(!f.cell(lap, 5).trimmed().isEmpty());
            // Greyed: the darkest pixel of the lap's Seg 1 cell is grey, not black.
            const QImage shown = ui.resultsView->viewport()->grab(ui.resultsView->visualRect(f.w->results().model().index(lap - 1, 0))).toImage();
            int darkest = 255;
            for (int y = 0; y < shown.height(); ++y)
                for (int x = 0; x < shown.width(); ++x)
                    darkest = qMin(darkest, shown.pixelColor(x, y).lightness());
            if (darkest > 80)
                greyed << QString::number(lap);
            // Inside a ring the background shows (the lines to the neighbours
            // cross it, so look at four points half-way out).
            const QPointF centre = graph->pointCentre(lap);
            const double half = graph->pointRadius() / 2;
            bool showsBackground = false;
            for (QPointF d : {QPointF(half, 0), QPointF(-half, 0), QPointF(0, half), QPointF(0, -half)})
                showsBackground |= picture.rect().contains((centre + d).toPoint()) && picture.pixelColor((centre + d).toPoint()) == background;
            if (showsBackground)
                hollow << QString::number(lap);
        }
        QCOMPARE(greyed.join(' '), leftOut);
        QCOMPARE(hollow.join(' '), leftOut);

        // The report prints the counted laps and the best possible lap under the statistics.
        const QStringList texts = reportTexts(f.race, f.w->results().lapFilter());
        QVERIFY(texts.lastIndexOf("Max") > 0);
        QTEST(texts.mid(texts.lastIndexOf("Max") + 4), "reportLines");
    }

    void choiceRemembered()
    {
        QSettings(QStringLiteral("Splitwatch"), QStringLiteral("Splitwatch")).clear();
        {
            RaceFixture f(2);
            rememberLapCountChoice(f);
            QCOMPARE(f.w->results().lapFilter(), LapFilter::AllLaps);
            f.w->results().setLapFilter(LapFilter::GreenNotInTraffic);
        }
        RaceFixture f(2);
        QCOMPARE(f.w->results().lapFilter(), LapFilter::AllLaps); // only the program remembers
        rememberLapCountChoice(f);
        QCOMPARE(f.w->results().lapFilter(), LapFilter::GreenNotInTraffic);
        QCOMPARE(f.w->ui.countLapsList->currentText(), QStringLiteral("Green and not in traffic"));
    }

    void exportCsv_data()
    {
        QTest::addColumn<QString>("chosen"); // below the test folder; empty: cancelled
        QTest::addColumn<bool>("written");
        QTest::addColumn<QString>("message");

        QTest::newRow("written") << "race.csv" << true << "";
        QTest::newRow("cancelled") << "" << false << "";
        QTest::newRow("folder missing") << "no/such/folder/race.csv" << false
                                        << "The Lap Times have not been exported.\n\n";
    }

    void exportCsv()
    {
        QFETCH(QString, chosen);
        QFETCH(bool, written);
        QFETCH(QString, message);
        RaceFixture f(2);
        timeRace(f);
        f.files.currentFile = f.folder.filePath("Monza.lap");
        const QString path = f.folder.filePath(chosen);
        f.prompts.chooseFile(chosen.isEmpty() ? std::nullopt : std::optional<QString>(path));
        const bool unsaved = f.race.isModified();
        f.w->ui.exportCsvAction->trigger();

        const auto &asked = f.prompts.asked;
        QCOMPARE(asked.front().dialog.title + ' ' + asked.front().dialog.initialName, QStringLiteral("Export as CSV Monza.csv"));
        QCOMPARE(asked.size() > 1, !message.isEmpty());
        const MessageSpec &m = asked.back().message;
        QVERIFY(message.isEmpty() || (m.title == programTitle() && m.icon == Icon::Exclamation && m.text.startsWith(message)
                                      && m.text.contains("race.csv")));
        QCOMPARE(bytesOf(path), written ? raceToCsv(f.race) : QByteArray());
        QCOMPARE(f.race.isModified(), unsaved);
    }

private:
    QTemporaryDir m_settingsDir;
};

QTEST_MAIN(TestLapCount)
#include "tst_lapcount.moc"
