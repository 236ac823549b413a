// Whole-program flows: stories an operator lives through, driven through the
// real main window with scripted answers and a hand-driven clock. Each test
// checks what the operator sees: grid cells, the statistics table, the
// conditions, the caption, the questions asked, files written.

#include "flows/RaceScript.h"
#include "support/RaceFixture.h"

#include "app/Startup.h"
#include "files/FileCommands.h"
#include "files/LapFile.h"
#include "files/frmComments.h"
#include "results/EntryFields.h"
#include "graph/GraphView.h"
#include "printing/PdfPrinterSource.h"
#include "printing/PdfWords.h"
#include "printing/PrintCommands.h"
#include "printing/PrinterSource.h"
#include "app/PrintHelpMenus.h"
#include "ui/Twips.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QtTest>

using namespace sw;

namespace {

const QString kCr(QChar(13));

// ---- the 20-lap race ------------------------------------------------------------

// Three segments a lap. The yellow-flag laps 3 and 4 are 4 s slower in the
// second segment; the last lap is a sprint (the only lap under 83 s).
SegmentTable twentyLaps()
{
    SegmentTable t;
    for (int lap = 1; lap <= 20; ++lap) {
        const bool yellow = lap == 3 || lap == 4;
        t.push_back({30 + (3 * lap % 10) / 10.0, 25 + (7 * lap % 10) / 10.0 + (yellow ? 4 : 0),
                     lap == 20 ? 26.4 : 28 + ((9 * lap + 1) % 10) / 10.0});
    }
    return t;
}

// The operator's condition keys: flag down in lap 3 and up again in lap 5,
// position down in lap 9, held up by traffic in laps 16 to 18.
RaceScript twentyLapScript(const SegmentTable &t)
{
    RaceScript s(2.0, t);
    s.keysAfter(3, 1, {5}).keysAfter(5, 1, {4}).keysAfter(9, 2, {7}).keysAfter(16, 1, {9}).keysAfter(19, 1, {8});
    return s;
}

QString flagOf(int lap)
{
    return lap == 3 || lap == 4 ? QStringLiteral("Yellow") : QStringLiteral("Green");
}
QString positionOf(int lap)
{
    return lap >= 9 ? QStringLiteral("2") : QStringLiteral("1");
}
QString trafficOf(int lap)
{
    return lap >= 16 && lap <= 18 ? QStringLiteral("Held up by Traffic") : QStringLiteral("In Traffic");
}

// ---- driving the window ------------------------------------------------------------

// The fixture's window is the active window, so focus moves send real
// focus events (a segment field sets the segment the buttons work on).
void activate(RaceFixture &f)
{
    QApplication::setActiveWindow(f.w.get());
    QCoreApplication::processEvents();
}

void click(QPushButton *b)
{
    QTest::mouseClick(b, Qt::LeftButton);
    QCoreApplication::processEvents();
}

// Shows a lap through the lap list and puts the focus into one of its
// segment fields.
void pickSegment(RaceFixture &f, int lap, int seg)
{
    f.w->ui.cmbSpecData[0]->setCurrentIndex(lap - 1);
    f.w->ui.SpecData[seg]->setFocus(Qt::OtherFocusReason);
}

// Types a new time into a segment field and leaves it with Tab.
void typeInto(QLineEdit *e, const QString &text)
{
    e->setFocus(Qt::OtherFocusReason);
    QTest::keyClicks(e, text);
    QTest::keyClick(e, Qt::Key_Tab);
}

// One grid row as the operator reads it: segments 1..4 = lap | flag pos traffic.
QString rowOf(const RaceFixture &f, int lap)
{
    QStringList l;
    for (int c = 1; c <= 8; ++c)
        l << f.cell(lap, c);
    return l.join(QLatin1Char('|'));
}

QStringList rows(const RaceFixture &f, int from, int to)
{
    QStringList l;
    for (int lap = from; lap <= to; ++lap)
        l << rowOf(f, lap);
    return l;
}

// The row a table of segment times should give, conditions apart.
QString timesRow(const std::vector<double> &segs)
{
    QStringList l;
    double lap = 0;
    for (int s = 0; s < 4; ++s) {
        l << (s < int(segs.size()) ? QString::number(segs[s], 'f', 3) : QString());
        if (s < int(segs.size()))
            lap += segs[s];
    }
    l << QString::number(lap, 'f', 3);
    return l.join(QLatin1Char('|'));
}

QStringList statistics(const RaceFixture &f)
{
    QStringList l;
    for (const QString &t : f.state.grid.Label3)
        l << t;
    return l;
}

QStringList toList(const std::array<QString, 15> &a)
{
    QStringList l;
    for (const QString &t : a)
        l << t;
    return l;
}

QStringList askedTitles(const ScriptedPrompts &p)
{
    QStringList l;
    for (const auto &a : p.asked)
        l << (a.kind == ScriptedPrompts::Asked::Message ? a.message.title
              : a.kind == ScriptedPrompts::Asked::Input ? a.title
                                                          : a.dialog.title);
    return l;
}

// Everything of a finished race the editing face shows, and what the graph
// is drawn from.
struct Shown
{
    QStringList cells; // laps 1..20, columns 1..8
    QStringList stats;
    QList<int> modeSecs;
    int NumSegs = 0;
    int LastLap = 0;
    QString caption;
    int graphFirst = 0, graphLast = 0;
    QString leftScale, rightScale;
    QList<QPointF> points;
    QImage picture;

