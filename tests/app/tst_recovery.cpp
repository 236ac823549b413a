// The crash journal through the real window: a race timed, finished, edited
// and commented is in its journal; recovery at the next start gives it back
// to the microsecond (running again on the same boot, finished after a
// restart), declining asks before deleting, and a disk that fills is told
// once while timing goes on.

#include "journal/JournalFormat.h"
#include "journal/JournalStore.h"
#include "support/RaceFixture.h"
#include "app/Recovery.h"
#include "app/Startup.h"
#include "journal/RaceRecorder.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/resource.h>

using namespace sw;

namespace {

// Every cell of the record: readings to the microsecond, conditions as stored.
QStringList recordCells(const Race &r)
{
    QStringList out;
    for (int lap = 0; lap < Race::Rows; ++lap)
        for (int c = 1; c < RaceRecordCells::Columns; ++c) {
            const Cell &cell = r.cell(lap, c);
            if (!cell.isEmpty())
                out << QStringLiteral("%1/%2=%3").arg(lap).arg(c).arg(
                    c <= 4 ? toMicroseconds(cell.value()) : qint64(cell.value()));
        }
    return out;
}

QStringList journalFiles(const QString &folder)
{
    return QDir(folder).entryList({QStringLiteral("*.swj")}, QDir::Files);
}

// A window timing with a journal in folder, on the boot bootId.
struct Journalled
{
    RaceJournal journal;
    RaceFixture f;
    Journalled(const QString &folder, const QByteArray &bootId, int numSegs)
        : journal(folder, false), f(numSegs, 1, &journal)
    {
        journal.bootId = bootId;
    }
};

// The race as it stood when the program "crashed".
struct Timed
{
    QStringList cells;
    int lastLap = 0;
    int currentLap = 0;
    int currentSegment = 0;
    QString comments;
    qint64 armNs = 0;
    qint64 crashNs = 0;
};

// Times a race with a journal in folder and leaves it unfinished on disk.
void timeAndCrash(const QString &folder, const QList<double> &presses, bool finish, bool edit, const QString &comments,
                  Timed *timed)
{
    Journalled j(folder, "boot-a", 2);
    RaceFixture &f = j.f;
    f.clock.setNs(1000000123); // the arm moment is no whole millisecond
    f.arm();
    for (double t : presses)
        f.pressAt(t);
    if (finish)
        f.finish();
    if (edit) {
        QApplication::setActiveWindow(f.w.get());
        f.w->ui.lapList->setCurrentIndex(0);
        f.w->ui.segmentFields[1]->setFocus(Qt::MouseFocusReason);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("8.5"));
        QTest::mouseClick(f.w->ui.finishKeepButton, Qt::LeftButton);
    }
    if (!comments.isEmpty())
        f.race.setComments(comments);
    j.journal.writer().runCycle();

    *timed = {recordCells(f.race), f.race.lastLap(),     f.race.currentLap(), f.race.currentSegment(),
              f.race.comments(),   f.armNs,              f.clock.nowNs()};
    QCOMPARE(f.prompts.unexpectedCount(), 0);
}

} // namespace

class TestRecovery : public QObject
{
    Q_OBJECT
private slots:
    void recoveredRaceIsTheRace_data()
    {
        QTest::addColumn<QList<double>>("presses");
        QTest::addColumn<bool>("finish");
        QTest::addColumn<bool>("edit");
        QTest::addColumn<QString>("comments");
        QTest::addColumn<bool>("sameBoot");
        QTest::addColumn<int>("state"); // RaceState after recovery
        const QList<double> midLap{1.5, 10.250001, 20.125, 31.000007};
        const int armed = int(RaceState::Armed), running = int(RaceState::Running), finished = int(RaceState::Finished);
        const QString none;
        QTest::newRow("armed only, same boot: armed again")
            << QList<double>{} << false << false << none << true << armed;
        QTest::newRow("mid-lap, same boot: running on") << midLap << false << false << none << true << running;
        QTest::newRow("mid-lap, computer restarted: finished") << midLap << false << false << none << false << finished;
        QTest::newRow("right after a lap's last segment, computer restarted: finished at that lap")
            << QList<double>{1.5, 10.25, 20.125} << false << false << none << false << finished;
        QTest::newRow("finished with comments") << midLap << true << false << "Dry\r\nWindy \\x" << true << finished;
        QTest::newRow("finished and edited") << midLap << true << true << none << true << finished;
    }

