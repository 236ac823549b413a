// The print commands end to end, into PDF files read back with pdftotext and pdftoppm; the report's texts.

#include "PdfPrinterSource.h"
#include "PdfWords.h"
#include "files/FileState.h"
#include "printing/PrintCommands.h"
#include "race/Race.h"
#include "results/ResultsTexts.h"
#include "printing/PrinterTextMetrics.h"
#include "report/ReportLayout.h"
#include "printing/ReportPainter.h"
#include "report/ReportTexts.h"
#include "report/ScreenPrintGeometry.h"
#include "ui/Prompts.h"

#include <QtTest>
#include <QtWidgets>

using namespace sw;

namespace {

struct Bench
{
    QTemporaryDir dir;
    QString pdf = dir.filePath("out.pdf");
    Race race;
    FileState files;
    ScriptedPrompts prompts;
    PdfPrinterSource printers{pdf};
    QWidget window;
    // Changes the table after it was made from the race (a value the race cannot give).
    std::function<void(ReportTable &)> touchTable = [](ReportTable &) {};
    PrintCommands commands{&window, files, [this] { return table(); }, [this] { return race.comments(); }, prompts,
                           printers};

    // A finished race: segment c of lap r takes 20 + c s and r thousandths.
    explicit Bench(int laps, int numSegs = 4)
    {
        window.setWindowTitle("Splitwatch   [ heat2.txt ]");
        commands.now = [] { return QDateTime(QDate(2026, 12, 4), QTime(14, 35, 7)); };
        auto stored = std::make_unique<StoredRace>();
        stored->segmentsPerLap = numSegs;
        stored->lastLap = laps;
        auto &rows = stored->cells.rows;
        double reading = 1;
        rows[0][numSegs].set(reading);
        for (int r = 1; r <= laps; ++r) {
            for (int c = 1; c <= numSegs; ++c) {
                reading += 20 + c + r / 1000.0;
                rows[r][c].set(reading);
            }
            rows[r][RaceRecordCells::FlagColumn].set(r % 9 ? 0 : 1);
            rows[r][RaceRecordCells::PositionColumn].set(r % 12);
            rows[r][RaceRecordCells::TrafficColumn].set(1);
        }
        race.load(*stored);
    }
    ReportTable table() const
    {
        ReportTable t = reportTableFor(race, LapFilter::AllLaps);
        touchTable(t);
        return t;
    }
    QRectF area() { return printers.printer().pageLayout().paintRectPoints(); }
    // The x of a fraction of the printable width, in points.
    double at(double fraction) { return area().left() + fraction * area().width(); }
};

bool dark(const QImage &page, double x, int y)
{
    return qGray(page.pixel(qRound(x), y)) < 128;
}

QImage firstPage(const QString &pdf) // at 72 dpi: a pixel is a point
{
    QProcess::execute("pdftoppm", {"-png", "-r", "72", "-singlefile", pdf, pdf});
    return QImage(pdf + ".png");
}

// The lap numbers under the "Lap #" heading: lap -> middle of its line.
std::map<int, double> lapLines(const PdfPage &p)
{
    std::map<int, double> laps;
    for (const PdfWord &w : p.words)
        if (qAbs(w.xMin - p.find("Lap")->xMin) < 1.5 && w.yMin > p.find("Lap")->yMax && w.text.toInt() > 0)
            laps[w.text.toInt()] = (w.yMin + w.yMax) / 2;
    return laps;
}

} // namespace

class TestPrintCommands : public QObject
{
    Q_OBJECT
private slots:
    void report_data()
    {
        QTest::addColumn<std::optional<QString>>("typed");
        QTest::addColumn<bool>("longComments");
        QTest::addColumn<Answer>("noPrinter"); // Ok: there is a printer; else the answer to the PDF offer
        const std::optional<QString> dry("Dry track");
        QTest::newRow("typed") << dry << false << Answer::Ok;
        QTest::newRow("cancelled") << std::optional<QString>() << false << Answer::Ok;
        QTest::newRow("empty") << std::optional<QString>("") << false << Answer::Ok;
        QTest::newRow("long file comments") << dry << true << Answer::Ok;
        QTest::newRow("no printer, saved as PDF") << dry << false << Answer::Yes;
        QTest::newRow("no printer, not saved") << dry << false << Answer::No;
    }

