// The "Current Lap" entry fields, the condition selectors and the
// number-of-segments command, driven through the real main window with real
// focus moves and keys.

#include "support/RaceFixture.h"

#include "results/EntryFields.h"
#include "timing/NumberText.h"
#include "ui/ClickPanel.h"
#include "ui/Geometry.h"

#include <QApplication>
#include <QDialog>

#include <QtTest>

using namespace sw;

namespace {

// Lap r's segments last 20 + (r - 1) / 4, 21 and 22 seconds (3 segments).
void timeRace(RaceFixture &f, int laps)
{
    f.arm();
    double t = 1;
    f.pressAt(t);
    for (int r = 1; r <= laps; ++r) {
        for (double d : {20 + (r - 1) / 4.0, 21.0, 22.0})
            f.pressAt(t += d);
    }
    f.finish();
}

// The fixture's window is the active window, so focus moves send real
// focus events.
void activate(RaceFixture &f)
{
    QApplication::setActiveWindow(f.w.get());
    QCoreApplication::processEvents();
}

QWidget *focused()
{
    return QApplication::focusWidget();
}

// Gives a widget the keyboard focus the way a click or Tab does: the
// previous field loses it first.
void focusOn(QWidget *w)
{
    w->setFocus(Qt::OtherFocusReason);
}

// Replaces a field's text by typing (the field selects its text on focus).
void typeInto(QLineEdit *e, const QString &text)
{
    focusOn(e);
    if (text.isEmpty())
        QTest::keyClick(e, Qt::Key_Backspace);
    else
        QTest::keyClicks(e, text);
}

} // namespace

class TestEntryFields : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();

    void segmentEntryIsCheckedOnLeaving_data();
    void segmentEntryIsCheckedOnLeaving();
    void emptiedSegmentGoesToTheNextOne();
    void warningRefocusDoesNotCheckTheFieldLeftBehind();
    void arrowInFlagList_data();
    void arrowInFlagList();
    void arrowsAfterRaceEditTheField();
    void selectorKeys_data();
    void selectorKeys();
    void flagColoursCurrentDisplays();
    void arrowButtonReturnsFocusForNextPress();
    void lapListAfterRaceShowsThatLap_data();
    void lapListAfterRaceShowsThatLap();
    void conditionChoiceAfterRaceWaitsForKeepChanges();
    void namePanelClickFocusesItsField_data();
    void namePanelClickFocusesItsField();
    void numberOfSegments_data();
    void numberOfSegments();
    void optionsMenuCaption();
    void activationRefill_data();
    void activationRefill();
    void timingFaceScreenshot();
};

void TestEntryFields::initTestCase()
{
    QApplication::setEffectEnabled(Qt::UI_AnimateCombo, false);
}

void TestEntryFields::segmentEntryIsCheckedOnLeaving_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("seg1");    // Seg 1 after leaving it
    QTest::addColumn<QString>("seg2");    // Seg 2 after leaving Seg 1
    QTest::addColumn<QString>("warning"); // empty: accepted

    const QString limits = QStringLiteral(".  Value must be between  1 and  1000 .");
    QTest::newRow("20.50 rewritten, Seg 2 shrinks") << "20.50" << "20.5" << "20.500" << QString();
    QTest::newRow("0.5 refused") << "0.5" << "20.000" << "21.000" << "Seg 1 = .5" + limits;
    QTest::newRow("letters read as 0") << "abc" << "20.000" << "21.000" << "Seg 1 = 0" + limits;
    QTest::newRow("1e309 overflows to 0") << "1e309" << "20.000" << "21.000" << "Seg 1 = 0" + limits;
    QTest::newRow("nan read as 0") << "nan" << "20.000" << "21.000" << "Seg 1 = 0" + limits;
    QTest::newRow("thousand digits") << QString(1000, QLatin1Char('9')) << "20.000" << "21.000"
                                     << "Seg 1 = 0" + limits;
    QTest::newRow("comma decimal keeps the whole part") << "12,5" << "12" << "29.000" << QString();
    QTest::newRow("trailing letters dropped") << "25x" << "25" << "16.000" << QString();
    QTest::newRow("upper limit accepted") << "1e3" << "1000" << "-959.000" << QString();
    QTest::newRow("just above the upper limit") << "1000.00001" << "20.000" << "21.000"
                                                << "Seg 1 = 1000.00001" + limits;
    QTest::newRow("lower limit accepted") << "1" << "1" << "40.000" << QString();
    QTest::newRow("negative") << "-5" << "20.000" << "21.000" << "Seg 1 = -5" + limits;
}

