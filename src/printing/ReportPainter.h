#pragma once
// Paints laid-out report pages on a paged device (a printer or a PDF
// writer): texts with a transparent background, lines and rectangle outlines
// with the thinnest black pen.

#include "report/ReportItem.h"

#include <QFont>

#include <vector>

class QPagedPaintDevice;

namespace sw {

class ReportPainter
{
public:
    // The report font: the first family SelectPrinterFont picks among the
    // system's fonts, else the application's font.
    static QFont reportFont();

    // False when painting cannot begin on the device (nothing is printed).
    static bool paint(QPagedPaintDevice &device, const QFont &baseFont,
                      const std::vector<ReportPage> &pages);
};

} // namespace sw
