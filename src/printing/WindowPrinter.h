#pragma once
// Prints a picture of a window on one page: the window's caption line drawn
// above its contents (a grab holds no title bar, and the caption carries the
// file name), landscape when the whole is wider than tall, at the top-left of
// the printable area, as large as fits without distortion. Used by "Print
// Main Screen As Shown" and the about window's Print button.

#include <QString>

class QPixmap;
class QWidget;

namespace sw {

class PrinterSource;
class Prompts;

class WindowPrinter
{
public:
    // What the page orientation chosen for the picture does afterwards.
    enum class Orientation {
        KeptForLaterJobs, // the screen print: later reports print the same way
        ThisJobOnly,      // the about window: later reports keep theirs
    };

    WindowPrinter(PrinterSource &printers, Prompts &prompts);

    // Grabs the whole window and prints it below its caption line; shows the
    // hourglass meanwhile. False when nothing was printed (the user was told
    // why, or declined).
    bool printWindow(QWidget *window, const QString &suggestedPdf = QString(),
                     Orientation orientation = Orientation::KeptForLaterJobs);

    // Prints an already captured picture below the caption line (none when
    // caption is empty).
    bool printPicture(const QPixmap &picture, const QString &suggestedPdf = QString(),
                      const QString &caption = QString(),
                      Orientation orientation = Orientation::KeptForLaterJobs);

    static QString noSizeText();

private:
    PrinterSource &m_printers;
    Prompts &m_prompts;
};

} // namespace sw
