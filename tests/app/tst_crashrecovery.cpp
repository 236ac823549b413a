// The whole program killed in the middle of its work: the real splitwatch
// runs as a child process (offscreen, its journal in a temporary home),
// driven through its test driver (app/TestDriver). A race is timed, the
// program is killed with SIGKILL at one moment of the race, started again,
// and the recovered race must hold every press the program stored before the
// kill, to the microsecond, and go on where it stopped.

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

#include <signal.h>

namespace {

constexpr int ReplyTimeoutMs = 10000;

// The record as the driver's replies describe it: "lap col value" cells and
// the state line (race state, CurLap, CurSeg, LastLap, NumSegs).
struct Race
{
    QMap<QString, QString> cells;
    QString state;
    QStringList cellList() const
    {
        QStringList out;
        for (auto it = cells.begin(); it != cells.end(); ++it)
            out << it.key() + QLatin1Char('=') + it.value();
        return out;
    }
    int stateField(int i) const { return state.section(QLatin1Char(' '), i, i).toInt(); }
};

class Child
{
public:
    Race race;
    Race beforeLastPress;
    QStringList asked; // titles of the dialogs opened so far
    QString failure;   // why the last call failed, with what the program said

    ~Child() { kill(); }

    // Starts the program with its home in home; answers are queued before
    // it asks anything. True once it is ready.
    bool start(const QString &home, const QStringList &answers = {})
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), home);
        env.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/.local/share"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        // The speed check takes seconds of real time and has its own tests.
        env.insert(QStringLiteral("SPLITWATCH_TEST_DRIVER"), QStringLiteral("skip-speed-check"));
        m_process.setProcessEnvironment(env);
        m_process.setWorkingDirectory(home);
        m_process.start(QStringLiteral(SPLITWATCH_BINARY), QStringList());
        if (!m_process.waitForStarted(ReplyTimeoutMs))
            return fail(QStringLiteral("the program did not start: ") + m_process.errorString());
        for (const QString &a : answers)
            m_process.write(a.toUtf8() + '\n');
        return waitFor(QStringLiteral("ready"));
    }

    // Sends one driver command and waits for its "ok".
    bool command(const QString &line)
    {
        if (line == QLatin1String("dump"))
            race = Race();
        m_process.write(line.toUtf8() + '\n');
        return waitFor(QStringLiteral("ok ") + line);
    }

    // F2 until it stores a reading: a press within a second of the last
    // accepted one is a bounce and stores nothing. Polled like QTRY_VERIFY,
    // at most five seconds.
    bool press()
    {
        const Race before = race;
        for (QDeadlineTimer deadline(5000); !deadline.hasExpired(); QTest::qWait(50)) {
            if (!command(QStringLiteral("key F2")))
                return false;
            if (lastReading) {
                beforeLastPress = before;
                return true;
            }
        }
        return fail(QStringLiteral("F2 stored no reading within 5 s"));
    }
    std::optional<std::pair<QString, qint64>> lastReading; // "lap col" and µs stored by the last command
    int changedCells = 0;                                  // cells the last command changed

    void kill()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        ::kill(pid_t(m_process.processId()), SIGKILL);
        m_process.waitForFinished(ReplyTimeoutMs);
    }

private:
    bool fail(const QString &why)
    {
        failure = why + QStringLiteral("\nprogram said:\n") + QString::fromUtf8(m_said.right(2000))
                + QStringLiteral("\nerrors:\n") + QString::fromUtf8(m_process.readAllStandardError().right(2000));
        return false;
    }

    bool waitFor(const QString &wanted)
    {
        lastReading.reset();
        QDeadlineTimer deadline(ReplyTimeoutMs);
        for (;;) {
            while (m_process.canReadLine()) {
                const QByteArray raw = m_process.readLine();
                m_said += raw;
                const QString line = QString::fromUtf8(raw).trimmed();
                if (line.startsWith(QLatin1String("error")))
                    return fail(QStringLiteral("the driver said: ") + line);
                take(line);
                if (line == wanted)
                    return true;
            }
            if (m_process.state() == QProcess::NotRunning)
                return fail(QStringLiteral("the program ended waiting for \"%1\"").arg(wanted));
            if (deadline.hasExpired() || !m_process.waitForReadyRead(int(deadline.remainingTime())))
                if (!m_process.canReadLine())
                    return fail(QStringLiteral("no \"%1\" within %2 ms").arg(wanted).arg(ReplyTimeoutMs));
        }
    }

    void take(const QString &line)
    {
        const QStringList f = line.split(QLatin1Char(' '));
        if (f[0] == QLatin1String("asked")) {
            asked << line.mid(6);
        } else if (f[0] == QLatin1String("state")) {
            race.state = line.mid(6);
        } else if (f[0] == QLatin1String("cell") && f.size() == 4) {
            const QString key = f[1] + QLatin1Char(' ') + f[2];
            ++changedCells;
            if (f[3] == QLatin1String("-")) {
                race.cells.remove(key);
            } else {
                race.cells[key] = f[3];
                if (f[2].toInt() >= 1 && f[2].toInt() <= 4)
                    lastReading = std::make_pair(key, f[3].toLongLong());
            }
        }
    }

    QProcess m_process;
    QByteArray m_said;
};

