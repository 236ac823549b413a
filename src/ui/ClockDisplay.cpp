#include "ui/ClockDisplay.h"

#include <QEvent>
#include <QPainter>

namespace sw {

ClockDisplay::ClockDisplay(const QString &text, QWidget *parent) : QLabel(text, parent)
{
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    // Every pixel is painted here: nothing beneath needs painting first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

const ClockDisplay::Glyph &ClockDisplay::glyph(QChar c)
{
    const qreal ratio = devicePixelRatioF();
    if (ratio != m_glyphRatio) {
        m_glyphs.clear();
        m_glyphRatio = ratio;
    }
    auto it = m_glyphs.find(c);
    if (it != m_glyphs.end())
        return *it;
    const QFontMetrics fm(font());
    m_pad = fm.height() / 4;
    Glyph g;
    g.advance = fm.horizontalAdvance(c);
    g.image = QPixmap(QSize(g.advance + 2 * m_pad, fm.height()) * ratio);
    g.image.setDevicePixelRatio(ratio);
    g.image.fill(Qt::transparent);
    QPainter p(&g.image);
    p.setFont(font());
    p.setPen(palette().color(foregroundRole()));
    p.drawText(m_pad, fm.ascent(), QString(c));
    return *m_glyphs.insert(c, g);
}

void ClockDisplay::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), palette().brush(backgroundRole()));
    drawFrame(&p);
    // Placed as a label places right-aligned text: inside the margin, an
    // indent of half an "x" from a frame, centred down.
    const QFontMetrics fm(font());
    const QRect room = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    const int indentBy = indent() >= 0 ? indent() : (frameWidth() > 0 ? fm.horizontalAdvance(QLatin1Char('x')) / 2 : 0);
    const QString shown = text();
    int width = 0;
    for (QChar c : shown)
        width += glyph(c).advance;
    int x = room.right() + 1 - indentBy - width;
    const int y = room.top() + (room.height() - fm.height()) / 2;
    p.setClipRect(room);
    for (QChar c : shown) {
        const Glyph &g = glyph(c);
        p.drawPixmap(x - m_pad, y, g.image);
        x += g.advance;
    }
}

void ClockDisplay::changeEvent(QEvent *event)
{
    const QEvent::Type t = event->type();
    if (t == QEvent::FontChange || t == QEvent::PaletteChange || t == QEvent::StyleChange)
        m_glyphs.clear();
    QLabel::changeEvent(event);
}

} // namespace sw
