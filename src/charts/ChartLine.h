#pragma once
// A line through values, drawn straight onto a chart in the pen of a line
// series that stands for it in the legend and holds no points itself.
//
// Qt Charts' own line series strokes its whole outline again (for the mouse)
// whenever a point comes or the scale moves: with a long race that is most
// of a live update. This line maps its values when it paints and does
// nothing else; nothing of the chart answers the mouse through it (the
// window finds points under the mouse itself).

#include <QGraphicsItem>
#include <QList>
#include <QPointF>

class QChart;
class QXYSeries;

namespace sw {

class ChartLine : public QGraphicsItem
{
public:
    // legendEntry: an empty series of the chart, attached to its axes.
    ChartLine(QChart *chart, QXYSeries *legendEntry);

    void setValues(const QList<QPointF> &values);
    const QList<QPointF> &values() const { return m_values; }
    QXYSeries *legendEntry() const { return m_entry; }
    // After the plot area moved or the scale changed.
    void replot();

    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

private:
    QChart *m_chart;
    QXYSeries *m_entry;
    QList<QPointF> m_values;
};

} // namespace sw
