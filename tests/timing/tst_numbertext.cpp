// Text forms of numbers: clock and grid times, number-to-text, the lap-file
// print form, and reading a leading number from typed or stored text.

#include "timing/NumberText.h"

#include <QtTest>

#include <limits>

using namespace sw;

class TestNumberText : public QObject
{
    Q_OBJECT
private slots:
    void formatTime_data()
    {
        QTest::addColumn<double>("v");
        QTest::addColumn<QString>("text");
        QTest::newRow("rounded down") << 83.1234 << "83.123";
        QTest::newRow("rounded up") << 83.2496 << "83.250";
        QTest::newRow("negative below one") << -0.25 << "-.250";
        QTest::newRow("tiny negative is zero") << -0.0001 << ".000";
        QTest::newRow("binary fraction of a difference") << (30.2 - 10.0) << "20.200";
        QTest::newRow("not finite") << std::numeric_limits<double>::infinity() << ".000";
    }

    void formatTime()
    {
        QFETCH(double, v);
        QTEST(sw::formatTime(v), "text");
    }

    void numberText_data()
    {
        QTest::addColumn<double>("v");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("plain");
        QTest::addColumn<QString>("printComma"); // lap-file print form with ',' as separator
        QTest::newRow("0") << 0.0 << " 0" << "0" << " 0 ";
        QTest::newRow("-3") << -3.0 << "-3" << "-3" << "-3 ";
        QTest::newRow(".5") << 0.5 << " .5" << ".5" << " ,5 ";
        QTest::newRow("-.25") << -0.25 << "-.25" << "-.25" << "-,25 ";
        QTest::newRow("12.5") << 12.5 << " 12.5" << "12.5" << " 12,5 ";
        QTest::newRow("15 significant digits") << (0.1 + 0.2) << " .3" << ".3" << " ,3 ";
        QTest::newRow("below 0.0001 in plain decimals") << -1.234e-5 << "-.00001234" << "-.00001234" << "-,00001234 ";
    }

    void numberText()
    {
        QFETCH(double, v);
        QFETCH(QString, text);
        QCOMPARE(sw::numberText(v), text);
        QTEST(sw::plainNumber(v), "plain");
        QTEST(sw::printForm(v, QLatin1Char(',')), "printComma");
        QCOMPARE(sw::printForm(v, QLatin1Char('.')), text + QLatin1Char(' '));
    }

    void val_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("v");
        QTest::addColumn<bool>("isNumber");
        QTest::newRow("blanks around") << " 12.50 " << 12.5 << true;
        QTest::newRow("trailing text") << "7x" << 7.0 << true;
        QTest::newRow("no leading zero, sign") << "-.5" << -0.5 << true;
        QTest::newRow("comma stops") << "12,5" << 12.0 << true;
        QTest::newRow("exponent") << "1e3" << 1000.0 << true;
        QTest::newRow("overflow reads 0") << "1e309" << 0.0 << false;
        QTest::newRow("a thousand digits") << QString(1000, QLatin1Char('9')) << 0.0 << false;
        QTest::newRow("arabic digits are no digits") << QString::fromUtf8("\xd9\xa3") << 0.0 << false;
    }

    void val()
    {
        QFETCH(QString, text);
        QTEST(sw::val(text), "v");
        QTEST(sw::startsWithNumber(text), "isNumber");
    }
};

QTEST_GUILESS_MAIN(TestNumberText)
#include "tst_numbertext.moc"
