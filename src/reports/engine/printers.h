// The platform's printers as the engine sees them. A test can put a list of its own in
// place (an empty one stands for a machine without printers).
#pragma once

#include <QStringList>
#include <optional>

namespace engine
{

struct PrinterList {
    QStringList names;
    QString defaultName;
};

PrinterList installedPrinters();
void setInstalledPrintersForTesting(std::optional<PrinterList> list);

// The printer name for a printer index of the platform's list; -1, or an index outside the
// list, is the default printer. Empty when there is no printer.
QString printerNameFor(int index);

} // namespace engine
