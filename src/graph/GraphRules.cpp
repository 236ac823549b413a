#include "graph/GraphRules.h"

#include "race/NumberText.h"

#include <QStringList>

#include <cmath>

namespace sw {

namespace {

// Statistics texts hold at most five integer digits; anything far beyond is
// not a race time and is held back so the arithmetic below stays exact.
constexpr double kMaxAxisSeconds = 1e12;

// Whole thousandths of a time as the statistics table shows it.
qint64 thousandths(double v)
{
    if (!std::isfinite(v))
        return 0;
    if (v > kMaxAxisSeconds)
        v = kMaxAxisSeconds;
    if (v < -kMaxAxisSeconds)
        v = -kMaxAxisSeconds;
    return std::llround(v * 1000.0);
}

qint64 floorDiv(qint64 a, qint64 b)
{
    qint64 q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0)))
        --q;
    return q;
}

} // namespace

GraphColouring graphColouringFromIndex(int checkedOption)
{
    switch (checkedOption) {
    case 0:
        return GraphColouring::Flag;
    case 1:
        return GraphColouring::Position;
    case 2:
        return GraphColouring::Traffic;
    default:
        return GraphColouring::None;
    }
}

GraphColumn graphColumnForListPosition(int listPosition)
{
    if (listPosition == 0)
        return {true, 4, 5};
    if (listPosition >= 1 && listPosition <= 4)
        return {true, listPosition - 1, listPosition};
    return {false, 0, 0};
}

QStringList graphQuantityItems(int numSegs)
{
    QStringList items{QStringLiteral("Whole Laps")};
    for (int i = 1; i <= numSegs; ++i)
        items << QStringLiteral("Segment ") + QString::number(i);
    return items;
}

GraphScale graphScale(double lo, double hi)
{
    // In tenths of a second, so that "a whole tenth" is decided exactly:
    // left = Int(lo * 10), right = Int(hi * 10 + 1).
    qint64 leftTenths = floorDiv(thousandths(lo), 100);
    const qint64 rightTenths = floorDiv(thousandths(hi), 100) + 1;
    if (leftTenths > rightTenths - 10)
        leftTenths = rightTenths - 10;
    return {leftTenths / 10.0, rightTenths / 10.0};
}

QString graphScaleLabel(double v)
{
    return plainNumber(v).trimmed();
}

Palette graphLapColour(GraphColouring colouring, bool selected, const QString &flag,
                       const QString &position, const QString &traffic)
{
    if (selected)
        return Palette::LightMagenta;
    switch (colouring) {
    case GraphColouring::Position: {
        // The position modulo 14 is the colour, except that 7 (light grey)
        // would vanish on the button face and 13 (light magenta) marks the
        // selected lap: those draw yellow and white.
        double r = std::fmod(val(position), 14.0);
        if (r < 0)
            r += 14.0;
        if (r == 7)
            return Palette::Yellow;
        if (r == 13)
            return Palette::White;
        return static_cast<Palette>(int(roundHalfEven(r)) & 15);
    }
    case GraphColouring::Traffic:
        if (traffic.startsWith(QLatin1Char('I')))
            return Palette::Red;
        if (traffic.startsWith(QLatin1Char('H')))
            return Palette::LightRed;
        return Palette::Blue;
    case GraphColouring::Flag:
    case GraphColouring::None:
        break;
    }
    return flag.startsWith(QLatin1Char('G')) ? Palette::Green : Palette::Yellow;
}

GraphLapScale graphLapScale(int firstLap, int lastLap)
{
    return {firstLap - 0.5, double(lastLap - firstLap + 1)};
}

double graphClickY(double pixelY, int pixelHeight, int firstLap, int lastLap)
{
    const GraphLapScale s = graphLapScale(firstLap, lastLap);
    if (pixelHeight <= 0)
        return s.top;
    return s.top + pixelY * s.height / pixelHeight;
}

int graphClickRow(double y)
{
    return int(std::floor(y + 0.5));
}

int graphClickTopRow(int row, int currentTopRow)
{
    int top = currentTopRow;
    if (row >= 7)
        top = qMin(row - 5, 230);
    if (row < top)
        top = row;
    return top;
}

} // namespace sw
