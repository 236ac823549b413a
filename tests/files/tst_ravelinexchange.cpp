// The exchange with Ravelin through a real "/E" start: the one-time load of
// RavelinData.txt, its path line as the current file, and "Return to
// Ravelin" answered Yes, No and Cancel.

#include "app/AppState.h"
#include "app/FrmHead.h"
#include "app/FrmHeadControls.h"
#include "app/Startup.h"
#include "files/FileCommands.h"
#include "files/LapFile.h"
#include "timing/HiTime.h"
#include "ui/Prompts.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QtTest>

using namespace sw;

Q_DECLARE_METATYPE(QList<sw::Answer>)

namespace {

QByteArray bytesOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A three-lap race of two segments with conditions, as Ravelin hands it over.
RaceRecord handedOverRace()
{
    RaceRecord rec;
    rec.NumSegs = 2;
    rec.LastLap = 3;
    const double readings[] = {4, 14, 25.5, 36, 47.25, 58, 69.125};
    rec.LapData[0][2].set(readings[0]);
    for (int i = 1; i < 7; ++i)
        rec.LapData[(i + 1) / 2][i % 2 == 1 ? 1 : 2].set(readings[i]);
    for (int lap = 1; lap <= 3; ++lap) {
        rec.LapData[lap][5].set(lap == 2 ? 1 : 0); // Yellow on lap 2
        rec.LapData[lap][6].set(lap + 3);
        rec.LapData[lap][7].set(lap % 3);
    }
    return rec;
}

const QString comments = QStringLiteral("Heat 1\r\nwet");

// A program started by Ravelin with "/E", the file commands installed, its
// main window shown and active once.
struct RavelinRig
{
    explicit RavelinRig(bool inputFile, const QByteArray &otherInput = QByteArray())
    {
        lapFile = QDir(folder.path()).filePath(QStringLiteral("LapTimeFiles/Heat1.txt"));
        inputPath = QDir(folder.path()).filePath(QStringLiteral("RavelinData.txt"));
        outputPath = QDir(folder.path()).filePath(QStringLiteral("RavelinDataSaved.txt"));
        if (inputFile) {
            input = otherInput.isEmpty() ? writeLapFile(handedOverRace(), comments, lapFile, QLatin1Char('.'))
                                         : otherInput;
            QFile f(inputPath);
            if (f.open(QIODevice::WriteOnly))
                f.write(input);
        }
        startup = std::make_unique<Startup>(QStringList{QStringLiteral("/E")}, folder.path(),
                                            StartupServices{state, prompts, startupTimer, mainTimer});
        startup->extendMainWindow = [](FrmHead &w) { installFileCommands(w); };
        startup->begin();
        w = startup->mainWindow();
        w->endProgram = [this] { ++ended; };
        QCoreApplication::processEvents();
        w->Form_Activate(); // whether or not the platform activated it already
        startMessages = prompts.messageTexts();
        prompts.clear();
    }
    ~RavelinRig() { startup.reset(); }

    AppState state;
    ScriptedPrompts prompts;
    ManualClock clock;
    ManualHiTime startupTimer{clock};
    ManualHiTime mainTimer{clock};
    QTemporaryDir folder;
    QString lapFile, inputPath, outputPath;
    QByteArray input;
    QStringList startMessages;
    int ended = 0;
    std::unique_ptr<Startup> startup;
    FrmHead *w = nullptr;
};

} // namespace

class TestRavelinExchange : public QObject
{
    Q_OBJECT
private slots:
    void inputFileIsLoadedOnceAtFirstActivation();
    void startWithoutInputFileLoadsNothing();
    void inputFileNotInLapLayoutLoadsNothing();
    void saveWritesThePathLineFileWithoutDialog();
    void returnAnswers_data();
    void returnAnswers();
};

void TestRavelinExchange::inputFileIsLoadedOnceAtFirstActivation()
{
    RavelinRig r(true);
    QCOMPARE(r.startMessages.size(), 2);
    QCOMPARE(r.state.ExchangeFlag, 0);
    QCOMPARE(r.state.rec.NumSegs, qint16(2));
    QCOMPARE(r.state.rec.LastLap, qint16(3));
    QCOMPARE(r.state.Comments, comments);
    QCOMPARE(r.state.CurrentFile, r.lapFile);
    QCOMPARE(r.state.LapFileName, r.lapFile);
    QCOMPARE(r.w->windowTitle(), QStringLiteral("Splitwatch   [ Heat1.txt ]"));
    QCOMPARE(r.state.SpecsChanged, 0);
    // Shown in the setup face.
    QCOMPARE(r.state.rec.RaceState, qint16(RaceSetup));
    QCOMPARE(r.w->ui.Label6->text(), QStringLiteral("Status: Program called from Ravelin.  Only Editting, "
                                                    "Opening, Saving, and Returning to Ravelin options allowed."));
    QVERIFY(r.w->ui.mnuReturnToRavelin->isVisible());
    QCOMPARE(r.state.grid.cell(1, 1), QStringLiteral("10.000"));
    QCOMPARE(r.state.grid.cell(2, 5), QStringLiteral("21.750"));
    QCOMPARE(r.state.grid.cell(2, 6), QStringLiteral("Yellow"));
    QCOMPARE(r.state.grid.cell(3, 8), QStringLiteral("Not in Traffic"));
    QCOMPARE(r.prompts.asked.size(), size_t(0));

    // Coming back to the window does not load it again.
    r.state.Comments = QStringLiteral("edited");
    r.w->Form_Activate();
    QCOMPARE(r.state.Comments, QStringLiteral("edited"));
}

