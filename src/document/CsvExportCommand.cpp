#include "document/CsvExportCommand.h"

#include "analysis/RaceExport.h"
#include "files/FileIo.h"
#include "files/FileState.h"
#include "ui/Prompts.h"

#include <QFileInfo>

namespace sw {

bool exportRaceAsCsv(const Race &race, const FileState &files, Prompts &prompts)
{
    // Beside the lap-time file it came from, under the same name.
    const QFileInfo current(files.currentFile);
    const QString folder = files.currentFile.isEmpty() ? files.lapTimeFolder() : current.absolutePath();
    const QString name = (files.currentFile.isEmpty() ? QStringLiteral("LapTimes") : current.completeBaseName())
                         + QStringLiteral(".csv");
    const std::optional<QString> chosen = prompts.saveFile(
            {QStringLiteral("Export as CSV"), QStringLiteral("CSV Files (*.csv);;All Files (*)"), folder, name});
    if (!chosen || chosen->isEmpty())
        return false;
    QString error;
    if (!saveFileAtomically(*chosen, raceToCsv(race), &error)) {
        prompts.message({programTitle(),
                         QStringLiteral("The Lap Times have not been exported.\n\n")
                                 + error.replace(QLatin1Char('\n'), QLatin1String("\n\n")),
                         Buttons::Ok, Icon::Exclamation, Answer::Ok});
        return false;
    }
    return true;
}

} // namespace sw
