// The "Current Lap" entry fields, the condition selectors and the number-of-segments
// command, driven through the real main window with real focus moves and keys.

#include "support/RaceFixture.h"

#include "live/ConditionPanel.h"
#include "ui/Geometry.h"
#include "ui/PanelColours.h"

#include <QtTest>
#include <QtWidgets>

using namespace sw;

namespace {

// Makes the window the active one, so focus moves send real focus events,
// and times one lap of segments lasting 20, 21, 22 (and 23) seconds.
MainWindowControls &start(RaceFixture &f, bool race)
{
    QApplication::setActiveWindow(f.w.get());
    QCoreApplication::processEvents();
    if (race) {
        f.armAndPress({1, 21, 42, 64});
        if (f.race.segmentsPerLap() == 4)
            f.pressAt(87);
        f.finish();
        f.prompts.clear();
    }
    return f.w->ui;
}

} // namespace

class TestEntryFields : public QObject
{
    Q_OBJECT
private slots:
    void segmentField_data()
    {
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("typed");   // entries separated by '|', each left with Enter
        QTest::addColumn<QString>("fields");  // Seg 1..3 (or 1..4) after leaving the field
        QTest::addColumn<QString>("warning"); // empty: accepted
        const QString limits = QStringLiteral(".  Value must be between  1 and  1000 .");
        const QString unchanged = QStringLiteral("20.000 21.000 22.000");
        QTest::newRow("20.50 rewritten, Seg 2 shrinks") << 1 << "20.50" << "20.5 20.500 22.000" << QString();
        QTest::newRow("0.5 refused") << 1 << "0.5" << unchanged << "Seg 1 = .5" + limits;
        QTest::newRow("nan read as 0") << 1 << "nan" << unchanged << "Seg 1 = 0" + limits;
        QTest::newRow("upper limit accepted") << 1 << "1e3" << "1000 -959.000 22.000" << QString();
        QTest::newRow("just above the upper limit") << 1 << "1000.00001" << unchanged
                                                    << "Seg 1 = 1000.00001" + limits;
        QTest::newRow("lower limit accepted") << 1 << "1" << "1 40.000 22.000" << QString();
        QTest::newRow("emptied Seg 2 goes to Seg 3") << 2 << "" << "20.000  43.000" << QString();
        // '^': the window is given back only after the warning has closed, as a window manager may do.
        QTest::newRow("a second entry after a warning is checked too")
                << 1 << "2000^|1500" << unchanged << "Seg 1 = 1500" + limits;
        QTest::newRow("Seg 3 of 4: the difference goes to Seg 4") << 3 << "25" << "20.000 21.000 25 20.000" << "";
    }

    void segmentField()
    {
        QFETCH(int, field);
        QFETCH(QString, typed);
        QFETCH(QString, warning);
        QFETCH(QString, fields);
        const int shownSegs = fields.count(QLatin1Char(' ')) + 1;
        RaceFixture f(shownSegs);
        auto &ui = start(f, true);
        // Typing replaces the text (the field selects it on focus); Enter works as Tab.
        QLineEdit *e = ui.segmentFields[field];
        e->setFocus(Qt::OtherFocusReason);
        const QStringList entries = typed.split(QLatin1Char('|'));
        for (QString entry : entries) {
            const bool late = entry.endsWith(QLatin1Char('^'));
            entry.remove(QLatin1Char('^'));
            if (late)
                f.prompts.whileAsking = [] { QApplication::setActiveWindow(nullptr); };
            QTest::keyClicks(e, entry);
            if (entry.isEmpty())
                QTest::keyClick(e, Qt::Key_Backspace);
            QTest::keyClick(e, Qt::Key_Return);
            QCoreApplication::processEvents(); // the deferred return of the focus
            if (late) {
                QApplication::setActiveWindow(f.w.get());
                QCoreApplication::processEvents();
            }
        }
        QStringList texts;
        for (int s = 1; s <= shownSegs; ++s)
            texts << ui.segmentFields[s]->text();
        QCOMPARE(texts.join(' '), fields);
        QCOMPARE(f.prompts.asked.size(), size_t(warning.isEmpty() ? 0 : entries.size()));
        QCOMPARE(QApplication::focusWidget(), ui.segmentFields[warning.isEmpty() ? field + 1 : field]);
        if (!warning.isEmpty())
            QCOMPARE(shown(f.prompts.asked.back().message),
                     shown({QStringLiteral("Warning"), warning, Buttons::Ok, Icon::Exclamation}));
    }

