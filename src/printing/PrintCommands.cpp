#include "printing/PrintCommands.h"

#include "files/FileState.h"
#include "printing/PrinterSource.h"
#include "printing/PrinterTextMetrics.h"
#include "report/ReportLayout.h"
#include "printing/ReportPainter.h"
#include "report/ReportTexts.h"
#include "printing/WindowPrinter.h"
#include "ui/Prompts.h"

#include <QDir>
#include <QPrinter>
#include <QWidget>

namespace sw {

PrintCommands::PrintCommands(QWidget *mainWindow, const FileState &files, std::function<ReportTable()> table,
                             std::function<QString()> comments, Prompts &prompts, PrinterSource &printers)
    : m_mainWindow(mainWindow), m_files(files), m_table(std::move(table)), m_comments(std::move(comments)),
      m_prompts(prompts), m_printers(printers)
{
}

void PrintCommands::printReport()
{
    PrintLapReport();
}

void PrintCommands::printBlankWorksheet()
{
    printTable(worksheet);
}

QString PrintCommands::suggestedPdf(const QString &name) const
{
    const QString folder =
        m_files.programFolder.isEmpty() ? QDir::homePath() : m_files.lapTimeFolder();
    return QDir(folder).filePath(name);
}

bool PrintCommands::PrintLapReport()
{
    return printTable(m_table);
}

bool PrintCommands::printTable(const std::function<ReportTable()> &tableOf)
{
    const std::optional<QString> typed = m_prompts.input(
        QStringLiteral("Enter Report Comment"),
        QStringLiteral("Enter any text you wish to appear at the bottom of the printed report."),
        QString());

    QPrinter *printer = m_printers.printerForJob(m_prompts, suggestedPdf(QStringLiteral("LapTimes.pdf")));
    if (!printer)
        return false;

    const QDateTime at = now();
    ReportInputs in;
    in.pageWidth = printer->width();
    in.pageHeight = printer->height();
    in.caption = m_mainWindow ? m_mainWindow->windowTitle() : QString();
    in.reportComment = typed.value_or(QString());
    in.comments = m_comments ? m_comments() : QString();
    in.timeText = reportTimeText(at.time());
    in.dateText = reportDateText(at.date());

    const QFont font = ReportPainter::reportFont();
    const PrinterTextMetrics metrics(font, printer);
    const ReportTable table = tableOf ? tableOf() : ReportTable();
    ReportLayout layout(in, table, metrics);
    if (!ReportPainter::paint(*printer, font, layout.pages())) {
        m_prompts.info(PrinterSource::cannotStartText());
        return false;
    }
    return true;
}

void PrintCommands::printScreen()
{
    WindowPrinter(m_printers, m_prompts)
        .printWindow(m_mainWindow, suggestedPdf(QStringLiteral("MainScreen.pdf")));
}

void PrintCommands::printSetup()
{
    // Cancel leaves the printer as it was and says nothing.
    m_printers.setup(m_mainWindow);
}

} // namespace sw
