// A whole race as an operator lives through it, driven through the real main
// window with the mouse and keys, scripted answers and a hand-driven clock.

#include "support/RaceFixture.h"

#include <QAbstractItemView>
#include <QtTest>

using namespace sw;

class TestFlows : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QApplication::setEffectEnabled(Qt::UI_AnimateCombo, false); }

    // Ten laps of two segments timed while the operator clicks the grid, picks conditions
    // from the drop-downs with the mouse and presses F2 wherever the focus is (an open
    // drop-down or menu included). The record holds those presses, each lap with the
    // conditions chosen by its last press.
    void tenLapsWithTheMouseKeepOnlyThePresses()
    {
        RaceFixture f(2);
        auto &ui = f.w->ui;
        QApplication::setActiveWindow(f.w.get()); // focus moves send real focus events
        QCoreApplication::processEvents();
        const auto gridClick = [&](int lap) {
            QTest::mouseClick(ui.resultsView->viewport(), Qt::LeftButton, {},
                              ui.resultsView->visualRect(ui.resultsView->model()->index(lap - 1, 1)).center());
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
        RaceRecordCells wanted;
        auto &want = wanted.rows;
        want[0][2].set(2.0);
        for (int k = 1; k <= 20; ++k) {
            const int lap = (k + 1) / 2, seg = 2 - k % 2, t = ms.back() + 10000 + 137 * (k % 7);
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
        QCOMPARE(f.prompts.unexpectedCount(), 0);
        QCOMPARE(int(f.race.lastLap()), 10);
        const auto text = [](const std::array<Cell, RaceRecordCells::Columns> &row) {
            QStringList l;
            for (int c = 1; c < RaceRecordCells::Columns; ++c)
                l << (row[c].isEmpty() ? QString() : QString::number(row[c].value(), 'g', 17));
            return l.join(QLatin1Char('|'));
        };
        for (int lap = 0; lap < RaceRecordCells::Rows; ++lap)
            QCOMPARE(text(f.race.cells().rows[lap]), text(want[lap]));
    }
};

QTEST_MAIN(TestFlows)
#include "tst_flows.moc"
