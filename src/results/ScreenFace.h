#pragma once
// The two faces of the main window: the timing face while a race is set up,
// armed or timed (clocks, current lap and conditions, a tall grid) and the
// editing face once it is finished (statistics, graph, editing buttons). It
// follows the race's state and number of segments, and writes the status
// line; it never changes the race.

#include <QObject>

class QMainWindow;

namespace sw {

class Race;
struct MainWindowControls;

class ScreenFace : public QObject
{
    Q_OBJECT
public:
    ScreenFace(const Race &race, MainWindowControls &ui, QMainWindow &window);

    // Applies the face of the race as it stands.
    void show();
    // The status line's text of the state (after a note of the moment).
    void showStatus();

signals:
    // The face placed its controls at their designed places again (and the
    // designed height of the window may have changed).
    void laidOut();

private:
    const Race &m_race;
    MainWindowControls &m_ui;
    QMainWindow &m_window;
};

} // namespace sw
