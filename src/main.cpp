#include "app/Startup.h"
#include "app/TestDriver.h"
#include "files/FileCommands.h"
#include "journal/JournalStore.h"
#include "timing/JournalLink.h"
#include "results/LapCountController.h"

#include <QApplication>

int main(int argc, char **argv)
{
    sw::chooseDisplayTransport();
    QApplication app(argc, argv);
    // Names the state folder the race journals live in.
    QCoreApplication::setApplicationName(QStringLiteral("Splitwatch"));
    sw::RaceJournal journal(sw::JournalStore::defaultFolder());
    sw::Startup startup(QCoreApplication::arguments());
    startup.journal = &journal;
    sw::TestDriver::installIfRequested(startup); // test hook: only with SPLITWATCH_TEST_DRIVER set
    startup.extendMainWindow = [](sw::MainWindowBase &w) {
        sw::installFileCommands(w);
        sw::rememberLapCountChoice(w);
    };
    if (!startup.begin())
        return 0;
    return app.exec();
}
