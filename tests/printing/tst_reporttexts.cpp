// The report's print time and date, printed file comment lines, printer font.

#include "printing/ReportTexts.h"

#include <QtTest>

using namespace sw;

class TestReportTexts : public QObject
{
    Q_OBJECT
private slots:
    void timeAndDate_data()
    {
        QTest::addColumn<QDateTime>("at");
        QTest::addColumn<QString>("time");
        QTest::addColumn<QString>("date");
        QTest::newRow("midnight, new year") << QDateTime(QDate(2027, 1, 1), QTime(0, 0, 59)) << "12:00:59:am" << "01:01:2027";
        QTest::newRow("noon") << QDateTime(QDate(2026, 12, 4), QTime(12, 30, 0)) << "12:30:00:pm" << "04:12:2026";
        QTest::newRow("invalid") << QDateTime() << "" << "";
    }

    void timeAndDate()
    {
        QFETCH(QDateTime, at);
        QTEST(reportTimeText(at.time()), "time");
        QTEST(reportDateText(at.date()), "date");
    }

    void commentLines_data()
    {
        QTest::addColumn<QString>("comments");
        QTest::addColumn<QStringList>("lines");
        const QString a74(74, 'a'), c80(80, 'c');
        QTest::newRow("only line breaks") << "\r\n\r\n" << QStringList();
        QTest::newRow("blank last piece") << "Dry\r\n   " << QStringList{"Dry"};
        QTest::newRow("leading control characters") << "\t\x01" "Dry" << QStringList{"Dry"};
        QTest::newRow("exactly 75") << QString(75, 'x') << QStringList{QString(75, 'x')};
        QTest::newRow("wrapped at the last blank") << a74 + " bbb" << QStringList{a74, "bbb"};
        QTest::newRow("line break inside the first 75") << "Short\r\n   " + c80 << QStringList{"Short", c80.left(74), c80.left(6)};
        QTest::newRow("long word keeps every character") << QString(100, 'w') << QStringList{QString(74, 'w'), QString(26, 'w')};
        QTest::newRow("wrapped then a short second line")
            << "one two three four five six seven eight nine ten eleven twelve thirteen fourteen\r\nEnd"
            << QStringList{"one two three four five six seven eight nine ten eleven twelve thirteen", "fourteen", "End"};
    }

    void commentLines()
    {
        QFETCH(QString, comments);
        QTEST(reportCommentLines(comments), "lines");
    }

    void printerFont_data()
    {
        QTest::addColumn<QStringList>("families");
        QTest::addColumn<QString>("chosen");
        QTest::newRow("ms sans first") << QStringList{"Arial", "MSSansSerif", "Roman"} << "MSSansSerif";
        QTest::newRow("prefix compared upper-cased") << QStringList{"Times", "arial black", "Arial"} << "arial black";
        QTest::newRow("univers before roman") << QStringList{"Roman", "Univers Condensed"} << "Univers Condensed";
        QTest::newRow("roman last") << QStringList{"DejaVu Sans", "Romantic"} << "Romantic";
        QTest::newRow("blank inside the prefix does not match") << QStringList{"MS Sans Serif"} << "(keep the current font)";
    }

    void printerFont()
    {
        QFETCH(QStringList, families);
        QTEST(SelectPrinterFont(families).value_or("(keep the current font)"), "chosen");
    }
};

QTEST_GUILESS_MAIN(TestReportTexts)
#include "tst_reporttexts.moc"
