#pragma once
// Races as CSV and JSON for spreadsheets and scripts. Both are built from the
// race alone, as bytes, so a caller decides where they go (a file, the
// standard output) and the formats are tested without either.
//
// CSV (RFC 4180): UTF-8 without a byte-order mark, comma separated, CR LF
// after every line, the last one included. A field is quoted when it holds a
// comma, a double quote, CR or LF; a quote inside it is doubled. Header:
//   [file,]lap,seg1,...,segN,lap_time,flag,position,traffic
// then one line per lap. Times are seconds with three decimals as
// the results grid shows them, but always with a leading zero and a period
// ("0.500", "-0.250", "83.250") so that every spreadsheet and parser reads
// them as numbers whatever its locale; a segment whose end reading lies before
// its start shows 0.000, a lap time keeps its sign, a time that does not
// exist (no reading) is an empty field. Flag and traffic are their list texts,
// position is the number 1..100; an unknown condition is an empty field.
//
// JSON: an array with one object per race:
//   {"file": ..., "segments": N, "last_lap": L, "comments": [lines...],
//    "laps": [{"lap": 1, "segments": [s1, ...], "lap_time": t,
//              "flag": "Green", "position": 3, "traffic": "In Traffic"}, ...]}
// Times are numbers of seconds, the values the grid shows (rounded to the
// millisecond); a time that does not exist and an unknown condition are
// null.

#include "race/Race.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include <memory>
#include <vector>

namespace sw {

// One race to export and the name it goes under in the "file" column.
struct ExportedRace
{
    QString file;
    std::shared_ptr<const Race> race;
};

// A grid time text ("#####.000") in the export form: ".500" -> "0.500",
// "-.250" -> "-0.250"; other texts are returned as they are.
QString exportTimeText(const QString &gridText);

// One CSV field, quoted when it must be.
QString csvField(const QString &text);

// The CSV of one race: header and laps, no file column.
QByteArray raceToCsv(const Race &race);

// The CSV of several races behind one header with the file column first. The
// header has as many segment columns as the race with the most segments;
// races with fewer leave the extra ones empty.
QByteArray racesToCsv(const std::vector<ExportedRace> &races);

// The JSON object of one race, without the "file" member.
QJsonObject raceToJson(const Race &race);

// The JSON array of several races, each object with its "file" member.
QByteArray racesToJson(const std::vector<ExportedRace> &races);

} // namespace sw