    static Shown of(const RaceFixture &f, int laps)
    {
        Shown s;
        for (int lap = 1; lap <= laps; ++lap)
            for (int c = 1; c <= 8; ++c)
                s.cells << f.cell(lap, c);
        s.stats = statistics(f);
        for (const auto &row : f.state.rec.ModeSecs)
            for (qint16 v : row)
                s.modeSecs << v;
        s.NumSegs = f.state.rec.NumSegs;
        s.LastLap = f.state.rec.LastLap;
        s.caption = f.w->windowTitle();
        const GraphView &g = f.w->graph();
        s.graphFirst = g.GraphFirstLap();
        s.graphLast = g.GraphLastLap();
        s.leftScale = g.leftScaleText();
        s.rightScale = g.rightScaleText();
        for (int lap = 1; lap <= laps; ++lap)
            s.points << g.pointCentre(lap);
        s.picture = g.picture();
        return s;
    }
};

// ---- a start by Ravelin ---------------------------------------------------------------

// The race record a table of segment times gives, started at 5 s, with the
// flag yellow on lap 2 and the position and traffic changing lap by lap.
RaceRecord recordOf(const SegmentTable &t)
{
    RaceRecord rec;
    rec.NumSegs = qint16(t.front().size());
    rec.LastLap = qint16(t.size());
    double at = 5;
    rec.LapData[0][rec.NumSegs].set(at);
    for (int lap = 1; lap <= rec.LastLap; ++lap) {
        for (int seg = 1; seg <= rec.NumSegs; ++seg)
            rec.LapData[lap][seg].set(at += t[lap - 1][seg - 1]);
        rec.LapData[lap][5].set(lap == 2 ? 1 : 0);
        rec.LapData[lap][6].set(lap + 2);
        rec.LapData[lap][7].set(lap % 3);
    }
    return rec;
}

// A program started with "/E": the exchange input file in its folder, the
// file commands installed, the main window shown and active.
struct RavelinStart
{
    RavelinStart(const RaceRecord &race, const QString &comments)
    {
        lapFile = QDir(folder.path()).filePath(QStringLiteral("LapTimeFiles/heat3.txt"));
        inputPath = QDir(folder.path()).filePath(QStringLiteral("RavelinData.txt"));
        outputPath = QDir(folder.path()).filePath(QStringLiteral("RavelinDataSaved.txt"));
        {
            QFile in(inputPath);
            if (in.open(QIODevice::WriteOnly))
                in.write(writeLapFile(race, comments, lapFile, QLatin1Char('.')));
        } // closed: the start reads it
        startup = std::make_unique<Startup>(QStringList{QStringLiteral("/E")}, folder.path(),
                                            StartupServices{state, prompts, startupTimer, mainTimer});
        startup->extendMainWindow = [this](FrmHead &w) { cmd = installFileCommands(w); };
        startup->begin();
        w = startup->mainWindow();
        if (w) {
            w->endProgram = [this] { ++ended; };
            QCoreApplication::processEvents();
            w->Form_Activate(); // whether or not the platform activated it already
        }
    }

    AppState state;
    ScriptedPrompts prompts;
    ManualClock clock;
    ManualHiTime startupTimer{clock};
    ManualHiTime mainTimer{clock};
    QTemporaryDir folder;
    QString lapFile, inputPath, outputPath;
    int ended = 0;
    std::unique_ptr<Startup> startup;
    FrmHead *w = nullptr;
    FileCommands *cmd = nullptr;
};

QByteArray bytesOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

Q_DECLARE_METATYPE(sw::Answer)

class TestFlows : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void twentyLapRaceFixedSavedOpenedAndPrinted();
    void ravelinStartEditAndReturn_data();
    void ravelinStartEditAndReturn();
    void restartInTheMiddleOfARace();
    void fewerSegmentsAfterARace();
    void secondRaceAfterNew();
};

