#include "printing/ReportPainter.h"

#include "printing/PrinterTextMetrics.h"
#include "report/ReportTexts.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPagedPaintDevice>
#include <QPainter>

namespace sw {

QFont ReportPainter::reportFont()
{
    QFont f = QGuiApplication::font();
    if (const std::optional<QString> family = SelectPrinterFont(QFontDatabase::families()))
        f.setFamily(*family);
    return f;
}

bool ReportPainter::paint(QPagedPaintDevice &device, const QFont &baseFont,
                          const std::vector<ReportPage> &pages)
{
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    const PrinterTextMetrics metrics(baseFont, &device);
    painter.setBackgroundMode(Qt::TransparentMode);
    painter.setBrush(Qt::NoBrush);

    bool first = true;
    for (const ReportPage &page : pages) {
        if (!first)
            device.newPage();
        first = false;
        for (const ReportItem &it : page) {
            switch (it.kind) {
            case ReportItem::Text: {
                const QFont f = metrics.font(it.pointSize);
                painter.setFont(f);
                painter.setPen(Qt::black);
                // Items give the top-left corner; drawText wants the baseline.
                const double ascent = QFontMetricsF(f, &device).ascent();
                painter.drawText(QPointF(it.x1, it.y1 + ascent), it.text);
                break;
            }
            case ReportItem::Line:
                painter.setPen(QPen(Qt::black, 0));
                painter.drawLine(QPointF(it.x1, it.y1), QPointF(it.x2, it.y2));
                break;
            case ReportItem::Rect:
                painter.setPen(QPen(Qt::black, 0));
                painter.drawRect(QRectF(QPointF(it.x1, it.y1), QPointF(it.x2, it.y2)).normalized());
                break;
            }
        }
    }
    return painter.end();
}

} // namespace sw
