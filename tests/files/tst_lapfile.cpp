// The lap-time file layout: golden bytes of what the writer produces, the
// reader's treatment of every kind of line, round trips, and the corpus of
// malformed files.

#include "files/FileTitle.h"
#include "files/LapFile.h"

#include <QDir>
#include <QtTest>

#include <cmath>
#include <memory>

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
int rowLine(int r, int k)
{
    return 14 + 7 * r + k;
}

std::unique_ptr<RaceRecord> makeRace(int numSegs, int lastLap)
{
    auto rec = std::make_unique<RaceRecord>();
    rec->NumSegs = qint16(numSegs);
    rec->LastLap = qint16(lastLap);
    rec->LapData[0][numSegs].set(2.5);
    for (int lap = 1; lap <= lastLap; ++lap) {
        for (int s = 1; s <= numSegs; ++s)
            rec->LapData[lap][s].set(2.5 + 61.25 * (lap - 1) + 20.125 * s);
        rec->LapData[lap][RaceRecord::FlagCol].set(lap % 2);
        rec->LapData[lap][RaceRecord::PositionCol].set(lap % 100);
        rec->LapData[lap][RaceRecord::TrafficCol].set(lap % 3);
    }
    return rec;
}

QByteArray plain(const RaceRecord &rec)
{
    return writeLapFile(rec, QString(), std::nullopt, '.');
}

QByteArray corpusBytes(const QString &name)
{
    QFile f(QStringLiteral(SW_LAPFILE_CORPUS "/") + name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<cannot open corpus file>");
}

void checkFinite(const LapFileContent &content)
{
    for (const auto &row : content.rows)
        for (const Cell &c : row)
            QVERIFY(std::isfinite(c.value()));
}

// Same values; whole: same cells, kind and text too.
void compareRows(const LapFileContent &a, const LapFileContent &b, bool whole)
{
    for (int r = 0; r < LapFileRows; ++r)
        for (int col = 0; col < RaceRecord::Cols; ++col) {
            QCOMPARE(a.rows[r][col].value(), b.rows[r][col].value());
            QVERIFY(!whole || a.rows[r][col] == b.rows[r][col]);
        }
}

} // namespace