void TestFlows::initTestCase()
{
    QApplication::setEffectEnabled(Qt::UI_AnimateCombo, false);
}

// A 20-lap race of three segments with condition changes, a press missed in
// lap 7 and one too many in lap 14; both put right after the race, one
// segment corrected by hand, saved, erased, opened again and printed.
void TestFlows::twentyLapRaceFixedSavedOpenedAndPrinted()
{
    const SegmentTable times = twentyLaps();
    RaceFixture f(3);
    installFileCommands(*f.w);
    activate(f);
    twentyLapScript(times).missPress(7, 2).extraPress(14, 1, 12.0).run(f);
    f.finish();
    QCOMPARE(f.prompts.unexpectedCount(), 0);
    f.prompts.clear();

    // What the operator sees: lap 7's second segment runs on to the end of
    // the lap, the next laps are one segment out, and lap 13 ends with the
    // 12 s of the stray press.
    QCOMPARE(f.state.rec.RaceState, qint16(RaceFinished));
    QCOMPARE(f.state.rec.LastLap, qint16(20));
    QCOMPARE(f.cell(7, 2), QStringLiteral("54.300")); // 25.9 + 28.4
    QCOMPARE(f.cell(8, 1), QString::number(times[7][1], 'f', 3));
    QCOMPARE(f.cell(13, 3), QStringLiteral("12.000"));
    QCOMPARE(rowOf(f, 15), timesRow(times[14]) + QStringLiteral("|Green|2|In Traffic"));

    // The missed press: lap 7, segment 2, split at the 25.9 s it should have had.
    pickSegment(f, 7, 2);
    QCOMPARE(f.w->entryFields().CurSpecIndex, 2);
    f.prompts.type(QStringLiteral("25.9"));
    click(f.w->ui.Command3[0]);
    QCOMPARE(f.prompts.asked.size(), size_t(1)); // far from the usual 25 s: no question first
    QCOMPARE(f.prompts.asked[0].kind, ScriptedPrompts::Asked::Input);
    QCOMPARE(f.prompts.asked[0].title, QStringLiteral("Enter Time to Insert"));
    QCOMPARE(f.prompts.asked[0].prompt,
             QStringLiteral("Enter the amount of time to insert ahead of this current reading.  Note that "
                            "this will split the current reading of 54.3 into 2 readings, the one you will "
                            "enter and the remaining portion will go to the next segment."));
    QCOMPARE(rowOf(f, 7), timesRow(times[6]) + QStringLiteral("|Green|1|In Traffic"));
    QCOMPARE(f.cell(14, 1), QStringLiteral("12.000")); // the stray press now stands alone
    QCOMPARE(f.state.rec.LastLap, qint16(20));

    // The extra press: lap 14, segment 1 (12 s) joins the rest of the segment.
    f.prompts.clear();
    pickSegment(f, 14, 1);
    QCOMPARE(f.w->entryFields().CurSpecIndex, 1);
    QCOMPARE(f.w->ui.SpecData[1]->text(), QStringLiteral("12.000"));
    click(f.w->ui.Command3[1]);
    QCOMPARE(f.prompts.asked.size(), size_t(0));

    // Now the race reads as it was run: the same as a race timed without a
    // slip, reading for reading, cell for cell, with the same statistics.
    {
        RaceFixture clean(3);
        activate(clean);
        twentyLapScript(times).run(clean);
        clean.finish();
        QCOMPARE(rows(f, 1, 20), rows(clean, 1, 20));
        QCOMPARE(statistics(f), statistics(clean));
        QCOMPARE(f.state.rec.ModeSecs, clean.state.rec.ModeSecs);
        for (int lap = 0; lap <= 21; ++lap)
            for (int c = 1; c <= 7; ++c)
                QVERIFY2(qAbs(f.state.rec.reading(lap, c) - clean.state.rec.reading(lap, c)) < 1e-6,
                         qPrintable(QStringLiteral("lap %1 column %2").arg(lap).arg(c)));
        activate(f);
    }
    for (int lap = 1; lap <= 20; ++lap)
        QCOMPARE(rowOf(f, lap), timesRow(times[lap - 1]) + QLatin1Char('|') + flagOf(lap) + QLatin1Char('|')
                                        + positionOf(lap) + QLatin1Char('|') + trafficOf(lap));
    QCOMPARE(statistics(f), toList(expectedStatistics(times)));

    // Keep Changes: lap 3's first segment was 31.5 s, not 30.9; the second
    // gives up the difference, the lap time and the yellow flag stay.
    f.prompts.clear();
    f.w->ui.cmbSpecData[0]->setCurrentIndex(2);
    typeInto(f.w->ui.SpecData[1], QStringLiteral("31.5"));
    QCOMPARE(f.w->ui.SpecData[2]->text(), QStringLiteral("28.500"));
    click(f.w->ui.Command3[3]);
    QCOMPARE(f.prompts.asked.size(), size_t(0));
    SegmentTable edited = times;
    edited[2] = {31.5, 28.5, times[2][2]};
    QCOMPARE(rowOf(f, 3), timesRow(edited[2]) + QStringLiteral("|Yellow|1|In Traffic"));
    QCOMPARE(f.cell(3, 5), QString::number(times[2][0] + times[2][1] + times[2][2], 'f', 3));
    QCOMPARE(rowOf(f, 4), timesRow(times[3]) + QStringLiteral("|Yellow|1|In Traffic"));
    QCOMPARE(statistics(f), toList(expectedStatistics(edited)));
    QCOMPARE(f.state.rec.CurLap, qint16(4)); // Keep Changes moves on to the next lap

    // Save As into the lap-time folder.
    const QString saved = QDir(f.state.lapTimeFolder()).filePath(QStringLiteral("heat20.txt"));
    f.prompts.clear();
    f.prompts.chooseFile(saved);
    f.w->ui.mnuSaveAs->trigger();
    QCOMPARE(askedTitles(f.prompts), QStringList{QStringLiteral("Save a File")});
    const QByteArray savedBytes = bytesOf(saved);
    QVERIFY(!savedBytes.isEmpty());
    QCOMPARE(f.w->windowTitle(), QStringLiteral("Splitwatch   [ heat20.txt ]"));

    // Back on lap 1, where an opened file starts, so the graph highlights
    // the same lap before and after.
    f.w->ui.cmbSpecData[0]->setCurrentIndex(0);
    QCoreApplication::processEvents();
    const Shown before = Shown::of(f, 20);
    QCOMPARE(before.stats, toList(expectedStatistics(edited)));
    QCOMPARE(before.graphFirst, 1); // the graph shows every lap
    QCOMPARE(before.graphLast, 20);
    QVERIFY(before.points.first().x() >= 0 && before.points.last().x() >= 0);

    // New, answered Yes: everything blanked, the caption stays.
    f.prompts.clear();
    f.prompts.answer(Answer::Yes);
    f.w->ui.mnuNew->trigger();
    QCOMPARE(f.prompts.asked.size(), size_t(1));
    const MessageSpec &erase = f.prompts.asked[0].message;
    QCOMPARE(erase.title, QStringLiteral("Erase All Lap Times?"));
    QCOMPARE(erase.text, "Do you want to erase all these Lap Times and Comments for this session?" + kCr + kCr
                                 + "If you answer Yes, all specs and Comments will be blanked out.");
    QCOMPARE(erase.buttons, Buttons::YesNoCancel);
    QCOMPARE(erase.icon, Icon::Question);
    QCOMPARE(erase.defaultButton, Answer::No);
    QCOMPARE(f.state.rec.RaceState, qint16(RaceSetup));
    for (int lap = 1; lap <= 20; ++lap)
        QCOMPARE(rowOf(f, lap), QStringLiteral("|||||||"));
    QCOMPARE(statistics(f), QStringList(15, QString()));
    QCOMPARE(f.w->windowTitle(), QStringLiteral("Splitwatch   [ heat20.txt ]"));

    // Open the saved file: the race comes back as it was shown.
    f.prompts.clear();
    f.prompts.chooseFile(saved);
    f.w->ui.mnuOpen->trigger();
    QCOMPARE(askedTitles(f.prompts), QStringList{QStringLiteral("Open a File")});
    QCOMPARE(f.prompts.asked[0].dialog.initialName, QStringLiteral("heat20.txt"));
    QCoreApplication::processEvents();
    const Shown after = Shown::of(f, 20);
    QCOMPARE(after.cells, before.cells);
    QCOMPARE(after.stats, before.stats);
    QCOMPARE(after.modeSecs, before.modeSecs);
    QCOMPARE(after.NumSegs, 3);
    QCOMPARE(after.LastLap, 20);
    QCOMPARE(after.caption, before.caption);
    QCOMPARE(after.graphFirst, before.graphFirst);
    QCOMPARE(after.graphLast, before.graphLast);
    QCOMPARE(after.leftScale, before.leftScale);
    QCOMPARE(after.rightScale, before.rightScale);
    QCOMPARE(after.points, before.points);
    QVERIFY(!after.picture.isNull());
    QCOMPARE(after.picture, before.picture);
    QCOMPARE(f.state.rec.RaceState, qint16(RaceFinished));

    // Saved again without a change: not a byte differs, and no question.
    f.prompts.clear();
    f.w->ui.mnuSave->trigger();
    QCOMPARE(f.prompts.asked.size(), size_t(0));
    QCOMPARE(bytesOf(saved), savedBytes);

    // The report, printed to a PDF file: the caption and lap 20's time.
    if (!havePdfToText())
        QSKIP("pdftotext is not installed");
    const QString pdf = QDir(f.folder.path()).filePath(QStringLiteral("heat20.pdf"));
    f.prompts.clear();
    f.prompts.type(QStringLiteral("Twenty laps"));
    std::unique_ptr<PdfPrinterSource> pdfPrinter;
    std::unique_ptr<PrintCommands> pdfCommands;
    if (!f.w->printHelp().printers().hasSystemPrinter()) {
        // The way the operator goes on a computer without a printer.
        f.prompts.answer(Answer::Yes).chooseFile(pdf);
        f.w->ui.mnuPrint->trigger();
        QCOMPARE(askedTitles(f.prompts), (QStringList{QStringLiteral("Enter Report Comment"),
                                                      QStringLiteral("Splitwatch"),
                                                      QStringLiteral("Save Printout As PDF")}));
    } else {
        // A printer is set up here: the same commands on a PDF printer.
        pdfPrinter = std::make_unique<PdfPrinterSource>(pdf);
        pdfCommands = std::make_unique<PrintCommands>(f.w.get(), f.state, f.prompts, *pdfPrinter);
        pdfCommands->mnuPrint_Click();
    }
    QCOMPARE(f.prompts.unexpectedCount(), 0);
    const std::vector<PdfPage> pages = readPdfWords(pdf);
    QVERIFY(!pages.empty());
    const PdfWord *name = pages[0].find(QStringLiteral("heat20.txt"));
    QVERIFY(name);
    QCOMPARE(pages[0].lineOf(*name), (QStringList{"Splitwatch", "[", "heat20.txt", "]"}));
    const PdfWord *lap20 = nullptr;
    for (const PdfPage &p : pages)
        if (!lap20)
            lap20 = p.find(QStringLiteral("81.400"));
    QVERIFY(lap20);
    bool onLap20Line = false;
    for (const PdfPage &p : pages)
        for (const PdfWord &w : p.words)
            if (&w == lap20)
                onLap20Line = p.lineOf(w).contains(QStringLiteral("20"))
                        && p.lineOf(w).contains(QStringLiteral("26.400"));
    QVERIFY(onLap20Line);
}

