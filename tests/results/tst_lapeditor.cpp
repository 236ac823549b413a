// Post-race editing through the real main window: Insert, Delete, Keep
// Changes and Cancel Changes with their questions, on a timed race.

#include "support/RaceFixture.h"

#include "results/EntryFields.h"
#include "timing/NumberText.h"

#include <QApplication>

#include <QtTest>

#include <vector>

using namespace sw;

namespace {

constexpr int kLaps = 10;

// Segment times of the test race (3 segments): 20.3, 20.3, 22.3 s, except a
// missed press in lap 5 (segment 2 lasts 41.2 s) and a short last segment
// in lap 3 (22.1 s). Lap 6 is run under the yellow flag.
double segmentTime(int lap, int seg)
{
    if (lap == 5 && seg == 2)
        return 41.2;
    if (lap == 3 && seg == 3)
        return 22.1;
    return seg == 3 ? 22.3 : 20.3;
}

void timeRace(RaceFixture &f)
{
    QApplication::setActiveWindow(f.w.get());
    f.arm();
    double t = 1;
    f.pressAt(t);
    for (int lap = 1; lap <= kLaps; ++lap) {
        f.F(lap == 6 ? 5 : 4); // flag down (Yellow) for lap 6 only
        for (int seg = 1; seg <= 3; ++seg)
            f.pressAt(t += segmentTime(lap, seg));
    }
    f.finish();
    f.prompts.clear();
}

std::vector<double> snapshot(const RaceRecord &r)
{
    std::vector<double> v;
    for (int lap = 0; lap < RaceRecord::Rows; ++lap)
        for (int c = 1; c <= 7; ++c)
            v.push_back(r.reading(lap, c));
    return v;
}

// Shows a lap and puts the focus into one of its segment fields, which
// makes that segment the one the commands work on.
void pickSegment(RaceFixture &f, int lap, int seg)
{
    f.w->ui.cmbSpecData[0]->setCurrentIndex(lap - 1);
    f.w->ui.SpecData[seg]->setFocus(Qt::OtherFocusReason);
}

void click(QPushButton *b)
{
    QTest::mouseClick(b, Qt::LeftButton);
    QCoreApplication::processEvents();
}

void typeInto(QLineEdit *e, const QString &text)
{
    e->setFocus(Qt::OtherFocusReason);
    QTest::keyClicks(e, text);
    QTest::keyClick(e, Qt::Key_Tab);
}

// Segment times of laps from..to as the grid shows them, and their lap times.
QStringList cells(RaceFixture &f, int from, int to)
{
    QStringList l;
    for (int lap = from; lap <= to; ++lap)
        l << f.cell(lap, 1) + QLatin1Char(' ') + f.cell(lap, 2) + QLatin1Char(' ') + f.cell(lap, 3)
                 + QLatin1String(" = ") + f.cell(lap, 5);
    return l;
}

const QString kCr(QChar(13));

} // namespace

class TestLapEditor : public QObject
{
    Q_OBJECT
private slots:
    void insertSplitsMissedPress();
    void insertAmountsThatChangeNothing_data();
    void insertAmountsThatChangeNothing();
    void negativeInsertAmountPasses();
    void plausibleSegmentAsksFirst_data();
    void plausibleSegmentAsksFirst();
    void deleteJoinsLastSegmentWithNextLap();
    void keepChanges_data();
    void keepChanges();
    void cancelChangesRestoresFieldsAndLists();
    void editingFaceScreenshot();
};

void TestLapEditor::insertSplitsMissedPress()
{
    RaceFixture f(3);
    timeRace(f);
    auto &ui = f.w->ui;
    QCOMPARE(f.state.rec.ModeSecs[0][1], qint16(20));
    pickSegment(f, 5, 2);
    QCOMPARE(ui.SpecData[2]->text(), QStringLiteral("41.200"));
    f.prompts.type(QStringLiteral("20.6"));
    click(ui.Command3[0]);

    // 41.2 is 21.2 s away from the anticipated 20 s: no question, only the
    // amount. Leaving the field rewrote it in its plain form.
    QCOMPARE(f.prompts.asked.size(), size_t(1));
    const auto &in = f.prompts.asked[0];
    QCOMPARE(in.kind, ScriptedPrompts::Asked::Input);
    QCOMPARE(in.title, QStringLiteral("Enter Time to Insert"));
    QCOMPARE(in.def, QStringLiteral("0"));
    QCOMPARE(in.prompt, QStringLiteral("Enter the amount of time to insert ahead of this current "
                                       "reading.  Note that this will split the current reading of "
                                       "41.2 into 2 readings, the one you will enter and the "
                                       "remaining portion will go to the next segment."));
    QCOMPARE(cells(f, 4, 7), (QStringList{"20.300 20.300 22.300 = 62.900",
                                          "20.300 20.600 20.600 = 61.500",
                                          "22.300 20.300 20.300 = 62.900",
                                          "22.300 20.300 20.300 = 62.900"}));
    // The flag stayed with lap 6.
    QCOMPARE(f.cell(5, 6), QStringLiteral("Green"));
    QCOMPARE(f.cell(6, 6), QStringLiteral("Yellow"));
    QCOMPARE(f.cell(7, 6), QStringLiteral("Green"));
    QCOMPARE(f.state.rec.reading(6, 5), 1.0);
    // The edited lap stays selected.
    QCOMPARE(f.state.rec.CurLap, qint16(5));
    QCOMPARE(f.state.grid.SelStartRow, 5);
    QCOMPARE(ui.SpecData[2]->text(), QStringLiteral("20.600"));
    QCOMPARE(f.state.rec.LastLap, qint16(kLaps));
}