    void report()
    {
        QFETCH(std::optional<QString>, typed);
        QFETCH(bool, longComments);
        QFETCH(Answer, noPrinter);
        Bench b(7, 2);
        b.touchTable = [](ReportTable &t) { t.statValues[8] = "99.999"; }; // Max of the unused Seg 3: printed without its head
        QString comments;
        for (int i = 0; longComments && comments.size() < 2000; ++i)
            comments += QStringLiteral("note%1 ").arg(i, 3, 10, QLatin1Char('0'));
        b.race.setComments(comments);
        const QString out = noPrinter == Answer::Ok ? b.pdf : b.dir.filePath("chosen.pdf");
        b.printers.systemPrinter = noPrinter == Answer::Ok;
        b.prompts.type(typed).answer(noPrinter).chooseFile(out);
        b.commands.printReport();
        QCOMPARE(b.prompts.unexpectedCount(), 0);
        QCOMPARE(b.prompts.asked.size(), size_t(noPrinter == Answer::Ok ? 1 : noPrinter == Answer::Yes ? 3 : 2));
        const ScriptedPrompts::Asked &a = b.prompts.asked.at(0);
        QCOMPARE(QStringList({QString::number(a.kind), a.title, a.prompt, a.def}),
                 QStringList({QString::number(ScriptedPrompts::Asked::Input), "Enter Report Comment",
                              "Enter any text you wish to appear at the bottom of the printed report.", ""}));
        if (noPrinter != Answer::Ok) {
            const MessageSpec &m = b.prompts.asked.at(1).message;
            QCOMPARE(QStringList({m.title, m.text}), QStringList({"Splitwatch", "No printer is set up on this system.  "
                                                                  "Do you want to save the printout as a PDF file instead?"}));
            QVERIFY(m.buttons == Buttons::YesNo && m.icon == Icon::Question && m.defaultButton == Answer::Yes);
            QVERIFY(!QFile::exists(b.pdf));
        }
        const std::vector<PdfPage> pages = readPdfWords(out);
        QCOMPARE(pages.size(), size_t(noPrinter == Answer::No ? 0 : 1));
        if (pages.empty())
            return;
        const PdfPage &p = pages[0];
        // The header lines in order; an empty report comment leaves its line out.
        const PdfWord *printed = p.find("Printed"), *name = p.find("heat2.txt"), *comment = p.find("Comment:");
        QVERIFY(printed && name && p.find("Lap"));
        QCOMPARE(p.lineOf(*printed), QStringList({"Printed", "at", "this", "Time:", "02:35:07:pm", "Date:", "04:12:2026", "Page:", "1"}));
        QCOMPARE(p.lineOf(*name), QStringList({"Splitwatch", "[", "heat2.txt", "]"}));
        QVERIFY(name->yMin > printed->yMax);
        QCOMPARE(comment != nullptr, !typed.value_or("").isEmpty());
        if (comment) {
            QCOMPARE(p.lineOf(*comment), QStringList({"Report", "Comment:", "Dry", "track"}));
            QVERIFY(comment->yMin > name->yMax);
        }
        // File comments wrapped at 75 characters (nine words of eight), 20 lines (words 0..179).
        QCOMPARE(p.find("note000") ? p.lineOf(*p.find("note000")).size() : 0, longComments ? 9 : 0);
        QCOMPARE(p.find("note179") && !p.find("note180"), longComments);

        // The headings at their fractions of the printable width (Seg 3, 4 printed though unused).
        const PdfWord *lap = p.find("Lap");
        const QStringList heads{"Lap #", "Seg 1", "Seg 2", "Seg 3", "Seg 4", "LapTime", "Flag", "Pos.", "Traffic"};
        const double fractions[] = {0.07, 0.13, 0.215, 0.30, 0.385, 0.47, 0.555, 0.64, 0.70};
        QCOMPARE(p.lineOf(*lap).size(), heads.join(' ').split(' ').size());
        for (int i = 0; i < 9; ++i)
            QCOMPARE(p.texts([&](const PdfWord &w) { return qAbs(w.yMin - lap->yMin) < 0.5 && qAbs(w.xMin - b.at(fractions[i])) < 1.5; }),
                     QStringList{heads[i].section(' ', 0, 0)});
        // A rule under lap 5 only: dark pixels, right of the texts, between lap lines.
        const std::map<int, double> laps = lapLines(p);
        const QImage page = firstPage(out);
        QList<int> ruled;
        for (int lap = 1; lap < 7; ++lap)
            for (int y = qRound(laps.at(lap)); y < laps.at(lap + 1); ++y)
                if (dark(page, b.at(0.85), y) && !ruled.contains(lap))
                    ruled << lap;
        QCOMPARE(ruled, QList<int>{5});
        // The outer page frame runs down the left of the lap lines.
        const int frameX = qRound(b.at(0.04));
        for (int y = qRound(laps.at(1)); y < laps.at(6); ++y)
            QVERIFY2(dark(page, frameX - 1, y) || dark(page, frameX, y) || dark(page, frameX + 1, y), qPrintable(QString::number(y)));
        // The statistics: heads of the used columns, rows of their values.
        QCOMPARE(p.lineOf(*p.find("Seg", 4)), QStringList({"Seg", "1", "Seg", "2", "Lap"}));
        const auto l3 = b.table().statValues;
        QCOMPARE(l3[0], QStringLiteral("21.004")); // Seg 1 of laps 1..7: 21.001 .. 21.007
        QCOMPARE(p.lineOf(*p.find("Avg")), QStringList({"Avg", l3[0], l3[3], l3[12]}));
        QCOMPARE(p.lineOf(*p.find("Min")), QStringList({"Min", l3[1], l3[4], l3[13]}));
        QCOMPARE(p.lineOf(*p.find("Max")), QStringList({"Max", l3[2], l3[5], "99.999", l3[14]}));
    }

