// The real program, driven through its test driver (app/TestDriver), killed
// with SIGKILL mid-race and started again: the recovered race holds every
// press stored before the kill, to the microsecond, and goes on.

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <signal.h>

namespace {

constexpr int ReplyTimeoutMs = 10000;

// The record as the driver's replies describe it: "lap col" -> value, and the
// state line (race state, CurLap, CurSeg, LastLap, NumSegs).
struct Race
{
    QMap<QString, QString> cells;
    QString state;
    int stateField(int i) const { return state.section(' ', i, i).toInt(); }
    bool operator==(const Race &o) const { return cells == o.cells && state == o.state; }
};

class Child
{
public:
    Race race, beforeLastPress;
    QStringList asked; // titles of the dialogs opened so far
    QString failure;   // why the last call failed, with what the program said
    std::optional<std::pair<QString, qint64>> lastReading; // "lap col" and µs stored by the last command
    int changedCells = 0;                                  // cells the last command changed

    ~Child() { kill(); }

    // Starts the program in home with answers queued; true once it is ready.
    bool start(const QString &home, const QStringList &answers = {})
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        // The speed check takes seconds of real time and has its own tests.
        const QStringList vars{"HOME", home, "XDG_DATA_HOME", home + "/.local/share", "XDG_CONFIG_HOME",
                               home + "/.config", "XDG_RUNTIME_DIR", home, "QT_QPA_PLATFORM", "offscreen",
                               "SPLITWATCH_TEST_DRIVER", "skip-speed-check"};
        for (int i = 0; i < vars.size(); i += 2)
            env.insert(vars[i], vars[i + 1]);
        m_process.setProcessEnvironment(env);
        m_process.setWorkingDirectory(home);
        m_process.start(QStringLiteral(SPLITWATCH_BINARY), QStringList());
        for (const QString &a : answers)
            m_process.write(a.toUtf8() + '\n');
        return waitFor("ready");
    }

    bool command(const QString &line)
    {
        if (line == "dump")
            race = Race();
        m_process.write(line.toUtf8() + '\n');
        return waitFor("ok " + line);
    }

    // F2 until it stores a reading (a press within a second of the last is a bounce), at most 5 s.
    bool press()
    {
        const Race before = race;
        for (QDeadlineTimer deadline(5000); !deadline.hasExpired(); QTest::qWait(50)) {
            if (!command("key F2"))
                return false;
            if (lastReading) {
                beforeLastPress = before;
                return true;
            }
        }
        return fail("F2 stored no reading within 5 s");
    }

    void kill()
    {
        if (m_process.state() != QProcess::NotRunning) {
            ::kill(pid_t(m_process.processId()), SIGKILL);
            m_process.waitForFinished(ReplyTimeoutMs);
        }
    }

private:
    bool fail(const QString &why)
    {
        failure = why + "\nprogram said:\n" + QString::fromUtf8(m_said.right(2000)) + "\nerrors:\n"
                + QString::fromUtf8(m_process.readAllStandardError().right(2000));
        return false;
    }

    bool waitFor(const QString &wanted)
    {
        lastReading.reset();
        changedCells = 0;
        for (QDeadlineTimer deadline(ReplyTimeoutMs);;) {
            while (m_process.canReadLine()) {
                const QByteArray raw = m_process.readLine();
                m_said += raw;
                const QString line = QString::fromUtf8(raw).trimmed();
                if (line.startsWith("error"))
                    return fail("the driver said: " + line);
                take(line);
                if (line == wanted)
                    return true;
            }
            if (m_process.state() == QProcess::NotRunning)
                return fail(QString("the program ended waiting for \"%1\"").arg(wanted));
            if (!m_process.waitForReadyRead(int(deadline.remainingTime())) && !m_process.canReadLine())
                return fail(QString("no \"%1\" within %2 ms").arg(wanted).arg(ReplyTimeoutMs));
        }
    }

