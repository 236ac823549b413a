// The crash journal: written, read back, damaged, refused, resumed, offered.

#include "journal/JournalFormat.h"
#include "journal/JournalStore.h"
#include "journal/JournalWriter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <sys/resource.h>

using namespace sw;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(sw::JournalReadStatus)
Q_DECLARE_METATYPE(sw::JournalResume)

namespace {

JournalArm makeArm(qint16 numSegs, const QByteArray &boot = "0f1e2d3c-4b5a-6978-8796-a5b4c3d2e1f0")
{
    JournalArm a;
    a.monotonicNs = 123456789012345;
    a.wallMs = 1714572202000; // 2024-05-01 14:03:22 UTC
    a.setBootId(boot);
    a.numSegs = numSegs;
    a.ticksPerSecond = 1000.0 / 3.0 + 1e-9; // no short decimal form
    a.timerIntervalMs = 1;
    return a;
}

// A race of `laps` whole laps of numSegs segments, 10.000123 s per segment,
// the conditions changing from lap to lap.
std::vector<JournalPress> makePresses(qint16 numSegs, int laps)
{
    std::vector<JournalPress> out{{0, numSegs, 2500000, {0, 4, 1}}};
    qint64 t = 2500000;
    for (qint16 lap = 1; lap <= laps; ++lap)
        for (qint16 seg = 1; seg <= numSegs; ++seg) {
            t += 10000123;
            out.push_back({lap, seg, t, {qint16(lap % 2), qint16(lap % 100), qint16(lap % 3)}});
        }
    return out;
}

JournalSnapshot makeSnapshot(qint16 numSegs)
{
    JournalRow start, lap1;
    start.readingsUs[numSegs - 1] = 2500000;
    lap1.lap = 1;
    lap1.readingsUs[0] = -1500; // a negative amount inserted ahead of a reading
    lap1.conditions = {qint16(1), qint16(99), std::nullopt};
    return {JournalEdit::Insert, 2, 1, numSegs, 2, 2, {start, lap1}};
}

const QString TrickyComments = QStringLiteral("Dry track.\r\nWind \\ gusts *0A1B2C3D\tturn 3 \u00e9\u20ac\r\n\x01end \\n");

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QString onlyJournal(const QString &folder)
{
    const QStringList names = QDir(folder).entryList({"*.swj"}, QDir::Files);
    return names.size() == 1 ? folder + '/' + names.first() : QString();
}

// Every kind of line, as the writer writes them.
QByteArray sampleJournal(qint16 numSegs, const std::vector<JournalPress> &presses)
{
    QByteArray b = journalHeaderLine() + journalArmLine(makeArm(numSegs));
    for (const JournalPress &p : presses)
        b += journalPressLine(p);
    b += journalConditionsLine({1, 7, 2}) + journalFinishLine(qint16(presses.back().lap))
        + journalCommentsLine(TrickyComments) + journalSnapshotLines(makeSnapshot(numSegs));
    return b;
}

bool isPrefix(const std::vector<JournalPress> &part, const std::vector<JournalPress> &whole)
{
    return part.size() <= whole.size() && std::equal(part.begin(), part.end(), whole.begin());
}

// A lower file size limit for this process, put back when the case ends.
struct FileSizeLimit
{
    rlimit old{};
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &old);
        rlimit l = old;
        l.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &l);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &old); }
};

} // namespace

class TestJournal : public QObject
{
    Q_OBJECT

private slots:
    void everyRecordReadsBack_data()
    {
        QTest::addColumn<int>("numSegs");
        QTest::addColumn<int>("laps");
        QTest::addColumn<QByteArray>("bootId");
        QTest::addColumn<QString>("comments");
        QTest::addColumn<bool>("finishAndEdit");
        QTest::newRow("whole laps, running") << 1 << 5 << QByteArray("b00d") << QString() << false;
        QTest::newRow("four segments, finished and edited")
            << 4 << 250 << QByteArray("0f1e2d3c-4b5a-6978-8796-a5b4c3d2e1f0") << TrickyComments << true;
        QTest::newRow("no boot id, empty comments") << 2 << 3 << QByteArray() << QString("") << true;
        QTest::newRow("armed only") << 3 << -1 << QByteArray("x") << QString() << false;
    }

