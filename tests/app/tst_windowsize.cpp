// A window made larger than designed gives the room to the results grid and
// the graph, cuts no text, keeps every control inside it, and comes back at
// the size it had, reduced to a smaller screen.

#include "app/WindowZoom.h"
#include "results/GraphView.h"
#include "support/RaceFixture.h"
#include "ui/TextFit.h"

#include <QHeaderView>
#include <QSet>
#include <QSettings>
#include <QTemporaryDir>

using namespace sw;

namespace {

int columnsWidth(QTableView *v)
{
    int sum = 0;
    for (int c = 0; c < v->model()->columnCount(); ++c)
        sum += v->columnWidth(c);
    return sum;
}

// The controls shown in the window, by their places.
QList<QWidget *> shownControls(const MainWindowControls &ui)
{
    QList<QWidget *> shown;
    for (QWidget *w : ui.client->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
        if (w->isVisible() && w->x() >= 0 && w->x() < ui.client->width() && w->property("designTwips").isValid())
            shown << w;
    return shown;
}

// Pairs of controls that stand clear of each other.
QSet<QPair<QWidget *, QWidget *>> clearPairs(const MainWindowControls &ui)
{
    QSet<QPair<QWidget *, QWidget *>> pairs;
    const QList<QWidget *> shown = shownControls(ui);
    for (QWidget *a : shown)
        for (QWidget *b : shown)
            if (a < b && !a->geometry().intersects(b->geometry()))
                pairs.insert({a, b});
    return pairs;
}

int rowsShown(QTableView *v)
{
    return (v->height() - v->horizontalHeader()->height() - 2 * v->frameWidth()) / v->verticalHeader()->defaultSectionSize();
}

QString misfitList(QWidget *root)
{
    QStringList lines;
    for (const TextMisfit &m : textMisfits(root, true))
        lines << describe(m);
    return lines.join(QLatin1Char('\n'));
}

} // namespace

class TestWindowSize : public QObject
{
    Q_OBJECT
private slots:
    void largerWindow_data()
    {
        QTest::addColumn<bool>("finished");
        QTest::addColumn<int>("zoom");
        QTest::addColumn<QSize>("size");
        for (bool finished : {false, true})
            for (QSize size : {QSize(1280, 800), QSize(1920, 1080), QSize(2560, 1600)})
                for (int zoom : {100, 150})
                    QTest::addRow("%s, %dx%d, %d %%", finished ? "editing" : "timing", size.width(), size.height(), zoom)
                        << finished << zoom << size;
    }

    void largerWindow()
    {
        QFETCH(bool, finished);
        QFETCH(int, zoom);
        QFETCH(QSize, size);
        RaceFixture f(4);
        f.w->zoom().setScreenSize(QSize(4000, 3000));
        f.w->zoom().setZoomPercent(zoom);
        f.armAndPress({1, 2234.5, 4321.25, 6000, 8000});
        if (finished)
            f.finish();
        MainWindowControls &ui = f.w->ui;
        const QSize designed = f.w->size();
        QCOMPARE(f.w->minimumSize(), designed);
        const int rows = rowsShown(ui.resultsView);
        const QSize graph = f.w->graph().size();
        const int columns = columnsWidth(ui.resultsView);
        const auto clear = clearPairs(ui);
        const int scaleGap = ui.graphLeftScale->y() - f.w->graph().geometry().bottom();

        f.w->resize(size.expandedTo(designed));
        const int taller = f.w->height() - designed.height(), wider = f.w->width() - designed.width();
        QVERIFY2(rowsShown(ui.resultsView) >= rows + taller / ui.resultsView->verticalHeader()->defaultSectionSize() - 1,
                 qPrintable(QStringLiteral("%1 rows, %2 before").arg(rowsShown(ui.resultsView)).arg(rows)));
        QVERIFY(qAbs(columnsWidth(ui.resultsView) - columns - wider / 2) <= 8); // half the extra width
        if (finished) { // the graph takes the rest of the width, in proportion to the column beside the grid
            QCOMPARE(f.w->graph().height(), graph.height() + taller);
            QVERIFY(f.w->graph().width() >= graph.width() + (wider - wider / 2) * 4 / 5);
            QCOMPARE(ui.graphLeftScale->y() - f.w->graph().geometry().bottom(), scaleGap); // the scale stays below it
        }
        QVERIFY2(textMisfits(f.w.get(), true).isEmpty(), qPrintable(misfitList(f.w.get())));
        // Every control shown stands inside the window, clear of those it
        // stood clear of before.
        QCOMPARE(clearPairs(ui).intersect(clear).size(), clear.size());
        const QRect client = ui.client->rect();
        for (QWidget *w : ui.client->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
            if (w->isVisible() && w->geometry().left() >= 0 && w->property("designTwips").isValid())
                QVERIFY2(w == ui.helpFrame ? w->x() >= client.width() : client.contains(w->geometry()),
                         qPrintable(w->objectName() + QLatin1Char(' ') + w->metaObject()->className()));

        // Back to the designed size: the designed layout.
        f.w->resize(designed);
        QCOMPARE(rowsShown(ui.resultsView), rows);
        QCOMPARE(columnsWidth(ui.resultsView), columns);
    }

    // The extra room stays through a change of face and a zoom; a size
    // remembered on a larger screen is reduced to this one.
    void sizeKeptAndRemembered_data()
    {
        QTest::addColumn<QSize>("remembered");
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<QSize>("expected");
        QTest::newRow("fits") << QSize(1500, 900) << QSize(1920, 1080) << QSize(1500, 900);
        QTest::newRow("from a larger screen") << QSize(2500, 1500) << QSize(1280, 1024) << QSize(1272, 984);
    }

    void sizeKeptAndRemembered()
    {
        QFETCH(QSize, remembered);
        QFETCH(QSize, screen);
        QFETCH(QSize, expected);
        RaceFixture f(2);
        QTemporaryDir dir;
        const QString ini = dir.filePath(QStringLiteral("settings.ini"));
        QSettings(ini, QSettings::IniFormat).setValue(QStringLiteral("window/size"), remembered);
        f.w->zoom().setScreenSize(screen - QSize(8, 40));
        f.w->zoom().useSettings(std::make_unique<QSettings>(ini, QSettings::IniFormat));
        QCOMPARE(f.w->size(), expected);
        const QSize added = expected - f.w->minimumSize();

        f.armAndPress({1, 2, 3});
        f.finish(); // a shorter face: the window keeps what was added
        QCOMPARE(f.w->size() - f.w->minimumSize(), added);
        f.w->resize(1400, 950);
        QCOMPARE(QSettings(ini, QSettings::IniFormat).value(QStringLiteral("window/size")).toSize(), QSize(1400, 950));
    }
};

QTEST_MAIN(TestWindowSize)
#include "tst_windowsize.moc"
