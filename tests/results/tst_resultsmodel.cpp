// The results table model tells its views about every cell a press changed:
// the lap's whole row (times and conditions), also when the press moved a
// best time (the old best cells change too).

#include "race/Race.h"
#include "results/ResultsTableModel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QtTest>

using namespace sw;

class TestResultsModel : public QObject
{
    Q_OBJECT
private slots:
    void pressRefreshesTheWholeRow_data()
    {
        QTest::addColumn<QList<double>>("presses"); // start, then one lap each
        QTest::newRow("a slower lap: no best moves") << QList<double>{1, 11, 23};
        QTest::newRow("a faster lap: the best moves") << QList<double>{1, 11, 19};
        QTest::newRow("the first lap: the first best") << QList<double>{1, 11};
    }

    void pressRefreshesTheWholeRow()
    {
        QFETCH(QList<double>, presses);
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
        for (int column = 0; column < model.columnCount(); ++column) {
            bool told = false;
            for (const QList<QVariant> &args : changed) {
                const QModelIndex from = args[0].toModelIndex(), to = args[1].toModelIndex();
                told = told || (from.row() <= row && row <= to.row() && from.column() <= column && column <= to.column());
            }
            QVERIFY2(told, qPrintable(QStringLiteral("column %1 of the lap not refreshed").arg(column)));
        }
        QCOMPARE(model.index(row, 5).data().toString(), QStringLiteral("Green"));
    }
};

QTEST_GUILESS_MAIN(TestResultsModel)
#include "tst_resultsmodel.moc"
