#pragma once
// The File menu's print entries and the Help menu of the main window: one
// printer for the whole run (so a chosen orientation stays for later jobs),
// the print commands, the help viewer and the about window.

#include <memory>

namespace sw {

class MainWindow;
struct FileState;
class ResultsPanel;
class PrinterSource;
class PrintCommands;
class ProgramLauncher;

class PrintHelpMenus
{
public:
    PrintHelpMenus(MainWindow &w, const FileState &files, const ResultsPanel &results);
    ~PrintHelpMenus();

    PrinterSource &printers() { return *m_printers; }
    PrintCommands &print() { return *m_print; }

    void showProgramHelp();
    void showAbout();

    // Tests put a scripted launcher here.
    void setLauncher(ProgramLauncher *launcher) { m_launcherInUse = launcher; }

private:
    MainWindow &m_w;
    const FileState &m_files;
    std::unique_ptr<PrinterSource> m_printers;
    std::unique_ptr<PrintCommands> m_print;
    std::unique_ptr<ProgramLauncher> m_launcher;
    ProgramLauncher *m_launcherInUse = nullptr;
};

} // namespace sw
