#pragma once
// Where the program's printing goes. There is one printer for the whole run
// of the program, so that what the user sets (printer, paper, orientation,
// including the orientation a screen print turns to) holds for later jobs.
// The real source is the system's default printer; tests print to PDF files.

#include <QString>

class QPrinter;
class QWidget;

namespace sw {

class Prompts;

class PrinterSource
{
public:
    virtual ~PrinterSource() = default;

    // The printer of this run, configured by earlier jobs and the setup dialog.
    virtual QPrinter &printer() = 0;

    // Whether the system has a printer to print on.
    virtual bool hasSystemPrinter() const = 0;

    // The print setup dialog on printer(); false when cancelled (nothing
    // changes then).
    virtual bool setup(QWidget *parent) = 0;

    // The printer ready for one job, or nullptr when nothing is to be
    // printed. Without a system printer the user is told so and may save the
    // job as a PDF file instead; suggestedPdf is the name the save dialog
    // starts with.
    QPrinter *printerForJob(Prompts &prompts, const QString &suggestedPdf);

    // Said when a job cannot be started on the chosen printer or file.
    static QString cannotStartText();

private:
    bool m_pdfInstead = false; // the printer was turned to a PDF file for want of a printer
};

} // namespace sw