void TestEntryFields::segmentEntryIsCheckedOnLeaving()
{
    QFETCH(QString, typed);
    QFETCH(QString, seg1);
    QFETCH(QString, seg2);
    QFETCH(QString, warning);

    RaceFixture f(3);

    activate(f);
    timeRace(f, 3);
    f.w->ui.cmbSpecData[0]->setCurrentIndex(0); // lap 1: 20, 21, 22 s
    auto &ui = f.w->ui;
    QCOMPARE(ui.SpecData[1]->text(), QStringLiteral("20.000"));
    f.prompts.clear();

    typeInto(ui.SpecData[1], typed);
    QTest::keyClick(ui.SpecData[1], Qt::Key_Return);
    QCoreApplication::processEvents(); // the deferred return of the focus

    QCOMPARE(ui.SpecData[1]->text(), seg1);
    QCOMPARE(ui.SpecData[2]->text(), seg2);
    QCOMPARE(ui.SpecData[3]->text(), QStringLiteral("22.000"));
    const double kept = val(ui.SpecData[1]->text());
    QVERIFY2(kept >= 1 && kept <= 1000, qPrintable(ui.SpecData[1]->text()));
    if (warning.isEmpty()) {
        QCOMPARE(f.prompts.asked.size(), size_t(0));
        QCOMPARE(focused(), ui.SpecData[2]);
    } else {
        QCOMPARE(f.prompts.asked.size(), size_t(1));
        const MessageSpec &m = f.prompts.asked[0].message;
        QCOMPARE(m.title, QStringLiteral("Warning"));
        QCOMPARE(m.text, warning);
        QCOMPARE(m.buttons, Buttons::Ok);
        QCOMPARE(m.icon, Icon::Exclamation);
        QCOMPARE(focused(), ui.SpecData[1]);
    }
    QCOMPARE(f.prompts.unexpectedCount(), 0);
    // The record itself changes only with Keep Changes.
    QCOMPARE(f.state.rec.reading(1, 1), 21.0);
}

void TestEntryFields::emptiedSegmentGoesToTheNextOne()
{
    RaceFixture f(3);
    activate(f);
    timeRace(f, 2);
    auto &ui = f.w->ui;
    QCOMPARE(ui.SpecData[2]->text(), QStringLiteral("21.000"));
    f.prompts.clear();
    typeInto(ui.SpecData[2], QString());
    QTest::keyClick(ui.SpecData[2], Qt::Key_Tab);
    QCoreApplication::processEvents();
    QCOMPARE(f.prompts.asked.size(), size_t(0));
    QCOMPARE(ui.SpecData[2]->text(), QString());
    QCOMPARE(ui.SpecData[3]->text(), QStringLiteral("43.000"));
    QCOMPARE(focused(), ui.SpecData[3]);
}

// After a warning the focus goes back to the refused field; the field it
// passes through on the way is not checked, so one bad entry gives one box.
void TestEntryFields::warningRefocusDoesNotCheckTheFieldLeftBehind()
{
    RaceFixture f(2);
    activate(f);
    auto &ui = f.w->ui;
    QCOMPARE(ui.SpecData[1]->text(), QString()); // setup: fields empty
    f.prompts.clear();
    typeInto(ui.SpecData[1], QStringLiteral("0.5"));
    QTest::keyClick(ui.SpecData[1], Qt::Key_Tab);
    QCoreApplication::processEvents();
    QCOMPARE(f.prompts.messageTexts(),
             QStringList{QStringLiteral("Seg 1 = .5.  Value must be between  1 and  1000 .")});
    QCOMPARE(focused(), ui.SpecData[1]);
    QCOMPARE(ui.SpecData[1]->text(), QString());
    // The operator now types a good value and moves on: accepted.
    typeInto(ui.SpecData[1], QStringLiteral("30"));
    QTest::keyClick(ui.SpecData[1], Qt::Key_Tab);
    QCoreApplication::processEvents();
    QCOMPARE(f.prompts.asked.size(), size_t(1));
    QCOMPARE(focused(), ui.SpecData[2]);
}

