#include "help/ProgramLauncher.h"

#include <QProcess>

namespace sw {

bool DetachedLauncher::start(const QString &program, const QStringList &arguments)
{
    return QProcess::startDetached(program, arguments);
}

} // namespace sw
