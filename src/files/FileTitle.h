#pragma once
// The name of the current file shown in the main window's caption.

#include <QString>

namespace sw {

// A file below the program's "LapTimeFiles" folder is named by its path below
// that folder ("Oval\Heat1.txt"); any other file by its bare file name. Both
// '\' and '/' count as separators and folder names compare without regard to
// letter case, since paths may come from a Windows machine (the exchange path
// line). The title keeps the letter case of currentFile.
QString fileTitleFor(const QString &programFolder, const QString &currentFile);

} // namespace sw
