// The live figures, the marked grid cells and the pit board through the real
// main window, as a screen reader hears them.

#include "support/RaceFixture.h"

#include "live/PitBoard.h"
#include "results/ResultsTableModel.h"

#include <QtTest>
#include <QtWidgets>

using namespace sw;

namespace {

// What a screen reader says for a control: its name, then its value.
QString spoken(QObject *o)
{
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(o);
    if (!iface)
        return QStringLiteral("(no interface)");
    const QString value = iface->text(QAccessible::Value);
    return value.isEmpty() ? iface->text(QAccessible::Name) : iface->text(QAccessible::Name) + QStringLiteral(", ") + value;
}

QString spokenCell(RaceFixture &f, int lap, int column)
{
    QAccessibleInterface *table = QAccessible::queryAccessibleInterface(f.w->ui.resultsView);
    QAccessibleInterface *cell = table->tableInterface()->cellAt(lap - 1, column - 1);
    return cell ? cell->text(QAccessible::Name) : QStringLiteral("(no cell)");
}

// Spoken text, mark and tool tip of grid cells (lap, column).
QStringList markedCells(RaceFixture &f, const QList<QPoint> &cells)
{
    QStringList out;
    for (const QPoint &c : cells) {
        const QModelIndex i = f.w->ui.resultsView->model()->index(c.x() - 1, c.y() - 1);
        out << QStringLiteral("%1/%2/%3").arg(spokenCell(f, c.x(), c.y())).arg(i.data(ResultsTableModel::MarkRole).toInt())
                   .arg(i.data(Qt::ToolTipRole).toString());
    }
    return out;
}

// Two segments a lap, start press at 1 s:
//   lap 1 green, in traffic          20 + 21     = 41
//   lap 2 yellow                     18 + 20.5   = 38.5
//   lap 3 green, not in traffic      20.5 + 20   = 40.5
//   lap 4 green, not in traffic      19.796 (+ 20.204 = 40 when finished)
void timeThreeLapsAndASegment(RaceFixture &f)
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
    f.pressAt(101);
    f.pressAt(121);
    f.pressAt(140.796);
}

} // namespace

class TstLiveTiming : public QObject
{
    Q_OBJECT
private slots:
    void figuresAsSpoken_data()
    {
        QTest::addColumn<int>("filter");
        QTest::addColumn<QStringList>("said");
        QTest::addColumn<QStringList>("segment1"); // the grid's segment 1 of laps 2, 3, 4
        QTest::addColumn<QStringList>("finished"); // laps 2, 4 seg 1, lap 4 seg 2, laps 1, 2: spoken/mark/tool tip
        QTest::addColumn<QStringList>("edited");   // lap 4 seg 2 cut to 19.5, lap 3 seg 2, lap 4
        QTest::newRow("all laps") << int(LapFilter::AllLaps)
                                  << QStringList{"Last lap, 40.500", "Best lap, 38.500 (lap 2)", "Delta to best, plus 1.796",
                                                 "Predicted lap, 40.296", "Best possible lap, 38.000"}
                                  << QStringList{"18.000, best", "20.500", "19.796, improved"}
                                  << QStringList{"18.000, best/1/best", "19.796, improved/2/improved", "20.204/0/",
                                                 "41.000/0/", "38.500, best/1/best"}
                                  << QStringList{"19.500, best/1/best", "20.000, improved/2/improved",
                                                 "39.296, improved/2/improved"};
        // Laps 1 (in traffic) and 2 (yellow) are greyed once the race is finished, and unmarked.
        QTest::newRow("green and not in traffic")
                << int(LapFilter::GreenNotInTraffic)
                << QStringList{"Last lap, 40.500", "Best lap, 40.500 (lap 3)", "Delta to best, minus 0.704",
                               "Predicted lap, 39.796", "Best possible lap, 39.796"}
                << QStringList{"18.000, improved", "20.500", "19.796, best"}
                << QStringList{"18.000/0/", "19.796, best/1/best", "20.204/0/", "41.000/0/", "38.500/0/"}
                << QStringList{"19.500, best/1/best", "20.000, improved/2/improved", "39.296, best/1/best"};
    }

