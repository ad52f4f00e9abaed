#include "reports/engine/printers.h"

#include <QPrinterInfo>

namespace engine
{

namespace
{
std::optional<PrinterList> & override()
{
    static std::optional<PrinterList> list;
    return list;
}
} // namespace

PrinterList installedPrinters()
{
    if (override()) return *override();
    PrinterList list;
    list.names = QPrinterInfo::availablePrinterNames();
    list.defaultName = QPrinterInfo::defaultPrinterName();
    return list;
}

void setInstalledPrintersForTesting(std::optional<PrinterList> list)
{
    override() = std::move(list);
}

QString printerNameFor(int index)
{
    const PrinterList list = installedPrinters();
    if (list.names.isEmpty()) return {};
    if (index >= 0 && index < list.names.size()) return list.names.at(index);
    return list.defaultName.isEmpty() ? list.names.first() : list.defaultName;
}

} // namespace engine
