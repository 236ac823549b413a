#pragma once
// One line of text beside the stint table that changes with every lap.
//
// A QLabel asks its layout to lay everything out again at every new text
// (measuring the text on the way), and the strip it sits in is painted twice
// when its width changes. This line keeps the room it has and only repaints
// itself; it asks for more room only when a text no longer fits.

#include <QString>
#include <QWidget>

namespace sw {

class SummaryLine : public QWidget
{
public:
    // sample: a text as long as the longest usual one, for the room asked.
    explicit SummaryLine(const QString &sample, QWidget *parent = nullptr);

    void setText(const QString &text);
    const QString &text() const { return m_text; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_text;
    int m_width = 0; // room asked for, in pixels
};

} // namespace sw
