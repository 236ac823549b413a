// The print commands end to end: the report and the screen print go into PDF
// files, which are read back with pdftotext and pdftoppm.

#include "FakeTextMetrics.h"
#include "PdfPrinterSource.h"
#include "PdfWords.h"
#include "app/AppState.h"
#include "printing/PrintCommands.h"
#include "printing/PrinterTextMetrics.h"
#include "printing/ReportLayout.h"
#include "printing/ReportPainter.h"
#include "printing/WindowPrinter.h"
#include "ui/Prompts.h"

#include <QApplication>
#include <QImage>
#include <QTemporaryDir>
#include <QWidget>
#include <QtTest>

#include <algorithm>

#include <memory>

using namespace sw;

namespace {

const QString kCaption = QStringLiteral("Splitwatch   [ heat2.txt ]");
const QString kPromptText =
    QStringLiteral("Enter any text you wish to appear at the bottom of the printed report.");
const QString kNoPrinterText = QStringLiteral(
    "No printer is set up on this system.  Do you want to save the printout as a PDF file "
    "instead?");

struct Bench
{
    QTemporaryDir dir;
    QString pdf = dir.filePath(QStringLiteral("out.pdf"));
    std::unique_ptr<AppState> state = std::make_unique<AppState>();
    ScriptedPrompts prompts;
    PdfPrinterSource printers{pdf};
    QWidget window;
    PrintCommands commands{&window, *state, prompts, printers};

    explicit Bench(int laps)
    {
        window.setWindowTitle(kCaption);
        fillRaceGrid(state->grid, laps);
        state->rec.LastLap = laps;
        commands.now = [] { return QDateTime(QDate(2026, 12, 4), QTime(14, 35, 7)); };
    }
    ~Bench()
    {
        // For looking at the pages by eye: SW_KEEP_PDF_DIR=/some/folder.
        const QString keep = qEnvironmentVariable("SW_KEEP_PDF_DIR");
        if (!keep.isEmpty() && QFile::exists(pdf)) {
            QString name = QString::fromLatin1(QTest::currentTestFunction());
            if (const char *tag = QTest::currentDataTag())
                name += QLatin1Char('-') + QString::fromLatin1(tag).replace(QLatin1Char(' '), QLatin1Char('_'));
            QFile::remove(QDir(keep).filePath(name + QStringLiteral(".pdf")));
            QFile::copy(pdf, QDir(keep).filePath(name + QStringLiteral(".pdf")));
        }
    }

    // The printable area in points, from the paper's top-left corner.
    QRectF paintRectPoints() const
    {
        return const_cast<PdfPrinterSource &>(printers).printer().pageLayout().paintRectPoints();
    }
};

// Bounding box of the reddish pixels of a page rendered at the given dpi.
QRect redBox(const QString &pdf, int dpi, const QString &dirPath)
{
    const QString base = QDir(dirPath).filePath(QStringLiteral("page"));
    QProcess p;
    p.start(QStringLiteral("pdftoppm"), {QStringLiteral("-png"), QStringLiteral("-r"),
                                         QString::number(dpi), QStringLiteral("-singlefile"), pdf, base});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return QRect();
    const QImage img(base + QStringLiteral(".png"));
    QRect box;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QColor c = img.pixelColor(x, y);
            if (c.red() > 200 && c.green() < 60 && c.blue() < 60)
                box |= QRect(x, y, 1, 1);
        }
    return box;
}

} // namespace

class TestPrintCommands : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void reportReadsBack_data();
    void reportReadsBack();
    void longRaceBreaksIntoPages();
    void longCommentsAreWrappedAndCut();
    void withoutPrinterOfferPdf_data();
    void withoutPrinterOfferPdf();
    void screenPrintTurnsAndFits_data();
    void screenPrintTurnsAndFits();
    void screenPrintOrientationStaysForTheReport();
    void zeroSizeWindowIsRefused();
};

void TestPrintCommands::initTestCase()
{
    if (!havePdfToText())
        QSKIP("pdftotext is not installed");
}

