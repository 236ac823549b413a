#pragma once
// checkFileOpens: can a file be opened for reading? Opens; InvalidName (a
// message has been shown); OtherFailure, such as a missing file, without a
// message.

#include <QString>

namespace sw {

class Prompts;

enum class FileOpenCheck { Opens = 0, InvalidName = 1, OtherFailure = 2 };

// Decides without showing anything. A name with characters that no file
// system of the program's platforms allows, or a path whose folder does not
// exist, is an invalid name; a missing file in an existing folder is not.
FileOpenCheck checkFileOpen(const QString &path);

// The shared routine: returns the outcome, with the "Invalid File
// Name" message for an invalid name.
FileOpenCheck checkFileOpens(const QString &path, Prompts &prompts);

QString invalidFileNameText();

} // namespace sw
