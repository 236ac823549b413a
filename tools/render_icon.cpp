// Renders the program picture as the icon file the installed desktop entry
// shows: render_icon <out.png> [size]

#include "help/ProgramPicture.h"

#include <QApplication>
#include <QPixmap>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2)
        return 2;
    const int size = argc > 2 ? std::atoi(argv[2]) : 256;
    return sw::programPicture(QSize(size, size)).save(QString::fromLocal8Bit(argv[1]), "PNG") ? 0 : 1;
}
