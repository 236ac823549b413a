#pragma once
// The lap-time file: one race as plain windows-1252 text with CR LF line ends.
//
//   line 1            file mark "QVM-SW*1.10"
//   line 2            segments a lap, print form
//   lines 3..13       the last lap eleven times, print form
//   lines 14..1770    the race's cells, rows 0..250, seven lines a row:
//                     columns 0..4 (cell print form), the combined condition
//                     line (Str form of column 5, "  ```  ", Str form of
//                     column 7), column 6 (cell print form)
//   [exchange files]  one path line
//   comments          the comment text, its lines as file lines
//   end mark          "-9999"
//   closing number    " 0 "
//
// Writing and reading are pure functions of bytes, so the format is tested
// without files or windows; the file commands load and save the bytes.

#include "race/Race.h"

#include <QByteArray>
#include <QChar>
#include <QString>

#include <array>
#include <optional>

namespace sw {

inline constexpr char LapFileMark[] = "QVM-SW*1.10";
inline constexpr char LapFileEndMark[] = "-9999";

// Rows 0..250 of the race's cells are stored; row 251 never is.
inline constexpr int LapFileRows = Race::MaxLap + 1;
inline constexpr int LapFileLinesPerRow = 7;
// Lines before the first comment line of an ordinary file (mark, 12 header
// lines, the row blocks).
inline constexpr int LapFileFixedLines = 1 + 12 + LapFileRows * LapFileLinesPerRow;

// What a lap-time file holds: the race, and for exchange files the path line.
struct LapFileContent
{
    StoredRace race;
    std::optional<QString> pathLine; // exchange files only
};

// The whole file for rows 0..250 of the race's cells, its segments a lap, its
// last lap and its comments. decimalSeparator is the system's (QLocale::system().decimalPoint()); it is
// used in the print form only. pathLine is written for exchange files only.
// Line breaks inside comments (CR LF, CR or LF) are written as CR LF; line
// breaks inside a text cell or the path line become blanks so that no value
// can shift the lines after it. Characters windows-1252 cannot hold are
// written as '?' (see unencodableCharacters to warn first). Linear in the
// size of the comments, which are encoded once into bytes of their exact size.
QByteArray writeLapFile(const StoredRace &race, const std::optional<QString> &pathLine,
                        QChar decimalSeparator);

struct LapFileReadResult
{
    enum Status {
        Ok,         // content holds the whole file
        NotLapFile, // the file mark is missing: show the "Bad File" box
        Damaged,    // marked as a lap-time file but cannot be read whole; see problem
    };
    Status status = NotLapFile;
    QString problem; // human-readable reason for Damaged, empty otherwise
    LapFileContent content;
};

// Reads the bytes of a lap-time file (exchange = true: the layout with the
// path line). Lines end in CR LF, LF or CR, one style for the whole file: the
// first line's end decides, and a line that ends in another way makes the
// file Damaged (a stray line end would shift every later value by a line
// without a trace). The last line may have no line end. Nothing after the end
// mark is read or checked (a trailing line break, a Ctrl-Z, another file). Comments are decoded
// once from the bytes; the peak memory is the decoded comments (two bytes a
// character) beside the bytes. Never throws and never crashes on any input.
LapFileReadResult readLapFile(const QByteArray &bytes, bool exchange);

// The characters of text that windows-1252 cannot hold, each once, in the
// order they first occur; empty when the whole text can be saved.
QString unencodableCharacters(const QString &text);

} // namespace sw
