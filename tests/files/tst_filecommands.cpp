// The File menu through the real main window: New, Open, Save, Save As,
// Exit (menu and close box), bad and damaged files, failed writes, and a
// timed race saved and opened again.

#include "files/FileRig.h"

#include "files/LapFile.h"
#include "files/frmComments.h"

#include <QDir>
#include <QtTest>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

using namespace sw;

Q_DECLARE_METATYPE(QList<sw::Answer>)

class TestFileCommands : public QObject
{
    Q_OBJECT
private slots:
    void fileDialogsAreSetUp_data();
    void fileDialogsAreSetUp();
    void saveAfterOpenWritesWithoutDialog();
    void saveAtStartShowsDialog();
    void longNameIsCut_data();
    void longNameIsCut();
    void exitAnswers_data();
    void exitAnswers();
    void newAnswers_data();
    void newAnswers();
    void timedRaceComesBackWhole();
    void unusableFileChangesNothing_data();
    void unusableFileChangesNothing();
    void failedWriteIsToldAndKeepsOldFile_data();
    void failedWriteIsToldAndKeepsOldFile();
    void uncodableCommentsAreToldFirst_data();
    void uncodableCommentsAreToldFirst();
};

static QString saveChangesText()
{
    return QStringLiteral("Save these specs to a file?\r\r"
                          "If you say No, any changes you have made will not be saved.");
}

void TestFileCommands::fileDialogsAreSetUp_data()
{
    QTest::addColumn<bool>("open");
    QTest::addColumn<QString>("title");
    QTest::newRow("open") << true << QStringLiteral("Open a File");
    QTest::newRow("save as") << false << QStringLiteral("Save a File");
}

void TestFileCommands::fileDialogsAreSetUp()
{
    QFETCH(bool, open);
    QFETCH(QString, title);
    FileRig r;
    r.f.state.CurrentFile = QStringLiteral("D:\\Races\\Heat1.txt");
    r.f.prompts.chooseFile(std::nullopt);
    (open ? r.f.w->ui.mnuOpen : r.f.w->ui.mnuSaveAs)->trigger();
    QCOMPARE(r.f.prompts.asked.size(), size_t(1));
    const auto &a = r.f.prompts.asked[0];
    QCOMPARE(a.kind, open ? ScriptedPrompts::Asked::OpenFile : ScriptedPrompts::Asked::SaveFile);
    QCOMPARE(a.dialog.title, title);
    QCOMPARE(a.dialog.filter, QStringLiteral("All Files (*.*)|*.*"));
    QCOMPARE(a.dialog.initialFolder, r.f.state.lapTimeFolder());
    QCOMPARE(a.dialog.initialName, QStringLiteral("Heat1.txt"));
    // Cancel changes nothing.
    QCOMPARE(r.f.state.CurrentFile, QStringLiteral("D:\\Races\\Heat1.txt"));
    QCOMPARE(r.f.state.LapFileName, QString());
}

void TestFileCommands::saveAfterOpenWritesWithoutDialog()
{
    FileRig r;
    r.timeRace();
    const QString path = r.lapPath(QStringLiteral("Heat1.txt"));
    FileRig::writeBytes(path, writeLapFile(r.f.state.rec, QString(), std::nullopt, QLatin1Char('.')));

    FileRig other(1);
    other.f.prompts.chooseFile(path);
    other.f.w->ui.mnuOpen->trigger();
    QCOMPARE(other.f.state.CurrentFile, path);
    QCOMPARE(other.caption(), QStringLiteral("Splitwatch   [ Heat1.txt ]"));
    other.f.prompts.clear();
    other.f.state.Comments = QStringLiteral("wet track");
    other.f.state.SpecsChanged = 1;
    other.f.w->ui.mnuSave->trigger();
    QCOMPARE(other.f.prompts.asked.size(), size_t(0));
    QCOMPARE(other.f.state.SpecsChanged, 0);
    QCOMPARE(FileRig::bytesOf(path),
             writeLapFile(other.f.state.rec, QStringLiteral("wet track"), std::nullopt, QLatin1Char('.')));
}