void TestPrintCommands::reportReadsBack_data()
{
    QTest::addColumn<bool>("worksheet");
    QTest::addColumn<std::optional<QString>>("typed");
    QTest::addColumn<bool>("commentLine");
    QTest::newRow("typed") << false << std::optional<QString>(QStringLiteral("Dry track")) << true;
    QTest::newRow("cancelled") << false << std::optional<QString>() << false;
    QTest::newRow("empty") << false << std::optional<QString>(QString()) << false;
    QTest::newRow("worksheet") << true << std::optional<QString>(QStringLiteral("Dry track")) << true;
}

void TestPrintCommands::reportReadsBack()
{
    QFETCH(bool, worksheet);
    QFETCH(std::optional<QString>, typed);
    QFETCH(bool, commentLine);
    Bench b(7);
    b.prompts.type(typed);
    if (worksheet)
        b.commands.mnuPrintWorksheet_Click();
    else
        b.commands.mnuPrint_Click();
    QCOMPARE(b.state->BlankWorksheet, worksheet ? 1 : 0);

    QCOMPARE(b.prompts.asked.size(), size_t(1));
    const ScriptedPrompts::Asked &a = b.prompts.asked[0];
    QCOMPARE(a.kind, ScriptedPrompts::Asked::Input);
    QCOMPARE(a.title, QStringLiteral("Enter Report Comment"));
    QCOMPARE(a.prompt, kPromptText);
    QCOMPARE(a.def, QString());

    const std::vector<PdfPage> pages = readPdfWords(b.pdf);
    QCOMPARE(pages.size(), size_t(1));
    const PdfPage &p = pages[0];

    // Header: print time line, caption, report comment, in that order.
    const PdfWord *printed = p.find(QStringLiteral("Printed"));
    QVERIFY(printed);
    QCOMPARE(p.lineOf(*printed),
             QStringList({"Printed", "at", "this", "Time:", "02:35:07:pm", "Date:", "04:12:2026",
                          "Page:", "1"}));
    const PdfWord *name = p.find(QStringLiteral("heat2.txt"));
    QVERIFY(name);
    QCOMPARE(p.lineOf(*name), QStringList({"Splitwatch", "[", "heat2.txt", "]"}));
    QVERIFY(name->yMin > printed->yMax);
    const PdfWord *comment = p.find(QStringLiteral("Comment:"));
    QCOMPARE(comment != nullptr, commentLine);
    if (comment) {
        QCOMPARE(p.lineOf(*comment), QStringList({"Report", "Comment:", "Dry", "track"}));
        QVERIFY(comment->yMin > name->yMax);
    }

    // Headings, left to right, each starting at its fraction of the width.
    const QRectF area = b.paintRectPoints();
    const PdfWord *first = p.find(QStringLiteral("Lap"));
    QVERIFY(first);
    std::vector<PdfWord> line;
    for (const PdfWord &w : p.words)
        if (qAbs(w.yMin - first->yMin) < 0.5)
            line.push_back(w);
    std::sort(line.begin(), line.end(),
              [](const PdfWord &x, const PdfWord &y) { return x.xMin < y.xMin; });
    const struct
    {
        const char *heading;
        double fraction;
    } heads[] = {{"Lap #", 0.07}, {"Seg 1", 0.13}, {"Seg 2", 0.215}, {"Seg 3", 0.30},
                 {"Seg 4", 0.385}, {"LapTime", 0.47}, {"Flag", 0.555}, {"Pos.", 0.64},
                 {"Traffic", 0.70}};
    size_t i = 0;
    for (const auto &h : heads) {
        const QStringList parts = QString::fromLatin1(h.heading).split(QLatin1Char(' '));
        QVERIFY2(i + parts.size() <= line.size(), h.heading);
        QVERIFY2(qAbs(line[i].xMin - (area.left() + h.fraction * area.width())) < 1.5, h.heading);
        for (const QString &part : parts)
            QCOMPARE(line[i++].text, part);
    }
    QCOMPARE(i, line.size());

    // Statistics: row heads with the five values of their row.
    const ResultsGrid &g = b.state->grid;
    const char *rowHeads[] = {"Avg", "Min", "Max"};
    for (int s = 0; s < 3; ++s) {
        const PdfWord *w = p.find(QLatin1String(rowHeads[s]));
        QVERIFY(w);
        QCOMPARE(p.lineOf(*w), QStringList({rowHeads[s], g.Label3[s], g.Label3[3 + s],
                                             g.Label3[6 + s], g.Label3[9 + s], g.Label3[12 + s]}));
    }
}