void TestFlows::ravelinStartEditAndReturn_data()
{
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<bool>("ends");
    QTest::addColumn<bool>("outputWritten");
    QTest::addColumn<bool>("inputKept");
    QTest::addColumn<bool>("openOther"); // another lap-time file opened before the edit
    QTest::newRow("Yes hands the lap times back") << Answer::Yes << true << true << true << false;
    QTest::newRow("No discards the handed-over file") << Answer::No << true << false << false << false;
    QTest::newRow("Cancel keeps the program running") << Answer::Cancel << false << false << true << false;
    QTest::newRow("Yes after opening another file") << Answer::Yes << true << true << true << true;
}

// Ravelin starts the program with "/E" and a record's lap times; the
// operator looks at them, adds a comment and returns to Ravelin.
void TestFlows::ravelinStartEditAndReturn()
{
    QFETCH(Answer, answer);
    QFETCH(bool, ends);
    QFETCH(bool, outputWritten);
    QFETCH(bool, inputKept);
    QFETCH(bool, openOther);

    const SegmentTable times{{30.1, 25.2}, {30.4, 29.9}, {30.2, 25.5}, {31.0, 25.1}, {30.6, 24.8}};
    const RaceRecord race = recordOf(times);
    const QString handedComments = QStringLiteral("Heat 3\r\nwet");
    RavelinStart r(race, handedComments);
    QVERIFY(r.w);
    QVERIFY(r.cmd);

    // Loaded on the first activation, shown in the setup face.
    QCOMPARE(r.state.rec.NumSegs, qint16(2));
    QCOMPARE(r.state.rec.LastLap, qint16(5));
    QCOMPARE(r.state.CurrentFile, r.lapFile);
    QCOMPARE(r.w->windowTitle(), QStringLiteral("Splitwatch   [ heat3.txt ]"));
    QCOMPARE(r.state.rec.RaceState, qint16(RaceSetup));
    QVERIFY(r.w->ui.mnuReturnToRavelin->isVisible());
    // Positions are stored as list positions: 3 is the fourth item, "4".
    const QStringList conditions{"Green|4|In Traffic", "Yellow|5|Held up by Traffic", "Green|6|Not in Traffic",
                                 "Green|7|In Traffic", "Green|8|Held up by Traffic"};
    for (int lap = 1; lap <= 5; ++lap) {
        QStringList l;
        for (int c = 1; c <= 8; ++c)
            l << r.state.grid.cell(lap, c);
        QCOMPARE(l.join(QLatin1Char('|')), timesRow(times[lap - 1]) + QLatin1Char('|') + conditions[lap - 1]);
    }
    QCOMPARE(r.state.Comments, handedComments);

    // Another record's lap times, opened from the lap-time folder: they are
    // what goes back, and the path line names that file.
    const SegmentTable otherTimes{{28.5, 24.0}, {28.7, 24.4}, {29.0, 24.1}};
    RaceRecord handedBack = race;
    QString comments = handedComments;
    QString current = r.lapFile;
    if (openOther) {
        handedBack = recordOf(otherTimes);
        comments = QStringLiteral("Heat 4");
        current = QDir(r.folder.path()).filePath(QStringLiteral("LapTimeFiles/heat4.txt"));
        {
            QFile other(current);
            QVERIFY(other.open(QIODevice::WriteOnly));
            other.write(writeLapFile(handedBack, comments, std::nullopt, QLatin1Char('.')));
        }
        r.prompts.clear();
        r.prompts.chooseFile(current);
        r.w->ui.mnuOpen->trigger();
        QCOMPARE(askedTitles(r.prompts), QStringList{QStringLiteral("Open a File")});
        QCOMPARE(r.state.CurrentFile, current);
        QCOMPARE(r.w->windowTitle(), QStringLiteral("Splitwatch   [ heat4.txt ]"));
        QCOMPARE(r.state.rec.LastLap, qint16(3));
        QCOMPARE(r.state.grid.cell(3, 5), QStringLiteral("53.100"));
        QCOMPARE(r.state.rec.RaceState, qint16(RaceSetup)); // still the setup face
    }

    // The edit: a line added to the comments.
    r.prompts.clear();
    r.w->ui.mnuComments->trigger();
    frmComments *c = r.cmd->commentsWindow();
    QVERIFY(c);
    QApplication::setActiveWindow(c);
    QCoreApplication::processEvents();
    c->Text1->setFocus();
    c->Text1->moveCursor(QTextCursor::End);
    QTest::keyClick(c->Text1, Qt::Key_Return);
    QTest::keyClicks(c->Text1, QStringLiteral("lap 2 under yellow"));
    QTest::mouseClick(c->Command1[0], Qt::LeftButton);
    QCoreApplication::processEvents();
    const QString edited = comments + QStringLiteral("\r\nlap 2 under yellow");
    QCOMPARE(r.state.Comments, edited);
    QCOMPARE(r.prompts.asked.size(), size_t(0));

    // "Return to Ravelin".
    r.prompts.answer(answer);
    r.w->ui.mnuReturnToRavelin->trigger();
    QCOMPARE(r.prompts.asked.size(), size_t(1)); // comments are not entry fields: no "Save Changes?"
    const MessageSpec &m = r.prompts.asked[0].message;
    QCOMPARE(m.title, QStringLiteral("Copy To Ravelin?"));
    QCOMPARE(m.text, QStringLiteral("Do you want to copy these Lap Times back to your Ravelin record?"));
    QCOMPARE(m.buttons, Buttons::YesNoCancel);
    QCOMPARE(m.icon, Icon::Question);

    QCOMPARE(r.ended, ends ? 1 : 0);
    QCOMPARE(r.state.CancelExit, ends ? 0 : 1);
    QCOMPARE(QFile::exists(r.inputPath), inputKept);
    QCOMPARE(QFileInfo::exists(r.outputPath), outputWritten);
    if (outputWritten) {
        // The same race with the edited comments; the path line names the
        // current file.
        const QByteArray out = bytesOf(r.outputPath);
        QCOMPARE(out, writeLapFile(handedBack, edited, current, QLatin1Char('.')));
        const LapFileReadResult back = readLapFile(out, true);
        QCOMPARE(back.status, LapFileReadResult::Ok);
        QCOMPARE(back.content.pathLine, std::optional<QString>(r.state.CurrentFile));
    }
    if (!ends) { // still running, with the race and the edit in place
        QVERIFY(r.w->isVisible());
        QCOMPARE(r.state.Comments, edited);
        QCOMPARE(r.state.grid.cell(5, 5), QStringLiteral("55.400"));
        QCOMPARE(bytesOf(r.inputPath), writeLapFile(race, handedComments, r.lapFile, QLatin1Char('.')));
    }
}

