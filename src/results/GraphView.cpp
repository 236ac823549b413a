#include "results/GraphView.h"

#include "analysis/LapAnalysis.h"
#include "graph/Palette.h"
#include "race/ConditionLists.h"
#include "race/NumberText.h"
#include "race/Race.h"
#include "race/Statistics.h"
#include "ui/Twips.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace sw {

namespace {

// Drawing area: left 7920, top 600 twips, 2175 wide and 5895 high.
constexpr int kPictureWidthTwips = 2175;
constexpr int kPictureHeightTwips = 5895;
constexpr Palette kZeroLineColour = Palette::DarkGrey;

QColor paletteQColor(Palette colour)
{
    const PaletteRgb c = paletteColour(colour);
    return QColor(c.r, c.g, c.b);
}

// Clips the segment a-b to the rectangle r (Liang-Barsky). A point far off
// the axis (an empty cell plots at time 0) may lie millions of pixels away;
// the rasteriser is only ever handed the part near the picture, with its
// slope unchanged.
bool clipSegment(QPointF &a, QPointF &b, const QRectF &r)
{
    const double dx = b.x() - a.x();
    const double dy = b.y() - a.y();
    double t0 = 0, t1 = 1;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.x() - r.left(), r.right() - a.x(), a.y() - r.top(), r.bottom() - a.y()};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0)
                return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0)
            t0 = qMax(t0, t);
        else
            t1 = qMin(t1, t);
        if (t0 > t1)
            return false;
    }
    const QPointF a0 = a;
    a = QPointF(a0.x() + t0 * dx, a0.y() + t0 * dy);
    b = QPointF(a0.x() + t1 * dx, a0.y() + t1 * dy);
    return true;
}

} // namespace

