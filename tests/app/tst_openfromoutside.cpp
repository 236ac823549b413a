// Lap-time files reached without the File menu's dialogs, and the menu's
// keys: the standard shortcuts in every face, File > "Recent Lap Times", a
// file named on the command line and a file dropped on the window.

#include "support/RaceFixture.h"

#include "app/Startup.h"
#include "document/RecentFiles.h"
#include "files/LapFile.h"

#include <QMimeData>
#include <QSettings>
#include <QSignalSpy>
#include <QtTest>

using namespace sw;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(QList<sw::Answer>)

namespace {

// A finished race of two laps of two segments, as a file holds it; its first
// segment lasts 8.5 s (a race timed in a test lasts 10 s there).
QByteArray lapFileBytes(double firstSegment = 8.5)
{
    Race race;
    race.setSegmentsPerLap(2);
    race.arm();
    for (double t : {1.0, 1.0 + firstSegment, 25.0, 37.0, 48.0})
        race.press(t);
    race.finish();
    return writeLapFile(race.storedRace(), std::nullopt, QLatin1Char('.'));
}

QString writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

// What was asked, in order: a message's or dialog's title.
QStringList askedTitles(const ScriptedPrompts &p)
{
    QStringList titles;
    for (const auto &a : p.asked)
        titles << (a.kind == ScriptedPrompts::Asked::Message ? a.message.title
                   : a.kind == ScriptedPrompts::Asked::Input ? a.title
                                                              : a.dialog.title);
    return titles;
}

QStringList menuTexts(const QMenu *menu)
{
    QStringList texts;
    for (const QAction *a : menu->actions())
        texts << a->text();
    return texts;
}

// The message File > Open gives for path, through its dialog.
QString openMessageFor(const QString &path)
{
    RaceFixture f;
    f.prompts.chooseFile(path);
    f.w->ui.openAction->trigger();
    return f.prompts.asked.size() == 2 ? f.prompts.asked[1].message.text : QString();
}

void finishRace(RaceFixture &f)
{
    f.armAndPress({2, 12, 23.5});
    f.finish();
}

bool holdsFileRace(const Race &race)
{
    return race.segmentTime(1, 1) == std::optional<double>(8.5) && race.segmentTime(2, 2) == std::optional<double>(11.0);
}

} // namespace

class TestOpenFromOutside : public QObject
{
    Q_OBJECT
private slots:
    // Each key runs its menu command, with its questions, in every face; while a race is timed
    // it takes no reading's place and the next F2 is still counted.
    void shortcutsRunTheirCommands_data()
    {
        QTest::addColumn<QString>("face"); // setup, timing or finished
        QTest::addColumn<QKeySequence>("keys");
        QTest::addColumn<int>("action"); // index into the File menu's actions below
        QTest::addColumn<QList<Answer>>("answers");
        QTest::addColumn<QStringList>("asked");
        QTest::addColumn<int>("ended");
        const QList<Answer> none, no{Answer::No}, cancel{Answer::Cancel};
        QTest::newRow("Ctrl+N setup") << "setup" << QKeySequence(u"Ctrl+N"_s) << 0 << no << QStringList{"Erase All Lap Times?"} << 0;
        QTest::newRow("Ctrl+O setup") << "setup" << QKeySequence(u"Ctrl+O"_s) << 1 << none << QStringList{"Open a File"} << 0;
        QTest::newRow("Ctrl+Q setup") << "setup" << QKeySequence(u"Ctrl+Q"_s) << 5 << none << QStringList{} << 1;
        QTest::newRow("Ctrl+N timing") << "timing" << QKeySequence(u"Ctrl+N"_s) << 0 << no << QStringList{"Erase All Lap Times?"} << 0;
        QTest::newRow("Ctrl+O timing") << "timing" << QKeySequence(u"Ctrl+O"_s) << 1 << cancel << QStringList{"Save Changes?"} << 0;
        QTest::newRow("Ctrl+S timing") << "timing" << QKeySequence(u"Ctrl+S"_s) << 2 << none << QStringList{"Save a File"} << 0;
        QTest::newRow("Ctrl+N finished") << "finished" << QKeySequence(u"Ctrl+N"_s) << 0 << no << QStringList{"Erase All Lap Times?"} << 0;
        QTest::newRow("Ctrl+S finished") << "finished" << QKeySequence(u"Ctrl+S"_s) << 2 << none << QStringList{"Save a File"} << 0;
        QTest::newRow("Ctrl+Shift+S finished") << "finished" << QKeySequence(u"Ctrl+Shift+S"_s) << 3 << none << QStringList{"Save a File"} << 0;
        QTest::newRow("Ctrl+P finished") << "finished" << QKeySequence(u"Ctrl+P"_s) << 4 << none << QStringList{} << 0;
        QTest::newRow("Ctrl+Q finished") << "finished" << QKeySequence(u"Ctrl+Q"_s) << 5 << cancel << QStringList{"Save Changes?"} << 0;
    }