    void take(const QString &line)
    {
        const QStringList f = line.split(' ');
        if (f[0] == "asked")
            asked << line.mid(6);
        else if (f[0] == "state")
            race.state = line.mid(6);
        if (f[0] != "cell" || f.size() != 4)
            return;
        const QString key = f[1] + ' ' + f[2];
        ++changedCells;
        if (f[3] == "-") {
            race.cells.remove(key);
            return;
        }
        race.cells[key] = f[3];
        if (f[2].toInt() >= 1 && f[2].toInt() <= 4)
            lastReading = std::make_pair(key, f[3].toLongLong());
    }

    QProcess m_process;
    QByteArray m_said;
};

} // namespace

class TestCrashRecovery : public QObject
{
    Q_OBJECT
private slots:
    void killedAndStartedAgain_data()
    {
        // script: driver commands up to the kill; "press" is F2 until a reading is stored.
        // lastMayBeLost: killed right after a press, before the journal's writer (every 20 ms)
        // took it: that press may be missing, nothing else, and never a wrong reading.
        QTest::addColumn<QStringList>("script");
        QTest::addColumn<bool>("lastMayBeLost");
        QTest::addColumn<int>("recoveredState"); // RaceState: 1 armed, 2 running, 3 finished
        const QStringList twoSegments{"answer Ok", "answer-text 2", "segments", "key F12"};
        const QStringList lap = twoSegments + QStringList{"press", "press", "press"};
        const QStringList finished = lap + QStringList{"answer Yes", "key F11", "sync"};
        QTest::newRow("after arming") << twoSegments + QStringList{"sync"} << false << 1;
        QTest::newRow("mid-lap, yellow flag")
            << twoSegments + QStringList{"press", "key F5", "press", "sync"} << false << 2;
        QTest::newRow("right after a press") << lap << true << 2;
        QTest::newRow("after the finish") << finished << false << 3;
        QTest::newRow("during an edit, after Keep Changes")
            << finished + QStringList{"lap 1", "type-seg 1 8.5", "click keep", "sync", "type-seg 2 9"} << false << 3;
    }

    void killedAndStartedAgain()
    {
        QFETCH(QStringList, script);
        QTemporaryDir home;
        Child first;
        QVERIFY2(first.start(home.path()), qPrintable(first.failure));
        for (const QString &step : script) {
            QVERIFY2(step == "press" ? first.press() : first.command(step), qPrintable(first.failure));
            if (step.startsWith("click"))
                QVERIFY2(first.changedCells > 0, "the edit changed nothing");
        }
        first.kill();
        QCOMPARE(QDir(home.filePath(".local/share/Splitwatch/journal")).entryList({"*.swj"}, QDir::Files).size(), 1);
        QCOMPARE(first.asked.filter("Recover").size(), 0);

        Child again;
        QVERIFY2(again.start(home.path(), {"answer Yes"}), qPrintable(again.failure));
        QCOMPARE(again.asked, QStringList{"Recover Race?"});
        QVERIFY2(again.command("dump"), qPrintable(again.failure));
        QFETCH(bool, lastMayBeLost);
        // Unless the last press was not yet on disk.
        const Race expected = lastMayBeLost && !(again.race == first.race) ? first.beforeLastPress : first.race;
        QCOMPARE(again.race.cells, expected.cells);
        QTEST(again.race.stateField(0), "recoveredState");
        QCOMPARE(again.race.state, expected.state);
        if (again.race.stateField(0) == 3)
            return;
        // The race clock went on from the arm: the next press closes the segment in progress, later
        // than every reading before the kill.
        QVERIFY2(again.press(), qPrintable(again.failure));
        const bool start = expected.stateField(0) == 1;
        QCOMPARE(again.lastReading->first, QString("%1 %2").arg(start ? 0 : expected.stateField(1))
                                               .arg(expected.stateField(start ? 4 : 2)));
        for (auto it = expected.cells.begin(); it != expected.cells.end(); ++it)
            if (it.key().section(' ', 1).toInt() <= 4)
                QVERIFY(again.lastReading->second > it.value().toLongLong());
    }
};

QTEST_GUILESS_MAIN(TestCrashRecovery)
#include "tst_crashrecovery.moc"
