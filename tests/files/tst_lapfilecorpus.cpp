// Malformed and odd lap-time files: each one either loads what the layout
// means or is refused with a reason; none crashes, and a file that loads
// writes back to a file that loads the same.

#include "files/LapFile.h"

#include <QDir>
#include <QFile>
#include <QtTest>

#include <cmath>
#include <memory>

using namespace sw;

namespace {

QByteArray corpusBytes(const QString &name)
{
    QFile f(QStringLiteral(SW_LAPFILE_CORPUS "/") + name);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray("<cannot open corpus file>");
    return f.readAll();
}

// What every loaded file must satisfy, whatever it held.
void checkLoaded(const LapFileReadResult &read, bool exchange)
{
    QCOMPARE(read.problem, QString());
    QVERIFY(read.content.NumSegs >= 1 && read.content.NumSegs <= 4);
    QVERIFY(read.content.LastLap >= 1 && read.content.LastLap <= 250);
    for (const auto &row : read.content.rows)
        for (const Cell &c : row)
            QVERIFY(std::isfinite(c.value()));

    // Applied and written again, it reads back to the same record.
    auto rec = std::make_unique<RaceRecord>();
    applyToRecord(read.content, *rec);
    // An exchange file is always written with its path line.
    const std::optional<QString> path
            = exchange ? std::optional<QString>(read.content.pathLine.value_or(QString())) : std::nullopt;
    const QByteArray again = writeLapFile(*rec, read.content.Comments, path, '.');
    const LapFileReadResult back = readLapFile(again, exchange);
    QCOMPARE(back.status, LapFileReadResult::Ok);
    QCOMPARE(back.content.NumSegs, read.content.NumSegs);
    QCOMPARE(back.content.LastLap, read.content.LastLap);
    QCOMPARE(back.content.Comments, read.content.Comments);
    QCOMPARE(back.content.pathLine, path);
    for (int r = 0; r < LapFileRows; ++r)
        for (int col = 0; col < RaceRecord::Cols; ++col)
            QCOMPARE(back.content.rows[r][col].value(), read.content.rows[r][col].value());
}

} // namespace

class TestLapFileCorpus : public QObject
{
    Q_OBJECT

private slots:
    void corpusFile_data();
    void corpusFile();
    void everyCorpusFileIsInTheTable();
    void oddCellsLoadAsNumbers();
    void otherLineEndsLoadTheSameRace_data();
    void otherLineEndsLoadTheSameRace();
    void tenMegabyteLine_data();
    void tenMegabyteLine();

private:
    QStringList m_tabled;
};