// F12 in the middle of a race, answered Yes: the readings so far are gone
// and the next race counts from the restart.
void TestFlows::restartInTheMiddleOfARace()
{
    RaceFixture f(2);
    activate(f);
    RaceScript first(3.0, {{20.1, 21.2}, {20.3, 21.4}, {20.5, 21.6}, {20.7, 21.8}});
    first.keysAfter(2, 1, {5, 7, 9}).run(f);
    f.pressAt(first.lastPress() + 20.9); // lap 5, segment 1
    f.tickTo(first.lastPress() + 30);
    QCOMPARE(f.cell(4, 5), QStringLiteral("42.500"));
    QCOMPARE(f.w->ui.Label1[4]->text(), QStringLiteral("Yellow"));

    f.prompts.clear();
    f.prompts.answer(Answer::Yes);
    f.F(12);
    QCOMPARE(askedTitles(f.prompts), QStringList{QStringLiteral("Restart Race ?")});
    QCOMPARE(f.state.rec.RaceState, qint16(RaceArmed));
    for (int lap = 1; lap <= 5; ++lap)
        QCOMPARE(rowOf(f, lap), QStringLiteral("|||||||"));
    // The conditions are back at their defaults for the new race.
    QCOMPARE(f.w->ui.Label1[4]->text(), QStringLiteral("Green"));
    QCOMPARE(f.w->ui.Label1[2]->text(), QStringLiteral("1"));
    QCOMPARE(f.w->ui.Label1[3]->text(), QStringLiteral("In Traffic"));

    // The new race: its start press 4 s after the restart.
    f.armNs = f.clock.nowNs();
    f.tickTo(2.5);
    for (int i = 5; i <= 7; ++i) // armed, not started: the old race's clocks are gone
        QCOMPARE(f.w->ui.Label1[i]->text(), QStringLiteral(".000"));
    const SegmentTable times{{19.6, 22.1}, {19.8, 22.3}, {19.9, 22.0}};
    RaceScript second(4.0, times);
    second.play(f);
    QCOMPARE(f.state.rec.reading(0, 2), 4.0);
    QCOMPARE(f.state.rec.reading(1, 2), 4.0 + 19.6 + 22.1);
    f.tickTo(second.lastPress() + 2.5);
    QCOMPARE(f.w->ui.Label1[5]->text(), QStringLiteral("2.500"));                           // segment
    QCOMPARE(f.w->ui.Label1[7]->text(), QString::number(second.lastPress() - 4 + 2.5, 'f', 3)); // race
    f.finish();

    QCOMPARE(f.state.rec.LastLap, qint16(3));
    for (int lap = 1; lap <= 3; ++lap)
        QCOMPARE(rowOf(f, lap), timesRow(times[lap - 1]) + QStringLiteral("|Green|1|In Traffic"));
    for (int lap = 4; lap <= 5; ++lap)
        QCOMPARE(rowOf(f, lap), QStringLiteral("|||||||"));
    QCOMPARE(statistics(f), toList(expectedStatistics(times)));
    QCOMPARE(f.prompts.unexpectedCount(), 0);
}

