// Malformed and odd lap-time files: each one either loads what the layout
// means or is refused with a reason; none crashes, and a file that loads
// writes back to a file that loads the same.

#include "files/LapFile.h"

#include <QDir>
#include <QtTest>

#include <cmath>

using namespace sw;
using namespace Qt::StringLiterals;

static QByteArray corpusBytes(const QString &name)
{
    QFile f(QStringLiteral(SW_LAPFILE_CORPUS "/") + name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<cannot open corpus file>");
}

static void checkFinite(const LapFileContent &content)
{
    for (const auto &row : content.rows)
        for (const Cell &c : row)
            QVERIFY(std::isfinite(c.value()));
}

// Same values; whole: same cells, kind and text too.
static void compareRows(const LapFileContent &a, const LapFileContent &b, bool whole)
{
    for (int r = 0; r < LapFileRows; ++r)
        for (int col = 0; col < RaceRecord::Cols; ++col) {
            QCOMPARE(a.rows[r][col].value(), b.rows[r][col].value());
            QVERIFY(!whole || a.rows[r][col] == b.rows[r][col]);
        }
}

class TestLapFileCorpus : public QObject
{
    Q_OBJECT
    QStringList m_tabled;

private slots:
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
        row("good-race.txt", ok, "2/3");
        row("good-exchange.txt", ok, "2/3", true);
        row("empty.txt", bad);
        row("wrong-mark.txt", bad);
        row("mark-trailing-text.txt", bad);
        row("mark-then-comma-field.txt", ok, "same");
        row("mark-leading-blanks.txt", ok, "same");
        row("mark-only.txt", damaged, "ends after line 1");
        row("truncated-in-header.txt", damaged, "ends after line 7");
        row("truncated-in-first-row.txt", damaged, "ends after line 16");
        row("truncated-mid-rows.txt", damaged, "ends after line 900");
        row("truncated-in-last-row.txt", damaged, "ends after line 1769");
        row("ends-after-rows.txt", ok, "2/3");
        row("ends-after-rows.txt", ok, "2/3", true);
        row("closing-line-without-line-end.txt", ok, "same");
        row("header-abc.txt", damaged, "Line 2 should hold the number of segments");
        row("header-copy-not-a-number.txt", damaged, "Line 11 should hold the number of laps");
        row("numsegs-0.txt", damaged, "0 segments");
        row("numsegs-9.txt", damaged, "9 segments");
        row("numsegs-fraction.txt", ok, "same"); // 2.5 rounds half to even
        row("lastlap-minus-1.txt", ok, "2/1");
        row("lastlap-251.txt", damaged, "251 laps");
        row("lastlap-99999.txt", damaged, "out of range");
        row("lastlap-1e400.txt", damaged, "out of range");
        row("binary.txt", bad);
        row("binary-after-mark.txt", damaged, "Line 2");
        row("cr-only-line-ends.txt", ok, "same");
        row("lf-only-line-ends.txt", ok, "same");
        row("condition-without-separator.txt", ok, "2/3");
        row("odd-cells.txt", ok, "2/3");
        row("no-end-mark.txt", ok, "2/3");
        row("comments-with-empty-lines.txt", ok, "2/3");
        row("nul-bytes-in-cells.txt", ok, "2/3");
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
        QTest::newRow("condition line") << 14 + 7 + 5 << int(LapFileReadResult::Ok);
        QTest::newRow("comment") << 1771 << int(LapFileReadResult::Ok);
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

QTEST_GUILESS_MAIN(TestLapFileCorpus)
#include "tst_lapfilecorpus.moc"