void TestLapEditor::insertAmountsThatChangeNothing_data()
{
    QTest::addColumn<QString>("amount"); // "<cancel>" cancels the box
    QTest::newRow("zero") << "0";
    QTest::newRow("empty") << "";
    QTest::newRow("cancel") << "<cancel>";
    QTest::newRow("nan") << "nan";
    QTest::newRow("inf") << "inf";
    QTest::newRow("1e400") << "1e400";
    QTest::newRow("letters") << "abc";
    QTest::newRow("the whole segment") << "41.2";
    QTest::newRow("more than the segment") << "50";
}

void TestLapEditor::insertAmountsThatChangeNothing()
{
    QFETCH(QString, amount);
    RaceFixture f(3);
    timeRace(f);
    pickSegment(f, 5, 2);
    const std::vector<double> before = snapshot(f.state.rec);
    const QStringList shown = cells(f, 1, kLaps);
    f.prompts.type(amount == QLatin1String("<cancel>") ? std::nullopt : std::optional<QString>(amount));
    click(f.w->ui.Command3[0]);
    QCOMPARE(f.prompts.asked.size(), size_t(1)); // the amount only, no message after it
    QVERIFY(snapshot(f.state.rec) == before);
    QCOMPARE(cells(f, 1, kLaps), shown);
}

void TestLapEditor::negativeInsertAmountPasses()
{
    RaceFixture f(3);
    timeRace(f);
    pickSegment(f, 5, 2);
    f.prompts.type(QStringLiteral("-1"));
    click(f.w->ui.Command3[0]);
    QCOMPARE(cells(f, 5, 5), QStringList{"20.300 .000 42.200 = 61.500"});
}

void TestLapEditor::plausibleSegmentAsksFirst_data()
{
    QTest::addColumn<bool>("insert");
    QTest::addColumn<bool>("yes");
    QTest::newRow("insert answered No") << true << false;
    QTest::newRow("delete answered No") << false << false;
    QTest::newRow("delete answered Yes") << false << true;
}

void TestLapEditor::plausibleSegmentAsksFirst()
{
    QFETCH(bool, insert);
    QFETCH(bool, yes);
    RaceFixture f(3);
    timeRace(f);
    QCOMPARE(f.state.rec.ModeSecs[0][2], qint16(22));
    pickSegment(f, 3, 3); // 22.1 s against the anticipated 22 s
    const std::vector<double> before = snapshot(f.state.rec);
    f.prompts.answer(yes ? Answer::Yes : Answer::No);
    click(f.w->ui.Command3[insert ? 0 : 1]);

    QCOMPARE(f.prompts.asked.size(), size_t(1));
    const MessageSpec &m = f.prompts.asked[0].message;
    QCOMPARE(m.title, insert ? QStringLiteral("Continue with Insert?") : QStringLiteral("Continue with Delete?"));
    QCOMPARE(m.text, "This segment (22.1 seconds) appears to be correct (within 3 seconds of the "
                     "anticipated segment time of 22)." + kCr + kCr
                         + "Do you still want to make this change?");
    QCOMPARE(m.buttons, Buttons::YesNo);
    QCOMPARE(m.icon, Icon::Question);
    QCOMPARE(m.defaultButton, Answer::No);
    QCOMPARE(snapshot(f.state.rec) == before, !yes);
    if (yes) // lap 3's last segment joined with lap 4's first
        QCOMPARE(cells(f, 3, 3), QStringList{"20.300 20.300 42.400 = 83.000"});
}

void TestLapEditor::deleteJoinsLastSegmentWithNextLap()
{
    RaceFixture f(3);
    timeRace(f);
    pickSegment(f, 5, 3);
    f.prompts.answer(Answer::Yes); // 22.3 s looks right: asked first
    click(f.w->ui.Command3[1]);
    QCOMPARE(f.prompts.asked.size(), size_t(1));
    QCOMPARE(f.prompts.asked[0].message.title, QStringLiteral("Continue with Delete?"));
    QCOMPARE(cells(f, 5, 6), (QStringList{"20.300 41.200 42.600 = 104.100",
                                          "20.300 22.300 20.300 = 62.900"}));
    // The last lap takes the empty reading after the race.
    QCOMPARE(f.cell(kLaps, 3), QStringLiteral(".000"));
    QCOMPARE(f.cell(6, 6), QStringLiteral("Yellow"));
    QCOMPARE(f.state.rec.CurLap, qint16(5));
}

