#pragma once
// The size of the main window: its designed layout grows until every text of
// the system's font fits (the fit factor, measured once at load), then by the
// operator's zoom (View > Zoom In, Zoom Out, Actual Size: 100 to 200 % in
// steps of 25), never beyond what the screen can show. That is the smallest
// size of the window; made larger (dragged or maximised), the extra height
// goes to the results grid and the graph, the extra width half to the grid's
// columns and half to the column beside it. The zoom, the window's position
// and its size are remembered between runs when settings are given.

#include <QList>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <memory>

class QSettings;

namespace sw {

class MainWindow;

// Where a window whose frame is `frame` goes so that its title bar and most
// of it lie on a screen (screens: their available areas). Unchanged when
// they do (on one screen: the whole height of the top 30 pixels over at
// least half the width, and three quarters of the area); otherwise moved the
// least distance into the screen it overlaps most (the first when it
// overlaps none), its top-left corner on that screen when it is larger.
// Wholly: only a window wholly on one screen stays where it is.
QPoint placedOnScreens(const QRect &frame, const QList<QRect> &screens, bool wholly = false);

class WindowZoom : public QObject
{
    Q_OBJECT
public:
    static constexpr int kMinZoom = 100, kMaxZoom = 200, kZoomStep = 25;

    explicit WindowZoom(MainWindow &w);
    ~WindowZoom() override;

    // Measures the fit factor with the window's font and applies the zoom.
    void fitToFont();

    int zoomPercent() const { return m_zoom; }
    double fitFactor() const { return m_fit; }
    // Sets the zoom (rounded down to a step, within 100..200), stopping at
    // the largest step whose window fits the screen; returns the zoom set.
    int setZoomPercent(int percent);
    void zoomIn() { setZoomPercent(m_zoom + kZoomStep); }
    void zoomOut() { setZoomPercent(m_zoom - kZoomStep); }
    void actualSize() { setZoomPercent(kMinZoom); }

    // Lays the window out again at the current scale (after a face change).
    void apply();
    // After a face placed its controls at the current scale: the window
    // takes the face's designed size plus what the operator added.
    void fitFace();
    // The window's size at the current face, fit and zoom: its smallest.
    QSize designedSize() const;
    // Spreads the room beyond the designed size over the grid and graph
    // (after every resize of the window).
    void stretch();

    // The screen size the window must fit, a screen at (0, 0); by default
    // its own screen's available area (and every screen for its place).
    void setScreenSize(const QSize &size) { m_screenSize = size; }

    // Reads the zoom and position from settings and writes them back on every
    // change from then on. Without it nothing is read or written (tests).
    void useSettings(std::unique_ptr<QSettings> settings);
    void rememberPosition();
    // After the window was resized: lays it out and remembers the size.
    void resized();
    // Moves the window onto a screen when it lies (almost) off every one;
    // wholly onto one when wholly is set (after a zoom).
    void keepOnScreen(bool wholly);

private:
    QList<QRect> screens() const;
    bool fitsScreen(int zoom) const;
    void save();

    MainWindow &m_w;
    double m_fit = 1.0;     // across
    double m_fitDown = 1.0; // down
    int m_zoom = kMinZoom;
    std::unique_ptr<QSettings> m_settings;
    QSize m_screenSize;
    // What the operator added to the designed size; kept across zooms and
    // faces.
    QSize m_extra{0, 0};
    bool m_applying = false;
};

} // namespace sw
