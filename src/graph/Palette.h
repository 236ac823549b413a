#pragma once
// The standard 16-colour palette. The program names its colours from it
// (Green and Yellow for the flag, LightBlue for the picked condition,
// LightMagenta for the selected lap in the graph).

#include <array>

namespace sw {

struct PaletteRgb
{
    int r, g, b;
};

constexpr std::array<PaletteRgb, 16> kPalette16{{
    {0, 0, 0},       // 0 black
    {0, 0, 128},     // 1 blue
    {0, 128, 0},     // 2 green
    {0, 128, 128},   // 3 cyan
    {128, 0, 0},     // 4 red
    {128, 0, 128},   // 5 magenta
    {128, 128, 0},   // 6 brown
    {192, 192, 192}, // 7 light grey
    {128, 128, 128}, // 8 dark grey
    {0, 0, 255},     // 9 light blue
    {0, 255, 0},     // 10 light green
    {0, 255, 255},   // 11 light cyan
    {255, 0, 0},     // 12 light red
    {255, 0, 255},   // 13 light magenta
    {255, 255, 0},   // 14 yellow
    {255, 255, 255}, // 15 white
}};

// The colours of kPalette16 by name; the value is the table index.
enum class Palette : int {
    Black, Blue, Green, Cyan, Red, Magenta, Brown, LightGrey,
    DarkGrey, LightBlue, LightGreen, LightCyan, LightRed, LightMagenta, Yellow, White,
};

constexpr PaletteRgb paletteColour(Palette colour)
{
    return kPalette16[static_cast<unsigned>(colour) & 15u];
}

} // namespace sw
