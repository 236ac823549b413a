#include "printing/PrintCommands.h"

#include "state/AppState.h"
#include "printing/PrinterSource.h"
#include "printing/PrinterTextMetrics.h"
#include "printing/ReportLayout.h"
#include "printing/ReportPainter.h"
#include "printing/ReportTexts.h"
#include "printing/WindowPrinter.h"
#include "ui/Prompts.h"

#include <QDir>
#include <QPrinter>
#include <QWidget>

namespace sw {

PrintCommands::PrintCommands(QWidget *mainWindow, AppState &state, Prompts &prompts,
                             PrinterSource &printers)
    : m_mainWindow(mainWindow), m_state(state), m_prompts(prompts), m_printers(printers)
{
}

void PrintCommands::printReport()
{
    m_state.blankWorksheet = false;
    PrintLapReport();
}

void PrintCommands::printBlankWorksheet()
{
    m_state.blankWorksheet = true;
    PrintLapReport();
}

QString PrintCommands::suggestedPdf(const QString &name) const
{
    const QString folder =
        m_state.programFolder.isEmpty() ? QDir::homePath() : m_state.lapTimeFolder();
    return QDir(folder).filePath(name);
}

bool PrintCommands::PrintLapReport()
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
    in.comments = m_state.Comments;
    in.timeText = reportTimeText(at.time());
    in.dateText = reportDateText(at.date());
    in.lastLap = m_state.rec.LastLap;

    const QFont font = ReportPainter::reportFont();
    const PrinterTextMetrics metrics(font, printer);
    ReportLayout layout(in, m_state.grid, metrics);
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
