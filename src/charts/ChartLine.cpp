#include "charts/ChartLine.h"

#include <QChart>
#include <QPainter>
#include <QPolygonF>
#include <QXYSeries>

namespace sw {

namespace {

// Above the shading of the pit stops, beneath the points (Qt Charts draws
// area series at 4 and scatter series at 7 within the chart).
constexpr double LineDepth = 4.5;

} // namespace

ChartLine::ChartLine(QChart *chart, QXYSeries *legendEntry) : QGraphicsItem(chart), m_chart(chart), m_entry(legendEntry)
{
    setZValue(LineDepth);
    setAcceptedMouseButtons(Qt::NoButton);
    setAcceptHoverEvents(false);
}

void ChartLine::setValues(const QList<QPointF> &values)
{
    if (values == m_values)
        return;
    m_values = values;
    update();
}

void ChartLine::replot()
{
    prepareGeometryChange();
    update();
}

QRectF ChartLine::boundingRect() const
{
    const double margin = m_entry->pen().widthF() + 1;
    return m_chart->plotArea().adjusted(-margin, -margin, margin, margin);
}

void ChartLine::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    if (m_values.size() < 2 || !m_entry->isVisible())
        return;
    QPolygonF points;
    points.reserve(m_values.size());
    for (const QPointF &value : m_values)
        points << m_chart->mapToPosition(value, m_entry);
    painter->save();
    painter->setClipRect(m_chart->plotArea());
    const QPen pen = m_entry->pen();
    painter->setPen(pen);
    painter->setBrush(Qt::NoBrush);
    if (pen.style() != Qt::SolidLine) {
        // One path keeps a dash pattern running on from lap to lap.
        painter->drawPolyline(points);
    } else {
        // Joining the segments into one outline costs many times more
        // than drawing them one by one.
        for (qsizetype i = 1; i < points.size(); ++i)
            painter->drawLine(points[i - 1], points[i]);
    }
    painter->restore();
}

} // namespace sw
