#pragma once
// The size of the main window: its designed layout grows until every text of
// the system's font fits (the fit factor, measured once at load), then by the
// operator's zoom (View > Zoom In, Zoom Out, Actual Size: 100 to 200 % in
// steps of 25), never beyond what the screen can show. The zoom and the
// window's position are remembered between runs when settings are given.

#include <QObject>
#include <QPoint>
#include <QSize>

#include <memory>

class QSettings;

namespace sw {

class MainWindow;

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

    // The screen size the window must fit; by default its own screen's
    // available area.
    void setScreenSize(const QSize &size) { m_screenSize = size; }

    // Reads the zoom and position from settings and writes them back on every
    // change from then on. Without it nothing is read or written (tests).
    void useSettings(std::unique_ptr<QSettings> settings);
    void rememberPosition();

private:
    bool fitsScreen(int zoom) const;
    void save();

    MainWindow &m_w;
    double m_fit = 1.0;     // across
    double m_fitDown = 1.0; // down
    int m_zoom = kMinZoom;
    std::unique_ptr<QSettings> m_settings;
    QSize m_screenSize;
};

} // namespace sw
