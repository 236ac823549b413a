#include "printing/WindowPrinter.h"

#include "printing/PrinterSource.h"
#include "report/ScreenPrintGeometry.h"
#include "ui/Prompts.h"

#include <QApplication>
#include <QFontInfo>
#include <QFontMetrics>
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

// Height of the caption line in picture pixels: the caption's text with the
// room a title bar gives it.
int captionHeight(const QFont &font)
{
    return QFontMetrics(font).height() + 8;
}

// In screen pixels, so that it scales with the picture on any printer.
QFont captionFont()
{
    QFont f = QApplication::font();
    f.setBold(true);
    f.setPixelSize(QFontInfo(f).pixelSize());
    return f;
}

// A title bar of the active-caption colours above the picture, the caption
// at its left.
void drawCaptionLine(QPainter &painter, const QString &caption, int width, int height)
{
    painter.fillRect(QRect(0, 0, width, height), QColor(0, 0, 128));
    painter.setPen(Qt::white);
    painter.setFont(captionFont());
    painter.drawText(QRect(6, 0, width - 12, height), Qt::AlignLeft | Qt::AlignVCenter, caption);
}

} // namespace

WindowPrinter::WindowPrinter(PrinterSource &printers, Prompts &prompts)
    : m_printers(printers), m_prompts(prompts)
{
}

QString WindowPrinter::noSizeText()
{
    return QStringLiteral("The window has no size, so there is no picture to print.");
}

bool WindowPrinter::printWindow(QWidget *window, const QString &suggestedPdf, Orientation orientation)
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
    return printPicture(picture, suggestedPdf, window->windowTitle(), orientation);
}

bool WindowPrinter::printPicture(const QPixmap &picture, const QString &suggestedPdf, const QString &caption,
                                 Orientation orientation)
{
    if (picture.isNull() || picture.width() <= 0 || picture.height() <= 0) {
        m_prompts.info(noSizeText());
        return false;
    }
    QPrinter *printer = m_printers.printerForJob(m_prompts, suggestedPdf);
    if (!printer)
        return false;

    // Picture pixels; the caption line is as wide as the picture.
    const int bar = caption.isEmpty() ? 0 : captionHeight(captionFont());
    const QSize whole(picture.width(), picture.height() + bar);
    const QPageLayout::Orientation before = printer->pageLayout().orientation();
    bool ok = false;
    {
        const WaitCursor wait;
        printer->setPageOrientation(orientationFor(whole) == PrintOrientation::Landscape ? QPageLayout::Landscape
                                                                                      : QPageLayout::Portrait);
        QPainter painter;
        if (painter.begin(printer)) {
            const QSizeF size = fittedSize(QSizeF(whole), QSizeF(printer->width(), printer->height()));
            // Drawn in picture pixels, scaled as one: the caption's text stays
            // text on the page.
            painter.scale(size.width() / whole.width(), size.height() / whole.height());
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            if (bar > 0)
                drawCaptionLine(painter, caption, whole.width(), bar);
            painter.drawPixmap(QRectF(QPointF(0, bar), QSizeF(picture.size())), picture, QRectF(picture.rect()));
            ok = painter.end();
        }
    }
    if (orientation == Orientation::ThisJobOnly)
        printer->setPageOrientation(before);
    if (!ok)
        m_prompts.info(PrinterSource::cannotStartText());
    return ok;
}

} // namespace sw
