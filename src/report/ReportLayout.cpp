#include "report/ReportLayout.h"

#include "report/ReportTexts.h"
#include "race/NumberText.h"

#include <QtGlobal>

#include <algorithm>
#include <cmath>

namespace sw {

namespace {

// Row and column heads of the statistics table (the captions beside and above it).
const char *const kStatRowHeads[] = {"Avg", "Min", "Max"};
const char *const kStatColHeads[] = {"Seg 1", "Seg 2", "Seg 3", "Seg 4", "Lap"};

// Column steps across the page, as fractions of W: narrow after the lap number
// and the position, wide elsewhere.
double columnStep(int c)
{
    return (c == 0 || c == 7) ? 0.06 : 0.085;
}

constexpr double kFirstColumn = 0.07;
constexpr double kStatColumnStep = 0.12;
constexpr double kFrameLeft = 0.05;
constexpr double kFrameRight = 0.93;
constexpr double kPageBreak = 0.9;
// The last lap a report holds; no page break comes before it.
constexpr int kLastRow = 250;

} // namespace

ReportLayout::ReportLayout(const ReportInputs &in, const ReportTable &grid,
                           const TextMetrics &metrics)
    : m_in(in), m_grid(grid), m_metrics(metrics)
{
}

double ReportLayout::columnFraction(int c)
{
    double x = kFirstColumn;
    for (int i = 0; i < c; ++i)
        x += columnStep(i);
    return x;
}

void ReportLayout::printText(const QString &t, bool endLine)
{
    // Blank texts draw nothing but still move the position.
    if (!t.trimmed().isEmpty()) {
        ReportItem it;
        it.kind = ReportItem::Text;
        it.x1 = m_x;
        it.y1 = m_y;
        it.text = t;
        it.pointSize = m_pointSize;
        m_pages.back().push_back(it);
    }
    if (endLine) {
        m_x = 0;
        m_y += height(t);
    } else {
        m_x += m_metrics.textWidth(t, m_pointSize);
    }
}

void ReportLayout::line(double x1, double y1, double x2, double y2)
{
    ReportItem it;
    it.kind = ReportItem::Line;
    it.x1 = x1;
    it.y1 = y1;
    it.x2 = x2;
    it.y2 = y2;
    m_pages.back().push_back(it);
    m_x = x2;
    m_y = y2;
}

void ReportLayout::rect(double x1, double y1, double x2, double y2)
{
    line(x1, y1, x2, y2);
    m_pages.back().back().kind = ReportItem::Rect;
}

void ReportLayout::newPage()
{
    m_pages.emplace_back();
    m_x = 0;
    m_y = 0;
}

std::vector<ReportPage> ReportLayout::pages()
{
    W = m_in.pageWidth;
    H = m_in.pageHeight;
    U = 0.002 * W;
    m_pages.clear();
    m_page = 0;
    newPage();

    pageHeader();
    // Page 1's header gets a double frame; the headings start below it.
    const double yh = m_y;
    rect(kFrameLeft * W, m_y0 - 2 * U, kFrameRight * W, yh);
    rect(kFrameLeft * W - U, m_y0 - 3 * U, kFrameRight * W + U, yh + U);
    columnHeadings();

    const int lastLap = std::clamp(int(m_grid.laps.size()), 0, kLastRow);
    int fiveLaps = 1;
    for (int r = 1; r <= lastLap; ++r) {
        lapRow(r);
        // No break after the next-to-last lap: the last one always fits below it.
        if (m_y > kPageBreak * H && r != kLastRow - 1) {
            pageEnd();
            pageHeader();
            columnHeadings();
            fiveLaps = 1;
        }
        if (++fiveLaps == 6) {
            fiveLapRule();
            fiveLaps = 1;
        }
    }

    if (!m_grid.worksheet)
        statistics();
    pageEnd();
    // The page begun by the last page end stays empty and is never printed.
    if (m_pages.size() > 1 && m_pages.back().empty())
        m_pages.pop_back();
    return m_pages;
}

void ReportLayout::pageHeader()
{
    printText(QStringLiteral(" "), true);
    m_centre = true;
    m_rule = true;
    m_y0 = 0.05 * H;
    m_y = m_y0;
    m_pointSize = kHeaderPointSize;
    ++m_page;

    headerLine(QStringLiteral("Printed at this      Time:  ") + m_in.timeText
               + QStringLiteral("        Date:  ") + m_in.dateText
               + QStringLiteral("        Page:") + numberText(m_page));
    headerLine(m_in.caption);
    if (m_page == 1) {
        m_centre = false;
        if (!m_in.reportComment.isEmpty())
            headerLine(QStringLiteral("Report Comment:  ") + m_in.reportComment);
        for (const QString &l : reportCommentLines(m_in.comments)) {
            m_x = 0.07 * W;
            printText(l, true);
        }
    }
}

void ReportLayout::headerLine(const QString &t)
{
    m_th = height(t);
    const double tw = m_metrics.textWidth(t, m_pointSize);
    m_x = m_centre ? kFrameLeft * W + ((kFrameRight - kFrameLeft) * W - tw) / 2 : 0.06 * W;
    printText(t, true);
    const double g = 0.2 * height(QStringLiteral("X"));
    if (m_rule) {
        const double y = std::round(m_y + g);
        line(kFrameLeft * W, y, kFrameRight * W, y);
    }
    m_y += g;
}

void ReportLayout::columnHeadings()
{
    const double yc = m_y;
    double deepest = 0;
    m_pointSize = kTablePointSize;
    double x = kFirstColumn;
    for (int c = 0; c < ReportTable::Columns; ++c) {
        const QString t = c == 7 ? QStringLiteral("Pos.") : m_grid.headings[size_t(c)];
        m_y = yc;
        m_x = x * W;
        if (!t.trimmed().isEmpty())
            printText(t, true);
        deepest = std::max(deepest, m_y);
        x += columnStep(c);
    }
    m_y = deepest + U;
    line(kFrameLeft * W, m_y, kFrameRight * W, m_y);
    m_y += U;
}

void ReportLayout::lapRow(int r)
{
    const double top = m_y;
    double x = kFirstColumn;
    if (m_grid.worksheet)
        m_y += 0.3 * height(QStringLiteral("X")); // room to write: the number sits mid-row
    for (int c = 0; c < ReportTable::Columns; ++c) {
        m_x = x * W;
        printText(m_grid.laps[size_t(r - 1)][size_t(c)], false);
        x += columnStep(c);
    }
    printText(QString(), true);
    if (m_grid.worksheet) {
        m_y += 0.3 * height(QStringLiteral("X"));
        ruledCells(top, m_y);
    }
}

void ReportLayout::ruledCells(double top, double bottom)
{
    // One box per cell under a heading, from just left of the column's text
    // to just left of the next column's (the last to the frame).
    const double gap = 0.005 * W;
    double x = kFirstColumn;
    for (int c = 0; c < ReportTable::Columns; ++c) {
        const double next = c + 1 < ReportTable::Columns ? x + columnStep(c) : kFrameRight - 0.01;
        if (c > 0 && !m_grid.headings[size_t(c)].trimmed().isEmpty())
            rect(x * W - gap, top, next * W - 2 * gap, bottom);
        x += columnStep(c);
    }
    m_x = 0;
    m_y = bottom;
}

void ReportLayout::fiveLapRule()
{
    m_y += U;
    line(kFrameLeft * W, m_y, kFrameRight * W, m_y);
    m_y += U;
}

void ReportLayout::statistics()
{
    m_pointSize = kTablePointSize;
    const double hx = height(QStringLiteral("X"));
    m_y += 0.3 * hx;
    for (int s = -1; s <= 2; ++s) {
        double x = kFirstColumn;
        for (int c = 0; c <= 5; ++c) {
            m_x = x * W;
            if (s < 0) {
                // The "Lap" head is always shown; segment heads only while
                // their column is in use.
                if (c >= 1 && (c == 5 || m_grid.statHeadingVisible[size_t(c + 2)]))
                    printText(QLatin1String(kStatColHeads[c - 1]), false);
            } else if (c == 0) {
                printText(QLatin1String(kStatRowHeads[s]), false);
            } else {
                printText(m_grid.statValues[size_t((c - 1) * 3 + s)], false);
            }
            x += kStatColumnStep;
        }
        printText(QString(), true);
        if (s < 0)
            m_y += 0.2 * hx;
    }
    // Below the table, only where they say something: which laps the
    // figures count (not all), and the best possible lap (several segments).
    for (const QString &t : m_grid.linesBelow) {
        if (t.isEmpty())
            continue;
        m_x = kFirstColumn * W;
        printText(t, true);
    }
    m_y -= 0.8 * hx;
}

void ReportLayout::pageEnd()
{
    const double b = m_y + 1.2 * m_th;
    rect(kFrameLeft * W, m_y0 - 2 * U, kFrameRight * W, b);
    rect(kFrameLeft * W - U, m_y0 - 3 * U, kFrameRight * W + U, b + U);
    rect(0.04 * W, m_y0 - 8 * U, 0.94 * W, b + m_th - 4 * U);
    newPage();
}

} // namespace sw
