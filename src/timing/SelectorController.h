#pragma once
// The three condition selectors (flag, position, traffic): Left/Right pick
// one (SelectorPos, highlighted in light blue), Up/Down step the picked one,
// and the six arrow buttons step a given one directly.

namespace sw {

class FrmHead;

class SelectorController
{
public:
    explicit SelectorController(FrmHead &w) : m_w(w) {}

    void UpdateCurrentArrowKeyPosition(int keyCode);
    void Command1_Click(int index);

    // Function key of each arrow button: F6, F7, F8, F9, F4, F5.
    static int keyOfButton(int index);

private:
    FrmHead &m_w;
};

} // namespace sw
