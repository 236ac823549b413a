// The lap-time file layout: golden bytes of what the writer produces, the
// reader's treatment of every kind of line, and round trips.

#include "files/FileIo.h"
#include "files/FileTitle.h"
#include "files/LapFile.h"
#include "timing/NumberText.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtTest>

#include <clocale>
#include <cstring>
#include <memory>

Q_DECLARE_METATYPE(sw::Cell)

using namespace sw;

namespace {

const QByteArray CrLf("\r\n");

QList<QByteArray> fileLines(const QByteArray &bytes)
{
    QList<QByteArray> lines = bytes.split('\n');
    // Every line ends in CR LF, so the split leaves one empty piece at the end.
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (QByteArray &l : lines)
        if (l.endsWith('\r'))
            l.chop(1);
    return lines;
}

// Line n (from 1) of a written file, without its CR LF.
QByteArray lineAt(const QByteArray &bytes, int n)
{
    const QList<QByteArray> lines = fileLines(bytes);
    return n >= 1 && n <= lines.size() ? lines.at(n - 1) : QByteArray("<missing>");
}

// The first line of the row block of row r, from 1.
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

// A file written by the writer for rec, with one line replaced.
QByteArray withLine(const QByteArray &bytes, int n, const QByteArray &replacement)
{
    QList<QByteArray> lines = fileLines(bytes);
    lines[n - 1] = replacement;
    return lines.join(CrLf) + CrLf;
}

// Puts the C library's LC_NUMERIC into a locale with a decimal comma for its
// lifetime, as a Qt program gets it from the environment on such a system.
// If none is installed, one is built with localedef when that is there.
class CommaCLocale
{
public:
    CommaCLocale() : m_old(std::setlocale(LC_NUMERIC, nullptr))
    {
        for (const char *name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "nl_NL.UTF-8"})
            if (std::setlocale(LC_NUMERIC, name))
                break;
        if (!isComma() && m_dir.isValid() && !QStandardPaths::findExecutable(QStringLiteral("localedef")).isEmpty()) {
            QProcess::execute(QStringLiteral("localedef"),
                              {QStringLiteral("-i"), QStringLiteral("de_DE"), QStringLiteral("-f"),
                               QStringLiteral("UTF-8"), m_dir.filePath(QStringLiteral("de_DE.UTF-8"))});
            qputenv("LOCPATH", QFile::encodeName(m_dir.path()));
            std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
        }
    }
    ~CommaCLocale()
    {
        std::setlocale(LC_NUMERIC, m_old.constData());
        qunsetenv("LOCPATH");
    }
    static bool isComma() { return std::strcmp(std::localeconv()->decimal_point, ",") == 0; }

private:
    QByteArray m_old;
    QTemporaryDir m_dir;
};

} // namespace

class TestLapFile : public QObject
{
    Q_OBJECT

private slots:
    void codePageIsAvailable();

    void numberLinesHaveThePrintForm_data();
    void numberLinesHaveThePrintForm();
    void headerRepeatsTheLapCount();
    void conditionLineJoinsFlagAndTraffic_data();
    void conditionLineJoinsFlagAndTraffic();
    void cellLinesByKind();
    void commaLocaleWritesCommasInNumbersOnly();
    void commaInTheCLibraryLocaleChangesNothing();
    void lineCount_data();
    void lineCount();
    void everyLineEndsInCrLf();
    void unencodableCharactersAreWrittenAsQuestionMarks();

    void cellLinesAreReadAsText_data();
    void cellLinesAreReadAsText();
    void conditionLineIsSplit_data();
    void conditionLineIsSplit();
    void commentsAreReadUpToTheEndMark_data();
    void commentsAreReadUpToTheEndMark();
    void exchangePathLine_data();
    void exchangePathLine();
    void codePageCharactersAreRead();
    void lastLapBelowOneLoadsAsOne();

    void roundTripKeepsTheBytes_data();
    void roundTripKeepsTheBytes();
    void applyLeavesRow251Alone();

    void fileTitle_data();
    void fileTitle();
    void unencodableCharacters_data();
    void unencodableCharacters();

    void saveAndLoadFiles();
    void failedSaveNamesTheFileAndKeepsTheOldOne();
    void loadOfMissingFileNamesTheFile();
};

