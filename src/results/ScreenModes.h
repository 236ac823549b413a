#pragma once
// showScreenMode: brings the main window into the face that fits the race
// state (timing face or editing face) and writes the status line.

namespace sw {

class MainWindowBase;

class ScreenModes
{
public:
    explicit ScreenModes(MainWindowBase &w) : m_w(w) {}
    void showScreenMode();

private:
    MainWindowBase &m_w;
};

} // namespace sw
