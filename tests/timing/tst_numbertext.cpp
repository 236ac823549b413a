// Text forms of numbers: clock and grid times, number-to-text, the lap-file
// print form, and reading a leading number from typed or stored text.

#include "race/NumberText.h"

#include <QtTest>

#include <cmath>
#include <limits>
#include <random>

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

    // The value a time text shows, computed without the text: the same as
    // reading the text back, ties to half a thousandth and differences of
    // readings included.
    void shownSecondsIsTheTextsValue()
    {
        std::mt19937_64 rng(7);
        std::uniform_real_distribution<double> reading(0, 90000);
        int checked = 0;
        for (int i = 0; i < 20000; ++i) {
            const double a = reading(rng), b = reading(rng);
            const double k = std::floor(a * 1000) / 1000;
            for (double v : {a - b, a, k + 0.0005, k - 0.0005, -(k + 0.0005), std::nextafter(k + 0.0005, 0.0),
                             std::nextafter(k + 0.0005, 1e9)}) {
                if (shownSeconds(v) != sw::val(sw::formatTime(v)))
                    QFAIL(qPrintable(QStringLiteral("%1: %2 against %3")
                                         .arg(v, 0, 'g', 17)
                                         .arg(shownSeconds(v), 0, 'g', 17)
                                         .arg(sw::val(sw::formatTime(v)), 0, 'g', 17)));
                ++checked;
            }
        }
        QCOMPARE(checked, 140000);
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
