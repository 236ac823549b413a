#pragma once
// What each race state makes of the main window: the status line text, the
// results grid height and the window height (twips). The window applies it.

#include "race/Race.h"

#include <QString>

namespace sw {

struct FaceLayout
{
    bool finished = false;
    bool known = false; // false: an unknown state leaves the layout alone
    int gridHeight = 0;
    int windowHeight = 0;
    QString status;
};

// frameTop and frameHeight are the "All Recorded Times" frame's, in twips.
FaceLayout screenFaceFor(RaceState raceState, bool ravelinMode, int frameTop, int frameHeight);

} // namespace sw