void TestEntryFields::arrowInFlagList_data()
{
    QTest::addColumn<bool>("armed");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("focusName"); // objectName of the widget that has the focus after
    QTest::addColumn<int>("flag");          // flag list position after
    QTest::newRow("setup Down moves to Position") << false << int(Qt::Key_Down) << "position" << 0;
    QTest::newRow("setup Up moves to Seg 3") << false << int(Qt::Key_Up) << "seg3" << 0;
    QTest::newRow("armed Down steps the picked flag") << true << int(Qt::Key_Down) << "text2" << 1;
    QTest::newRow("armed Up at Green changes nothing") << true << int(Qt::Key_Up) << "text2" << 0;
}

void TestEntryFields::arrowInFlagList()
{
    QFETCH(bool, armed);
    QFETCH(int, key);
    QFETCH(QString, focusName);
    QFETCH(int, flag);

    RaceFixture f(3);

    activate(f);
    auto &ui = f.w->ui;
    ui.cmbSpecData[5]->setCurrentIndex(0);
    if (armed)
        f.arm();
    focusOn(ui.cmbSpecData[5]);
    QCOMPARE(focused(), ui.cmbSpecData[5]);
    QTest::keyClick(ui.cmbSpecData[5], Qt::Key(key));
    QCoreApplication::processEvents();

    const QMap<QString, QWidget *> names{{"position", ui.cmbSpecData[6]},
                                         {"seg3", ui.SpecData[3]},
                                         {"text2", ui.Text2}};
    QCOMPARE(focused(), names.value(focusName));
    QCOMPARE(ui.cmbSpecData[5]->currentIndex(), flag);
    QCOMPARE(ui.Label1[4]->text(), ui.cmbSpecData[5]->currentText());
}

// In the editing face the selectors are hidden: arrow keys belong to the
// field, so the caret moves in a segment field and a list steps its item.
void TestEntryFields::arrowsAfterRaceEditTheField()
{
    RaceFixture f(3);
    activate(f);
    timeRace(f, 3);
    auto &ui = f.w->ui;
    QCOMPARE(f.state.rec.CurLap, qint16(3));
    focusOn(ui.SpecData[1]);
    QTest::keyClick(ui.SpecData[1], Qt::Key_End);
    QTest::keyClick(ui.SpecData[1], Qt::Key_Left);
    QTest::keyClick(ui.SpecData[1], Qt::Key_Left);
    QTest::keyClick(ui.SpecData[1], Qt::Key_Backspace);
    QCOMPARE(ui.SpecData[1]->text(), QStringLiteral("20.00")); // "20.500" without its '5'
    QCOMPARE(f.state.rec.SelectorPos, qint16(0));

    focusOn(ui.cmbSpecData[0]);
    QTest::keyClick(ui.cmbSpecData[0], Qt::Key_Up); // lap 3 -> lap 2
    QCOMPARE(f.state.rec.CurLap, qint16(2));
    QCOMPARE(f.state.grid.SelStartRow, 2);
    QCOMPARE(ui.SpecData[1]->text(), QStringLiteral("20.250"));
}

void TestEntryFields::selectorKeys_data()
{
    QTest::addColumn<QList<int>>("keys");
    QTest::addColumn<int>("selectorPos");
    QTest::addColumn<QList<int>>("lists"); // flag, position, traffic positions after

    const int L = Qt::Key_Left, R = Qt::Key_Right, U = Qt::Key_Up, D = Qt::Key_Down;
    QTest::newRow("Left three times stays on flag") << QList<int>{L, L, L} << 0 << QList<int>{0, 0, 1};
    QTest::newRow("Right five times stops at traffic") << QList<int>{R, R, R, R, R} << 2
                                                       << QList<int>{0, 0, 1};
    QTest::newRow("traffic Down twice stops at the last")
        << QList<int>{L, L, L, R, R, R, R, R, D, D} << 2 << QList<int>{0, 0, 2};
    QTest::newRow("traffic Down once") << QList<int>{R, R, D} << 2 << QList<int>{0, 0, 2};
    QTest::newRow("Up at position 1") << QList<int>{R, U} << 1 << QList<int>{0, 0, 1};
    QTest::newRow("position Down then Up") << QList<int>{R, D, D, U} << 1 << QList<int>{0, 1, 1};
    QTest::newRow("flag Down then Down") << QList<int>{D, D} << 0 << QList<int>{1, 0, 1};
}

