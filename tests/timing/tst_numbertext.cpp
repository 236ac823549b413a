// Text forms of numbers: clock and grid times, number-to-text, the lap-file
// print form, and reading a leading number from typed or stored text.

#include "timing/NumberText.h"

#include <QtTest>

#include <cmath>
#include <limits>

using namespace sw;

class TestNumberText : public QObject
{
    Q_OBJECT
private slots:
    void formatTime_data();
    void formatTime();
    void numberText_data();
    void numberText();
    void printFormSeparator();
    void val_data();
    void val();
    void roundHalfEven_data();
    void roundHalfEven();
};

void TestNumberText::formatTime_data()
{
    QTest::addColumn<double>("v");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero") << 0.0 << ".000";
    QTest::newRow("half") << 0.5 << ".500";
    QTest::newRow("rounded down") << 83.1234 << "83.123";
    QTest::newRow("rounded up") << 83.2496 << "83.250";
    QTest::newRow("negative below one") << -0.25 << "-.250";
    QTest::newRow("negative") << -3.5 << "-3.500";
    QTest::newRow("tiny negative is zero") << -0.0001 << ".000";
    QTest::newRow("five digits") << 99999.9994 << "99999.999";
    QTest::newRow("binary fraction of a difference") << (30.2 - 10.0) << "20.200";
    QTest::newRow("not finite") << std::numeric_limits<double>::infinity() << ".000";
}

void TestNumberText::formatTime()
{
    QFETCH(double, v);
    QFETCH(QString, text);
    QCOMPARE(sw::formatTime(v), text);
}

void TestNumberText::numberText_data()
{
    QTest::addColumn<double>("v");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("plain");
    QTest::newRow("4") << 4.0 << " 4" << "4";
    QTest::newRow("0") << 0.0 << " 0" << "0";
    QTest::newRow("-3") << -3.0 << "-3" << "-3";
    QTest::newRow(".5") << 0.5 << " .5" << ".5";
    QTest::newRow("-.25") << -0.25 << "-.25" << "-.25";
    QTest::newRow("12.5") << 12.5 << " 12.5" << "12.5";
    QTest::newRow("1000") << 1000.0 << " 1000" << "1000";
    QTest::newRow("15 significant digits") << (0.1 + 0.2) << " .3" << ".3";
    QTest::newRow("reading") << 1234.567 << " 1234.567" << "1234.567";
}

void TestNumberText::numberText()
{
    QFETCH(double, v);
    QFETCH(QString, text);
    QFETCH(QString, plain);
    QCOMPARE(sw::numberText(v), text);
    QCOMPARE(sw::plainNumber(v), plain);
}

void TestNumberText::printFormSeparator()
{
    QCOMPARE(sw::printForm(12.5, QLatin1Char('.')), QStringLiteral(" 12.5 "));
    QCOMPARE(sw::printForm(12.5, QLatin1Char(',')), QStringLiteral(" 12,5 "));
    QCOMPARE(sw::printForm(-3, QLatin1Char(',')), QStringLiteral("-3 "));
}

void TestNumberText::val_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("v");
    QTest::addColumn<bool>("isNumber");
    QTest::newRow("plain") << "12.50" << 12.5 << true;
    QTest::newRow("leading blanks") << "   7" << 7.0 << true;
    QTest::newRow("trailing text") << "7x" << 7.0 << true;
    QTest::newRow("letters") << "abc" << 0.0 << false;
    QTest::newRow("empty") << "" << 0.0 << false;
    QTest::newRow("no leading zero") << ".5" << 0.5 << true;
    QTest::newRow("sign") << "-2.5" << -2.5 << true;
    QTest::newRow("comma stops") << "12,5" << 12.0 << true;
    QTest::newRow("exponent") << "1e3" << 1000.0 << true;
    QTest::newRow("overflow reads 0") << "1e309" << 0.0 << false;
    QTest::newRow("1e400") << "1e400" << 0.0 << false;
    QTest::newRow("nan is text") << "nan" << 0.0 << false;
    QTest::newRow("inf is text") << "inf" << 0.0 << false;
    QTest::newRow("minus zero") << "-0" << 0.0 << true;
    QTest::newRow("a thousand digits") << QString(1000, QLatin1Char('9')) << 0.0 << false;
    QTest::newRow("blank around") << " 12.5 " << 12.5 << true;
    QTest::newRow("lone point") << "." << 0.0 << false;
    QTest::newRow("arabic digits are no digits") << QString::fromUtf8("\xd9\xa3") << 0.0 << false;
}

void TestNumberText::val()
{
    QFETCH(QString, text);
    QFETCH(double, v);
    QFETCH(bool, isNumber);
    QCOMPARE(sw::val(text), v);
    QCOMPARE(sw::startsWithNumber(text), isNumber);
}

void TestNumberText::roundHalfEven_data()
{
    QTest::addColumn<double>("v");
    QTest::addColumn<double>("r");
    QTest::newRow("2.5") << 2.5 << 2.0;
    QTest::newRow("3.5") << 3.5 << 4.0;
    QTest::newRow("1.5") << 1.5 << 2.0;
    QTest::newRow("3.4") << 3.4 << 3.0;
    QTest::newRow("1") << 1.0 << 1.0;
}

void TestNumberText::roundHalfEven()
{
    QFETCH(double, v);
    QFETCH(double, r);
    QCOMPARE(sw::roundHalfEven(v), r);
}

QTEST_GUILESS_MAIN(TestNumberText)
#include "tst_numbertext.moc"
