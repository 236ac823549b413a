// libFuzzer target for the lap-time file reader: any bytes, read as an
// ordinary and as an exchange file, must give a status and never crash; a
// file that loads must write back to a file that loads the same header and
// comments. Built and run by scripts/fuzz-lapfile.

#include "files/LapFile.h"

#include <QByteArray>

#include <cstdint>
#include <cstdlib>

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    for (bool exchange : {false, true}) {
        const sw::LapFileReadResult read = sw::readLapFile(bytes, exchange);
        if (read.status == sw::LapFileReadResult::Damaged)
            check(!read.problem.isEmpty());
        if (read.status != sw::LapFileReadResult::Ok)
            continue;
        const sw::StoredRace &race = read.content.race;
        check(race.segmentsPerLap >= 1 && race.segmentsPerLap <= 4);
        check(race.lastLap >= 1 && race.lastLap <= 250);

        // An exchange file is always written with its path line.
        const std::optional<QString> path
                = exchange ? std::optional<QString>(read.content.pathLine.value_or(QString())) : std::nullopt;
        const QByteArray again = sw::writeLapFile(race, path, QChar(','));
        const sw::LapFileReadResult back = sw::readLapFile(again, exchange);
        check(back.status == sw::LapFileReadResult::Ok);
        check(back.content.race.segmentsPerLap == race.segmentsPerLap);
        check(back.content.race.lastLap == race.lastLap);
        check(back.content.race.comments == race.comments);
        check(back.content.pathLine == path);
    }
    return 0;
}
