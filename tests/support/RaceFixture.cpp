#include "support/RaceFixture.h"

#include <QApplication>
#include <QStandardPaths>

namespace sw {

RaceFixture::RaceFixture(int numSegs, int timerIntervalMs)
{
    // Nothing a test runs may write into the user's own data folders.
    QStandardPaths::setTestModeEnabled(true);
    state.programFolder = folder.path();
    state.rec.TicksPerSecond = 1000.0 / timerIntervalMs;
    state.rec.TimerInterval = timerIntervalMs;
    state.rec.NumSegs = static_cast<qint16>(numSegs);
    w = std::make_unique<MainWindow>(state, prompts, timer);
    w->endProgram = [this] { ++programEnded; };
    w->loadWindow();
    w->show();
    w->onActivated();
    w->ui.timingFocusHolder->setFocus();
}

RaceFixture::~RaceFixture()
{
    w.reset();
}

void RaceFixture::key(Qt::Key k)
{
    QWidget *target = QApplication::focusWidget();
    if (!target || target->window() != w.get())
        target = w->ui.timingFocusHolder;
    QTest::keyClick(target, k);
}

void RaceFixture::F(int n)
{
    key(static_cast<Qt::Key>(Qt::Key_F1 + n - 1));
}

void RaceFixture::arm()
{
    armNs = clock.nowNs();
    F(12);
}

void RaceFixture::advanceTo(double seconds)
{
    const std::int64_t target = armNs + static_cast<std::int64_t>(seconds * 1e9 + 0.5);
    if (target > clock.nowNs())
        clock.setNs(target);
}

void RaceFixture::tickTo(double seconds)
{
    const std::int64_t target = armNs + static_cast<std::int64_t>(seconds * 1e9 + 0.5);
    if (target > clock.nowNs())
        timer.advanceLateMs((target - clock.nowNs()) / 1e6);
}

void RaceFixture::pressAt(double seconds)
{
    advanceTo(seconds);
    F(2);
}

void RaceFixture::armAndPress(std::initializer_list<double> readings)
{
    arm();
    for (double t : readings)
        pressAt(t);
}

void RaceFixture::finish()
{
    prompts.answer(Answer::Yes);
    F(11);
}

} // namespace sw
