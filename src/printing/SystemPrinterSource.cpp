#include "printing/SystemPrinterSource.h"

#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

namespace sw {

SystemPrinterSource::SystemPrinterSource() = default;
SystemPrinterSource::~SystemPrinterSource() = default;

QPrinter &SystemPrinterSource::printer()
{
    // Made on first use: looking for printers can take a moment.
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *m_printer;
}

bool SystemPrinterSource::hasSystemPrinter() const
{
    return !QPrinterInfo::availablePrinterNames().isEmpty();
}

bool SystemPrinterSource::setup(QWidget *parent)
{
    QPrintDialog dialog(&printer(), parent);
    dialog.setWindowTitle(QStringLiteral("Print Setup"));
    // Settings only: the dialog chooses printer, paper and orientation.
    dialog.setOption(QAbstractPrintDialog::PrintToFile, false);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintCollateCopies, false);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace sw