void TestLapFileCorpus::corpusFile_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("exchange");
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("numSegs"); // for Ok; -1 not checked
    QTest::addColumn<int>("lastLap");
    QTest::addColumn<QString>("problemPart"); // for Damaged: a part of the reason

    const int ok = LapFileReadResult::Ok, bad = LapFileReadResult::NotLapFile,
              damaged = LapFileReadResult::Damaged;
    auto row = [this](const char *file, bool exchange, int status, int numSegs, int lastLap,
                      const char *problem = "") {
        m_tabled << QString::fromLatin1(file);
        QTest::newRow((QByteArray(file) + (exchange ? " exchange" : "")).constData())
                << QString::fromLatin1(file) << exchange << status << numSegs << lastLap
                << QString::fromLatin1(problem);
    };
    m_tabled.clear();
    row("good-race.txt", false, ok, 2, 3);
    row("good-race.txt", true, ok, 2, 3);
    row("good-exchange.txt", true, ok, 2, 3);
    row("empty.txt", false, bad, -1, -1);
    row("empty.txt", true, bad, -1, -1);
    row("wrong-mark.txt", false, bad, -1, -1);
    row("mark-trailing-text.txt", false, bad, -1, -1);
    row("mark-then-comma-field.txt", false, ok, 2, 3);
    row("mark-leading-blanks.txt", false, ok, 2, 3);
    row("mark-only.txt", false, damaged, -1, -1, "ends after line 1");
    row("truncated-in-header.txt", false, damaged, -1, -1, "ends after line 7");
    row("truncated-in-first-row.txt", false, damaged, -1, -1, "ends after line 16");
    row("truncated-mid-rows.txt", false, damaged, -1, -1, "ends after line 900");
    row("truncated-in-last-row.txt", false, damaged, -1, -1, "ends after line 1769");
    row("ends-after-rows.txt", false, ok, 2, 3);
    row("ends-after-rows.txt", true, ok, 2, 3);
    row("closing-line-without-line-end.txt", false, ok, 2, 3);
    row("header-abc.txt", false, damaged, -1, -1, "Line 2 should hold the number of segments");
    row("header-copy-not-a-number.txt", false, damaged, -1, -1, "Line 11 should hold the number of laps");
    row("numsegs-0.txt", false, damaged, -1, -1, "0 segments");
    row("numsegs-9.txt", false, damaged, -1, -1, "9 segments");
    row("numsegs-fraction.txt", false, ok, 2, 3); // 2.5 rounds half to even
    row("lastlap-minus-1.txt", false, ok, 2, 1);
    row("lastlap-251.txt", false, damaged, -1, -1, "251 laps");
    row("lastlap-99999.txt", false, damaged, -1, -1, "out of range");
    row("lastlap-1e400.txt", false, damaged, -1, -1, "out of range");
    row("binary.txt", false, bad, -1, -1);
    row("binary-after-mark.txt", false, damaged, -1, -1, "Line 2");
    row("cr-only-line-ends.txt", false, ok, 2, 3);
    row("lf-only-line-ends.txt", false, ok, 2, 3);
    row("condition-without-separator.txt", false, ok, 2, 3);
    row("odd-cells.txt", false, ok, 2, 3);
    row("no-end-mark.txt", false, ok, 2, 3);
    row("comments-with-empty-lines.txt", false, ok, 2, 3);
    row("nul-bytes-in-cells.txt", false, ok, 2, 3);
}

void TestLapFileCorpus::corpusFile()
{
    QFETCH(QString, file);
    QFETCH(bool, exchange);
    QFETCH(int, status);
    QFETCH(int, numSegs);
    QFETCH(int, lastLap);
    QFETCH(QString, problemPart);

    const LapFileReadResult read = readLapFile(corpusBytes(file), exchange);
    QCOMPARE(int(read.status), status);
    switch (read.status) {
    case LapFileReadResult::Ok:
        QCOMPARE(int(read.content.NumSegs), numSegs);
        QCOMPARE(int(read.content.LastLap), lastLap);
        checkLoaded(read, exchange);
        break;
    case LapFileReadResult::Damaged:
        QVERIFY2(read.problem.contains(problemPart), qPrintable(read.problem));
        break;
    case LapFileReadResult::NotLapFile:
        QCOMPARE(read.problem, QString());
        break;
    }
}

void TestLapFileCorpus::everyCorpusFileIsInTheTable()
{
    const QStringList files = QDir(QStringLiteral(SW_LAPFILE_CORPUS)).entryList(QDir::Files);
    QVERIFY(files.size() >= 20);
    for (const QString &f : files)
        QVERIFY2(m_tabled.contains(f), qPrintable(f + QStringLiteral(" has no row in the table")));
}

