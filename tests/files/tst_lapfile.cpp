// The lap-time file layout: golden bytes, reading, round trips, malformed files.

#include "files/FileTitle.h"
#include "files/LapFile.h"

#include <QtTest>

#include <cmath>

Q_DECLARE_METATYPE(sw::Cell)

using namespace sw;
using namespace Qt::StringLiterals;

namespace {

// Line n (from 1) of a file, without its line end.
QByteArray lineAt(const QByteArray &bytes, int n)
{
    const QList<QByteArray> lines = bytes.split('\n');
    return n >= 1 && n < lines.size() ? lines[n - 1].chopped(lines[n - 1].endsWith('\r') ? 1 : 0) : "<missing>";
}

QByteArray withLine(const QByteArray &bytes, int n, const QByteArray &replacement)
{
    QList<QByteArray> lines = bytes.split('\n');
    lines[n - 1] = replacement + '\r';
    return lines.join('\n');
}

// The file line of line k (0..6) of the block of row r.
int rowLine(int r, int k) { return 14 + 7 * r + k; }

constexpr int FlagColumn = RaceRecordCells::FlagColumn;
constexpr int PositionColumn = RaceRecordCells::PositionColumn;
constexpr int TrafficColumn = RaceRecordCells::TrafficColumn;

std::unique_ptr<StoredRace> makeRace(int numSegs, int lastLap)
{
    auto race = std::make_unique<StoredRace>();
    race->segmentsPerLap = numSegs;
    race->lastLap = lastLap;
    auto &rows = race->cells.rows;
    rows[0][numSegs].set(2.5);
    for (int lap = 1; lap <= lastLap; ++lap) {
        for (int s = 1; s <= numSegs; ++s)
            rows[lap][s].set(2.5 + 61.25 * (lap - 1) + 20.125 * s);
        rows[lap][FlagColumn].set(lap % 2);
        rows[lap][PositionColumn].set(lap % 100);
        rows[lap][TrafficColumn].set(lap % 3);
    }
    return race;
}

QByteArray plain(const StoredRace &race) { return writeLapFile(race, std::nullopt, '.'); }

QByteArray corpusBytes(const QString &name)
{
    QFile f(QStringLiteral(SW_LAPFILE_CORPUS "/") + name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<cannot open corpus file>");
}

// Same values; whole: same cells, kind and text too.
void compareRows(const LapFileContent &a, const LapFileContent &b, bool whole)
{
    for (int r = 0; r < LapFileRows; ++r)
        for (int col = 0; col < RaceRecordCells::Columns; ++col) {
            const Cell &x = a.race.cells.rows[r][col], &y = b.race.cells.rows[r][col];
            QCOMPARE(x.value(), y.value());
            QVERIFY(!whole || x == y);
        }
}

} // namespace

class TestLapFile : public QObject
{
    Q_OBJECT

private slots:
    // Golden bytes of a reading cell and a condition line; the separator reaches the print form only.
    void cellAndConditionLines_data()
    {
        QTest::addColumn<Cell>("reading");
        QTest::addColumn<Cell>("flag");
        QTest::addColumn<Cell>("traffic");
        QTest::addColumn<char>("separator");
        QTest::addColumn<QByteArray>("readingHex");
        QTest::addColumn<QByteArray>("conditionHex");
        auto num = [](double v) { Cell c; c.set(v); return c; };
        auto text = [](const QString &t) { Cell c; c.setText(t); return c; };
        const Cell empty;
        const QByteArray unused = QByteArray(" 0  ```   0").toHex(' ');
        auto row = [&](const char *tag, const Cell &reading, const Cell &flag, const Cell &traffic,
                       const QByteArray &readingHex, const QByteArray &conditionHex, char separator = '.') {
            QTest::newRow(tag) << reading << flag << traffic << separator << readingHex << conditionHex;
        };
        row("4", num(4), num(0), num(1), "20 34 20", "20 30 20 20 60 60 60 20 20 20 31");
        row("0, never used", num(0), empty, empty, "20 30 20", unused);
        row("-3", num(-3), num(-1), num(0), "2d 33 20", "2d 31 20 20 60 60 60 20 20 20 30");
        row("12.5, text conditions", num(12.5), text(u"3"_s), text(u" 3 "_s), "20 31 32 2e 35 20",
            QByteArray(" 3  ```   3").toHex(' '));
        row("never set", empty, empty, empty, "", unused);
        row("comma separator", num(12.5), num(1.5), empty, QByteArray(" 12,5 ").toHex(' '),
            QByteArray(" 1.5  ```   0").toHex(' '), ',');
    }