    void conditionKeys_data()
    {
        QTest::addColumn<bool>("racing");
        QTest::addColumn<bool>("inFlagList"); // else the keys go to the timing field
        QTest::addColumn<QList<int>>("keys"); // 0: a click on "\/ F7"
        QTest::addColumn<QString>("focus");   // who has it after
        QTest::addColumn<int>("picked");      // highlighted selector after; -1: none
        QTest::addColumn<QString>("lists");   // flag, position, traffic after
        const int L = Qt::Key_Left, R = Qt::Key_Right, U = Qt::Key_Up, D = Qt::Key_Down;
        const QString hold = QStringLiteral("timingFocusHolder");
        QTest::newRow("setup: Down to Position") << false << true << QList<int>{D} << "positionList" << -1 << "0 -1 -1";
        QTest::newRow("race: flag list Down steps it") << true << true << QList<int>{D} << hold << 0 << "1 0 1";
        QTest::newRow("race: Left x3 stays on flag") << true << false << QList<int>{L, L, L} << hold << 0 << "0 0 1";
        QTest::newRow("race: Left x3, Right x5, Down x2")
                << true << false << QList<int>{L, L, L, R, R, R, R, R, D, D} << hold << 2 << "0 0 2";
        QTest::newRow("race: Up at position 1") << true << false << QList<int>{R, U} << hold << 1 << "0 0 1";
        QTest::newRow("setup: F5 picks Yellow") << false << false << QList<int>{Qt::Key_F5} << hold << -1 << "1 -1 -1";
        QTest::newRow("race: arrow button from a list") << true << true << QList<int>{0} << hold << -1 << "0 1 1";
    }

    void conditionKeys()
    {
        QFETCH(bool, racing);
        QFETCH(bool, inFlagList);
        QFETCH(QList<int>, keys);
        QFETCH(int, picked);
        RaceFixture f(2);
        auto &ui = start(f, false);
        if (racing)
            f.armAndPress({2});
        ui.flagList->setCurrentIndex(0);
        if (inFlagList)
            ui.flagList->setFocus(Qt::OtherFocusReason);
        for (int k : keys)
            k ? f.key(Qt::Key(k)) : QTest::mouseClick(ui.arrowButtons[1], Qt::LeftButton);

        QTEST(QApplication::focusWidget()->objectName(), "focus");
        const auto lists = [](auto item) { return QStringLiteral("%1 %2 %3").arg(item(5)).arg(item(6)).arg(item(7)); };
        QTEST(lists([&](int i) { return ui.listField(i)->currentIndex(); }), "lists");
        QCOMPARE(ui.flagDisplay->text(), ui.flagList->currentText());
        for (QLabel *l : ui.flagColouredLabels()) // the current displays turn yellow under the yellow flag
            QCOMPARE(panelColour(l), ui.flagList->currentIndex() == 1 ? Palette::Yellow : Palette::Green);
        QCOMPARE(int(f.w->conditions().picked()), qMax(picked, 0));
        for (int i = 0; i < 3; ++i)
            QCOMPARE(foreColour(ui.conditionCaptions()[i]), i == picked ? Palette::LightBlue : Palette::Black);
        if (racing) { // the current displays show what was set, and the lap under way carries it
            QCOMPARE(ui.positionDisplay->text() + ui.trafficDisplay->text(),
                     ui.positionList->currentText() + ui.trafficList->currentText());
            f.pressAt(5);
            f.pressAt(8);
            QTEST(lists([&](int i) { return int(f.race.cell(1, i).value()); }), "lists");
        }
    }