void TestLapFileCorpus::oddCellsLoadAsNumbers()
{
    const LapFileReadResult read = readLapFile(corpusBytes(QStringLiteral("odd-cells.txt")), false);
    QCOMPARE(read.status, LapFileReadResult::Ok);
    const auto &row = read.content.rows[2];
    QCOMPARE(row[0].text(), QStringLiteral("nan"));
    QCOMPARE(row[0].value(), 0.0);
    QCOMPARE(row[1].text(), QStringLiteral("1e400"));
    QCOMPARE(row[1].value(), 0.0);
    QCOMPARE(row[2].text(), QStringLiteral("-0"));
    QCOMPARE(row[2].value(), 0.0);
    QCOMPARE(row[3].text(), QStringLiteral("5"));
    QCOMPARE(row[3].value(), 5.0);
    QCOMPARE(row[4].text(), QStringLiteral("12.5"));
    QCOMPARE(row[4].value(), 12.5);
    QCOMPARE(row[RaceRecord::PositionCol].value(), 0.0); // -1e400

    const LapFileReadResult noSep
            = readLapFile(corpusBytes(QStringLiteral("condition-without-separator.txt")), false);
    QCOMPARE(noSep.content.rows[1][RaceRecord::FlagCol].text(), QStringLiteral(" 2"));
    QVERIFY(noSep.content.rows[1][RaceRecord::TrafficCol].isEmpty());
    QCOMPARE(noSep.content.rows[2][RaceRecord::TrafficCol].text(), QStringLiteral("2"));

    QCOMPARE(readLapFile(corpusBytes(QStringLiteral("no-end-mark.txt")), false).content.Comments,
             QStringLiteral("only comment\r\n\r\nafter empty line"));
    QCOMPARE(readLapFile(corpusBytes(QStringLiteral("comments-with-empty-lines.txt")), false).content.Comments,
             QStringLiteral("a\r\n\r\nb\r\n"));
    QCOMPARE(readLapFile(corpusBytes(QStringLiteral("good-exchange.txt")), true).content.pathLine,
             std::optional<QString>(QStringLiteral("C:\\Prog\\LapTimeFiles\\Heat1.txt")));
    QCOMPARE(readLapFile(corpusBytes(QStringLiteral("ends-after-rows.txt")), true).content.pathLine,
             std::optional<QString>());
}

void TestLapFileCorpus::otherLineEndsLoadTheSameRace_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("CR") << QStringLiteral("cr-only-line-ends.txt");
    QTest::newRow("LF") << QStringLiteral("lf-only-line-ends.txt");
}

void TestLapFileCorpus::otherLineEndsLoadTheSameRace()
{
    QFETCH(QString, file);
    const LapFileReadResult good = readLapFile(corpusBytes(QStringLiteral("good-race.txt")), false);
    const LapFileReadResult other = readLapFile(corpusBytes(file), false);
    QCOMPARE(other.status, LapFileReadResult::Ok);
    QCOMPARE(other.content.Comments, good.content.Comments);
    for (int r = 0; r < LapFileRows; ++r)
        for (int col = 0; col < RaceRecord::Cols; ++col)
            QCOMPARE(other.content.rows[r][col], good.content.rows[r][col]);
}

void TestLapFileCorpus::tenMegabyteLine_data()
{
    QTest::addColumn<int>("line"); // which line of good-race.txt becomes 10 MB long
    QTest::addColumn<int>("status");

    QTest::newRow("file mark") << 1 << int(LapFileReadResult::NotLapFile);
    QTest::newRow("header") << 2 << int(LapFileReadResult::Damaged);
    QTest::newRow("reading cell") << 14 + 7 + 1 << int(LapFileReadResult::Ok);
    QTest::newRow("condition line") << 14 + 7 + 5 << int(LapFileReadResult::Ok);
    QTest::newRow("comment") << 1771 << int(LapFileReadResult::Ok);
}

void TestLapFileCorpus::tenMegabyteLine()
{
    QFETCH(int, line);
    QFETCH(int, status);

    QList<QByteArray> lines = corpusBytes(QStringLiteral("good-race.txt")).split('\n');
    QVERIFY(lines.size() > 1771);
    lines[line - 1] = QByteArray(10 * 1024 * 1024, '7') + " ``` " + QByteArray(100, 'x') + '\r';
    const LapFileReadResult read = readLapFile(lines.join('\n'), false);
    QCOMPARE(int(read.status), status);
    if (read.status == LapFileReadResult::Ok)
        for (const auto &row : read.content.rows)
            for (const Cell &c : row)
                QVERIFY(std::isfinite(c.value()));
    if (read.status == LapFileReadResult::Damaged)
        QVERIFY2(read.problem.size() < 200, qPrintable(read.problem)); // the line is not quoted whole
}

QTEST_GUILESS_MAIN(TestLapFileCorpus)
#include "tst_lapfilecorpus.moc"
