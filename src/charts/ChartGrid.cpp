#include "charts/ChartGrid.h"

#include <QChart>
#include <QPainter>
#include <QValueAxis>

#include <cmath>
#include <vector>

namespace sw {

namespace {

// Above the plot's background, beneath the shading, lines and points.
constexpr double GridDepth = 1;
// More lines than this is a scale gone wrong: none rather than a freeze.
constexpr int MostLines = 200;

// Where the axis has its ticks, as Qt Charts places them: a fixed count
// from end to end, or the anchor and whole intervals from it within the
// axis's range.
std::vector<double> tickValues(const QValueAxis &axis)
{
    std::vector<double> values;
    const double lo = axis.min();
    const double hi = axis.max();
    if (axis.tickType() == QValueAxis::TicksFixed) {
        const int count = axis.tickCount();
        for (int i = 0; i < count && count > 1; ++i)
            values.push_back(lo + (hi - lo) * i / (count - 1));
        return values;
    }
    const double interval = axis.tickInterval();
    if (!(interval > 0) || !(hi > lo) || (hi - lo) / interval > MostLines)
        return values;
    const double slack = 1e-9 * (hi - lo); // the last tick may sit a rounding error past the end
    const double first = axis.tickAnchor() + std::ceil((lo - axis.tickAnchor()) / interval - 1e-9) * interval;
    for (double v = first; v <= hi + slack; v += interval)
        values.push_back(v);
    return values;
}

} // namespace

ChartGrid::ChartGrid(QChart *chart, QValueAxis *x, QValueAxis *y)
    : QGraphicsItem(chart), m_chart(chart), m_x(x), m_y(y)
{
    setZValue(GridDepth);
    setAcceptedMouseButtons(Qt::NoButton);
    setAcceptHoverEvents(false);
}

void ChartGrid::setColour(const QColor &colour)
{
    m_colour = colour;
    update();
}

void ChartGrid::replot()
{
    prepareGeometryChange();
    update();
}

QRectF ChartGrid::boundingRect() const
{
    return m_chart->plotArea().adjusted(-1, -1, 1, 1);
}

void ChartGrid::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    const QRectF plot = m_chart->plotArea();
    if (plot.isEmpty())
        return;
    const double xSpan = m_x->max() - m_x->min();
    const double ySpan = m_y->max() - m_y->min();
    for (double v : tickValues(*m_x)) {
        const double x = std::floor(plot.left() + (v - m_x->min()) / xSpan * plot.width());
        painter->fillRect(QRectF(x, plot.top(), 1, plot.height()), m_colour);
    }
    for (double v : tickValues(*m_y)) {
        const double y = std::floor(plot.bottom() - (v - m_y->min()) / ySpan * plot.height());
        painter->fillRect(QRectF(plot.left(), y, plot.width(), 1), m_colour);
    }
}

} // namespace sw
