// The about window and the program picture.

#include "help/ProgramPicture.h"
#include "help/frmAbout.h"
#include "printing/PdfPrinterSource.h"
#include "printing/PdfWords.h"
#include "ui/Prompts.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace sw;

class TestAboutForm : public QObject
{
    Q_OBJECT
private slots:
    void showsNameAndVersion();
    void closes_data();
    void closes();
    void printButtonPrintsThePicture();
    void programPictureIsDrawn_data();
    void programPictureIsDrawn();
};

namespace {

struct Bench
{
    QTemporaryDir dir;
    QString pdf = dir.filePath(QStringLiteral("about.pdf"));
    ScriptedPrompts prompts;
    PdfPrinterSource printers{pdf};
};

void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

void TestAboutForm::showsNameAndVersion()
{
    Bench b;
    frmAbout form(b.printers, b.prompts);
    QCOMPARE(form.Label2->text(), QStringLiteral("Splitwatch v1.1   A.004"));
    QCOMPARE(form.cmdOK->text(), QStringLiteral("OK"));
    QCOMPARE(form.SSCommand1->text(), QStringLiteral("Print"));
    QVERIFY(!form.Image1->pixmap().isNull());
    QVERIFY(!form.isModal());
}

void TestAboutForm::closes_data()
{
    QTest::addColumn<QString>("clickOn");
    QTest::newRow("ok button") << QStringLiteral("cmdOK");
    QTest::newRow("background") << QStringLiteral("background");
    QTest::newRow("version text") << QStringLiteral("Label2");
}

void TestAboutForm::closes()
{
    QFETCH(QString, clickOn);
    Bench b;
    QPointer<frmAbout> form = new frmAbout(b.printers, b.prompts);
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form));
    if (clickOn == QLatin1String("background"))
        QTest::mouseClick(form, Qt::LeftButton, {}, QPoint(3, 3));
    else
        QTest::mouseClick(form->findChild<QWidget *>(clickOn), Qt::LeftButton);
    flushDeletes();
    QVERIFY(form.isNull());
    QCOMPARE(b.prompts.asked.size(), size_t(0));
}

void TestAboutForm::printButtonPrintsThePicture()
{
    if (!havePdfToText())
        QSKIP("pdftotext is not installed");
    Bench b;
    QPointer<frmAbout> form = new frmAbout(b.printers, b.prompts);
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form));
    QTest::mouseClick(form->SSCommand1, Qt::LeftButton);
    QVERIFY(!form.isNull()); // printing leaves the window open
    QCOMPARE(b.prompts.asked.size(), size_t(0)); // no dialog
    const std::vector<PdfPage> pages = readPdfWords(b.pdf);
    QCOMPARE(pages.size(), size_t(1));
    // Portrait for a window taller than wide, landscape otherwise.
    QCOMPARE(pages[0].width > pages[0].height, form->height() < form->width());
    delete form;
}

void TestAboutForm::programPictureIsDrawn_data()
{
    QTest::addColumn<QSize>("size");
    QTest::newRow("about") << QSize(96, 96);
    QTest::newRow("splash, wide") << QSize(240, 160);
    QTest::newRow("small") << QSize(48, 48);
}

void TestAboutForm::programPictureIsDrawn()
{
    QFETCH(QSize, size);
    const QPixmap pm = programPicture(size);
    QCOMPARE(pm.size(), size);
    const QImage img = pm.toImage();
    // Something is drawn, the corners stay transparent, and the flag's black
    // and white squares are both there.
    int opaque = 0, dark = 0, light = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QColor c = img.pixelColor(x, y);
            if (c.alpha() < 250)
                continue;
            ++opaque;
            dark += c.lightness() < 40 ? 1 : 0;
            light += c.lightness() > 215 ? 1 : 0;
        }
    QVERIFY(opaque > img.width() * img.height() / 5);
    QVERIFY(dark > 0 && light > 0);
    QCOMPARE(img.pixelColor(0, 0).alpha(), 0);
    QVERIFY(programPicture(QSize(0, 10)).isNull());
}

QTEST_MAIN(TestAboutForm)
#include "tst_frmabout.moc"
