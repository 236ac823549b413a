#include "charts/SummaryLine.h"

#include <QPainter>

#include <algorithm>

namespace sw {

SummaryLine::SummaryLine(const QString &sample, QWidget *parent)
    : QWidget(parent), m_width(fontMetrics().horizontalAdvance(sample))
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
}

void SummaryLine::setText(const QString &text)
{
    if (text == m_text)
        return;
    m_text = text;
    const int needed = fontMetrics().horizontalAdvance(text);
    if (needed > m_width) {
        m_width = needed;
        updateGeometry();
    }
    update();
}

QSize SummaryLine::sizeHint() const
{
    return {m_width, fontMetrics().height()};
}

void SummaryLine::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter, m_text);
}

} // namespace sw
