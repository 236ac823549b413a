#include "app/SpeedCheckWindow.h"

#include "timing/HiTime.h"
#include "ui/Geometry.h"

#include <QLabel>
#include <QPushButton>
#include <QScrollBar>

namespace sw {

SpeedCheckWindow::SpeedCheckWindow(HiTime &hiTime, QWidget *parent) : QWidget(parent), m_timer(hiTime)
{
    setObjectName(QStringLiteral("speedCheckWindow"));
    setWindowTitle(QStringLiteral("Checking Computer Speed"));
    setFixedSize(tw(6000), tw(4200));

    QLabel *title = labelTw(this, QStringLiteral("HiTime Sample"), 240, 120, 5520, 360);
    QFont f = title->font();
    f.setPointSize(14);
    f.setBold(true);
    title->setFont(f);
    QLabel *expl = labelTw(this,
                         QStringLiteral("The program is checking your computer's speed to provide the "
                                        "best timing accuracy."),
                         240, 540, 5520, 480);
    expl->setWordWrap(true);
    labelTw(this, QStringLiteral("Total Ticks:"), 240, 1140, 2400, 285);
    totalTicks = labelTw(this, QStringLiteral("0"), 2760, 1140, 1800, 285);
    labelTw(this, QStringLiteral("Average Ticks Per Second:"), 240, 1440, 2400, 285);
    averageTicks = labelTw(this, QStringLiteral("0.0"), 2760, 1440, 1800, 285);
    labelTw(this, QStringLiteral("Currently Trying"), 240, 1740, 2400, 285);
    currentlyTrying = labelTw(this, QString(), 2760, 1740, 1800, 285);
    progress = labelTw(this, QString(), 240, 2100, 5520, 330);
    progress->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    progress->setObjectName(QStringLiteral("progress"));
    intervalScrollBar = new QScrollBar(Qt::Horizontal, this);
    placeTw(intervalScrollBar, 240, 2580, 3600, 255);
    intervalScrollBar->setRange(1, 100);
    intervalScrollBar->setValue(10);
    scrollCaption = labelTw(this, QStringLiteral("Interval = 10"), 3960, 2580, 1800, 255);
    value1 = labelTw(this, QString(), 240, 2940, 2700, 285);
    value2 = labelTw(this, QString(), 3060, 2940, 2700, 285);
    zeroButton = new QPushButton(QStringLiteral("zero"), this);
    placeTw(zeroButton, 240, 3420, 1200, 420);
    intervalButton = new QPushButton(QStringLiteral("Interval"), this);
    placeTw(intervalButton, 1560, 3420, 1200, 420);

    connect(&m_timer, &HiTime::Timer, this, &SpeedCheckWindow::onTimerTick);
    connect(intervalScrollBar, &QScrollBar::valueChanged, this, [this](int v) {
        m_check.onScroll(v);
        m_timer.setInterval(m_check.timerInterval());
        scrollCaption->setText(m_check.scrollCaption());
        showCounts();
    });
    connect(zeroButton, &QPushButton::clicked, this, [this] { m_check.onZero(); });
    connect(intervalButton, &QPushButton::clicked, this, [this] {
        m_check.onIntervalButton();
        value2->setText(m_check.value2Text());
    });
}

void SpeedCheckWindow::prepare()
{
    m_check = SpeedCheck();
    currentlyTrying->setText(m_check.currentlyTryingText());
    showCounts();
    m_timer.setInterval(m_check.timerInterval());
}

void SpeedCheckWindow::showCounts()
{
    totalTicks->setText(m_check.totalTicksText());
    averageTicks->setText(m_check.averageText());
    value1->setText(m_check.value1Text());
    // The progress row grows by three markers a quarter second of the trial.
    progress->setText(QString(m_check.progressMarkers(), QChar(0x25AE)));
}

void SpeedCheckWindow::onTimerTick(int overrun)
{
    const SpeedCheck::Outcome o = m_check.onTimer(overrun, m_timer.clock().wholeSeconds());
    showCounts();
    switch (o) {
    case SpeedCheck::Outcome::Continue:
        if (m_timer.interval() != m_check.timerInterval())
            m_timer.setInterval(m_check.timerInterval());
        // The label follows the interval being judged, also when the scroll
        // bar already had the timer at that interval.
        currentlyTrying->setText(m_check.currentlyTryingText());
        break;
    case SpeedCheck::Outcome::Accepted:
        m_timer.setInterval(0);
        emit accepted(m_check.acceptedInterval(), m_check.ticksPerSecond());
        break;
    case SpeedCheck::Outcome::TooSlow:
        m_timer.setInterval(0);
        emit tooSlow();
        break;
    }
}

} // namespace sw
