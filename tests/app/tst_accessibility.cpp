// What a screen reader says for every control the operator uses, in the
// timing face and in the editing face: each has a name, and no two share one
// (so the segment fields, clocks, lists and buttons can be told apart by ear).
// What the eye needs: every flag-coloured text and every graph mark stands
// out from what is behind it by at least 4.5 : 1, measured on the rendered
// pixels, and a yellow flag still looks yellow.

#include "support/RaceFixture.h"
#include "results/GraphView.h"
#include "ui/ClickPanel.h"
#include "ui/PanelColours.h"

#include <QtTest>
#include <QtWidgets>
#include <cmath>

using namespace sw;

namespace {

// The colour most pixels of the image have: what the text stands on.
QColor commonestColour(const QImage &image)
{
    std::map<QRgb, int> counts;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ++counts[image.pixel(x, y)];
    return QColor::fromRgb(std::max_element(counts.begin(), counts.end(), [](auto a, auto b) { return a.second < b.second; })->first);
}

// The highest contrast of any pixel of the image against the background.
double strongestContrast(const QImage &image, const QColor &background)
{
    double best = 1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            best = qMax(best, contrastRatio(image.pixelColor(x, y), background));
    return best;
}

} // namespace

class TstAccessibility : public QObject
{
    Q_OBJECT
private slots:
    void everyControlHasItsOwnName_data()
    {
        QTest::addColumn<bool>("finished");
        QTest::newRow("timing") << false;
        QTest::newRow("editing") << true;
    }

    void everyControlHasItsOwnName()
    {
        QFETCH(bool, finished);
        RaceFixture f(4);
        f.armAndPress({1.0, 2.0, 3.0, 4.0, 5.0});
        if (finished)
            f.finish();
        MainWindowControls &ui = f.w->ui;
        QList<QWidget *> controls{ui.resultsView, ui.graphArea, ui.timingFocusHolder};
        controls << ui.currentLapLabel << ui.currentSegLabel << ui.positionDisplay << ui.trafficDisplay
                 << ui.flagDisplay << ui.segmentClock << ui.lapClock << ui.raceClock;
        for (int i = 0; i < 8; ++i) // arrow buttons 0..5, frame buttons 0..4, graph options 0..2, segments 1..4
            controls << ui.fieldCaptions[i] << ui.arrowButtons[qMin(i, 5)] << ui.currentLapButtons()[qMin(i, 4)]
                     << ui.graphColourOptions[qMin(i, 2)] << ui.segmentFields[qBound(1, i, 4)];
        for (int i : {0, 5, 6, 7, 10})
            controls << ui.listField(i);
        QHash<QString, QWidget *> owner; // spoken name, lower case
        for (QWidget *w : controls) {
            QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(w);
            QVERIFY(iface);
            // The name, or a button's or label's text. On Linux a list's own name
            // is the item it shows, so it is announced by the label tied to it.
            QString name = iface->text(QAccessible::Name).simplified();
            if (iface->role() == QAccessible::ComboBox && name == iface->text(QAccessible::Value).simplified()) {
                QStringList labels;
                for (const auto &rel : iface->relations(QAccessible::Label))
                    labels << rel.first->text(QAccessible::Name).simplified();
                name = labels.join(QLatin1Char(' '));
            }
            QVERIFY2(!name.isEmpty(), qPrintable(w->objectName() + QLatin1String(" has no name")));
            if (auto *label = qobject_cast<QLabel *>(w); label && label->buddy())
                continue; // a field's caption is heard as that field's label
            const QWidget *other = owner.value(name.toLower(), w); // w itself when listed twice
            QVERIFY2(other == w, qPrintable(QStringLiteral("%1 and %2: \"%3\"").arg(other->objectName(), w->objectName(), name)));
            owner.insert(name.toLower(), w);
        }
    }
    void flagColouredTextsRead_data()
    {
        QTest::addColumn<int>("flag");
        QTest::addColumn<int>("hue"); // of the panel, degrees
        QTest::newRow("yellow flag") << 1 << 60;
        QTest::newRow("green flag") << 0 << 120;
    }

