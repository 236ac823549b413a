#include "app/Startup.h"
#include "files/FileCommands.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    sw::Startup startup(QCoreApplication::arguments());
    startup.extendMainWindow = [](sw::MainWindowBase &w) { sw::installFileCommands(w); };
    if (!startup.begin())
        return 0;
    return app.exec();
}
