// The File menu's keys in every face, and lap-time files opened without its
// dialog: "Recent Lap Times", the command line, a drop on the window.

#include "support/RaceFixture.h"
#include "support/StartupRig.h"

#include "app/Startup.h"
#include "document/RecentFiles.h"
#include "files/LapFile.h"

#include <QMimeData>
#include <QSettings>
#include <QtTest>

using namespace sw;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(QList<sw::Answer>)

namespace {

// Writes a finished race of two laps of two segments (1 8.5 s, 2 11 s) to
// path, or text when given; a race timed by a test has 10 s in segment 1.
QString writeFile(const QString &path, const QByteArray &text = {})
{
    Race race;
    race.setSegmentsPerLap(2);
    race.arm();
    for (double t : {1.0, 9.5, 25.0, 37.0, 48.0})
        race.press(t);
    race.finish();
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(text.isEmpty() ? writeLapFile(race.storedRace(), std::nullopt, QLatin1Char('.')) : text);
    return path;
}

bool holdsFileRace(const Race &race)
{
    return race.segmentTime(1, 1) == std::optional(8.5) && race.segmentTime(2, 2) == std::optional(11.0);
}

// The title of every message or dialog asked, in order.
QStringList askedTitles(const ScriptedPrompts &p)
{
    QStringList titles;
    for (const auto &a : p.asked)
        titles << (a.kind == ScriptedPrompts::Asked::Message ? a.message.title
                   : a.kind == ScriptedPrompts::Asked::Input ? a.title : a.dialog.title);
    return titles;
}

// The message File > Open gives for path, through its dialog.
QString openMessageFor(const QString &path)
{
    RaceFixture f;
    f.prompts.chooseFile(path);
    f.w->ui.openAction->trigger();
    return f.prompts.asked.size() == 2 ? f.prompts.asked[1].message.text : QString();
}

// The window in the face named (setup, timing or finished), the answers queued.
void prepare(RaceFixture &f, const QString &face, const QList<Answer> &answers)
{
    if (face != u"setup")
        f.armAndPress({2, 12, 23.5});
    if (face == u"finished")
        f.finish();
    f.prompts.clear();
    for (Answer a : answers)
        f.prompts.answer(a);
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
        QTest::addColumn<QString>("face");
        QTest::addColumn<QKeySequence>("keys");
        QTest::addColumn<int>("action"); // New, Open, Save, Save As, Print, Exit
        QTest::addColumn<QList<Answer>>("answers");
        QTest::addColumn<QStringList>("asked");
        const QList<Answer> none, no{Answer::No}, cancel{Answer::Cancel};
        QTest::newRow("Ctrl+N setup") << "setup" << QKeySequence(u"Ctrl+N"_s) << 0 << no << QStringList{"Erase All Lap Times?"};
        QTest::newRow("Ctrl+O timing") << "timing" << QKeySequence(u"Ctrl+O"_s) << 1 << cancel << QStringList{"Save Changes?"};
        QTest::newRow("Ctrl+S timing") << "timing" << QKeySequence(u"Ctrl+S"_s) << 2 << none << QStringList{"Save a File"};
        QTest::newRow("Ctrl+Shift+S finished") << "finished" << QKeySequence(u"Ctrl+Shift+S"_s) << 3 << none << QStringList{"Save a File"};
        QTest::newRow("Ctrl+P finished") << "finished" << QKeySequence(u"Ctrl+P"_s) << 4 << none << QStringList{};
        QTest::newRow("Ctrl+Q finished") << "finished" << QKeySequence(u"Ctrl+Q"_s) << 5 << cancel << QStringList{"Save Changes?"};
    }

