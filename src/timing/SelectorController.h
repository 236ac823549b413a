#pragma once
// The three condition selectors (flag, position, traffic): Left/Right pick
// one (SelectorPos, highlighted in light blue), Up/Down step the picked one,
// and the six arrow buttons step a given one directly.

namespace sw {

class MainWindowBase;

class SelectorController
{
public:
    explicit SelectorController(MainWindowBase &w) : m_w(w) {}

    void moveConditionSelector(int keyCode);
    void onArrowButton(int index);

    // Function key of each arrow button: F6, F7, F8, F9, F4, F5.
    static int keyOfButton(int index);

private:
    MainWindowBase &m_w;
};

} // namespace sw
