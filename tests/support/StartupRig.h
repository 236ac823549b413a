#pragma once
// The program's start-up on a hand-driven clock with scripted prompts: the
// speed check, the main window, the journal's recovery question.

#include "app/Startup.h"
#include "files/FileState.h"
#include "journal/RaceRecorder.h"
#include "race/Race.h"
#include "timing/HiTime.h"
#include "ui/Prompts.h"

#include <QTemporaryDir>

#include <memory>
#include <optional>

namespace sw {

struct StartupRig
{
    std::optional<RaceJournal> journal; // first: it outlives the start-up that writes to it
    Race race;
    FileState files;
    TimerCalibration calibration;
    ScriptedPrompts prompts;
    ManualClock clock;
    ManualHiTime startupTimer{clock}, mainTimer{clock};
    QTemporaryDir folder;
    std::unique_ptr<Startup> startup;

    // Runs the start-up with these arguments, in programFolder (its own by default).
    void start(const QStringList &args, const QString &programFolder = QString())
    {
        startup = std::make_unique<Startup>(args, programFolder.isEmpty() ? folder.path() : programFolder,
                                            StartupServices{race, files, calibration, prompts, startupTimer, mainTimer});
        if (journal)
            startup->journal = &*journal;
        startup->begin();
    }
};

} // namespace sw