    void cellAndConditionLines()
    {
        QFETCH(Cell, reading);
        QFETCH(Cell, flag);
        QFETCH(char, separator);
        auto race = makeRace(1, 1);
        race->cells.rows[1][1] = reading;
        race->cells.rows[1][FlagColumn] = flag;
        QFETCH(Cell, traffic);
        race->cells.rows[1][TrafficColumn] = traffic;
        const QByteArray bytes = writeLapFile(*race, std::nullopt, QLatin1Char(separator));
        QTEST(lineAt(bytes, rowLine(1, 1)).toHex(' '), "readingHex");
        QTEST(lineAt(bytes, rowLine(1, 5)).toHex(' '), "conditionHex");
        const LapFileReadResult read = readLapFile(bytes, false);
        QCOMPARE(read.content.race.cells.rows[1][1].value(), reading.value());
        QCOMPARE(read.content.race.cells.rows[1][FlagColumn].value(), flag.value());
    }

    void headerAndUnusedRow()
    {
        auto race = std::make_unique<StoredRace>();
        race->segmentsPerLap = 4;
        race->lastLap = 12;
        const QByteArray bytes = plain(*race);
        QCOMPARE(lineAt(bytes, 1), QByteArray("QVM-SW*1.10"));
        QCOMPARE(lineAt(bytes, 2).toHex(' '), QByteArray("20 34 20"));
        for (int n = 3; n <= 13; ++n)
            QCOMPARE(lineAt(bytes, n).toHex(' '), QByteArray("20 31 32 20"));
        QCOMPARE(bytes.split('\n').mid(rowLine(200, 0) - 1, 7),
                 (QList<QByteArray>{"\r", "\r", "\r", "\r", "\r", " 0  ```   0\r", "\r"}));
    }

    void unencodableCharactersAreWrittenAsQuestionMarks()
    {
        auto race = makeRace(1, 1);
        race->cells.rows[1][0].setText(u"\u0100"_s);
        race->cells.rows[1][2].setText(u"a\r\nb"_s); // would shift every later line
        race->comments = u"caf\u00e9 \u20ac \U0001F600\nx\ry"_s;
        const QByteArray bytes = writeLapFile(*race, u"C:\\\u0101.txt"_s, '.');
        QCOMPARE(lineAt(bytes, rowLine(1, 0)), QByteArray("?"));
        QCOMPARE(lineAt(bytes, rowLine(1, 2)), QByteArray("a  b"));
        QCOMPARE(bytes.split('\n').mid(rowLine(251, 0) - 1, 4),
                 (QList<QByteArray>{"C:\\?.txt\r", "caf\xe9 \x80 ?\r", "x\r", "y\r"})); // path line, comments
        QVERIFY(bytes.count('\n') == bytes.count("\r\n") && bytes.count('\r') == bytes.count("\r\n"));
        // The warning before saving names each such character once, in order.
        QCOMPARE(unencodableCharacters(u"\u0100a\U0001F600\u0100\U0001F600\u00e9"_s), u"\u0100\U0001F600"_s);
    }

