#pragma once
// Text measurement for the report layout, in the units of the device the
// report is printed on. The layout itself never sees a font or a device; the
// printing side answers these questions with the printer's font metrics, and
// tests answer them with fixed numbers.

#include <QString>

namespace sw {

class TextMetrics
{
public:
    virtual ~TextMetrics() = default;

    // Advance width of the text in the report font at the given point size.
    virtual double textWidth(const QString &text, double pointSize) const = 0;

    // Height of one printed line of the text at the given point size: the
    // amount "print and end the line" moves the current y down.
    virtual double textHeight(const QString &text, double pointSize) const = 0;
};

} // namespace sw