    // The blank worksheet: the page header, the headings of the race's
    // segments, the lap numbers of its laps (at least 50) in ruled empty rows,
    // and nothing of the race's times, conditions or statistics.
    void blankWorksheet_data()
    {
        QTest::addColumn<int>("segments");
        QTest::addColumn<int>("raceLaps");
        QTest::addColumn<int>("sheetLaps");
        QTest::newRow("2 segments, 7 laps timed") << 2 << 7 << 50;
        QTest::newRow("4 segments, 60 laps timed") << 4 << 60 << 60;
        QTest::newRow("1 segment, nothing timed") << 1 << 0 << 50;
    }

    void blankWorksheet()
    {
        QFETCH(int, segments);
        QFETCH(int, raceLaps);
        QFETCH(int, sheetLaps);
        Bench b(raceLaps, segments);
        b.commands.worksheet = [&b] { return blankWorksheetFor(b.race); };
        b.prompts.type(QString("Heat 3"));
        b.commands.printBlankWorksheet();
        QCOMPARE(b.prompts.unexpectedCount(), 0);
        const std::vector<PdfPage> pages = readPdfWords(b.pdf);
        QVERIFY(pages.size() >= 2);

        QStringList heads{"Lap", "#"};
        for (int s = 1; s <= segments; ++s)
            heads << "Seg" << QString::number(s);
        heads << "LapTime" << "Flag" << "Pos." << "Traffic";
        std::map<int, double> laps;
        for (size_t i = 0; i < pages.size(); ++i) {
            const PdfPage &p = pages[i];
            const PdfWord *printed = p.find("Printed"), *lap = p.find("Lap");
            QVERIFY(printed && lap && p.find("heat2.txt"));
            QCOMPARE(p.lineOf(*printed).last(), QString::number(i + 1));
            QCOMPARE(p.lineOf(*lap), heads);
            QCOMPARE(p.find("Heat") != nullptr, i == 0);
            const std::map<int, double> onPage = lapLines(p);
            laps.insert(onPage.begin(), onPage.end());
            // Below the headings only lap numbers.
            const QStringList below = p.texts([&](const PdfWord &w) { return w.yMin > lap->yMax; });
            QCOMPARE(below.size(), int(onPage.size()));
        }
        QCOMPARE(int(laps.size()), sheetLaps);
        QCOMPARE(laps.begin()->first, 1);
        QCOMPARE(laps.rbegin()->first, sheetLaps);

        // Row of lap 2: a box for every heading but the lap number's (two
        // edges each), empty inside; each lap is ruled off from the next.
        const QImage page = firstPage(b.pdf);
        const std::map<int, double> first = lapLines(pages[0]);
        const int y = qRound(first.at(2)), seg1Middle = qRound(b.at(0.17));
        int edges = 0;
        for (int x = qRound(b.at(0.11)); x < b.at(0.925); ++x)
            edges += dark(page, x, y) && !dark(page, x - 1, y);
        QCOMPARE(edges, 2 * (segments + 4));
        QVERIFY(qGray(page.pixel(seg1Middle, y)) > 200);
        for (int lap = 1; lap < 5; ++lap) {
            bool ruled = false;
            for (int yy = qRound(first.at(lap)); yy < first.at(lap + 1); ++yy)
                ruled = ruled || dark(page, seg1Middle, yy);
            QVERIFY2(ruled, qPrintable(QString::number(lap)));
        }
    }