void TestEntryFields::selectorKeys()
{
    QFETCH(QList<int>, keys);
    QFETCH(int, selectorPos);
    QFETCH(QList<int>, lists);

    RaceFixture f(2);

    activate(f);
    auto &ui = f.w->ui;
    f.arm();
    f.pressAt(2);
    for (int k = 2; k <= 4; ++k)
        QVERIFY(foreColourNumber(ui.Label4[k]) != 9); // nothing picked before the first arrow key
    for (int k : keys)
        f.key(Qt::Key(k));
    QCOMPARE(f.state.rec.SelectorPos, qint16(selectorPos));
    for (int i = 0; i < 3; ++i)
        QCOMPARE(foreColourNumber(ui.Label4[2 + i]), i == selectorPos ? 9 : 0);
    QCOMPARE(ui.cmbSpecData[5]->currentIndex(), lists[0]);
    QCOMPARE(ui.cmbSpecData[6]->currentIndex(), lists[1]);
    QCOMPARE(ui.cmbSpecData[7]->currentIndex(), lists[2]);
    QCOMPARE(ui.Label1[4]->text(), ui.cmbSpecData[5]->currentText());
    QCOMPARE(ui.Label1[2]->text(), ui.cmbSpecData[6]->currentText());
    QCOMPARE(ui.Label1[3]->text(), ui.cmbSpecData[7]->currentText());
    QCOMPARE(focused(), ui.Text2);
    // The next lap carries what was set.
    f.pressAt(5);
    f.pressAt(8);
    QCOMPARE(f.state.rec.reading(1, 5), double(lists[0]));
    QCOMPARE(f.state.rec.reading(1, 6), double(lists[1]));
    QCOMPARE(f.state.rec.reading(1, 7), double(lists[2]));
}

void TestEntryFields::flagColoursCurrentDisplays()
{
    RaceFixture f(2);
    activate(f);
    auto &ui = f.w->ui;
    QComboBox *flag = ui.cmbSpecData[5];
    flag->setCurrentIndex(0);
    for (int pick : {1, 0, 1}) {
        flag->setCurrentIndex(pick);
        QCOMPARE(ui.Label1[4]->text(), pick ? QStringLiteral("Yellow") : QStringLiteral("Green"));
        for (int k = 0; k <= 4; ++k)
            QCOMPARE(foreColourNumber(ui.Label1[k]), pick ? 14 : 2);
    }
}

void TestEntryFields::arrowButtonReturnsFocusForNextPress()
{
    RaceFixture f(1);
    activate(f);
    auto &ui = f.w->ui;
    f.arm();
    f.pressAt(2);
    focusOn(ui.cmbSpecData[6]);
    QTest::mouseClick(ui.Command1[1], Qt::LeftButton); // "\/ F7": position down
    QCOMPARE(focused(), ui.Text2);
    QCOMPARE(ui.cmbSpecData[6]->currentText(), QStringLiteral("2"));
    f.pressAt(30);
    QCOMPARE(f.state.rec.reading(1, 1), 30.0);
    QCOMPARE(f.cell(1, 7), QStringLiteral("2"));
}

void TestEntryFields::lapListAfterRaceShowsThatLap_data()
{
    QTest::addColumn<int>("chosen"); // lap list item
    QTest::addColumn<int>("shown");
    QTest::newRow("lap 12") << 12 << 12;
    QTest::newRow("lap 1") << 1 << 1;
    QTest::newRow("beyond the last lap") << 200 << 20;
}

void TestEntryFields::lapListAfterRaceShowsThatLap()
{
    QFETCH(int, chosen);
    QFETCH(int, shown);
    RaceFixture f(3);
    activate(f);
    timeRace(f, 20);
    auto &ui = f.w->ui;
    QCOMPARE(f.state.rec.CurLap, qint16(20));
    ui.cmbSpecData[0]->setCurrentIndex(chosen - 1);
    const ResultsGrid &g = f.state.grid;
    QCOMPARE(int(f.state.rec.CurLap), shown);
    QCOMPARE(ui.cmbSpecData[0]->currentIndex(), shown - 1);
    QCOMPARE(g.SelStartRow, shown);
    QCOMPARE(g.SelEndRow, shown);
    QCOMPARE(g.SelStartCol, 1);
    QCOMPARE(g.SelEndCol, 8);
    QCOMPARE(ui.SpecData[1]->text(), formatTime(20 + (shown - 1) / 4.0));
    QCOMPARE(ui.SpecData[2]->text(), QStringLiteral("21.000"));
    QCOMPARE(ui.SpecData[3]->text(), QStringLiteral("22.000"));
    const QModelIndexList sel = ui.Grid1->selectionModel()->selectedIndexes();
    QCOMPARE(sel.size(), 8);
    QCOMPARE(sel.first().row(), shown - 1);
    QCOMPARE(f.prompts.unexpectedCount(), 0);
}

