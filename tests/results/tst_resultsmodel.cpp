// The results table model tells its views about every cell a press changed:
// the lap's whole row (times and conditions), also when the press moved a
// best time (the old best cells change too).

#include "race/Race.h"
#include "results/ResultsTableModel.h"

#include <QtTest>

using namespace sw;

class TestResultsModel : public QObject
{
    Q_OBJECT
private slots:
    void pressRefreshesTheWholeRow_data()
    {
        QTest::addColumn<QList<double>>("presses"); // start, then one lap each
        QTest::addColumn<int>("oldBest");           // the row whose lap time loses its mark; -1 none
        QTest::newRow("a slower lap: no best moves") << QList<double>{1, 11, 23} << -1;
        QTest::newRow("a faster lap: the best moves") << QList<double>{1, 11, 19} << 0;
        QTest::newRow("the first lap: the first best") << QList<double>{1, 11} << -1;
    }

    void pressRefreshesTheWholeRow()
    {
        QFETCH(QList<double>, presses);
        QFETCH(int, oldBest);
        Race race;
        ResultsTableModel model(race);
        QAbstractItemModelTester tester(&model);
        race.arm();
        const double last = presses.takeLast();
        for (double t : presses)
            race.press(t);
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        race.press(last);
        const int row = race.currentLap() - 2; // the lap just completed
        const auto told = [&changed](int row, int column) {
            return std::any_of(changed.begin(), changed.end(), [&](const QList<QVariant> &args) {
                const QModelIndex from = args[0].toModelIndex(), to = args[1].toModelIndex();
                return from.row() <= row && row <= to.row() && from.column() <= column && column <= to.column();
            });
        };
        for (int column = 0; column < model.columnCount(); ++column)
            QVERIFY2(told(row, column), qPrintable(QStringLiteral("column %1 of the lap not refreshed").arg(column)));
        QVERIFY(oldBest < 0 || told(oldBest, 4));
        QCOMPARE(model.index(row, 5).data().toString(), QStringLiteral("Green"));
    }
};

QTEST_GUILESS_MAIN(TestResultsModel)
#include "tst_resultsmodel.moc"
