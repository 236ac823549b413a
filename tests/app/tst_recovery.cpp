// The crash journal through the real program start: a recovered race is the
// race to the microsecond, declining asks before deleting, a full disk is told once.

#include "app/Recovery.h"
#include "app/Startup.h"
#include "journal/JournalFormat.h"
#include "journal/JournalStore.h"
#include "support/RaceFixture.h"
#include "support/StartupRig.h"

#include <QDir>
#include <QtTest>

#include <sys/resource.h>

using namespace sw;

namespace {

// Every cell of the record: readings to the microsecond, conditions as stored.
QStringList recordCells(const Race &r)
{
    QStringList out;
    for (int lap = 0; lap < Race::Rows; ++lap)
        for (int c = 1; c < RaceRecordCells::Columns; ++c)
            if (const Cell &cell = r.cell(lap, c); !cell.isEmpty())
                out << QStringLiteral("%1/%2=%3").arg(lap).arg(c).arg(
                    c <= 4 ? toMicroseconds(cell.value()) : qint64(cell.value()));
    return out;
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
    int lastLap = 0, currentLap = 0, currentSegment = 0;
    qint64 armNs = 0, crashNs = 0;
};

// Times a two-segment race with a journal in folder and leaves it unfinished on disk.
Timed timeAndCrash(const QString &folder, const QList<double> &presses, bool finish = false)
{
    Journalled j(folder, "boot-a", 2);
    RaceFixture &f = j.f;
    f.clock.setNs(1000000123); // the arm moment is no whole millisecond
    f.arm();
    for (double t : presses)
        f.pressAt(t);
    if (finish)
        f.finish();
    j.journal.writer().runCycle();
    return {recordCells(f.race), f.race.lastLap(), f.race.currentLap(), f.race.currentSegment(), f.armNs,
            f.clock.nowNs()};
}

// The program started again five seconds after the crash, through its start-up.
struct Restarted : StartupRig
{
    Restarted(const QString &folder, const QByteArray &bootId, const Timed &timed, QList<Answer> answers)
    {
        journal.emplace(folder, false);
        journal->bootId = bootId;
        clock.setNs(timed.crashNs + 5000000000LL);
        for (Answer a : answers)
            prompts.answer(a);
        start({});
        startupTimer.advanceMs(7500); // the speed check passes
    }
};

} // namespace

class TestRecovery : public QObject
{
    Q_OBJECT
private slots:
    void recoveredRaceIsTheRace_data()
    {
        QTest::addColumn<QList<double>>("presses");
        QTest::addColumn<bool>("finish");
        QTest::addColumn<bool>("sameBoot");
        QTest::addColumn<int>("state"); // RaceState after recovery
        const QList<double> midLap{1.5, 10.250001, 20.125, 31.000007};
        const int armed = int(RaceState::Armed), running = int(RaceState::Running), finished = int(RaceState::Finished);
        QTest::newRow("armed only, same boot: armed again") << QList<double>{} << false << true << armed;
        QTest::newRow("mid-lap, same boot: running on") << midLap << false << true << running;
        QTest::newRow("mid-lap, computer restarted: finished") << midLap << false << false << finished;
        QTest::newRow("right after a lap's last segment, computer restarted: finished at that lap")
            << QList<double>{1.5, 10.25, 20.125} << false << false << finished;
        QTest::newRow("finished") << midLap << true << true << finished;
    }

