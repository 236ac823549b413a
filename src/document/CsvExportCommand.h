#pragma once
// File > Export as CSV: the race as the results grid shows it, for
// spreadsheets and scripts (format in analysis/RaceExport). The file is
// written whole through a temporary file, like every save; the lap-time
// file and the race's unsaved changes are not touched.

namespace sw {

class Race;
struct FileState;
class Prompts;

// Asks for a file name and writes the CSV; false when cancelled or failed
// (a failure is reported by message).
bool exportRaceAsCsv(const Race &race, const FileState &files, Prompts &prompts);

} // namespace sw
