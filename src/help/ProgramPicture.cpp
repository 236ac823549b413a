#include "help/ProgramPicture.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>

namespace sw {

namespace {

// Drawn on a 100 x 100 canvas and scaled to the requested size.
void drawStopwatch(QPainter &p)
{
    const QPointF centre(44, 56);
    const double r = 34;

    // Crown and side button.
    p.setPen(QPen(QColor(40, 40, 40), 1.5));
    p.setBrush(QColor(170, 170, 180));
    p.drawRoundedRect(QRectF(38, 10, 12, 8), 2, 2);
    p.drawRect(QRectF(41, 17, 6, 6));
    p.save();
    p.translate(centre);
    p.rotate(45);
    p.drawRoundedRect(QRectF(-4, -r - 8, 8, 9), 2, 2);
    p.restore();

    // Case and face.
    QRadialGradient rim(centre, r + 4, centre - QPointF(10, 10));
    rim.setColorAt(0, QColor(235, 235, 240));
    rim.setColorAt(1, QColor(120, 120, 130));
    p.setBrush(rim);
    p.setPen(QPen(QColor(30, 30, 30), 2));
    p.drawEllipse(centre, r + 4, r + 4);
    p.setBrush(QColor(255, 255, 248));
    p.setPen(QPen(QColor(60, 60, 60), 1));
    p.drawEllipse(centre, r - 2, r - 2);

    // Sixty marks, every fifth one long.
    for (int i = 0; i < 60; ++i) {
        const double a = i * 6.0 * M_PI / 180.0;
        const double outer = r - 4;
        const double inner = (i % 5 == 0) ? r - 11 : r - 7;
        p.setPen(QPen(QColor(20, 20, 20), i % 5 == 0 ? 2.0 : 0.8));
        p.drawLine(QPointF(centre.x() + inner * std::sin(a), centre.y() - inner * std::cos(a)),
                   QPointF(centre.x() + outer * std::sin(a), centre.y() - outer * std::cos(a)));
    }

    // Hands: the seconds hand red, stopped at about twelve seconds.
    p.setPen(QPen(QColor(20, 20, 20), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(centre, centre + QPointF(-12, -10));
    const double a = 72.0 * M_PI / 180.0;
    p.setPen(QPen(QColor(200, 20, 20), 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(centre - QPointF(6 * std::sin(a), -6 * std::cos(a)),
               centre + QPointF((r - 6) * std::sin(a), -(r - 6) * std::cos(a)));
    p.setBrush(QColor(200, 20, 20));
    p.setPen(Qt::NoPen);
    p.drawEllipse(centre, 2.5, 2.5);
}

void drawChequeredFlag(QPainter &p)
{
    // Pole.
    p.setPen(QPen(QColor(90, 60, 30), 2.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(66, 44), QPointF(84, 97));

    // A waving cloth of 4 x 3 squares, bent by a sine along its length.
    const int cols = 5, rows = 4;
    const QPointF origin(66, 44);
    const double cw = 5.5, ch = 5.0;
    auto at = [&](double u, double v) {
        const double wave = 2.5 * std::sin(u / cols * 2 * M_PI);
        // The cloth leans back along the pole.
        return origin + QPointF(u * cw + v * 1.7, v * ch - u * 2.2 + wave);
    };
    for (int i = 0; i < cols; ++i)
        for (int j = 0; j < rows; ++j) {
            QPainterPath sq;
            sq.moveTo(at(i, j));
            sq.lineTo(at(i + 1, j));
            sq.lineTo(at(i + 1, j + 1));
            sq.lineTo(at(i, j + 1));
            sq.closeSubpath();
            p.fillPath(sq, (i + j) % 2 ? QColor(250, 250, 250) : QColor(15, 15, 15));
        }
    QPainterPath outline;
    outline.moveTo(at(0, 0));
    for (int i = 1; i <= cols; ++i)
        outline.lineTo(at(i, 0));
    for (int j = 1; j <= rows; ++j)
        outline.lineTo(at(cols, j));
    for (int i = cols - 1; i >= 0; --i)
        outline.lineTo(at(i, rows));
    outline.closeSubpath();
    p.setPen(QPen(QColor(15, 15, 15), 0.8));
    p.setBrush(Qt::NoBrush);
    p.drawPath(outline);
}

} // namespace

QPixmap programPicture(const QSize &size, qreal devicePixelRatio)
{
    if (size.isEmpty())
        return QPixmap();
    // Drawn at the screen's own pixel density so it stays sharp; the painter
    // works in the picture's logical size.
    QPixmap pm(size * devicePixelRatio);
    pm.setDevicePixelRatio(devicePixelRatio);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const double side = std::min(size.width(), size.height());
    p.translate((size.width() - side) / 2.0, (size.height() - side) / 2.0);
    p.scale(side / 100.0, side / 100.0);
    drawStopwatch(p);
    drawChequeredFlag(p);
    p.end();
    return pm;
}

} // namespace sw
