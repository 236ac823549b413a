#include "printing/PrinterTextMetrics.h"

#include <QFontMetricsF>

namespace sw {

PrinterTextMetrics::PrinterTextMetrics(const QFont &baseFont, QPaintDevice *device)
    : m_base(baseFont), m_device(device)
{
}

QFont PrinterTextMetrics::font(double pointSize) const
{
    QFont f = m_base;
    f.setPointSizeF(pointSize);
    return f;
}

double PrinterTextMetrics::textWidth(const QString &text, double pointSize) const
{
    return QFontMetricsF(font(pointSize), m_device).horizontalAdvance(text);
}

double PrinterTextMetrics::textHeight(const QString &, double pointSize) const
{
    // One line of text, whatever it holds.
    return QFontMetricsF(font(pointSize), m_device).height();
}

} // namespace sw
