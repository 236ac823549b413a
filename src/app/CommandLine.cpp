#include "app/CommandLine.h"

#include <QFileInfo>

namespace sw {

namespace {

bool isExistingFile(const QString &arg)
{
    return !arg.isEmpty() && QFileInfo(arg).isFile();
}

} // namespace

int ravelinModeFromArguments(const QStringList &args)
{
    // The switches are searched in the whole command-line text, so "/E" may
    // stand inside another argument too.
    QStringList switchText;
    for (const QString &a : args)
        if (!isExistingFile(a))
            switchText << a;
    const QString line = switchText.join(QLatin1Char(' '));
    if (!line.contains(QLatin1String("/E"), Qt::CaseSensitive))
        return 0;
    return line.contains(QLatin1String("/M"), Qt::CaseSensitive) ? 2 : 1;
}

QStringList filesFromArguments(const QStringList &args)
{
    QStringList files;
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args.at(i);
        if (a == QLatin1String("--share")) {
            ++i; // its address and port
            continue;
        }
        if (a.isEmpty() || a.startsWith(QLatin1Char('-')))
            continue;
        // "/x" is a switch of the Windows kind ("/e" one not known), never a
        // file unless there is one by that name.
        const bool switches = a.contains(QLatin1String("/E")) || a.contains(QLatin1String("/M"))
                              || (a.size() == 2 && a.front() == QLatin1Char('/'));
        if (isExistingFile(a) || !switches)
            files << a;
    }
    return files;
}

ShareArgument shareArgumentFromArguments(const QStringList &args)
{
    ShareArgument share;
    QString value;
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args.at(i);
        if (a == QLatin1String("--share")) {
            share.given = true;
            value = i + 1 < args.size() ? args.at(i + 1) : QString();
            break;
        }
        if (a.startsWith(QLatin1String("--share="))) {
            share.given = true;
            value = a.mid(8);
            break;
        }
    }
    if (!share.given)
        return share;
    const int colon = value.lastIndexOf(QLatin1Char(':'));
    QString address = colon >= 0 ? value.left(colon) : QString();
    const QString portText = value.mid(colon + 1);
    if (address.startsWith(QLatin1Char('[')) && address.endsWith(QLatin1Char(']')))
        address = address.mid(1, address.size() - 2);
    else if (address.contains(QLatin1Char(':')))
        return share; // an IPv6 address needs its brackets
    if (colon >= 0 && address.isEmpty())
        return share;
    bool ok = false;
    const uint port = portText.toUInt(&ok);
    if (!ok || portText.isEmpty() || !portText.front().isDigit() || port > 65535)
        return share;
    share.valid = true;
    share.address = address;
    share.port = quint16(port);
    return share;
}

} // namespace sw
