// The report's small texts: print time and date, the printed comment lines,
// the choice of the printer font.

#include "printing/ReportTexts.h"

#include <QtTest>

using namespace sw;

class TestReportTexts : public QObject
{
    Q_OBJECT
private slots:
    void timeText_data();
    void timeText();
    void dateText_data();
    void dateText();
    void commentLines_data();
    void commentLines();
    void longCommentIsCutAfterTwentyLines();
    void printerFont_data();
    void printerFont();
};

void TestReportTexts::timeText_data()
{
    QTest::addColumn<QTime>("time");
    QTest::addColumn<QString>("text");
    QTest::newRow("afternoon") << QTime(14, 35, 7) << "02:35:07:pm";
    QTest::newRow("morning") << QTime(9, 5, 0) << "09:05:00:am";
    QTest::newRow("midnight") << QTime(0, 0, 59) << "12:00:59:am";
    QTest::newRow("noon") << QTime(12, 30, 0) << "12:30:00:pm";
    QTest::newRow("last second") << QTime(23, 59, 59) << "11:59:59:pm";
    QTest::newRow("invalid") << QTime() << "";
}

void TestReportTexts::timeText()
{
    QFETCH(QTime, time);
    QFETCH(QString, text);
    QCOMPARE(reportTimeText(time), text);
}

void TestReportTexts::dateText_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("text");
    QTest::newRow("december") << QDate(2026, 12, 4) << "04:12:2026";
    QTest::newRow("new year") << QDate(2027, 1, 1) << "01:01:2027";
    QTest::newRow("invalid") << QDate() << "";
}

void TestReportTexts::dateText()
{
    QFETCH(QDate, date);
    QFETCH(QString, text);
    QCOMPARE(reportDateText(date), text);
}

void TestReportTexts::commentLines_data()
{
    QTest::addColumn<QString>("comments");
    QTest::addColumn<QStringList>("lines");
    const QString a74 = QString(74, QLatin1Char('a'));
    const QString b30 = QString(30, QLatin1Char('b'));

    QTest::newRow("empty") << QString() << QStringList();
    QTest::newRow("only line breaks") << QStringLiteral("\r\n\r\n") << QStringList();
    QTest::newRow("two short lines") << QStringLiteral("Dry track\r\nNew tyres")
                                     << QStringList{"Dry track", "New tyres"};
    QTest::newRow("trailing line break") << QStringLiteral("Dry track\r\n")
                                         << QStringList{"Dry track"};
    QTest::newRow("blank last piece") << QStringLiteral("Dry\r\n   ") << QStringList{"Dry"};
    QTest::newRow("leading control characters") << QStringLiteral("\t\x01" "Dry")
                                                << QStringList{"Dry"};
    QTest::newRow("exactly 75") << QString(75, QLatin1Char('x')) << QStringList{QString(75, QLatin1Char('x'))};
    QTest::newRow("wrapped at the last blank")
        << a74 + QStringLiteral(" ") + b30 << QStringList{a74, b30};
    QTest::newRow("line break inside the first 75")
        << QStringLiteral("Short\r\n   ") + QString(80, QLatin1Char('c'))
        << QStringList{"Short", QString(74, QLatin1Char('c')), QString(6, QLatin1Char('c'))};
    QTest::newRow("long word keeps every character")
        << QString(100, QLatin1Char('w'))
        << QStringList{QString(74, QLatin1Char('w')), QString(26, QLatin1Char('w'))};
    QTest::newRow("wrapped then a short second line")
        << QStringLiteral("one two three four five six seven eight nine ten eleven twelve thirteen "
                          "fourteen\r\nEnd")
        << QStringList{"one two three four five six seven eight nine ten eleven twelve thirteen",
                       "fourteen", "End"};
}

void TestReportTexts::commentLines()
{
    QFETCH(QString, comments);
    QFETCH(QStringList, lines);
    QCOMPARE(reportCommentLines(comments), lines);
}

void TestReportTexts::longCommentIsCutAfterTwentyLines()
{
    // 2000 characters of words without line breaks.
    QString text;
    for (int i = 0; text.size() < 2000; ++i)
        text += QStringLiteral("word%1 ").arg(i % 100, 2, 10, QLatin1Char('0'));
    text.truncate(2000);
    const QStringList lines = reportCommentLines(text);
    QCOMPARE(lines.size(), 20);
    for (const QString &l : lines) {
        QVERIFY2(l.size() <= 74, qPrintable(l));
        QVERIFY(!l.endsWith(QLatin1Char(' ')));
        QVERIFY(l.startsWith(QLatin1String("word"))); // broken at blanks, never inside a word
    }
    // The lines are the text's beginning, in order.
    QVERIFY(text.startsWith(lines.join(QLatin1Char(' '))));
}

void TestReportTexts::printerFont_data()
{
    QTest::addColumn<QStringList>("families");
    QTest::addColumn<QString>("chosen"); // empty: keep the current font
    QTest::newRow("ms sans first") << QStringList{"Arial", "MSSansSerif", "Roman"} << "MSSansSerif";
    QTest::newRow("prefix compared upper-cased") << QStringList{"Times", "arial black", "Arial"} << "arial black";
    QTest::newRow("univers before roman") << QStringList{"Roman", "Univers Condensed"} << "Univers Condensed";
    QTest::newRow("roman last") << QStringList{"DejaVu Sans", "Romantic"} << "Romantic";
    QTest::newRow("blank inside the prefix does not match") << QStringList{"MS Sans Serif"} << "";
    QTest::newRow("none") << QStringList{"DejaVu Sans", "Liberation Serif"} << "";
    QTest::newRow("empty list") << QStringList() << "";
}

void TestReportTexts::printerFont()
{
    QFETCH(QStringList, families);
    QFETCH(QString, chosen);
    const std::optional<QString> f = SelectPrinterFont(families);
    QCOMPARE(f.value_or(QString()), chosen);
    QCOMPARE(f.has_value(), !chosen.isEmpty());
}

QTEST_GUILESS_MAIN(TestReportTexts)
#include "tst_reporttexts.moc"
