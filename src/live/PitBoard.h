#pragma once
// The pit board: a borderless window filling the screen it is on, for a
// second monitor or a television on the pit wall. Light figures on black,
// each text at least 4.5:1 against it: the lap now run and the race clock
// along the top, the delta to best in its colour as the main figure (its
// digits at least a fifth of the screen high), the last lap and the best lap
// below. It is written from the live figures at every press and takes the
// race clock's text (whole seconds) after every drawing of the clocks; it never changes the
// race. Escape closes it; every other key is the main window's (see
// MainWindow::eventFilter).

#include <QWidget>

#include <memory>

class QLabel;
class QSettings;

namespace sw {

class LiveFigures;
class Race;

class PitBoard : public QWidget
{
    Q_OBJECT
public:
    PitBoard(const Race &race, const LiveFigures &figures, QWidget *parent = nullptr);
    ~PitBoard() override;

    // Keeps the screen the board was last shown on under "pitBoard/screen"
    // (the real program only; tests give none).
    void rememberScreen(std::unique_ptr<QSettings> settings);
    // Shows the board full screen on the remembered screen if it is still
    // there, else on a screen other than the main window's when there is one.
    void open(QScreen *mainWindowScreen);
    // The race clock's text, as the main window's clock shows it; the board
    // shows its whole seconds.
    void setRaceClock(const QString &text);
    void showFigures();

    QLabel *lapLabel() const { return m_lap; }
    QLabel *raceClockLabel() const { return m_raceClock; }
    QLabel *deltaLabel() const { return m_delta; }
    QLabel *lastLapLabel() const { return m_lastLap; }
    QLabel *bestLapLabel() const { return m_bestLap; }

signals:
    void closed();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void sizeFonts();

    const Race &m_race;
    const LiveFigures &m_figures;
    std::unique_ptr<QSettings> m_settings;
    QLabel *m_lap = nullptr;
    QLabel *m_raceClock = nullptr;
    QLabel *m_delta = nullptr;
    QLabel *m_lastLap = nullptr;
    QLabel *m_bestLap = nullptr;
};

} // namespace sw
