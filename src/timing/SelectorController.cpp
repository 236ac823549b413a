#include "timing/SelectorController.h"

#include "state/AppState.h"
#include "ui/MainWindowBase.h"
#include "ui/Geometry.h"

namespace sw {

int SelectorController::keyOfButton(int index)
{
    static const int keys[6] = {117, 118, 119, 120, 115, 116};
    return index >= 0 && index < 6 ? keys[index] : 0;
}

void SelectorController::onArrowButton(int index)
{
    m_w.handleTimingKey(keyOfButton(index));
    // The focus goes straight back to the hidden field, so the next F2 is
    // taken at once.
    m_w.ui.timingFocusHolder->setFocus(Qt::OtherFocusReason);
}

void SelectorController::moveConditionSelector(int keyCode)
{
    auto &ui = m_w.ui;
    RaceRecord &r = m_w.state().rec;
    if (ui.flagDisplay->isHidden())
        return; // editing face: the arrow keys pick nothing
    if (keyCode == 37) {
        r.SelectorPos = static_cast<qint16>(r.SelectorPos - 1 < 0 ? 0 : r.SelectorPos - 1);
    } else if (keyCode == 39) {
        r.SelectorPos = static_cast<qint16>(r.SelectorPos + 1 >= 3 ? 2 : r.SelectorPos + 1);
    }
    const auto captions = ui.conditionCaptions();
    for (int i = 0; i < 3; ++i)
        setForeColour(captions[i], i == r.SelectorPos ? Palette::LightBlue : Palette::Black);
    // Up and down buttons of flag, position and traffic.
    static const int upButton[3] = {4, 0, 2};
    static const int downButton[3] = {5, 1, 3};
    if (keyCode == 38)
        onArrowButton(upButton[r.SelectorPos]);
    else if (keyCode == 40)
        onArrowButton(downButton[r.SelectorPos]);
}

} // namespace sw
