// Whole-program flows: stories an operator lives through, driven through the
// real main window with scripted answers and a hand-driven clock.

#include "flows/RaceScript.h"

#include "app/Startup.h"
#include "files/FileCommands.h"
#include "files/LapFile.h"
#include "files/CommentsWindow.h"
#include "graph/GraphView.h"
#include "printing/PdfPrinterSource.h"
#include "printing/PdfWords.h"
#include "printing/PrintCommands.h"
#include "ui/Twips.h"

#include <QAbstractItemView>
#include <QPlainTextEdit>

using namespace sw;

namespace {

const QString kBlankRow = QStringLiteral("|||||||"), kGreen1 = QStringLiteral("|Green|1|In Traffic");

// An active window, so focus moves send real focus events (a segment field picks the segment).
void activate(QWidget *w) { QApplication::setActiveWindow(w), QCoreApplication::processEvents(); }
void click(QPushButton *b) { QTest::mouseClick(b, Qt::LeftButton), QCoreApplication::processEvents(); }

// One grid row as the operator reads it: segments 1..4 | lap | flag | position | traffic.
QString rowOf(const AppState &s, int lap)
{
    QStringList l;
    for (int c = 1; c <= 8; ++c)
        l << s.grid.cell(lap, c);
    return l.join(QLatin1Char('|'));
}

// The row a lap of segment times gives, conditions apart.
QString timesRow(const std::vector<double> &segs)
{
    QStringList l;
    for (size_t s = 0; s < 4; ++s)
        l << (s < segs.size() ? num3(segs[s]) : QString());
    return (l << num3(std::accumulate(segs.begin(), segs.end(), 0.0))).join(QLatin1Char('|'));
}

QStringList statistics(const AppState &s) { return QStringList(s.grid.statValues.begin(), s.grid.statValues.end()); }

QStringList askedTitles(const ScriptedPrompts &p)
{
    QStringList l;
    for (const auto &a : p.asked) // only the title of the kind asked is filled in
        l << a.message.title + a.title + a.dialog.title;
    return l;
}

// The 20-lap race's keys: flag down laps 3-4, position 2 from lap 9, held up laps 16-18.
QString conditionsOf(int lap)
{
    return QString(lap == 3 || lap == 4 ? "|Yellow|" : "|Green|") + (lap >= 9 ? "2|" : "1|")
            + (lap >= 16 && lap <= 18 ? "Held up by Traffic" : "In Traffic");
}

} // namespace


Q_DECLARE_METATYPE(sw::Answer)

