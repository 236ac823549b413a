#include "app/PrintHelpMenus.h"

#include "files/FileState.h"
#include "app/MainWindow.h"
#include "help/HelpCommand.h"
#include "help/ProgramLauncher.h"
#include "help/AboutWindow.h"
#include "printing/PrintCommands.h"
#include "printing/PrinterSource.h"
#include "printing/SystemPrinterSource.h"
#include "race/Race.h"
#include "report/ReportLayout.h"
#include "results/ResultsPanel.h"
#include "results/ResultsTexts.h"

namespace sw {

PrintHelpMenus::PrintHelpMenus(MainWindow &w, const FileState &files, const ResultsPanel &results)
    : m_w(w), m_files(files), m_printers(std::make_unique<SystemPrinterSource>()),
      m_print(std::make_unique<PrintCommands>(
              &w, files, [&w, &results] { return reportTableFor(w.race(), results.lapFilter()); },
              [&w] { return w.race().comments(); }, w.prompts(), *m_printers)),
      m_launcher(std::make_unique<ProcessLauncher>()), m_launcherInUse(m_launcher.get())
{
    auto &ui = w.ui;
    PrintCommands *p = m_print.get();
    p->worksheet = [&w] { return blankWorksheetFor(w.race()); };
    QObject::connect(ui.printReportAction, &QAction::triggered, &w, [p] { p->printReport(); });
    QObject::connect(ui.printWorksheetAction, &QAction::triggered, &w, [p] { p->printBlankWorksheet(); });
    QObject::connect(ui.printScreenAction, &QAction::triggered, &w, [p] { p->printScreen(); });
    QObject::connect(ui.printSetupAction, &QAction::triggered, &w, [p] { p->printSetup(); });
    QObject::connect(ui.programHelpAction, &QAction::triggered, &w, [this] { showProgramHelp(); });
    QObject::connect(ui.aboutAction, &QAction::triggered, &w, [this] { showAbout(); });
}

PrintHelpMenus::~PrintHelpMenus() = default;

void PrintHelpMenus::showProgramHelp()
{
    HelpCommand(m_files.helpDocumentPath(), m_w.prompts(), *m_launcherInUse).showProgramHelp();
}

void PrintHelpMenus::showAbout()
{
    (new AboutWindow(*m_printers, m_w.prompts(), &m_w))->show();
}

} // namespace sw