    void cellLinesAreRead_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        const int text = Cell::Text, empty = Cell::Empty;
        QTest::newRow("print form keeps its blanks") << QByteArray(" 83.875 ") << text << " 83.875 " << 83.875;
        QTest::newRow("decimal comma") << QByteArray(" 12,5 ") << text << " 12.5 " << 12.5;
        QTest::newRow("leading comma dropped") << QByteArray(",5") << text << "5" << 5.0;
        QTest::newRow("first comma only") << QByteArray("1,2,3") << text << "1.2,3" << 1.2;
        QTest::newRow("empty line") << QByteArray() << empty << QString() << 0.0;
        QTest::newRow("not a number") << QByteArray("abc") << text << "abc" << 0.0;
        QTest::newRow("too large") << QByteArray("1e400") << text << "1e400" << 0.0;
        QTest::newRow("code page byte") << QByteArray("\xe9") << text << u"\u00e9"_s << 0.0;
    }

    void cellLinesAreRead()
    {
        QFETCH(QByteArray, line);
        QByteArray bytes = plain(*makeRace(2, 3));
        for (int k : {0, 1, 2, 3, 4, 6})
            bytes = withLine(bytes, rowLine(2, k), line);
        const LapFileReadResult read = readLapFile(bytes, false);
        QCOMPARE(read.status, LapFileReadResult::Ok);
        for (int col : {0, 1, 2, 3, 4, 6}) {
            const Cell &cell = read.content.race.cells.rows[2][col];
            QTEST(int(cell.kind()), "kind");
            QTEST(cell.text(), "text");
            QTEST(cell.value(), "value");
        }
    }

    // Without the separator the whole condition line is the flag, untrimmed.
    void conditionLineWithoutSeparator()
    {
        const LapFileReadResult read = readLapFile(withLine(plain(*makeRace(2, 3)), rowLine(2, 5), " 2"), false);
        QCOMPARE(read.status, LapFileReadResult::Ok);
        const auto &row = read.content.race.cells.rows[2];
        QCOMPARE(row[FlagColumn].text(), u" 2"_s);
        QVERIFY(row[TrafficColumn].isEmpty());
        QCOMPARE(row[PositionColumn].text(), u" 2 "_s);
    }

    // Comments run from the line after the row blocks to the end mark "-9999".
    void commentsAreRead_data()
    {
        QTest::addColumn<QByteArray>("tail"); // everything after the row blocks
        QTest::addColumn<QString>("comments");
        QTest::newRow("end mark without line end") << QByteArray("a\r\n-9999") << "a";
        QTest::newRow("end mark with blanks is text") << QByteArray("-9999 \r\n-9999\r\n") << "-9999 ";
    }

    void commentsAreRead()
    {
        QFETCH(QByteArray, tail);
        QByteArray bytes = plain(*makeRace(1, 2));
        bytes.truncate(bytes.indexOf("\r\n\r\n-9999\r\n") + 2);
        const LapFileReadResult read = readLapFile(bytes + tail, false);
        QCOMPARE(read.status, LapFileReadResult::Ok);
        QTEST(read.content.race.comments, "comments");
    }

    // Save, open, save: the same bytes; loaded over another race, nothing of it remains.
    void roundTrip_data()
    {
        QTest::addColumn<int>("numSegs");
        QTest::addColumn<int>("lastLap");
        QTest::addColumn<QString>("comments");
        QTest::addColumn<bool>("exchange");
        QTest::addColumn<int>("commentLines");
        QTest::newRow("one segment, no comments") << 1 << 1 << QString() << false << 1;
        QTest::newRow("four segments, full race") << 4 << 250 << u"Heat 1"_s << false << 1;
        QTest::newRow("comments with empty lines") << 2 << 10 << u"a\r\n\r\nb\r\n\r\n\r\nc"_s << false << 6;
        QTest::newRow("code page comments") << 1 << 2 << u"\u00c9tape \u20ac5 \u2013 na\u00efve"_s << false << 1;
        QTest::newRow("exchange") << 2 << 30 << u"from the log book\r\n"_s << true << 2;
    }