class TestFlows : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QApplication::setEffectEnabled(Qt::UI_AnimateCombo, false); }

    // 20 laps, a press missed and one too many put right, a segment corrected, saved, erased, opened, printed.
    void twentyLapRaceFixedSavedOpenedAndPrinted()
    {
        SegmentTable times; // yellow laps 3 and 4 are 4 s slower in segment 2; lap 20 a sprint
        for (int lap = 1; lap <= 20; ++lap)
            times.push_back({30 + (3 * lap % 10) / 10.0, 25 + (7 * lap % 10) / 10.0 + (lap == 3 || lap == 4 ? 4 : 0),
                             lap == 20 ? 26.4 : 28 + ((9 * lap + 1) % 10) / 10.0});
        RaceFixture f(3);
        installFileCommands(*f.w);
        activate(f.w.get());
        RaceScript(2.0, times).keysAfter(3, 1, {5}).keysAfter(5, 1, {4}).keysAfter(9, 2, {7}).keysAfter(16, 1, {9})
                .keysAfter(19, 1, {8}).missPress(7, 2).extraPress(14, 1, 12.0).run(f);
        f.finish();

        // Lap 7 segment 2 split at 25.9 s (no question: far from the usual 25 s); lap 14's stray 12 s deleted.
        f.prompts.clear();
        f.w->ui.lapList->setCurrentIndex(6);
        f.w->ui.segmentFields[2]->setFocus(Qt::OtherFocusReason);
        f.prompts.type(QStringLiteral("25.9"));
        click(f.w->ui.insertButton);
        f.w->ui.lapList->setCurrentIndex(13);
        f.w->ui.segmentFields[1]->setFocus(Qt::OtherFocusReason);
        click(f.w->ui.deleteButton);
        QCOMPARE(askedTitles(f.prompts), QStringList{QStringLiteral("Enter Time to Insert")});
        QCOMPARE(statistics(f.state), expectedStatistics(times));
        // Keep Changes: lap 3's first segment was 31.5 s, not 30.9; the second gives up the difference.
        f.w->ui.lapList->setCurrentIndex(2);
        f.w->ui.segmentFields[1]->setFocus(Qt::OtherFocusReason);
        QTest::keyClicks(f.w->ui.segmentFields[1], QStringLiteral("31.5\t"));
        click(f.w->ui.finishKeepButton);
        times[2] = {31.5, 28.5, times[2][2]};

        const QString saved = QDir(f.state.lapTimeFolder()).filePath(QStringLiteral("heat20.txt"));
        f.prompts.chooseFile(saved);
        f.w->ui.saveAsAction->trigger();
        const QByteArray savedBytes = bytesOf(saved);
        f.w->ui.lapList->setCurrentIndex(0); // where an opened file starts: the same lap highlighted
        QCoreApplication::processEvents();
        const QImage graph = f.w->graph().picture();
        QVERIFY(!graph.isNull());

        f.prompts.clear();
        f.prompts.answer(Answer::Yes);
        f.w->ui.newAction->trigger();
        QCOMPARE(askedTitles(f.prompts), QStringList{QStringLiteral("Erase All Lap Times?")});
        QCOMPARE(rowOf(f.state, 20), kBlankRow);
        QCOMPARE(statistics(f.state), QStringList(15, QString()));

        f.prompts.chooseFile(saved);
        f.w->ui.openAction->trigger();
        QCoreApplication::processEvents();
        QCOMPARE(f.w->windowTitle(), QStringLiteral("Splitwatch   [ heat20.txt ]"));
        QCOMPARE(f.state.rec.LastLap, qint16(20));
        for (int lap = 1; lap <= 20; ++lap)
            QCOMPARE(rowOf(f.state, lap), timesRow(times[lap - 1]) + conditionsOf(lap));
        QCOMPARE(statistics(f.state), expectedStatistics(times));
        QCOMPARE(f.w->graph().picture(), graph);
        f.w->ui.saveAction->trigger(); // unchanged: not a byte differs, and no question
        QCOMPARE(bytesOf(saved), savedBytes);

        // The report printed to a PDF file: the caption, and lap 20's time on its line.
        if (!havePdfToText())
            QSKIP("pdftotext is not installed");
        const QString pdf = f.folder.filePath(QStringLiteral("heat20.pdf"));
        f.prompts.type(QStringLiteral("Twenty laps")); // the report comment
        PdfPrinterSource pdfPrinter(pdf);
        PrintCommands(f.w.get(), f.state, f.prompts, pdfPrinter).printReport();
        QCOMPARE(f.prompts.unexpectedCount(), 0);
        const std::vector<PdfPage> pages = readPdfWords(pdf);
        QVERIFY(!pages.empty() && pages[0].allText().contains(QStringLiteral("Splitwatch [ heat20.txt ]")));
        bool lap20 = false;
        for (const PdfPage &p : pages)
            for (const PdfWord &w : p.words)
                lap20 |= w.text == "81.400" && p.lineOf(w).contains("20") && p.lineOf(w).contains("26.400");
        QVERIFY(lap20);
    }

    void ravelinStartEditAndReturn_data()
    {
        QTest::addColumn<Answer>("answer");
        QTest::newRow("Yes hands the lap times back") << Answer::Yes;
        QTest::newRow("No discards the handed-over file") << Answer::No;
        QTest::newRow("Cancel keeps the program running") << Answer::Cancel;
    }

    // Ravelin starts the program with "/E"; the operator adds a comment and returns to Ravelin.
    void ravelinStartEditAndReturn()
    {
        QFETCH(Answer, answer);
        const SegmentTable times{{30.1, 25.2}, {30.4, 29.9}, {30.2, 25.5}};
        RaceFixture timed(2); // the race Ravelin hands over
        RaceScript(5.0, times).run(timed);
        timed.finish();
        const RaceRecord &race = timed.state.rec;
        const QString comments = QStringLiteral("Heat 3\r\nwet");
        QTemporaryDir folder;
        const QString lapFile = folder.filePath(QStringLiteral("LapTimeFiles/heat3.txt"));
        const QString inputPath = folder.filePath(QStringLiteral("RavelinData.txt"));
        const QByteArray handed = writeLapFile(race, comments, lapFile, QLatin1Char('.'));
        QFile in(inputPath);
        QVERIFY(in.open(QIODevice::WriteOnly) && in.write(handed) > 0);
        in.close();
        AppState state;
        ScriptedPrompts prompts;
        ManualClock clock;
        ManualHiTime startupTimer{clock}, mainTimer{clock};
        FileCommands *cmd = nullptr;
        int ended = 0;
        Startup startup({QStringLiteral("/E")}, folder.path(), StartupServices{state, prompts, startupTimer, mainTimer});
        startup.extendMainWindow = [&cmd](MainWindowBase &w) { cmd = installFileCommands(w); };
        startup.begin();
        MainWindow *w = startup.mainWindow();
        QVERIFY(w && cmd);
        w->endProgram = [&ended] { ++ended; };
        QCoreApplication::processEvents();
        w->onActivated(); // loads on the first activation, whether or not the platform activated it already
        QCOMPARE(w->windowTitle(), QStringLiteral("Splitwatch   [ heat3.txt ]"));
        QCOMPARE(state.rec.raceState, RaceState::Setup);
        QVERIFY(w->ui.returnToRavelinAction->isVisible());
        for (int lap = 1; lap <= 4; ++lap)
            QCOMPARE(rowOf(state, lap), lap <= 3 ? timesRow(times[lap - 1]) + kGreen1 : kBlankRow);

        prompts.clear();
        w->ui.commentsAction->trigger();
        CommentsWindow *c = cmd->commentsWindow();
        QVERIFY(c);
        activate(c);
        c->commentsEdit->moveCursor(QTextCursor::End);
        QTest::keyClicks(c->commentsEdit, QStringLiteral("\rlap 2 under yellow"));
        click(c->okButton);
        const QString edited = comments + QStringLiteral("\r\nlap 2 under yellow");
        QCOMPARE(state.Comments, edited);

        prompts.answer(Answer::No).answer(answer);
        w->ui.returnToRavelinAction->trigger();
        // Confirmed comments are unsaved work: "Save Changes?" (No) comes first.
        QCOMPARE(askedTitles(prompts), (QStringList{QStringLiteral("Save Changes?"), QStringLiteral("Copy To Ravelin?")}));
        QCOMPARE(ended, answer == Answer::Cancel ? 0 : 1);
        // Yes: the race goes back with the edited comments, the path line naming the current file.
        QCOMPARE(bytesOf(folder.filePath(QStringLiteral("RavelinDataSaved.txt"))),
                 answer == Answer::Yes ? writeLapFile(race, edited, lapFile, QLatin1Char('.')) : QByteArray());
        // Cancel leaves the handed-over file untouched; No removes it.
        QCOMPARE(bytesOf(inputPath), answer == Answer::No ? QByteArray() : handed);
        QCOMPARE(QFile::exists(inputPath), answer != Answer::No);
    }

    // Ten laps of two segments timed while the operator clicks the grid, picks conditions
    // from the drop-downs with the mouse and presses F2 wherever the focus is (an open
    // drop-down or menu included); then laps looked at through the grid and the graph,
    // one segment time corrected and kept. The record holds those presses and that edit.
    void tenLapsWithTheMouseKeepOnlyPressesAndEdits()
    {
        RaceFixture f(2);
        auto &ui = f.w->ui;
        activate(f.w.get());
        const auto gridClick = [&](int lap) {
            QTest::mouseClick(ui.resultsView->viewport(), Qt::LeftButton, {},
                              ui.resultsView->visualRect(f.state.grid.index(lap - 1, 1)).center());
        };
        // Picks item i of a list with the mouse; with pressMs, F2 goes to the open drop-down first.
        const auto pick = [&](QComboBox *list, int i, int pressMs) {
            list->showPopup();
            QAbstractItemView *v = list->view();
            QTRY_VERIFY(v->isVisible());
            if (pressMs)
                f.advanceTo(pressMs / 1000.0), QTest::keyClick(v, Qt::Key_F2);
            QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, v->visualRect(v->model()->index(i, 0)).center());
            QTRY_VERIFY(!v->isVisible());
        };
        f.armAndPress({2.0});
        std::vector<int> ms{2000}; // the start, then laps 1..10, segments 1 and 2
        std::array<int, 3> lists{0, 0, 1}, next = lists; // flag, position, traffic: at this press, from the next
        decltype(RaceRecord::LapData) want{};
        want[0][2].set(2.0);
        for (int k = 1; k <= 20; ++k) {
            const int lap = (k + 1) / 2, seg = 2 - k % 2, t = ms.back() + 10000 + 137 * (k % 7) + (k == 11 ? 9000 : 0);
            ms.push_back(t);
            if (k == 3 || k == 17) // the grid clicked: nothing changes before the race is finished
                gridClick(k == 3 ? 1 : 5);
            if (k == 6) // F2 while the flag drop-down is open; Yellow chosen after it
                pick(ui.flagList, 1, t), next[0] = 1;
            else if (k == 9)
                pick(ui.positionList, 2, 0), lists[1] = next[1] = 2;
            else if (k == 12) // F2 while the traffic drop-down is open; Held up chosen after it
                pick(ui.trafficList, 2, t), next[2] = 2;
            else if (k == 15) { // F2 in an open menu
                ui.optionsMenu->popup(f.w->mapToGlobal(QPoint(20, 20)));
                QTRY_VERIFY(ui.optionsMenu->isVisible());
                f.advanceTo(t / 1000.0);
                QTest::keyClick(ui.optionsMenu, Qt::Key_F2);
                ui.optionsMenu->hide();
            } else if (k == 19)
                pick(ui.flagList, 0, 0), lists[0] = next[0] = 0;
            else
                f.pressAt(t / 1000.0);
            if (k == 9 || k == 19)
                f.pressAt(t / 1000.0);
            want[lap][seg].set(t / 1000.0);
            for (int c = 0; c < 3; ++c) // the lists as they stood at the press
                want[lap][5 + c].set(lists[c]);
            lists = next;
        }
        f.advanceTo(ms.back() / 1000.0 + 3);
        f.finish();
        f.F(2); // after the finish: nothing

        // Looked at through the grid and the graph, then lap 6 segment 1 (19.548 s) corrected to 10.2 s.
        gridClick(4);
        QTest::mouseClick(ui.segmentFields[1], Qt::LeftButton);
        auto *graph = qobject_cast<GraphView *>(ui.graphArea);
        QTest::mouseClick(graph, Qt::LeftButton, {}, QPoint(150, qRound(graph->pointCentre(2).y())));
        gridClick(9);
        gridClick(6);
        QTest::mouseClick(ui.segmentFields[1], Qt::LeftButton);
        QCOMPARE(ui.segmentFields[1]->text(), num3((ms[11] - ms[10]) / 1000.0));
        QTest::keyClick(ui.segmentFields[1], Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(ui.segmentFields[1], QStringLiteral("10.2\t"));
        QTest::mouseClick(ui.finishKeepButton, Qt::LeftButton);
        QCoreApplication::processEvents();
        want[6][1].set(want[5][2].value() + 10.2); // segment 2 takes up the difference
        QCOMPARE(f.prompts.unexpectedCount(), 0);
        QCOMPARE(int(f.state.rec.LastLap), 10);
        const auto text = [](const std::array<Cell, RaceRecord::Cols> &row) {
            QStringList l;
            for (int c = 1; c < RaceRecord::Cols; ++c)
                l << (row[c].isEmpty() ? QString() : QString::number(row[c].value(), 'g', 17));
            return l.join(QLatin1Char('|'));
        };
        for (int lap = 0; lap < RaceRecord::Rows; ++lap)
            QCOMPARE(text(f.state.rec.LapData[lap]), text(want[lap]));
    }
};

QTEST_MAIN(TestFlows)
#include "tst_flows.moc"