void TestRavelinExchange::startWithoutInputFileLoadsNothing()
{
    RavelinRig r(false);
    QCOMPARE(r.startMessages.first(), QStringLiteral("You are now it the Splitwatch.  You can now open a "
                                                     "Splitwatch file and return to the Ravelin program with "
                                                     "its lap times."));
    QCOMPARE(r.state.ExchangeFlag, 0);
    QCOMPARE(r.state.CurrentFile, QString());
    QCOMPARE(r.state.grid.cell(1, 1), QString());
    QCOMPARE(r.prompts.asked.size(), size_t(0));
}

void TestRavelinExchange::inputFileNotInLapLayoutLoadsNothing()
{
    RavelinRig r(true, "Lap times\r\n12.5\r\n");
    QCOMPARE(r.startMessages.size(), 3); // two start messages, then the refusal
    QCOMPARE(r.startMessages.last(), QStringLiteral("This is not a Lap Time file and can not be used."));
    QCOMPARE(r.state.ExchangeFlag, 0);
    QCOMPARE(r.state.CurrentFile, QString());
    QCOMPARE(r.state.grid.cell(1, 1), QString());
    QCOMPARE(r.w->windowTitle(), QStringLiteral("Splitwatch   [  ]"));
}

void TestRavelinExchange::saveWritesThePathLineFileWithoutDialog()
{
    RavelinRig r(true);
    r.w->ui.mnuSave->trigger();
    QCOMPARE(r.prompts.asked.size(), size_t(0));
    // The ordinary layout: the same race and comments without the path line.
    QCOMPARE(bytesOf(r.lapFile), writeLapFile(handedOverRace(), comments, std::nullopt, QLatin1Char('.')));
    QCOMPARE(bytesOf(r.inputPath), r.input);
}

void TestRavelinExchange::returnAnswers_data()
{
    QTest::addColumn<int>("specsChanged");
    QTest::addColumn<QList<Answer>>("answers");
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<bool>("ends");
    QTest::addColumn<bool>("outputWritten");
    QTest::addColumn<bool>("inputKept");
    QTest::addColumn<bool>("outputBlocked"); // a folder stands where the output file goes

    const QStringList copy{QStringLiteral("Copy To Ravelin?")};
    QTest::newRow("Yes writes the output file") << 0 << QList<Answer>{Answer::Yes} << copy << true << true << true << false;
    QTest::newRow("Yes, output cannot be written, keeps running")
            << 0 << QList<Answer>{Answer::Yes} << QStringList{QStringLiteral("Copy To Ravelin?"), QStringLiteral("Splitwatch")}
            << false << false << true << true;
    QTest::newRow("No deletes the input file") << 0 << QList<Answer>{Answer::No} << copy << true << false << false << false;
    QTest::newRow("Cancel keeps running") << 0 << QList<Answer>{Answer::Cancel} << copy << false << false << true << false;
    QTest::newRow("changed: not saved, then Yes")
            << 1 << QList<Answer>{Answer::No, Answer::Yes}
            << QStringList{QStringLiteral("Save Changes?"), QStringLiteral("Copy To Ravelin?")} << true << true << true << false;
    QTest::newRow("changed: Cancel asks nothing more")
            << 1 << QList<Answer>{Answer::Cancel} << QStringList{QStringLiteral("Save Changes?")} << false << false
            << true << false;
}

void TestRavelinExchange::returnAnswers()
{
    QFETCH(int, specsChanged);
    QFETCH(QList<Answer>, answers);
    QFETCH(QStringList, titles);
    QFETCH(bool, ends);
    QFETCH(bool, outputWritten);
    QFETCH(bool, inputKept);
    QFETCH(bool, outputBlocked);
    RavelinRig r(true);
    if (outputBlocked)
        QVERIFY(QDir(r.folder.path()).mkdir(QStringLiteral("RavelinDataSaved.txt")));
    r.state.SpecsChanged = specsChanged;
    for (Answer a : answers)
        r.prompts.answer(a);
    r.w->ui.mnuReturnToRavelin->trigger();

    QStringList asked;
    for (const auto &a : r.prompts.asked)
        asked << a.message.title;
    QCOMPARE(asked, titles);
    const MessageSpec &m = r.prompts.asked.front().message;
    if (m.title == QStringLiteral("Copy To Ravelin?")) {
        QCOMPARE(m.text, QStringLiteral("Do you want to copy these Lap Times back to your Ravelin record?"));
        QCOMPARE(m.buttons, Buttons::YesNoCancel);
        QCOMPARE(m.icon, Icon::Question);
    }
    QCOMPARE(r.ended, ends ? 1 : 0);
    QCOMPARE(r.state.CancelExit, ends ? 0 : 1);
    QCOMPARE(QFile::exists(r.inputPath), inputKept);
    QCOMPARE(QFileInfo(r.outputPath).isFile(), outputWritten);
    if (outputWritten) // the race as loaded, with the current file as path line
        QCOMPARE(bytesOf(r.outputPath), r.input);
    QCOMPARE(r.state.ExchangeFlag, 0);
}

QTEST_MAIN(TestRavelinExchange)
#include "tst_ravelinexchange.moc"