void TestLapFile::codePageIsAvailable()
{
    // The files are windows-1252; Qt gets it from ICU. Without it every file
    // would be refused or written wrongly, so fail loudly here.
    QStringEncoder enc("windows-1252");
    QStringDecoder dec("windows-1252");
    QVERIFY2(enc.isValid() && dec.isValid(), "this Qt build has no windows-1252 converter");
    QCOMPARE(enc.encode(QString::fromUtf8("\u20ac\u00e9\u0160")), QByteArray("\x80\xe9\x8a"));
    QCOMPARE(QString(dec.decode(QByteArray("\x80\xe9\x8a"))), QString::fromUtf8("\u20ac\u00e9\u0160"));
}

void TestLapFile::numberLinesHaveThePrintForm_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QChar>("separator");
    QTest::addColumn<QByteArray>("hex");

    QTest::newRow("4") << 4.0 << QChar('.') << QByteArray("203420");
    QTest::newRow("0") << 0.0 << QChar('.') << QByteArray("203020");
    QTest::newRow("-3") << -3.0 << QChar('.') << QByteArray("2d3320");
    QTest::newRow("12.5") << 12.5 << QChar('.') << QByteArray("2031322e3520");
    QTest::newRow("0.5 no leading zero") << 0.5 << QChar('.') << QByteArray("202e3520");
    QTest::newRow("-0.25") << -0.25 << QChar('.') << QByteArray("2d2e323520");
    QTest::newRow("12.5 comma") << 12.5 << QChar(',') << QByteArray("2031322c3520");
    QTest::newRow("15 digits") << 1234.56789012345 << QChar('.')
                               << QByteArray(" 1234.56789012345 ").toHex();
    QTest::newRow("rounded to 15 digits") << 0.1 + 0.2 << QChar('.') << QByteArray(" .3 ").toHex();
}

void TestLapFile::numberLinesHaveThePrintForm()
{
    QFETCH(double, value);
    QFETCH(QChar, separator);
    QFETCH(QByteArray, hex);

    // A reading in column 1 of row 1 is written in the print form.
    RaceRecord rec;
    rec.NumSegs = 1;
    rec.LastLap = 1;
    rec.LapData[1][1].set(value);
    const QByteArray bytes = writeLapFile(rec, QString(), std::nullopt, separator);
    QCOMPARE(lineAt(bytes, rowLine(1, 1)).toHex(), hex);
}

void TestLapFile::headerRepeatsTheLapCount()
{
    RaceRecord rec;
    rec.NumSegs = 4;
    rec.LastLap = 12;
    const QByteArray bytes = writeLapFile(rec, QString(), std::nullopt, '.');
    QCOMPARE(lineAt(bytes, 1), QByteArray("QVM-SW*1.10"));
    QCOMPARE(lineAt(bytes, 2).toHex(' '), QByteArray("20 34 20"));
    for (int n = 3; n <= 13; ++n)
        QCOMPARE(lineAt(bytes, n).toHex(' '), QByteArray("20 31 32 20"));
    QCOMPARE(lineAt(bytes, 14), QByteArray()); // row 0, column 0: empty
}

void TestLapFile::conditionLineJoinsFlagAndTraffic_data()
{
    QTest::addColumn<Cell>("flag");
    QTest::addColumn<Cell>("traffic");
    QTest::addColumn<QByteArray>("hex");

    Cell zero, one, two, empty, text3, textBlank3, negative;
    zero.set(0);
    one.set(1);
    two.set(2);
    text3.setText("3");
    textBlank3.setText(" 3 ");
    negative.set(-1);

    QTest::newRow("green, in traffic") << zero << one << QByteArray("20 30 20 20 60 60 60 20 20 20 31");
    QTest::newRow("never used") << empty << empty << QByteArray("20 30 20 20 60 60 60 20 20 20 30");
    QTest::newRow("yellow, held up") << one << two << QByteArray("20 31 20 20 60 60 60 20 20 20 32");
    QTest::newRow("text cells as numbers") << text3 << textBlank3
                                           << QByteArray("20 33 20 20 60 60 60 20 20 20 33");
    QTest::newRow("negative") << negative << zero << QByteArray("2d 31 20 20 60 60 60 20 20 20 30");
}