    void longRaceBreaksIntoPages()
    {
        Bench b(250);
        b.prompts.type(QString());
        b.commands.printReport();
        const std::vector<PdfPage> pdf = readPdfWords(b.pdf);
        QPrinter &printer = b.printers.printer();
        const PrinterTextMetrics metrics(ReportPainter::reportFont(), &printer);
        const double w = printer.width(), rowHeight = metrics.textHeight("1", 11);
        const ReportTable table = b.table();
        // The layout of the printer's page gives the PDF's pages. Over many page
        // heights: every lap once, in order; a page ends with the first lap past 0.9
        // of the height, except lap 249, which keeps lap 250 with it; a rule follows
        // every fifth lap, the lap that ended a page counting as the first of five.
        int lap249PastTheLine = 0;
        for (double h = printer.height(); h > printer.height() / 2; h -= 20) {
            const ReportInputs in{w, h, {}, {}, {}, {}, {}};
            const std::vector<ReportPage> pages = ReportLayout(in, table, metrics).pages();
            QVERIFY(h != printer.height() || pdf.size() == pages.size());
            int next = 1;
            for (size_t i = 0; i < pages.size(); ++i) {
                std::vector<std::pair<int, double>> rows; // lap, top
                for (const ReportItem &it : pages[i])
                    if (it.kind == ReportItem::Text && it.pointSize == 11 && it.x1 < 0.08 * w && it.text.toInt() > 0)
                        rows.emplace_back(it.text.toInt(), it.y1);
                const std::map<int, double> printed = h == printer.height() ? lapLines(pdf.at(i)) : std::map<int, double>();
                QVERIFY(printed.empty() || (printed.begin()->first == next && printed.size() == rows.size()));
                const bool last = i + 1 == pages.size();
                for (size_t k = 0; k < rows.size(); ++k, ++next) {
                    const double bottom = rows[k].second + rowHeight;
                    const bool past = bottom > 0.9 * h, end = k + 1 == rows.size();
                    QCOMPARE(rows[k].first, next);
                    lap249PastTheLine += past && next == 249;
                    QVERIFY(end ? last || (past && next != 249) : !past || next == 249);
                    const bool rule = std::any_of(pages[i].begin(), pages[i].end(), [&](const ReportItem &it) {
                        return it.kind == ReportItem::Line && it.x2 - it.x1 > 0.8 * w && it.y1 > bottom && it.y1 < bottom + 0.004 * w; });
                    QCOMPARE(rule, (k + 1 + (i > 0)) % 5 == 0 && (last || !end));
                }
            }
            QCOMPARE(next, 251);
        }
        // Every page framed three times around all it prints; page 1's header framed twice more, down to
        // the headings.
        const double h = printer.height(), U = 0.002 * w, y0 = 0.05 * h;
        const auto near = [](const QList<double> &a, const QList<double> &b) {
            return a.size() == b.size()
                   && std::equal(a.begin(), a.end(), b.begin(), [](double x, double y) { return qAbs(x - y) < 0.01; });
        };
        const ReportInputs in{w, h, {}, {}, {}, {}, {}};
        const std::vector<ReportPage> pages = ReportLayout(in, table, metrics).pages();
        for (size_t i = 0; i < pages.size(); ++i) {
            QList<double> frames; // left, top, right, bottom of each
            double bottom = 0, headings = 0;
            for (const ReportItem &it : pages[i]) {
                if (it.kind == ReportItem::Rect)
                    frames << it.x1 << it.y1 << it.x2 << it.y2;
                else if (it.kind == ReportItem::Text)
                    bottom = qMax(bottom, it.y1 + metrics.textHeight(it.text, it.pointSize));
                if (it.text == "Lap #" && headings == 0)
                    headings = it.y1;
            }
            const double b1 = frames.value(frames.size() - 9), outer = frames.value(frames.size() - 1);
            const QList<double> header{0.05 * w, y0 - 2 * U, 0.93 * w, headings - U,
                                       0.05 * w - U, y0 - 3 * U, 0.93 * w + U, headings};
            const QList<double> around{0.05 * w, y0 - 2 * U, 0.93 * w, b1, 0.05 * w - U, y0 - 3 * U, 0.93 * w + U, b1 + U,
                                       0.04 * w, y0 - 8 * U, 0.94 * w, outer};
            QVERIFY(near(frames, i == 0 ? header + around : around));
            QVERIFY(b1 >= bottom && outer > b1 + U);
        }
        QVERIFY(lap249PastTheLine > 0);
    }

    void screenPrint_data()
    {
        QTest::addColumn<QSize>("window");
        QTest::addColumn<bool>("landscape");
        QTest::addColumn<bool>("fillsWidth");
        // The caption line above the window's picture counts as part of it.
        QTest::newRow("wider than tall") << captureSizePixels(QSize(13500, 6000)) << true << true;
        QTest::newRow("taller than wide") << QSize(300, 500) << false << false;
        QTest::newRow("square") << QSize(400, 400) << false << true;
        QTest::newRow("a little wider, taller with the caption") << QSize(404, 400) << false << true;
        QTest::newRow("wider with the caption") << QSize(480, 400) << true << false;
        QTest::newRow("no size: refused") << QSize(0, 0) << false << false;
    }

