#include "charts/AnalysisChartView.h"
#include <QGraphicsScene>

#include <QChart>
#include <QMouseEvent>
#include <QRubberBand>
#include <QToolTip>
#include <QWheelEvent>

namespace sw {

namespace {

// A press and release closer than this (pixels) is a click, not a drag.
constexpr int DragThreshold = 4;
// One wheel notch shows this fraction of the width and height.
constexpr double WheelZoomIn = 0.8;

} // namespace

AnalysisChartView::AnalysisChartView(QChart *chart, QWidget *parent) : QChartView(chart, parent)
{
    setRenderHint(QPainter::Antialiasing);
    setRubberBand(QChartView::NoRubberBand); // the band below is our own, so clicks still reach points
    setMouseTracking(true);
    // A chart of a few dozen items, most of which move whenever the scale
    // does: keeping a search tree of them costs more than it finds.
    scene()->setItemIndexMethod(QGraphicsScene::NoIndex);
    setFocusPolicy(Qt::StrongFocus);
    m_band = new QRubberBand(QRubberBand::Rectangle, viewport());
    m_band->hide();
}

QPointF AnalysisChartView::viewportPosition(const QPointF &value, QAbstractSeries *series) const
{
    const QPointF inChart = chart()->mapToPosition(value, series);
    return mapFromScene(chart()->mapToScene(inChart));
}

void AnalysisChartView::zoomAbout(const QPointF &viewportPos, double factor)
{
    const QRectF plot = chart()->plotArea();
    const QPointF at = chart()->mapFromScene(mapToScene(viewportPos.toPoint()));
    if (!plot.contains(at))
        return;
    // The point under the mouse stays where it is.
    const QRectF shown(at.x() - (at.x() - plot.left()) * factor, at.y() - (at.y() - plot.top()) * factor,
                       plot.width() * factor, plot.height() * factor);
    chart()->zoomIn(shown);
    m_zoomed = true;
}

void AnalysisChartView::wheelEvent(QWheelEvent *event)
{
    const int delta = event->angleDelta().y();
    if (delta == 0)
        return;
    zoomAbout(event->position(), delta > 0 ? WheelZoomIn : 1.0 / WheelZoomIn);
    event->accept();
}

void AnalysisChartView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QChartView::mousePressEvent(event);
        return;
    }
    m_pressed = true;
    m_pressAt = event->position().toPoint();
    m_band->setGeometry(QRect(m_pressAt, QSize()));
    event->accept();
}

void AnalysisChartView::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint at = event->position().toPoint();
    if (m_pressed) {
        if ((at - m_pressAt).manhattanLength() >= DragThreshold) {
            m_band->setGeometry(QRect(m_pressAt, at).normalized());
            m_band->show();
        }
        return;
    }
    const std::optional<ChartHit> hit = pointAt ? pointAt(event->position()) : std::nullopt;
    if (hit && describe)
        QToolTip::showText(event->globalPosition().toPoint(), describe(*hit), this);
    else
        QToolTip::hideText();
}

void AnalysisChartView::mouseReleaseEvent(QMouseEvent *event)
{
    if (!m_pressed || event->button() != Qt::LeftButton) {
        QChartView::mouseReleaseEvent(event);
        return;
    }
    m_pressed = false;
    const QPoint at = event->position().toPoint();
    if (m_band->isVisible()) {
        m_band->hide();
        const QRect dragged = QRect(m_pressAt, at).normalized();
        const QRectF inChart(chart()->mapFromScene(mapToScene(dragged.topLeft())),
                             chart()->mapFromScene(mapToScene(dragged.bottomRight())));
        const QRectF shown = inChart.intersected(chart()->plotArea());
        if (shown.width() >= DragThreshold && shown.height() >= DragThreshold) {
            chart()->zoomIn(shown);
            m_zoomed = true;
        }
        return;
    }
    if (const std::optional<ChartHit> hit = pointAt ? pointAt(event->position()) : std::nullopt)
        emit pointClicked(hit->race, hit->lap);
}

void AnalysisChartView::mouseDoubleClickEvent(QMouseEvent *event)
{
    event->accept();
    emit showAllRequested();
}

} // namespace sw