void TestLapFile::conditionLineJoinsFlagAndTraffic()
{
    QFETCH(Cell, flag);
    QFETCH(Cell, traffic);
    QFETCH(QByteArray, hex);

    RaceRecord rec;
    rec.NumSegs = 1;
    rec.LastLap = 1;
    rec.LapData[7][RaceRecord::FlagCol] = flag;
    rec.LapData[7][RaceRecord::TrafficCol] = traffic;
    // The comma locale must not reach this line.
    const QByteArray bytes = writeLapFile(rec, QString(), std::nullopt, ',');
    QCOMPARE(lineAt(bytes, rowLine(7, 5)).toHex(' '), hex);
}

void TestLapFile::cellLinesByKind()
{
    auto rec = makeRace(2, 3);
    rec->LapData[2][0].setText(" 7.25 ");
    rec->LapData[2][3].setText("x,y");
    rec->LapData[2][RaceRecord::PositionCol].clear();
    rec->LapData[251][1].set(99); // never stored

    const QByteArray bytes = writeLapFile(*rec, QString(), std::nullopt, '.');
    QCOMPARE(lineAt(bytes, rowLine(0, 2)), QByteArray(" 2.5 ")); // the start press
    QCOMPARE(lineAt(bytes, rowLine(2, 0)), QByteArray(" 7.25 "));   // text verbatim
    QCOMPARE(lineAt(bytes, rowLine(2, 1)), QByteArray(" 83.875 "));
    QCOMPARE(lineAt(bytes, rowLine(2, 2)), QByteArray(" 104 "));
    QCOMPARE(lineAt(bytes, rowLine(2, 3)), QByteArray("x,y"));
    QCOMPARE(lineAt(bytes, rowLine(2, 4)), QByteArray()); // never set
    QCOMPARE(lineAt(bytes, rowLine(2, 6)), QByteArray());
    QCOMPARE(lineAt(bytes, rowLine(3, 6)), QByteArray(" 3 "));
    QCOMPARE(lineAt(bytes, rowLine(250, 6)), QByteArray());
    QCOMPARE(lineAt(bytes, rowLine(251, 0)), QByteArray()); // the comments start here
    QCOMPARE(lineAt(bytes, rowLine(251, 1)), QByteArray("-9999"));
    QCOMPARE(lineAt(bytes, rowLine(251, 2)), QByteArray(" 0 "));
}

void TestLapFile::commaLocaleWritesCommasInNumbersOnly()
{
    auto rec = makeRace(1, 1);
    rec->LapData[1][1].set(12.5);
    rec->LapData[1][RaceRecord::FlagCol].set(1.5); // Str form: always a period
    const QByteArray bytes = writeLapFile(*rec, QStringLiteral("1.5"), std::nullopt, ',');
    QCOMPARE(lineAt(bytes, rowLine(0, 1)), QByteArray(" 2,5 "));
    QCOMPARE(lineAt(bytes, rowLine(1, 1)), QByteArray(" 12,5 "));
    QCOMPARE(lineAt(bytes, rowLine(1, 5)), QByteArray(" 1.5  ```   1"));
    QCOMPARE(lineAt(bytes, rowLine(251, 0)), QByteArray("1.5")); // comments verbatim

    // And it reads back as the same numbers.
    const LapFileReadResult read = readLapFile(bytes, false);
    QCOMPARE(read.status, LapFileReadResult::Ok);
    QCOMPARE(read.content.rows[1][1].text(), QStringLiteral(" 12.5 "));
    QCOMPARE(read.content.rows[1][1].value(), 12.5);
    QCOMPARE(read.content.rows[0][1].value(), 2.5);
}

