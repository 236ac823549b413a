#pragma once
// A lap-time file's content as a chart series.

#include "analysis/LapFilter.h"
#include "analysis/LapSeries.h"
#include "files/LapFile.h"

namespace sw {

// The race of a file that was read whole; name is what the legend shows.
LapSeries lapSeriesFromFile(const LapFileContent &content, const QString &name, LapFilter filter);

} // namespace sw
