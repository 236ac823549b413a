// What a screen reader says for every control the operator uses, in the
// timing face and in the editing face: each has a name, and no two share one
// (so the segment fields, clocks, lists and buttons can be told apart by ear).

#include "support/RaceFixture.h"
#include "ui/ClickPanel.h"

#include <QAccessible>
#include <QtTest>

using namespace sw;

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
};

QTEST_MAIN(TstAccessibility)
#include "tst_accessibility.moc"