GraphView::GraphView(const Race &race, QWidget *parent) : QWidget(parent), m_race(race)
{
    m_quantitySource = [this] { return m_quantityPosition; };
    m_optionSource = [this] { return m_checkedOption; };
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void GraphView::setLapFilter(LapFilter filter)
{
    m_filter = filter;
}

void GraphView::setQuantityPosition(int listPosition)
{
    m_quantityPosition = listPosition;
}

void GraphView::setCheckedOption(int optionIndex)
{
    m_checkedOption = optionIndex;
}

void GraphView::bindControls(QComboBox *quantityList, const std::array<QAbstractButton *, 3> &options,
                             QLabel *leftScaleLabel, QLabel *rightScaleLabel)
{
    if (quantityList)
        m_quantitySource = [quantityList] { return quantityList->currentIndex(); };
    m_optionSource = [options] {
        for (int i = 0; i < 3; ++i)
            if (options[i] && options[i]->isChecked())
                return i;
        return -1;
    };
    m_leftLabel = leftScaleLabel;
    m_rightLabel = rightScaleLabel;
}

QSize GraphView::sizeHint() const
{
    return QSize(tw(kPictureWidthTwips), twy(kPictureHeightTwips));
}

void GraphView::clearPicture()
{
    // The picture has the screen's own pixels (device pixel ratio), so it
    // stays sharp on a high-density screen; drawing uses widget units.
    const qreal dpr = devicePixelRatioF();
    const QSize sz = (size().isEmpty() ? QSize(1, 1) : size()) * dpr;
    if (m_image.size() != sz || m_image.devicePixelRatio() != dpr) {
        m_image = QImage(sz, QImage::Format_RGB32);
        m_image.setDevicePixelRatio(dpr);
    }
    m_image.fill(palette().color(QPalette::Button));
    m_values.clear();
    m_beyond.clear();
    m_message.clear();
    update();
}

double GraphView::pixelX(double seconds) const
{
    const double w = m_scale.width();
    return w > 0 ? (seconds - m_scale.left) / w * m_image.deviceIndependentSize().width() : 0.0;
}

double GraphView::pixelY(double lap) const
{
    const GraphLapScale s = graphLapScale(m_firstLap, m_lastLap);
    return (lap - s.top) / s.height * m_image.deviceIndependentSize().height();
}

void GraphView::drawGraph()
{
    const GraphColumn col = graphColumnForListPosition(m_quantitySource());
    if (!col.valid) {
        clearPicture();
        return;
    }

    m_lastLap = m_race.lastLap();
    m_firstLap = 1;

    // The axis spans the smallest and largest time the statistics show
    // (none: 0).
    const std::vector<bool> counted = countedLaps(m_race, m_filter);
    const ColumnSummary summary = summariseColumn(m_race, col.gridColumn, &counted);
    m_lo = summary.count > 0 ? summary.smallest : 0.0;
    m_hi = summary.count > 0 ? summary.largest : 0.0;

    clearPicture();
    if (m_lastLap < 1)
        return;

    // A filter that leaves every lap out gives no scale to draw on.
    if (m_filter != LapFilter::AllLaps
        && std::none_of(counted.begin() + m_firstLap, counted.begin() + m_lastLap + 1, [](bool c) { return c; })) {
        drawNoLapsCounted();
        return;
    }

    m_scale = graphScale(m_lo, m_hi);
    m_leftText = graphScaleLabel(m_scale.left);
    m_rightText = graphScaleLabel(m_scale.right);
    if (m_leftLabel)
        m_leftLabel->setText(m_leftText);
    if (m_rightLabel)
        m_rightLabel->setText(m_rightText);
    emit scaleLabelsChanged(m_leftText, m_rightText);

    const int w = qRound(m_image.deviceIndependentSize().width());
    const int h = qRound(m_image.deviceIndependentSize().height());
    // Lines are handed to the painter only within a margin around the picture.
    const QRectF clipRect(-w, -h, 3.0 * w, 3.0 * h);

    QPainter p(&m_image);
    p.setRenderHint(QPainter::Antialiasing, false);

    // Dotted zero line over the full height.
    const double x0 = pixelX(0);
    if (x0 >= -1 && x0 <= w + 1) {
        QPen dotted(paletteQColor(kZeroLineColour), 1, Qt::DotLine);
        p.setPen(dotted);
        p.drawLine(QPointF(x0, pixelY(m_firstLap - 1)), QPointF(x0, pixelY(m_lastLap + 1)));
    }

    const GraphColouring colouring = graphColouringFromIndex(m_optionSource());
    const QColor foreground = palette().color(QPalette::ButtonText);
    const double r = pointRadius();
    const int c = col.gridColumn;
    const int selectedLap = m_race.selectedLap();

    m_values.assign(size_t(m_lastLap - m_firstLap + 1), 0.0);
    m_beyond.assign(m_values.size(), 0);
    for (int i = m_firstLap; i <= m_lastLap; ++i) {
        // A lap without a time plots at 0. A lap whose time lies beyond the
        // scale (a lap the filter leaves out, or a time of 0) is drawn at the
        // edge it lies beyond, with an arrow to that edge.
        const std::optional<double> time = shownTime(m_race, i, c);
        const double v = time.value_or(0.0);
        const size_t idx = size_t(i - m_firstLap);
        m_values[idx] = v;
        if (time && pixelX(v) < 0)
            m_beyond[idx] = -1;
        else if (time && pixelX(v) > w)
            m_beyond[idx] = 1;
        const QPointF centre = pointCentre(i);

        // The line to the previous lap covers that lap's circle edge and
        // lies under this lap's circle.
        if (i > m_firstLap) {
            QPointF a = centre;
            QPointF b = pointCentre(i - 1);
            if (clipSegment(a, b, clipRect)) {
                p.setPen(QPen(foreground, 1, Qt::SolidLine));
                p.drawLine(a, b);
            }
        }

        const Conditions lc = m_race.lapConditions(i);
        const Palette colour = graphLapColour(colouring, i == selectedLap, conditionText(Condition::Flag, lc.flag),
                                              conditionText(Condition::Position, lc.position),
                                              conditionText(Condition::Traffic, lc.traffic));

        if (centre.x() >= -r - 1 && centre.x() <= w + r + 1) {
            // Every mark has an outline in the text colour, so a light colour
            // (yellow, white, light green) reads on the light picture; the
            // colour fills the point. A lap the statistics leave out is a
            // ring: the colour between two outlines, hollow inside.
            const QColor qc = paletteQColor(colour);
            const bool leftOut = m_filter != LapFilter::AllLaps && !lapCounts(lc, m_filter);
            p.setPen(QPen(foreground, 1, Qt::SolidLine));
            p.setBrush(leftOut ? QBrush(Qt::NoBrush) : QBrush(qc));
            p.drawEllipse(centre, r, r);
            if (leftOut) {
                p.setPen(QPen(qc, 1, Qt::SolidLine));
                p.drawEllipse(centre, r - 1, r - 1);
                if (r >= 4) {
                    p.setPen(QPen(foreground, 1, Qt::SolidLine));
                    p.drawEllipse(centre, r - 2, r - 2);
                }
            }
        }
        if (m_beyond[idx] != 0)
            drawEdgeArrow(p, m_beyond[idx], centre.y(), foreground);
    }
    p.end();
    update();
}

QPointF GraphView::pointCentre(int lap) const
{
    const int idx = lap - m_firstLap;
    if (lap < m_firstLap || lap > m_lastLap || idx >= int(m_values.size()))
        return QPointF(-1, -1);
    // A point beyond the scale sits inside the edge, clear of its arrow.
    const double inset = 2.5 * pointRadius();
    const double w = m_image.deviceIndependentSize().width();
    const int beyond = idx < int(m_beyond.size()) ? m_beyond[size_t(idx)] : 0;
    const double x = beyond < 0 ? inset : beyond > 0 ? w - inset : pixelX(m_values[size_t(idx)]);
    return QPointF(x, pixelY(lap));
}

bool GraphView::isBeyondScale(int lap) const
{
    const int idx = lap - m_firstLap;
    return idx >= 0 && idx < int(m_beyond.size()) && m_beyond[size_t(idx)] != 0;
}

void GraphView::drawEdgeArrow(QPainter &p, int side, double y, const QColor &colour)
{
    // A filled triangle from the edge towards the point, as tall as the
    // point: the time lies further out than the picture reaches.
    const double r = pointRadius();
    const double w = m_image.deviceIndependentSize().width();
    const double tip = side < 0 ? 0.0 : w - 1;
    const double base = side < 0 ? 1.3 * r : w - 1 - 1.3 * r;
    const QPointF triangle[3] = {QPointF(tip, y), QPointF(base, y - 0.8 * r), QPointF(base, y + 0.8 * r)};
    p.setPen(QPen(colour, 1));
    p.setBrush(colour);
    p.drawPolygon(triangle, 3);
}

void GraphView::drawNoLapsCounted()
{
    m_leftText.clear();
    m_rightText.clear();
    if (m_leftLabel)
        m_leftLabel->clear();
    if (m_rightLabel)
        m_rightLabel->clear();
    emit scaleLabelsChanged(m_leftText, m_rightText);
    m_message = QStringLiteral("No laps counted");
    QPainter p(&m_image);
    p.setPen(palette().color(QPalette::ButtonText));
    p.setFont(font());
    p.drawText(QRectF(QPointF(0, 0), m_image.deviceIndependentSize()), Qt::AlignCenter | Qt::TextWordWrap,
               m_message);
    p.end();
    update();
}

double GraphView::pointRadius() const
{
    // 0.02 of the scale width, measured in horizontal units.
    return 0.02 * m_image.deviceIndependentSize().width();
}

void GraphView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    if (m_image.deviceIndependentSize().toSize() != size())
        p.fillRect(rect(), palette().color(QPalette::Button));
    p.drawImage(0, 0, m_image);
}

void GraphView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // Only a finished race has a graph to show; otherwise just fit the image.
    if (m_race.state() == RaceState::Finished)
        drawGraph();
    else
        clearPicture();
}

void GraphView::mousePressEvent(QMouseEvent *event)
{
    // With no lap drawn there is nothing to pick (a click would otherwise
    // select the heading row).
    if (m_lastLap < 1)
        return;
    const double y = graphClickY(event->position().y(), height(), m_firstLap, m_lastLap);
    emit lapClicked(qBound(m_firstLap, graphClickRow(y), m_lastLap));
}

} // namespace sw
