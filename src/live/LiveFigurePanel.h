#pragma once
// The live figures of the timing face: last lap, best lap with its number,
// delta to best (green when ahead, red when behind), predicted lap and best
// possible lap, written from LiveFigures whenever it changes. A blank
// figure has no reference yet.

#include <QColor>
#include <QObject>
#include <QString>

namespace sw {

class LiveFigures;
struct MainWindowControls;

class LiveFigurePanel : public QObject
{
    Q_OBJECT
public:
    LiveFigurePanel(const LiveFigures &figures, MainWindowControls &ui, QObject *parent);

    // Colours of a delta on a light window background and on the pit
    // board's black, each at least 4.5:1 against it; none for no delta or
    // a level one.
    static QColor deltaColourOnLight(double delta);
    static QColor deltaColourOnBlack(double delta);
    // "61.250 (lap 3)"; empty without a best lap.
    static QString bestLapText(const LiveFigures &figures);

private:
    void show();

    const LiveFigures &m_figures;
    MainWindowControls &m_ui;
};

} // namespace sw
