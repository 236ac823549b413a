#pragma once
// Window geometry is designed in twips: 1440 to the inch, 15 to a pixel at
// 96 dpi. Every conversion goes through here.

#include <cmath>

namespace sw {

constexpr int kTwipsPerPixel = 15;

// Twips to screen pixels at 96 dpi, rounded to the nearest pixel.
inline int tw(int twips)
{
    return static_cast<int>(std::lround(twips / double(kTwipsPerPixel)));
}

inline int twipsFromPixels(int px)
{
    return px * kTwipsPerPixel;
}

} // namespace sw