    void screenPrint()
    {
        QFETCH(QSize, window);
        QFETCH(bool, landscape);
        QFETCH(bool, fillsWidth);
        // 15 twips a pixel, to the nearest pixel.
        QCOMPARE(captureSizePixels(QSize(9000, 6000)) + captureSizePixels(QSize(7688, 22)), QSize(600 + 513, 400 + 1));
        Bench b(3);
        b.window.resize(window);
        b.window.setPalette(QPalette(Qt::red));
        b.window.setAutoFillBackground(true);
        b.commands.printScreen();
        QVERIFY(!QApplication::overrideCursor()); // the hourglass is gone again
        QCOMPARE(b.prompts.messageTexts(), window.isEmpty() ? QStringList{"The window has no size, so there is no picture to print."} : QStringList());
        QCOMPARE(QFile::exists(b.pdf), !window.isEmpty());
        if (window.isEmpty())
            return;
        // The caption line (dark blue) over the window (red), at the printable
        // area's top-left corner, filling its width or its height, undistorted.
        const QImage page = firstPage(b.pdf);
        QCOMPARE(page.width() > page.height(), landscape);
        QRect red, bar;
        for (int y = 0; y < page.height(); ++y)
            for (int x = 0; x < page.width(); ++x) {
                const QRgb c = page.pixel(x, y);
                red |= qRed(c) > 200 && qGreen(c) < 60 ? QRect(x, y, 1, 1) : QRect();
                bar |= qBlue(c) > 90 && qRed(c) < 60 && qGreen(c) < 60 ? QRect(x, y, 1, 1) : QRect();
            }
        const QRectF area = b.area();
        const QRect whole = red | bar;
        QVERIFY(qAbs(whole.left() - area.left()) <= 2 && qAbs(whole.top() - area.top()) <= 2);
        QVERIFY(bar.height() > 4 && qAbs(bar.bottom() + 1 - red.top()) <= 1 && qAbs(bar.width() - red.width()) <= 1);
        QVERIFY(fillsWidth ? qAbs(whole.width() - area.width()) <= 2 : qAbs(whole.height() - area.height()) <= 2);
        QVERIFY(qAbs(double(red.width()) / red.height() - double(window.width()) / window.height()) < 0.02);
        const PdfPage words = readPdfWords(b.pdf).at(0);
        const PdfWord *name = words.find("heat2.txt");
        QVERIFY(name && name->yMin >= bar.top() - 1 && name->yMax <= bar.bottom() + 2);
        QCOMPARE(words.lineOf(*name), QStringList({"Splitwatch", "[", "heat2.txt", "]"}));
        b.prompts.type(QString());
        b.commands.printReport(); // the orientation stays for the report
        QCOMPARE(readPdfWords(b.pdf).at(0).width > readPdfWords(b.pdf).at(0).height, landscape);
    }

    void timeAndDate_data()
    {
        QTest::addColumn<QDateTime>("at");
        QTest::addColumn<QString>("time");
        QTest::addColumn<QString>("date");
        QTest::newRow("midnight, new year")
                << QDateTime(QDate(2027, 1, 1), QTime(0, 0, 59)) << "12:00:59:am" << "01:01:2027";
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
        const QString c80(80, 'c');
        QTest::newRow("only line breaks") << "\r\n\r\n" << QStringList();
        QTest::newRow("blank last piece") << "Dry\r\n   " << QStringList{"Dry"};
        QTest::newRow("leading control characters") << "\t\x01" "Dry" << QStringList{"Dry"};
        QTest::newRow("exactly 75") << QString(75, 'x') << QStringList{QString(75, 'x')};
        QTest::newRow("line break inside the first 75, long word cut")
                << "Short\r\n   " + c80 << QStringList{"Short", c80.left(74), c80.left(6)};
        QTest::newRow("wrapped then a short second line")
            << "one two three four five six seven eight nine ten eleven twelve thirteen fourteen\r\nEnd"
            << QStringList{"one two three four five six seven eight nine ten eleven twelve thirteen", "fourteen",
                           "End"};
    }

    void commentLines()
    {
        QFETCH(QString, comments);
        QTEST(reportCommentLines(comments), "lines");
    }
};

QTEST_MAIN(TestPrintCommands)
#include "tst_printcommands.moc"