void TestFileCommands::saveAtStartShowsDialog()
{
    FileRig r;
    r.timeRace();
    r.f.state.SpecsChanged = 1;
    const QString path = r.lapPath(QStringLiteral("Oval/Heat2.txt"));
    QVERIFY(QDir(r.f.state.lapTimeFolder()).mkdir(QStringLiteral("Oval")));
    r.f.prompts.chooseFile(path);
    r.f.w->ui.mnuSave->trigger();
    QCOMPARE(r.f.prompts.asked.size(), size_t(1));
    QCOMPARE(r.f.prompts.asked[0].kind, ScriptedPrompts::Asked::SaveFile);
    QCOMPARE(r.f.prompts.asked[0].dialog.initialName, QString());
    QCOMPARE(r.f.state.CurrentFile, path);
    QCOMPARE(r.f.state.FileTitle, QStringLiteral("Oval/Heat2.txt")); // named below LapTimeFiles
    QCOMPARE(r.caption(), QStringLiteral("Splitwatch   [ Oval/Heat2.txt ]"));
    QCOMPARE(r.f.state.SpecsChanged, 0);
    QCOMPARE(FileRig::bytesOf(path), writeLapFile(r.f.state.rec, QString(), std::nullopt, QLatin1Char('.')));
}

void TestFileCommands::longNameIsCut_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("written");
    QTest::newRow("45 cut to 40") << 45 << 40;
    QTest::newRow("41 cut to 40") << 41 << 40;
    QTest::newRow("40 kept") << 40 << 40;
    QTest::newRow("8 kept") << 8 << 8;
}

void TestFileCommands::longNameIsCut()
{
    QFETCH(int, length);
    QFETCH(int, written);
    FileRig r;
    QString name;
    for (int i = 0; name.size() < length; ++i)
        name += QChar(u'a' + i % 26);
    r.f.prompts.chooseFile(r.lapPath(name));
    r.f.w->ui.mnuSaveAs->trigger();
    const QString cut = name.left(written);
    QVERIFY(QFile::exists(r.lapPath(cut)));
    QVERIFY(written == length || !QFile::exists(r.lapPath(name)));
    QCOMPARE(r.f.state.CurrentFile, r.lapPath(cut));
    if (written == length) {
        QCOMPARE(r.f.prompts.asked.size(), size_t(1)); // the dialog only
        return;
    }
    QCOMPARE(r.f.prompts.asked.size(), size_t(2));
    const MessageSpec &m = r.f.prompts.asked[1].message;
    QCOMPARE(m.text, QStringLiteral("File Name shortened to first 40 characters:\r\r    ") + cut);
    QCOMPARE(m.title, QStringLiteral("Splitwatch"));
    QCOMPARE(m.buttons, Buttons::Ok);
    QCOMPARE(m.icon, Icon::None);
}

void TestFileCommands::exitAnswers_data()
{
    QTest::addColumn<bool>("closeBox");
    QTest::addColumn<int>("specsChanged");
    QTest::addColumn<QList<Answer>>("answers");
    QTest::addColumn<bool>("fileChosen"); // the save dialog, when it comes
    QTest::addColumn<bool>("ends");
    QTest::addColumn<bool>("saved");

    const QList<Answer> none;
    for (bool box : {false, true}) {
        const char *via = box ? "close box: " : "menu: ";
        auto row = [&](const char *what) -> QTestData & {
            return QTest::newRow(qPrintable(QString::fromLatin1(via) + QLatin1String(what)));
        };
        row("no change asks nothing") << box << 0 << none << false << true << false;
        row("Cancel keeps running") << box << 1 << QList<Answer>{Answer::Cancel} << false << false << false;
        row("No ends unsaved") << box << 1 << QList<Answer>{Answer::No} << false << true << false;
        row("Yes, dialog cancelled, keeps running") << box << 1 << QList<Answer>{Answer::Yes} << false << false << false;
        row("Yes saves and ends") << box << 1 << QList<Answer>{Answer::Yes} << true << true << true;
    }
}

