#include "files/CsvExportCommand.h"

#include "analysis/RaceExport.h"
#include "files/FileIo.h"
#include "state/AppState.h"
#include "ui/MainWindowBase.h"
#include "ui/Prompts.h"

#include <QFileInfo>

namespace sw {

bool exportRaceAsCsv(MainWindowBase &w)
{
    AppState &s = w.state();
    // Beside the lap-time file it came from, under the same name.
    const QFileInfo current(s.CurrentFile);
    const QString folder = s.CurrentFile.isEmpty() ? s.lapTimeFolder() : current.absolutePath();
    const QString name =
            (s.CurrentFile.isEmpty() ? QStringLiteral("LapTimes") : current.completeBaseName()) + QStringLiteral(".csv");
    const std::optional<QString> chosen = w.prompts().saveFile(
            {QStringLiteral("Export as CSV"), QStringLiteral("CSV Files (*.csv)|*.csv|All Files (*.*)|*.*"), folder,
             name});
    if (!chosen || chosen->isEmpty())
        return false;
    QString error;
    if (!saveFileAtomically(*chosen, raceToCsv(s.rec), &error)) {
        w.prompts().message({programTitle(),
                             QStringLiteral("The Lap Times have not been exported.\r\r")
                                     + error.replace(QLatin1Char('\n'), QLatin1String("\r\r")),
                             Buttons::Ok, Icon::Exclamation, Answer::Ok});
        return false;
    }
    return true;
}

void installCsvExport(MainWindowBase &w)
{
    QObject::connect(w.ui.exportCsvAction, &QAction::triggered, &w, [&w] { exportRaceAsCsv(w); });
}

} // namespace sw
