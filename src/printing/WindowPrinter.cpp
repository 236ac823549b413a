#include "printing/WindowPrinter.h"

#include "printing/PrinterSource.h"
#include "printing/ScreenPrintGeometry.h"
#include "ui/Prompts.h"

#include <QApplication>
#include <QPageLayout>
#include <QPainter>
#include <QPixmap>
#include <QPrinter>
#include <QWidget>

namespace sw {

namespace {

// The hourglass for the whole program while a picture is taken and printed.
struct WaitCursor
{
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

} // namespace

WindowPrinter::WindowPrinter(PrinterSource &printers, Prompts &prompts)
    : m_printers(printers), m_prompts(prompts)
{
}

QString WindowPrinter::noSizeText()
{
    return QStringLiteral("The window has no size, so there is no picture to print.");
}

bool WindowPrinter::printWindow(QWidget *window, const QString &suggestedPdf)
{
    if (!window || window->width() <= 0 || window->height() <= 0) {
        m_prompts.info(noSizeText());
        return false;
    }
    QPixmap picture;
    {
        const WaitCursor wait;
        picture = window->grab();
    }
    return printPicture(picture, suggestedPdf);
}

bool WindowPrinter::printPicture(const QPixmap &picture, const QString &suggestedPdf)
{
    if (picture.isNull() || picture.width() <= 0 || picture.height() <= 0) {
        m_prompts.info(noSizeText());
        return false;
    }
    QPrinter *printer = m_printers.printerForJob(m_prompts, suggestedPdf);
    if (!printer)
        return false;

    bool ok = false;
    {
        const WaitCursor wait;
        // The orientation stays with the printer for later jobs.
        printer->setPageOrientation(orientationFor(picture.size()) == PrintOrientation::Landscape
                                        ? QPageLayout::Landscape
                                        : QPageLayout::Portrait);
        QPainter painter;
        if (painter.begin(printer)) {
            const QSizeF size =
                fittedSize(QSizeF(picture.size()), QSizeF(printer->width(), printer->height()));
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            painter.drawPixmap(QRectF(QPointF(0, 0), size), picture, QRectF(picture.rect()));
            ok = painter.end();
        }
    }
    if (!ok)
        m_prompts.info(PrinterSource::cannotStartText());
    return ok;
}

} // namespace sw
