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

void RaceFixture::key(Qt::Key k)
{
    QWidget *target = QApplication::focusWidget();
    if (!target || target->window() != w.get())
        target = w->ui.timingFocusHolder;
    QTest::keyClick(target, k);
}

} // namespace sw
