// The File menu through the real main window, Return to Ravelin after a "/E" start included.

#include "support/RaceFixture.h"

#include "document/CommentsWindow.h"
#include "files/LapFile.h"

#include <QDir>
#include <QPlainTextEdit>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

using namespace sw;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(QList<sw::Answer>)

namespace {

// A race window with the file commands installed.
struct FileRig
{
    explicit FileRig(int numSegs = 2) : f(numSegs), cmd(&f.w->fileCommands()) { f.prompts.clear(); }

    RaceFixture f;
    FileCommands *cmd;

    QString lapPath(const QString &name) const { return f.files.lapTimeFolder() + QLatin1Char('/') + name; }
    QString caption() const { return f.w->windowTitle(); }

    // Four laps of two segments; position and flag changed during lap 3.
    void timeRace()
    {
        f.armAndPress({2, 12, 23.5, 35, 46.25, 58});
        f.F(5);
        f.F(7);
        for (double t : {69.125, 80.0, 91.5})
            f.pressAt(t);
        f.finish();
        f.prompts.clear();
    }

    // Everything of the race the window shows or a file holds.
    QStringList view() const
    {
        QStringList v{caption(), QString::fromLatin1(writeLapFile(f.race.storedRace(), std::nullopt, QLatin1Char('.')))};
        for (int lap = 1; lap <= Race::MaxLap; ++lap)
            for (int c = 0; c < ResultsColumns; ++c)
                v << f.shownCell(lap, c);
        const auto &stats = f.w->results().statistics().values;
        return v << QStringList(stats.begin(), stats.end());
    }
};

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
}

QByteArray plainFile(const StoredRace &race) { return writeLapFile(race, std::nullopt, QLatin1Char('.')); }

// An edit of two-segment lap 1 that leaves the times and comments alone: the next traffic item.
void changeRace(RaceFixture &f)
{
    Conditions c = f.race.lapConditions(1);
    c.traffic = (c.traffic + 1) % 3;
    f.race.keepChanges(1, {0, *f.race.segmentTime(1, 1), *f.race.segmentTime(1, 2), 0, 0}, c);
    QVERIFY(f.race.isModified());
}

void checkDialog(const FileRig &r, bool open, const QString &initialName, int index = 0)
{
    const auto &a = r.f.prompts.asked.at(index);
    QCOMPARE(a.kind, open ? ScriptedPrompts::Asked::OpenFile : ScriptedPrompts::Asked::SaveFile);
    QCOMPARE((QStringList{a.dialog.title, a.dialog.filter, a.dialog.initialFolder, a.dialog.initialName}),
             (QStringList{open ? u"Open a File"_s : u"Save a File"_s, u"All Files (*)"_s,
                          r.f.files.lapTimeFolder(), initialName}));
}

void checkMessage(const MessageSpec &m, const QString &title, const QString &text, Buttons buttons, Icon icon, Answer dflt)
{
    QCOMPARE(shown(m), shown({title, text, buttons, icon, dflt}));
}

const QString kSaveChanges = u"Save Changes?"_s, kCopy = u"Copy To Ravelin?"_s;

// The titles asked, each known question checked word for word.
QStringList askedTitles(const FileRig &r)
{
    QStringList titles;
    for (const auto &a : r.f.prompts.asked) {
        titles << a.message.title;
        if (a.message.title == kSaveChanges)
            checkMessage(a.message, kSaveChanges,
                         u"Save these specs to a file?\n\nIf you say No, any changes you have made will not be saved."_s,
                         Buttons::YesNoCancel, Icon::Question, Answer::Yes);
        if (a.message.title == kCopy)
            checkMessage(a.message, kCopy, u"Do you want to copy these Lap Times back to your Ravelin record?"_s,
                         Buttons::YesNoCancel, Icon::Question, Answer::Yes);
    }
    return titles;
}

