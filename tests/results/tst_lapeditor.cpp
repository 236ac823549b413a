// Post-race editing through the real main window: questions, target segment, replay, selection.

#include "support/RaceFixture.h"

#include "results/GraphView.h"
#include "race/NumberText.h"

#include <QtTest>
#include <QtWidgets>

using namespace sw;

namespace {

constexpr int kLaps = 20;

// A lap's segment times and lap time as the grid shows them.
QString row(RaceFixture &f, int lap)
{
    return QStringLiteral("%1 %2 %3 = %4").arg(f.cell(lap, 1), f.cell(lap, 2), f.cell(lap, 3), f.cell(lap, 5));
}

// Segments of 20.3, 20.3, 22.3 s, except a missed press in lap 5 (segment 2 lasts
// 41.2 s) and a short last segment in lap 3 (22.1 s); lap 6 under the yellow flag.
void timeRace(RaceFixture &f)
{
    QApplication::setActiveWindow(f.w.get());
    f.arm();
    double t = 1;
    f.pressAt(t);
    for (int r = 1; r <= kLaps; ++r) {
        f.F(r == 6 ? 5 : 4);
        for (int s = 1; s <= 3; ++s)
            f.pressAt(t += r == 5 && s == 2 ? 41.2 : r == 3 && s == 3 ? 22.1 : s == 3 ? 22.3 : 20.3);
    }
    f.finish();
    f.prompts.clear();
}

} // namespace

class TestLapEditor : public QObject
{
    Q_OBJECT
private slots:
    void command_data()
    {
        QTest::addColumn<int>("button"); // 0 Insert, 1 Delete, 3 Keep Changes, 4 Cancel Changes; -1 none
        QTest::addColumn<int>("lap");
        QTest::addColumn<int>("seg");
        QTest::addColumn<bool>("typed");    // 21.3 typed into the segment first
        QTest::addColumn<int>("flag");      // chosen first; -1: none
        QTest::addColumn<QString>("reply"); // the amount ("<cancel>" cancels), or Yes / No to the question
        QTest::addColumn<QString>("after"); // the lap and the next; empty: record unchanged
        QTest::addColumn<int>("selected");
        QTest::addColumn<bool>("changed"); // since the race was saved: Exit asks "Save Changes?"
        // 41.2 s is 21.2 s away from the anticipated 20 s: only the amount is asked.
        QTest::newRow("insert splits missed press") << 0 << 5 << 2 << false << -1 << "20.6"
                << "20.300 20.600 20.600 = 61.500 | 22.300 20.300 20.300 = 62.900" << 5 << true;
        QTest::newRow("insert cancelled") << 0 << 5 << 2 << false << -1 << "<cancel>" << "" << 5 << false;
        // 22.1 s against the anticipated 22 s looks right: asked first.
        QTest::newRow("plausible insert answered No") << 0 << 3 << 3 << false << -1 << "No" << "" << 3 << false;
        QTest::newRow("plausible delete answered Yes, joined with the next lap")
                << 1 << 3 << 3 << false << -1 << "Yes"
                << "20.300 20.300 42.400 = 83.000 | 20.300 22.300 20.300 = 62.900" << 3 << true;
        QTest::newRow("delete far from the anticipated time asks nothing") << 1 << 5 << 2 << false << -1 << ""
                << "20.300 63.500 20.300 = 104.100 | 20.300 22.300 20.300 = 62.900" << 5 << true;
        QTest::newRow("keep segment 1 longer, on to the next lap") << 3 << 2 << 1 << true << -1 << ""
            << "21.300 19.300 22.300 = 62.900 | 20.300 20.300 22.100 = 62.700" << 3 << true;
        QTest::newRow("keep the flag without an edit") << 3 << 2 << 1 << false << 1 << ""
            << "20.300 20.300 22.300 = 62.900 | 20.300 20.300 22.100 = 62.700" << 2 << true;
        QTest::newRow("keep on the last lap stays there") << 3 << kLaps << 1 << true << 1 << ""
            << "21.300 19.300 22.300 = 62.900 |    = " << kLaps << true;
        QTest::newRow("cancel restores fields and lists") << 4 << 6 << 1 << true << 0 << "" << "" << 6 << false;
        QTest::newRow("lap 12 chosen in the lap list") << -1 << 12 << 1 << false << -1 << "" << "" << 12 << false;
        QTest::newRow("beyond the last lap chosen") << -1 << 200 << 1 << false << -1 << "" << "" << kLaps << false;
    }