// After a 3-segment race the operator switches to two segments: the grid is
// emptied, segments 3 and 4 fold away, and the next race has two segments.
void TestFlows::fewerSegmentsAfterARace()
{
    RaceFixture f(3);
    activate(f);
    RaceScript(1.0, {{20.2, 21.3, 22.4}, {20.5, 21.1, 22.9}, {20.1, 21.7, 22.2}}).run(f);
    f.finish();
    QCOMPARE(f.cell(3, 3), QStringLiteral("22.200"));

    f.prompts.clear();
    f.prompts.answer(Answer::Ok).type(QStringLiteral("2"));
    f.w->ui.mnuNumSeg->trigger();
    QCOMPARE(askedTitles(f.prompts), (QStringList{QStringLiteral("Splitwatch"), QStringLiteral("Number of Segments")}));
    QCOMPARE(f.state.rec.NumSegs, qint16(2));
    for (int lap = 1; lap <= 3; ++lap)
        QCOMPARE(rowOf(f, lap), QStringLiteral("|||||||"));
    QCOMPARE(statistics(f), QStringList(15, QString()));
    const ResultsGrid &g = f.state.grid;
    QCOMPARE(g.ColWidth(1), 800);
    QCOMPARE(g.ColWidth(2), 800);
    QCOMPARE(g.ColWidth(3), 10);
    QCOMPARE(g.ColWidth(4), 10);
    QCOMPARE(f.w->ui.Grid1->columnWidth(2), qMax(1, tw(10))); // grid column 3 in the view
    QCOMPARE(f.w->ui.Grid1->columnWidth(0), tw(800));
    for (int i = 0; i < 15; ++i)
        QCOMPARE(g.Label3Visible[i], i < 6 || i >= 12);
    QVERIFY(f.w->ui.SpecData[2]->isVisible());
    QVERIFY(!f.w->ui.SpecData[3]->isVisible());

    // The race is restarted with the Start / Restart button (keys do nothing
    // in the finished state) and timed with two segments a lap.
    f.prompts.clear();
    f.prompts.answer(Answer::Yes);
    click(f.w->ui.Command3[2]);
    QCOMPARE(askedTitles(f.prompts), QStringList{QStringLiteral("Restart Race ?")});
    QCOMPARE(f.state.rec.RaceState, qint16(RaceArmed));
    f.armNs = f.clock.nowNs();
    const SegmentTable times{{30.2, 31.4}, {30.6, 31.1}, {29.9, 31.8}, {30.3, 31.2}};
    RaceScript(2.0, times).play(f);
    f.finish();

    QCOMPARE(f.state.rec.RaceState, qint16(RaceFinished));
    QCOMPARE(f.state.rec.LastLap, qint16(4));
    for (int lap = 1; lap <= 4; ++lap)
        QCOMPARE(rowOf(f, lap), timesRow(times[lap - 1]) + QStringLiteral("|Green|1|In Traffic"));
    for (int lap = 1; lap <= 4; ++lap)
        QVERIFY(f.state.rec.LapData[lap][3].isEmpty());
    QCOMPARE(statistics(f), toList(expectedStatistics(times)));
    QCOMPARE(f.prompts.unexpectedCount(), 0);
}

