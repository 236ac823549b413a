#include "live/PitBoard.h"

#include "analysis/LiveFigures.h"
#include "live/LiveFigurePanel.h"
#include "race/Race.h"
#include "ui/SpokenFigure.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QSettings>
#include <QWindow>

namespace sw {

namespace {
// Light grey on black: 17.4:1.
const QColor FigureColour(0xEE, 0xEE, 0xEE);
const QColor CaptionColour(0xB0, 0xB0, 0xB0); // 10:1

QLabel *boardLabel(QWidget *parent, Qt::Alignment alignment, const QString &caption)
{
    auto *label = new QLabel(parent);
    label->setAlignment(alignment);
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, FigureColour);
    label->setPalette(p);
    makeSpokenFigure(label, caption);
    // The rows and columns have fixed shares of the screen: a new text never
    // lays the board out again (which would draw all of it).
    label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    return label;
}

const char *const ScreenKey = "pitBoard/screen";
} // namespace

PitBoard::PitBoard(const Race &race, const LiveFigures &figures, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint)
    , m_race(race)
    , m_figures(figures)
{
    setObjectName(QStringLiteral("pitBoard"));
    setWindowTitle(QStringLiteral("Pit Board"));
    setAccessibleName(QStringLiteral("Pit Board"));
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::black);
    setPalette(p);
    setFocusPolicy(Qt::StrongFocus);

    m_lap = boardLabel(this, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Lap"));
    m_raceClock = boardLabel(this, Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("Race clock"));
    m_delta = boardLabel(this, Qt::AlignCenter, QStringLiteral("Delta to best"));
    m_lastLap = boardLabel(this, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Last lap"));
    m_bestLap = boardLabel(this, Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("Best lap"));
    m_raceClock->setText(QStringLiteral("0"));

    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(24, 12, 24, 12);
    grid->addWidget(m_lap, 0, 0);
    grid->addWidget(m_raceClock, 0, 1);
    grid->addWidget(m_delta, 1, 0, 1, 2);
    grid->addWidget(m_lastLap, 2, 0);
    grid->addWidget(m_bestLap, 2, 1);
    grid->setRowStretch(0, 2);
    grid->setRowStretch(1, 5);
    grid->setRowStretch(2, 2);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);

    connect(&figures, &LiveFigures::changed, this, &PitBoard::showFigures);
    connect(&race, &Race::stateChanged, this, &PitBoard::showFigures);
    showFigures();
}

PitBoard::~PitBoard() = default;

void PitBoard::rememberScreen(std::unique_ptr<QSettings> settings)
{
    m_settings = std::move(settings);
}

void PitBoard::open(QScreen *mainWindowScreen)
{
    QScreen *target = nullptr;
    const QString remembered = m_settings ? m_settings->value(QLatin1String(ScreenKey)).toString() : QString();
    const QList<QScreen *> screens = QGuiApplication::screens();
    for (QScreen *s : screens)
        if (!remembered.isEmpty() && s->name() == remembered)
            target = s;
    if (!target)
        for (QScreen *s : screens)
            if (s != mainWindowScreen && !target)
                target = s;
    if (!target)
        target = mainWindowScreen ? mainWindowScreen : QGuiApplication::primaryScreen();
    setGeometry(target->geometry());
    if (windowHandle())
        windowHandle()->setScreen(target);
    showFullScreen();
    raise();
    activateWindow();
    if (m_settings)
        m_settings->setValue(QLatin1String(ScreenKey), target->name());
}

void PitBoard::setRaceClock(const QString &text)
{
    // Whole seconds: read from across the pit, and a label this large is
    // drawn once a second instead of at every frame of the clocks.
    QString whole = text.section(QLatin1Char('.'), 0, 0).trimmed();
    if (whole.isEmpty())
        whole = QStringLiteral("0");
    if (isVisible() && m_raceClock->text() != whole)
        m_raceClock->setText(whole);
}

void PitBoard::showFigures()
{
    const LiveFigureValues &v = m_figures.values();
    const int lap = m_race.state() == RaceState::Finished ? m_race.lastLap() : m_race.currentLap();
    m_lap->setText(lap >= 1 ? QStringLiteral("Lap %1").arg(qMin(lap, int(Race::MaxLap))) : QString());
    m_lastLap->setText(v.lastLap ? QStringLiteral("Last ") + LiveFigures::timeText(v.lastLap) : QString());
    m_bestLap->setText(v.bestLap ? QStringLiteral("Best ") + LiveFigurePanel::bestLapText(m_figures) : QString());
    m_delta->setText(LiveFigures::deltaText(v.delta));
    QPalette p = m_delta->palette();
    const QColor colour = v.delta ? LiveFigurePanel::deltaColourOnBlack(*v.delta) : QColor();
    p.setColor(QPalette::WindowText, colour.isValid() ? colour : FigureColour);
    m_delta->setPalette(p);
}

void PitBoard::sizeFonts()
{
    // The delta's digits (a digit's ink, not the line) take at least a fifth
    // of the height; the other figures about a twelfth.
    const int h = height();
    QFont big = font();
    big.setBold(true);
    big.setPixelSize(qMax(10, int(h * 0.30)));
    m_delta->setFont(big);
    QFont small = font();
    small.setBold(true);
    small.setPixelSize(qMax(8, int(h * 0.09)));
    for (QLabel *l : {m_lap, m_raceClock, m_lastLap, m_bestLap})
        l->setFont(small);
    // Draw every character a delta has once now, so the first press after
    // opening does not wait for glyphs this size to be made.
    QPixmap scratch(8, 8);
    QPainter painter(&scratch);
    painter.setFont(big);
    painter.drawText(0, 0, QStringLiteral("+\u22120123456789."));
}

void PitBoard::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    sizeFonts();
}

void PitBoard::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void PitBoard::closeEvent(QCloseEvent *event)
{
    if (m_settings && windowHandle() && windowHandle()->screen())
        m_settings->setValue(QLatin1String(ScreenKey), windowHandle()->screen()->name());
    QWidget::closeEvent(event);
    emit closed();
}

} // namespace sw
