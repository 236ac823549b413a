#include "app/Startup.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    sw::Startup startup(QCoreApplication::arguments());
    if (!startup.begin())
        return 0;
    return app.exec();
}