void TestFileCommands::exitAnswers()
{
    QFETCH(bool, closeBox);
    QFETCH(int, specsChanged);
    QFETCH(QList<Answer>, answers);
    QFETCH(bool, fileChosen);
    QFETCH(bool, ends);
    QFETCH(bool, saved);
    FileRig r;
    r.timeRace();
    // A file already opened: Yes still shows the save dialog.
    const QString old = r.lapPath(QStringLiteral("old.txt"));
    r.f.prompts.chooseFile(old);
    r.f.w->ui.mnuSaveAs->trigger();
    r.f.prompts.clear();

    r.f.state.SpecsChanged = specsChanged;
    for (Answer a : answers)
        r.f.prompts.answer(a);
    const QString target = r.lapPath(QStringLiteral("kept.txt"));
    if (specsChanged)
        r.f.prompts.chooseFile(fileChosen ? std::optional<QString>(target) : std::nullopt);

    if (closeBox) {
        QCOMPARE(r.f.w->close(), ends);
    } else {
        r.f.w->ui.mnuExit->trigger();
    }
    QCOMPARE(r.f.programEnded, ends ? 1 : 0);
    QCOMPARE(r.f.state.CancelExit, ends ? 0 : 1);
    QCOMPARE(r.f.w->isVisible(), !(closeBox && ends));
    QCOMPARE(QFile::exists(target), saved);
    QCOMPARE(r.f.prompts.unexpectedCount(), 0);
    if (specsChanged) {
        const MessageSpec &m = r.f.prompts.asked[0].message;
        QCOMPARE(m.title, QStringLiteral("Save Changes?"));
        QCOMPARE(m.text, saveChangesText());
        QCOMPARE(m.buttons, Buttons::YesNoCancel);
        QCOMPARE(m.icon, Icon::Question);
    } else {
        QCOMPARE(r.f.prompts.asked.size(), size_t(0));
    }
}

void TestFileCommands::newAnswers_data()
{
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<bool>("erased");
    QTest::newRow("Yes") << Answer::Yes << true;
    QTest::newRow("No") << Answer::No << false;
    QTest::newRow("Cancel") << Answer::Cancel << false;
}

void TestFileCommands::newAnswers()
{
    QFETCH(Answer, answer);
    QFETCH(bool, erased);
    FileRig r;
    r.timeRace();
    r.f.state.Comments = QStringLiteral("dry");
    r.f.prompts.chooseFile(r.lapPath(QStringLiteral("race.txt")));
    r.f.w->ui.mnuSaveAs->trigger();
    r.f.state.SpecsChanged = 1;
    r.f.prompts.clear();
    const RaceView before = RaceView::of(r);

    r.f.prompts.answer(answer);
    r.f.w->ui.mnuNew->trigger();

    QCOMPARE(r.f.prompts.asked.size(), size_t(1));
    const MessageSpec &m = r.f.prompts.asked[0].message;
    QCOMPARE(m.title, QStringLiteral("Erase All Lap Times?"));
    QCOMPARE(m.text, QStringLiteral("Do you want to erase all these Lap Times and Comments for this session?\r\r"
                                    "If you answer Yes, all specs and Comments will be blanked out."));
    QCOMPARE(m.buttons, Buttons::YesNoCancel);
    QCOMPARE(m.icon, Icon::Question);
    QCOMPARE(m.defaultButton, Answer::No);

    const RaceView after = RaceView::of(r);
    if (!erased) {
        COMPARE_VIEWS(after, before);
        QCOMPARE(r.f.state.rec.RaceState, qint16(RaceFinished));
        return;
    }
    QCOMPARE(r.f.state.rec.RaceState, qint16(RaceSetup));
    QCOMPARE(after.comments, QString());
    QCOMPARE(r.f.cell(1, 1), QString());
    QCOMPARE(r.f.cell(0, 1), QStringLiteral("Seg 1")); // headings rebuilt
    QCOMPARE(r.f.state.rec.reading(1, 1), 0.0);
    QCOMPARE(after.caption, before.caption);
    QCOMPARE(r.f.state.CurrentFile, r.lapPath(QStringLiteral("race.txt")));
    QCOMPARE(r.f.state.SpecsChanged, 1);
}

