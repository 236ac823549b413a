#include "app/PrintHelpMenus.h"

#include "state/AppState.h"
#include "app/FrmHead.h"
#include "help/HelpCommand.h"
#include "help/ProgramLauncher.h"
#include "help/frmAbout.h"
#include "printing/PrintCommands.h"
#include "printing/PrinterSource.h"
#include "printing/SystemPrinterSource.h"

namespace sw {

PrintHelpMenus::PrintHelpMenus(FrmHead &w)
    : m_w(w), m_printers(std::make_unique<SystemPrinterSource>()),
      m_print(std::make_unique<PrintCommands>(&w, w.state(), w.prompts(), *m_printers)),
      m_launcher(std::make_unique<DetachedLauncher>()), m_launcherInUse(m_launcher.get())
{
    auto &ui = w.ui;
    PrintCommands *p = m_print.get();
    QObject::connect(ui.mnuPrint, &QAction::triggered, &w, [p] { p->mnuPrint_Click(); });
    QObject::connect(ui.mnuPrintWorksheet, &QAction::triggered, &w, [p] { p->mnuPrintWorksheet_Click(); });
    QObject::connect(ui.mnuPrintMain, &QAction::triggered, &w, [p] { p->mnuPrintMain_Click(); });
    QObject::connect(ui.mnuPrintSetup, &QAction::triggered, &w, [p] { p->mnuPrintSetup_Click(); });
    QObject::connect(ui.mnuHelpHelp, &QAction::triggered, &w, [this] { mnuHelpHelp_Click(); });
    QObject::connect(ui.mnuAbout, &QAction::triggered, &w, [this] { mnuAbout_Click(); });
}

PrintHelpMenus::~PrintHelpMenus() = default;

void PrintHelpMenus::mnuHelpHelp_Click()
{
    HelpCommand(m_w.state().helpDocumentPath(), m_w.prompts(), *m_launcherInUse).mnuHelpHelp_Click();
}

void PrintHelpMenus::mnuAbout_Click()
{
    (new frmAbout(*m_printers, m_w.prompts(), &m_w))->show();
}

} // namespace sw