    void recoveredRaceIsTheRace()
    {
        QFETCH(QList<double>, presses);
        QFETCH(bool, finish);
        QFETCH(bool, edit);
        QFETCH(QString, comments);
        QFETCH(bool, sameBoot);
        QFETCH(int, state);
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("journal"));
        Timed timed;
        timeAndCrash(folder, presses, finish, edit, comments, &timed);
        if (QTest::currentTestFailed())
            return;

        Journalled j(folder, sameBoot ? "boot-a" : "boot-b", 1);
        RaceFixture &f = j.f;
        f.armNs = timed.armNs;
        f.clock.setNs(timed.crashNs + 5000000000LL); // started again five seconds later
        f.prompts.answer(Answer::Yes);
        QVERIFY(offerRecovery(f.race, j.journal, *f.recorder, f.prompts, f.timer, f.calibration));
        QCOMPARE(f.prompts.asked.size(), size_t(1));
        QCOMPARE(f.prompts.asked[0].message.title, QStringLiteral("Recover Race?"));
        QCOMPARE(int(f.prompts.asked[0].message.defaultButton), int(Answer::Yes));

        const Race &r = f.race;
        QCOMPARE(int(r.state()), state);
        QCOMPARE(r.segmentsPerLap(), 2);
        QCOMPARE(f.race.comments(), timed.comments);
        if (state == int(RaceState::Finished) && !finish)
            timed.lastLap = int(presses.size()) / 2; // the last lap a press wrote (two segments a lap), as F11 would
        QCOMPARE(r.lastLap(), timed.lastLap);
        QCOMPARE(recordCells(r), timed.cells);