void TestLapFile::commaInTheCLibraryLocaleChangesNothing()
{
    CommaCLocale comma;
    if (!CommaCLocale::isComma())
        QSKIP("no locale with a decimal comma can be had on this machine");

    auto rec = makeRace(1, 1);
    rec->LapData[1][1].set(12.5);
    rec->LapData[1][RaceRecord::FlagCol].set(1.5);
    const QByteArray bytes = writeLapFile(*rec, QString(), std::nullopt, '.');
    QCOMPARE(lineAt(bytes, rowLine(1, 1)), QByteArray(" 12.5 "));
    QCOMPARE(lineAt(bytes, rowLine(1, 5)), QByteArray(" 1.5  ```   1"));
    const LapFileReadResult read = readLapFile(bytes, false);
    QCOMPARE(read.status, LapFileReadResult::Ok);
    QCOMPARE(read.content.rows[1][1].value(), 12.5);
    QCOMPARE(read.content.rows[0][1].value(), 2.5);
}

void TestLapFile::lineCount_data()
{
    QTest::addColumn<QString>("comments");
    QTest::addColumn<bool>("exchange");
    QTest::addColumn<int>("commentLines");

    QTest::newRow("empty") << QString() << false << 1;
    QTest::newRow("empty, exchange") << QString() << true << 1;
    QTest::newRow("one line") << QStringLiteral("fast track") << false << 1;
    QTest::newRow("two lines, exchange") << QStringLiteral("a\r\nb") << true << 2;
    QTest::newRow("empty line inside") << QStringLiteral("a\r\n\r\nb") << false << 3;
    QTest::newRow("trailing line break") << QStringLiteral("a\r\n") << false << 2;
    QTest::newRow("LF breaks") << QStringLiteral("a\nb\nc") << false << 3;
}

void TestLapFile::lineCount()
{
    QFETCH(QString, comments);
    QFETCH(bool, exchange);
    QFETCH(int, commentLines);

    auto rec = makeRace(3, 20);
    const std::optional<QString> path = exchange ? std::optional<QString>(QStringLiteral("C:\\a.txt"))
                                                 : std::nullopt;
    const QByteArray bytes = writeLapFile(*rec, comments, path, '.');
    QCOMPARE(int(bytes.count(CrLf)), (exchange ? 1773 : 1772) + commentLines);
}

void TestLapFile::everyLineEndsInCrLf()
{
    auto rec = makeRace(4, 250);
    const QByteArray bytes = writeLapFile(*rec, QStringLiteral("a\nb\rc\r\nd"), QStringLiteral("p"), '.');
    QVERIFY(bytes.endsWith(" 0 \r\n"));
    QCOMPARE(bytes.count('\n'), bytes.count(CrLf));
    QCOMPARE(bytes.count('\r'), bytes.count(CrLf));
}

void TestLapFile::unencodableCharactersAreWrittenAsQuestionMarks()
{
    auto rec = makeRace(1, 1);
    rec->LapData[1][0].setText(QString::fromUtf8("\u0100"));
    rec->LapData[1][2].setText(QStringLiteral("a\r\nb")); // would shift every later line
    const QByteArray bytes = writeLapFile(*rec, QString::fromUtf8("caf\u00e9 \u20ac \U0001F600"),
                                          QString::fromUtf8("C:\\\u0101.txt"), '.');
    QCOMPARE(lineAt(bytes, rowLine(1, 0)), QByteArray("?"));
    QCOMPARE(lineAt(bytes, rowLine(1, 2)), QByteArray("a  b"));
    QCOMPARE(lineAt(bytes, rowLine(251, 0)), QByteArray("C:\\?.txt"));
    QCOMPARE(lineAt(bytes, rowLine(251, 1)), QByteArray("caf\xe9 \x80 ?"));
}

void TestLapFile::cellLinesAreReadAsText_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");

    QTest::newRow("print form keeps its blanks") << QByteArray(" 83.875 ") << int(Cell::Text)
                                                 << QStringLiteral(" 83.875 ") << 83.875;
    QTest::newRow("decimal comma") << QByteArray(" 12,5 ") << int(Cell::Text) << QStringLiteral(" 12.5 ") << 12.5;
    QTest::newRow("leading comma dropped") << QByteArray(",5") << int(Cell::Text) << QStringLiteral("5") << 5.0;
    QTest::newRow("first comma only") << QByteArray("1,2,3") << int(Cell::Text) << QStringLiteral("1.2,3") << 1.2;
    QTest::newRow("empty line") << QByteArray() << int(Cell::Empty) << QString() << 0.0;
    QTest::newRow("comma alone") << QByteArray(",") << int(Cell::Empty) << QString() << 0.0;
    QTest::newRow("not a number") << QByteArray("abc") << int(Cell::Text) << QStringLiteral("abc") << 0.0;
    QTest::newRow("nan") << QByteArray("nan") << int(Cell::Text) << QStringLiteral("nan") << 0.0;
    QTest::newRow("too large") << QByteArray("1e400") << int(Cell::Text) << QStringLiteral("1e400") << 0.0;
    QTest::newRow("code page byte") << QByteArray("\xe9") << int(Cell::Text) << QString::fromUtf8("\u00e9") << 0.0;
}

