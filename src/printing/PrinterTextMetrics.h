#pragma once
// Text measurement on a real paint device (a printer or a PDF writer), in its
// device units, for one font family.

#include "report/TextMetrics.h"

#include <QFont>

class QPaintDevice;

namespace sw {

class PrinterTextMetrics : public TextMetrics
{
public:
    PrinterTextMetrics(const QFont &baseFont, QPaintDevice *device);

    double textWidth(const QString &text, double pointSize) const override;
    double textHeight(const QString &text, double pointSize) const override;

    // The base font at the given point size.
    QFont font(double pointSize) const;

private:
    QFont m_base;
    QPaintDevice *m_device;
};

} // namespace sw