    void roundTrip()
    {
        QFETCH(int, numSegs);
        QFETCH(int, lastLap);
        QFETCH(QString, comments);
        QFETCH(bool, exchange);
        QFETCH(int, commentLines);
        auto stored = makeRace(numSegs, lastLap);
        stored->cells.rows[0][0].setText(u"kept"_s);
        stored->comments = comments;
        const std::optional<QString> path = exchange ? std::optional<QString>(u"C:\\Prog\\x.txt"_s) : std::nullopt;
        const QByteArray first = writeLapFile(*stored, path, '.');
        QCOMPARE(int(first.count("\r\n")), LapFileFixedLines + (exchange ? 1 : 0) + commentLines + 2);

        const LapFileReadResult read = readLapFile(first, exchange);
        QCOMPARE(read.status, LapFileReadResult::Ok);
        QCOMPARE(read.content.race.comments, comments);
        QCOMPARE(read.content.pathLine, path);
        Race loaded;
        loaded.load(*makeRace(4, 250));
        loaded.load(read.content.race);
        QCOMPARE(writeLapFile(loaded.storedRace(), read.content.pathLine, '.'), first);
    }

    void fileTitle_data()
    {
        QTest::addColumn<QString>("programFolder");
        QTest::addColumn<QString>("currentFile");
        QTest::addColumn<QString>("title");
        QTest::newRow("windows, other case") << "C:\\PROG" << "C:\\Prog\\LapTimeFiles\\Oval\\Heat1.txt" << "Oval\\Heat1.txt";
        QTest::newRow("elsewhere") << "C:\\PROG" << "D:\\Races\\Heat1.txt" << "Heat1.txt";
        QTest::newRow("native") << "/opt/sw/" << "/opt/sw/LapTimeFiles/a/b.txt" << "a/b.txt";
        QTest::newRow("mixed separators") << "C:/Prog" << "c:\\prog\\laptimefiles\\Heat2.TXT" << "Heat2.TXT";
        QTest::newRow("folder name only a prefix") << "/opt/sw" << "/opt/sw/LapTimeFilesOld/b.txt" << "b.txt";
    }

    void fileTitle()
    {
        QFETCH(QString, programFolder);
        QFETCH(QString, currentFile);
        QTEST(fileTitleFor(programFolder, currentFile), "title");
    }

