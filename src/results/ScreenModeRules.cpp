#include "results/ScreenModeRules.h"

#include "race/Race.h"

namespace sw {

FaceLayout screenFaceFor(RaceState raceState, bool ravelinMode, int frameTop, int frameHeight)
{
    FaceLayout f;
    f.known = true;
    f.gridHeight = 4215;
    f.windowHeight = 8250;
    switch (raceState) {
    case RaceState::Setup:
        f.status = ravelinMode
            ? QStringLiteral("Status: Program called from Ravelin.  Only Editting, Opening, Saving, "
                             "and Returning to Ravelin options allowed.")
            : QStringLiteral("Status: Starting a New Race.  Set the starting Position and other "
                             "settings above.  Then press <F12> to allow recording times by pressing "
                             "the <F2> key.  Change # Segments by clicking on Options.");
        break;
    case RaceState::Armed:
        f.status = QStringLiteral("Status: Before start of Race.  Press <F2> key to start timing the "
                                  "1st segment.");
        break;
    case RaceState::Running:
        f.status = QStringLiteral("Status: Recording times during Race.  Press <F2> key to record each "
                                  "segment.  If you made a mistake pressing F2, these can be fixed "
                                  "after the race.");
        break;
    case RaceState::Finished:
        f.finished = true;
        f.gridHeight = 3135;
        f.windowHeight = frameTop + frameHeight + 1000;
        f.status = QStringLiteral("Status: Race has finished.  You can edit results by clicking on "
                                  "'Lap #'.  Insert and Delete correct problems with missing or too "
                                  "many times recorded.");
        break;
    default:
        f.known = false;
        break;
    }
    return f;
}

} // namespace sw
