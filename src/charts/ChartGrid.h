#pragma once
// The grid of a chart's two value axes, drawn as one-pixel filled rectangles.
//
// Qt Charts draws each grid line with the cosmetic line stroker, pixel by
// pixel: about a fifth of a live update while a race is timed. A filled
// rectangle is a row of memory writes. Used while timing only: printed or
// saved, a one-pixel rectangle would be a printer dot wide or scaled.

#include <QColor>
#include <QGraphicsItem>

class QChart;
class QValueAxis;

namespace sw {

class ChartGrid : public QGraphicsItem
{
public:
    ChartGrid(QChart *chart, QValueAxis *x, QValueAxis *y);

    void setColour(const QColor &colour);
    // After the plot area moved or the scale changed.
    void replot();

    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

private:
    QChart *m_chart;
    QValueAxis *m_x;
    QValueAxis *m_y;
    QColor m_colour;
};

} // namespace sw