    void recoveredRaceIsTheRace()
    {
        QFETCH(QList<double>, presses);
        QFETCH(bool, finish);
        QFETCH(int, state);
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("journal"));
        const Timed timed = timeAndCrash(folder, presses, finish);
        QFETCH(bool, sameBoot);
        Restarted s(folder, sameBoot ? "boot-a" : "boot-b", timed, {Answer::Yes});
        QVERIFY(s.startup->mainWindow());
        QCOMPARE(s.prompts.asked.size(), size_t(1));
        QCOMPARE(s.prompts.asked[0].message.title, QStringLiteral("Recover Race?"));
        QCOMPARE(int(s.prompts.asked[0].message.defaultButton), int(Answer::Yes));
        // The caption of a race without a file, though the window was never activated.
        QCOMPARE(s.startup->mainWindow()->windowTitle(), QStringLiteral("Splitwatch   [  ]"));
        const Race &r = s.race;
        QCOMPARE(int(r.state()), state);
        QCOMPARE(r.segmentsPerLap(), 2);
        // Finished by a restart: at the last lap a press wrote (two segments a lap), as F11 would.
        QCOMPARE(r.lastLap(), state == int(RaceState::Finished) && !finish ? int(presses.size()) / 2 : timed.lastLap);
        QCOMPARE(recordCells(r), timed.cells);
        QCOMPARE(s.prompts.unexpectedCount(), 0);
        if (state == int(RaceState::Finished))
            return;
        // The race clock went on from the arm: the next press closes the segment in progress ...
        QCOMPARE(r.currentLap(), timed.currentLap);
        QCOMPARE(r.currentSegment(), timed.currentSegment);
        const bool start = r.state() == RaceState::Armed;
        const int lap = start ? 0 : r.currentLap(), seg = start ? 2 : r.currentSegment();
        const double at = (timed.crashNs - timed.armNs) / 1e9 + 17.000001;
        s.clock.setNs(timed.armNs + qint64(at * 1e9 + 0.5));
        QTest::keyClick(s.startup->mainWindow()->ui.timingFocusHolder, Qt::Key_F2);
        QCOMPARE(toMicroseconds(r.reading(lap, seg)), toMicroseconds(at));
        QCOMPARE(int(r.state()), int(RaceState::Running));
        // ... and it goes on into the same journal.
        s.journal->writer().runCycle();
        const JournalReadResult read = readJournal(bytesOf(s.journal->writer().currentPath()));
        QCOMPARE(int(read.status), int(JournalReadStatus::Complete));
        QCOMPARE(read.race.presses.back().readingUs, toMicroseconds(at));
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
        {
            Restarted s(folder, "boot-a", timeAndCrash(folder, {1.0, 2.5}), {Answer::No, Answer(second)});
            QCOMPARE(s.prompts.asked.size(), size_t(2));
            QCOMPARE(s.prompts.asked[1].message.title, QStringLiteral("Delete Race Journal?"));
            QCOMPARE(int(s.prompts.asked[1].message.defaultButton), int(Answer::Cancel));
            QCOMPARE(int(s.race.state()), int(recovered ? RaceState::Running : RaceState::Setup));
        }
        QCOMPARE(QDir(folder).entryList({QStringLiteral("*.swj")}, QDir::Files).size(), kept ? 1 : 0);
        QCOMPARE(JournalStore(folder).unfinished().size(), size_t(kept ? 1 : 0));
    }

    // A failing disk is told once; the writer takes presses on regardless (tst_journal).
    void fullDiskIsToldOnce()
    {
        QTemporaryDir dir;
        Journalled j(dir.filePath(QStringLiteral("journal")), "boot-a", 1);
        RaceFixture &f = j.f;
        JournalWriter &writer = j.journal.writer();
        f.armAndPress({1.0});
        writer.runCycle();
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        const rlimit small{rlim_t(QFileInfo(writer.currentPath()).size() + 8), old.rlim_max}; // no room for a line
        setrlimit(RLIMIT_FSIZE, &small);
        f.pressAt(2.0);
        writer.runCycle();
        setrlimit(RLIMIT_FSIZE, &old);

        QVERIFY(writer.protectionFailed());
        f.tickTo(2.5); // told on the status line at the next redraw of the clocks
        QCOMPARE(f.w->ui.statusLine->text(), journalFailureText());
        f.w->ui.statusLine->setText(QStringLiteral("x"));
        f.tickTo(3.0);
        QCOMPARE(f.w->ui.statusLine->text(), QStringLiteral("x")); // once
        QCOMPARE(f.prompts.asked.size(), size_t(0));
    }
};

QTEST_MAIN(TestRecovery)
#include "tst_recovery.moc"