void TestFileCommands::timedRaceComesBackWhole()
{
    FileRig r;
    r.timeRace();
    r.f.state.Comments = QStringLiteral("Heat 1\r\nwet track");
    const QString path = r.lapPath(QStringLiteral("heat.txt"));
    r.f.prompts.chooseFile(path);
    r.f.w->ui.mnuSaveAs->trigger();
    const RaceView saved = RaceView::of(r);
    QVERIFY(!saved.stats.join(QString()).isEmpty());
    QCOMPARE(saved.LastLap, 4);

    r.f.prompts.answer(Answer::Yes);
    r.f.w->ui.mnuNew->trigger();
    QCOMPARE(r.f.cell(2, 5), QString());
    r.f.prompts.chooseFile(path);
    r.f.w->ui.mnuOpen->trigger();

    COMPARE_VIEWS(RaceView::of(r), saved);
    QCOMPARE(r.f.state.rec.RaceState, qint16(RaceFinished));
    QCOMPARE(r.f.state.rec.CurLap, qint16(1)); // the editing face opens on lap 1
    QCOMPARE(r.f.w->ui.SpecData[1]->text(), r.f.cell(1, 1));
    QCOMPARE(r.f.w->ui.Command3[3]->text(), QStringLiteral("Keep Changes"));
    QCOMPARE(r.f.state.SpecsChanged, 0);
    QCOMPARE(r.f.prompts.unexpectedCount(), 0);
    QCOMPARE(r.f.prompts.messageTexts(), QStringList{QStringLiteral(
            "Do you want to erase all these Lap Times and Comments for this session?\r\r"
            "If you answer Yes, all specs and Comments will be blanked out.")});

    // Saved again, the file keeps its bytes.
    const QByteArray first = FileRig::bytesOf(path);
    r.f.w->ui.mnuSave->trigger();
    QCOMPARE(FileRig::bytesOf(path), first);
}

void TestFileCommands::unusableFileChangesNothing_data()
{
    QTest::addColumn<QByteArray>("bytes"); // empty: the file does not exist
    QTest::addColumn<QString>("text");      // the message, or its start

    RaceRecord rec;
    rec.NumSegs = 1;
    rec.LastLap = 3;
    const QByteArray good = writeLapFile(rec, QString(), std::nullopt, QLatin1Char('.'));
    const QString damaged = QStringLiteral("This Lap Time file is damaged and can not be used:\r\r    ");
    QTest::newRow("not a lap-time file") << QByteArray("Race results\r\n1 2 3\r\n")
                                         << QStringLiteral("This is not a Lap Time file and can not be used.");
    QTest::newRow("ends in the laps") << good.left(good.size() / 2) << damaged;
    QTest::newRow("header not a number") << QByteArray("QVM-SW*1.10\r\nabc\r\n") << damaged;
    QTest::newRow("9 segments") << QByteArray(good).replace("QVM-SW*1.10\r\n 1 ", "QVM-SW*1.10\r\n 9 ") << damaged;
    QTest::newRow("missing file") << QByteArray() << QStringLiteral("Cannot read file ");
}

void TestFileCommands::unusableFileChangesNothing()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    FileRig r;
    r.timeRace();
    r.f.state.Comments = QStringLiteral("kept");
    const QString current = r.lapPath(QStringLiteral("current.txt"));
    r.f.prompts.chooseFile(current);
    r.f.w->ui.mnuSaveAs->trigger();
    r.f.state.SpecsChanged = 1;
    r.f.prompts.clear();
    const RaceView before = RaceView::of(r);

    const QString bad = r.lapPath(QStringLiteral("bad.txt"));
    if (!bytes.isEmpty())
        FileRig::writeBytes(bad, bytes);
    r.f.prompts.chooseFile(bad);
    r.f.w->ui.mnuOpen->trigger();

    QCOMPARE(r.f.prompts.asked.size(), size_t(2));
    const MessageSpec &m = r.f.prompts.asked[1].message;
    QCOMPARE(m.title, QStringLiteral("Bad File"));
    QCOMPARE(m.buttons, Buttons::Ok);
    QVERIFY2(m.text.startsWith(text), qPrintable(m.text));
    if (text.endsWith(QLatin1Char(' ')))
        QVERIFY2(m.text.contains(QDir::toNativeSeparators(bad)), qPrintable(m.text)); // names the file
    COMPARE_VIEWS(RaceView::of(r), before);
    QCOMPARE(r.f.state.CurrentFile, current);
    QCOMPARE(r.f.state.SpecsChanged, 1);
    QCOMPARE(r.f.state.rec.RaceState, qint16(RaceFinished));

    // Save still goes to the file last read or written.
    r.f.prompts.clear();
    r.f.w->ui.mnuSave->trigger();
    QCOMPARE(r.f.prompts.asked.size(), size_t(0));
    QCOMPARE(r.f.state.CurrentFile, current);
    QCOMPARE(FileRig::bytesOf(bad), bytes);
}

void TestFileCommands::failedWriteIsToldAndKeepsOldFile_data()
{
    QTest::addColumn<bool>("sizeLimit"); // else the folder is a plain file
    QTest::newRow("folder cannot exist") << false;
#ifdef Q_OS_UNIX
    // Writes beyond RLIMIT_FSIZE fail for every user, root included.
    QTest::newRow("disk refuses the bytes") << true;
#endif
}

