#pragma once
// The command line: "/E" anywhere marks a start by the log-book program
// Ravelin, "/M" with it gives mode 2. Case-sensitive; nothing else counts.

#include <QString>
#include <QStringList>

namespace sw {

// 0 normal start; 1 started with "/E"; 2 with "/E" and "/M".
int ravelinModeFromArguments(const QStringList &argumentsAfterProgram);

// "--share [ADDRESS:]PORT" (or "--share=[ADDRESS:]PORT"): share the race on
// the live timing page from the start. ADDRESS is an IPv4 address or an IPv6
// address in brackets; without it every interface listens. Port 0 picks a
// free port.
struct ShareArgument
{
    bool given = false;   // "--share" is on the command line
    bool valid = false;   // ... followed by an address and port of that form
    QString address;      // empty: every interface
    quint16 port = 0;
};
ShareArgument shareArgumentFromArguments(const QStringList &argumentsAfterProgram);

} // namespace sw