void TestLapEditor::keepChanges_data()
{
    QTest::addColumn<int>("lap");
    QTest::addColumn<int>("seg");        // 0: no segment edited
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("flag");       // flag chosen before Keep Changes
    QTest::addColumn<QStringList>("laps"); // lap and the next, as shown after
    QTest::addColumn<int>("selected");

    QTest::newRow("segment 1 of lap 2 longer")
        << 2 << 1 << "21.3" << 0
        << QStringList{"21.300 19.300 22.300 = 62.900", "20.300 20.300 22.100 = 62.700"} << 3;
    QTest::newRow("last segment of lap 2 longer")
        << 2 << 3 << "23.3" << 0
        << QStringList{"20.300 20.300 23.300 = 63.900", "19.300 20.300 22.100 = 61.700"} << 3;
    QTest::newRow("no segment edited, flag stored")
        << 2 << 0 << "" << 1
        << QStringList{"20.300 20.300 22.300 = 62.900", "20.300 20.300 22.100 = 62.700"} << 2;
    QTest::newRow("last lap stays selected")
        << kLaps << 1 << "21.3" << 1
        << QStringList{"21.300 19.300 22.300 = 62.900", ".000 .000 .000 = "} << kLaps;
}

void TestLapEditor::keepChanges()
{
    QFETCH(int, lap);
    QFETCH(int, seg);
    QFETCH(QString, typed);
    QFETCH(int, flag);
    QFETCH(QStringList, laps);
    QFETCH(int, selected);

    RaceFixture f(3);
    timeRace(f);
    auto &ui = f.w->ui;
    ui.cmbSpecData[0]->setCurrentIndex(lap - 1);
    if (seg)
        typeInto(ui.SpecData[seg], typed);
    ui.cmbSpecData[5]->setCurrentIndex(flag);
    click(ui.Command3[3]);

    QCOMPARE(f.prompts.asked.size(), size_t(0));
    QStringList shown = cells(f, lap, lap + 1);
    if (lap == kLaps)
        shown[1] = QStringLiteral(".000 .000 .000 = "); // nothing recorded after the race
    QCOMPARE(shown, laps);
    QCOMPARE(f.state.rec.reading(lap, 5), double(flag));
    QCOMPARE(f.cell(lap, 6), flag ? QStringLiteral("Yellow") : QStringLiteral("Green"));
    QCOMPARE(int(f.state.rec.CurLap), selected);
    QCOMPARE(f.state.grid.SelStartRow, selected);
    QCOMPARE(ui.cmbSpecData[0]->currentIndex(), selected - 1);
    QCOMPARE(f.state.Recalc, 0);
}

void TestLapEditor::cancelChangesRestoresFieldsAndLists()
{
    RaceFixture f(3);
    timeRace(f);
    auto &ui = f.w->ui;
    ui.cmbSpecData[0]->setCurrentIndex(5); // lap 6, yellow
    const std::vector<double> before = snapshot(f.state.rec);
    typeInto(ui.SpecData[1], QStringLiteral("30"));
    ui.cmbSpecData[5]->setCurrentIndex(0);
    ui.cmbSpecData[6]->setCurrentIndex(9);
    QCOMPARE(ui.SpecData[2]->text(), QStringLiteral("10.600"));
    click(ui.Command3[4]);
    QCOMPARE(ui.SpecData[1]->text(), QStringLiteral("20.300"));
    QCOMPARE(ui.SpecData[2]->text(), QStringLiteral("20.300"));
    QCOMPARE(ui.cmbSpecData[5]->currentIndex(), 1);
    QCOMPARE(ui.cmbSpecData[6]->currentIndex(), 0);
    QCOMPARE(ui.cmbSpecData[7]->currentIndex(), 1);
    QCOMPARE(f.state.rec.CurLap, qint16(6));
    QVERIFY(snapshot(f.state.rec) == before);
}

// A 30-lap, 3-segment race with some yellow-flag laps, in the editing face,
// saved for looking at.
void TestLapEditor::editingFaceScreenshot()
{
    RaceFixture f(3);
    QApplication::setActiveWindow(f.w.get());
    f.arm();
    double t = 1;
    f.pressAt(t);
    for (int lap = 1; lap <= 30; ++lap) {
        const bool yellow = (lap >= 8 && lap <= 11) || lap == 20;
        f.F(yellow ? 5 : 4);
        for (int seg = 1; seg <= 3; ++seg)
            f.pressAt(t += 20 + seg + (yellow ? 4 : 0) + (lap * 7 + seg * 3) % 10 / 10.0);
    }
    f.finish();
    f.w->ui.cmbSpecData[0]->setCurrentIndex(9);
    f.w->ui.Option1[0]->click();
    QCoreApplication::processEvents();
    const QImage shot = f.w->grab().toImage();
    QVERIFY(!shot.isNull());
    QVERIFY(shot.save(QStringLiteral("/tmp/splitwatch_editing_face.png")));
    QCOMPARE(f.cell(10, 6), QStringLiteral("Yellow"));
}

QTEST_MAIN(TestLapEditor)
#include "tst_lapeditor.moc"
