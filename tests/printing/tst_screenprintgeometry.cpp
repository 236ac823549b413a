// Arithmetic of the screen print: capture size, orientation, fitted size.

#include "printing/ScreenPrintGeometry.h"

#include <QtTest>

using namespace sw;

Q_DECLARE_METATYPE(sw::PrintOrientation)

class TestScreenPrintGeometry : public QObject
{
    Q_OBJECT
private slots:
    void captureSize_data();
    void captureSize();
    void orientation_data();
    void orientation();
    void fitted_data();
    void fitted();
};

void TestScreenPrintGeometry::captureSize_data()
{
    QTest::addColumn<QSize>("twips");
    QTest::addColumn<QSize>("pixels");
    QTest::newRow("main window") << QSize(9000, 6000) << QSize(600, 400);
    QTest::newRow("rounds to nearest") << QSize(7688, 7) << QSize(513, 0);
    QTest::newRow("half rounds up") << QSize(7, 22) << QSize(0, 1);
    QTest::newRow("zero") << QSize(0, 0) << QSize(0, 0);
}

void TestScreenPrintGeometry::captureSize()
{
    QFETCH(QSize, twips);
    QFETCH(QSize, pixels);
    QCOMPARE(captureSizePixels(twips), pixels);
}

void TestScreenPrintGeometry::orientation_data()
{
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<PrintOrientation>("expected");
    QTest::newRow("wider") << QSize(600, 400) << PrintOrientation::Landscape;
    QTest::newRow("taller") << QSize(400, 600) << PrintOrientation::Portrait;
    QTest::newRow("square") << QSize(500, 500) << PrintOrientation::Portrait;
    QTest::newRow("one pixel wider") << QSize(501, 500) << PrintOrientation::Landscape;
}

void TestScreenPrintGeometry::orientation()
{
    QFETCH(QSize, picture);
    QFETCH(PrintOrientation, expected);
    QCOMPARE(orientationFor(picture), expected);
}

void TestScreenPrintGeometry::fitted_data()
{
    QTest::addColumn<QSizeF>("picture");
    QTest::addColumn<QSizeF>("page");
    QTest::addColumn<QSizeF>("expected");
    // Landscape page 10000 x 7500 (ratio 4:3).
    QTest::newRow("wider fills the width") << QSizeF(600, 400) << QSizeF(10000, 7500) << QSizeF(10000, 10000.0 * 400 / 600);
    QTest::newRow("taller fills the height") << QSizeF(400, 400) << QSizeF(10000, 7500) << QSizeF(7500, 7500);
    QTest::newRow("same ratio fills both") << QSizeF(800, 600) << QSizeF(10000, 7500) << QSizeF(10000, 7500);
    QTest::newRow("small picture grows") << QSizeF(30, 60) << QSizeF(6000, 9000) << QSizeF(4500, 9000);
    QTest::newRow("empty picture") << QSizeF(0, 400) << QSizeF(10000, 7500) << QSizeF();
    QTest::newRow("empty page") << QSizeF(600, 400) << QSizeF(10000, 0) << QSizeF();
}

void TestScreenPrintGeometry::fitted()
{
    QFETCH(QSizeF, picture);
    QFETCH(QSizeF, page);
    QFETCH(QSizeF, expected);
    const QSizeF got = fittedSize(picture, page);
    QCOMPARE(got, expected);
    if (!got.isEmpty()) {
        QVERIFY(got.width() <= page.width() && got.height() <= page.height());
        QCOMPARE(got.width() / got.height(), picture.width() / picture.height());
    }
}

QTEST_GUILESS_MAIN(TestScreenPrintGeometry)
#include "tst_screenprintgeometry.moc"