// A race timed and saved, File > New, and the next race timed at once with
// F12: nothing of the first race shows through, and Save As keeps both.
void TestFlows::secondRaceAfterNew()
{
    RaceFixture f(2);
    installFileCommands(*f.w);
    activate(f);
    const SegmentTable firstTimes{{30.2, 31.4}, {30.6, 31.1}, {29.9, 31.8}, {30.3, 31.2}, {30.1, 31.0}};
    RaceScript(2.0, firstTimes).keysAfter(2, 1, {5}).run(f);
    f.finish();
    const QString first = QDir(f.state.lapTimeFolder()).filePath(QStringLiteral("first.txt"));
    f.prompts.chooseFile(first);
    f.w->ui.mnuSaveAs->trigger();
    const QByteArray firstBytes = bytesOf(first);
    QVERIFY(!firstBytes.isEmpty());

    f.prompts.clear();
    f.prompts.answer(Answer::Yes);
    f.w->ui.mnuNew->trigger();
    QCOMPARE(f.state.rec.RaceState, qint16(RaceSetup));
    QVERIFY(!f.w->ui.Label1[4]->isHidden()); // the timing face again

    const SegmentTable secondTimes{{27.5, 29.0}, {27.9, 29.4}, {28.1, 28.8}};
    f.w->ui.Text2->setFocus();
    RaceScript(3.0, secondTimes).run(f);
    f.finish();
    QCOMPARE(f.prompts.unexpectedCount(), 0);
    QCOMPARE(f.state.rec.LastLap, qint16(3));
    for (int lap = 1; lap <= 3; ++lap)
        QCOMPARE(rowOf(f, lap), timesRow(secondTimes[lap - 1]) + QStringLiteral("|Green|1|In Traffic"));
    for (int lap = 4; lap <= 5; ++lap)
        QCOMPARE(rowOf(f, lap), QStringLiteral("|||||||"));
    QCOMPARE(statistics(f), toList(expectedStatistics(secondTimes)));
    QCOMPARE(f.w->graph().GraphLastLap(), 3);

    const QString second = QDir(f.state.lapTimeFolder()).filePath(QStringLiteral("second.txt"));
    f.prompts.clear();
    f.prompts.chooseFile(second);
    f.w->ui.mnuSaveAs->trigger();
    QCOMPARE(f.w->windowTitle(), QStringLiteral("Splitwatch   [ second.txt ]"));
    QCOMPARE(bytesOf(first), firstBytes);
    const LapFileReadResult back = readLapFile(bytesOf(second), false);
    QCOMPARE(back.status, LapFileReadResult::Ok);
    QCOMPARE(back.content.LastLap, qint16(3));
    QVERIFY(back.content.rows[4][1].isEmpty()); // nothing of the first race's lap 4
    QVERIFY(back.content.rows[5][2].isEmpty());
}

QTEST_MAIN(TestFlows)
#include "tst_flows.moc"