    void shortcutsRunTheirCommands()
    {
        QFETCH(QString, face);
        QFETCH(QKeySequence, keys);
        QFETCH(int, action);
        QFETCH(QList<Answer>, answers);
        QFETCH(QStringList, asked);
        RaceFixture f(2);
        const MainWindowControls &ui = f.w->ui;
        const QList<QAction *> actions{ui.newAction,    ui.openAction,        ui.saveAction,
                                       ui.saveAsAction, ui.printReportAction, ui.exitAction};
        QCOMPARE(actions[action]->shortcut(), keys); // as the menu shows it
        prepare(f, face, answers);
        f.prompts.chooseFile(std::nullopt);
        // Printing has its own tests; here only the key counts (a printer on
        // this machine would get a page).
        QObject::disconnect(ui.printReportAction, &QAction::triggered, nullptr, nullptr);
        QList<int> triggered;
        for (int i = 0; i < actions.size(); ++i)
            QObject::connect(actions[i], &QAction::triggered, [&triggered, i] { triggered << i; });
        const RaceState state = f.race.state();
        const int lap = f.race.currentLap(), segment = f.race.currentSegment();
        f.w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.w.get()));
        QTest::keySequence(QApplication::focusWidget() ? QApplication::focusWidget() : ui.timingFocusHolder, keys);
        QCOMPARE(triggered, QList<int>{action});
        QCOMPARE(askedTitles(f.prompts), asked);
        QCOMPARE(f.programEnded, action == 5 && asked.isEmpty() ? 1 : 0);
        QCOMPARE(f.race.state(), state);
        QCOMPARE(QList<int>({f.race.currentLap(), f.race.currentSegment()}), QList<int>({lap, segment}));
        if (face == u"timing") {
            f.pressAt(35);
            QCOMPARE(f.race.reading(2, 1), 35.0);
        }
    }

    // Files opened or saved are listed newest first, each once (by its real path), eight at most.
    void recentFilesList_data()
    {
        QTest::addColumn<QStringList>("saved"); // Save As, in order; "link" is a link to a
        QTest::addColumn<QStringList>("listed");
        QTest::newRow("newest first") << QStringList{"a", "b"} << QStringList{"b", "a"};
        QTest::newRow("saved again moves up") << QStringList{"a", "b", "a"} << QStringList{"a", "b"};
        QTest::newRow("two names of one file") << QStringList{"a", "b", "link"} << QStringList{"a", "b"};
        QTest::newRow("eight at most") << QStringList{"1", "2", "3", "4", "5", "6", "7", "8", "9"} << QStringList{"9", "8", "7", "6", "5", "4", "3", "2"};
    }

    void recentFilesList()
    {
        QFETCH(QStringList, saved);
        QFETCH(QStringList, listed);
        RaceFixture f(2);
        QMenu *menu = f.w->ui.recentFilesMenu;
        QVERIFY(!menu->menuAction()->isEnabled());
        const QDir dir(f.files.lapTimeFolder());
        QVERIFY(QFile::link(dir.filePath(u"a.txt"_s), dir.filePath(u"link.txt"_s)));
        for (const QString &name : saved) {
            f.prompts.chooseFile(dir.filePath(name + u".txt"_s));
            f.w->ui.saveAsAction->trigger();
        }
        QStringList expected, shown;
        for (int i = 0; i < listed.size(); ++i)
            expected << u"&%1  %2"_s.arg(i + 1).arg(dir.filePath(listed[i] + u".txt"_s));
        for (const QAction *a : menu->actions())
            shown << a->text();
        QCOMPARE(shown, expected);
        QVERIFY(menu->menuAction()->isEnabled());
    }

    // An entry opens its file as Open does after its dialog: unsaved work first, the same
    // messages; a file that is gone is named and leaves the list. The list outlives the window.
    void recentEntryOpens_data()
    {
        QTest::addColumn<QString>("file"); // race, gone or text
        QTest::addColumn<QList<Answer>>("answers");
        QTest::addColumn<QStringList>("asked");
        QTest::newRow("unsaved race not kept") << "race" << QList<Answer>{Answer::No} << QStringList{"Save Changes?"};
        QTest::newRow("Cancel keeps the race") << "race" << QList<Answer>{Answer::Cancel} << QStringList{"Save Changes?"};
        QTest::newRow("gone") << "gone" << QList<Answer>{} << QStringList{"Splitwatch"};
        QTest::newRow("not a lap-time file") << "text" << QList<Answer>{Answer::No} << QStringList{"Save Changes?", "Bad File"};
    }

    void recentEntryOpens()
    {
        QFETCH(QString, file);
        QFETCH(QList<Answer>, answers);
        QFETCH(QStringList, asked);
        QTemporaryDir dir;
        const QString ini = dir.filePath(u"recent.ini"_s), path = writeFile(dir.filePath(u"race.txt"_s));
        {
            RaceFixture first(2);
            first.w->fileCommands().recentFiles().useSettings(std::make_unique<QSettings>(ini, QSettings::IniFormat));
            first.prompts.chooseFile(path);
            first.w->ui.openAction->trigger();
        }
        if (file == u"gone")
            QVERIFY(QFile::remove(path));
        if (file == u"text")
            writeFile(path, "shopping list\n");
        RaceFixture f(2);
        f.w->fileCommands().recentFiles().useSettings(std::make_unique<QSettings>(ini, QSettings::IniFormat));
        prepare(f, u"finished"_s, answers);
        QCOMPARE(f.w->ui.recentFilesMenu->actions().size(), 1);
        f.w->ui.recentFilesMenu->actions().first()->trigger();
        QCOMPARE(askedTitles(f.prompts), asked);
        QCOMPARE(holdsFileRace(f.race), answers == QList<Answer>{Answer::No} && file == u"race");
        if (file == u"gone") {
            QVERIFY(f.prompts.asked[0].message.text.contains(path));
            QVERIFY(!f.w->ui.recentFilesMenu->menuAction()->isEnabled());
            QCOMPARE(QSettings(ini, QSettings::IniFormat).value(u"files/recent"_s).toStringList(), QStringList{});
        }
        if (file == u"text")
            QCOMPARE(f.prompts.asked[1].message.text, openMessageFor(path));
    }

    // A file on the command line opens once the main window is up, with File > Open's messages;
    // options are no files, and a file named with "/E" is refused.
    void commandLineFile_data()
    {
        QTest::addColumn<QStringList>("args"); // FILE: the file
        QTest::addColumn<QString>("name");    // of the file, below a temporary folder
        QTest::addColumn<QString>("content"); // race, text or none
        QTest::addColumn<QStringList>("asked");
        QTest::newRow("lap-time file") << QStringList{"FILE"} << "race.txt" << "race" << QStringList{};
        QTest::newRow("path holding /E") << QStringList{"FILE"} << "Events/race.txt" << "race" << QStringList{};
        QTest::newRow("unknown option") << QStringList{"--foo"} << "race.txt" << "race" << QStringList{};
        QTest::newRow("missing file") << QStringList{"FILE"} << "race.txt" << "none" << QStringList{"Bad File"};
        QTest::newRow("not a lap-time file") << QStringList{"FILE"} << "race.txt" << "text" << QStringList{"Bad File"};
        QTest::newRow("with /E: refused") << QStringList{"/E", "FILE"} << "race.txt" << "race"
                                          << QStringList{"Splitwatch", "Splitwatch", "Splitwatch"};
    }

    void commandLineFile()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, name);
        QFETCH(QString, content);
        QFETCH(QStringList, asked);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        if (content != u"none")
            writeFile(path, content == u"text" ? "shopping list\n" : "");
        args.replaceInStrings(u"FILE"_s, path);
        const bool ravelin = args.contains(u"/E"_s);
        StartupRig rig;
        rig.start(args, dir.path());
        QCOMPARE(!rig.startup->mainWindow(), !ravelin);
        rig.startupTimer.advanceMs(5000); // the speed check settles, then passes
        rig.startupTimer.advanceMs(2500);
        QVERIFY(rig.startup->mainWindow());
        QCOMPARE(askedTitles(rig.prompts), asked);
        QCOMPARE(rig.race.isHeldInSetup(), ravelin);
        const bool opened = content == u"race" && !ravelin && !args.contains(u"--foo"_s);
        QCOMPARE(holdsFileRace(rig.race), opened);
        if (content != u"race")
            QCOMPARE(rig.prompts.asked.back().message.text, openMessageFor(path));
        if (ravelin)
            QCOMPARE(rig.prompts.asked.back().message.text, Startup::fileWithRavelinText(path));
    }

    // A dropped local file opens as Open does, asking about unsaved work first, wherever it lands
    // (an entry field does not take its name as text). While a race is timed it is refused.
    void dropOnWindow_data()
    {
        QTest::addColumn<QString>("face");
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
        const QString path = writeFile(f.folder.filePath(u"dropped.txt"_s));
        prepare(f, face, answers);
        QWidget *target = onField ? static_cast<QWidget *>(f.w->ui.segmentFields[1]) : f.w->ui.client;
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(path)});
        data.setText(QUrl::fromLocalFile(path).toString()); // as file managers send it too
        const QPoint at = target->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &drop);
        QVERIFY(enter.isAccepted() && drop.isAccepted());
        QCoreApplication::processEvents(); // the open runs once the drop has returned
        QCOMPARE(askedTitles(f.prompts), asked);
        QCOMPARE(holdsFileRace(f.race), loaded);
        if (face == u"timing") {
            QCOMPARE(f.prompts.asked[0].message.text, FileCommands::notWhileTimingText());
            f.pressAt(35);
            QCOMPARE(f.race.reading(2, 1), 35.0);
        }
    }
};

QTEST_MAIN(TestOpenFromOutside)
#include "tst_openfromoutside.moc"