void TestLapFile::cellLinesAreReadAsText()
{
    QFETCH(QByteArray, line);
    QFETCH(int, kind);
    QFETCH(QString, text);
    QFETCH(double, value);

    auto rec = makeRace(2, 3);
    QByteArray bytes = writeLapFile(*rec, QString(), std::nullopt, '.');
    for (int k : {0, 1, 2, 3, 4, 6})
        bytes = withLine(bytes, rowLine(2, k), line);

    const LapFileReadResult read = readLapFile(bytes, false);
    QCOMPARE(read.status, LapFileReadResult::Ok);
    for (int col : {0, 1, 2, 3, 4, 6}) {
        const Cell &c = read.content.rows[2][col];
        QCOMPARE(int(c.kind()), kind);
        QCOMPARE(c.text(), text);
        QCOMPARE(c.value(), value);
    }
}

void TestLapFile::conditionLineIsSplit_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("flag");
    QTest::addColumn<QString>("traffic");

    QTest::newRow("as written") << QByteArray(" 1  ```   2") << QStringLiteral("1") << QStringLiteral("2");
    QTest::newRow("negative") << QByteArray("-1  ```  -2") << QStringLiteral("-1") << QStringLiteral("-2");
    QTest::newRow("core only") << QByteArray("1 ``` 2") << QStringLiteral("1") << QString();
    QTest::newRow("core, traffic six on") << QByteArray("1 ``` x2") << QStringLiteral("1") << QStringLiteral("2");
    QTest::newRow("first core counts") << QByteArray(" 1  ```  ``` 2") << QStringLiteral("1")
                                       << QStringLiteral("``` 2");
    QTest::newRow("comma in flag, not traffic") << QByteArray("1,5  ```  2,5") << QStringLiteral("1.5")
                                                << QStringLiteral("2,5");
    QTest::newRow("nothing around the separator") << QByteArray("  ```  ") << QString() << QString();
    // Without the separator the whole line is the flag, untrimmed, and the
    // traffic is empty.
    QTest::newRow("no separator") << QByteArray(" 2") << QStringLiteral(" 2") << QString();
    QTest::newRow("backquotes without blanks") << QByteArray(" 1```2 ") << QStringLiteral(" 1```2 ") << QString();
    QTest::newRow("empty line") << QByteArray() << QString() << QString();
}

void TestLapFile::conditionLineIsSplit()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, flag);
    QFETCH(QString, traffic);

    auto rec = makeRace(2, 3); // lap 2: traffic 2 before the change
    const QByteArray bytes = withLine(writeLapFile(*rec, QString(), std::nullopt, '.'), rowLine(2, 5), line);
    const LapFileReadResult read = readLapFile(bytes, false);
    QCOMPARE(read.status, LapFileReadResult::Ok);
    QCOMPARE(read.content.rows[2][RaceRecord::FlagCol].text(), flag);
    QCOMPARE(read.content.rows[2][RaceRecord::FlagCol].isEmpty(), flag.isEmpty());
    QCOMPARE(read.content.rows[2][RaceRecord::TrafficCol].text(), traffic);
    QCOMPARE(read.content.rows[2][RaceRecord::TrafficCol].isEmpty(), traffic.isEmpty());
    QCOMPARE(read.content.rows[2][RaceRecord::PositionCol].text(), QStringLiteral(" 2 "));
}

