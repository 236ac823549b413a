#include "live/LiveFigurePanel.h"

#include "analysis/LiveFigures.h"
#include "ui/MainWindowControls.h"

#include <QLabel>

namespace sw {

LiveFigurePanel::LiveFigurePanel(const LiveFigures &figures, MainWindowControls &ui, QObject *parent)
    : QObject(parent)
    , m_figures(figures)
    , m_ui(ui)
{
    connect(&figures, &LiveFigures::changed, this, &LiveFigurePanel::show);
    show();
}

QColor LiveFigurePanel::deltaColourOnLight(double delta)
{
    // 6.5:1 and 6.4:1 on the window's light grey.
    if (delta < 0)
        return QColor(0x00, 0x64, 0x00);
    if (delta > 0)
        return QColor(0xB0, 0x00, 0x00);
    return QColor();
}

QColor LiveFigurePanel::deltaColourOnBlack(double delta)
{
    // 12:1 and 6.1:1 on black.
    if (delta < 0)
        return QColor(0x4C, 0xE0, 0x4C);
    if (delta > 0)
        return QColor(0xFF, 0x5C, 0x5C);
    return QColor();
}

QString LiveFigurePanel::bestLapText(const LiveFigures &figures)
{
    const LiveFigureValues &v = figures.values();
    if (!v.bestLap)
        return {};
    return QStringLiteral("%1 (lap %2)").arg(LiveFigures::timeText(v.bestLap)).arg(v.bestLapNumber);
}

void LiveFigurePanel::show()
{
    const LiveFigureValues &v = m_figures.values();
    auto &values = m_ui.liveFigureValues;
    values[MainWindowControls::LastLapFigure]->setText(LiveFigures::timeText(v.lastLap));
    values[MainWindowControls::BestLapFigure]->setText(bestLapText(m_figures));
    values[MainWindowControls::PredictedLapFigure]->setText(LiveFigures::timeText(v.predictedLap));
    values[MainWindowControls::BestPossibleLapFigure]->setText(LiveFigures::timeText(v.bestPossibleLap));

    QLabel *delta = values[MainWindowControls::DeltaFigure];
    delta->setText(LiveFigures::deltaText(v.delta));
    QPalette p = delta->palette();
    const QColor colour = v.delta ? deltaColourOnLight(*v.delta) : QColor();
    p.setColor(QPalette::WindowText, colour.isValid() ? colour : m_ui.liveFigureCaptions[0]->palette().color(QPalette::WindowText));
    delta->setPalette(p);
}

} // namespace sw
