#pragma once
// The print commands of the main window's File menu: the lap-time report
// ("&Print All Lap/Segment Times", "Print Blank Worksheet"), the picture of
// the main window ("Print Main Screen As Shown") and the printer setup
// ("Windows Print Setup").

#include <QDateTime>

#include <functional>

class QWidget;

namespace sw {

struct FileState;
struct ReportTable;
class PrinterSource;
class Prompts;

class PrintCommands
{
public:
    // table gives the results as the window shows them at print time.
    PrintCommands(QWidget *mainWindow, const FileState &files, std::function<ReportTable()> table,
                  std::function<QString()> comments, Prompts &prompts, PrinterSource &printers);

    void printReport();
    void printBlankWorksheet();
    void printScreen();
    void printSetup();

    // The report: asks for the report comment, then prints every page.
    // False when nothing was printed.
    bool PrintLapReport();

    // The blank worksheet's table (printBlankWorksheet); none: an empty one.
    std::function<ReportTable()> worksheet;

    // The print time; the system clock unless a test sets another.
    std::function<QDateTime()> now = [] { return QDateTime::currentDateTime(); };

private:
    QString suggestedPdf(const QString &name) const;
    bool printTable(const std::function<ReportTable()> &table);

    QWidget *m_mainWindow;
    const FileState &m_files;
    std::function<ReportTable()> m_table;
    std::function<QString()> m_comments;
    Prompts &m_prompts;
    PrinterSource &m_printers;
};

} // namespace sw