    void everyRecordReadsBack()
    {
        QFETCH(int, numSegs);
        QFETCH(int, laps);
        QFETCH(QByteArray, bootId);
        QFETCH(QString, comments);
        QFETCH(bool, finishAndEdit);
        QTemporaryDir dir;
        const JournalArm arm = makeArm(qint16(numSegs), bootId);
        const auto presses = laps < 0 ? std::vector<JournalPress>() : makePresses(qint16(numSegs), laps);
        {
            JournalWriter writer(dir.path()); // its thread writes while records are pushed as fast as the loop runs
            QVERIFY(writer.arm(arm));
            writer.conditions({1, 42, 0});
            for (const JournalPress &p : presses)
                QVERIFY(writer.press(p));
            if (!comments.isNull())
                writer.comments(comments);
            if (finishAndEdit) {
                writer.finish(qint16(laps));
                writer.edit(makeSnapshot(qint16(numSegs)));
                writer.edit(JournalSnapshot{JournalEdit::Delete, 1, 2, qint16(numSegs), 1, 1, {}});
            }
            QTRY_COMPARE(writer.settledCount(), writer.queuedCount());
            QCOMPARE(writer.overflowCount(), 0u);
            QVERIFY(!writer.protectionFailed());
        }
        const JournalReadResult r = readJournal(fileBytes(onlyJournal(dir.path())));
        QCOMPARE(r.status, JournalReadStatus::Complete);
        QVERIFY(r.race.arm == arm);
        QVERIFY(r.race.presses == presses);
        QCOMPARE(r.race.finished, finishAndEdit);
        QCOMPARE(r.race.closed, JournalClose::Open);
        QVERIFY(r.race.comments == (comments.isNull() ? std::optional<QString>() : comments));
        if (finishAndEdit) {
            QCOMPARE(r.race.lastLap, qint16(laps));
            QCOMPARE(int(r.race.edits.size()), 2);
            QVERIFY(r.race.edits[0] == makeSnapshot(qint16(numSegs)));
            QCOMPARE(r.race.edits[1].edit, JournalEdit::Delete);
        }
        QVERIFY(r.race.conditions == (presses.empty() ? JournalConditions{1, 42, 0} : presses.back().conditions));
    }

    void damagedJournal_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<JournalReadStatus>("status");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("pressesKept");

        QByteArray good = journalHeaderLine() + journalArmLine(makeArm(2));
        for (const JournalPress &x : makePresses(2, 3)) // start + 6 presses
            good += journalPressLine(x);
        const int lastStart = int(good.lastIndexOf('\n', good.size() - 2)) + 1;
        QByteArray flippedLast = good;
        flippedLast[lastStart + 8] = char(flippedLast[lastStart + 8] ^ 0x04);
        QByteArray flippedMiddle = good;
        flippedMiddle[good.indexOf("press 1 2") + 10] = '9';
        const QByteArray header = journalHeaderLine();
        const QByteArray withEdit = good + journalFinishLine(3) + journalSnapshotLines(makeSnapshot(2));
        const QByteArray editCut = withEdit.left(withEdit.lastIndexOf("row 1"));
        const QByteArray finishLine = journalFinishLine(3); // its checksum has letters
        const QByteArray finishLower = finishLine.left(finishLine.size() - 9) + finishLine.right(9).toLower();
        const QString torn = "The journal ends in a line cut short by the crash; the race is recovered up to line %1.";
        const QString damagedText = "Line %1 of the journal is damaged; the race is recovered up to line %2.";
        const auto damaged = [&](int line) { return damagedText.arg(line).arg(line - 1); };
        const auto Torn = JournalReadStatus::TornTailDropped, Damaged = JournalReadStatus::DamagedRecovered,
                   Refused = JournalReadStatus::Refused;
        const QString notJournal = "The file is not a Splitwatch journal.";