    void shortcutsRunTheirCommands()
    {
        QFETCH(QString, face);
        QFETCH(QKeySequence, keys);
        QFETCH(int, action);
        QFETCH(QList<Answer>, answers);
        QFETCH(QStringList, asked);
        QFETCH(int, ended);
        RaceFixture f(2);
        const MainWindowControls &ui = f.w->ui;
        const QList<QAction *> actions{ui.newAction,         ui.openAction,  ui.saveAction,
                                       ui.saveAsAction, ui.printReportAction, ui.exitAction};
        QCOMPARE(actions[action]->shortcut(), keys); // as the menu shows it
        if (face == u"timing")
            f.armAndPress({2, 12, 23.5});
        if (face == u"finished")
            finishRace(f);
        f.prompts.clear();
        for (Answer a : answers)
            f.prompts.answer(a);
        f.prompts.files.push_back(std::nullopt);
        // Printing has its own tests; here only the key counts (a printer on
        // this machine would get a page).
        QObject::disconnect(ui.printReportAction, &QAction::triggered, nullptr, nullptr);
        std::vector<std::unique_ptr<QSignalSpy>> spies;
        for (QAction *a : actions)
            spies.push_back(std::make_unique<QSignalSpy>(a, &QAction::triggered));
        const int lapBefore = f.race.currentLap(), segmentBefore = f.race.currentSegment();
        f.w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.w.get()));
        QWidget *target = QApplication::focusWidget() ? QApplication::focusWidget() : f.w->ui.timingFocusHolder;
        QTest::keySequence(target, keys);
        for (int i = 0; i < actions.size(); ++i)
            QCOMPARE(spies[size_t(i)]->count(), i == action ? 1 : 0);
        QCOMPARE(askedTitles(f.prompts), asked);
        QCOMPARE(f.prompts.unexpectedCount(), 0);
        QCOMPARE(f.programEnded, ended);
        QCOMPARE(f.race.state(), face == u"timing" ? RaceState::Running
                                 : face == u"setup"  ? RaceState::Setup
                                                     : RaceState::Finished);
        QCOMPARE(f.race.currentLap(), lapBefore);
        QCOMPARE(f.race.currentSegment(), segmentBefore);
        if (face == u"timing") {
            f.pressAt(35);
            QCOMPARE(f.race.reading(2, 1), 35.0);
        }
    }

    // Files opened or saved are listed newest first, each once (by its real path), eight at most.
    void recentFilesList_data()
    {
        QTest::addColumn<QStringList>("saved"); // Save As, in order; "link>x" saves through a link to x
        QTest::addColumn<QStringList>("listed");
        QTest::newRow("newest first") << QStringList{"a", "b"} << QStringList{"b", "a"};
        QTest::newRow("saved again moves up") << QStringList{"a", "b", "a"} << QStringList{"a", "b"};
        QTest::newRow("two names of one file") << QStringList{"a", "b", "link>a"} << QStringList{"a", "b"};
        QTest::newRow("eight at most")
                << QStringList{"1", "2", "3", "4", "5", "6", "7", "8", "9"}
                << QStringList{"9", "8", "7", "6", "5", "4", "3", "2"};
    }

    void recentFilesList()
    {
        QFETCH(QStringList, saved);
        QFETCH(QStringList, listed);
        RaceFixture f(2);
        QVERIFY(!f.w->ui.recentFilesMenu->menuAction()->isEnabled());
        const QDir dir(f.files.lapTimeFolder());
        QVERIFY(QDir().mkpath(dir.path()));
        for (const QString &name : saved) {
            QString path = dir.filePath(name + u".txt"_s);
            if (name.startsWith(u"link>"_s)) {
                path = dir.filePath(u"link.txt"_s);
                QFile::remove(path);
                QVERIFY(QFile::link(dir.filePath(name.mid(5) + u".txt"_s), path));
            }
            f.prompts.chooseFile(path);
            f.w->ui.saveAsAction->trigger();
        }
        QStringList expected;
        for (int i = 0; i < listed.size(); ++i)
            expected << u"&%1  %2"_s.arg(i + 1).arg(dir.filePath(listed[i] + u".txt"_s));
        QCOMPARE(menuTexts(f.w->ui.recentFilesMenu), expected);
        QVERIFY(f.w->ui.recentFilesMenu->menuAction()->isEnabled());
    }

    // An entry opens its file as Open does after its dialog: unsaved work first, the same
    // messages; a file that is gone is named and leaves the list. The list outlives the window.
    void recentEntryOpens_data()
    {
        QTest::addColumn<QString>("file"); // good, gone or text
        QTest::addColumn<QList<Answer>>("answers");
        QTest::addColumn<QStringList>("asked");
        QTest::addColumn<bool>("loaded");
        QTest::newRow("unsaved race kept") << "good" << QList<Answer>{Answer::No} << QStringList{"Save Changes?"} << true;
        QTest::newRow("Cancel keeps the race") << "good" << QList<Answer>{Answer::Cancel} << QStringList{"Save Changes?"} << false;
        QTest::newRow("gone") << "gone" << QList<Answer>{} << QStringList{"Splitwatch"} << false;
        QTest::newRow("not a lap-time file") << "text" << QList<Answer>{Answer::No} << QStringList{"Save Changes?", "Bad File"} << false;
    }

    void recentEntryOpens()
    {
        QFETCH(QString, file);
        QFETCH(QList<Answer>, answers);
        QFETCH(QStringList, asked);
        QFETCH(bool, loaded);
        QTemporaryDir settingsDir;
        const QString iniPath = settingsDir.filePath(u"recent.ini"_s);
        const QString path = settingsDir.filePath(u"race.txt"_s);
        {
            RaceFixture first(2);
            first.w->fileCommands().recentFiles().useSettings(std::make_unique<QSettings>(iniPath, QSettings::IniFormat));
            writeFile(path, lapFileBytes());
            first.prompts.chooseFile(path);
            first.w->ui.openAction->trigger();
            QVERIFY(holdsFileRace(first.race));
        }
        if (file == u"gone")
            QVERIFY(QFile::remove(path));
        if (file == u"text")
            writeFile(path, "shopping list\n");
        RaceFixture f(2);
        f.w->fileCommands().recentFiles().useSettings(std::make_unique<QSettings>(iniPath, QSettings::IniFormat));
        finishRace(f);
        f.prompts.clear();
        for (Answer a : answers)
            f.prompts.answer(a);
        QCOMPARE(f.w->ui.recentFilesMenu->actions().size(), 1);
        f.w->ui.recentFilesMenu->actions().first()->trigger();
        QCOMPARE(askedTitles(f.prompts), asked);
        QCOMPARE(holdsFileRace(f.race), loaded);
        if (file == u"gone") {
            QCOMPARE(f.prompts.asked[0].message.text, FileCommands::recentFileGoneText(path));
            QVERIFY(f.prompts.asked[0].message.text.contains(path));
            QVERIFY(!f.w->ui.recentFilesMenu->menuAction()->isEnabled());
            QCOMPARE(QSettings(iniPath, QSettings::IniFormat).value(u"files/recent"_s).toStringList(), QStringList{});
        }
        if (file == u"text")
            QCOMPARE(f.prompts.asked[1].message.text, openMessageFor(path));
    }

    // A file on the command line opens once the main window is up, with File > Open's messages;
    // options are no files, and a file named with "/E" is refused.
    void commandLineFile_data()
    {
        QTest::addColumn<QStringList>("args"); // FILE: the file; EFILE: a file below a folder "Events"
        QTest::addColumn<QString>("content"); // race, text or none
        QTest::addColumn<QStringList>("asked");
        QTest::addColumn<bool>("ravelin");
        QTest::newRow("lap-time file") << QStringList{"FILE"} << "race" << QStringList{} << false;
        QTest::newRow("path holding /E") << QStringList{"EFILE"} << "race" << QStringList{} << false;
        QTest::newRow("unknown option") << QStringList{"--foo"} << "race" << QStringList{} << false;
        QTest::newRow("missing file") << QStringList{"FILE"} << "none" << QStringList{"Bad File"} << false;
        QTest::newRow("not a lap-time file") << QStringList{"FILE"} << "text" << QStringList{"Bad File"} << false;
        QTest::newRow("with /E: refused") << QStringList{"/E", "FILE"} << "race" << QStringList{"Splitwatch", "Splitwatch", "Splitwatch"} << true;
    }

    void commandLineFile()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, content);
        QFETCH(QStringList, asked);
        QFETCH(bool, ravelin);
        QTemporaryDir dir;
        const bool inEvents = args.contains(u"EFILE"_s);
        const QString path = dir.filePath(inEvents ? u"Events/race.txt"_s : u"race.txt"_s);
        if (content != u"none")
            writeFile(path, content == u"race" ? lapFileBytes() : "shopping list\n");
        args.replaceInStrings(QRegularExpression(u"^E?FILE$"_s), path);
        Race race;
        FileState files;
        TimerCalibration calibration;
        ScriptedPrompts prompts;
        ManualClock clock;
        ManualHiTime startupTimer{clock}, mainTimer{clock};
        Startup startup(args, dir.path(), StartupServices{race, files, calibration, prompts, startupTimer, mainTimer});
        startup.begin();
        if (!ravelin) {
            QVERIFY(!startup.mainWindow());
            startupTimer.advanceMs(5000); // settling, then the measurement passes
            startupTimer.advanceMs(2500);
        }
        QVERIFY(startup.mainWindow());
        QCOMPARE(askedTitles(prompts), asked);
        QCOMPARE(race.isHeldInSetup(), ravelin);
        const bool opened = content == u"race" && !ravelin && !args.contains(u"--foo"_s);
        QCOMPARE(holdsFileRace(race), opened);
        QCOMPARE(files.currentFile, opened ? path : QString());
        if (content != u"race")
            QCOMPARE(prompts.asked.back().message.text, openMessageFor(path));
        if (ravelin)
            QCOMPARE(prompts.asked.back().message.text, Startup::fileWithRavelinText(path));
    }

    // A dropped local file opens as Open does, asking about unsaved work first, wherever it lands
    // (an entry field does not take its name as text). While a race is timed it is refused.
    void dropOnWindow_data()
    {
        QTest::addColumn<QString>("face"); // setup, timing or finished
        QTest::addColumn<bool>("onField"); // dropped on the Seg 1 field
        QTest::addColumn<QList<Answer>>("answers");
        QTest::addColumn<QStringList>("asked");
        QTest::addColumn<bool>("loaded");
        QTest::newRow("setup") << "setup" << false << QList<Answer>{} << QStringList{} << true;
        QTest::newRow("on a field") << "finished" << true << QList<Answer>{Answer::No} << QStringList{"Save Changes?"} << true;
        QTest::newRow("Cancel keeps the race") << "finished" << false << QList<Answer>{Answer::Cancel} << QStringList{"Save Changes?"} << false;
        QTest::newRow("while timing: refused") << "timing" << false << QList<Answer>{} << QStringList{"Splitwatch"} << false;
    }

    void dropOnWindow()
    {
        QFETCH(QString, face);
        QFETCH(bool, onField);
        QFETCH(QList<Answer>, answers);
        QFETCH(QStringList, asked);
        QFETCH(bool, loaded);
        RaceFixture f(2);
        const QString path = writeFile(f.folder.filePath(u"dropped.txt"_s), lapFileBytes());
        if (face == u"timing")
            f.armAndPress({2, 12, 23.5});
        if (face == u"finished")
            finishRace(f);
        f.prompts.clear();
        for (Answer a : answers)
            f.prompts.answer(a);
        QLineEdit *field = f.w->ui.segmentFields[1];
        QWidget *target = onField ? static_cast<QWidget *>(field) : f.w->ui.client;
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(path)});
        data.setText(QUrl::fromLocalFile(path).toString()); // as file managers send it too
        const QPointF at = QPointF(target->rect().center());
        QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &drop);
        QVERIFY(drop.isAccepted());
        QCoreApplication::processEvents(); // the open runs once the drop has returned
        QCOMPARE(askedTitles(f.prompts), asked);
        QCOMPARE(holdsFileRace(f.race), loaded);
        if (face == u"timing") {
            QCOMPARE(f.prompts.asked[0].message.text, FileCommands::notWhileTimingText());
            QCOMPARE(f.race.state(), RaceState::Running);
            f.pressAt(35);
            QCOMPARE(f.race.reading(2, 1), 35.0);
        }
    }
};

QTEST_MAIN(TestOpenFromOutside)
#include "tst_openfromoutside.moc"