    // The current lap and segment and the three condition displays.
    void flagColouredTextsRead()
    {
        QFETCH(int, flag);
        QFETCH(int, hue);
        RaceFixture f(2);
        f.armAndPress({1.0, 12.5, 24.0});
        f.race.setConditions({flag, 3, 2}); // traffic 2: "Held up by Traffic", the longest
        for (QLabel *l : f.w->ui.flagColouredLabels()) {
            QVERIFY(l->isVisible() && !l->text().isEmpty());
            const QImage image = l->grab().toImage();
            const QColor panel = commonestColour(image);
            const double contrast = strongestContrast(image, panel);
            QVERIFY2(contrast >= 4.5, qPrintable(QStringLiteral("%1 \"%2\": %3 : 1").arg(l->objectName(), l->text())
                                                    .arg(contrast, 0, 'f', 2)));
            // The panel shows the flag at a glance: its hue, strong and bright.
            QVERIFY2(qAbs(panel.hsvHue() - hue) <= 10 && panel.hsvSaturationF() >= 0.8 && panel.valueF() >= 0.45,
                     qPrintable(panel.name()));
        }
    }

    void graphMarksRead_data()
    {
        QTest::addColumn<int>("option"); // the checked colouring option
        QTest::addColumn<int>("filter"); // Count laps list position
        for (int option = 0; option < 3; ++option)
            for (int filter : {0, 1})
                QTest::addRow("option %d, filter %d", option, filter) << option << filter;
    }

    // Every lap's point or ring: the pixels on its edge, away from the lines
    // to the laps before and after, stand out from the picture.
    void graphMarksRead()
    {
        QFETCH(int, option);
        QFETCH(int, filter);
        RaceFixture f(1);
        f.arm();
        // Positions whose colours are the light ones (7 yellow, 10 light
        // green, 11 light cyan, 13 white) and the selected lap's magenta.
        const int positions[] = {7, 10, 11, 13, 14, 1, 12, 6};
        double t = 1;
        f.pressAt(t);
        for (int lap = 1; lap <= 8; ++lap) {
            f.race.setConditions({lap % 2, positions[lap - 1] - 1, lap % 3});
            t += 20 + lap % 3 * 0.4;
            f.pressAt(t);
        }
        f.finish();
        MainWindowControls &ui = f.w->ui;
        ui.graphColourOptions[size_t(option)]->setChecked(true);
        ui.countLapsList->setCurrentIndex(filter);
        f.race.selectLap(3);
        GraphView &view = f.w->graph();
        view.drawGraph();
        const QImage picture = view.picture().convertToFormat(QImage::Format_RGB32);
        const QColor background = view.palette().color(QPalette::Button);
        const double r = view.pointRadius();
        // Whether a pixel lies on the line from lap's point towards a neighbour's.
        const auto onLine = [&view](const QPointF &c, const QPointF &d, int neighbour) {
            if (neighbour < 1 || neighbour > 8)
                return false;
            const QPointF towards = view.pointCentre(neighbour) - c;
            const double length = std::hypot(towards.x(), towards.y());
            const double along = (d.x() * towards.x() + d.y() * towards.y()) / length;
            const double across = std::abs(d.x() * towards.y() - d.y() * towards.x()) / length;
            return along > 0 && across < 1.5;
        };
        for (int lap = 1; lap <= 8; ++lap) {
            const QPointF c = view.pointCentre(lap);
            double contrast = 1;
            for (int y = qFloor(c.y() - r - 1); y <= qCeil(c.y() + r + 1); ++y)
                for (int x = qFloor(c.x() - r - 1); x <= qCeil(c.x() + r + 1); ++x) {
                    const QPointF d = QPointF(x, y) - c;
                    const double distance = std::hypot(d.x(), d.y());
                    // The edge, off the lines to the laps before and after.
                    if (qAbs(distance - r) > 0.8 || onLine(c, d, lap - 1) || onLine(c, d, lap + 1)
                        || !picture.rect().contains(x, y))
                        continue;
                    contrast = qMax(contrast, contrastRatio(picture.pixelColor(x, y), background));
                }
            QVERIFY2(contrast >= 4.5, qPrintable(QStringLiteral("lap %1: %2 : 1").arg(lap).arg(contrast, 0, 'f', 2)));
        }
    }
};

QTEST_MAIN(TstAccessibility)
#include "tst_accessibility.moc"
