#include "support/RaceFixture.h"

#include <QApplication>
#include <QStandardPaths>

namespace sw {

RaceFixture::RaceFixture(int numSegs, int timerIntervalMs, RaceJournal *journal)
{
    // Nothing a test runs may write into the user's own data folders.
    QStandardPaths::setTestModeEnabled(true);
    files.programFolder = folder.path();
    calibration.ticksPerSecond = 1000.0 / timerIntervalMs;
    calibration.intervalMs = timerIntervalMs;
    race.setSegmentsPerLap(numSegs);
    race.markSaved();
    if (journal)
        recorder = std::make_unique<RaceRecorder>(race, *journal, [this] {
            JournalArm arm;
            arm.monotonicNs = timer.startNs();
            arm.ticksPerSecond = calibration.ticksPerSecond;
            arm.timerIntervalMs = calibration.intervalMs;
            return arm;
        });
    w = std::make_unique<MainWindow>(race, files, prompts, timer, calibration);
    w->setJournal(journal);
    w->fileCommands().endProgram = [this] { ++programEnded; };
    w->loadWindow();
    w->show();
    w->onActivated();
    w->ui.timingFocusHolder->setFocus();
}

QString RaceFixture::shownCell(int r, int c) const
{
    const QAbstractItemModel *m = w->ui.resultsView->model();
    if (c == 0)
        return m->headerData(r - 1, Qt::Vertical).toString();
    return m->index(r - 1, c - 1).data().toString();
}

void RaceFixture::key(Qt::Key k)
{
    QWidget *target = QApplication::focusWidget();
    if (!target || target->window() != w.get())
        target = w->ui.timingFocusHolder;
    QTest::keyClick(target, k);
}

} // namespace sw