void TestEntryFields::conditionChoiceAfterRaceWaitsForKeepChanges()
{
    RaceFixture f(3);
    activate(f);
    timeRace(f, 4);
    auto &ui = f.w->ui;
    ui.cmbSpecData[0]->setCurrentIndex(1); // lap 2
    ui.cmbSpecData[5]->setCurrentIndex(1); // "Yellow"
    QCOMPARE(f.state.rec.reading(2, 5), 0.0);
    QCOMPARE(f.cell(2, 6), QStringLiteral("Green"));
    QCOMPARE(f.state.rec.CurLap, qint16(2));
    QTest::mouseClick(ui.Command3[3], Qt::LeftButton); // Keep Changes
    QCOMPARE(f.state.rec.reading(2, 5), 1.0);
    QCOMPARE(f.cell(2, 6), QStringLiteral("Yellow"));
    QCOMPARE(f.cell(3, 6), QStringLiteral("Green"));
}

void TestEntryFields::namePanelClickFocusesItsField_data()
{
    QTest::addColumn<int>("panel");
    QTest::newRow("Seg 3") << 3;
    QTest::newRow("Lap #") << 0;
    QTest::newRow("Traffic") << 7;
}

void TestEntryFields::namePanelClickFocusesItsField()
{
    QFETCH(int, panel);
    RaceFixture f(3);
    activate(f);
    timeRace(f, 2);
    auto &ui = f.w->ui;
    focusOn(ui.SpecData[1]);
    QTest::mouseClick(ui.SpecName[panel], Qt::LeftButton);
    QWidget *want = panel >= 1 && panel <= 4 ? static_cast<QWidget *>(ui.SpecData[panel])
                                             : static_cast<QWidget *>(ui.cmbSpecData[panel]);
    QCOMPARE(focused(), want);
    if (panel == 3) {
        QCOMPARE(f.w->entryFields().CurSpecIndex, 3);
        QCOMPARE(f.w->entryFields().SpecOldValue, QStringLiteral("22.000"));
    }
}

void TestEntryFields::numberOfSegments_data()
{
    QTest::addColumn<QList<QString>>("answers"); // "<cancel>" cancels the box
    QTest::addColumn<int>("numSegs");            // from 3
    QTest::addColumn<int>("refusals");

    QTest::newRow("2.5 gives 2") << QList<QString>{"2.5"} << 2 << 0;
    QTest::newRow("3.5 gives 4") << QList<QString>{"3.5"} << 4 << 0;
    QTest::newRow("1 whole laps") << QList<QString>{"1"} << 1 << 0;
    QTest::newRow("4 with the default's blank") << QList<QString>{" 4"} << 4 << 0;
    QTest::newRow("1.4 gives 1") << QList<QString>{"1.4"} << 1 << 0;
    QTest::newRow("0 refused then 2") << QList<QString>{"0", "2"} << 2 << 1;
    QTest::newRow("5 refused then empty") << QList<QString>{"5", ""} << 3 << 1;
    QTest::newRow("empty keeps") << QList<QString>{""} << 3 << 0;
    QTest::newRow("cancel keeps") << QList<QString>{"<cancel>"} << 3 << 0;
    QTest::newRow("not numbers refused")
        << QList<QString>{"nan", "inf", "-0", "1e9", "   ", "4.0001", "0.9", "two", "1"} << 1 << 8;
}

