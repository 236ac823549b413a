#pragma once
// Prints a picture of a window on one page: landscape when the picture is
// wider than tall, at the top-left of the printable area, as large as fits
// without distortion. Used by "Print Main Screen As Shown" and the about
// window's Print button.

#include <QString>

class QPixmap;
class QWidget;

namespace sw {

class PrinterSource;
class Prompts;

class WindowPrinter
{
public:
    WindowPrinter(PrinterSource &printers, Prompts &prompts);

    // Grabs the whole window and prints it; shows the hourglass meanwhile.
    // False when nothing was printed (the user was told why, or declined).
    bool printWindow(QWidget *window, const QString &suggestedPdf = QString());

    // Prints an already captured picture.
    bool printPicture(const QPixmap &picture, const QString &suggestedPdf = QString());

    static QString noSizeText();

private:
    PrinterSource &m_printers;
    Prompts &m_prompts;
};

} // namespace sw
