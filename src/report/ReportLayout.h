#pragma once
// The lap-time report as pages of drawing steps. The layout works like a
// printer with a current position: printing a text puts its top-left corner
// at the current position; ending the line sets x to 0 and moves y down by
// the text height; staying on the line moves x past the text; a line or a
// rectangle leaves the position at its second point. All positions are in the
// device units of the printer (W and H are the printable width and height).
//
// Page plan: header (print time, window caption, on page 1 the report comment
// and the file comments) with a rule under every line, the grid headings, one
// row per lap with a rule after every fifth lap, a page break once a row ends
// below 0.9 H, the statistics table after the last lap (with the counted laps and the
// best possible lap below it when the grid gives them), and three frames
// around every page plus a double frame around the first page's header. A
// worksheet has taller rows of ruled empty cells and no statistics table.

#include "report/ReportItem.h"
#include "report/TextMetrics.h"

#include <QString>
#include <QStringList>

#include <array>
#include <vector>

namespace sw {

// The results as the window shows them: the grid's headings and the texts of
// laps 1..n, the statistics table and the lines below it.
struct ReportTable
{
    static constexpr int Columns = 9;
    std::array<QString, Columns> headings;
    std::vector<std::array<QString, Columns>> laps; // laps[0] is lap 1
    std::array<bool, 8> statHeadingVisible{};   // 3..6 "Seg 1".."Seg 4"
    std::array<QString, 15> statValues;         // (column - 1) * 3 + row
    QStringList linesBelow;                     // which laps count, the best possible lap
    // A worksheet for timing by hand: taller rows whose cells under every
    // heading but the lap number's are ruled boxes, and no statistics.
    bool worksheet = false;
};

struct ReportInputs
{
    double pageWidth = 0;  // W, device units
    double pageHeight = 0; // H, device units
    QString caption;       // the main window's caption
    QString reportComment; // typed when printing starts; empty leaves its line out
    QString comments;      // the file comments, CR LF line breaks
    QString timeText;      // reportTimeText of the print time
    QString dateText;      // reportDateText of the print date
};

class ReportLayout
{
public:
    static constexpr double kHeaderPointSize = 12;
    static constexpr double kTablePointSize = 11;

    ReportLayout(const ReportInputs &in, const ReportTable &grid, const TextMetrics &metrics);

    // The whole report; every page holds at least its header and frames.
    std::vector<ReportPage> pages();

    // Left edge of grid column c as a fraction of the page width.
    static double columnFraction(int c);

private:
    void printText(const QString &t, bool endLine);
    void line(double x1, double y1, double x2, double y2);
    void rect(double x1, double y1, double x2, double y2);
    double height(const QString &t) const { return m_metrics.textHeight(t, m_pointSize); }

    void pageHeader();
    void headerLine(const QString &t);
    void columnHeadings();
    void lapRow(int r);
    void ruledCells(double top, double bottom);
    void fiveLapRule();
    void statistics();
    void pageEnd();
    void newPage();

    const ReportInputs &m_in;
    const ReportTable &m_grid;
    const TextMetrics &m_metrics;

    double W = 0, H = 0, U = 0;
    double m_x = 0, m_y = 0;
    double m_pointSize = kHeaderPointSize;
    double m_y0 = 0;
    double m_th = 0; // text height of the last header line
    bool m_centre = true;
    bool m_rule = true;
    int m_page = 0;
    std::vector<ReportPage> m_pages;
};

} // namespace sw