        QTest::newRow("complete") << good << JournalReadStatus::Complete << QString() << 7;
        QTest::newRow("cut mid-line") << good.left(good.size() - 5) << Torn << torn.arg(8) << 6;
        QTest::newRow("cut before the newline") << good.chopped(1) << Torn << torn.arg(8) << 6;
        QTest::newRow("zeros after the last line") << good + QByteArray(4096, '\0') << Torn << torn.arg(9) << 7;
        QTest::newRow("flipped byte in the last line") << flippedLast << Torn << torn.arg(8) << 6;
        QTest::newRow("flipped byte in the middle") << flippedMiddle << Damaged << damaged(5) << 2;
        QTest::newRow("edit cut between its rows") << editCut << Torn << torn.arg(10) << 7;
        QTest::newRow("good checksum, lap out of range")
            << good + journalLine("press 252 1 99000000 0 0 0") + journalFinishLine(3) << Damaged << damaged(10) << 7;
        // A line with a good checksum that this version cannot take is damage,
        // wherever it stands.
        QTest::newRow("press after the close")
            << good + journalCloseLine(JournalClose::Saved) + journalPressLine({4, 1, 99000000, {}}) << Damaged
            << damaged(11) << 7;
        QTest::newRow("plus sign in a number") << good + journalLine("finish +3") << Damaged << damaged(10) << 7;
        QTest::newRow("lower-case checksum") << good + finishLower << Torn << torn.arg(9) << 7;
        QTest::newRow("future version")
            << journalLine("SPLITWATCH-JOURNAL 2") + good.mid(header.size()) << Refused
            << QString("The journal was written by a newer Splitwatch (format 2); this one reads format 1.") << 0;
        QTest::newRow("empty file") << QByteArray() << Refused << QString("The journal file is empty.") << 0;
        QTest::newRow("not a journal") << QByteArray("QVM-SW*1.10\r\n") << Refused << notJournal << 0;
        QTest::newRow("header cut") << header.left(15) << Refused << notJournal << 0;
        QTest::newRow("header damaged")
            << QByteArray("SPLITWATCH-JOURNAL 1 *00000000\n") + good.mid(header.size()) << Refused
            << QString("The first line of the journal is damaged.") << 0;
        QTest::newRow("header only") << header << Refused
                                     << QString("The journal holds no race: it ends before the race was armed.") << 0;
    }

    void damagedJournal()
    {
        QFETCH(QByteArray, bytes);
        const JournalReadResult r = readJournal(bytes);
        QTEST(r.status, "status");
        QTEST(r.message, "message");
        QTEST(int(r.race.presses.size()), "pressesKept");
        QVERIFY(isPrefix(r.race.presses, makePresses(2, 3)));
        QVERIFY(r.goodLength <= bytes.size());
        if (r.usable()) // what is kept reads the same again, and completely
            QCOMPARE(readJournal(bytes.left(r.goodLength)).status, JournalReadStatus::Complete);
    }

    void anyCutOrFlippedByteReadsAPrefix()
    {
        const std::vector<JournalPress> presses = makePresses(3, 4);
        const QByteArray whole = sampleJournal(3, presses);
        QCOMPARE(readJournal(whole).status, JournalReadStatus::Complete);
        for (int i = 0; i < 2 * whole.size(); ++i) { // cut at every byte, then flip every byte
            const qsizetype flip = i - whole.size();
            QByteArray bytes = flip < 0 ? whole.left(i) : whole;
            if (flip >= 0)
                bytes[flip] = char(bytes[flip] ^ (1 << (flip % 8)));
            const JournalReadResult r = readJournal(bytes);
            QVERIFY2(isPrefix(r.race.presses, presses), qPrintable(QString("byte %1").arg(i)));
            if (!r.usable())
                continue;
            QVERIFY(r.race.arm == makeArm(3));
            QVERIFY(!r.race.comments || *r.race.comments == TrickyComments);
            QVERIFY(r.race.edits.empty() || r.race.edits.front() == makeSnapshot(3));
        }
    }

    // One sync a cycle (20 ms) for all that was pushed; none when idle.
    void cycleSyncsEverythingPushedBeforeIt()
    {
        QTemporaryDir dir;
        JournalWriter writer(dir.path(), false);
        writer.arm(makeArm(1));
        writer.runCycle();
        const std::uint64_t syncs = writer.syncCount();
        writer.runCycle();
        QCOMPARE(writer.syncCount(), syncs);
        const std::vector<JournalPress> presses = makePresses(1, 40);
        for (const JournalPress &p : presses)
            writer.press(p);
        writer.runCycle();
        QCOMPARE(writer.syncCount(), syncs + 1);
        QCOMPARE(writer.settledCount(), writer.queuedCount());
        QVERIFY(readJournal(fileBytes(writer.currentPath())).race.presses == presses);
    }

    void failingDiskIsToldOnce_data()
    {
        QTest::addColumn<bool>("sizeLimit");
        QTest::addColumn<QString>("error");
        QTest::newRow("file size limit reached") << true << qt_error_string(EFBIG);
        QTest::newRow("folder cannot be made") << false << qt_error_string(ENOTDIR);
    }

    void failingDiskIsToldOnce()
    {
        QFETCH(bool, sizeLimit);
        QTemporaryDir dir;
        QString folder = dir.path();
        if (!sizeLimit) { // a plain file where the folder should be
            QFile blocker(dir.filePath("file"));
            QVERIFY(blocker.open(QIODevice::WriteOnly));
            folder = blocker.fileName() + "/journal";
        }
        const std::vector<JournalPress> presses = makePresses(2, 40);
        JournalWriter writer(folder, false);
        {
            FileSizeLimit limit(sizeLimit ? 1000 : RLIM_INFINITY);
            // A journal that cannot be made is known at the arm.
            QCOMPARE(writer.arm(makeArm(2)), sizeLimit);
            QCOMPARE(writer.protectionFailed(), !sizeLimit);
            writer.runCycle();
            for (const JournalPress &p : presses) {
                QVERIFY(writer.press(p)); // timing goes on
                writer.runCycle();
            }
        }
        QVERIFY(writer.protectionFailed());
        QTEST(writer.failureReason(), "error");
        QVERIFY(writer.takeFailureNotice());
        QVERIFY(!writer.takeFailureNotice());
        QCOMPARE(writer.settledCount(), writer.queuedCount());
        const QString path = onlyJournal(folder);
        QCOMPARE(path.isEmpty(), !sizeLimit);
        if (sizeLimit) { // what reached the disk is a good journal up to the failure
            const QByteArray bytes = fileBytes(path);
            QCOMPARE(bytes.size(), 1000);
            const JournalReadResult r = readJournal(bytes);
            QCOMPARE(r.status, JournalReadStatus::TornTailDropped);
            QVERIFY(!r.race.presses.empty());
            QVERIFY(isPrefix(r.race.presses, presses));
        }
        // The next race is protected again.
        writer.close(JournalClose::Discarded);
        writer.arm(makeArm(2));
        writer.runCycle();
        QCOMPARE(writer.protectionFailed(), !sizeLimit);
    }

    void fullQueueStopsTheJournalAtTheGap()
    {
        QTemporaryDir dir;
        const std::vector<JournalPress> presses = makePresses(1, 20);
        JournalWriter writer(dir.path(), false, JournalWriter::DefaultCycleMs, 8);
        writer.arm(makeArm(1));
        int accepted = 0;
        for (const JournalPress &p : presses)
            accepted += writer.press(p) ? 1 : 0;
        QCOMPARE(accepted, 7);
        QCOMPARE(writer.overflowCount(), presses.size() - 7);
        QVERIFY(writer.takeFailureNotice());
        QCOMPARE(writer.failureReason(), QString("the journal queue was full"));
        writer.runCycle();
        QVERIFY(writer.press(presses.back())); // room again, but after the gap
        writer.runCycle();
        const JournalReadResult r = readJournal(fileBytes(writer.currentPath()));
        QCOMPARE(r.status, JournalReadStatus::Complete);
        QVERIFY(r.race.presses == std::vector<JournalPress>(presses.begin(), presses.begin() + 7));
        QVERIFY(!writer.takeFailureNotice());
    }

    // Unfinished journals are offered; arming again and closing delete the writer's own.
    void whichJournalsAreOfferedAndWhenTheyGo()
    {
        QTemporaryDir dir;
        const QByteArray open = sampleJournal(2, makePresses(2, 2));
        const std::pair<const char *, QByteArray> files[] = {
            {"race-20240501-100000-000-1.swj", open},
            {"race-20240501-110000-000-2.swj", open + journalCloseLine(JournalClose::Saved)},
            {"race-20240501-120000-000-3.swj", QByteArray()},
            {"notes.txt", open}};
        for (const auto &[name, bytes] : files)
            QVERIFY(writeFile(dir.filePath(name), bytes));
        JournalWriter live(dir.path(), false); // a program still timing its race
        live.arm(makeArm(1));
        live.runCycle();
        const QString first = live.currentPath();

        JournalStore store(dir.path());
        std::vector<JournalFound> found = store.unfinished();
        QCOMPARE(int(found.size()), 2);
        QCOMPARE(QFileInfo(found[0].path).fileName(), QString("race-20240501-100000-000-1.swj"));
        QCOMPARE(found[0].read.status, JournalReadStatus::Complete);
        QCOMPARE(QFileInfo(found[1].path).fileName(), QString("race-20240501-120000-000-3.swj"));
        QCOMPARE(found[1].read.message, QString("The journal file is empty."));
        QVERIFY(store.remove(found[1]));
        QVERIFY(!QFile::exists(found[1].path));
        JournalArm again = makeArm(1);
        again.wallMs += 5000;
        live.arm(again);
        live.runCycle();
        QVERIFY(!QFile::exists(first) && QFile::exists(live.currentPath()));
        live.close(JournalClose::Saved);
        live.runCycle();
        QCOMPARE(live.currentPath(), QString());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 3); // two other journals and the notes
        QCOMPARE(JournalStore::fileNameFor(4711, makeArm(1).wallMs), QString("race-20240501-140322-000-4711.swj"));
    }

    void resumeMode_data()
    {
        QTest::addColumn<QByteArray>("bootNow");
        QTest::addColumn<qint64>("nowNs");
        QTest::addColumn<bool>("finished");
        QTest::addColumn<JournalResume>("mode");
        QTest::addColumn<qint64>("ticks");
        const QByteArray boot = makeArm(1).bootId;
        const qint64 arm = makeArm(1).monotonicNs;
        const JournalResume Running = JournalResume::Running, Finished = JournalResume::Finished;
        QTest::newRow("same boot, clock on") << boot << arm + 90'000'999'999 << false << Running << qint64(90000);
        QTest::newRow("same boot, finished race") << boot << arm + 1'000'000 << true << Finished << qint64(1);
        QTest::newRow("another boot") << QByteArray("77777777-0000-0000-0000-000000000000") << arm + 1'000'000
                                      << false << Finished << qint64(1);
        QTest::newRow("clock behind the arm") << boot << arm - 1 << false << Finished << qint64(0);
        // Nothing shows that the clock it ran on is still the same one.
        QTest::newRow("no boot id then or now") << QByteArray() << arm + 1'000'000 << false << Finished << qint64(1);
        QTest::newRow("30 days after arming: still running")
            << boot << arm + 2'592'000'000'000'000 << false << Running << qint64(2'592'000'000);
    }

    void resumeMode()
    {
        QFETCH(QByteArray, bootNow);
        QFETCH(qint64, nowNs);
        QFETCH(bool, finished);
        JournalRace race;
        race.arm = makeArm(1, bootNow.isEmpty() ? QByteArray() : makeArm(1).bootIdText().toLatin1());
        race.finished = finished;
        QTEST(sw::resumeMode(race, bootNow, nowNs), "mode");
        QTEST(resumeTickCount(race.arm, nowNs), "ticks");
    }

    void recoverRaceText_data()
    {
        QTest::addColumn<int>("laps");
        QTest::addColumn<QString>("text");
        const QString head = "A race armed on 2024-05-01 at 14:03:22 was not saved.  ";
        const QString ask = "Do you want to recover it?";
        QTest::newRow("armed only") << -1 << head + "It was armed but not started.  " + ask;
        QTest::newRow("started") << 0 << head + "It holds 0 laps (0 segments); the last press was at 14:03:24.  " + ask;
        QTest::newRow("one lap") << 1 << head + "It holds 1 lap (2 segments); the last press was at 14:03:44.  " + ask;
    }

    void recoverRaceText()
    {
        QFETCH(int, laps);
        JournalRace race;
        race.arm = makeArm(2);
        if (laps >= 0)
            race.presses = makePresses(2, laps);
        QTEST(sw::recoverRaceText(race, QTimeZone::utc()), "text");
    }

    // The question says what was wrong with the journal and where a damaged one is copied.
    void recoverRaceQuestion_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("says"); // after the race's own text
        const QByteArray good = sampleJournal(2, makePresses(2, 1));
        QByteArray damaged = good;
        damaged[good.indexOf("press 1 2")] = 'q';
        QTest::newRow("complete") << good << QString();
        QTest::newRow("torn tail") << good.chopped(3)
                                   << QString("\n\nThe journal ends in a line cut short by the crash; the race is "
                                              "recovered up to line 8.");
        QTest::newRow("damaged line")
                << damaged
                << QString("\n\nLine 5 of the journal is damaged; the race is recovered up to line 4."
                           "  If you recover it, the damaged journal is first copied to:\n\n    "
                           "/j/race-20240501-140322-000-1-good-to-line-4.damaged");
    }

    void recoverRaceQuestion()
    {
        QFETCH(QByteArray, bytes);
        JournalFound found{u"/j/race-20240501-140322-000-1.swj"_s, readJournal(bytes), {}};
        const QString question = sw::recoverRaceQuestion(found, QTimeZone::utc());
        const QString own = sw::recoverRaceText(found.read.race, QTimeZone::utc());
        QVERIFY(question.startsWith(own));
        QTEST(question.mid(own.size()), "says");
    }

    // From offer to close a second program neither offers, carries on nor deletes the journal.
    void oneOwnerFromOfferToClose()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("race-20240501-100000-000-1.swj");
        const QByteArray bytes = sampleJournal(2, makePresses(2, 2)).chopped(4); // torn by the crash
        QVERIFY(writeFile(path, bytes));
        const JournalStore first(dir.path()), second(dir.path());
        std::vector<JournalFound> offered = first.unfinished();
        QCOMPARE(int(offered.size()), 1);

        // While the first program asks, the second one is told it is held.
        QStringList held;
        QCOMPARE(int(second.unfinished(&held).size()), 0);
        QCOMPARE(held, QStringList{path});
        QVERIFY(heldElsewhereText(held).contains(QDir::toNativeSeparators(path)));
        JournalFound notHeld{path, readJournal(bytes), JournalClaim::take(path)};
        QVERIFY(!notHeld.claim.isHeld());
        QVERIFY(!second.remove(notHeld));
        QVERIFY(QFile::exists(path));

        // Carried on by the first program, it stays held by its writer.
        JournalWriter writer(dir.path(), false);
        QVERIFY(writer.resume(std::move(offered[0].claim), offered[0].read.goodLength));
        offered.clear();
        writer.runCycle();
        QCOMPARE(writer.currentPath(), path);
        held.clear();
        QCOMPARE(int(second.unfinished(&held).size()), 0);
        QCOMPARE(held, QStringList{path});

        // Nor can it carry it on, and closing its own race leaves it alone.
        JournalWriter spare(dir.path(), false);
        QVERIFY(!spare.resume(JournalClaim::take(path), 0));
        spare.runCycle();
        QCOMPARE(spare.currentPath(), QString());
        spare.close(JournalClose::Discarded);
        spare.runCycle();
        QVERIFY(QFile::exists(path));

        writer.press(makePresses(2, 3).back());
        writer.close(JournalClose::Saved);
        writer.runCycle();
        QVERIFY(!QFile::exists(path));
    }

    // A journal damaged mid-way is copied whole before it is cut back and carried on.
    void damagedJournalIsCopiedBeforeItIsCut()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("race-20240501-100000-000-1.swj");
        const std::vector<JournalPress> presses = makePresses(1, 6);
        QByteArray bytes = journalHeaderLine() + journalArmLine(makeArm(1));
        for (const JournalPress &p : presses)
            bytes += journalPressLine(p);
        bytes[bytes.indexOf("press 3 1")] = 'q';
        QVERIFY(writeFile(path, bytes));
        std::vector<JournalFound> offered = JournalStore(dir.path()).unfinished();
        QCOMPARE(int(offered.size()), 1);
        QCOMPARE(offered[0].read.status, JournalReadStatus::DamagedRecovered);
        const QString copy = damagedCopyFor(offered[0]);
        QCOMPARE(QFileInfo(copy).dir(), QFileInfo(path).dir());
        QVERIFY(!copy.endsWith(".swj"_L1)); // never offered itself
        {
            JournalWriter writer(dir.path(), false);
            QVERIFY(writer.resume(std::move(offered[0].claim), offered[0].read.goodLength, copy));
            writer.press(presses.back());
            writer.runCycle();
            QVERIFY(!writer.takeFailureNotice());
        }
        QCOMPARE(fileBytes(copy), bytes);
        const JournalReadResult carriedOn = readJournal(fileBytes(path));
        QCOMPARE(carriedOn.status, JournalReadStatus::Complete);
        QVERIFY(carriedOn.race.presses
                == std::vector<JournalPress>({presses[0], presses[1], presses[2], presses.back()}));
    }

    // A saved race whose journal can be neither written nor deleted is not offered again.
    void savedRaceWhoseJournalCannotGoIsNotOfferedAgain()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath("journal");
        QVERIFY(QDir().mkpath(folder));
        const QString path = folder + "/race-20240501-100000-000-1.swj";
        QVERIFY(writeFile(path, sampleJournal(2, makePresses(2, 2)).chopped(4)));
        std::vector<JournalFound> offered = JournalStore(folder).unfinished();
        QCOMPARE(int(offered.size()), 1);
        {
            JournalWriter writer(folder, false);
            QVERIFY(writer.resume(std::move(offered[0].claim), offered[0].read.goodLength));
            writer.runCycle();
            // Nothing more fits, and the name is away while the writer closes.
            FileSizeLimit limit(offered[0].read.goodLength);
            writer.close(JournalClose::Saved);
            QVERIFY(QFile::rename(path, path + ".away"));
            writer.runCycle();
            QVERIFY(writer.takeFailureNotice());
        }
        QVERIFY(QFile::rename(path + ".away", path));
        QCOMPARE(readJournal(fileBytes(path)).race.closed, JournalClose::Open);
        QVERIFY(QFile::exists(JournalStore::settledListFor(folder)));
        QCOMPARE(int(JournalStore(folder).unfinished().size()), 0);
        QVERIFY(!QFile::exists(path)); // deleted once the folder allowed it
    }
};

QTEST_GUILESS_MAIN(TestJournal)
#include "tst_journal.moc"
