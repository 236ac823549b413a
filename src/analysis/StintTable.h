#pragma once
// The stint table as texts: the window's table, the clipboard copy
// (tab-separated, pastes into a spreadsheet) and the CSV export.

#include "analysis/Stints.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

namespace sw {

// "Stint", "First Lap", "Last Lap", "Laps", "Best", "Average", "Spread",
// "Trend (s/lap)".
QStringList stintTableHeader();

// One row per stint: its number from 1, the laps, and the figures in
// seconds to three decimals (the trend signed); a figure a stint does not
// have is empty.
std::vector<QStringList> stintTableRows(const std::vector<Stint> &stints);

// Header and rows, cells joined by tabs, every line ending in "\n".
QString stintTableTabSeparated(const std::vector<Stint> &stints);

// Header and rows, cells joined by commas, every line ending in CR LF. No
// cell holds a comma or a quote, so none is quoted.
QByteArray stintTableCsv(const std::vector<Stint> &stints);

} // namespace sw
