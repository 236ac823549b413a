#pragma once
// A test printer source: an A4 portrait PDF printer whose setup dialog is always cancelled.

#include "printing/PrinterSource.h"

#include <QPrinter>

namespace sw {

class PdfPrinterSource : public PrinterSource
{
public:
    explicit PdfPrinterSource(const QString &pdfPath)
    {
        m_printer.setOutputFormat(QPrinter::PdfFormat);
        m_printer.setOutputFileName(pdfPath);
        m_printer.setPageSize(QPageSize(QPageSize::A4));
        m_printer.setPageOrientation(QPageLayout::Portrait);
    }
    QPrinter &printer() override { return m_printer; }
    bool hasSystemPrinter() const override { return systemPrinter; }
    bool setup(QWidget *) override { return false; }

    bool systemPrinter = true;

private:
    QPrinter m_printer{QPrinter::HighResolution};
};

} // namespace sw
