#pragma once
// The graph of one results column over the laps (graphArea): one point per
// lap from lap 1 at the top to the last lap at the bottom, time growing to
// the right, points joined lap to lap and coloured by a condition of the lap.
//
// The picture lives in an off-screen image that every drawGraph() rebuilds in
// full from the race: each lap's time as the grid shows it, the smallest and
// largest time of the laps the statistics count, the selected lap, the
// position of the quantity list and the checked colouring option. Painting
// only copies the image, so covering and uncovering the window never loses
// the drawing. The graph never changes the race; a click asks for the lap at
// that height to be selected.

#include "analysis/LapFilter.h"
#include "graph/GraphRules.h"

#include <QImage>
#include <QPointF>
#include <QString>
#include <QWidget>

#include <array>
#include <functional>
#include <vector>

class QAbstractButton;
class QComboBox;
class QLabel;
class QColor;
class QPainter;

namespace sw {

class Race;

class GraphView : public QWidget
{
    Q_OBJECT
public:
    GraphView(const Race &race, QWidget *parent = nullptr);

    // The laps the statistics count: the others are drawn as rings, and the
    // time axis spans the counted laps' times (a lap beyond them is drawn at
    // the edge with an arrow). With no lap counted the picture says so.
    void setLapFilter(LapFilter filter);

    // Where drawGraph() finds its two choices. By default it uses the values set
    // with setQuantityPosition() and setCheckedOption(); bindControls() makes
    // it read the main window's controls instead and write the two scale
    // labels (any of the pointers may be null).
    void setQuantityPosition(int listPosition); // -1: no selection
    void setCheckedOption(int optionIndex);     // -1: none checked
    void bindControls(QComboBox *quantityList, const std::array<QAbstractButton *, 3> &options,
                      QLabel *leftScaleLabel, QLabel *rightScaleLabel);

    // Redraws the whole graph.
    void drawGraph();

    // State of the last drawing.
    int GraphFirstLap() const { return m_firstLap; }
    int GraphLastLap() const { return m_lastLap; }
    GraphScale scale() const { return m_scale; }
    QString leftScaleText() const { return m_leftText; }
    QString rightScaleText() const { return m_rightText; }
    const QImage &picture() const { return m_image; }

    // Pixel centre and radius of a lap's point in the last drawing (for the
    // screen print and tests); a lap that was not drawn gives (-1, -1).
    QPointF pointCentre(int lap) const;
    // Whether the lap's time lay beyond the scale, so that its point was
    // drawn at the edge with an arrow.
    bool isBeyondScale(int lap) const;
    // What the picture says instead of a graph ("No laps counted"), or empty.
    QString message() const { return m_message; }
    double pointRadius() const;

    QSize sizeHint() const override;

signals:
    // A click at the height of this lap.
    void lapClicked(int lap);
    void scaleLabelsChanged(const QString &left, const QString &right);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    void clearPicture();
    double pixelX(double seconds) const;
    double pixelY(double lap) const;
    void drawEdgeArrow(QPainter &p, int side, double y, const QColor &colour);
    void drawNoLapsCounted();

    const Race &m_race;
    LapFilter m_filter = LapFilter::AllLaps;

    int m_quantityPosition = -1;
    int m_checkedOption = -1;
    std::function<int()> m_quantitySource;
    std::function<int()> m_optionSource;
    QLabel *m_leftLabel = nullptr;
    QLabel *m_rightLabel = nullptr;

    QImage m_image;
    int m_firstLap = 0;
    int m_lastLap = 0;
    double m_lo = 0;
    double m_hi = 0;
    GraphScale m_scale{0, 0};
    QString m_leftText;
    QString m_rightText;
    std::vector<double> m_values; // time of lap m_firstLap + i in the last drawing
    std::vector<signed char> m_beyond; // -1 left of the scale, 1 right of it, 0 on it
    QString m_message;
};

} // namespace sw