void TestLapFile::commentsAreReadUpToTheEndMark_data()
{
    QTest::addColumn<QByteArray>("tail"); // everything after the row blocks
    QTest::addColumn<QString>("comments");

    QTest::newRow("empty comment line") << QByteArray("\r\n-9999\r\n 0 \r\n") << QString();
    QTest::newRow("two lines") << QByteArray("a\r\nb\r\n-9999\r\n 0 \r\n") << QStringLiteral("a\r\nb");
    QTest::newRow("empty line kept") << QByteArray("a\r\n\r\nb\r\n-9999\r\n 0 \r\n")
                                     << QStringLiteral("a\r\n\r\nb");
    QTest::newRow("trailing empty line kept") << QByteArray("a\r\n\r\n-9999\r\n 0 \r\n") << QStringLiteral("a\r\n");
    QTest::newRow("ends after the rows") << QByteArray() << QString();
    QTest::newRow("no end mark") << QByteArray("a\r\n\r\nb\r\n") << QStringLiteral("a\r\n\r\nb");
    QTest::newRow("no end mark, no line end") << QByteArray("a\r\nb") << QStringLiteral("a\r\nb");
    QTest::newRow("end mark at the end") << QByteArray("a\r\n-9999") << QStringLiteral("a");
    QTest::newRow("end mark with blanks is text") << QByteArray("-9999 \r\n-9999\r\n") << QStringLiteral("-9999 ");
    QTest::newRow("after the end mark ignored") << QByteArray("a\r\n-9999\r\nb\r\n-9999\r\n") << QStringLiteral("a");
    QTest::newRow("LF line ends") << QByteArray("a\nb\n-9999\n 0 \n") << QStringLiteral("a\r\nb");
}

void TestLapFile::commentsAreReadUpToTheEndMark()
{
    QFETCH(QByteArray, tail);
    QFETCH(QString, comments);

    auto rec = makeRace(1, 2);
    QByteArray bytes = writeLapFile(*rec, QString(), std::nullopt, '.');
    bytes.truncate(bytes.indexOf("\r\n\r\n-9999\r\n") + 2);
    QCOMPARE(int(bytes.count(CrLf)), LapFileFixedLines);
    const LapFileReadResult read = readLapFile(bytes + tail, false);
    QCOMPARE(read.status, LapFileReadResult::Ok);
    QCOMPARE(read.content.Comments, comments);
}

void TestLapFile::exchangePathLine_data()
{
    QTest::addColumn<QByteArray>("tail");
    QTest::addColumn<bool>("hasPath");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("comments");

    QTest::newRow("path and comments") << QByteArray("C:\\Prog\\LapTimeFiles\\Heat1.txt\r\nwet\r\n-9999\r\n 0 \r\n")
                                       << true << QStringLiteral("C:\\Prog\\LapTimeFiles\\Heat1.txt")
                                       << QStringLiteral("wet");
    QTest::newRow("empty path") << QByteArray("\r\n\r\n-9999\r\n 0 \r\n") << true << QString() << QString();
    QTest::newRow("file ends after the rows") << QByteArray() << false << QString() << QString();
    QTest::newRow("path only") << QByteArray("/races/a.txt") << true << QStringLiteral("/races/a.txt") << QString();
}

void TestLapFile::exchangePathLine()
{
    QFETCH(QByteArray, tail);
    QFETCH(bool, hasPath);
    QFETCH(QString, path);
    QFETCH(QString, comments);

    auto rec = makeRace(1, 2);
    QByteArray bytes = writeLapFile(*rec, QString(), std::nullopt, '.');
    bytes.truncate(bytes.indexOf("\r\n\r\n-9999\r\n") + 2);
    const LapFileReadResult read = readLapFile(bytes + tail, true);
    QCOMPARE(read.status, LapFileReadResult::Ok);
    QCOMPARE(read.content.pathLine.has_value(), hasPath);
    QCOMPARE(read.content.pathLine.value_or(QString()), path);
    QCOMPARE(read.content.Comments, comments);
}

void TestLapFile::codePageCharactersAreRead()
{
    auto rec = makeRace(1, 1);
    const QString comments = QString::fromUtf8("\u00c9tape \u20ac5 \u2013 na\u00efve");
    const QByteArray bytes = writeLapFile(*rec, comments, std::nullopt, '.');
    QVERIFY(bytes.contains("\xc9tape \x80" "5 \x96 na\xefve"));
    QCOMPARE(readLapFile(bytes, false).content.Comments, comments);
}

