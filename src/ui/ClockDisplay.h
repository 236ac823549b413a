#pragma once
// A running clock's figures (segment, lap and race clock): a label that
// paints its text from images of single characters made once per font and
// colour, on an opaque sunken panel.
//
// Redrawn 20 times a second during a race; a plain label shapes its text
// anew at every paint and has the window paint what lies beneath it first.
// Text, font, alignment (right and centred down) and frame are a label's,
// so everything that reads or sizes a label reads and sizes this one.

#include <QHash>
#include <QLabel>
#include <QPixmap>

namespace sw {

class ClockDisplay : public QLabel
{
    Q_OBJECT
public:
    explicit ClockDisplay(const QString &text, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    struct Glyph
    {
        QPixmap image; // the character drawn at (pad, ascent), pad to each side for overhangs
        int advance = 0;
    };
    const Glyph &glyph(QChar c);

    QHash<QChar, Glyph> m_glyphs;
    qreal m_glyphRatio = 0; // device pixel ratio the images were made for
    int m_pad = 0;
};

} // namespace sw
