#pragma once
// Whole-file reads and writes for the file commands.

#include <QByteArray>
#include <QString>

#include <optional>

namespace sw {

// Files larger than this are refused by loadFile: a lap-time file is a few
// tens of kilobytes.
inline constexpr qint64 MaxLoadFileSize = 64 * 1024 * 1024;

// Writes bytes to path through a temporary file that replaces the old one only
// when complete, so a failed write leaves the old file as it was. On failure
// returns false and sets *error (if given) to a text naming the file and the
// system's reason.
bool saveFileAtomically(const QString &path, const QByteArray &bytes, QString *error);

// The whole content of path, or nullopt with *error (if given) naming the
// file and the system's reason.
std::optional<QByteArray> loadFile(const QString &path, QString *error);

} // namespace sw