void TestFileCommands::failedWriteIsToldAndKeepsOldFile()
{
    QFETCH(bool, sizeLimit);
    FileRig r;
    r.timeRace();
    const QString old = r.lapPath(QStringLiteral("old.txt"));
    const QByteArray oldBytes("QVM-SW*1.10\r\nnot yet replaced\r\n");
    FileRig::writeBytes(old, oldBytes);
    const QString blocker = r.lapPath(QStringLiteral("plain"));
    FileRig::writeBytes(blocker, "x");
    const QString target = sizeLimit ? old : blocker + QStringLiteral("/new.txt");
    r.f.state.CurrentFile = QStringLiteral("/somewhere/earlier.txt");
    r.f.w->rebuildCaption();
    r.f.state.SpecsChanged = 1;
    const QString caption = r.caption();

#ifdef Q_OS_UNIX
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    if (sizeLimit) {
        rlimit small = saved;
        small.rlim_cur = 512;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    }
#endif
    r.f.prompts.chooseFile(target);
    r.f.w->ui.mnuSaveAs->trigger();
#ifdef Q_OS_UNIX
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
#endif

    QCOMPARE(r.f.prompts.asked.size(), size_t(2));
    const MessageSpec &m = r.f.prompts.asked[1].message;
    QCOMPARE(m.title, QStringLiteral("Splitwatch"));
    QCOMPARE(m.icon, Icon::Exclamation);
    QVERIFY2(m.text.startsWith(QStringLiteral("The Lap Times have not been saved.\r\rCannot write file ")
                               + QDir::toNativeSeparators(target)),
             qPrintable(m.text));
    QCOMPARE(FileRig::bytesOf(old), oldBytes);
    QCOMPARE(r.f.state.CurrentFile, QStringLiteral("/somewhere/earlier.txt"));
    QCOMPARE(r.caption(), caption);
    QCOMPARE(r.f.state.SpecsChanged, 1);
    QCOMPARE(QDir(r.f.state.lapTimeFolder()).entryList(QDir::Files).size(), 2); // no temporary left
}

void TestFileCommands::uncodableCommentsAreToldFirst_data()
{
    QTest::addColumn<QString>("comments");
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<QByteArray>("written"); // comment line as stored; empty: nothing written
    QTest::newRow("windows-1252 holds it") << QStringLiteral("5 \u20ac entry") << Answer::Ok << false
                                           << QByteArray("5 \x80 entry");
    QTest::newRow("check mark, saved anyway") << QStringLiteral("ok \u2713\u2713 \u03c0") << Answer::Yes << true
                                              << QByteArray("ok ?? ?");
    QTest::newRow("check mark, not saved") << QStringLiteral("ok \u2713") << Answer::No << true << QByteArray();
}

void TestFileCommands::uncodableCommentsAreToldFirst()
{
    QFETCH(QString, comments);
    QFETCH(Answer, answer);
    QFETCH(bool, asked);
    QFETCH(QByteArray, written);
    FileRig r;
    r.f.state.Comments = comments;
    const QString path = r.lapPath(QStringLiteral("c.txt"));
    r.f.prompts.chooseFile(path);
    if (asked)
        r.f.prompts.answer(answer);
    r.f.w->ui.mnuSaveAs->trigger();
    QCOMPARE(r.f.prompts.asked.size(), size_t(asked ? 2 : 1));
    if (asked) {
        const MessageSpec &m = r.f.prompts.asked[1].message;
        QCOMPARE(m.buttons, Buttons::YesNo);
        QCOMPARE(m.defaultButton, Answer::No);
        QVERIFY2(m.text.contains(QStringLiteral("\u2713")), qPrintable(m.text));
        QVERIFY(!m.text.contains(QStringLiteral("ok ")));
    }
    QCOMPARE(QFile::exists(path), !written.isEmpty());
    if (!written.isEmpty()) {
        QVERIFY(FileRig::bytesOf(path).contains("\r\n" + written + "\r\n-9999\r\n 0 \r\n"));
        QCOMPARE(r.f.state.CurrentFile, path);
    } else {
        QCOMPARE(r.f.state.CurrentFile, QString());
    }
}

QTEST_MAIN(TestFileCommands)
#include "tst_filecommands.moc"