class TestLapFile : public QObject
{
    Q_OBJECT
    QStringList m_tabled; // corpus files with a row in corpusFile_data

private slots:
    // Golden bytes of a reading cell and the condition line of one row. The
    // decimal separator reaches the print form only.
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
        row(".5 without leading zero", num(0.5), empty, empty, QByteArray(" .5 ").toHex(' '), unused);
        row("rounded to 15 digits", num(0.1 + 0.2), empty, empty, QByteArray(" .3 ").toHex(' '), unused);
        row("never set", empty, empty, empty, "", unused);
        row("comma separator", num(12.5), num(1.5), empty, QByteArray(" 12,5 ").toHex(' '),
            QByteArray(" 1.5  ```   0").toHex(' '), ',');
    }

    void cellAndConditionLines()
    {
        QFETCH(Cell, reading);
        QFETCH(char, separator);
        auto rec = makeRace(1, 1);
        rec->LapData[1][1] = reading;
        QFETCH(Cell, flag);
        QFETCH(Cell, traffic);
        rec->LapData[1][RaceRecord::FlagCol] = flag;
        rec->LapData[1][RaceRecord::TrafficCol] = traffic;
        const QByteArray bytes = writeLapFile(*rec, QString(), std::nullopt, QLatin1Char(separator));
        QTEST(lineAt(bytes, rowLine(1, 1)).toHex(' '), "readingHex");
        QTEST(lineAt(bytes, rowLine(1, 5)).toHex(' '), "conditionHex");
        const LapFileReadResult read = readLapFile(bytes, false);
        QCOMPARE(read.content.rows[1][1].value(), reading.value());
        QCOMPARE(read.content.rows[1][RaceRecord::FlagCol].value(), flag.value());
    }

    void headerAndUnusedRow()
    {
        RaceRecord rec;
        rec.NumSegs = 4;
        rec.LastLap = 12;
        const QByteArray bytes = plain(rec);
        QCOMPARE(lineAt(bytes, 1), QByteArray("QVM-SW*1.10"));
        QCOMPARE(lineAt(bytes, 2).toHex(' '), QByteArray("20 34 20"));
        for (int n = 3; n <= 13; ++n)
            QCOMPARE(lineAt(bytes, n).toHex(' '), QByteArray("20 31 32 20"));
        QList<QByteArray> row200;
        for (int k = 0; k < 7; ++k)
            row200 << lineAt(bytes, rowLine(200, k));
        QCOMPARE(row200, (QList<QByteArray>{"", "", "", "", "", " 0  ```   0", ""}));
    }

    void unencodableCharactersAreWrittenAsQuestionMarks()
    {
        auto rec = makeRace(1, 1);
        rec->LapData[1][0].setText(u"\u0100"_s);
        rec->LapData[1][2].setText(u"a\r\nb"_s); // would shift every later line
        const QByteArray bytes = writeLapFile(*rec, u"caf\u00e9 \u20ac \U0001F600\nx\ry"_s, u"C:\\\u0101.txt"_s, '.');
        QCOMPARE(lineAt(bytes, rowLine(1, 0)), QByteArray("?"));
        QCOMPARE(lineAt(bytes, rowLine(1, 2)), QByteArray("a  b"));
        QCOMPARE(lineAt(bytes, rowLine(251, 0)), QByteArray("C:\\?.txt"));
        QCOMPARE(lineAt(bytes, rowLine(251, 1)), QByteArray("caf\xe9 \x80 ?"));
        QCOMPARE(lineAt(bytes, rowLine(251, 2)), QByteArray("x"));
        QCOMPARE(lineAt(bytes, rowLine(251, 3)), QByteArray("y"));
        QCOMPARE(bytes.count('\n'), bytes.count("\r\n"));
        QCOMPARE(bytes.count('\r'), bytes.count("\r\n"));
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
            QTEST(int(read.content.rows[2][col].kind()), "kind");
            QTEST(read.content.rows[2][col].text(), "text");
            QTEST(read.content.rows[2][col].value(), "value");
        }
    }

    void conditionLineIsSplit_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("flag");
        QTest::addColumn<QString>("traffic");
        QTest::newRow("as written") << QByteArray(" 1  ```   2") << "1" << "2";
        QTest::newRow("core only") << QByteArray("1 ``` 2") << "1" << QString();
        QTest::newRow("comma in flag, not traffic") << QByteArray("1,5  ```  2,5") << "1.5" << "2,5";
        // Without the separator the whole line is the flag, untrimmed.
        QTest::newRow("no separator") << QByteArray(" 2") << " 2" << QString();
    }

    void conditionLineIsSplit()
    {
        QFETCH(QByteArray, line);
        QFETCH(QString, flag);
        QFETCH(QString, traffic);
        const LapFileReadResult read = readLapFile(withLine(plain(*makeRace(2, 3)), rowLine(2, 5), line), false);
        QCOMPARE(read.status, LapFileReadResult::Ok);
        const auto &row = read.content.rows[2];
        QCOMPARE(row[RaceRecord::FlagCol].text(), flag);
        QCOMPARE(row[RaceRecord::FlagCol].isEmpty(), flag.isEmpty());
        QCOMPARE(row[RaceRecord::TrafficCol].text(), traffic);
        QCOMPARE(row[RaceRecord::TrafficCol].isEmpty(), traffic.isEmpty());
        QCOMPARE(row[RaceRecord::PositionCol].text(), u" 2 "_s);
    }

    void commentsAndPathLineAreRead_data()
    {
        QTest::addColumn<QByteArray>("tail"); // everything after the row blocks
        QTest::addColumn<bool>("exchange");
        QTest::addColumn<QString>("comments");
        QTest::addColumn<QString>("path"); // "-" for none
        QTest::newRow("empty comment line") << QByteArray("\r\n-9999\r\n 0 \r\n") << false << "" << "-";
        QTest::newRow("empty line kept") << QByteArray("a\r\n\r\nb\r\n-9999\r\n 0 \r\n") << false << "a\r\n\r\nb" << "-";
        QTest::newRow("end mark without line end") << QByteArray("a\r\n-9999") << false << "a" << "-";
        QTest::newRow("end mark with blanks is text") << QByteArray("-9999 \r\n-9999\r\n") << false << "-9999 " << "-";
        QTest::newRow("after the end mark ignored") << QByteArray("a\r\n-9999\r\nb\r\n-9999\r\n") << false << "a" << "-";
        QTest::newRow("exchange: path and comments")
                << QByteArray("C:\\Prog\\Heat1.txt\r\nwet\r\n-9999\r\n 0 \r\n") << true << "wet" << "C:\\Prog\\Heat1.txt";
        QTest::newRow("exchange: path only") << QByteArray("/races/a.txt") << true << "" << "/races/a.txt";
    }

    void commentsAndPathLineAreRead()
    {
        QFETCH(QByteArray, tail);
        QFETCH(bool, exchange);
        QByteArray bytes = plain(*makeRace(1, 2));
        bytes.truncate(bytes.indexOf("\r\n\r\n-9999\r\n") + 2);
        const LapFileReadResult read = readLapFile(bytes + tail, exchange);
        QCOMPARE(read.status, LapFileReadResult::Ok);
        QTEST(read.content.Comments, "comments");
        QTEST(read.content.pathLine.value_or(u"-"_s), "path");
    }

    // Save, open, save: the same bytes; loaded over another race, nothing of
    // that race remains.
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
        QTest::newRow("comments ending in a line break") << 3 << 7 << u"dry\r\n"_s << false << 2;
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
        auto rec = makeRace(numSegs, lastLap);
        rec->LapData[0][0].setText(u"kept"_s);
        const std::optional<QString> path = exchange ? std::optional<QString>(u"C:\\Prog\\x.txt"_s) : std::nullopt;
        const QByteArray first = writeLapFile(*rec, comments, path, '.');
        QCOMPARE(int(first.count("\r\n")), LapFileFixedLines + (exchange ? 1 : 0) + commentLines + 2);

        const LapFileReadResult read = readLapFile(first, exchange);
        QCOMPARE(read.status, LapFileReadResult::Ok);
        QCOMPARE(read.content.Comments, comments);
        QCOMPARE(read.content.pathLine, path);
        auto loaded = makeRace(4, 250);
        applyToRecord(read.content, *loaded);
        QCOMPARE(loaded->reading(lastLap, numSegs), rec->reading(lastLap, numSegs));
        QCOMPARE(writeLapFile(*loaded, read.content.Comments, read.content.pathLine, '.'), first);
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
        QTEST(MakeFileTitle(programFolder, currentFile), "title");
    }

    // Malformed and odd files: each loads what the layout means or is refused
    // with a reason, and a file that loads writes back to one that loads the same.
    void corpusFile_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("exchange");
        QTest::addColumn<int>("status");
        // Ok: "NumSegs/LastLap", or "same" for the race and comments of
        // good-race.txt; Damaged: a part of the reason.
        QTest::addColumn<QString>("detail");
        const int ok = LapFileReadResult::Ok, bad = LapFileReadResult::NotLapFile, damaged = LapFileReadResult::Damaged;
        auto row = [this](const char *file, int status, const char *detail = "", bool exchange = false) {
            m_tabled << QString::fromLatin1(file);
            QTest::newRow((QByteArray(file) + (exchange ? " exchange" : "")).constData())
                    << QString::fromLatin1(file) << exchange << status << QString::fromLatin1(detail);
        };
        m_tabled.clear();
        for (const char *f : {"empty.txt", "wrong-mark.txt", "mark-trailing-text.txt", "binary.txt"})
            row(f, bad);
        // Read as good-race.txt is.
        for (const char *f : {"mark-then-comma-field.txt", "mark-leading-blanks.txt", "closing-line-without-line-end.txt",
                              "numsegs-fraction.txt" /* 2.5 rounds half to even */, "cr-only-line-ends.txt",
                              "lf-only-line-ends.txt"})
            row(f, ok, "same");
        for (const char *f : {"good-race.txt", "ends-after-rows.txt", "condition-without-separator.txt", "odd-cells.txt",
                              "no-end-mark.txt", "comments-with-empty-lines.txt", "nul-bytes-in-cells.txt"})
            row(f, ok, "2/3");
        row("good-exchange.txt", ok, "2/3", true);
        row("ends-after-rows.txt", ok, "2/3", true);
        row("lastlap-minus-1.txt", ok, "2/1");
        row("mark-only.txt", damaged, "ends after line 1");
        row("truncated-in-header.txt", damaged, "ends after line 7");
        row("truncated-in-first-row.txt", damaged, "ends after line 16");
        row("truncated-mid-rows.txt", damaged, "ends after line 900");
        row("truncated-in-last-row.txt", damaged, "ends after line 1769");
        row("header-abc.txt", damaged, "Line 2 should hold the number of segments");
        row("header-copy-not-a-number.txt", damaged, "Line 11 should hold the number of laps");
        row("numsegs-0.txt", damaged, "0 segments");
        row("numsegs-9.txt", damaged, "9 segments");
        row("lastlap-251.txt", damaged, "251 laps");
        row("lastlap-99999.txt", damaged, "out of range");
        row("lastlap-1e400.txt", damaged, "out of range");
        row("binary-after-mark.txt", damaged, "Line 2");
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
            QCOMPARE(c.Comments, good.Comments);
            compareRows(c, good, true);
            detail = u"2/3"_s;
        }
        QCOMPARE(u"%1/%2"_s.arg(c.NumSegs).arg(c.LastLap), detail);
        QCOMPARE(read.problem, QString());
        checkFinite(c);
        // Applied and written again (an exchange file always with its path
        // line), it reads back the same.
        RaceRecord rec;
        applyToRecord(c, rec);
        const auto path = exchange ? std::optional<QString>(c.pathLine.value_or(QString())) : std::nullopt;
        const LapFileReadResult back = readLapFile(writeLapFile(rec, c.Comments, path, '.'), exchange);
        QCOMPARE(back.status, LapFileReadResult::Ok);
        QCOMPARE(u"%1/%2"_s.arg(back.content.NumSegs).arg(back.content.LastLap), detail);
        QCOMPARE(back.content.Comments, c.Comments);
        QCOMPARE(back.content.pathLine, path);
        compareRows(back.content, c, false);
    }

    void everyCorpusFileIsInTheTable()
    {
        const QStringList files = QDir(QStringLiteral(SW_LAPFILE_CORPUS)).entryList(QDir::Files);
        QVERIFY(files.size() >= 20);
        for (const QString &f : files)
            QVERIFY2(m_tabled.contains(f), qPrintable(f + u" has no row in the table"_s));
    }

    void tenMegabyteLine_data()
    {
        QTest::addColumn<int>("line"); // which line of good-race.txt becomes 10 MB long
        QTest::addColumn<int>("status");
        QTest::newRow("file mark") << 1 << int(LapFileReadResult::NotLapFile);
        QTest::newRow("header") << 2 << int(LapFileReadResult::Damaged);
        QTest::newRow("reading cell") << 14 + 7 + 1 << int(LapFileReadResult::Ok);
    }

    void tenMegabyteLine()
    {
        QFETCH(int, line);
        QList<QByteArray> lines = corpusBytes(u"good-race.txt"_s).split('\n');
        QVERIFY(lines.size() > 1771);
        lines[line - 1] = QByteArray(10 * 1024 * 1024, '7') + " ``` " + QByteArray(100, 'x') + '\r';
        const LapFileReadResult read = readLapFile(lines.join('\n'), false);
        QTEST(int(read.status), "status");
        checkFinite(read.content);
        QVERIFY2(read.problem.size() < 200, qPrintable(read.problem)); // the line is not quoted whole
    }
};

QTEST_GUILESS_MAIN(TestLapFile)
#include "tst_lapfile.moc"
