#pragma once
// Window geometry is designed in twips: 1440 to the inch, 15 to a pixel at
// 96 dpi. Every conversion goes through here.
//
// The design assumed a narrow 8-point face; the screen scale grows every
// position and size so the texts of the face the system gives fit (the fit
// factor), times the operator's zoom. It is 1 until the main window sets it.

#include <cmath>

namespace sw {

constexpr int kTwipsPerPixel = 15;

// Screen pixels per design pixel, across and down. A face wider than the
// design's needs more room across than down, so the two may differ.
inline double g_screenScaleX = 1.0;
inline double g_screenScaleY = 1.0;

inline void setScreenScale(double across, double down)
{
    g_screenScaleX = across > 0 ? across : 1.0;
    g_screenScaleY = down > 0 ? down : 1.0;
}

// Twips across (positions left, widths) to screen pixels at the current
// scale, rounded to the nearest pixel.
inline int tw(int twips)
{
    return static_cast<int>(std::lround(twips * g_screenScaleX / double(kTwipsPerPixel)));
}

// Twips down (positions top, heights) to screen pixels.
inline int twy(int twips)
{
    return static_cast<int>(std::lround(twips * g_screenScaleY / double(kTwipsPerPixel)));
}

// Screen pixels down to twips.
inline int twipsFromPixels(int px)
{
    return static_cast<int>(std::lround(px * kTwipsPerPixel / g_screenScaleY));
}

} // namespace sw