    void numberOfSegments_data()
    {
        QTest::addColumn<QList<QString>>("answers"); // "<cancel>" cancels the box
        QTest::addColumn<int>("numSegs");            // from 3
        QTest::newRow("2.5 gives 2") << QList<QString>{"2.5"} << 2;
        QTest::newRow("3.5 gives 4") << QList<QString>{"3.5"} << 4;
        QTest::newRow("5 refused then empty") << QList<QString>{"5", ""} << 3;
        QTest::newRow("cancel keeps") << QList<QString>{"<cancel>"} << 3;
        QTest::newRow("not numbers refused, then 1")
                << QList<QString>{"nan", "inf", "-0", "1e9", "   ", "4.0001", "two", "1"} << 1;
    }

    void numberOfSegments()
    {
        QFETCH(QList<QString>, answers);
        QFETCH(int, numSegs);
        RaceFixture f(3);
        auto &ui = start(f, true);
        QStringList want{QStringLiteral("Splitwatch: Changing the number of segments will restart the race timing, "
                                        "and erase any results you have not saved.")};
        for (const QString &a : answers) {
            f.prompts.type(a == QLatin1String("<cancel>") ? std::nullopt : std::optional<QString>(a));
            want << QStringLiteral("Number of Segments: Enter the number of segments, a number from 1 to 4.  "
                                   "(Entering 1 means you will record complete lap times only.) [ 3]");
            if (&a != &answers.last()) // a refused answer is followed by its notice
                want << QStringLiteral("Splitwatch: You must enter a number from 1 to 4.  Try again.");
        }
        ui.numberOfSegmentsAction->trigger();
        QStringList asked; // message boxes as "title: text", input boxes as "title: prompt [default]"
        for (const auto &q : f.prompts.asked)
            asked << (q.kind == ScriptedPrompts::Asked::Input ? q.title + ": " + q.prompt + " [" + q.def + "]" : q.message.title + ": " + q.message.text);
        QCOMPARE(asked, want);
        QCOMPARE(f.prompts.asked[0].message.icon, Icon::None);
        for (int i = 1; i <= 4; ++i)
            QCOMPARE(ui.segmentFields[i]->isVisible(), i <= numSegs);
        const bool accepted = !answers.last().isEmpty() && answers.last() != QLatin1String("<cancel>");
        QCOMPARE(f.race.reading(1, 1) == 0, accepted); // erased
        emit ui.optionsMenu->aboutToShow();
        QCOMPARE(ui.numberOfSegmentsAction->text(),
                 QStringLiteral("Change Number Segments (currently %1)").arg(numSegs));
    }

    // Coming back from another window of the program empties the fields while a
    // race is set up; a dialog of the window's own, or coming back during the
    // race, loses nothing.
    void activationRefill_data()
    {
        QTest::addColumn<bool>("fromDialog");
        QTest::addColumn<bool>("racing");
        QTest::addColumn<bool>("emptied");
        QTest::newRow("another window in setup") << false << false << true;
        QTest::newRow("a dialog in setup") << true << false << false;
        QTest::newRow("another window during the race") << false << true << false;
    }

    void activationRefill()
    {
        QFETCH(bool, fromDialog);
        QFETCH(bool, racing);
        QFETCH(bool, emptied);
        RaceFixture f(2);
        auto &ui = start(f, false);
        ui.positionList->setCurrentIndex(4);
        if (racing)
            f.armAndPress({2, 25});
        else
            ui.segmentFields[1]->setText(QStringLiteral("25"));
        std::unique_ptr<QWidget> other = fromDialog ? std::make_unique<QDialog>(f.w.get()) : std::make_unique<QWidget>();
        other->show();
        QApplication::setActiveWindow(other.get());
        QCoreApplication::processEvents();
        other->hide();
        QApplication::setActiveWindow(f.w.get());
        QCoreApplication::processEvents();
        QCOMPARE(ui.segmentFields[1]->text().isEmpty(), emptied);
        QCOMPARE(ui.positionList->currentIndex(), emptied ? -1 : 4);
    }
};

QTEST_MAIN(TestEntryFields)
#include "tst_entryfields.moc"