void TestLapFile::lastLapBelowOneLoadsAsOne()
{
    auto rec = makeRace(2, 5);
    QByteArray bytes = writeLapFile(*rec, QString(), std::nullopt, '.');
    bytes = withLine(bytes, 3, "-1");
    const LapFileReadResult read = readLapFile(bytes, false);
    QCOMPARE(read.status, LapFileReadResult::Ok);
    QCOMPARE(read.content.LastLap, qint16(1));

    RaceRecord target;
    applyToRecord(read.content, target);
    QCOMPARE(target.LastLap, qint16(1));
    QCOMPARE(target.NumSegs, qint16(2));
}

void TestLapFile::roundTripKeepsTheBytes_data()
{
    QTest::addColumn<int>("numSegs");
    QTest::addColumn<int>("lastLap");
    QTest::addColumn<QString>("comments");
    QTest::addColumn<bool>("exchange");

    QTest::newRow("one segment, no comments") << 1 << 1 << QString() << false;
    QTest::newRow("four segments, full race") << 4 << 250 << QStringLiteral("Heat 1") << false;
    QTest::newRow("comments with empty lines") << 2 << 10 << QStringLiteral("a\r\n\r\nb\r\n\r\n\r\nc") << false;
    QTest::newRow("comments ending in a line break") << 3 << 7 << QStringLiteral("dry\r\n") << false;
    QTest::newRow("comments only line breaks") << 3 << 7 << QStringLiteral("\r\n\r\n") << false;
    QTest::newRow("exchange") << 2 << 30 << QStringLiteral("from the log book\r\n") << true;
    QTest::newRow("exchange, no comments") << 1 << 3 << QString() << true;
}

void TestLapFile::roundTripKeepsTheBytes()
{
    QFETCH(int, numSegs);
    QFETCH(int, lastLap);
    QFETCH(QString, comments);
    QFETCH(bool, exchange);

    auto rec = makeRace(numSegs, lastLap);
    rec->LapData[0][0].setText(QStringLiteral("kept"));
    const std::optional<QString> path = exchange ? std::optional<QString>(QStringLiteral("C:\\Prog\\x.txt"))
                                                 : std::nullopt;
    const QByteArray first = writeLapFile(*rec, comments, path, '.');

    // Save, open, save, open, save: the bytes never change.
    QByteArray previous = first;
    for (int round = 0; round < 2; ++round) {
        const LapFileReadResult read = readLapFile(previous, exchange);
        QCOMPARE(read.status, LapFileReadResult::Ok);
        QCOMPARE(read.content.Comments, comments);
        QCOMPARE(read.content.pathLine, path);
        QCOMPARE(read.content.NumSegs, qint16(numSegs));
        QCOMPARE(read.content.LastLap, qint16(lastLap));
        auto loaded = std::make_unique<RaceRecord>();
        applyToRecord(read.content, *loaded);
        for (int lap = 0; lap <= lastLap; ++lap)
            for (int col = 0; col < RaceRecord::Cols; ++col)
                QCOMPARE(loaded->reading(lap, col), rec->reading(lap, col));
        const QByteArray again = writeLapFile(*loaded, read.content.Comments, read.content.pathLine, '.');
        QCOMPARE(again, first);
        previous = again;
    }
}

void TestLapFile::applyLeavesRow251Alone()
{
    auto target = makeRace(3, 4);
    target->LapData[251][2].set(7);
    target->LapData[200][2].set(8);
    target->CurLap = 9;

    auto source = makeRace(1, 2);
    const LapFileReadResult read = readLapFile(writeLapFile(*source, QString(), std::nullopt, '.'), false);
    QCOMPARE(read.status, LapFileReadResult::Ok);
    applyToRecord(read.content, *target);
    QCOMPARE(target->NumSegs, qint16(1));
    QCOMPARE(target->LastLap, qint16(2));
    QCOMPARE(target->LapData[251][2].value(), 7.0);
    QVERIFY(target->LapData[200][2].isEmpty());
    QVERIFY(target->LapData[4][3].isEmpty());
    QCOMPARE(target->CurLap, qint16(9));
}

