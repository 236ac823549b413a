#pragma once
// The system's default printer, created once and kept for the program's run.

#include "printing/PrinterSource.h"

#include <memory>

namespace sw {

class SystemPrinterSource : public PrinterSource
{
public:
    SystemPrinterSource();
    ~SystemPrinterSource() override;

    QPrinter &printer() override;
    bool hasSystemPrinter() const override;
    bool setup(QWidget *parent) override;

private:
    std::unique_ptr<QPrinter> m_printer;
};

} // namespace sw
