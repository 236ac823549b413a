#include "app/CommandLine.h"

namespace sw {

int ravelinModeFromArguments(const QStringList &args)
{
    // The switches are searched in the whole command-line text, so "/E" may
    // stand inside another argument too.
    const QString line = args.join(QLatin1Char(' '));
    if (!line.contains(QLatin1String("/E"), Qt::CaseSensitive))
        return 0;
    return line.contains(QLatin1String("/M"), Qt::CaseSensitive) ? 2 : 1;
}

} // namespace sw