    void command()
    {
        QFETCH(int, button);
        QFETCH(int, lap);
        QFETCH(int, seg);
        QFETCH(bool, typed);
        QFETCH(int, flag);
        QFETCH(QString, reply);
        QFETCH(QString, after);
        QFETCH(int, selected);
        RaceFixture f(3);
        timeRace(f);
        f.race.markSaved();
        auto &ui = f.w->ui;
        // The segment field that last had the focus is the one the commands work on.
        ui.lapList->setCurrentIndex(lap - 1);
        ui.segmentFields[seg]->setFocus(Qt::OtherFocusReason);
        const auto before = f.race.cells().rows;
        if (typed) {
            QTest::keyClicks(ui.segmentFields[seg], QStringLiteral("21.3"));
            QTest::keyClick(ui.segmentFields[seg], Qt::Key_Tab);
        }
        if (flag >= 0)
            ui.flagList->setCurrentIndex(flag);
        QCOMPARE(f.race.cells().rows, before); // stored only by Keep Changes
        const bool question = reply == QLatin1String("Yes") || reply == QLatin1String("No");
        if (question)
            f.prompts.answer(reply == QLatin1String("Yes") ? Answer::Yes : Answer::No);
        else if (!reply.isEmpty())
            f.prompts.type(reply == QLatin1String("<cancel>") ? std::nullopt : std::optional<QString>(reply));
        if (button >= 0)
            QTest::mouseClick(ui.currentLapButtons()[button], Qt::LeftButton);

        QCOMPARE(f.prompts.asked.size(), size_t(reply.isEmpty() ? 0 : 1)); // no message after the amount
        const auto &a = f.prompts.asked.empty() ? ScriptedPrompts::Asked{} : f.prompts.asked[0];
        if (question)
            QCOMPARE(shown(a.message),
                     shown({button ? QStringLiteral("Continue with Delete?") : QStringLiteral("Continue with Insert?"),
                            QStringLiteral("This segment (22.1 seconds) appears to be correct (within 3 seconds of "
                                           "the anticipated segment time of 22).\n\nDo you still want to make this "
                                           "change?"),
                            Buttons::YesNo, Icon::Question, Answer::No}));
        else if (!reply.isEmpty())
            QCOMPARE((QStringList{QString::number(a.kind), a.title, a.def, a.prompt}),
                     (QStringList{QString::number(ScriptedPrompts::Asked::Input), "Enter Time to Insert", "0",
                                  "Enter the amount of time to insert ahead of this current reading.  Note that this "
                                  "will split the current reading of 41.2 into 2 readings, the one you will enter and "
                                  "the remaining portion will go to the next segment."}));
        if (after.isEmpty())
            QCOMPARE(f.race.cells().rows, before);
        else
            QCOMPARE(row(f, lap) + " | " + row(f, lap + 1), after);
        // Conditions stay with their lap; the selected lap is shown in the grid,
        // the lap list, the fields and the flag list.
        const int stored = button == 3 && flag >= 0 ? flag : lap == 6;
        QCOMPARE(f.cell(qMin(lap, kLaps), 6), stored ? QStringLiteral("Yellow") : QStringLiteral("Green"));
        QCOMPARE(f.cell(6, 6) + f.cell(7, 6), QStringLiteral("YellowGreen"));
        const QModelIndexList sel = ui.resultsView->selectionModel()->selectedIndexes();
        QCOMPARE(QList<int>({f.race.currentLap(), int(sel.size()), sel.first().row(), ui.lapList->currentIndex(),
                             ui.flagList->currentIndex()}),
                 QList<int>({selected, 8, selected - 1, selected - 1, int(f.race.cell(selected, 5).value())}));
        QStringList fields; // as numbers: an untouched field may show the plain form
        for (int s = 1; s <= 3; ++s)
            fields << formatTime(val(ui.segmentFields[s]->text()));
        QCOMPARE(fields.join(' ') + " = " + f.cell(selected, 5), row(f, selected));
        // Edits are changes to save; choosing and showing laps are none.
        QFETCH(bool, changed);
        f.prompts.clear();
        f.prompts.answer(Answer::Cancel);
        QCOMPARE(f.w->fileCommands().exitCommand(), !changed);
        QCOMPARE(f.prompts.messageTexts().size(), changed ? 1 : 0);
    }

