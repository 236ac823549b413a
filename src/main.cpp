#include "app/Startup.h"
#include "app/TestDriver.h"
#include "journal/JournalStore.h"
#include "journal/RaceRecorder.h"

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
    startup.rememberLapFilter = true;
    startup.rememberSharing = true;
    startup.rememberRecentFiles = true;
    sw::TestDriver::installIfRequested(startup); // test hook: only with SPLITWATCH_TEST_DRIVER set
    if (!startup.begin())
        return 0;
    return app.exec();
}