// A timed race saved as path, then (changedAfter) changed.
void timeAndSave(FileRig &r, const QString &path, bool changedAfter = true)
{
    r.timeRace();
    r.f.race.setComments(u"Heat 1\r\nwet track"_s);
    r.f.prompts.chooseFile(path);
    r.f.w->ui.saveAsAction->trigger();
    QVERIFY(!r.f.race.isModified());
    if (changedAfter)
        changeRace(r.f);
    r.f.prompts.clear();
}

} // namespace

class TestFileCommands : public QObject
{
    Q_OBJECT
private slots:
    // Save with no file yet asks for a name; one over 40 characters is cut, told, and a file under it asked about.
    void saveAtStartShowsDialog_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<Answer>("replace"); // Ok: no file under the cut name
        const QString long45 = u"abcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrs"_s;
        QTest::newRow("45 cut to 40") << long45 << Answer::Ok;
        QTest::newRow("40 kept") << long45.left(40) << Answer::Ok;
        QTest::newRow("cut name exists, replaced") << long45 << Answer::Yes;
        QTest::newRow("cut name exists, kept") << long45 << Answer::No;
    }

    void saveAtStartShowsDialog()
    {
        QFETCH(QString, name);
        QFETCH(Answer, replace);
        const QString stored = name.left(40);
        const QByteArray old("an older race");
        const bool written = replace != Answer::No;
        FileRig r;
        r.timeRace();
        QVERIFY(r.f.race.isModified()); // the presses
        if (replace != Answer::Ok)
            writeBytes(r.lapPath(stored), old);
        r.f.prompts.chooseFile(r.lapPath(name));
        if (replace != Answer::Ok)
            r.f.prompts.answer(Answer::Ok).answer(replace); // the notice, the question
        r.f.w->ui.saveAction->trigger();
        checkDialog(r, false, QString());
        QCOMPARE(r.f.files.currentFile, written ? r.lapPath(stored) : QString());
        QCOMPARE(r.caption(), u"Splitwatch   [ %1 ]"_s.arg(written ? stored : QString()));
        QCOMPARE(r.f.race.isModified(), !written);
        QCOMPARE(bytesOf(r.lapPath(stored)), written ? plainFile(r.f.race.storedRace()) : old);
        QCOMPARE(QFile::exists(r.lapPath(name)), name == stored);
        // the dialog, the notice, the question
        QCOMPARE(r.f.prompts.asked.size(), size_t(name == stored ? 1 : replace == Answer::Ok ? 2 : 3));
        if (name != stored)
            checkMessage(r.f.prompts.asked[1].message, u"Splitwatch"_s,
                         u"File Name shortened to first 40 characters:\n\n    "_s + stored, Buttons::Ok, Icon::None,
                         Answer::Ok);
        if (replace != Answer::Ok)
            checkMessage(r.f.prompts.asked[2].message, u"Splitwatch"_s,
                         u"A file with the shortened name already exists:\n\n    "_s + stored
                                 + u"\n\nDo you want to replace it?"_s,
                         Buttons::YesNo, Icon::Question, Answer::No);
    }

    // A current file named by a Windows path (from Ravelin) is not written into the working folder.
    void saveWithAWindowsPathAsks()
    {
        FileRig r;
        r.timeRace();
        r.f.files.currentFile = r.f.files.lapFileName = u"C:\\Races\\heat1.txt"_s;
        r.f.prompts.chooseFile(std::nullopt);
        r.f.w->ui.saveAction->trigger();
        QCOMPARE(r.f.prompts.asked.size(), size_t(1));
        QCOMPARE(int(r.f.prompts.asked[0].kind), int(ScriptedPrompts::Asked::SaveFile));
        QVERIFY(!QFile::exists(u"C:\\Races\\heat1.txt"_s));
        QVERIFY(r.f.race.isModified());
    }

    // Open asks about unsaved work first; Save then writes the opened file; after New, Save asks for a name.
    void startingAfreshNeverReplacesTheLastFile()
    {
        FileRig r;
        const QString heat1 = r.lapPath(u"heat1.txt"_s), kept = r.lapPath(u"kept.txt"_s);
        timeAndSave(r, heat1);
        r.f.files.currentFile = u"D:\\Races\\Old.txt"_s; // as Ravelin may hand it over
        r.f.prompts.answer(Answer::Yes).chooseFile(kept).chooseFile(heat1).chooseFile(std::nullopt);
        r.f.w->ui.openAction->trigger();
        QCOMPARE(askedTitles(r), (QStringList{kSaveChanges, QString(), QString()}));
        checkDialog(r, false, u"Old.txt"_s, 1);
        QVERIFY(bytesOf(kept).contains("\r\nHeat 1\r\nwet track\r\n-9999"));
        QCOMPARE(r.f.files.currentFile, heat1);
        r.f.prompts.asked.clear();
        r.f.w->ui.openAction->trigger(); // cancelled: no change
        checkDialog(r, true, u"heat1.txt"_s);
        QCOMPARE(r.f.files.currentFile, heat1);
        r.f.prompts.clear();
        r.f.race.setComments(u"dry"_s);
        QVERIFY(r.f.race.isModified());
        r.f.w->ui.saveAction->trigger();
        QCOMPARE(r.f.prompts.asked.size(), size_t(0));
        QCOMPARE(r.f.race.isModified(), false);
        const QByteArray heat1Bytes = bytesOf(heat1);
        QVERIFY(heat1Bytes.contains("\r\ndry\r\n-9999"));
        QCOMPARE(heat1Bytes, plainFile(r.f.race.storedRace()));

        r.f.prompts.answer(Answer::Yes).chooseFile(r.lapPath(u"heat2.txt"_s));
        r.f.w->ui.newAction->trigger();
        QCOMPARE(r.f.race.state(), RaceState::Setup);
        QCOMPARE((QStringList{r.f.race.comments(), r.f.files.currentFile, r.f.files.lapFileName, r.caption()}),
                 (QStringList{QString(), QString(), QString(), u"Splitwatch   [  ]"_s}));
        QCOMPARE(r.f.shownCell(1, 1), QString());
        r.f.prompts.asked.clear();
        r.f.w->ui.saveAction->trigger();
        checkDialog(r, false, QString());
        QCOMPARE(bytesOf(heat1), heat1Bytes);
        QCOMPARE(bytesOf(r.lapPath(u"heat2.txt"_s)).split('\n').at(2), QByteArray(" 0 \r")); // no laps
    }

    void exitAnswers_data()
    {
        QTest::addColumn<bool>("closeBox");
        QTest::addColumn<Answer>("answer"); // Ok: nothing changed, nothing asked
        QTest::addColumn<bool>("fileChosen"); // in the save dialog, when it comes
        QTest::addColumn<bool>("ends");
        QTest::newRow("menu: no change asks nothing") << false << Answer::Ok << false << true;
        QTest::newRow("close box: Cancel keeps running") << true << Answer::Cancel << false << false;
        QTest::newRow("close box: Yes, dialog cancelled, keeps running") << true << Answer::Yes << false << false;
        QTest::newRow("close box: Yes saves and ends") << true << Answer::Yes << true << true;
    }

    void exitAnswers()
    {
        QFETCH(bool, closeBox);
        QFETCH(Answer, answer);
        QFETCH(bool, fileChosen);
        const int specsChanged = answer == Answer::Ok ? 0 : 1;
        QFETCH(bool, ends);
        FileRig r;
        timeAndSave(r, r.lapPath(u"old.txt"_s), specsChanged); // a file opened: Yes still shows the dialog
        const QString target = r.lapPath(u"kept.txt"_s);
        if (specsChanged)
            r.f.prompts.answer(answer).chooseFile(fileChosen ? std::optional<QString>(target) : std::nullopt);
        if (closeBox)
            QCOMPARE(r.f.w->close(), ends);
        else
            r.f.w->ui.exitAction->trigger();
        QCOMPARE(r.f.programEnded, ends ? 1 : 0);
        QCOMPARE(r.f.w->isVisible(), !(closeBox && ends));
        QCOMPARE(QFile::exists(target), fileChosen);
        const QStringList titles = askedTitles(r);
        QCOMPARE(titles.size(), specsChanged + (answer == Answer::Yes ? 1 : 0));
        QCOMPARE(titles.value(0), specsChanged ? kSaveChanges : QString());
    }

    // New answered No or Cancel, Open stopped, or a file that cannot be used: the race stays.
    void raceIsKept_data()
    {
        QTest::addColumn<bool>("open");     // else New
        QTest::addColumn<Answer>("answer"); // to the first question
        QTest::addColumn<QByteArray>("bytes"); // empty: the file does not exist
        QTest::addColumn<QString>("text");     // the Bad File message, or its start
        auto stored = std::make_unique<StoredRace>();
        stored->segmentsPerLap = 1;
        stored->lastLap = 3;
        const QByteArray good = plainFile(*stored);
        QTest::newRow("New, No") << false << Answer::No << QByteArray() << QString();
        QTest::newRow("New, Cancel") << false << Answer::Cancel << QByteArray() << QString();
        QTest::newRow("Open, Save Changes? Cancel") << true << Answer::Cancel << good << QString();
        QTest::newRow("Open, Save Changes? Yes, save cancelled") << true << Answer::Yes << good << QString();
        QTest::newRow("not a lap-time file") << true << Answer::No << QByteArray("Race results\r\n1 2 3\r\n")
                                             << u"This is not a Lap Time file and can not be used."_s;
        QTest::newRow("ends in the laps") << true << Answer::No << good.left(good.size() / 2)
                                          << u"This Lap Time file is damaged and can not be used:\n\n    "_s;
        QTest::newRow("missing file") << true << Answer::No << QByteArray() << u"Cannot read file "_s;
    }

    void raceIsKept()
    {
        QFETCH(bool, open);
        QFETCH(Answer, answer);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        FileRig r;
        const QString current = r.lapPath(u"current.txt"_s);
        timeAndSave(r, current);
        const QStringList before = r.view();
        const QString bad = r.lapPath(u"bad.txt"_s);
        if (!bytes.isEmpty())
            writeBytes(bad, bytes);
        r.f.prompts.answer(answer).chooseFile(answer == Answer::Yes ? std::nullopt : std::optional<QString>(bad));
        (open ? r.f.w->ui.openAction : r.f.w->ui.newAction)->trigger();
        const QStringList titles = askedTitles(r);
        QCOMPARE(titles.size(), !open || answer == Answer::Cancel ? 1 : answer == Answer::Yes ? 2 : 3);
        QCOMPARE(titles.value(0), open ? kSaveChanges : u"Erase All Lap Times?"_s);
        const MessageSpec &m = r.f.prompts.asked.back().message;
        if (!open)
            checkMessage(m, u"Erase All Lap Times?"_s,
                         u"Do you want to erase all these Lap Times and Comments for this session?\n\n"
                         "If you answer Yes, all specs and Comments will be blanked out."_s,
                         Buttons::YesNoCancel, Icon::Question, Answer::No);
        else if (!text.isEmpty())
            QVERIFY2(m.title == u"Bad File"_s && m.buttons == Buttons::Ok && m.text.startsWith(text), qPrintable(m.text));
        if (text.endsWith(QLatin1Char(' ')))
            QVERIFY2(m.text.contains(QDir::toNativeSeparators(bad)), qPrintable(m.text)); // names the file
        QCOMPARE(r.view(), before);
        QCOMPARE(r.f.files.currentFile, current);
        QCOMPARE(r.f.race.isModified(), true);
        QCOMPARE(r.f.race.state(), RaceState::Finished);
    }

    // Writes beyond RLIMIT_FSIZE fail for every user, root included; a read-only folder would not.
    void failedWriteIsToldAndKeepsOldFile()
    {
        FileRig r;
        r.timeRace();
        const QString old = r.lapPath(u"old.txt"_s);
        const QByteArray oldBytes("QVM-SW*1.10\r\nnot yet replaced\r\n");
        writeBytes(old, oldBytes);
        r.f.files.currentFile = u"/somewhere/earlier.txt"_s;
        QVERIFY(r.f.race.isModified()); // the presses
        r.f.prompts.chooseFile(old);
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        const rlimit small{512, saved.rlim_max};
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        r.f.w->ui.saveAsAction->trigger();
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);

        QCOMPARE(r.f.prompts.asked.size(), size_t(2));
        const MessageSpec &m = r.f.prompts.asked[1].message;
        QCOMPARE(shown(m), shown({u"Splitwatch"_s, m.text, Buttons::Ok, Icon::Exclamation}));
        QVERIFY2(m.text.startsWith(u"The Lap Times have not been saved.\n\nCannot write file "_s + old), qPrintable(m.text));
        QCOMPARE(bytesOf(old), oldBytes);
        QCOMPARE(r.f.files.currentFile, u"/somewhere/earlier.txt"_s);
        QCOMPARE(r.f.race.isModified(), true);
        QCOMPARE(QDir(r.f.files.lapTimeFolder()).entryList(QDir::Files).size(), 1); // no temporary left
    }

    // Windows-1252 holds the euro sign; the rest is asked about, each character once.
    void uncodableCommentsAreToldFirst_data()
    {
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<QByteArray>("written"); // comment line as stored; empty: nothing written
        QTest::newRow("saved anyway") << Answer::Yes << QByteArray("5 \x80 ?? ??");
        QTest::newRow("not saved") << Answer::No << QByteArray();
    }

    void uncodableCommentsAreToldFirst()
    {
        QFETCH(Answer, answer);
        QFETCH(QByteArray, written);
        FileRig r;
        r.f.race.setComments(u"5 \u20ac \u2713\u2713 \u03c0\U0001F600"_s);
        const QString path = r.lapPath(u"c.txt"_s);
        r.f.prompts.chooseFile(path).answer(answer);
        r.f.w->ui.saveAsAction->trigger();
        QCOMPARE(r.f.prompts.asked.size(), size_t(2));
        checkMessage(r.f.prompts.asked[1].message, u"Splitwatch"_s,
                     u"These characters in the Comments can not be stored in a Lap Time file and would be saved "
                     "as question marks:\n\n    \u2713\u03c0\U0001F600\n\nSave anyway?"_s,
                     Buttons::YesNo, Icon::Question, Answer::No);
        QCOMPARE(QFile::exists(path), !written.isEmpty());
        if (!written.isEmpty())
            QVERIFY(bytesOf(path).contains("\r\n" + written + "\r\n-9999\r\n 0 \r\n"));
        QCOMPARE(r.f.files.currentFile, written.isEmpty() ? QString() : path);
    }

    // OK, Cancel, or the main window becoming active close the window; Return is a line break.
    void commentsWindow_data()
    {
        QTest::addColumn<QString>("ending");
        QTest::newRow("OK stores with CR LF") << "ok";
        QTest::newRow("Cancel") << "cancel";
        QTest::newRow("main window becomes active") << "main window";
    }

    void commentsWindow()
    {
        QFETCH(QString, ending);
        FileRig r;
        auto read = std::make_unique<StoredRace>(); // as a file read gives it: unchanged
        read->comments = u"Heat 1\r\nwet"_s;
        r.f.race.load(*read);
        r.f.w->ui.commentsAction->trigger();
        QPointer<CommentsWindow> c = r.cmd->commentsWindow();
        QVERIFY(c);
        QCoreApplication::processEvents();
        if (!c->isActiveWindow()) // the platform may not have done it yet
            QApplication::setActiveWindow(c);
        QCoreApplication::processEvents();
        QVERIFY(c->isActiveWindow());
        QVERIFY(!c->isModal());
        QCOMPARE(c->windowTitle(), u"Splitwatch File Comments"_s);
        QCOMPARE(c->commentsEdit->toPlainText(), u"Heat 1\nwet"_s);
        c->commentsEdit->setFocus();
        c->commentsEdit->selectAll();
        QTest::keyClicks(c->commentsEdit, u"dry\r\rsunny"_s); // Return twice
        QCOMPARE(c->commentsEdit->toPlainText(), u"dry\n\nsunny"_s);
        if (ending == "main window"_L1)
            QApplication::setActiveWindow(r.f.w.get());
        else
            QTest::mouseClick(ending == "ok"_L1 ? c->okButton : c->cancelButton, Qt::LeftButton);
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(r.f.race.comments(), ending == "ok"_L1 ? u"dry\r\n\r\nsunny"_s : u"Heat 1\r\nwet"_s);
        QVERIFY(c.isNull()); // unloaded: the next menu click loads a fresh one
        QCOMPARE(r.f.race.isModified(), ending == "ok"_L1); // Exit, New and Open ask about it
        QCOMPARE(r.f.prompts.asked.size(), size_t(0));
    }

    // Yes hands the race back (naming the current file), No discards the handed-over file, Cancel neither.
    void returnToRavelin_data()
    {
        QTest::addColumn<int>("specsChanged");
        QTest::addColumn<QList<Answer>>("answers");
        QTest::addColumn<QStringList>("titles");
        QTest::addColumn<bool>("outputBlocked"); // a folder stands where the output file goes
        QTest::newRow("Yes") << 0 << QList<Answer>{Answer::Yes} << QStringList{kCopy} << false;
        QTest::newRow("No") << 0 << QList<Answer>{Answer::No} << QStringList{kCopy} << false;
        QTest::newRow("Cancel keeps running") << 0 << QList<Answer>{Answer::Cancel} << QStringList{kCopy} << false;
        QTest::newRow("Yes, output cannot be written, keeps running")
                << 0 << QList<Answer>{Answer::Yes} << QStringList{kCopy, u"Splitwatch"_s} << true;
        QTest::newRow("changed: not saved, then Yes")
                << 1 << QList<Answer>{Answer::No, Answer::Yes} << QStringList{kSaveChanges, kCopy} << false;
        QTest::newRow("changed: Cancel asks nothing more")
                << 1 << QList<Answer>{Answer::Cancel} << QStringList{kSaveChanges} << false;
    }

    void returnToRavelin()
    {
        QFETCH(int, specsChanged);
        QFETCH(QList<Answer>, answers);
        QFETCH(bool, outputBlocked);
        const Answer last = answers.last();
        const bool ends = !outputBlocked && last != Answer::Cancel;
        FileRig r;
        r.timeRace();
        const QString lapFile = r.lapPath(u"Heat1.txt"_s);
        r.f.files.startedByRavelin = true; // as a "/E" start sets both
        r.f.race.setHeldInSetup(true);
        StoredRace handedOver = r.f.race.storedRace();
        handedOver.comments = u"wet"_s;
        writeBytes(r.f.files.exchangeInputPath(), writeLapFile(handedOver, lapFile, QLatin1Char('.')));
        r.f.files.exchange = ExchangeState::InputWaiting;
        r.f.w->onActivated();
        QCOMPARE(r.f.files.currentFile, lapFile);
        QCOMPARE(r.f.race.comments(), u"wet"_s);
        QVERIFY(!r.f.race.isModified());
        r.f.race.setComments(u"edited"_s);
        r.f.w->onActivated(); // loaded on the first activation only
        QCOMPARE(r.f.race.comments(), u"edited"_s);
        if (outputBlocked)
            QVERIFY(QDir().mkdir(r.f.files.exchangeOutputPath()));
        if (!specsChanged)
            r.f.race.markSaved(); // the questions below start from a race without changes
        for (Answer a : answers)
            r.f.prompts.answer(a);
        r.f.w->ui.returnToRavelinAction->trigger();
        QTEST(askedTitles(r), "titles");
        QCOMPARE(r.f.programEnded, ends ? 1 : 0);
        QCOMPARE(QFile::exists(r.f.files.exchangeInputPath()), last != Answer::No);
        QCOMPARE(bytesOf(r.f.files.exchangeOutputPath()), ends && last == Answer::Yes
                     ? writeLapFile(r.f.race.storedRace(), lapFile, QLatin1Char('.')) : QByteArray());
        QCOMPARE(r.f.files.exchange, ExchangeState::None);
    }
};

QTEST_MAIN(TestFileCommands)
#include "tst_filecommands.moc"