    // The fields always hold the lap shown, and what leaves them is what the
    // operator typed: the grid and the graph never take the focus, so a lap
    // chosen there must not mix with the field being edited.
    void fieldsFollowTheLapShown_data()
    {
        // Steps: "lap N" lap list, "grid N" / "graph N" click, "seg N" focus,
        // "type X", "enter", "scroll N" grid top row, "keep" Keep Changes.
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("fields");   // Seg 1..3 after the steps, as shown
        QTest::addColumn<QString>("changed");  // laps whose record changed
        QTest::addColumn<int>("warnings");
        QTest::addColumn<int>("topRow");       // 0: not checked
        const QString plain = QStringLiteral("20.300 20.300 22.300");
        QTest::newRow("Seg 2 of lap 2, grid click on lap 5, keep")
            << QStringList{"lap 2", "seg 2", "grid 5", "keep"} << "20.300 41.200 22.300" << "" << 0 << 0;
        QTest::newRow("Seg 2 of lap 2, graph click on lap 5, keep")
            << QStringList{"lap 2", "seg 2", "graph 5", "keep"} << "20.300 41.200 22.300" << "" << 0 << 0;
        QTest::newRow("refused entry after a grid click brings back that lap's value")
            << QStringList{"lap 2", "seg 2", "grid 5", "type 2000", "enter"} << "20.300 41.200 22.300" << "" << 1 << 0;
        QTest::newRow("a second out-of-range entry is refused too")
            << QStringList{"lap 2", "seg 1", "type 2000", "enter", "type 1500", "enter", "keep"} << plain << "" << 2 << 0;
        QTest::newRow("click on the selected lap shows it again")
            << QStringList{"lap 2", "seg 1", "type 21.3", "grid 2"} << plain << "" << 0 << 0;
        QTest::newRow("a 1 ms correction is kept")
            << QStringList{"lap 2", "seg 1", "type 20.301", "keep", "lap 2"} << "20.301 20.299 22.300" << "2" << 0 << 0;
        QTest::newRow("editing lap 3 scrolled far down scrolls back")
            << QStringList{"lap 20", "scroll 15", "lap 3", "seg 1", "type 20", "keep"} << plain << "3" << 0 << 3;
    }

    void fieldsFollowTheLapShown()
    {
        QFETCH(QStringList, steps);
        QFETCH(int, topRow);
        RaceFixture f(3);
        timeRace(f);
        auto &ui = f.w->ui;
        auto *graph = qobject_cast<GraphView *>(ui.graphArea);
        const auto before = f.race.cells().rows;
        for (const QString &step : steps) {
            const QString arg = step.section(QLatin1Char(' '), 1);
            const int n = arg.toInt();
            if (step.startsWith(QLatin1String("lap ")))
                ui.lapList->setCurrentIndex(n - 1);
            else if (step.startsWith(QLatin1String("grid ")))
                QTest::mouseClick(ui.resultsView->viewport(), Qt::LeftButton, {},
                                  ui.resultsView->visualRect(ui.resultsView->model()->index(n - 1, 1)).center());
            else if (step.startsWith(QLatin1String("graph ")))
                QTest::mouseClick(graph, Qt::LeftButton, {}, QPoint(150, qRound(graph->pointCentre(n).y())));
            else if (step.startsWith(QLatin1String("seg ")))
                ui.segmentFields[n]->setFocus(Qt::MouseFocusReason);
            else if (step.startsWith(QLatin1String("type "))) // over the whole text
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier),
                    QTest::keyClicks(QApplication::focusWidget(), arg);
            else if (step == QLatin1String("enter"))
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            else if (step.startsWith(QLatin1String("scroll ")))
                ui.resultsView->verticalScrollBar()->setValue(n - 1);
            else if (step == QLatin1String("keep"))
                QTest::mouseClick(ui.finishKeepButton, Qt::LeftButton);
            QCoreApplication::processEvents(); // deferred focus returns
        }
        QStringList changed;
        for (int lap = 1; lap <= kLaps + 1; ++lap)
            if (f.race.cells().rows[lap] != before[lap])
                changed << QString::number(lap);
        QTEST(QStringList({ui.segmentFields[1]->text(), ui.segmentFields[2]->text(), ui.segmentFields[3]->text()}).join(' '), "fields");
        QTEST(changed.join(' '), "changed");
        QTEST(int(f.prompts.asked.size()), "warnings");
        QCOMPARE(f.prompts.unexpectedCount(), 0);
        if (topRow)
            QVERIFY(f.w->results().topLap() <= topRow);
    }
};

QTEST_MAIN(TestLapEditor)
#include "tst_lapeditor.moc"
