#pragma once
// The command line: "/E" anywhere marks a start by the log-book program
// Ravelin, "/M" with it gives mode 2. Case-sensitive. Besides them a
// lap-time file to open, and options that start with "-".

#include <QString>
#include <QStringList>

namespace sw {

// 0 normal start; 1 started with "/E"; 2 with "/E" and "/M". An argument
// naming an existing file is a file, not searched for the switches (a file
// manager hands over paths such as /home/ann/Events/race.txt).
int ravelinModeFromArguments(const QStringList &argumentsAfterProgram);

// The files named on the command line, in order: every argument that is not
// an option ("-..." and the value after "--share") and names an existing
// file or looks like no switch (no "/E" or "/M" in it, not "/" and a letter).
QStringList filesFromArguments(const QStringList &argumentsAfterProgram);

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
