#pragma once
// The analysis chart's view: zoom with the mouse wheel (about the mouse) and
// a dragged rectangle, a double-click to show everything (Escape is the
// window's), a tool tip for the point under the mouse, and a click on a
// point reported as a race and lap. What lies under the mouse is asked of
// the window through pointAt, which knows the plotted laps.

#include <QChartView>

#include <functional>
#include <optional>

class QRubberBand;

namespace sw {

struct ChartHit
{
    int race = 0; // 0: the live race, then the added races in order
    int lap = 0;
};

class AnalysisChartView : public QChartView
{
    Q_OBJECT
public:
    explicit AnalysisChartView(QChart *chart, QWidget *parent = nullptr);

    // The point within a few pixels of a viewport position, if any.
    std::function<std::optional<ChartHit>(const QPointF &)> pointAt;
    // The tool tip of a point.
    std::function<QString(const ChartHit &)> describe;

    // A chart point in viewport pixels, for a series attached to the chart.
    QPointF viewportPosition(const QPointF &value, QAbstractSeries *series) const;

    // Whether the user zoomed since everything was last shown.
    bool isZoomed() const { return m_zoomed; }
    void setZoomed(bool zoomed) { m_zoomed = zoomed; }
    void zoomAbout(const QPointF &viewportPos, double factor);

signals:
    void pointClicked(int race, int lap);
    void showAllRequested();

protected:
    void wheelEvent(QWheelEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    QRubberBand *m_band = nullptr;
    QPoint m_pressAt;
    bool m_pressed = false;
    bool m_zoomed = false;
};

} // namespace sw
