#pragma once
// One drawing step of a printed report page, in device units measured from
// the top-left corner of the printable area.

#include <QString>

#include <vector>

namespace sw {

struct ReportItem
{
    enum Kind { Text, Line, Rect };

    Kind kind = Text;
    // Text: top-left corner at (x1, y1). Line and Rect: from (x1, y1) to
    // (x2, y2); rectangles are outlines.
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    QString text;
    double pointSize = 0;
};

using ReportPage = std::vector<ReportItem>;

} // namespace sw
