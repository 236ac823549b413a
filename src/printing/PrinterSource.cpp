#include "printing/PrinterSource.h"

#include "ui/Prompts.h"

#include <QFileInfo>
#include <QPrinter>

namespace sw {

QString PrinterSource::cannotStartText()
{
    return QStringLiteral("The printer could not be started.  Nothing was printed.");
}

QPrinter *PrinterSource::printerForJob(Prompts &prompts, const QString &suggestedPdf)
{
    QPrinter &p = printer();
    if (hasSystemPrinter()) {
        if (m_pdfInstead) {
            // A printer has appeared since a job went to a file.
            p.setOutputFileName(QString());
            p.setOutputFormat(QPrinter::NativeFormat);
            m_pdfInstead = false;
        }
        return &p;
    }

    const Answer a = prompts.message(
        {programTitle(),
         QStringLiteral("No printer is set up on this system.  Do you want to save the "
                        "printout as a PDF file instead?"),
         Buttons::YesNo, Icon::Question, Answer::Yes});
    if (a != Answer::Yes)
        return nullptr;
    const QFileInfo suggested(suggestedPdf);
    const std::optional<QString> path =
        prompts.saveFile({QStringLiteral("Save Printout As PDF"),
                          QStringLiteral("PDF Files (*.pdf)"), suggested.absolutePath(),
                          suggested.fileName()});
    if (!path || path->isEmpty())
        return nullptr;
    p.setOutputFormat(QPrinter::PdfFormat);
    p.setOutputFileName(*path);
    m_pdfInstead = true;
    return &p;
}

} // namespace sw