void TestPrintCommands::longRaceBreaksIntoPages()
{
    Bench b(250);
    b.prompts.type(QString());
    b.commands.mnuPrint_Click();
    const std::vector<PdfPage> pages = readPdfWords(b.pdf);

    // The layout measured on the same printer decides the pages; every lap
    // is printed once, in order, and pages end past 0.9 H.
    QPrinter &printer = b.printers.printer();
    ReportInputs in;
    in.pageWidth = printer.width();
    in.pageHeight = printer.height();
    in.lastLap = 250;
    const PrinterTextMetrics metrics(ReportPainter::reportFont(), &printer);
    const std::vector<ReportPage> layout = ReportLayout(in, b.state->grid, metrics).pages();
    QVERIFY(layout.size() >= 4);
    QCOMPARE(pages.size(), layout.size());

    const double rowHeight = metrics.textHeight(QStringLiteral("1"), 11);
    int next = 1;
    for (size_t i = 0; i < pages.size(); ++i) {
        const PdfWord *heading = pages[i].find(QStringLiteral("Lap"));
        QVERIFY(heading);
        int firstLap = 0, lastLap = 0;
        for (const PdfWord &w : pages[i].words)
            if (qAbs(w.xMin - heading->xMin) < 1.5 && w.yMin > heading->yMax && w.text.toInt() > 0) {
                firstLap = firstLap ? firstLap : w.text.toInt();
                lastLap = w.text.toInt();
            }
        QCOMPARE(firstLap, next);
        next = lastLap + 1;
        if (i + 1 == pages.size())
            continue;
        for (const ReportItem &it : layout[i])
            if (it.kind == ReportItem::Text && it.pointSize == 11 && it.text == QString::number(lastLap))
                QVERIFY(it.y1 + rowHeight > 0.9 * printer.height());
    }
    QCOMPARE(next, 251);
}

void TestPrintCommands::longCommentsAreWrappedAndCut()
{
    Bench b(2);
    QString text;
    for (int i = 0; text.size() < 2000; ++i)
        text += QStringLiteral("note%1 ").arg(i, 3, 10, QLatin1Char('0'));
    b.state->Comments = text;
    b.prompts.type(QString());
    b.commands.mnuPrint_Click();
    const std::vector<PdfPage> pages = readPdfWords(b.pdf);
    QCOMPARE(pages.size(), size_t(1));
    // 74 characters hold nine words of eight; 20 lines print words 0..179.
    const PdfWord *first = pages[0].find(QStringLiteral("note000"));
    QVERIFY(first);
    QCOMPARE(pages[0].lineOf(*first).size(), 9);
    QVERIFY(pages[0].find(QStringLiteral("note179")));
    QVERIFY(!pages[0].find(QStringLiteral("note180")));
}

void TestPrintCommands::withoutPrinterOfferPdf_data()
{
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<bool>("chooseFile");
    QTest::addColumn<bool>("printed");
    QTest::newRow("yes and a file") << Answer::Yes << true << true;
    QTest::newRow("yes then cancel") << Answer::Yes << false << false;
    QTest::newRow("no") << Answer::No << false << false;
}

