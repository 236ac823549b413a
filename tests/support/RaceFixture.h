#pragma once
// A real main window on a hand-driven clock, with scripted prompts.

#include "app/MainWindow.h"
#include "document/FileCommands.h"
#include "files/FileState.h"
#include "journal/RaceRecorder.h"
#include "race/Race.h"
#include "results/ResultsPanel.h"
#include "results/ResultsTexts.h"
#include "timing/HiTime.h"
#include "ui/Prompts.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>

namespace sw {

class RaceFixture
{
public:
    // With a journal, every change of the race is written to it.
    explicit RaceFixture(int numSegs = 1, int timerIntervalMs = 1, RaceJournal *journal = nullptr);

    Race race;
    FileState files;
    TimerCalibration calibration;
    ScriptedPrompts prompts;
    ManualClock clock;
    ManualHiTime timer{clock};
    QTemporaryDir folder;
    std::unique_ptr<RaceRecorder> recorder;
    std::unique_ptr<MainWindow> w; // last: goes first
    int programEnded = 0;
    std::int64_t armNs = 0;

    // A key on the window's focused widget (the hidden field during timing).
    void key(Qt::Key k);
    void F(int n) { key(static_cast<Qt::Key>(Qt::Key_F1 + n - 1)); } // F2, F11, F12 ...

    // F12 in setup: arms the race; the race clock counts from here.
    void arm()
    {
        armNs = clock.nowNs();
        F(12);
    }
    std::int64_t nsAt(double seconds) const { return armNs + static_cast<std::int64_t>(seconds * 1e9 + 0.5); }
    // Moves the clock to t seconds after arming, without timer events.
    void advanceTo(double seconds) { clock.setNs(std::max(clock.nowNs(), nsAt(seconds))); }
    // Moves the clock to t seconds after arming with one late timer event: the clocks are redrawn.
    void tickTo(double seconds)
    {
        if (nsAt(seconds) > clock.nowNs())
            timer.advanceLateMs((nsAt(seconds) - clock.nowNs()) / 1e6);
    }
    void pressAt(double seconds)
    {
        advanceTo(seconds);
        F(2);
    }
    void armAndPress(std::initializer_list<double> readings)
    {
        arm();
        for (double t : readings)
            pressAt(t);
    }
    void finish()
    {
        prompts.answer(Answer::Yes);
        F(11);
    }

    // The grid's text of lap r, column c (0 lap number .. 8 traffic).
    QString cell(int r, int c) const { return resultsCellText(race, r, c); }
    // The grid as the view shows it.
    QString shownCell(int r, int c) const;
};

// Every field of a message box in one text, so a mismatch shows which one.
inline QString shown(const MessageSpec &m)
{
    return QStringList{m.title, m.text, QString::number(int(m.buttons)), QString::number(int(m.icon)),
                       QString::number(int(m.defaultButton))}.join(QLatin1Char('|'));
}

// A file's bytes, or none.
inline QByteArray bytesOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace sw
