#pragma once
// SetScreenMode: brings the main window into the face that fits the race
// state (timing face or editing face) and writes the status line.

namespace sw {

class FrmHead;

class ScreenModes
{
public:
    explicit ScreenModes(FrmHead &w) : m_w(w) {}
    void SetScreenMode();

private:
    FrmHead &m_w;
};

} // namespace sw