        if (state != int(RaceState::Finished)) {
            // The race clock went on from the arm moment; the next press closes
            // the segment in progress ...
            QCOMPARE(r.currentLap(), timed.currentLap);
            QCOMPARE(r.currentSegment(), timed.currentSegment);
            const bool start = r.state() == RaceState::Armed;
            const int lap = start ? 0 : r.currentLap(), seg = start ? 2 : r.currentSegment();
            const double at = (timed.crashNs - timed.armNs) / 1e9 + 7.000001;
            f.pressAt(at);
            QCOMPARE(toMicroseconds(r.reading(lap, seg)), toMicroseconds(at));
            QCOMPARE(int(r.state()), int(RaceState::Running));
            // ... and it goes on into the same journal.
            j.journal.writer().runCycle();
            const JournalReadResult read = readJournal(bytesOf(j.journal.writer().currentPath()));
            QCOMPARE(int(read.status), int(JournalReadStatus::Complete));
            QCOMPARE(read.race.presses.back().readingUs, toMicroseconds(at));
        }
        QCOMPARE(f.prompts.unexpectedCount(), 0);
    }

    // A race recovered at start-up leaves the caption of a race without a
    // file, whatever the window system does about activating the window.
    void captionAfterRecoveryAtStart_data()
    {
        QTest::addColumn<QList<double>>("presses");
        QTest::addColumn<QByteArray>("bootNow");
        QTest::addColumn<int>("state");
        QTest::newRow("running on") << QList<double>{1.5, 10.25, 20.125} << QByteArray("boot-a") << int(RaceState::Running);
        QTest::newRow("finished after a restart")
            << QList<double>{1.5, 10.25, 20.125} << QByteArray("boot-b") << int(RaceState::Finished);
        QTest::newRow("armed only") << QList<double>{} << QByteArray("boot-a") << int(RaceState::Armed);
    }

    void captionAfterRecoveryAtStart()
    {
        QFETCH(QList<double>, presses);
        QFETCH(QByteArray, bootNow);
        QFETCH(int, state);
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("journal"));
        Timed timed;
        timeAndCrash(folder, presses, false, false, QString(), &timed);
        if (QTest::currentTestFailed())
            return;

        RaceJournal journal(folder, false);
        journal.bootId = bootNow;
        Race race;
        FileState files;
        TimerCalibration calibration;
        ScriptedPrompts prompts;
        ManualClock clock;
        clock.setNs(timed.crashNs + 5000000000LL);
        ManualHiTime startupTimer{clock}, mainTimer{clock};
        QTemporaryDir programFolder;
        Startup startup({}, programFolder.path(),
                        StartupServices{race, files, calibration, prompts, startupTimer, mainTimer});
        startup.journal = &journal;
        prompts.answer(Answer::Yes);
        QVERIFY(startup.begin());
        startupTimer.advanceMs(5000);
        startupTimer.advanceMs(2500);
        QVERIFY(startup.mainWindow());
        QCOMPARE(prompts.asked.size(), size_t(1));
        QCOMPARE(prompts.asked[0].message.title, QStringLiteral("Recover Race?"));
        QCOMPARE(int(race.state()), state);
        QCOMPARE(startup.mainWindow()->windowTitle(), QStringLiteral("Splitwatch   [  ]"));
    }

    void declinedRecovery_data()
    {
        QTest::addColumn<int>("second"); // answer to the question before deleting
        QTest::addColumn<bool>("kept");
        QTest::addColumn<bool>("recovered");
        QTest::newRow("No, then Yes deletes") << int(Answer::Yes) << false << false;
        QTest::newRow("No, then Cancel keeps the journal") << int(Answer::Cancel) << true << false;
        QTest::newRow("No, then No recovers after all") << int(Answer::No) << true << true;
    }

    void declinedRecovery()
    {
        QFETCH(int, second);
        QFETCH(bool, kept);
        QFETCH(bool, recovered);
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("journal"));
        Timed timed;
        timeAndCrash(folder, {1.0, 2.5}, false, false, QString(), &timed);
        if (QTest::currentTestFailed())
            return;
        {
            Journalled j(folder, "boot-a", 1);
            RaceFixture &f = j.f;
            f.clock.setNs(timed.crashNs);
            f.prompts.answer(Answer::No).answer(Answer(second));
            QCOMPARE(offerRecovery(f.race, j.journal, *f.recorder, f.prompts, f.timer, f.calibration), recovered);
            QCOMPARE(f.prompts.asked.size(), size_t(2));
            QCOMPARE(f.prompts.asked[1].message.title, QStringLiteral("Delete Race Journal?"));
            QCOMPARE(int(f.prompts.asked[1].message.defaultButton), int(Answer::Cancel));
            QCOMPARE(int(f.race.state()), int(recovered ? RaceState::Running : RaceState::Setup));
        }
        QCOMPARE(journalFiles(folder).size(), kept ? 1 : 0);
        QCOMPARE(JournalStore(folder).unfinished().size(), size_t(kept ? 1 : 0));
    }

    void fullDiskIsToldOnceAndTimingGoesOn()
    {
        QTemporaryDir dir;
        Journalled j(dir.filePath(QStringLiteral("journal")), "boot-a", 1);
        RaceFixture &f = j.f;
        JournalWriter &writer = j.journal.writer();
        f.armAndPress({1.0});
        writer.runCycle();
        const qint64 size = QFileInfo(writer.currentPath()).size();
        QVERIFY(size > 0);

        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        rlimit small = old;
        small.rlim_cur = rlim_t(size + 8); // the next line does not fit
        setrlimit(RLIMIT_FSIZE, &small);
        f.pressAt(2.0);
        writer.runCycle();
        setrlimit(RLIMIT_FSIZE, &old);

        QVERIFY(writer.protectionFailed());
        f.tickTo(2.5);
        QCOMPARE(f.w->ui.statusLine->text(), journalFailureText());
        f.w->ui.statusLine->setText(QStringLiteral("x"));
        f.tickTo(3.0);
        QCOMPARE(f.w->ui.statusLine->text(), QStringLiteral("x")); // once
        f.pressAt(4.0);
        QCOMPARE(f.race.reading(1, 1), 2.0);
        QCOMPARE(f.race.reading(2, 1), 4.0);
        QCOMPARE(f.prompts.asked.size(), size_t(0));
    }
};


QTEST_MAIN(TestRecovery)
#include "tst_recovery.moc"