    void figuresAsSpoken()
    {
        QFETCH(int, filter);
        RaceFixture f(2);
        f.w->results().setLapFilter(LapFilter(filter));
        timeThreeLapsAndASegment(f);
        QStringList said;
        for (QLabel *value : f.w->ui.liveFigureValues)
            said << spoken(value);
        QTEST(said, "said");
        // The grid's marks follow the presses during the race.
        QTEST((QStringList{spokenCell(f, 2, 1), spokenCell(f, 3, 1), spokenCell(f, 4, 1)}), "segment1");
        // The lap and segment now timed, the conditions and the clocks say what they show.
        const auto &ui = f.w->ui;
        QCOMPARE((QStringList{spoken(ui.currentLapLabel), spoken(ui.currentSegLabel), spoken(ui.flagDisplay),
                              spoken(ui.trafficDisplay)}),
                 (QStringList{"Current lap, 4", "Current segment, 2", "Current Flag, Green",
                              "Current Traffic, Not in Traffic"}));
        QVERIFY(spoken(ui.raceClock).startsWith(QStringLiteral("Race clock, ")));

        // Finished under another filter, this one chosen again; then an edit.
        f.pressAt(161);
        f.w->results().setLapFilter(LapFilter::GreenOnly);
        f.finish();
        f.w->results().setLapFilter(LapFilter(filter));
        QTEST(markedCells(f, {{2, 1}, {4, 1}, {4, 2}, {1, 5}, {2, 5}}), "finished");
        f.race.selectLap(4);
        f.race.keepChanges(4, {0, 19.796, 19.5, 0, 0}, f.race.lapConditions(4));
        QTEST(markedCells(f, {{4, 2}, {3, 2}, {4, 5}}), "edited");
    }

    // The board follows the press at once, and F2 given to it is a reading.
    void pitBoardFollowsAndTakesF2()
    {
        RaceFixture f(2);
        timeThreeLapsAndASegment(f);
        f.w->ui.pitBoardAction->trigger();
        PitBoard *board = f.w->pitBoard();
        QVERIFY(board && board->isVisible());
        QVERIFY(f.w->ui.pitBoardAction->isChecked());
        const auto shown = [board] {
            return QStringList{board->deltaLabel()->text(), board->lapLabel()->text(), board->lastLapLabel()->text(),
                               board->bestLapLabel()->text()};
        };
        QCOMPARE(shown(), (QStringList{"+1.796", "Lap 4", "Last 40.500", "Best 38.500 (lap 2)"}));

        f.advanceTo(160.5);
        QTest::keyClick(board, Qt::Key_F2);
        QCOMPARE(f.race.reading(4, 2), 160.5);
        QCOMPARE(shown(), (QStringList{"+1.000", "Lap 5", "Last 39.500", "Best 38.500 (lap 2)"})); // 39.5 against 38.5

        // The delta's digits fill at least a fifth of the screen's height.
        board->resize(1920, 1080);
        const QRect ink = QFontMetrics(board->deltaLabel()->font()).tightBoundingRect(QStringLiteral("0123456789"));
        QVERIFY2(ink.height() * 5 >= board->height(), qPrintable(QString::number(ink.height())));

        QTest::keyClick(board, Qt::Key_Escape);
        QVERIFY(!board->isVisible());
        QVERIFY(!f.w->ui.pitBoardAction->isChecked());
        QCOMPARE(f.race.currentLap(), 5); // Escape is no reading
    }

    // The board keeps the screen it was shown on, and a screen no longer
    // there is no obstacle to opening it.
    void pitBoardRemembersItsScreen()
    {
        RaceFixture f(1);
        const QString ini = f.folder.filePath(QStringLiteral("board.ini"));
        {
            QSettings gone(ini, QSettings::IniFormat);
            gone.setValue(QStringLiteral("pitBoard/screen"), QStringLiteral("a screen unplugged"));
        }
        f.w->rememberPitBoardScreen(std::make_unique<QSettings>(ini, QSettings::IniFormat));
        f.w->togglePitBoard();
        QVERIFY(f.w->pitBoard()->isVisible());
        QCOMPARE(f.w->pitBoard()->screen(), QGuiApplication::primaryScreen());
        f.w->togglePitBoard();
        QVERIFY(!f.w->pitBoard()->isVisible());
        QCOMPARE(QSettings(ini, QSettings::IniFormat).value(QStringLiteral("pitBoard/screen")).toString(),
                 QGuiApplication::primaryScreen()->name());
    }
};

QTEST_MAIN(TstLiveTiming)
#include "tst_livetiming.moc"