void TestPrintCommands::withoutPrinterOfferPdf()
{
    QFETCH(Answer, answer);
    QFETCH(bool, chooseFile);
    QFETCH(bool, printed);
    Bench b(4);
    b.printers.systemPrinter = false;
    const QString chosen = b.dir.filePath(QStringLiteral("chosen.pdf"));
    b.prompts.type(QStringLiteral("x")).answer(answer);
    if (answer == Answer::Yes)
        b.prompts.chooseFile(chooseFile ? std::optional<QString>(chosen) : std::nullopt);
    b.commands.mnuPrint_Click();

    QCOMPARE(b.prompts.unexpectedCount(), 0);
    QCOMPARE(b.prompts.messageTexts(), QStringList{kNoPrinterText});
    const MessageSpec &m = b.prompts.asked.at(1).message;
    QCOMPARE(m.title, QStringLiteral("Splitwatch"));
    QCOMPARE(m.buttons, Buttons::YesNo);
    QCOMPARE(m.icon, Icon::Question);
    QCOMPARE(QFile::exists(chosen), printed);
    QVERIFY(!QFile::exists(b.pdf));
    if (printed)
        QCOMPARE(readPdfWords(chosen).size(), size_t(1));
}

void TestPrintCommands::screenPrintTurnsAndFits_data()
{
    QTest::addColumn<QSize>("window");
    QTest::addColumn<bool>("landscape");
    QTest::addColumn<bool>("fillsWidth");
    QTest::newRow("wider than tall") << QSize(600, 400) << true << true;
    QTest::newRow("taller than wide") << QSize(300, 500) << false << false;
    QTest::newRow("square") << QSize(400, 400) << false << true;
    QTest::newRow("very wide") << QSize(900, 200) << true << true;
    QTest::newRow("landscape but not wide enough") << QSize(500, 490) << true << false;
}

void TestPrintCommands::screenPrintTurnsAndFits()
{
    QFETCH(QSize, window);
    QFETCH(bool, landscape);
    QFETCH(bool, fillsWidth);
    Bench b(0);
    b.window.resize(window);
    QPalette pal = b.window.palette();
    pal.setColor(QPalette::Window, Qt::red);
    b.window.setPalette(pal);
    b.window.setAutoFillBackground(true);

    b.commands.mnuPrintMain_Click();
    QCOMPARE(b.prompts.asked.size(), size_t(0));
    QVERIFY(!QApplication::overrideCursor()); // the hourglass is gone again

    const std::vector<PdfPage> pages = readPdfWords(b.pdf);
    QCOMPARE(pages.size(), size_t(1));
    QCOMPARE(pages[0].width > pages[0].height, landscape);

    // The picture sits at the printable area's top-left corner and fills its
    // width or its height, undistorted (page rendered at 72 dpi: points).
    const QRectF area = b.paintRectPoints();
    const QRect red = redBox(b.pdf, 72, b.dir.path());
    QVERIFY(!red.isEmpty());
    QVERIFY(qAbs(red.left() - area.left()) <= 2);
    QVERIFY(qAbs(red.top() - area.top()) <= 2);
    if (fillsWidth)
        QVERIFY(qAbs(red.width() - area.width()) <= 2);
    else
        QVERIFY(qAbs(red.height() - area.height()) <= 2);
    QVERIFY(qAbs(double(red.width()) / red.height() - double(window.width()) / window.height()) < 0.02);
}

void TestPrintCommands::screenPrintOrientationStaysForTheReport()
{
    Bench b(3);
    b.window.resize(640, 300);
    b.commands.mnuPrintMain_Click();
    QCOMPARE(b.printers.printer().pageLayout().orientation(), QPageLayout::Landscape);
    b.prompts.type(QString());
    b.commands.mnuPrint_Click();
    const std::vector<PdfPage> pages = readPdfWords(b.pdf);
    QCOMPARE(pages.size(), size_t(1));
    QVERIFY(pages[0].width > pages[0].height);
    QVERIFY(pages[0].find(QStringLiteral("LapTime")));
}

void TestPrintCommands::zeroSizeWindowIsRefused()
{
    Bench b(0);
    b.window.resize(0, 0);
    b.commands.mnuPrintMain_Click();
    QCOMPARE(b.prompts.messageTexts(), QStringList{WindowPrinter::noSizeText()});
    QCOMPARE(b.prompts.messageTexts().front(),
             QStringLiteral("The window has no size, so there is no picture to print."));
    QVERIFY(!QFile::exists(b.pdf));
    QVERIFY(!QApplication::overrideCursor());
}

QTEST_MAIN(TestPrintCommands)
#include "tst_printcommands.moc"