void TestLapFile::fileTitle_data()
{
    QTest::addColumn<QString>("programFolder");
    QTest::addColumn<QString>("currentFile");
    QTest::addColumn<QString>("title");

    QTest::newRow("below, other case") << "C:\\PROG" << "C:\\Prog\\LapTimeFiles\\Oval\\Heat1.txt"
                                       << "Oval\\Heat1.txt";
    QTest::newRow("elsewhere") << "C:\\PROG" << "D:\\Races\\Heat1.txt" << "Heat1.txt";
    QTest::newRow("native") << "/opt/sw" << "/opt/sw/LapTimeFiles/a/b.txt" << "a/b.txt";
    QTest::newRow("folder with trailing separator") << "/opt/sw/" << "/opt/sw/LapTimeFiles/b.txt" << "b.txt";
    QTest::newRow("mixed separators") << "C:/Prog" << "c:\\prog\\laptimefiles\\Heat2.TXT" << "Heat2.TXT";
    QTest::newRow("folder name only a prefix") << "/opt/sw" << "/opt/sw/LapTimeFilesOld/b.txt" << "b.txt";
    QTest::newRow("not at the start") << "/opt/sw" << "/backup/opt/sw/LapTimeFiles/b.txt" << "b.txt";
    QTest::newRow("no separator") << "/opt/sw" << "Heat1.txt" << "Heat1.txt";
    QTest::newRow("no file") << "/opt/sw" << QString() << QString();
}

void TestLapFile::fileTitle()
{
    QFETCH(QString, programFolder);
    QFETCH(QString, currentFile);
    QFETCH(QString, title);
    QCOMPARE(MakeFileTitle(programFolder, currentFile), title);
}

void TestLapFile::unencodableCharacters_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("found");

    QTest::newRow("plain") << QStringLiteral("Heat 1, dry") << QString();
    QTest::newRow("code page letters") << QString::fromUtf8("\u00e9\u20ac\u0160\u2122") << QString();
    QTest::newRow("each once, in order") << QString::fromUtf8("\u0100a\u0394\u0100") << QString::fromUtf8("\u0100\u0394");
    QTest::newRow("surrogate pair is one character") << QString::fromUtf8("x\U0001F600") << QString::fromUtf8("\U0001F600");
}

void TestLapFile::unencodableCharacters()
{
    QFETCH(QString, text);
    QFETCH(QString, found);
    QCOMPARE(sw::unencodableCharacters(text), found);
}

void TestLapFile::saveAndLoadFiles()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("Heat1.txt"));
    QString error;
    QVERIFY(saveFileAtomically(path, "old", &error));
    QVERIFY(saveFileAtomically(path, "new bytes", &error));
    QCOMPARE(error, QString());
    const std::optional<QByteArray> loaded = loadFile(path, &error);
    QVERIFY(loaded.has_value());
    QCOMPARE(*loaded, QByteArray("new bytes"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("Heat1.txt")});
}

void TestLapFile::failedSaveNamesTheFileAndKeepsTheOldOne()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    // A folder where the file should be: the write cannot replace it.
    const QString path = dir.filePath(QStringLiteral("Heat1.txt"));
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("Heat1.txt")));
    QString error;
    QVERIFY(!saveFileAtomically(path, "bytes", &error));
    QVERIFY2(error.contains(QDir::toNativeSeparators(path)), qPrintable(error));
    QVERIFY(QFileInfo(path).isDir());

    const QString missing = dir.filePath(QStringLiteral("no/such/folder/a.txt"));
    QVERIFY(!saveFileAtomically(missing, "bytes", &error));
    QVERIFY2(error.contains(QDir::toNativeSeparators(missing)), qPrintable(error));
}

void TestLapFile::loadOfMissingFileNamesTheFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("gone.txt"));
    QString error;
    QVERIFY(!loadFile(path, &error).has_value());
    QVERIFY2(error.contains(QDir::toNativeSeparators(path)), qPrintable(error));
    QVERIFY2(error.contains(QStringLiteral("No such file")), qPrintable(error));
}

QTEST_GUILESS_MAIN(TestLapFile)
#include "tst_lapfile.moc"