void TestEntryFields::numberOfSegments()
{
    QFETCH(QList<QString>, answers);
    QFETCH(int, numSegs);
    QFETCH(int, refusals);

    RaceFixture f(3);

    activate(f);
    timeRace(f, 2);
    f.prompts.clear();
    for (const QString &a : answers)
        f.prompts.type(a == QLatin1String("<cancel>") ? std::nullopt : std::optional<QString>(a));
    f.w->ui.mnuNumSeg->trigger();

    const auto &asked = f.prompts.asked;
    QCOMPARE(asked.size(), size_t(1 + answers.size() + refusals));
    QCOMPARE(asked[0].message.title, QStringLiteral("Splitwatch"));
    QCOMPARE(asked[0].message.text,
             QStringLiteral("Changing the number of segments will restart the race timing, and erase "
                            "any results you have not saved."));
    QCOMPARE(asked[0].message.icon, Icon::None);
    size_t k = 1;
    for (qsizetype i = 0; i < answers.size(); ++i) {
        QCOMPARE(asked[k].kind, ScriptedPrompts::Asked::Input);
        QCOMPARE(asked[k].title, QStringLiteral("Number of Segments"));
        QCOMPARE(asked[k].prompt, QStringLiteral("Enter the number of segments, a number from 1 to "
                                                 "4.  (Entering 1 means you will record complete "
                                                 "lap times only.)"));
        QCOMPARE(asked[k].def, QStringLiteral(" 3"));
        ++k;
        if (k < asked.size() && asked[k].kind == ScriptedPrompts::Asked::Message) {
            QCOMPARE(asked[k].message.text,
                     QStringLiteral("You must enter a number from 1 to 4.  Try again."));
            ++k;
        }
    }
    QCOMPARE(f.prompts.unexpectedCount(), 0);
    QCOMPARE(int(f.state.rec.NumSegs), numSegs);
    auto &ui = f.w->ui;
    for (int i = 1; i <= 4; ++i)
        QCOMPARE(ui.SpecData[i]->isVisible(), i <= numSegs);
    const bool erased = f.state.rec.reading(1, 1) == 0;
    const bool accepted = !answers.last().isEmpty() && answers.last() != QLatin1String("<cancel>");
    QCOMPARE(erased, accepted);
    QCOMPARE(f.state.rec.RaceState, qint16(RaceFinished)); // not changed by the command
}

void TestEntryFields::optionsMenuCaption()
{
    for (int n : {2, 4}) {
        RaceFixture f(n);
        emit f.w->ui.mnuOptions->aboutToShow();
        QCOMPARE(f.w->ui.mnuNumSeg->text(),
                 QStringLiteral("Change Number Segments (currently %1)").arg(n));
    }
}

void TestEntryFields::activationRefill_data()
{
    QTest::addColumn<bool>("fromDialog"); // a message or input box rather than another window
    QTest::addColumn<bool>("racing");
    QTest::addColumn<bool>("emptied");
    QTest::newRow("another window in setup") << false << false << true;
    QTest::newRow("a message box in setup") << true << false << false;
    QTest::newRow("another window during the race") << false << true << false;
}

void TestEntryFields::activationRefill()
{
    QFETCH(bool, fromDialog);
    QFETCH(bool, racing);
    QFETCH(bool, emptied);

    RaceFixture f(2);

    activate(f);
    auto &ui = f.w->ui;
    QApplication::setActiveWindow(f.w.get());
    QCoreApplication::processEvents();
    ui.cmbSpecData[6]->setCurrentIndex(4);
    if (racing) {
        f.arm();
        f.pressAt(2);
        f.pressAt(25);
    } else {
        ui.SpecData[1]->setText(QStringLiteral("25"));
    }
    std::unique_ptr<QWidget> other;
    if (fromDialog)
        other = std::make_unique<QDialog>(f.w.get());
    else
        other = std::make_unique<QWidget>();
    other->show();
    QApplication::setActiveWindow(other.get());
    QCoreApplication::processEvents();
    QVERIFY(!f.w->isActiveWindow());
    other->hide();
    QApplication::setActiveWindow(f.w.get());
    QCoreApplication::processEvents();
    QVERIFY(f.w->isActiveWindow());

    QCOMPARE(ui.SpecData[1]->text().isEmpty(), emptied);
    QCOMPARE(ui.cmbSpecData[6]->currentIndex(), emptied ? -1 : 4);
}

// The timing face in a race under the yellow flag with the position
// selector picked, saved for looking at.
void TestEntryFields::timingFaceScreenshot()
{
    RaceFixture f(3);
    activate(f);
    auto &ui = f.w->ui;
    f.arm();
    double t = 1;
    f.pressAt(t);
    for (int i = 0; i < 7; ++i)
        f.pressAt(t += 20.5 + i % 3);
    f.F(5);                   // yellow
    f.key(Qt::Key_Right);     // pick the position
    f.key(Qt::Key_Down);      // position 2
    f.key(Qt::Key_Down);      // position 3
    f.tickTo(t + 12.25);
    QCoreApplication::processEvents();
    QCOMPARE(foreColourNumber(ui.Label4[3]), 9);
    QCOMPARE(foreColourNumber(ui.Label1[4]), 14);
    QCOMPARE(ui.Label1[2]->text(), QStringLiteral("3"));
    const QImage shot = f.w->grab().toImage();
    QVERIFY(shot.save(QStringLiteral("/tmp/splitwatch_timing_face.png")));
}

QTEST_MAIN(TestEntryFields)
#include "tst_entryfields.moc"
