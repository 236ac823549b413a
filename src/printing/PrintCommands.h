#pragma once
// The print commands of the main window's File menu: the lap-time report
// ("&Print All Lap/Segment Times", "Print Blank Worksheet"), the picture of
// the main window ("Print Main Screen As Shown") and the printer setup
// ("Windows Print Setup").

#include <QDateTime>

#include <functional>

class QWidget;

namespace sw {

struct AppState;
class PrinterSource;
class Prompts;

class PrintCommands
{
public:
    PrintCommands(QWidget *mainWindow, AppState &state, Prompts &prompts,
                  PrinterSource &printers);

    void printReport();          // blankWorksheet = false, then the report
    void printBlankWorksheet(); // blankWorksheet = true, then the same report
    void printScreen();
    void printSetup();

    // The report: asks for the report comment, then prints every page.
    // False when nothing was printed.
    bool PrintLapReport();

    // The print time; the system clock unless a test sets another.
    std::function<QDateTime()> now = [] { return QDateTime::currentDateTime(); };

private:
    QString suggestedPdf(const QString &name) const;

    QWidget *m_mainWindow;
    AppState &m_state;
    Prompts &m_prompts;
    PrinterSource &m_printers;
};

} // namespace sw
