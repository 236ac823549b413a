#pragma once
// The command line: "/E" anywhere marks a start by the log-book program
// Ravelin, "/M" with it gives mode 2. Case-sensitive; nothing else counts.

#include <QStringList>

namespace sw {

// 0 normal start; 1 started with "/E"; 2 with "/E" and "/M".
int ravelinModeFromArguments(const QStringList &argumentsAfterProgram);

} // namespace sw