    // Each malformed or odd file loads what the layout means or is refused with a reason.
    void corpusFile_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("exchange");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("detail"); // Ok: "segments/last lap", or "same" as good-race.txt; else the reason
        const int ok = LapFileReadResult::Ok, bad = LapFileReadResult::NotLapFile, damaged = LapFileReadResult::Damaged;
        auto row = [](const char *file, int status, const char *detail = "", bool exchange = false) {
            QTest::newRow(file) << QString::fromLatin1(file) << exchange << status << QString::fromLatin1(detail);
        };
        for (const char *f : {"empty.txt", "wrong-mark.txt", "mark-trailing-text.txt", "binary.txt"})
            row(f, bad);
        for (const char *f : {"mark-then-comma-field.txt", "mark-leading-blanks.txt", "closing-line-without-line-end.txt",
                              "numsegs-fraction.txt" /* 2.5 rounds half to even */, "cr-only-line-ends.txt",
                              "lf-only-line-ends.txt"})
            row(f, ok, "same");
        for (const char *f : {"good-race.txt", "ends-after-rows.txt", "condition-without-separator.txt", "odd-cells.txt",
                              "no-end-mark.txt", "comments-with-empty-lines.txt", "nul-bytes-in-cells.txt"})
            row(f, ok, "2/3");
        // Whatever follows the end mark is not read, its line ends included.
        for (const char *f : {"lf-after-end-mark.txt", "extra-lf-after-closing-line.txt", "ctrl-z-after-closing-line.txt",
                              "second-file-appended.txt", "cr-file-lf-after-end-mark.txt"})
            row(f, ok, "same");
        row("good-exchange.txt", ok, "2/3", true);
        row("lastlap-minus-1.txt", ok, "2/1");
        const std::pair<const char *, const char *> damagedFiles[] = {
                {"mark-only.txt", "ends after line 1"}, {"truncated-in-header.txt", "ends after line 7"},
                {"truncated-in-first-row.txt", "ends after line 16"}, {"truncated-mid-rows.txt", "ends after line 900"},
                {"truncated-in-last-row.txt", "ends after line 1769"}, {"binary-after-mark.txt", "Line 2"},
                {"header-abc.txt", "Line 2 should hold the number of segments"},
                {"header-copy-not-a-number.txt", "Line 11 should hold the number of laps"},
                {"numsegs-0.txt", "0 segments"}, {"numsegs-9.txt", "9 segments"}, {"lastlap-251.txt", "251 laps"},
                {"lastlap-99999.txt", "out of range"}, {"lastlap-1e400.txt", "out of range"},
                // One line end unlike the first line's refuses the whole file, wherever it is.
                {"stray-lf-in-row.txt", "Line 37 ends differently from the first line (LF instead of CR LF)."},
                {"stray-cr-in-header.txt", "Line 5 ends differently from the first line (CR instead of CR LF)."},
                {"stray-lf-in-comments.txt", "Line 1771 ends differently from the first line (LF instead of CR LF)."},
                {"crlf-in-lf-file.txt", "Line 900 ends differently from the first line (CR LF instead of LF)."},
                {"lf-at-end-mark.txt", "Line 1773 ends differently from the first line (LF instead of CR LF)."}};
        for (const auto &[f, why] : damagedFiles)
            row(f, damaged, why);
        row("stray-lf-after-path-line.txt", damaged,
            "Line 1771 ends differently from the first line (LF instead of CR LF).", true);
    }

    void corpusFile()
    {
        QFETCH(QString, file);
        QFETCH(bool, exchange);
        QFETCH(QString, detail);
        const LapFileReadResult read = readLapFile(corpusBytes(file), exchange);
        QTEST(int(read.status), "status");
        if (read.status != LapFileReadResult::Ok) {
            QVERIFY2(read.problem.contains(detail), qPrintable(read.problem));
            QCOMPARE(read.problem.isEmpty(), read.status == LapFileReadResult::NotLapFile);
            return;
        }
        const LapFileContent &c = read.content;
        if (detail == "same"_L1) {
            const LapFileContent good = readLapFile(corpusBytes(u"good-race.txt"_s), false).content;
            QCOMPARE(c.race.comments, good.race.comments);
            compareRows(c, good, true);
            detail = u"2/3"_s;
        }
        QCOMPARE(u"%1/%2"_s.arg(c.race.segmentsPerLap).arg(c.race.lastLap), detail);
        QCOMPARE(read.problem, QString());
        for (const auto &row : c.race.cells.rows)
            for (const Cell &x : row)
                QVERIFY(std::isfinite(x.value()));
        // Written again as read, it reads back the same.
        const auto path = exchange ? std::optional<QString>(c.pathLine.value_or(QString())) : std::nullopt;
        const LapFileReadResult back = readLapFile(writeLapFile(c.race, path, '.'), exchange);
        QCOMPARE(back.status, LapFileReadResult::Ok);
        QCOMPARE(u"%1/%2"_s.arg(back.content.race.segmentsPerLap).arg(back.content.race.lastLap), detail);
        QCOMPARE(back.content.race.comments, c.race.comments);
        QCOMPARE(back.content.pathLine, path);
        compareRows(back.content, c, false);
    }

    // A 10 MB header line is refused, and the reason does not quote it whole.
    void tenMegabyteLine()
    {
        QList<QByteArray> lines = corpusBytes(u"good-race.txt"_s).split('\n');
        QVERIFY(lines.size() > 1771);
        lines[1] = QByteArray(10 * 1024 * 1024, '7') + '\r';
        const LapFileReadResult read = readLapFile(lines.join('\n'), false);
        QCOMPARE(read.status, LapFileReadResult::Damaged);
        QVERIFY2(read.problem.size() < 200, qPrintable(read.problem));
    }
};

QTEST_GUILESS_MAIN(TestLapFile)
#include "tst_lapfile.moc"