qint64 latestReading(const Race &r)
{
    qint64 latest = 0;
    for (auto it = r.cells.begin(); it != r.cells.end(); ++it)
        if (it.key().section(QLatin1Char(' '), 1).toInt() <= 4)
            latest = qMax(latest, it.value().toLongLong());
    return latest;
}

} // namespace

class TestCrashRecovery : public QObject
{
    Q_OBJECT
private slots:
    void killedAndStartedAgain_data();
    void killedAndStartedAgain();
};

void TestCrashRecovery::killedAndStartedAgain_data()
{
    // script: driver commands up to the kill; "press" is F2 until a reading
    // is stored. lastMayBeLost: the kill comes right after the last press,
    // before the journal's writer could take it (it writes every 20 ms, off
    // the timing path): that press may be missing, but nothing else, and
    // never a wrong reading.
    QTest::addColumn<QStringList>("script");
    QTest::addColumn<bool>("lastMayBeLost");
    QTest::addColumn<int>("recoveredState"); // RaceState: 1 armed, 2 running, 3 finished
    const QStringList twoSegments{QStringLiteral("answer Ok"), QStringLiteral("answer-text 2"),
                                  QStringLiteral("segments"), QStringLiteral("key F12")};
    const QStringList lap = twoSegments + QStringList{"press", "press", "press"};
    const QStringList finished = lap + QStringList{"answer Yes", "key F11", "sync"};
    QTest::newRow("after arming") << twoSegments + QStringList{"sync"} << false << 1;
    QTest::newRow("mid-lap, yellow flag") << twoSegments + QStringList{"press", "key F5", "press", "sync"}
                                          << false << 2;
    QTest::newRow("right after a press") << lap << true << 2;
    QTest::newRow("after the finish") << finished << false << 3;
    QTest::newRow("during an edit, after Keep Changes")
        << finished + QStringList{"lap 1", "type-seg 1 8.5", "click keep", "sync", "type-seg 2 9"} << false << 3;
}

void TestCrashRecovery::killedAndStartedAgain()
{
    QFETCH(QStringList, script);
    QFETCH(bool, lastMayBeLost);
    QFETCH(int, recoveredState);
    QTemporaryDir home;
    QVERIFY(home.isValid());

    Child first;
    QVERIFY2(first.start(home.path()), qPrintable(first.failure));
    for (const QString &step : script) {
        if (step == QLatin1String("press"))
            QVERIFY2(first.press(), qPrintable(first.failure));
        else
            QVERIFY2(first.command(step), qPrintable(first.failure));
        if (step.startsWith(QLatin1String("click")))
            QVERIFY2(first.changedCells > 0, "the edit changed nothing");
    }
    const Race atKill = first.race;
    first.kill();
    const QDir journals(home.filePath(QStringLiteral(".local/share/Splitwatch/journal")));
    QCOMPARE(journals.entryList({QStringLiteral("*.swj")}, QDir::Files).size(), 1);
    QCOMPARE(first.asked.filter(QStringLiteral("Recover")).size(), 0);

    Child again;
    QVERIFY2(again.start(home.path(), {QStringLiteral("answer Yes")}), qPrintable(again.failure));
    QCOMPARE(again.asked, QStringList{QStringLiteral("Recover Race?")});
    QVERIFY2(again.command(QStringLiteral("dump")), qPrintable(again.failure));
    Race expected = atKill;
    if (lastMayBeLost && again.race.cellList() != atKill.cellList())
        expected = first.beforeLastPress; // the last press was not yet on disk
    QCOMPARE(again.race.cellList(), expected.cellList());
    QCOMPARE(again.race.stateField(0), recoveredState);
    QCOMPARE(again.race.state, expected.state);

    if (recoveredState == 3)
        return;
    // The race clock went on from the arm moment: the next press closes the
    // segment in progress, later than every reading before the kill.
    QVERIFY2(again.press(), qPrintable(again.failure));
    const bool start = expected.stateField(0) == 1;
    const QString segmentInProgress = start ? QStringLiteral("0 %1").arg(expected.stateField(4))
                                            : QStringLiteral("%1 %2").arg(expected.stateField(1)).arg(expected.stateField(2));
    QCOMPARE(again.lastReading->first, segmentInProgress);
    QVERIFY(again.lastReading->second > latestReading(expected));
}

QTEST_GUILESS_MAIN(TestCrashRecovery)
#include "tst_crashrecovery.moc"
